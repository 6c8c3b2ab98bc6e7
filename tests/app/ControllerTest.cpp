// The open-trace road, the controller's signals and messages, the main window's title and status
// bar, settings and recent files across two program starts. Runs on the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "RecentFiles.h"
#include "RecentFilesMenu.h"
#include "ShaderEditController.h"
#include "TraceController.h"
#include "TraceEvent.h"
#include "TraceLoader.h"
#include "TraceStatistics.h"
#include "UserPrompts.h"
#include "XQFTraceGui_Qt.h"
#include "imageanalysis/ImaAnalDialog.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "imageviewer/GenericImageViewer.h"
#include "data/TraceData.h"

namespace {

const char kCutShort[] = "Unexpected end reading trace file.\n Try to open the processed calls.";
const char kBadFormat[] = "Bad Formatted file.";
const char kNotFound[] = "File not found: ";

// A fresh program whose controller signals are recorded in signals_.
class ControllerTest : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        QObject::connect(c, &CTraceController::SIGTraceUpdate, &receiver,
                         [this](bool clean) { signals_.push_back(clean ? "trace(true)" : "trace(false)"); });
        QObject::connect(c, &CTraceController::SIGFrameUpdate, &receiver, [this] { signals_.push_back("frame"); });
        QObject::connect(c, &CTraceController::SIGRequestedShowCall, &receiver,
                         [this](int n) { signals_.push_back("show " + std::to_string(n)); });
    }

    void Open(const QString& path)
    {
        shown.clear();
        signals_.clear();
        c->SLTOpenTrace(path);
    }

    std::vector<std::string> signals_;
    QObject receiver;
};

TEST_F(ControllerTest, EachOpenEndsWithItsMessageAndState)
{
    struct SCase {
        const char* file;
        QMessageBox::StandardButton answer;
        const char* message;   // null: no message
        bool open;
    } cases[] = {
        {"good.xqft", QMessageBox::Yes, nullptr, true},
        {"cut.xqft", QMessageBox::Yes, kCutShort, true},
        {"cut.xqft", QMessageBox::No, kCutShort, false},
        {"badmagic.xqft", QMessageBox::Yes, kBadFormat, false},
        {"headeronly.xqft", QMessageBox::Yes, kBadFormat, false},
        {"no such file.xqft", QMessageBox::Yes, kNotFound, false},
        {"folder.xqft", QMessageBox::Yes, kBadFormat, false},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(std::string(k.file) + (k.answer == QMessageBox::No ? " answered No" : ""));
        Open(TracePath("good.xqft"));
        ASSERT_NE(c->GetTrace(), nullptr);
        prompts->answer = k.answer;
        QSignalSpy status(c, &CTraceController::SIGUpdateTemporalStatusBar);
        Open(TracePath(k.file));
        // The old trace is dropped first, whatever the outcome.
        ASSERT_FALSE(signals_.empty());
        EXPECT_EQ(signals_.front(), "trace(true)");
        if (k.message) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].kind, "warning");
            EXPECT_EQ(shown[0].title, "Error reading file");
            // The status bar says what the box says, not the load's last progress (a trace that
            // opens after the box goes on to its own status lines).
            ASSERT_FALSE(status.isEmpty());
            if (!k.open) {
                EXPECT_EQ(status.last().value(0).toString(), shown[0].text.section('\n', 0, 0).trimmed());
            }
            if (k.message == kNotFound) {
                EXPECT_EQ(shown[0].text, QString(kNotFound) + TracePath(k.file));
            } else {
                // The text, the file, then what the reader found.
                EXPECT_TRUE(shown[0].text.startsWith(QString(k.message) + "\n\n" + TracePath(k.file) + "\n"))
                    << shown[0].text.toStdString();
                EXPECT_GT(shown[0].text.size(), QString(k.message).size() + TracePath(k.file).size() + 3);
            }
        } else {
            EXPECT_TRUE(shown.empty());
        }
        EXPECT_EQ(c->GetTrace() != nullptr, k.open);
        // Only a trace that opened joins the recent files.
        EXPECT_EQ(c->GetRecentFiles()->Files().value(0), TracePath(k.open ? k.file : "good.xqft"));
        EXPECT_EQ(c->GetStatistics() != nullptr, k.open);
        if (k.open) {
            EXPECT_EQ(signals_, (std::vector<std::string>{"trace(true)", "trace(false)", "frame"}));
            EXPECT_EQ(c->GetFilePath(), TracePath(k.file));
            EXPECT_EQ(c->GetTrace()->GetCurrentFrameNumber(), 1);
            EXPECT_EQ(c->GetCurrentFrame(), 1u);
        } else {
            EXPECT_EQ(signals_, std::vector<std::string>{"trace(true)"});
        }
    }
    prompts->answer = QMessageBox::Yes;
}

TEST_F(ControllerTest, FirstOpenEmitsTraceThenFrame)
{
    Open(TracePath("good.xqft"));
    EXPECT_EQ(signals_, (std::vector<std::string>{"trace(false)", "frame"}));
    EXPECT_GE(c->GetTrace()->GetFrameCount(), 4);
    // Every open lands in the recent files, most recent first, its path as given.
    EXPECT_EQ(c->GetRecentFiles()->Files().value(0), TracePath("good.xqft"));
}

// A loader in front of the reader that reports a chosen code, with or without the reader's trace.
class CForcedLoader : public CTraceLoader
{
public:
    CForcedLoader(int code, bool withTrace, bool throws = false) : m_code(code), m_withTrace(withTrace), m_throws(throws) {}
    int Load(const CXQFTString& path, CBasicEvent* listener) override
    {
        if (m_throws)
            throw 42;
        CTraceLoader::Load(path, listener);
        return m_code;
    }
    CTraceData* GetTraceData() override { return m_withTrace ? CTraceLoader::GetTraceData() : nullptr; }

private:
    int m_code;
    bool m_withTrace;
    bool m_throws;
};

TEST_F(ControllerTest, OtherResultCodesNeedATraceToGoOn)
{
    c->SetLoader(std::make_unique<CForcedLoader>(5, false));
    Open(TracePath("good.xqft"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(QString(kBadFormat) + "\n\n" + TracePath("good.xqft")));
    EXPECT_EQ(c->GetTrace(), nullptr);

    c->SetLoader(std::make_unique<CForcedLoader>(5, true));
    Open(TracePath("good.xqft"));
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(c->GetTrace(), nullptr);

    c->SetLoader(std::make_unique<CForcedLoader>(1, true));
    prompts->answer = QMessageBox::No;
    Open(TracePath("good.xqft"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(QString(kCutShort) + "\n\n" + TracePath("good.xqft")));
    EXPECT_EQ(c->GetTrace(), nullptr);
    prompts->answer = QMessageBox::Yes;

    c->SetLoader(std::make_unique<CForcedLoader>(0, true, true));
    Open(TracePath("good.xqft"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "critical");
    EXPECT_EQ(shown[0].text, "File corrupted.");
    EXPECT_EQ(c->GetTrace(), nullptr);
}

// A request served by the events the progress display pumps arrives while the reader works.
class CReenteringLoader : public CTraceLoader
{
public:
    int Load(const CXQFTString& path, CBasicEvent* listener) override
    {
        CTraceController::Instance()->SLTOpenTrace(TracePath("stats.xqft"));
        return CTraceLoader::Load(path, listener);
    }
};

TEST_F(ControllerTest, AnOpenRequestedDuringALoadIsIgnored)
{
    c->SetLoader(std::make_unique<CReenteringLoader>());
    Open(TracePath("good.xqft"));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(signals_, (std::vector<std::string>{"trace(false)", "frame"}));
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
}

// A load that, halfway, sees an analysis take an open request and end while the load still runs.
class CAnalysingLoader : public CTraceLoader
{
public:
    int Load(const CXQFTString& path, CBasicEvent* listener) override
    {
        if (!m_done) {
            m_done = true;
            CTraceController* c = CTraceController::Instance();
            c->SetAnalysisRunning(true);
            c->SLTOpenTrace(TracePath("stats.xqft"));
            c->SetAnalysisRunning(false);
            QTest::qWait(30);  // the deferred open comes up while this load is busy
        }
        return CTraceLoader::Load(path, listener);
    }

private:
    bool m_done = false;
};

TEST_F(ControllerTest, AnOpenRequestedDuringAnAnalysisAbortsItAndOpensOnceItEnded)
{
    int aborts = 0;
    QObject::connect(c, &CTraceController::SIGAbortAnalysis, &receiver, [&] { ++aborts; });
    Open(TracePath("good.xqft"));
    signals_.clear();
    // The analysis replays the open trace: the open asks it to stop and waits, the trace stays.
    c->SetAnalysisRunning(true);
    c->SLTOpenTrace(TracePath("stats.xqft"));
    EXPECT_EQ(aborts, 1);
    QTest::qWait(20);
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
    EXPECT_TRUE(signals_.empty());
    // Ended, it returns to the event loop before the file opens.
    auto opened = [&] {
        for (int waited = 0; waited < 10000 && c->GetFilePath() != TracePath("stats.xqft"); waited += 10)
            QTest::qWait(10);
        return c->GetFilePath() == TracePath("stats.xqft");
    };
    c->SetAnalysisRunning(false);
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
    EXPECT_TRUE(opened());
    EXPECT_EQ(signals_, (std::vector<std::string>{"trace(true)", "trace(false)", "frame"}));

    // An analysis that ends inside a load: the open waits for the load too, then comes.
    c->SetLoader(std::make_unique<CAnalysingLoader>());
    Open(TracePath("good.xqft"));
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
    EXPECT_EQ(aborts, 2);
    EXPECT_TRUE(opened());
    EXPECT_TRUE(shown.empty());
}

TEST_F(ControllerTest, ShowCallMovesToItsFrameAndIgnoresNumbersWithoutEntry)
{
    Open(TracePath("good.xqft"));
    CTraceData* trace = c->GetTrace();
    const u32 calls = trace->GetCallCount();
    signals_.clear();
    c->SLTRequestedShowCall(int(calls) + 1000);   // a search result of an earlier, longer trace
    c->SLTRequestedShowCall(0);
    EXPECT_TRUE(signals_.empty());

    c->SLTRequestedShowCall(int(calls));           // last call: in the last frame
    EXPECT_EQ(signals_, (std::vector<std::string>{"frame", "show " + std::to_string(calls)}));
    signals_.clear();
    c->SLTRequestedShowCall(int(calls));           // same frame: only the call
    EXPECT_EQ(signals_, std::vector<std::string>{"show " + std::to_string(calls)});
}

// The call sets change only through the controller, which says so once per real change; the next
// program start (Shutdown, Init) finds them empty.
TEST_F(ControllerTest, CallSetsChangeThroughTheControllerAndEndWithTheProgram)
{
    int changes = 0;
    QObject::connect(c, &CTraceController::SIGCallSetsChanged, &receiver, [&] { ++changes; });
    c->SetFunctionFiltered(7, true);
    c->SetFunctionFiltered(7, true);      // already there: no change
    c->SetFunctionHighlighted(9, true);
    c->SetCallDisabled(3, true);
    c->SetFunctionDisabled(5, true);
    c->SetRangeMode(true);
    c->SetRangeMode(true);
    EXPECT_EQ(changes, 5);
    const std::set<u32>* filters = nullptr;
    const std::set<u32>* highlights = nullptr;
    c->GetFilterSets(&filters, &highlights);
    EXPECT_EQ(*filters, std::set<u32>{7});
    EXPECT_EQ(*highlights, std::set<u32>{9});
    EXPECT_EQ(c->GetDisabledCalls(), std::set<u32>{3});
    EXPECT_EQ(c->GetDisabledFunctions(), std::set<u32>{5});
    c->SetCallDisabled(4, false);         // not there: no change
    EXPECT_EQ(changes, 5);

    Open(TracePath("good.xqft"));
    ASSERT_FALSE(c->GetFilePath().isEmpty());
    c->Shutdown();
    c->Init(nullptr, nullptr);
    EXPECT_TRUE(filters->empty() && highlights->empty());
    EXPECT_TRUE(c->GetDisabledCalls().empty() && c->GetDisabledFunctions().empty());
    EXPECT_FALSE(c->GetRangeMode());
    EXPECT_TRUE(c->GetFilePath().isEmpty());
    EXPECT_EQ(c->GetCurrentFrame(), 0u);
    EXPECT_EQ(c->GetTrace(), nullptr);
}

TEST(TraceEvent, ProgressTextIsPercentThenTheReadersLine)
{
    EXPECT_EQ(CTraceEvent::ProgressText(5, 200, "Frame: 3  @ glClear "), "Opening file: 2%  Frame: 3  @ glClear ");
    EXPECT_EQ(CTraceEvent::ProgressText(100, 100, "Trace Processed"), "Opening file: 100%  Trace Processed");
    EXPECT_EQ(CTraceEvent::ProgressText(0, 0, "Reading File"), "Opening file: 0%  Reading File");
}

TEST_F(ControllerTest, ExportsReportFailuresAndLeaveTheCursorWhereItWas)
{
    Open(TracePath("good.xqft"));
    c->SLTRequestUpdateFrame(2);
    CTraceData* trace = c->GetTrace();
    trace->GetNextCall();
    const int call = trace->GetCurrentCallNumber();

    const QString folder = QString::fromStdString(TraceDir());
    struct SExport {
        void (CTraceController::*slot)();
        const char* file;
        const char* done;
        const char* dialog;  // the save dialog's caption (none for the shader folder)
    } exports[] = {
        {&CTraceController::STLSaveFrames, "all.txt", "Frames Saved.", "Save Trace"},
        {&CTraceController::STLSaveFrame, "frame.txt", "Frame Saved.", "Save Trace"},
        {&CTraceController::STLSaveFrameSummary, "frames.csv", "Frames Summary saved.", "Save Frames Summary"},
        {&CTraceController::STLSaveCallsSummary, "calls.csv", "Calls Summary saved.", "Save Calls Summary"},
        {&CTraceController::SLTSaveShaders, "shaders", "Shader Saved.", ""},
    };
    QDir().mkpath(folder + "/shaders");
    // The slots are called through a local: in the sanitizer build GCC 12 checks the fixture's
    // base behind `c->*slot` on the virtual-slot path only and reads a stale register otherwise.
    CTraceController* const controller = c;
    for (const SExport& e : exports) {
        SCOPED_TRACE(e.file);
        shown.clear();
        prompts->saveTitle.clear();
        prompts->path = folder + "/no such folder/" + e.file;
        (controller->*e.slot)();
        EXPECT_EQ(prompts->saveTitle, e.dialog);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, "critical");
        EXPECT_EQ(shown[0].title, "Operation Failed");

        shown.clear();
        prompts->path = folder + "/" + e.file;
        (controller->*e.slot)();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, "information");
        EXPECT_EQ(shown[0].title, "Operation Complete");
        EXPECT_EQ(shown[0].text, e.done);
        if (QFileInfo(prompts->path).isDir())
            EXPECT_FALSE(QDir(prompts->path).entryList({"XQFTraceShader_Shader*"}).isEmpty());
        else
            EXPECT_TRUE(QFileInfo(prompts->path).size() > 0);

        EXPECT_EQ(trace->GetCurrentFrameNumber(), 2);
        EXPECT_EQ(trace->GetCurrentCallNumber(), call);
    }

    // The current-frame export holds only frame 2, headed as the last frame.
    QFile frame(folder + "/frame.txt");
    ASSERT_TRUE(frame.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(frame.readAll());
    EXPECT_TRUE(text.startsWith("NoFrames:2\n\nWriting to file:\n\nFrame:2/2\n")) << text.left(80).toStdString();

    // A cancelled dialog writes nothing and says nothing.
    shown.clear();
    prompts->path.clear();
    c->STLSaveFrames();
    c->SLTSaveShaders();
    EXPECT_TRUE(shown.empty());
}

TEST_F(ControllerTest, RequestsServedWhileTheTextExportPumpsEventsLeaveItWhole)
{
    Open(TracePath("good.xqft"));
    const QString folder = QString::fromStdString(TraceDir());
    prompts->path = folder + "/undisturbed.txt";
    c->STLSaveFrames();

    // A dropped file and a slider move arrive while the export repaints its progress.
    bool served = false;
    QObject::connect(c, &CTraceController::SIGUpdateTemporalStatusBar, &receiver, [&](const QString& text) {
        if (served || !text.startsWith("Saving trace..."))
            return;
        served = true;
        c->SLTOpenTrace(TracePath("stats.xqft"));
        c->STLSaveFrames();
        c->SLTRequestUpdateFrame(3);
    });
    shown.clear();
    prompts->path = folder + "/disturbed.txt";
    c->STLSaveFrames();
    ASSERT_TRUE(served);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Frames Saved.");
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
    ASSERT_NE(c->GetTrace(), nullptr);
    // The trace stands on the frame the views were told about.
    EXPECT_EQ(c->GetCurrentFrame(), 3u);
    EXPECT_EQ(c->GetTrace()->GetCurrentFrameNumber(), 3);

    QFile a(folder + "/undisturbed.txt"), b(folder + "/disturbed.txt");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(ControllerTest, StatisticsGiveRecordZeroPastTheLastFrame)
{
    Open(TracePath("stats.xqft"));
    CTraceStatistics* s = c->GetStatistics();
    ASSERT_NE(s, nullptr);
    const STraceFrameStats* zero = s->GetFrame(0);
    EXPECT_EQ(s->GetFrame(s->GetFrameCount() + 1), zero);
    EXPECT_EQ(zero->frame.functionCalls, 0u);
    EXPECT_EQ(s->GetFrame(1)->total.functionCalls, s->GetFrame(1)->frame.functionCalls);
    EXPECT_EQ(c->GetFrameStats(0), s->GetFrame(1));
}

TEST_F(ControllerTest, FrameStatsOfTheFrameAskedForOrOfTheCurrentOne)
{
    Open(TracePath("stats.xqft"));
    CTraceStatistics* s = c->GetStatistics();
    ASSERT_NE(s, nullptr);
    ASSERT_GE(s->GetFrameCount(), 2u);
    ASSERT_EQ(c->GetCurrentFrame(), 1u);
    EXPECT_EQ(c->GetFrameStats(2), s->GetFrame(2));
    EXPECT_NE(c->GetFrameStats(2), c->GetFrameStats(0));
    EXPECT_EQ(c->GetFrameStats(0), s->GetFrame(1));
}

TEST_F(ControllerTest, SettingsDefaultsAndWhatIsWrittenBack)
{
    EXPECT_TRUE(c->Options().ExportIDCalls());
    EXPECT_TRUE(c->Options().ImageAnalysisEnabled());
    EXPECT_TRUE(c->Options().CheckForUpdates());
    EXPECT_EQ(c->Options().MaxSearchItems(), 100);
    // No path set: the checker shipped beside the executables.
    EXPECT_EQ(c->Options().ShaderCompilerPath(), QCoreApplication::applicationDirPath() + "/xqf-glsl-check");
    EXPECT_EQ(QString::fromLatin1(c->Options().CaptureOutputPath().CStr()), QDir::tempPath() + "/networkTrace.xqft");
    EXPECT_EQ(c->Options().RecentAddresses().size, 0u);
    c->Shutdown();

    // Values of the wrong type leave the defaults; eight addresses come back as five.
    {
        CXQFPreferences store(CXQFTString("XQFTraceGuiQT"), 0);
        CXQFTString error;
        ASSERT_TRUE(store.Load(error, false));
        store.SetString(CXQFTString("OptGen_generalMaxSearchItems"), "many");
        store.SetInteger(CXQFTString("OptGen_exportIDCalls"), 7);
        store.SetString(CXQFTString("OptGen_shaderCompilerPath"), "/opt/glsl/compile");
        store.SetString(CXQFTString("OptNet_outPutTrace"), "/captures/device.xqft");
        CXQFTArray<CXQFTString> addresses;
        for (int i = 0; i < 8; ++i)
            addresses.Append(StringFromFormat("10.0.0.%d", i));
        store.SetStringArray(CXQFTString("OptNet_recentAddress"), addresses);
        ASSERT_TRUE(store.Save(true));
    }
    c->Init(nullptr, nullptr);
    EXPECT_EQ(c->Options().MaxSearchItems(), 100);
    EXPECT_TRUE(c->Options().ExportIDCalls());
    EXPECT_EQ(c->Options().ShaderCompilerPath(), "/opt/glsl/compile");
    EXPECT_STREQ(c->Options().CaptureOutputPath().CStr(), "/captures/device.xqft");
    EXPECT_EQ(c->Options().RecentAddresses().size, 8u);
    c->Shutdown();

    CXQFPreferences store(CXQFTString("XQFTraceGuiQT"), 0);
    CXQFTString error;
    ASSERT_TRUE(store.Load(error, false));
    CXQFTArray<CXQFTString> addresses;
    store.GetStringArray(CXQFTString("OptNet_recentAddress"), &addresses);
    ASSERT_EQ(addresses.size, 5u);
    EXPECT_STREQ(addresses.data[4].CStr(), "10.0.0.4");
}

TEST_F(ControllerTest, EmulatorProfileIsOneWhileRunningAndComesBackAtExit)
{
    auto profile = [] {
        CXQFPreferences store(CXQFTString("XQFMirbex"), 0);
        CXQFTString error;
        u32 value = 99;
        if (store.Load(error, false))
            store.GetInteger(CXQFTString("profile"), &value);
        return value;
    };
    // No store before the start: 1 while running and 1 after.
    EXPECT_EQ(profile(), 1u);
    c->Shutdown();
    EXPECT_EQ(profile(), 1u);
    {
        CXQFPreferences store(CXQFTString("XQFMirbex"), 0);
        CXQFTString error;
        ASSERT_TRUE(store.Load(error, false));
        store.SetInteger(CXQFTString("profile"), 3);
        ASSERT_TRUE(store.Save(true));
    }
    c->Init(nullptr, nullptr);
    EXPECT_EQ(profile(), 1u);
    c->Shutdown();
    EXPECT_EQ(profile(), 3u);

    // A store that loads but holds no integer "profile": the profile found is 0, and 0 comes back.
    {
        CXQFPreferences store(CXQFTString("XQFMirbex"), 0);
        CXQFTString error;
        ASSERT_TRUE(store.Load(error, false));
        store.SetString(CXQFTString("profile"), "not a number");
        ASSERT_TRUE(store.Save(true));
    }
    c->Init(nullptr, nullptr);
    EXPECT_EQ(profile(), 1u);
    c->Shutdown();
    EXPECT_EQ(profile(), 0u);
}

TEST_F(ControllerTest, RecentFilesKeepTenDistinctEntriesMostRecentFirst)
{
    CRecentFiles* recent = c->GetRecentFiles();
    for (int i = 1; i <= 11; ++i)
        recent->addFile(QString("/traces/t%1.xqft").arg(i));
    recent->addFile("/traces/t5.xqft");
    const QStringList files = recent->Files();
    ASSERT_EQ(files.size(), 10);
    EXPECT_EQ(files[0], "/traces/t5.xqft");
    EXPECT_EQ(files[1], "/traces/t11.xqft");
    EXPECT_FALSE(files.contains("/traces/t1.xqft"));
    EXPECT_EQ(files.count("/traces/t5.xqft"), 1);

    // The menu holds one entry per file, before the separator, and "Clear" empties both.
    QMenu menu;
    recent->Install(&menu);
    int entries = 0;
    for (QAction* a : menu.actions())
        entries += a->property("ARecentFile").isValid();
    EXPECT_EQ(entries, 10);
    QAction* clear = menu.actions().last();
    EXPECT_EQ(clear->text(), "Clear recent files");
    clear->trigger();
    recent->Rebuild(&menu);
    EXPECT_TRUE(recent->Files().isEmpty());
    entries = 0;
    for (QAction* a : menu.actions())
        entries += a->property("ARecentFile").isValid();
    EXPECT_EQ(entries, 0);
}

TEST_F(ControllerTest, RecentFileEntriesShowTheSystemsSeparators)
{
    CRecentFiles* recent = c->GetRecentFiles();
    recent->clear();
    recent->addFile("/tmp/a/b.xqft");
    QMenu menu;
    recent->Install(&menu);
    QAction* entry = menu.actions().value(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(recent->Files().value(0), "/tmp/a/b.xqft") << "stored as given";
    EXPECT_EQ(entry->text(), QDir::toNativeSeparators("1 /tmp/a/b.xqft"));
    EXPECT_EQ(entry->toolTip(), QDir::toNativeSeparators("/tmp/a/b.xqft"));
}

// Entries as the menu offers them: a name holding '\' opens again, an entry of the old '\' form
// still opens its file and is replaced by the next open of it, and an entry whose file is gone
// says so and leaves the list; the others keep their order.
TEST_F(ControllerTest, RecentEntriesReopenTheirFilesAndAGoneFileLeavesTheList)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));   // this test's own
    const QString slashed = dir + "/back\\slash.xqft";
    const QString gone = dir + "/gone-since.xqft";
    ASSERT_TRUE(QFile::copy(TracePath("good.xqft"), slashed));
    ASSERT_TRUE(QFile::copy(TracePath("good.xqft"), gone));
    CRecentFiles* recent = c->GetRecentFiles();
    recent->clear();
    Open(gone);
    Open(slashed);
    {
        // A list written by an earlier version: '\' for every '/'.
        QStringList files = recent->Files();
        files.append(QString(TracePath("good.xqft")).replace('/', '\\'));
        CXQFTArray<CXQFTString> stored;
        for (const QString& f : files)
            stored.Append(CXQFTString(f.toUtf8().constData()));
        c->GetPreferences()->SetStringArray(recent->Key(), stored);
    }
    ASSERT_TRUE(QFile::remove(gone));
    ASSERT_EQ(recent->Files(), QStringList({slashed, gone, QString(TracePath("good.xqft")).replace('/', '\\')}));

    QMenu menu;
    recent->Install(&menu);
    auto entry = [&](int i) {
        QList<QAction*> entries;
        Q_EMIT menu.aboutToShow();
        for (QAction* a : menu.actions())
            if (a->property("ARecentFile").isValid())
                entries << a;
        return entries.value(i);
    };
    EXPECT_EQ(entry(2)->toolTip(), TracePath("good.xqft")) << "the old form shows as the file's path";

    entry(0)->trigger();
    EXPECT_TRUE(shown.empty());
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_EQ(c->GetFilePath(), slashed);

    entry(1)->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error reading file");
    EXPECT_EQ(shown[0].text, "File not found: " + gone);
    EXPECT_EQ(recent->Files(), QStringList({slashed, QString(TracePath("good.xqft")).replace('/', '\\')}));

    shown.clear();
    entry(1)->trigger();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
    EXPECT_EQ(recent->Files(), QStringList({TracePath("good.xqft"), slashed})) << "the old entry made way";
}

TEST(MessageBoxes, AShortTextLeavesTheBoxAsWideAsItsTitle)
{
    QMessageBox box(QMessageBox::Warning, "Error reading file", "Bad.", QMessageBox::Ok);
    FitMessageBoxToTitle(box);
    box.show();
    EXPECT_GE(box.width(), QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle()) + 100);
}

TEST(RecentFilesText, LongEntriesAreCutAfterTheFirstBackslash)
{
    EXPECT_EQ(CRecentFiles::ShortText("1 \\a\\b.xqft"), "1 \\a\\b.xqft");
    const QString longText = "1 \\home\\user\\projects\\graphics\\captures\\day1\\run.xqft";   // 53 characters
    ASSERT_EQ(longText.size(), 53);
    // Cut 8: from the first '\' + 1 to the first '\' at or after index 2 + 1 + 8.
    EXPECT_EQ(CRecentFiles::ShortText(longText), "1 \\...\\projects\\graphics\\captures\\day1\\run.xqft");
    const QString noSlash = QString(50, 'x');
    EXPECT_EQ(CRecentFiles::ShortText(noSlash), "..." + QString(45, 'x'));
}

class MainWindowTest : public ControllerTest
{
protected:
    // The window's shader editor started the editor controller's worker: it ends while the
    // application runs, as the viewer's main ends it.
    void TearDown() override
    {
        CShaderEditController::Shutdown();
        ControllerTest::TearDown();
    }
};

// At the default font and window size the image-analysis dock shows its tool buttons whole and an
// image area of a useful height, and its options dialog every label whole.
TEST_F(MainWindowTest, TheImageAnalysisDockAndItsOptionsFitTheirContents)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    ScriptPrompts(&shown);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* dock = window.findChild<CImageAnalysisWidget*>();
    ASSERT_NE(dock, nullptr);
    QWidget* contents = dock->Form().dockWidgetContents;
    for (QToolButton* button : {dock->Form().tb_activeScrubber, dock->Form().tb_showOptions}) {
        const QRect inContents(button->mapTo(contents, QPoint(0, 0)), button->size());
        EXPECT_TRUE(contents->rect().contains(inContents)) << inContents.x() << "+" << inContents.width()
                                                           << " in " << contents->width();
        EXPECT_TRUE(dock->rect().contains(QRect(button->mapTo(dock, QPoint(0, 0)), button->size())));
    }
    EXPECT_GE(dock->Viewer().Form().f_imageViewerFrame->height(), 200);

    CImaAnalDialog* options = dock->Options();
    options->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    for (QAbstractButton* b : options->findChildren<QAbstractButton*>())
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    options->hide();
}

TEST_F(MainWindowTest, TitleFrameLabelAndSliderFollowTheOpenTrace)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    ScriptPrompts(&shown);
    EXPECT_EQ(window.windowTitle(), "XQFTraceGUI 3.0");
    EXPECT_EQ(window.size(), QSize(941, 768));
    EXPECT_EQ(window.FrameLabel()->text(), "Frame: ");

    c->SLTOpenTrace(TracePath("run.1.xqft"));
    EXPECT_EQ(window.windowTitle(), "XQFTraceGUI 3.0 run.1.xqft");
    const int frames = c->GetTrace()->GetFrameCount();
    EXPECT_EQ(window.FrameLabel()->text(), QString("Frame 1 of %1 ").arg(frames));
    EXPECT_EQ(window.FrameSlider()->minimum(), 1);
    EXPECT_EQ(window.FrameSlider()->maximum(), frames);
    EXPECT_TRUE(window.ExportMenu()->isEnabled());

    // Moving the slider requests the frame once; the answer moves nothing back.
    int requests = 0;
    QObject::connect(c, &CTraceController::SIGFrameUpdate, &receiver, [&] { ++requests; });
    window.FrameSlider()->setValue(3);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(c->GetTrace()->GetCurrentFrameNumber(), 3);
    EXPECT_EQ(window.FrameLabel()->text(), QString("Frame 3 of %1 ").arg(frames));

    // A failed open closed the trace: nothing in the window names it or its frame any more.
    c->SLTOpenTrace(TracePath("badmagic.xqft"));
    EXPECT_EQ(c->GetTrace(), nullptr);
    EXPECT_FALSE(window.ExportMenu()->isEnabled());
    EXPECT_EQ(window.windowTitle(), "XQFTraceGUI 3.0");
    EXPECT_EQ(window.FrameLabel()->text(), "Frame: ");
    EXPECT_EQ(window.FrameSlider()->maximum(), 1);
    EXPECT_EQ(c->GetFilePath(), "");
    EXPECT_EQ(c->GetCurrentFrame(), 0u);
    EXPECT_FALSE(window.statusBar()->currentMessage().contains("run.1.xqft"));
}

TEST_F(MainWindowTest, MenusAndDocksStandAsBuilt)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    EXPECT_EQ(window.objectName(), "XQFTraceGui_QtClass");
    EXPECT_EQ(window.statusBar()->currentMessage(), "Ready.");
    // Each menu as "object name: entries", separators as "|", submenus by their title.
    auto entries = [](QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QString("|") : a->text() + (a->isEnabled() ? "" : " (off)"));
        return menu->objectName() + ": " + out.join(", ");
    };
    QStringList menus;
    for (QAction* a : window.menuBar()->actions())
        menus << a->menu()->title();
    EXPECT_EQ(menus, (QStringList{"File", "Tools", "View", "Help"}));
    const QMenuBar* bar = window.menuBar();
    auto menu = [&](const char* name) { return bar->findChild<QMenu*>(name); };
    EXPECT_EQ(entries(menu("menuFile")), "menuFile: Open, Open Recent File, Export, |, Exit");
    EXPECT_EQ(entries(menu("menuSave")), "menuSave: Current Frame (.txt), All Frames (.txt), |, Shaders (.txt), |, "
                                         "Frame Statistics (.csv), Call Statistics (.csv)");
    EXPECT_EQ(entries(menu("menuTools")), "menuTools: Trace Manager (off), Remote Controller..., Preferences...");
    EXPECT_EQ(entries(menu("menuView")),
              "menuView: Show Statistics, Show Output, Show States, Show Image Analysis, Show Data Viewer");
    EXPECT_EQ(entries(menu("menuHelp")), "menuHelp: XQFTrace Help, Feedback..., About..., |, Check for Updates");
    EXPECT_EQ(menu("menuOpen_Recently"), nullptr);   // the form's placeholder is gone

    struct SDock {
        const char* name;
        const char* title;
        Qt::DockWidgetArea area;
    } docks[] = {{"StatisticViewerDock", "Statistics", Qt::LeftDockWidgetArea},
                 {"OutPutViewerDock", "Output", Qt::LeftDockWidgetArea},
                 {"RenderStateDock", "States", Qt::LeftDockWidgetArea},
                 {"ImageAnalysis", "Image Analysis", Qt::RightDockWidgetArea},
                 {"DataViewerDock", "Data Viewer", Qt::RightDockWidgetArea}};
    for (const SDock& d : docks) {
        auto* dock = window.findChild<QDockWidget*>(d.name);
        ASSERT_NE(dock, nullptr) << d.name;
        EXPECT_EQ(dock->windowTitle(), d.title);
        EXPECT_EQ(window.dockWidgetArea(dock), d.area) << d.name;
    }
    // The unplaced actions of the form exist, the two switches with their check states.
    auto* enumerate = window.findChild<QAction*>("actionEnumerate_Frames_Call_Comp");
    auto* include = window.findChild<QAction*>("actionInclude_Data");
    ASSERT_TRUE(enumerate && include);
    EXPECT_TRUE(enumerate->isCheckable() && enumerate->isChecked());
    EXPECT_TRUE(include->isCheckable() && !include->isChecked());
    EXPECT_NE(window.findChild<QAction*>("actionQuit"), nullptr);
}

TEST_F(MainWindowTest, OnlyDroppedXqftFilesOpenAboutATenthOfASecondLater)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    ScriptPrompts(&shown);
    auto mime = [](const QString& path) {
        auto* m = new QMimeData;
        m->setUrls({QUrl::fromLocalFile(path)});
        return m;
    };
    struct SDrag {
        QString path;
        bool accepted;
    } drags[] = {{TracePath("good.xqft"), true}, {"/tmp/RUN.XQFT", false}, {"/tmp/notes.txt", false}};
    for (const SDrag& d : drags) {
        std::unique_ptr<QMimeData> data(mime(d.path));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&window, &enter);
        EXPECT_EQ(enter.isAccepted(), d.accepted) << d.path.toStdString();
    }
    std::unique_ptr<QMimeData> data(mime(TracePath("run.1.xqft")));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(c->GetTrace(), nullptr);
    QTest::qWait(300);
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_EQ(c->GetFilePath(), TracePath("run.1.xqft"));
}

TEST_F(MainWindowTest, SecondStartFindsTheRecentFileAndTheWindowLayout)
{
    c->Shutdown();
    FreshConfigHome();   // first start: nothing stored at all
    QByteArray state;
    {
        XQFTraceGui_Qt first;
        ScriptPrompts(&shown);
        first.resize(800, 600);
        first.findChild<QDockWidget*>("OutPutViewerDock")->hide();
        c->SLTOpenTrace(TracePath("good.xqft"));
        ASSERT_NE(c->GetTrace(), nullptr);
        state = first.saveState(0);
    }
    c->Shutdown();   // the rest of the first program's exit

    XQFTraceGui_Qt second;
    EXPECT_EQ(c->GetRecentFiles()->Files().value(0), TracePath("good.xqft"));
    EXPECT_EQ(second.size(), QSize(800, 600));
    EXPECT_EQ(second.saveState(0), state);
    EXPECT_TRUE(second.findChild<QDockWidget*>("OutPutViewerDock")->isHidden());
    // The entry opens the file again through the menu.
    QMenu* menu = second.RecentFilesMenu();
    Q_EMIT menu->aboutToShow();
    QAction* entry = nullptr;
    for (QAction* a : menu->actions())
        if (a->property("ARecentFile").isValid() && !entry)
            entry = a;
    ASSERT_NE(entry, nullptr);
    ScriptPrompts(&shown);
    entry->trigger();
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_EQ(c->GetFilePath(), TracePath("good.xqft"));
}

} // namespace
