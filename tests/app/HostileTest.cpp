// Bad inputs through the controller and the export core: each ends with a message or a clean
// result, never a crash (this test also runs under the address and undefined-behaviour sanitizers).
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "RecentFiles.h"
#include "TraceController.h"
#include "TraceExport.h"
#include "TraceLoader.h"
#include "TraceStatistics.h"
#include "data/TraceData.h"

namespace {

using HostileTest = CFreshControllerTest;

TEST_F(HostileTest, BadTraceFilesEndWithAMessageAndNothingOpen)
{
    const char* files[] = {"empty.xqft", "headeronly.xqft", "badmagic.xqft", "huge.xqft", "folder.xqft",
                           "missing.xqft"};
    for (const char* f : files) {
        SCOPED_TRACE(f);
        shown.clear();
        c->SLTOpenTrace(TracePath(f));
        ASSERT_FALSE(shown.empty());
        const QString expected = QString(f) == "missing.xqft" ? "File not found: " + TracePath(f)
                                                              : "Bad Formatted file.\n\n" + TracePath(f);
        EXPECT_TRUE(shown.back().text.startsWith(expected)) << shown.back().text.toStdString();
        EXPECT_EQ(c->GetTrace(), nullptr);
        // Exports with nothing open return at once.
        prompts->path = QString::fromStdString(TraceDir()) + "/nothing.txt";
        shown.clear();
        c->STLSaveFrames();
        c->STLSaveFrameSummary();
        c->SLTSaveShaders();
        EXPECT_TRUE(shown.empty());
        EXPECT_FALSE(QFile::exists(prompts->path));
    }
}

TEST_F(HostileTest, CutAndOpenEndedTracesExportWhatWasRead)
{
    const char* files[] = {"cut.xqft", "stats.xqft"};   // truncated last record; last frame still open
    for (const char* f : files) {
        SCOPED_TRACE(f);
        c->SLTOpenTrace(TracePath(f));
        ASSERT_NE(c->GetTrace(), nullptr);
        const QString out = QString::fromStdString(TraceDir()) + "/" + f;
        STextExportOptions options;
        EXPECT_TRUE(ExportTraceText(c->GetTrace(), CXQFTString((out + ".txt").toLocal8Bit().constData()), options));
        EXPECT_TRUE(c->GetStatistics()->SaveFrameSummary(CXQFTString((out + ".csv").toLocal8Bit().constData())));
        std::vector<CXQFTString> failed;
        EXPECT_TRUE(ExportShaders(c->GetTrace(), *c->GetStatistics()->GetShaderSources(),
                                  CXQFTString(TraceDir().c_str()), &failed));
        // A path the export cannot create reports failure.
        EXPECT_FALSE(ExportTraceText(c->GetTrace(), CXQFTString("/nonexistent/dir/x.txt"), options));
        EXPECT_FALSE(c->GetStatistics()->SaveCallsSummary(CXQFTString("/nonexistent/dir/x.csv")));
    }
    // Shader files that cannot be written are named.
    c->SLTOpenTrace(TracePath("shaders.xqft"));
    std::vector<CXQFTString> failed;
    const bool ok = ExportShaders(c->GetTrace(), *c->GetStatistics()->GetShaderSources(),
                                  CXQFTString("/nonexistent/dir"), &failed);
    EXPECT_EQ(ok, c->GetStatistics()->GetShaderSources()->empty());
    EXPECT_EQ(failed.size(), c->GetStatistics()->GetShaderSources()->size());
}

TEST_F(HostileTest, NonAsciiPathOpensAndComesBackFromTheRecentFiles)
{
    const QString path = TracePath("n\u00e4me \u65e5\u672c.xqft");
    c->SLTOpenTrace(path);
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_TRUE(shown.empty());
    c->Shutdown();
    c->Init(nullptr, nullptr);
    EXPECT_EQ(c->GetRecentFiles()->Files().value(0), path);
}

TEST_F(HostileTest, CorruptPreferenceFileStillOpensAndRemembersFiles)
{
    c->Shutdown();
    const QString folder = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    // Wherever the store keeps its file, a corrupt copy sits there now.
    QStringList plists;
    for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& f : QDir(folder + "/" + sub).entryList({"XQFTraceGuiQT.plist"}))
            plists << folder + "/" + sub + "/" + f;
    ASSERT_FALSE(plists.isEmpty());
    for (const QString& p : plists) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<?xml version=\"1.0\"?><plist><dict><key>a</key><key>b</key><string>");
    }
    c->Init(nullptr, nullptr);
    EXPECT_EQ(c->Options().MaxSearchItems(), 100);
    ASSERT_NE(c->GetRecentFiles(), nullptr);
    c->SLTOpenTrace(TracePath("good.xqft"));   // crashed when the recent-files object was missing
    EXPECT_NE(c->GetTrace(), nullptr);
}

} // namespace
