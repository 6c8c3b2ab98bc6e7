// The viewer's window (offscreen) over a trace whose file is cut to half while it is open: the
// captured bytes stay in the file, so every view that shows them says they are gone, the others
// and the exports go on with what the load read, and nothing crashes (also under the sanitizers).
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include "WindowTestSupport.h"
#include "calllist/ViewCallsFrame.h"
#include "data/TraceData.h"
#include "dataviewer/FrameBufferWidget.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "states/TextureListWidget.h"

namespace {

using CutTraceWindow = CWindowTest;

TEST_F(CutTraceWindow, ViewsShowCapturedBytesAsGoneAndExportsGoOn)
{
    const std::string path = es2test::TempPath("cut.xqft");
    es2test::Generate("sample '" + path + "'");
    c->SLTOpenTrace(QString::fromStdString(path));
    ASSERT_NE(c->GetTrace(), nullptr);
    auto* frames = Find<CFrameBufferWidget>();
    auto* analysis = Find<CImageAnalysisWidget>();
    auto* callList = Find<CViewCallsFrame>();
    auto* textures = Find<CTextureListWidget>();
    ASSERT_TRUE(frames && analysis && callList && textures);
    ASSERT_FALSE(frames->Image().isNull());
    ASSERT_GT(textures->Tree()->topLevelItemCount(), 0);

    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_EQ(truncate(path.c_str(), st.st_size / 2), 0);

    // Every frame and every call, as a user walks them: the call list, the render-state tree, the
    // texture and shader viewers asked from the call list, the frame image and the analysis.
    CTraceData* trace = c->GetTrace();
    const int frameCount = trace->GetFrameCount();
    ASSERT_GT(frameCount, 1);
    for (int frame = 1; frame <= frameCount; ++frame)
        c->SLTRequestUpdateFrame(frame);
    for (int call = 1; call <= int(trace->GetCallCount()); ++call) {
        c->SLTRequestedShowCall(call);
        Q_EMIT callList->SIGRequestShowImage(call);
        Q_EMIT callList->SIGViewShaderRequest(call);
    }
    for (int i = 0; i < textures->Tree()->topLevelItemCount(); ++i)
        Q_EMIT textures->Tree()->itemClicked(textures->Tree()->topLevelItem(i), 0);
    c->SLTRequestUpdateFrame(frameCount);
    EXPECT_TRUE(frames->Image().isNull());
    EXPECT_TRUE(frames->Form().l_imageViewer->text().contains("not available"));
    // The analysis dock rendered the frame (where the host has an OpenGL ES library): it shows no
    // image made of the zeros it read. A pass asked for during another runs a little later.
    QTest::qWait(CImageAnalysisWidget::kRetryMs + 100);
    if (analysis->isEnabled()) {
        EXPECT_TRUE(analysis->Viewer().Image().isNull());
        EXPECT_TRUE(analysis->Viewer().Form().m_imageInfo->text().startsWith(CImageAnalysisWidget::kBytesUnavailable));
    }

    // The exports write the calls, the statistics and the sources the load read.
    struct SExport
    {
        const char* file;
        std::function<void()> save;
    };
    const SExport exports[] = {
        {"frames.txt", [this] { c->STLSaveFrames(); }},
        {"frame.txt", [this] { c->STLSaveFrame(); }},
        {"frames.csv", [this] { c->STLSaveFrameSummary(); }},
        {"calls.csv", [this] { c->STLSaveCallsSummary(); }},
    };
    for (const SExport& e : exports) {
        SCOPED_TRACE(e.file);
        prompts->path = QString::fromStdString(es2test::TempPath(e.file));
        shown.clear();
        e.save();
        EXPECT_GT(QFile(prompts->path).size(), 0);
        for (const SShown& s : shown)
            EXPECT_NE(s.kind, "critical") << s.text.toStdString();
    }
    const QDir shaders(QString::fromStdString(es2test::TempPath("shaders")));
    ASSERT_TRUE(shaders.mkpath("."));
    prompts->path = shaders.path();
    c->SLTSaveShaders();
    EXPECT_EQ(shaders.entryList(QDir::Files).size(), 2);

    // Opened again, the trace is what the file holds now, its bytes whole.
    c->SLTOpenTrace(QString::fromStdString(path));
    if (c->GetTrace()) {
        EXPECT_TRUE(c->GetTrace()->CapturedBytesIntact());
    }
}

} // namespace
