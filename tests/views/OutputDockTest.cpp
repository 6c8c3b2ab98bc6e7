// The diagnostics log and the Output dock, offscreen, in the test's own working directory: both
// standard streams end up in output.log in the order they were written (and one never writes over
// the other), a log that cannot be written leaves the streams where they were, the "Output" tab
// shows the whole file with the cursor at its end, and the dock's tabs.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTabWidget>
#include <QPlainTextEdit>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ConsoleReport.h"
#include "ViewsTestApp.h"
#include "output/OutputLog.h"
#include "output/OutputViewerWidget.h"
#include "output/OutputWidget.h"

namespace {

[[maybe_unused]] QApplication& kApp = TestApp();

std::string ReadFile(const char* path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

// Puts the program's standard streams back on the console after a test moved them.
struct SRestoreStreams
{
    ~SRestoreStreams()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(ConsoleOut(), STDOUT_FILENO);
        ::dup2(ConsoleErr(), STDERR_FILENO);
    }
};

TEST(OutputLog, BothStreamsAppendInTheOrderTheyWereWritten)
{
    const SRestoreStreams restore;
    {
        QFile old(kOutputLogName);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("what an earlier run left\n");
    }
    const SLogStreams streams = RedirectStandardStreams();
    ASSERT_TRUE(streams.redirected);
    // An error line is its text on standard error and its line end on standard output: neither
    // stream may write at a position of its own over what the other appended.
    std::printf("Host Library Loaded: libEGL.so.1\n");
    std::fputs("ERROR: Problem calling call", stderr);
    std::printf("\n");
    // Lines alternate between the streams, with no flush between them.
    std::printf("out 1\n");
    std::fputs("err 2\n", stderr);
    std::printf("out 3\n");
    std::fputs("err 4\n", stderr);
    std::fflush(streams.err);
    std::fflush(streams.out);
    EXPECT_EQ(ReadFile(kOutputLogName),
              "Host Library Loaded: libEGL.so.1\nERROR: Problem calling call\nout 1\nerr 2\nout 3\nerr 4\n");
}

TEST(OutputLog, ALogThatCannotBeWrittenLeavesTheStreamsWhereTheyWere)
{
    const SRestoreStreams restore;
    // The streams start in a file of the test's, so that what reaches them can be read back.
    QDir().mkpath("blocked/output.log");  // a folder where the log should be: no one can write it
    const int capture = ::open("captured.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(capture, 0);
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(capture, STDOUT_FILENO);
    ::dup2(capture, STDERR_FILENO);
    ::close(capture);

    const SLogStreams streams = RedirectStandardStreams("blocked/output.log");
    EXPECT_FALSE(streams.redirected);
    EXPECT_EQ(streams.out, stdout);
    EXPECT_EQ(streams.err, stderr);
    std::printf("a playback line\n");
    std::fflush(stdout);
    const std::string captured = ReadFile("captured.txt");
    EXPECT_NE(captured.find("Cannot write blocked/output.log"), std::string::npos) << captured;
    EXPECT_NE(captured.find("a playback line\n"), std::string::npos) << captured;
}

class OutputViewer : public ::testing::Test
{
protected:
    void SetUp() override { QFile::remove(kOutputLogName); }
    static void Append(const QByteArray& bytes)
    {
        QFile f(kOutputLogName);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(bytes);
    }
    QString Shown() const { return viewer.TextView()->toPlainText(); }
    bool CursorAtEnd() const
    {
        return viewer.TextView()->textCursor().position() == viewer.TextView()->document()->characterCount() - 1;
    }
    COutputViewerWidget viewer;
};

TEST_F(OutputViewer, ReloadsShowTheWholeFileWithTheCursorAtItsEnd)
{
    // Without a log the first reload makes an empty one.
    viewer.SLTUpdateOutput();
    EXPECT_TRUE(QFile::exists(kOutputLogName));
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(viewer.TextView()->isReadOnly());

    Append("first line\nsecond line\n");
    viewer.SLTUpdateOutput();
    EXPECT_EQ(Shown(), "first line\nsecond line\n");
    EXPECT_TRUE(CursorAtEnd());
    Append("third line\n");
    viewer.SLTUpdateOutput();
    EXPECT_EQ(Shown(), "first line\nsecond line\nthird line\n");
    EXPECT_TRUE(CursorAtEnd());

    // A closed trace empties the tab, not the file; the next reload shows the file again.
    viewer.SLTUpdatedTrace(false);
    EXPECT_FALSE(Shown().isEmpty());
    viewer.SLTUpdatedTrace(true);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(ReadFile(kOutputLogName), "first line\nsecond line\nthird line\n");
    viewer.SLTUpdateOutput();
    EXPECT_EQ(Shown(), "first line\nsecond line\nthird line\n");

    // A line written in two parts, and a log emptied and written anew (a new dock truncates it).
    Append("fourth ");
    viewer.SLTUpdateOutput();
    Append("line\n");
    viewer.SLTUpdateOutput();
    EXPECT_EQ(Shown(), "first line\nsecond line\nthird line\nfourth line\n");
    {
        QFile f(kOutputLogName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("after the truncation\n");
    }
    viewer.SLTUpdateOutput();
    EXPECT_EQ(Shown(), "after the truncation\n");
    EXPECT_TRUE(CursorAtEnd());
}

TEST_F(OutputViewer, ALogOfTenMegabytesIsShownWhole)
{
    const QByteArray line(99, 'x');
    QByteArray big;
    for (int i = 0; i < 100 * 1024; ++i)
        big += line + "\n";
    Append(big);
    viewer.SLTUpdateOutput();
    EXPECT_EQ(viewer.TextView()->document()->blockCount(), 100 * 1024 + 1);
    EXPECT_TRUE(CursorAtEnd());
}

// A search view as the Output dock sees one: a widget that asks for its tab.
class CSearchView : public QWidget
{
    Q_OBJECT
Q_SIGNALS:
    void onRequestFocus();

public:
    void AskForFocus() { Q_EMIT onRequestFocus(); }
};

TEST(OutputDock, TabsForTheViewsGivenAndDisabledWithoutATrace)
{
    {
        COutputWidget dock(nullptr, {}, nullptr, new COutputViewerWidget());
        EXPECT_EQ(dock.objectName(), "OutPutViewerDock");
        EXPECT_EQ(dock.windowTitle(), "Output");
        EXPECT_EQ(dock.Tabs()->count(), 1);
        EXPECT_EQ(dock.Tabs()->tabText(0), "Output");
        EXPECT_FALSE(dock.isEnabled());
        dock.SLTUpdatedTrace(false);
        EXPECT_TRUE(dock.isEnabled());
        dock.SLTUpdatedTrace(true);
        EXPECT_FALSE(dock.isEnabled());
    }
    auto* search = new CSearchView();
    COutputWidget dock(nullptr, {}, search, new COutputViewerWidget());
    ASSERT_EQ(dock.Tabs()->count(), 2);
    EXPECT_EQ(dock.Tabs()->tabText(0), "Search");
    EXPECT_EQ(dock.Tabs()->tabText(1), "Output");
    dock.Tabs()->setCurrentIndex(1);
    search->AskForFocus();
    EXPECT_EQ(dock.Tabs()->currentWidget(), search);
}

} // namespace

#include "OutputDockTest.moc"
