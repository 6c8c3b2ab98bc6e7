#pragma once
// The "Image Analysis" dock: re-renders the current frame on the host OpenGL ES library through the
// analysis facade and shows the read-back image in a generic image viewer. A render mode, a window
// of draw calls (one or two scrubbers) and the options dialog choose what is rendered; every change
// runs the render sequence SLTUpdateContent again.
//
// Everything runs on the GUI thread, but a pass pumps events while it replays, so the dock's slots
// can run inside a pass. Such a request never waits: it is marked pending, the running pass is
// aborted, and the whole sequence runs once more 500 ms after the pass has ended.
//
// Built, the dock also sends the process's standard output and standard error to "output.log",
// which the Output dock shows; both are flushed after every pass.
#include <QDockWidget>
#include <QImage>

#include <cstdint>
#include <memory>

#include "imageviewer/GenericImageViewer.h"
#include "output/OutputLog.h"

class CAnalysisInterface;
struct SAnalysisOutcome;
class CImaAnalDialog;
class CTraceData;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QSpacerItem;
class QSpinBox;
class QTimer;
class QToolButton;
class QVBoxLayout;

struct Ui_ImageAnalysis
{
    QWidget* dockWidgetContents = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QComboBox* cb_viewMode = nullptr;
    QSpinBox* sb_genericRange = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QHBoxLayout* horizontalLayout_4 = nullptr;
    QSpinBox* sb_lowScrubber = nullptr;
    QSpinBox* sb_highScrubber = nullptr;
    QToolButton* tb_activeScrubber = nullptr;
    QToolButton* tb_showOptions = nullptr;
    QFrame* line_2 = nullptr;
    QVBoxLayout* callViewComp = nullptr;

    void setupUi(QDockWidget* dock);
};

class CImageAnalysisWidget : public QDockWidget
{
    Q_OBJECT
public:
    explicit CImageAnalysisWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CImageAnalysisWidget() override;

    // Render modes, in the order of cb_viewMode.
    enum EMode : uint16_t { kStandard = 0, kWireframe = 1, kDepthComplexity = 2 };
    static constexpr int kRetryMs = 500;
    static constexpr const char* kRenderFailed = "Render has failed. Please check the output window.";
    static constexpr const char* kBytesUnavailable =
        "The frame cannot be rendered: the trace file was cut or changed since it was opened.";

    // What tests and the main window read.
    const Ui_ImageAnalysis& Form() const { return ui; }
    GenericImageViewer& Viewer() { return viewer; }
    CImaAnalDialog* Options() const { return options; }
    QTimer* RetryTimer() const { return retryTimer; }
    int DrawCount() const { return drawCount; }
    bool Busy();
    const SLogStreams& LogStreams() const { return logStreams; }

Q_SIGNALS:
    void SIGUpdateScrubbers(int high, int low);
    void SIGImaAnaOutput();

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();
    void SLTRequestedUpdateRange(int idCall, bool highCall);
    void SLTChangeMode(int index);
    void SLTChangeModeValue(int value);
    void SLTChangeSpinScrubHigh(int value);
    void SLTChangeSpinScrubLow(int value);
    void SLOTEnableScrubber(bool on);
    void SLTUpdateContent();
    void SLTShowOptions();

protected:
    // One pass of the sequence, with the dock's bookkeeping around the analysis: its result, 3 when
    // refused because one runs already.
    int32_t RunPass();
    // Shows what the sequence ended with: the image, or the failure whenever xqft-dump analyse
    // would report one, or nothing for an aborted sequence (its retry shows).
    void ShowOutcome(const SAnalysisOutcome& outcome);
    void ShowFrameBuffer();
    // An empty image and the failure text in place of the image.
    void ShowFailure();
    // The facade's analysis of one pass (0 error, 1 or 2 done, 3 aborted); a seam for the tests.
    virtual int32_t RunAnalysis();
    // The bound facade, when the open trace is the one bound to it.
    CAnalysisInterface* BoundAnalysis() const;

    Ui_ImageAnalysis ui;
    GenericImageViewer viewer;
    std::unique_ptr<CAnalysisInterface> analysis;
    CTraceData* boundTrace = nullptr;
    uint8_t lockRange = 0;
    uint8_t singlePrimitive = 0;
    uint8_t invertRange = 0;
    uint8_t highlight = 0;
    uint8_t rangeMode = 0;
    int32_t drawCount = 0;
    uint8_t scrubberEnabled = 0;
    QTimer* retryTimer = nullptr;
    uint8_t busy = 0;
    SLogStreams logStreams{};
    CImaAnalDialog* options = nullptr;
    uint8_t pending = 0;
    uint16_t mode = kStandard;

private:
    // Ends a pass or a sequence (also by an exception): clears the flag and starts the retry when a
    // request came meanwhile.
    void Release(uint8_t& flag, bool retry);
    // A request while the dock renders: marked pending, and the facade's replay aborted when one runs.
    void RequestWhileBusy();
    void FlushAndReport();
    // What SLTUpdateContent does once it may render: moves to the frame, sets the options and the window,
    // runs the passes and emits the window rendered.
    void RenderSequence();
    // The analysis's rebuild hook: says in the status bar how far the rebuild is (once a percent), and
    // cancels it once another request came (the retry then renders that) or the trace is closing.
    bool RebuildGoesOn(uint32_t frame, uint32_t from, uint32_t played, uint32_t total);
    QImage spareImage;      // the image shown before the current one, written by the next pass
    uint8_t sequence = 0;   // the render sequence runs (its passes, and what it does between them)
    uint8_t analysing = 0;  // inside the facade's Analyse: Abort reaches it
    uint8_t closing = 0;    // an open is waiting for the sequence: a rebuild stops
    QString rebuildText;    // the rebuild's progress last shown (taken off the status bar at the end)
    uint32_t rebuildShown[3] = {};  // its frame, start frame and percent
};
