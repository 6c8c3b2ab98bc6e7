// The image-analysis dock in the viewer's window (offscreen, and once more under Xvfb with the X11
// playback windows): traces of the record-and-replay harness opened through the controller render
// as the direct run drew them, through each render mode, scrubber window and option; a scrubber
// value the box corrects renders what it shows; a request during a pass aborts it and runs again
// 500 ms later; a frame without draws, a trace without data and the option off; a second trace
// opens at its own size and on its frame's last draw; an open during a pass and a retry that comes
// after the trace closed.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ImageAnalysisWindow.h"
#include "ShaderEditor.h"
#include "TraceStatistics.h"
#include "calllist/ViewCallsFrame.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "dataviewer/TextureViewerWidget.h"
#include "imageanalysis/ImaAnalDialog.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "output/OutputLog.h"
#include "output/OutputViewerWidget.h"

using namespace analysistest;

namespace {

const QStringList kWireframe{"--wireframe"};
const QStringList kStopAfter2{"--stop-after-draw", "2"};
const QStringList kStopAfter3{"--stop-after-draw", "3"};
const QStringList kRange2To3{"--skip-draws", "1-1", "--stop-after-draw", "3"};

QImage Black(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::black);
    return image;
}

TEST_F(ImageAnalysisWindow, RendersAsTheDirectRunDrewThroughEveryModeAndWindow)
{
    OPEN_OR_SKIP("quads");
    EXPECT_TRUE(dock->isEnabled());
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 1)));
    EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 64x48");
    EXPECT_EQ(High()->value(), 4);
    EXPECT_EQ(Low()->value(), 1);
    EXPECT_EQ(LastWindow(), (QList<QVariant>{4, 1}));

    int passes = outputs->count();
    auto rendered = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_GT(outputs->count(), passes);
        passes = outputs->count();
    };
    c->SLTRequestUpdateFrame(2);
    rendered("next frame");
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 2)));

    dock->Form().cb_viewMode->setCurrentIndex(CImageAnalysisWidget::kWireframe);
    rendered("wireframe");
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 2, kWireframe)));
    dock->Form().cb_viewMode->setCurrentIndex(CImageAnalysisWidget::kStandard);

    High()->setValue(2);
    rendered("high scrubber at 2");
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 2, kStopAfter2)));
    EXPECT_EQ(LastWindow(), (QList<QVariant>{2, 1}));

    // Range 2 to 3, shown alone.
    Options(CImaAnalDialog::kRange, false);
    EXPECT_TRUE(c->GetRangeMode());
    EXPECT_FALSE(Low()->isHidden());
    Low()->setValue(2);
    High()->setValue(3);
    rendered("range 2 to 3");
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 2, kRange2To3)));
    EXPECT_EQ(LastWindow(), (QList<QVariant>{3, 2}));

    // The call list asks for a window end by call number: in Range mode a low end after the high
    // end moves the high end too; a call that is no draw of the frame changes nothing.
    const std::vector<uint32_t> draws = c->GetFrameStats(0)->frame.drawCallNumbers;
    ASSERT_EQ(draws.size(), 4u);
    auto* callList = Find<CViewCallsFrame>();
    Q_EMIT callList->SIGRequestImageAnalysRange(int(draws[3]), false);
    EXPECT_EQ(High()->value(), 4);
    EXPECT_EQ(Low()->value(), 4);
    EXPECT_EQ(LastWindow(), (QList<QVariant>{4, 4}));
    Q_EMIT callList->SIGRequestImageAnalysRange(int(draws[1]), false);
    EXPECT_EQ(Low()->value(), 2);
    EXPECT_EQ(LastWindow(), (QList<QVariant>{4, 2}));
    Q_EMIT callList->SIGRequestImageAnalysRange(int(draws[2]) + 1, true);
    EXPECT_EQ(High()->value(), 4);
    High()->setValue(3);
    passes = outputs->count();

    // Draw 3 highlighted over the whole frame: its pixels blend 40% of the frame with 60% of the
    // highlight green, every other pixel is the frame's. The request renders twice: the whole frame
    // hidden, then the highlighted draw.
    Options(CImaAnalDialog::kSinglePrimitive, true);
    EXPECT_FALSE(c->GetRangeMode());
    EXPECT_EQ(outputs->count(), passes + 2);
    rendered("single primitive highlighted");
    EXPECT_EQ(LastWindow(), (QList<QVariant>{3, 3}));
    const QImage full = Reference("quads", 2), upTo2 = Reference("quads", 2, kStopAfter2),
                 upTo3 = Reference("quads", 2, kStopAfter3), shown = Shown();
    ASSERT_EQ(shown.size(), full.size());
    int inDraw = 0;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x) {
            const QColor frame = full.pixelColor(x, y), got = shown.pixelColor(x, y);
            if (upTo2.pixel(x, y) == upTo3.pixel(x, y)) {
                ASSERT_EQ(got, frame) << "outside draw 3 at " << x << "," << y;
                continue;
            }
            ++inDraw;
            const double want[3] = {0.4 * frame.red() + 0.6 * 0.1 * 255, 0.4 * frame.green() + 0.6 * 255,
                                    0.4 * frame.blue() + 0.6 * 0.1 * 255};
            const int have[3] = {got.red(), got.green(), got.blue()};
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(have[k], want[k], 1.0) << "channel " << k << " at " << x << "," << y;
        }
    EXPECT_GT(inDraw, 100);

    // A locked window stays when the frame changes.
    Options(CImaAnalDialog::kScrubber, false, true);
    High()->setValue(2);
    c->SLTRequestUpdateFrame(3);
    rendered("locked window on frame 3");
    EXPECT_EQ(High()->value(), 2);
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 3, kStopAfter2)));
}

// Nothing of one trace stays in the dock when another opens: the second trace (smaller surface, the
// same recorded handles) shows at its own size, and on the frame's last draw as the first trace did,
// though the window was locked on an earlier draw.
TEST_F(ImageAnalysisWindow, AnotherTraceOpensAtItsOwnSizeOnTheFramesLastDraw)
{
    const QString wide = ChangedTrace("quads", "wide-surface", "},64,48],\"attrib_list\"", "},128,96],\"attrib_list\"");
    if (wide.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    int before = outputs->count();
    c->SLTOpenTrace(wide);
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 128x96");
    EXPECT_EQ(Shown().size(), QSize(128, 96));
    Options(CImaAnalDialog::kScrubber, false, true);
    High()->setValue(2);
    EXPECT_EQ(LastWindow(), (QList<QVariant>{2, 1}));

    before = outputs->count();
    c->SLTOpenTrace(SceneTrace("quads"));
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 64x48");
    EXPECT_EQ(High()->value(), 4);
    EXPECT_EQ(Low()->value(), 1);
    EXPECT_EQ(LastWindow(), (QList<QVariant>{4, 1}));
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 1)));
}

TEST_F(ImageAnalysisWindow, DepthComplexityAddsTheIncrementForEachDrawOverAPixel)
{
    OPEN_OR_SKIP("overdraw");
    dock->Form().cb_viewMode->setCurrentIndex(CImageAnalysisWidget::kDepthComplexity);
    EXPECT_FALSE(dock->Form().sb_genericRange->isHidden());
    const int before = outputs->count();
    dock->Form().sb_genericRange->setValue(64);
    EXPECT_GT(outputs->count(), before);
    // Four full-screen draws, each blending the increment over what is there half and half.
    int level = 0;
    for (int i = 0; i < 4; ++i)
        level = int(std::lround(0.5 * 64 + 0.5 * level));
    const QImage shown = Shown();
    ASSERT_FALSE(shown.isNull());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            ASSERT_NEAR(c.red(), level, 1) << x << "," << y;
            ASSERT_NEAR(c.green(), level, 1) << x << "," << y;
            ASSERT_NEAR(c.blue(), level, 1) << x << "," << y;
        }
    // Back in a mode without complexity the value box hides, and a change of it sends nothing.
    dock->Form().cb_viewMode->setCurrentIndex(CImageAnalysisWidget::kWireframe);
    EXPECT_TRUE(dock->Form().sb_genericRange->isHidden());
    const int passes = outputs->count();
    dock->Form().sb_genericRange->setValue(10);
    EXPECT_EQ(outputs->count(), passes);
}

TEST_F(ImageAnalysisWindow, CorrectedScrubberValuesAreShownAndRendered)
{
    OPEN_OR_SKIP("quads");
    ASSERT_EQ(dock->DrawCount(), 4);
    // Typed past the frame's draws from draw 2: the box shows the last draw, and so does the image.
    High()->setValue(2);
    ASSERT_TRUE(SameImage(Shown(), Reference("quads", 1, kStopAfter2)));
    High()->setValue(500);
    EXPECT_EQ(High()->value(), 4);
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 1)));

    struct SCase {
        const char* what;
        bool range;
        bool typedHigh;  // else the low scrubber
        int high, low;   // before
        int typed;
        int wantHigh, wantLow;
    } cases[] = {
        {"high above the draw count", false, true, 2, 1, 9, 4, 1},
        {"high 0 with draws present", false, true, 4, 1, 0, 1, 1},
        {"low 0 with draws present", true, false, 4, 2, 0, 4, 1},
        {"low above high in Range mode", true, false, 3, 1, 4, 3, 3},
        {"high below low in Range mode", true, true, 4, 3, 1, 3, 3},
    };
    bool range = false;
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.what);
        if (k.range != range) {
            Options(k.range ? CImaAnalDialog::kRange : CImaAnalDialog::kScrubber, false);
            range = k.range;
        }
        {
            const QSignalBlocker a(High()), b(Low());
            High()->setValue(k.high);
            Low()->setValue(k.low);
        }
        const int passes = outputs->count();
        (k.typedHigh ? High() : Low())->setValue(k.typed);
        EXPECT_EQ(High()->value(), k.wantHigh);
        EXPECT_EQ(Low()->value(), k.wantLow);
        EXPECT_EQ(outputs->count(), passes + 1) << "the corrected window renders once";
        EXPECT_EQ(LastWindow(), (QList<QVariant>{k.wantHigh, k.wantLow}));
    }
}

TEST_F(ImageAnalysisWindow, ASecondRequestAbortsThePassAndRunsAgainHalfASecondAfterIt)
{
    OPEN_OR_SKIP("quads");
    const qint64 image = dock->Viewer().Image().cacheKey();
    const int before = outputs->count();
    QTest::qWait(5);  // the pass's first pump serves events at once
    // The second change waits in the event queue: the first pass's pump serves it.
    QMetaObject::invokeMethod(High(), [this] { High()->setValue(2); }, Qt::QueuedConnection);
    High()->setValue(3);
    QElapsedTimer sinceAbort;
    sinceAbort.start();
    EXPECT_EQ(outputs->count(), before + 1) << "the aborted pass reports once";
    EXPECT_EQ(dock->Viewer().Image().cacheKey(), image) << "an aborted pass shows nothing";
    EXPECT_TRUE(dock->RetryTimer()->isActive());
    EXPECT_EQ(High()->value(), 2);

    ASSERT_TRUE(WaitForSignals(*outputs, before + 2, 10000));
    EXPECT_GE(sinceAbort.elapsed(), 400) << "the retry runs about 500 ms after the pass";
    EXPECT_TRUE(SameImage(Shown(), Reference("quads", 1, kStopAfter2)));
    EXPECT_EQ(LastWindow(), (QList<QVariant>{2, 1}));
    QTest::qWait(700);
    EXPECT_EQ(outputs->count(), before + 2) << "one retry only";
}

TEST_F(ImageAnalysisWindow, AFrameWithoutDrawsDisablesTheScrubbersAndRendersOnce)
{
    OPEN_OR_SKIP("clear");
    EXPECT_EQ(outputs->count(), 1);
    EXPECT_TRUE(windows->isEmpty());
    EXPECT_FALSE(High()->isEnabled());
    EXPECT_FALSE(Low()->isEnabled());
    EXPECT_EQ(High()->value(), 0);
    EXPECT_EQ(Low()->value(), 0);
    // Frame 1 starts with no surface: nothing to show. Frame 2 draws nothing on its surface: black.
    EXPECT_TRUE(dock->Viewer().Image().isNull());
    c->SLTRequestUpdateFrame(2);
    EXPECT_EQ(outputs->count(), 2);
    EXPECT_TRUE(SameImage(Shown(), Black(64, 48)));
}

// Frame 1 of this trace cannot be analysed (its first draw lost its captured arrays): the dock shows
// the failure, never an earlier image, and every frame after it renders as a fresh process renders
// it, and takes the failure off the status bar. Opening the trace cleared what the data viewer
// showed of the trace before.
TEST_F(ImageAnalysisWindow, AFailingFrameShowsItsFailureAndTheFramesAfterItRender)
{
    OPEN_OR_SKIP("textured");
    auto* textures = Find<CTextureViewerWidget>();
    auto* shaders = Find<CShaderViewerWidget>();
    ASSERT_TRUE(textures && shaders);
    ASSERT_FALSE(c->GetTextures()->empty());
    textures->UpdateView(int(c->GetTextures()->front()->callNumber));
    ASSERT_FALSE(textures->Image().isNull());
    ASSERT_FALSE(c->GetStatistics()->GetShaderSources()->empty());
    shaders->UpdateView(int(c->GetStatistics()->GetShaderSources()->front().callNumber));
    ASSERT_FALSE(shaders->Editor()->GetTextEdit()->toPlainText().isEmpty());
    ASSERT_FALSE(dock->Viewer().Image().isNull());

    const QString failing = SceneTraceWithBrokenFirstDraw("quads");
    ASSERT_FALSE(failing.isEmpty());
    const int before = outputs->count();
    c->SLTOpenTrace(failing);
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    EXPECT_TRUE(textures->Image().isNull());
    EXPECT_TRUE(textures->ShownPixmap().isNull());
    EXPECT_TRUE(shaders->Editor()->GetTextEdit()->toPlainText().isEmpty());

    auto failed = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(dock->Viewer().Image().isNull());
        EXPECT_TRUE(dock->Viewer().ShownPixmap().isNull());
        EXPECT_EQ(dock->Viewer().Info(), CImageAnalysisWidget::kRenderFailed);
        ASSERT_FALSE(status->isEmpty());
        EXPECT_EQ(status->last().value(0).toString(), CImageAnalysisWidget::kRenderFailed);
        EXPECT_EQ(window->statusBar()->currentMessage(), CImageAnalysisWidget::kRenderFailed);
    };
    failed("frame 1");
    for (int frame : {3, 2, 1, 2}) {
        SCOPED_TRACE(frame);
        const int passes = outputs->count();
        c->SLTRequestUpdateFrame(frame);
        EXPECT_GT(outputs->count(), passes);
        if (frame == 1) {
            failed("frame 1 again");
            continue;
        }
        EXPECT_TRUE(SameImage(Shown(), Reference("quads", frame)));
        EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 64x48");
        EXPECT_TRUE(dock->isEnabled());
        EXPECT_EQ(window->statusBar()->currentMessage(), "") << "the failure went with the frame that rendered";
    }
}

// A scene whose fragment shader the host no longer compiles: the restore of frame 2 reports the
// program that did not link (an ERROR line), and the pass still reads the clear colour back.
// xqft-dump analyse exits 5 for that frame; the dock says the render failed, in its caption and in
// the status bar, not "Native Resolution". The plain scene opened after it renders as before.
TEST_F(ImageAnalysisWindow, APassThatReportedAnErrorShowsTheFailureAsTheCommandLineDoes)
{
    const QString broken =
        ChangedTrace("quads", "broken-shader", "gl_FragColor = v_color;", "gl_FragColor = v_colour;");
    if (broken.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    int before = outputs->count();
    c->SLTOpenTrace(broken);
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    before = outputs->count();
    c->SLTRequestUpdateFrame(2);
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    EXPECT_EQ(dock->Viewer().Info(), CImageAnalysisWidget::kRenderFailed);
    ASSERT_FALSE(status->isEmpty());
    EXPECT_EQ(status->last().value(0).toString(), CImageAnalysisWidget::kRenderFailed);
    EXPECT_EQ(window->statusBar()->currentMessage(), CImageAnalysisWidget::kRenderFailed);

    OPEN_OR_SKIP("quads");
    EXPECT_EQ(dock->Viewer().Info(), "Native Resolution: 64x48");
    EXPECT_NE(window->statusBar()->currentMessage(), CImageAnalysisWidget::kRenderFailed);
}

TEST_F(ImageAnalysisWindow, ATraceWithoutDataOrTheOptionOffLeavesTheDockAlone)
{
    const std::string noData = es2test::TempPath("analysis-no-data.xqft");
    es2test::Generate("egl-session --data-included 0 --frames 3 '" + noData + "'");
    c->SLTOpenTrace(QString::fromStdString(noData));
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_EQ(dock->Viewer().Form().m_imageInfo->text(),
              "The trace was recorded without data: none of its calls can be played (Fit)");
    EXPECT_FALSE(dock->isEnabled());
    EXPECT_EQ(outputs->count(), 0);

    const QString quads = SceneTrace("quads");
    if (quads.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    c->Options().SetImageAnalysisEnabled(false);
    c->SLTOpenTrace(quads);
    ASSERT_NE(c->GetTrace(), nullptr);
    EXPECT_FALSE(dock->isEnabled());
    EXPECT_EQ(outputs->count(), 0);
    EXPECT_TRUE(dock->Viewer().Image().isNull());
}

TEST_F(ImageAnalysisWindow, AnOpenDuringAPassAbortsItAndOpensAfterIt)
{
    OPEN_OR_SKIP("quads");
    const QString overdraw = SceneTrace("overdraw");
    const qint64 image = dock->Viewer().Image().cacheKey();
    QSignalSpy aborts(c, &CTraceController::SIGAbortAnalysis);
    QTest::qWait(5);
    // Served by the pass's pump, as a recent file clicked meanwhile would be.
    QMetaObject::invokeMethod(c, [&] { c->SLTOpenTrace(overdraw); }, Qt::QueuedConnection);
    High()->setValue(2);
    EXPECT_EQ(aborts.count(), 1);
    EXPECT_EQ(c->GetFilePath(), SceneTrace("quads")) << "the trace stays while the pass walks it";
    EXPECT_EQ(dock->Viewer().Image().cacheKey(), image) << "an aborted pass shows nothing";
    ASSERT_TRUE(WaitUntil([&] { return c->GetFilePath() == overdraw; }));
    ASSERT_TRUE(WaitUntil([&] { return SameImage(Shown(), Reference("overdraw", 1)); }));
    EXPECT_TRUE(dock->isEnabled());
}

TEST_F(ImageAnalysisWindow, ARetryAfterTheTraceClosedRendersNothing)
{
    OPEN_OR_SKIP("quads");
    QTest::qWait(5);
    QMetaObject::invokeMethod(High(), [this] { High()->setValue(2); }, Qt::QueuedConnection);
    High()->setValue(3);
    ASSERT_TRUE(dock->RetryTimer()->isActive());
    const int passes = outputs->count();
    // A file that does not open: the old trace is dropped and nothing takes its place.
    c->SLTOpenTrace(QString::fromStdString(es2test::TempPath("no such trace.xqft")));
    ASSERT_EQ(c->GetTrace(), nullptr);
    QTest::qWait(800);
    dock->SLTUpdateContent();  // as a retry timer firing late would
    EXPECT_EQ(outputs->count(), passes);
    EXPECT_FALSE(dock->isEnabled());
}

// A trace whose first frame makes a render-target image (no pixels) of a width the host library
// would crash on: the pass that runs on opening it refuses the call, and the dock and the Output
// tab say so.
TEST_F(ImageAnalysisWindow, AnImageTheHostCannotTakeShowsTheFailureInTheDock)
{
    const QString trace =
        ChangedTrace("fbo", "hostile-width", "\"v\":[3553,0,6408,32,32,", "\"v\":[3553,0,6408,2147483647,32,");
    if (trace.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    const int before = outputs->count();
    c->SLTOpenTrace(trace);
    ASSERT_TRUE(WaitForSignals(*outputs, before + 1));
    ASSERT_FALSE(status->isEmpty());
    EXPECT_EQ(status->last().value(0).toString(), CImageAnalysisWidget::kRenderFailed);
    auto* tab = Find<COutputViewerWidget>();
    ASSERT_NE(tab, nullptr);
    const QString text = ExpectTabShowsTheLog(*tab);
    EXPECT_TRUE(text.contains("ERROR: glTexImage2D: an image of 2147483647 x 32 is above the host's largest"))
        << text.toStdString();
}

TEST_F(ImageAnalysisWindow, TheOutputTabShowsTheLogAfterEachPass)
{
    OPEN_OR_SKIP("error");
    c->SLTRequestUpdateFrame(2);  // holds the call recorded with an error
    auto* tab = Find<COutputViewerWidget>();
    ASSERT_NE(tab, nullptr);
    const QString text = ExpectTabShowsTheLog(*tab);
    EXPECT_TRUE(text.contains("Es2 Call:Error. (Recorded GL_ERROR)\n")) << text.toStdString();
    c->SLTOpenTrace(QString::fromStdString(es2test::TempPath("no such trace.xqft")));
    EXPECT_EQ(tab->TextView()->toPlainText(), "");
}

} // namespace
