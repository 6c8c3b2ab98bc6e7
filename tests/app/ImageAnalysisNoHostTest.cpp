// The image-analysis dock on a machine without the host OpenGL ES libraries (names no library has,
// set before the first host table is built): opening and moving through a trace reports the
// failed render in the status bar, and nothing breaks.
#include <QSignalSpy>

#include "AppTestSupport.h"
#include "ImageAnalysisFixture.h"
#include "host/HostLib.h"
#include "imageanalysis/ImageAnalysisWidget.h"

using namespace analysistest;

namespace {

TEST_F(CFreshControllerTest, ImageAnalysisWithoutHostLibrariesReportsTheFailedRender)
{
    const QString quads = SceneTrace("quads");  // played by xqft-record, which finds Mesa itself
    if (quads.isEmpty())
        GTEST_SKIP() << "no host OpenGL ES library to record the scene with";
    HostLibSettings& names = HostLibSettings::Instance();
    names.eglName = CXQFTString("libEGL-not-here.so.1");
    names.es1Name = CXQFTString("libGLESv1_CM-not-here.so.1");
    names.es2Name = CXQFTString("libGLESv2-not-here.so.2");

    CImageAnalysisWidget dock;
    QObject::connect(c, &CTraceController::SIGTraceUpdate, &dock, qOverload<bool>(&CImageAnalysisWidget::SLTUpdatedTrace));
    QObject::connect(c, &CTraceController::SIGFrameUpdate, &dock, &CImageAnalysisWidget::SLTUpdatedCurrFrame);
    QSignalSpy status(c, &CTraceController::SIGUpdateTemporalStatusBar);
    QSignalSpy outputs(&dock, &CImageAnalysisWidget::SIGImaAnaOutput);
    c->SLTOpenTrace(quads);
    c->SLTRequestUpdateFrame(2);
    // Analyse fails with an error, or the host table throws before it: either way the status bar
    // says so for each request.
    EXPECT_GE(outputs.count(), 1);
    int failures = 0;
    for (const QList<QVariant>& shown : status)
        failures += shown.value(0).toString() == CImageAnalysisWidget::kRenderFailed;
    EXPECT_EQ(failures, 2);
    EXPECT_FALSE(dock.Busy());
}

} // namespace
