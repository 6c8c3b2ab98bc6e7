#pragma once
// The image-analysis dock in the viewer's window (offscreen, or under Xvfb with the X11 playback
// windows), with spies on what it reports: a scene's trace opened through the controller, the
// scrubbers and the options dialog driven as a user does.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <memory>

#include "ImageAnalysisFixture.h"
#include "WindowTestSupport.h"
#include "imageanalysis/ImaAnalDialog.h"
#include "imageanalysis/ImageAnalysisWidget.h"

namespace analysistest {

class ImageAnalysisWindow : public CWindowTest
{
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        dock = Find<CImageAnalysisWidget>();
        ASSERT_NE(dock, nullptr);
        outputs = std::make_unique<QSignalSpy>(dock, &CImageAnalysisWidget::SIGImaAnaOutput);
        windows = std::make_unique<QSignalSpy>(dock, &CImageAnalysisWidget::SIGUpdateScrubbers);
        status = std::make_unique<QSignalSpy>(c, &CTraceController::SIGUpdateTemporalStatusBar);
    }

    // Opens the scene's trace through the controller; false (the test skips) without a host library.
    bool Open(const char* scene)
    {
        const QString trace = SceneTrace(scene);
        if (trace.isEmpty())
            return false;
        const int before = outputs->count();
        c->SLTOpenTrace(trace);
        EXPECT_TRUE(WaitForSignals(*outputs, before + 1)) << "no pass after opening " << scene;
        return true;
    }

    QImage Shown() const { return Rgb(dock->Viewer().Image().toImage()); }
    QSpinBox* High() const { return dock->Form().sb_highScrubber; }
    QSpinBox* Low() const { return dock->Form().sb_lowScrubber; }
    QList<QVariant> LastWindow() const { return windows->isEmpty() ? QList<QVariant>() : windows->last(); }

    // Accepts the options dialog with these choices, as a user does with its Apply button.
    void Options(CImaAnalDialog::EChoice choice, bool highlight, bool lock = true, bool invert = false)
    {
        CImaAnalDialog* d = dock->Options();
        QTimer::singleShot(0, d, [=] {
            (choice == CImaAnalDialog::kScrubber ? d->ui.rb_scrubber
             : choice == CImaAnalDialog::kSinglePrimitive ? d->ui.rb_singlePrimitive
                                                          : d->ui.rb_range)->setChecked(true);
            (highlight ? d->ui.cb_highlight : d->ui.radioButton)->setChecked(true);
            d->ui.cb_lockRange->setChecked(lock);
            d->ui.cb_invertRange->setChecked(invert);
            d->ui.pb_accept->click();
        });
        dock->Form().tb_showOptions->click();
    }

    CImageAnalysisWidget* dock = nullptr;
    std::unique_ptr<QSignalSpy> outputs, windows, status;
};

#define OPEN_OR_SKIP(scene)                                     \
    do {                                                        \
        if (!Open(scene))                                       \
            GTEST_SKIP() << "no host OpenGL ES library to play on"; \
        if (HasFailure())                                       \
            return;                                             \
    } while (false)

} // namespace analysistest
