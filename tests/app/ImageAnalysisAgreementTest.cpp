// A long rebuild says how far it is, and a frame chosen meanwhile cancels it.
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>
#include <QStatusBar>

#include <functional>

#include "ImageAnalysisWindow.h"
#include "output/OutputLog.h"

using namespace analysistest;

namespace {

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
