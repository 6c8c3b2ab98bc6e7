// One pass of the image-analysis dock, through a dock whose analysis step a test can make write to
// both streams or throw: the lines reach output.log in the order they were written and the Output
// tab shows them; a pass that throws reports the failure, disables the dock and leaves it free, so
// that the next frame renders.
#include <QFile>
#include <QSpinBox>
#include <QSignalSpy>
#include <QPlainTextEdit>

#include <cstdio>
#include <new>

#include "AppTestSupport.h"
#include "ImageAnalysisFixture.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "output/OutputLog.h"
#include "output/OutputViewerWidget.h"

using namespace analysistest;

namespace {

class CProbeDock : public CImageAnalysisWidget
{
public:
    bool throwOnce = false;
    bool writeLines = false;

protected:
    int32_t RunAnalysis() override
    {
        if (writeLines) {
            std::printf("probe out 1\n");
            std::fputs("probe err 2\n", stderr);
            std::printf("probe out 3\n");
        }
        if (throwOnce) {
            throwOnce = false;
            throw std::bad_alloc();  // as a read-back that cannot be allocated
        }
        return CImageAnalysisWidget::RunAnalysis();
    }
};

class ImageAnalysisPass : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        dock = std::make_unique<CProbeDock>();
        tab = std::make_unique<COutputViewerWidget>();
        // As the main window connects them.
        QObject::connect(c, &CTraceController::SIGTraceUpdate, dock.get(),
                         qOverload<bool>(&CImageAnalysisWidget::SLTUpdatedTrace));
        QObject::connect(c, &CTraceController::SIGFrameUpdate, dock.get(), &CImageAnalysisWidget::SLTUpdatedCurrFrame);
        QObject::connect(c, &CTraceController::SIGTraceUpdate, tab.get(),
                         qOverload<bool>(&COutputViewerWidget::SLTUpdatedTrace));
        QObject::connect(dock.get(), &CImageAnalysisWidget::SIGImaAnaOutput, tab.get(),
                         &COutputViewerWidget::SLTUpdateOutput);
        outputs = std::make_unique<QSignalSpy>(dock.get(), &CImageAnalysisWidget::SIGImaAnaOutput);
        status = std::make_unique<QSignalSpy>(c, &CTraceController::SIGUpdateTemporalStatusBar);
    }
    void TearDown() override
    {
        dock.reset();
        CFreshControllerTest::TearDown();
    }

    std::unique_ptr<CProbeDock> dock;
    std::unique_ptr<COutputViewerWidget> tab;
    std::unique_ptr<QSignalSpy> outputs, status;
};

TEST_F(ImageAnalysisPass, TheLinesOfAPassReachTheLogInOrderAndTheOutputTab)
{
    const QString quads = SceneTrace("quads");
    if (quads.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    ASSERT_TRUE(dock->LogStreams().redirected);
    dock->writeLines = true;
    c->SLTOpenTrace(quads);
    ASSERT_EQ(outputs->count(), 1);
    const QString text = ExpectTabShowsTheLog(*tab);
    EXPECT_TRUE(text.contains("probe out 1\nprobe err 2\nprobe out 3\n")) << text.toStdString();
    // A closed trace empties the tab.
    c->SLTOpenTrace(QString::fromStdString(TraceDir() + "/no such trace.xqft"));
    EXPECT_EQ(tab->TextView()->toPlainText(), "");
}

TEST_F(ImageAnalysisPass, APassThatThrowsLeavesTheDockFreeForTheNextFrame)
{
    const QString quads = SceneTrace("quads");
    if (quads.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to play on";
    c->SLTOpenTrace(quads);
    ASSERT_EQ(outputs->count(), 1);
    const qint64 image = dock->Viewer().Image().cacheKey();
    dock->throwOnce = true;
    dock->Form().sb_highScrubber->setValue(2);
    EXPECT_EQ(outputs->count(), 2) << "the failed pass still reports its lines";
    EXPECT_FALSE(dock->isEnabled());
    EXPECT_FALSE(dock->Busy());
    ASSERT_FALSE(status->isEmpty());
    EXPECT_EQ(status->last().value(0).toString(), CImageAnalysisWidget::kRenderFailed);
    EXPECT_NE(dock->Viewer().Image().cacheKey(), image) << "the failure shows, not the image before it";
    EXPECT_TRUE(dock->Viewer().Image().isNull());
    EXPECT_EQ(dock->Viewer().Info(), CImageAnalysisWidget::kRenderFailed);

    // The next frame enables the dock again and renders.
    c->SLTRequestUpdateFrame(2);
    EXPECT_EQ(outputs->count(), 3);
    EXPECT_TRUE(dock->isEnabled());
    EXPECT_TRUE(SameImage(dock->Viewer().Image().toImage(), Reference("quads", 2)));
}

} // namespace
