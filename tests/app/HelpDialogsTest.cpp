// The preferences dialog, the About box, the feedback dialog and the user-manual opener, offscreen,
// each started from a fresh program with scripted message boxes and file dialogs.
#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <QDesktopServices>

#include <gtest/gtest.h>

#include "AboutBoxDialog.h"
#include "AppTestSupport.h"
#include "AutoUpdater.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "FeedbackDialog.h"
#include "GeneralOptionsDialog.h"
#include "ManualOpener.h"
#include "ProductInfo.h"
#include "ShaderEditController.h"
#include "SplashImage.h"
#include "XQFTraceGui_Qt.h"

namespace {

template <class T> T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

using HelpDialogs = CFreshControllerTest;

// The preferences dialog as the main window holds it, shown and filled from the controller.
class OptionsDialog : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        dialog.show();
        field = Child<QLineEdit>(&dialog, "le_maxSearch");
        analysis = Child<QCheckBox>(&dialog, "cb_imageAnaEnabled");
        ids = Child<QCheckBox>(&dialog, "cb_exportSaveIds");
        path = Child<QLabel>(&dialog, "l_pathCompiler");
        buttons = Child<QDialogButtonBox>(&dialog, "m_buttonDialog");
    }
    void Press(QDialogButtonBox::StandardButton which) { buttons->button(which)->click(); }

    CGeneralOptionsDialog dialog;
    QLineEdit* field = nullptr;
    QCheckBox* analysis = nullptr;
    QCheckBox* ids = nullptr;
    QLabel* path = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

const char kBoxTitle[] = "Image Analysis Changed";
const char kRangeTitle[] = "Max. Elements Search";
const char kRange[] = "Please use a number between 10 and 10000 for Max. Elements Search";
const char kReload[] = "Trace must be reloaded to apply changes";

TEST_F(OptionsDialog, SearchLimitIsStoredOnlyFromTenToTenThousand)
{
    struct SRow { const char* field; int stored; };  // 0: refused
    const SRow rows[] = {{"10", 10}, {"10000", 10000}, {"9", 0}, {"10001", 0}, {"", 0},
                         {"abc", 0}, {"1e3", 0}, {"0x20", 0}, {"-10", 0}};
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.field);
        c->Options().SetMaxSearchItems(100);
        c->Options().SetExportIDCalls(true);
        shown.clear();
        dialog.hide();
        dialog.show();
        ASSERT_EQ(field->text(), "100");
        field->setText(row.field);
        ids->setChecked(false);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        Press(QDialogButtonBox::Ok);
        if (row.stored) {
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(c->Options().MaxSearchItems(), row.stored);
            EXPECT_FALSE(c->Options().ExportIDCalls());
            EXPECT_EQ(accepted.count(), 1);
            EXPECT_FALSE(dialog.isVisible());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].kind, "information");
            EXPECT_EQ(shown[0].title, kRangeTitle);
            EXPECT_EQ(shown[0].text, kRange);
            EXPECT_EQ(c->Options().MaxSearchItems(), 100);
            EXPECT_TRUE(c->Options().ExportIDCalls()) << "nothing is stored";
            EXPECT_EQ(accepted.count(), 0);
            EXPECT_TRUE(dialog.isVisible()) << "the user can correct the field";
        }
    }
}

TEST_F(OptionsDialog, AnalysisSwitchWarnsOfTheReloadAndBothBoxesComeInOrder)
{
    analysis->setChecked(false);
    Press(QDialogButtonBox::Ok);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, kBoxTitle);
    EXPECT_EQ(shown[0].text, kReload);
    EXPECT_FALSE(c->Options().ImageAnalysisEnabled());

    shown.clear();
    dialog.show();
    EXPECT_FALSE(analysis->isChecked()) << "the next show reads the stored switch";
    analysis->setChecked(true);
    field->setText("abc");
    Press(QDialogButtonBox::Ok);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, kReload);
    EXPECT_EQ(shown[1].title, kRangeTitle);
    EXPECT_EQ(shown[1].text, kRange);
    EXPECT_FALSE(c->Options().ImageAnalysisEnabled()) << "nothing is stored";
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OptionsDialog, ChosenCompilerIsStoredOnOkOnly)
{
    prompts->path = "/opt/compilers/glslc";
    Child<QPushButton>(&dialog, "pb_changeDir")->click();
    EXPECT_EQ(path->text(), "/opt/compilers/glslc");
    // Executables here have no extension: the filter must list names without a dot.
    EXPECT_EQ(prompts->openFilter, "Compiler (*)");
    Press(QDialogButtonBox::Cancel);
    EXPECT_FALSE(dialog.isVisible());
    const QString shipped = QCoreApplication::applicationDirPath() + "/xqf-glsl-check";
    EXPECT_EQ(c->Options().ShaderCompilerPath(), shipped);
    dialog.show();
    EXPECT_EQ(path->text(), shipped) << "showing again displays the path in force";

    // A cancelled file dialog keeps what the label shows.
    prompts->path = "/opt/compilers/glslc";
    Child<QPushButton>(&dialog, "pb_changeDir")->click();
    prompts->path.clear();
    Child<QPushButton>(&dialog, "pb_changeDir")->click();
    EXPECT_EQ(path->text(), "/opt/compilers/glslc");
    Press(QDialogButtonBox::Ok);
    EXPECT_EQ(c->Options().ShaderCompilerPath(), "/opt/compilers/glslc");
}

// Reads a key of the viewer's store file the way other programs do, with Python's plistlib.
QString ReadWithPlistlib(const QString& keyPath)
{
    const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvistaline Technologies/XQFTraceGuiQT.plist";
    QProcess python;
    python.start("python3", {"-c",
                             "import plistlib, sys\n"
                             "value = plistlib.load(open(sys.argv[1], 'rb'))\n"
                             "for part in sys.argv[2].split('/'):\n"
                             "    value = value[part]\n"
                             "print(value)\n",
                             file, keyPath});
    python.waitForFinished(10000);
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed() + QString::fromUtf8(python.readAllStandardError());
}

TEST_F(HelpDialogs, AboutBoxKeepsItsStartupChoiceAndHelpAboutAlwaysShowsIt)
{
    // Help > About, with the box unchecked there.
    {
        CModalAnswer answer([](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName(), "AboutBoxClass");
            auto* box = dialog->findChild<QCheckBox*>("ShowAtStartUpCB");
            EXPECT_TRUE(box->isChecked()) << "stored default";
            box->setChecked(false);
            dialog->findChild<QPushButton*>("OkButton")->click();
        });
        c->SLTAbout();
        EXPECT_TRUE(answer.Ran());
    }
    EXPECT_EQ(ReadWithPlistlib("XQFTrace/About/ShowSplash"), "False");

    // Not shown without force; shown with it, unchecked.
    CAboutBoxDialog quiet("XQFTrace", AboutSplashImage(), c->GetPreferences(), false, QString());
    {
        CModalAnswer answer([](QWidget* dialog) { dialog->close(); });
        EXPECT_EQ(quiet.ShowIfEnabled(), 1);
        EXPECT_FALSE(answer.Ran());
    }
    {
        CModalAnswer answer([](QWidget* dialog) {
            EXPECT_FALSE(dialog->findChild<QCheckBox*>("ShowAtStartUpCB")->isChecked());
            dialog->close();
        });
        c->SLTAbout();
        EXPECT_TRUE(answer.Ran());
    }
}

TEST_F(HelpDialogs, AboutBoxWithoutAStoreAlwaysShowsAndKeepsNothing)
{
    CAboutBoxDialog about("XQFTrace", AboutSplashImage(), nullptr, false, "extra");
    EXPECT_TRUE(about.ShowAtStartup());
    auto* box = about.findChild<QCheckBox*>("ShowAtStartUpCB");
    EXPECT_TRUE(box->isChecked());
    box->setChecked(false);
    box->setChecked(true);
    EXPECT_EQ(about.findChild<QLabel*>("AppVersionLabel")->text(), "XQFTrace" + productinfo::BuildSuffix());
    EXPECT_EQ(about.findChild<QLabel*>("VersionLabel")->text(), QString("Qt version ") + qVersion() + " | extra");
    EXPECT_EQ(about.size(), AboutSplashImage().size());
    CModalAnswer answer([](QWidget* dialog) { dialog->close(); });
    about.ShowIfEnabled();
    EXPECT_TRUE(answer.Ran());
    EXPECT_FALSE(c->GetPreferences()->HasKey(CXQFTString("XQFTrace/About/ShowSplash")));
}

TEST_F(HelpDialogs, FeedbackDialogTextsAndMailSubject)
{
    CFeedbackDialog dialog("XQFTraceGUI 3.0", "GL_RENDERER: soft & fast <1>");
    const QString info = "XQFTraceGUI 3.0" + productinfo::BuildSuffix();
    EXPECT_EQ(dialog.InfoLine(), info);
    EXPECT_EQ(dialog.windowTitle(), "Feedback");
    EXPECT_EQ(Child<QLabel>(&dialog, "ForumLabel")->text(), "Post your feedback in the Tarnvex Brevant Forum");
    EXPECT_EQ(Child<QLabel>(&dialog, "SupportEmailLabel")->text(), "Send your feedback to Tarnvex Halvenmoor");
    EXPECT_EQ(Child<QLabel>(&dialog, "RequiredTextLabel")->text(), "Please include the following text in your feedback");
    EXPECT_EQ(Child<QLabel>(&dialog, "SelectAndCopyLabel")->text(), "Select text [Ctrl + A] and copy [Ctrl + C]");
    auto* text = Child<QPlainTextEdit>(&dialog, "RequiredText");
    EXPECT_EQ(text->toPlainText(), info + "\nGL_RENDERER: soft & fast <1>");
    EXPECT_TRUE(text->isReadOnly());

    const QUrl mail(dialog.MailLink());
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), productinfo::kSupportAddress);
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Feedback " + info);
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), "GL_RENDERER: soft & fast <1>");
    EXPECT_TRUE(Child<QLabel>(&dialog, "SupportEmail")->text().contains(dialog.MailLink().toHtmlEscaped()));

    Child<QLabel>(&dialog, "ForumLabel")->setText("changed");
    dialog.translateUI(1);
    EXPECT_EQ(Child<QLabel>(&dialog, "ForumLabel")->text(), "changed") << "one language only";
    dialog.translateUI(0);
    EXPECT_EQ(Child<QLabel>(&dialog, "ForumLabel")->text(), CAutoUpdater::GetUpdaterString(11));

    CModalAnswer answer([](QWidget* shownDialog) {
        EXPECT_EQ(shownDialog->objectName(), "FeedbackClass");
        EXPECT_TRUE(shownDialog->findChild<QPlainTextEdit*>("RequiredText")->toPlainText().startsWith("XQFTraceGUI 3.0 (build "));
        EXPECT_TRUE(ClickButton(shownDialog, "Close"));
    });
    c->SLTFeedback();
    EXPECT_TRUE(answer.Ran());
}

TEST_F(HelpDialogs, MainWindowActionsReachTheirDialogs)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    prompts = ScriptPrompts(&shown);
    auto trigger = [&](const char* name) { window.findChild<QAction*>(name)->trigger(); };

    // OK in the preferences hands the compiler path to the shader editor as its custom compiler.
    trigger("actionOptions");
    EXPECT_TRUE(window.OptionsDialog()->isVisible());
    EXPECT_EQ(window.OptionsDialog()->parentWidget(), &window);
    std::vector<std::pair<std::string, unsigned>> received;
    QObject::connect(CShaderEditController::Instance(), &CShaderEditController::CompilerSettingsChanged,
                     window.OptionsDialog(), [&](Settings::SCompiler settings, unsigned mask) {
                         EXPECT_EQ(settings.CompilerSelection, 4u);
                         received.emplace_back(settings.CustomCompilerPath.CStr(), mask);
                     });
    prompts->path = "/opt/compilers/glslc";
    window.OptionsDialog()->findChild<QPushButton*>("pb_changeDir")->click();
    window.OptionsDialog()->findChild<QDialogButtonBox*>("m_buttonDialog")->button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(window.OptionsDialog()->isVisible());
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, "/opt/compilers/glslc");
    EXPECT_EQ(received[0].second, 130u);

    for (const char* action : {"actionAbout", "actionFeedback"}) {
        SCOPED_TRACE(action);
        QString shownName;
        CModalAnswer answer([&](QWidget* dialog) {
            shownName = dialog->objectName();
            EXPECT_EQ(dialog->parentWidget(), &window);
            dialog->close();
        });
        trigger(action);
        EXPECT_EQ(shownName, QString(action) == "actionAbout" ? "AboutBoxClass" : "FeedbackClass");
    }

    // The manual and the update check report through the prompts when nothing is there.
    trigger("actionHelp");
    trigger("actionCheck_for_Updates");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Documentation File Not Found");
    EXPECT_EQ(shown[1].title, "Failed to check for updates");
    window.close();
    CShaderEditController::Shutdown();
}

// Records the documents handed to the desktop.
class CDesktop : public QObject
{
    Q_OBJECT
public:
    CDesktop() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~CDesktop() override { QDesktopServices::unsetUrlHandler("file"); }
    QStringList opened;
public Q_SLOTS:
    void Open(const QUrl& url) { opened << url.toLocalFile(); }
};

// The manual opener in a working directory two levels below a "Documentation" folder.
class ManualOpener : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        previous = QDir::currentPath();
        QDir(root.path()).mkpath("a/b");
        QDir(root.path()).mkpath("Documentation");
        work = root.path() + "/a/b";
        QDir::setCurrent(work);
    }
    void TearDown() override
    {
        QDir::setCurrent(previous);
        CFreshControllerTest::TearDown();
    }
    static void Touch(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    CXQFTString Stored()
    {
        CXQFTString value;
        c->GetPreferences()->GetString(CXQFTString("OpenDocs/Document"), &value);
        return value;
    }

    const QString name = "XQFTrace.User Manual.pdf";
    QTemporaryDir root;
    QString work, previous;
    CDesktop desktop;
};

TEST_F(ManualOpener, LooksInTheStoredPathThenTheWorkingFolderThenDocumentation)
{
    Touch(root.path() + "/Documentation/" + name);
    c->SLTHelp();
    EXPECT_EQ(desktop.opened, QStringList{QDir::cleanPath(root.path() + "/Documentation/" + name)});

    Touch(work + "/" + name);
    c->SLTHelp();
    EXPECT_EQ(desktop.opened.value(1), work + "/" + name);

    Touch(root.path() + "/stored.pdf");
    c->GetPreferences()->SetString(CXQFTString("OpenDocs/Document"), (root.path() + "/stored.pdf").toLocal8Bit().constData());
    c->SLTHelp();
    EXPECT_EQ(desktop.opened.value(2), root.path() + "/stored.pdf");

    // A stored path whose file is gone falls back to the search.
    QFile::remove(root.path() + "/stored.pdf");
    c->SLTHelp();
    EXPECT_EQ(desktop.opened.value(3), work + "/" + name);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ManualOpener, LocatedFileIsKeptAndOpenedDirectlyNextTime)
{
    Touch(root.path() + "/located.pdf");
    prompts->answers = {QMessageBox::Ok, QMessageBox::Ok};
    prompts->paths = {root.path() + "/missing.pdf", root.path() + "/located.pdf"};
    c->SLTHelp();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, "warning");
    EXPECT_EQ(shown[0].title, "Documentation File Not Found");
    EXPECT_EQ(shown[0].text, "Please locate the file: " + name + "\n");
    EXPECT_EQ(shown[1].kind, "open");
    EXPECT_EQ(shown[1].title, "Open Source File");
    EXPECT_EQ(shown[1].text, "../../Documentation/");
    EXPECT_EQ(shown[2].title, "File Open Failed");
    EXPECT_EQ(shown[2].text, shown[0].text);
    EXPECT_EQ(desktop.opened, QStringList{root.path() + "/located.pdf"});
    EXPECT_STREQ(Stored().CStr(), (root.path() + "/located.pdf").toLocal8Bit().constData());

    // Saved to the file, so the next program start opens it without asking.
    c->Shutdown();
    c->Init(nullptr, nullptr);
    shown.clear();
    c->SLTHelp();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(desktop.opened.value(1), root.path() + "/located.pdf");
}

TEST_F(ManualOpener, CancelEndsTheRequestAndKeepsTheStoredPath)
{
    c->GetPreferences()->SetString(CXQFTString("OpenDocs/Document"), "/gone/manual.pdf");
    prompts->answers = {QMessageBox::Ok, QMessageBox::Cancel};
    prompts->paths = {QString()};   // the file dialog is cancelled
    c->SLTHelp();
    ASSERT_EQ(shown.size(), 2u);
    c->SLTHelp();
    ASSERT_EQ(shown.size(), 3u) << "Cancel in the box ends the request at once";
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_STREQ(Stored().CStr(), "/gone/manual.pdf");
}

} // namespace

#include "HelpDialogsTest.moc"
