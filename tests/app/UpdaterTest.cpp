// The update check against a fake update tool (fake_update_tool.sh) that records its arguments and
// ends as the test asks: the checks at start and on request, the result dialogs and their check
// box, the download and the installer's argument line, and the tool's failures.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "AutoUpdater.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "TestPaths.h"

namespace {

const QString kOthers =
    "xqft-shadereditor,xqft-texturetool,xqft-geometrytool,xqft-profiler,xqft-capturelayer,xqft-fonttool,"
    "xqft-sceneexport,xqft-compressor,emulation,framework,examples,documentation,shadercompilers,hostlibraries,"
    "headers,plugins,sampledata";

class Updater : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        for (const char* name : {"FAKE_UPDATE_EXIT", "FAKE_UPDATE_DOWNLOAD_EXIT", "FAKE_UPDATE_SLEEP",
                                 "FAKE_UPDATE_CRASH", "FAKE_UPDATE_HANG"})
            qunsetenv(name);
        qputenv("FAKE_UPDATE_LOG", QFile::encodeName(scratch.path() + "/runs.log"));
        previousTmp = qgetenv("TMPDIR");
        QDir(scratch.path()).mkpath("tmp");
        qputenv("TMPDIR", QFile::encodeName(scratch.path() + "/tmp"));
        UseTool(QString::fromStdString(SourceDir() + "/tests/app/fake_update_tool.sh"));
    }
    void TearDown() override
    {
        CAutoUpdater::SetInstallerStarter(nullptr);
        qputenv("TMPDIR", previousTmp);
        CFreshControllerTest::TearDown();
    }

    void UseTool(const QString& path)
    {
        c->GetPreferences()->SetString(CXQFTString(CAutoUpdater::kPathKey), QFile::encodeName(path).constData());
    }
    // The tool's runs so far, each its argument list.
    QList<QStringList> Runs() const
    {
        QFile file(scratch.path() + "/runs.log");
        QList<QStringList> runs;
        if (!file.open(QIODevice::ReadOnly))
            return runs;
        QStringList run;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            if (line == "--") {
                runs << run;
                run.clear();
            } else {
                run << line;
            }
        }
        return runs;
    }
    // Runs the event loop until the updater's check has ended (a result dialog it shows is
    // answered meanwhile) and ms more have passed, so that nothing later arrives unseen.
    void Settle(CAutoUpdater* updater, int ms = 50)
    {
        EXPECT_TRUE(QTest::qWaitFor([updater] { return !updater->IsChecking(); }, 10000));
        QTest::qWait(ms);
    }
    static QStringList CheckArguments()
    {
        return {"--mode", "unattended", "--settings_file", QCoreApplication::applicationDirPath() + "/update.ini"};
    }
    // Writes the SDK's all-users store.
    static void WriteSdkStore(const char* installDir, bool emulation, bool plugins)
    {
        CXQFPreferences sdk(CXQFTString(CAutoUpdater::kSdkStore), CXQFPreferences::kScopeAllUsers);
        CXQFTString error;
        ASSERT_TRUE(sdk.Load(error, false));
        if (installDir)
            sdk.SetString(CXQFTString(CAutoUpdater::kSdkInstallDirKey), installDir);
        sdk.SetBool(CXQFTString(CAutoUpdater::kSdkEmulationKey), emulation);
        sdk.SetBool(CXQFTString(CAutoUpdater::kSdkRegisterPluginsKey), plugins);
        ASSERT_TRUE(sdk.Save(true));
    }
    static QString SdkStoreFile()
    {
        return qEnvironmentVariable("XDG_CONFIG_DIRS") + "/Orvistaline Technologies/" + CAutoUpdater::kSdkStore +
               ".plist";
    }
    static QString Heading(QWidget* dialog)
    {
        // The first label is the bold heading.
        return dialog->findChildren<QLabel*>().value(0) ? dialog->findChildren<QLabel*>().value(0)->text() : QString();
    }

    QTemporaryDir scratch;
    QByteArray previousTmp;
};

TEST_F(Updater, StartupCheckFollowsItsKeyAndHelpAlwaysChecks)
{
    c->GetPreferences()->SetBool(CXQFTString(CAutoUpdater::kCheckKey), false);
    ASSERT_TRUE(c->GetPreferences()->Save(false));
    c->Shutdown();
    c->Init(nullptr, nullptr);
    ASSERT_NE(c->GetUpdater(), nullptr);
    Settle(c->GetUpdater(), 200);
    EXPECT_TRUE(Runs().empty()) << "no check at start";

    QString title, heading;
    {
        CModalAnswer answer([&](QWidget* dialog) {
            title = dialog->windowTitle();
            heading = Heading(dialog);
            EXPECT_TRUE(ClickButton(dialog, "OK"));
        });
        c->SLTForceCheckForUpdates();
        Settle(c->GetUpdater());
        EXPECT_TRUE(answer.Ran());
    }
    EXPECT_EQ(title, "No Update Available");
    EXPECT_EQ(heading, "XQFTrace is up to date.");
    ASSERT_EQ(Runs().size(), 1);
    EXPECT_EQ(Runs()[0], CheckArguments());

    // Allowed again: the next start checks, quietly.
    c->GetPreferences()->SetBool(CXQFTString(CAutoUpdater::kCheckKey), true);
    ASSERT_TRUE(c->GetPreferences()->Save(false));
    c->Shutdown();
    c->Init(nullptr, nullptr);
    QSignalSpy done(c->GetUpdater(), &CAutoUpdater::Done);
    CModalAnswer none([](QWidget* dialog) { dialog->close(); });
    Settle(c->GetUpdater());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Runs().size() == 2; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.count() == 1; }, 5000));
    EXPECT_FALSE(none.Ran());
    EXPECT_TRUE(shown.empty());
}

TEST_F(Updater, ExitCodesDecideWhatIsShown)
{
    struct SRow { int exit; bool force; const char* dialog; bool failureBox; int done; };
    const SRow rows[] = {
        {1, false, nullptr, false, 1},
        {1, true, "No Update Available", false, 0},
        {0, false, "New Update Available", false, 0},
        {7, false, nullptr, false, 1},
        {7, true, nullptr, true, 0},
        {200, true, nullptr, true, 0},
    };
    CAutoUpdater* updater = c->GetUpdater();
    for (const SRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "exit " << row.exit << (row.force ? " forced" : " quiet"));
        qputenv("FAKE_UPDATE_EXIT", QByteArray::number(row.exit));
        shown.clear();
        QSignalSpy done(updater, &CAutoUpdater::Done);
        QString title, heading;
        {
            CModalAnswer answer([&](QWidget* dialog) {
                title = dialog->windowTitle();
                heading = Heading(dialog);
                EXPECT_TRUE(ClickButton(dialog, row.exit == 0 ? "Cancel" : "OK"));
            });
            updater->CheckForUpdates(row.force);
            Settle(updater);
            EXPECT_EQ(answer.Ran(), row.dialog != nullptr);
        }
        if (row.dialog) {
            EXPECT_EQ(title, row.dialog);
        }
        if (row.exit == 0) {
            EXPECT_EQ(heading, "A new update is available for XQFTrace.");
        }
        if (row.failureBox) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].kind, "critical");
            EXPECT_EQ(shown[0].title, "Update Failed");
            EXPECT_EQ(shown[0].text, CAutoUpdater::GetUpdaterString(0));
            EXPECT_EQ(shown[0].informative, CAutoUpdater::GetUpdaterString(7));
        } else {
            EXPECT_TRUE(shown.empty());
        }
        EXPECT_EQ(done.count(), row.done);
    }
    EXPECT_EQ(Runs().size(), 6);
}

TEST_F(Updater, MissingToolIsReportedOnlyWhenForced)
{
    CAutoUpdater* updater = c->GetUpdater();
    struct SRow { QString path; QString named; };
    const SRow rows[] = {
        {scratch.path() + "/no-such-tool", scratch.path() + "/no-such-tool"},
        {scratch.path(), scratch.path()},   // a folder
        {QString(), "xqft-autoupdate"},     // the default beside the program
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        UseTool(row.path);
        shown.clear();
        updater->CheckForUpdates(false);
        EXPECT_TRUE(shown.empty());
        updater->CheckForUpdates(true);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, "critical");
        EXPECT_EQ(shown[0].title, "Failed to check for updates");
        EXPECT_EQ(shown[0].text, row.named + " could not be found");
        EXPECT_FALSE(updater->IsChecking());
    }
    EXPECT_TRUE(Runs().empty());
}

TEST_F(Updater, InstallerArgumentLine)
{
    const QString head = "--mode unattended --unattendedmodeui minimal --autoupdate 1 ";
    struct SRow {
        const char* what;
        const char* sdkStore;   // null: no store; "corrupt": a file that does not parse
        const char* installDir;
        bool emulation, plugins;
        QList<int> tools;
        QString line;
    };
    const SRow rows[] = {
        {"no SDK store", nullptr, nullptr, false, false, {0},
         head + "--enable-components utils,xqftrace --disable-components " + kOthers +
             " --installemulation 0 --registerplugins 0"},
        {"corrupt SDK store", "corrupt", nullptr, false, false, {0},
         head + "--enable-components utils,xqftrace --disable-components " + kOthers +
             " --installemulation 0 --registerplugins 0"},
        {"install folder, flags, two tools and the plug-ins", "store", "/opt/xqf", true, true, {2, 0, 10},
         head + "--prefix /opt/xqf --enable-components utils,xqftrace,xqft-texturetool --disable-components "
                "xqft-shadereditor,xqft-geometrytool,xqft-profiler,xqft-capturelayer,xqft-fonttool,"
                "xqft-sceneexport,xqft-compressor,emulation,framework,examples,documentation,shadercompilers,"
                "hostlibraries,headers,plugins,sampledata --installplugins 1 --installemulation 1 --registerplugins 1"},
        {"a folder with a blank, no tools", "store", "/opt/XQF SDK", false, true, {},
         head + "--prefix \"/opt/XQF SDK\" --enable-components utils --disable-components xqftrace," + kOthers +
             " --installemulation 0 --registerplugins 1"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(SdkStoreFile());
        if (row.sdkStore && QByteArray(row.sdkStore) == "corrupt") {
            QDir().mkpath(QFileInfo(SdkStoreFile()).path());
            QFile file(SdkStoreFile());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("<plist><dict><key>InstallDir</key><string>/x</string></plist>");
        } else if (row.sdkStore) {
            WriteSdkStore(row.installDir, row.emulation, row.plugins);
        }
        auto content = [] {
            QFile f(SdkStoreFile());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = content();
        CAutoUpdater updater("XQFTrace", row.tools, c->GetPreferences(), nullptr);
        EXPECT_EQ(CAutoUpdater::JoinArguments(updater.InstallerArguments()), row.line);
        EXPECT_EQ(updater.InstallerPath(), scratch.path() + "/tmp/XQFTraceSDK-setup.run");
        EXPECT_EQ(QFile::exists(SdkStoreFile()), row.sdkStore != nullptr) << "the SDK store is never created";
        EXPECT_EQ(content(), before) << "nor written";
    }
}

// The elevated start splits the line again: every install folder must come back as one argument.
TEST(UpdaterArguments, JoinedLineSplitsBackIntoTheSameArguments)
{
    const QStringList folders = {"/opt/xqf", "/opt/XQF SDK", "/opt/tab\there", "/opt/new\nline",
                                 "/opt/a\" --evil \"b", "/opt/ends\"", "\"quoted\""};
    for (const QString& folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        const QStringList arguments = {"--prefix", folder, "--autoupdate", "1"};
        EXPECT_EQ(QProcess::splitCommand(CAutoUpdater::JoinArguments(arguments)), arguments);
    }
}

TEST_F(Updater, DownloadStartsTheInstallerAndClosesTheWindowsOnlyWhenItStarted)
{
    WriteSdkStore("/opt/xqf", true, false);
    CAutoUpdater updater("XQFTrace", {0}, c->GetPreferences(), nullptr);
    QFile installer(updater.InstallerPath());
    ASSERT_TRUE(installer.open(QIODevice::WriteOnly));
    installer.close();
    qputenv("FAKE_UPDATE_EXIT", "0");

    for (const char* exitCode : {"0", "4"}) {
        for (bool starts : {true, false}) {
            SCOPED_TRACE(testing::Message() << "download exit " << exitCode << (starts ? ", starts" : ", fails"));
            qputenv("FAKE_UPDATE_DOWNLOAD_EXIT", exitCode);
            QFile::remove(scratch.path() + "/runs.log");
            shown.clear();
            QStringList started;
            CAutoUpdater::SetInstallerStarter([&](const QString& path, const QString& line) {
                started << path << line;
                return starts;
            });
            QWidget window;
            window.show();
            QSignalSpy done(&updater, &CAutoUpdater::Done);
            {
                CModalAnswer answer([](QWidget* dialog) { EXPECT_TRUE(ClickButton(dialog, "Update")); });
                updater.CheckForUpdates(false);
                Settle(&updater);
                ASSERT_TRUE(answer.Ran());
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return started.size() == 2 || !shown.empty(); }, 10000));
            ASSERT_EQ(Runs().size(), 2);
            const QStringList download = CheckArguments() + QStringList{"--unattendedmodebehavior", "download",
                                                                        "--unattendedmodeui", "minimalWithDialogs"};
            EXPECT_EQ(Runs()[1], download);
            EXPECT_EQ(started, (QStringList{updater.InstallerPath(),
                                            CAutoUpdater::JoinArguments(updater.InstallerArguments())}));
            EXPECT_EQ(window.isVisible(), !starts);
            if (!starts) {
                ASSERT_EQ(shown.size(), 1u);
                EXPECT_EQ(shown[0].title, "Update Failed");
                EXPECT_EQ(shown[0].text, CAutoUpdater::GetUpdaterString(12));
                EXPECT_EQ(done.count(), 1);
            } else {
                EXPECT_TRUE(shown.empty());
            }
        }
    }
}

TEST_F(Updater, MissingInstallerAndFailedDownloadAreReported)
{
    CAutoUpdater* updater = c->GetUpdater();
    bool started = false;
    CAutoUpdater::SetInstallerStarter([&](const QString&, const QString&) { return started = true; });
    qputenv("FAKE_UPDATE_EXIT", "0");
    struct SRow { const char* exit; SShown box; };
    const SRow rows[] = {
        {"0", {"information", "SDK Update Required",
               "XQFTrace cannot be automatically updated because a major SDK revision has been released.",
               CAutoUpdater::GetUpdaterString(17)}},
        {"3", {"critical", "Update Failed", CAutoUpdater::GetUpdaterString(8)}},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.exit);
        qputenv("FAKE_UPDATE_DOWNLOAD_EXIT", row.exit);
        shown.clear();
        CModalAnswer answer([](QWidget* dialog) { EXPECT_TRUE(ClickButton(dialog, "Update")); });
        updater->CheckForUpdates(true);
        Settle(updater);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
        EXPECT_EQ(shown[0].kind, row.box.kind);
        EXPECT_EQ(shown[0].title, row.box.title);
        EXPECT_EQ(shown[0].text, row.box.text);
        EXPECT_EQ(shown[0].informative, row.box.informative);
    }
    EXPECT_FALSE(started);
}

TEST_F(Updater, UncheckedBoxInEitherDialogTurnsTheStartupCheckOff)
{
    CAutoUpdater* updater = c->GetUpdater();
    for (const char* exitCode : {"1", "0"}) {
        SCOPED_TRACE(exitCode);
        c->GetPreferences()->SetBool(CXQFTString(CAutoUpdater::kCheckKey), true);
        qputenv("FAKE_UPDATE_EXIT", exitCode);
        CModalAnswer answer([&](QWidget* dialog) {
            auto* box = dialog->findChild<QCheckBox*>("CheckForUpdatesCheckBox");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Check for updates");
            EXPECT_TRUE(box->isChecked());
            box->setChecked(false);
            EXPECT_TRUE(ClickButton(dialog, QByteArray(exitCode) == "1" ? "OK" : "Cancel"));
        });
        updater->CheckForUpdates(true);
        Settle(updater);
        ASSERT_TRUE(answer.Ran());
        // Saved to the file at once.
        CXQFPreferences file(CXQFTString("XQFTraceGuiQT"), 0);
        CXQFTString error;
        ASSERT_TRUE(file.Load(error, false));
        bool check = true;
        EXPECT_EQ(file.GetBool(CXQFTString(CAutoUpdater::kCheckKey), &check), 0);
        EXPECT_FALSE(check);
    }
}

TEST_F(Updater, ToolFailuresEndTheCheck)
{
    CAutoUpdater* updater = c->GetUpdater();
    updater->SetCheckTimeout(300);
    QSignalSpy errors(updater, &CAutoUpdater::ErrorOccured);

    // A tool that never ends: a second check meanwhile is ignored, the first is stopped.
    qputenv("FAKE_UPDATE_HANG", "1");
    updater->CheckForUpdates(true);
    EXPECT_TRUE(updater->IsChecking());
    updater->CheckForUpdates(true);
    Settle(updater);
    EXPECT_EQ(Runs().size(), 1);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors[0][0].toString(), "The AutoUpdater timed out.");
    EXPECT_TRUE(shown.empty());
    qunsetenv("FAKE_UPDATE_HANG");

    // A crash: reported as a failure when forced, only through the signal when quiet.
    qputenv("FAKE_UPDATE_CRASH", "1");
    for (bool force : {true, false}) {
        SCOPED_TRACE(force ? "forced" : "quiet");
        errors.clear();
        shown.clear();
        updater->CheckForUpdates(force);
        Settle(updater, 100);
        ASSERT_GE(errors.count(), 1);
        EXPECT_EQ(errors[0][0].toString(), CAutoUpdater::GetUpdaterString(0));
        EXPECT_EQ(shown.size(), force ? 1u : 0u);
        if (force) {
            EXPECT_EQ(shown[0].title, "Update Failed");
        }
    }
    qunsetenv("FAKE_UPDATE_CRASH");

    // A file that cannot be run.
    const QString plain = scratch.path() + "/not-executable";
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    UseTool(plain);
    errors.clear();
    shown.clear();
    updater->CheckForUpdates(true);
    Settle(updater, 100);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors[0][0].toString(), CAutoUpdater::GetUpdaterString(1));
    EXPECT_TRUE(shown.empty());

    // The updater works on after all of these.
    UseTool(QString::fromStdString(SourceDir() + "/tests/app/fake_update_tool.sh"));
    qputenv("FAKE_UPDATE_EXIT", "1");
    QSignalSpy done(updater, &CAutoUpdater::Done);
    updater->CheckForUpdates(false);
    Settle(updater);
    EXPECT_EQ(done.count(), 1);
}

TEST_F(Updater, NoUpdaterWhenTheStoreDidNotLoad)
{
    c->Shutdown();
    // A folder in the store file's place: the store does not load.
    FreshConfigHome();
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvistaline Technologies/XQFTraceGuiQT.plist");
    c->Init(nullptr, nullptr);
    EXPECT_EQ(c->GetUpdater(), nullptr);
    c->SLTForceCheckForUpdates();
    QTest::qWait(100);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(Runs().empty());
}

} // namespace
