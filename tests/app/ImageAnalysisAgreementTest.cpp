// The dock shows what `xqft-dump analyse` writes for the same frame and options, whatever the dock
// rendered before: passes that stop inside a framebuffer object after passes that read the whole
// surface, and traces opened one after another whose window handles repeat at other sizes. A long
// rebuild says how far it is, and a frame chosen meanwhile cancels it.
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>
#include <QStatusBar>

#include <functional>

#include "ImageAnalysisWindow.h"
#include "output/OutputLog.h"

using namespace analysistest;

namespace {

// Frame 3 of this scene draws twice into a 32 x 32 framebuffer texture, then into two more, then
// into the 64 x 48 window.
constexpr const char* kFeedback = "pipeline-feedback-5";

TEST_F(ImageAnalysisWindow, ShowsWhatAnalyseWritesWhenTheBudgetStopsInsideAFramebuffer)
{
    OPEN_OR_SKIP(kFeedback);
    QComboBox* mode = dock->Form().cb_viewMode;
    const QString trace = SceneTrace(kFeedback);
    const QStringList complexity{"--option", "4=1"};
    struct SStep {
        const char* what;
        std::function<void()> act;
        QStringList options;  // analyse's, for frame 3
    } steps[] = {
        {"the whole frame", [&] { c->SLTRequestUpdateFrame(3); }, {}},
        {"up to draw 2, inside the first framebuffer", [&] { High()->setValue(2); }, {"--budget", "2"}},
        {"its overdraw", [&] { mode->setCurrentIndex(CImageAnalysisWidget::kDepthComplexity); },
         QStringList{"--budget", "2"} + complexity},
        {"the whole frame's overdraw", [&] { High()->setValue(5); }, complexity},
        {"the overdraw up to draw 1", [&] { High()->setValue(1); }, QStringList{"--budget", "1"} + complexity},
        {"up to draw 1", [&] { mode->setCurrentIndex(CImageAnalysisWidget::kStandard); }, {"--budget", "1"}},
    };
    for (const SStep& s : steps) {
        SCOPED_TRACE(s.what);
        const int passes = outputs->count();
        s.act();
        ASSERT_GT(outputs->count(), passes);
        EXPECT_TRUE(SameImage(Shown(), Analysed(trace, 3, s.options)));
        EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 64x48");
    }
}

// The first and third traces record the same window handle at 128 x 96, the second another handle at
// 64 x 48: under X11 the second one's window is the first one's, sized again.
TEST_F(ImageAnalysisWindow, ShowsWhatAnalyseWritesAtEachTracesOwnSize)
{
    const QString wide = ChangedTrace("quads", "wide-surface", "},64,48],\"attrib_list\"", "},128,96],\"attrib_list\"");
    // The writer numbers the first window of a log 0x55: logged as a surface, the window is numbered
    // after the surface handles (0x32).
    const QString other =
        ChangedTrace("quads", "other-window", "{\"o\":\"window\",\"v\":85}", "{\"o\":\"surface\",\"v\":85}");
    if (wide.isEmpty() || other.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    struct SCase {
        const QString& trace;
        const char* info;
    } cases[] = {{wide, "Native Resolution: 128x96"}, {other, "Native Resolution: 64x48"},
                 {wide, "Native Resolution: 128x96"}};
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.trace.toStdString());
        const int before = outputs->count();
        c->SLTOpenTrace(k.trace);
        ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
        EXPECT_EQ(dock->Viewer().Info().toStdString(), k.info);
        EXPECT_TRUE(SameImage(Shown(), Analysed(k.trace, 1)));
    }
}

// The scene's frames each sample what the frame before drew: frame 3,000 is rebuilt by replaying
// every frame from the first. A frame chosen while that runs is served at once and cancels it; the
// retry then renders the frame chosen.
TEST_F(ImageAnalysisWindow, AFrameChosenDuringARebuildCancelsIt)
{
    OPEN_OR_SKIP("pipeline-feedback");
    const QRegularExpression progress("^rebuilding frame 3000 from frame 1: (\\d+) %$");
    QStringList reported;
    bool chosen = false;
    QObject::connect(c, &CTraceController::SIGUpdateTemporalStatusBar, dock, [&](const QString& text) {
        if (!progress.match(text).hasMatch())
            return;
        reported << text;
        if (!chosen) {
            chosen = true;  // as a user moving the slider again, served by the rebuild's pump
            QMetaObject::invokeMethod(c, [&] { c->SLTRequestUpdateFrame(2); }, Qt::QueuedConnection);
        }
    });
    const int passes = outputs->count();
    c->SLTRequestUpdateFrame(3000);
    ASSERT_FALSE(reported.isEmpty()) << "no progress reported";
    int last = -1;
    for (const QString& text : reported) {
        const int percent = progress.match(text).captured(1).toInt();
        EXPECT_GT(percent, last) << "each percent once, in order";
        EXPECT_LT(percent, 100);
        last = percent;
    }
    EXPECT_EQ(c->GetCurrentFrame(), 2u) << "the choice was served during the rebuild";
    EXPECT_NE(window->statusBar()->currentMessage(), reported.last()) << "the progress goes with the rebuild";
    QFile log(kOutputLogName);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(log.readAll());
    EXPECT_TRUE(text.contains("Rebuild of frame 3000 from frame 1 cancelled")) << text.toStdString();
    EXPECT_FALSE(text.contains("Frame 3000 rebuilt")) << text.toStdString();

    ASSERT_TRUE(WaitUntil([&] { return outputs->count() > passes + 1 && !dock->Busy(); }));
    EXPECT_TRUE(SameImage(Shown(), Reference("pipeline-feedback", 2)));
}

} // namespace
