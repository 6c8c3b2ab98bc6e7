#include "imageanalysis/ImageAnalysisWidget.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLoggingCategory>
#include <QPalette>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "AnalysisSequence.h"
#include "AppIcons.h"
#include "PlayableTrace.h"
#include "PlaybackInterface.h"
#include "TraceController.h"
#include "TraceStatistics.h"
#include "data/TraceData.h"
#include "imageanalysis/ImaAnalDialog.h"

namespace {
// The passes' debug lines; off unless QT_LOGGING_RULES asks for them (they would fill output.log).
Q_LOGGING_CATEGORY(lcImageAnalysis, "xqft.imageanalysis", QtInfoMsg)

constexpr int kMinimumImageHeight = 200;

QSpinBox* Scrubber(QWidget* parent, const char* name, const char* tip, QColor base)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Active, QPalette::Base, base);
    palette.setColor(QPalette::Inactive, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(240, 240, 240));
    box->setPalette(palette);
    box->setAccelerated(true);
    box->setKeyboardTracking(false);
    box->setMaximum(99999);
    return box;
}

// One row of the read-back (R, G, B, A bytes) as the screen's opaque 32-bit pixels (0xFFRRGGBB).
void RowToRgb32(const uint8_t* rgba, uint32_t* out, int width)
{
    for (int x = 0; x < width; ++x, rgba += 4)
        out[x] = 0xFF000000u | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
}

#if defined(__x86_64__) || defined(__i386__)
// The same, four pixels a step with a byte shuffle.
__attribute__((target("ssse3"))) void RowToRgb32Ssse3(const uint8_t* rgba, uint32_t* out, int width)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_shuffle_epi8(in, order), opaque));
    }
    RowToRgb32(rgba + 4 * x, out + x, width - x);
}
#endif

// The read-back (RGBA, rows bottom-up) as the image the viewer paints, top row first, in one pass;
// into `image` when it has the size and nothing else holds it (its pages are then written, not
// faulted in anew).
QImage ScreenImage(QImage&& spare, const uint8_t* rgba, int width, int height)
{
    QImage image = std::move(spare);
    if (image.size() != QSize(width, height) || image.format() != QImage::Format_RGB32)
        image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    void (*row)(const uint8_t*, uint32_t*, int) = RowToRgb32;
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("ssse3"))
        row = RowToRgb32Ssse3;
#endif
    for (int y = 0; y < height; ++y)
        row(rgba + size_t(height - 1 - y) * size_t(width) * 4, reinterpret_cast<uint32_t*>(image.scanLine(y)), width);
    return image;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const char* tip, EAppIcon icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setText(QString());
    button->setIcon(AppIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(false);
    return button;
}
} // namespace

void Ui_ImageAnalysis::setupUi(QDockWidget* dock)
{
    dock->setObjectName("ImageAnalysis");
    dock->setWindowTitle("Image Analysis");
    dock->resize(814, 724);
    dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    dockWidgetContents = new QWidget();
    dockWidgetContents->setObjectName("dockWidgetContents");
    verticalLayout = new QVBoxLayout(dockWidgetContents);
    verticalLayout->setObjectName("verticalLayout");
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName("horizontalLayout");
    cb_viewMode = new QComboBox(dockWidgetContents);
    cb_viewMode->setObjectName("cb_viewMode");
    cb_viewMode->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    horizontalLayout->addWidget(cb_viewMode);
    sb_genericRange = new QSpinBox(dockWidgetContents);
    sb_genericRange->setObjectName("sb_genericRange");
    sb_genericRange->setRange(1, 255);
    horizontalLayout->addWidget(sb_genericRange);
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(horizontalSpacer);
    horizontalLayout_4 = new QHBoxLayout();
    horizontalLayout_4->setObjectName("horizontalLayout_4");
    horizontalLayout_4->setSpacing(0);
    sb_lowScrubber = Scrubber(dockWidgetContents, "sb_lowScrubber", "Low Range", QColor(199, 255, 241));
    horizontalLayout_4->addWidget(sb_lowScrubber);
    sb_highScrubber = Scrubber(dockWidgetContents, "sb_highScrubber", "High Range", QColor(255, 196, 112));
    sb_highScrubber->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    horizontalLayout_4->addWidget(sb_highScrubber);
    horizontalLayout->addLayout(horizontalLayout_4);
    tb_activeScrubber = ToolButton(dockWidgetContents, "tb_activeScrubber", "Enable/Disable ImageAnalysis Scrubber",
                                   EAppIcon::Bulb);
    tb_activeScrubber->setPopupMode(QToolButton::InstantPopup);
    horizontalLayout->addWidget(tb_activeScrubber);
    tb_showOptions = ToolButton(dockWidgetContents, "tb_showOptions", "Show Image Analysis Options", EAppIcon::Config);
    horizontalLayout->addWidget(tb_showOptions);
    verticalLayout->addLayout(horizontalLayout);

    line_2 = new QFrame(dockWidgetContents);
    line_2->setObjectName("line_2");
    line_2->setFrameShape(QFrame::HLine);
    line_2->setFrameShadow(QFrame::Sunken);
    verticalLayout->addWidget(line_2);

    callViewComp = new QVBoxLayout();
    callViewComp->setObjectName("callViewComp");
    callViewComp->setSpacing(0);
    verticalLayout->addLayout(callViewComp, 1);
    dock->setWidget(dockWidgetContents);
}

CImageAnalysisWidget::CImageAnalysisWidget(QWidget* parent, Qt::WindowFlags flags) : QDockWidget(parent, flags)
{
    ui.setupUi(this);
    viewer.Setup();
    viewer.SetScaleInPaint(true);  // a new image every pass: no scaled copy of each
    // Neither an image nor its absence sizes the dock: its layout is the same before and after a
    // trace opens, so the stored window layout comes back as it was saved.
    viewer.Form().l_imageViewer->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    ui.callViewComp->addWidget(&viewer);
    // The image area starts tall enough to show a frame: beside the data viewer the dock would
    // otherwise be given little more than its tool row.
    viewer.Form().f_imageViewerFrame->setMinimumHeight(kMinimumImageHeight);
    viewer.EnableContextMenu();
    ui.sb_genericRange->hide();
    options = new CImaAnalDialog(this);
    ui.cb_viewMode->addItems({"Standard", "Wireframe", "Depth Compl."});
    ui.sb_genericRange->setRange(0, 255);
    ui.sb_genericRange->setValue(128);
    retryTimer = new QTimer(this);
    retryTimer->setInterval(kRetryMs);
    // Every path that starts it also stops it first: one shot serves, and a retry that finds nothing to
    // render does not come back every 500 ms.
    retryTimer->setSingleShot(true);
    setEnabled(false);
    ui.sb_lowScrubber->hide();
    logStreams = RedirectStandardStreams();

    connect(retryTimer, &QTimer::timeout, this, &CImageAnalysisWidget::SLTUpdateContent);
    connect(ui.cb_viewMode, &QComboBox::currentIndexChanged, this, &CImageAnalysisWidget::SLTChangeMode);
    connect(ui.sb_genericRange, &QSpinBox::valueChanged, this, &CImageAnalysisWidget::SLTChangeModeValue);
    connect(ui.sb_highScrubber, &QSpinBox::valueChanged, this, &CImageAnalysisWidget::SLTChangeSpinScrubHigh);
    connect(ui.sb_lowScrubber, &QSpinBox::valueChanged, this, &CImageAnalysisWidget::SLTChangeSpinScrubLow);
    connect(ui.tb_activeScrubber, &QToolButton::toggled, this, &CImageAnalysisWidget::SLOTEnableScrubber);
    connect(ui.tb_showOptions, &QToolButton::toggled, this, &CImageAnalysisWidget::SLTShowOptions);
    // An open requested while a pass replays the trace aborts the pass (the controller opens later).
    connect(CTraceController::Instance(), &CTraceController::SIGAbortAnalysis, this, [this] {
        if (analysing && analysis)
            analysis->Abort();
        closing = sequence;
    });
}

CImageAnalysisWidget::~CImageAnalysisWidget() = default;

bool CImageAnalysisWidget::Busy()
{
    return busy || sequence;
}

CAnalysisInterface* CImageAnalysisWidget::BoundAnalysis() const
{
    if (!analysis || !boundTrace || boundTrace != CTraceController::Instance()->GetTrace())
        return nullptr;
    return analysis.get();
}

void CImageAnalysisWidget::SLTUpdatedTrace(bool clean)
{
    CTraceController* controller = CTraceController::Instance();
    if (clean) {
        boundTrace = nullptr;
        retryTimer->stop();
        // Nothing of the old trace stays on show.
        viewer.Clear();
        // The analysis lets go of the old trace while it still exists (a pass never runs here: the
        // controller opens only once a pass has returned).
        if (analysis && !Busy())
            analysis->SetTraceForAnalysis(nullptr);
        // No window of the old frame is kept: the next trace's first frame finds no range (0, 0) and
        // shows all its draws, locked or not, as the first trace of a session does.
        {
            const QSignalBlocker low(ui.sb_lowScrubber), high(ui.sb_highScrubber);
            ui.sb_lowScrubber->setValue(0);
            ui.sb_highScrubber->setValue(0);
        }
        drawCount = 0;
        spareImage = QImage();
        setEnabled(false);
        return;
    }
    if (!controller->Options().ImageAnalysisEnabled())
        return;
    CTraceData* trace = controller->GetTrace();
    if (!trace)
        return;
    if (!TracePlayable(*trace)) {
        QString reason = QString::fromLatin1(kRecordedWithoutData);
        reason[0] = reason[0].toUpper();
        viewer.SetInfoText(reason);
        return;
    }
    setEnabled(true);
    if (!analysis) {
        analysis = std::make_unique<CAnalysisInterface>();
        analysis->SetRebuildProgress([this](uint32_t frame, uint32_t from, uint32_t played, uint32_t total) {
            return RebuildGoesOn(frame, from, played, total);
        });
    }
    analysis->SetTraceForAnalysis(trace);
    boundTrace = trace;
    ui.tb_activeScrubber->setChecked(true);
}

void CImageAnalysisWidget::SLTUpdatedCurrFrame()
{
    CAnalysisInterface* bound = BoundAnalysis();
    if (!bound) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    CTraceController* controller = CTraceController::Instance();
    const STraceFrameStats* stats = controller->GetFrameStats(0);
    drawCount = stats ? int32_t(stats->frame.drawCalls) : 0;
    bound->SetCallFilters(controller->GetDisabledCalls(), controller->GetDisabledFunctions());
    {
        QSpinBox* low = ui.sb_lowScrubber;
        QSpinBox* high = ui.sb_highScrubber;
        const QSignalBlocker blockLow(low), blockHigh(high);
        low->setEnabled(drawCount != 0);
        high->setEnabled(drawCount != 0);
        // A value set again repaints the box (and the dock behind it) for nothing.
        auto set = [](QSpinBox* box, int value) {
            if (box->value() != value)
                box->setValue(value);
        };
        if (drawCount == 0) {
            set(high, 0);
            set(low, 0);
        } else if (!lockRange || high->value() == 0) {
            set(high, drawCount);
            set(low, 1);
        } else if (high->value() > drawCount) {
            set(high, drawCount);
            if (low->value() > high->value())
                set(low, high->value());
        }
    }
    SLTUpdateContent();
    setEnabled(true);
}

void CImageAnalysisWidget::SLTRequestedUpdateRange(int idCall, bool highCall)
{
    const STraceFrameStats* stats = CTraceController::Instance()->GetFrameStats(0);
    if (!stats)
        return;
    const std::vector<uint32_t>& draws = stats->frame.drawCallNumbers;
    const auto found = std::find(draws.begin(), draws.end(), uint32_t(idCall));
    const int position = int(found - draws.begin()) + 1;  // one past the list when absent
    if (position > drawCount)
        return;
    QSpinBox* low = ui.sb_lowScrubber;
    QSpinBox* high = ui.sb_highScrubber;
    if (!rangeMode) {
        high->setValue(position);
    } else if (!highCall) {
        if (position > high->value())
            high->setValue(position);
        low->setValue(position);
    } else {
        if (position < low->value())
            low->setValue(position);
        high->setValue(position);
    }
}

void CImageAnalysisWidget::SLTChangeSpinScrubHigh(int value)
{
    QSpinBox* high = ui.sb_highScrubber;
    {
        const QSignalBlocker block(high);
        if (high->value() > drawCount)
            high->setValue(drawCount);
        if (drawCount >= 1 && value == 0)
            high->setValue(1);
        if (!singlePrimitive && rangeMode && ui.sb_lowScrubber->value() > value)
            high->setValue(ui.sb_lowScrubber->value());
    }
    // A corrected value is rendered as well: the image shows the window the boxes show.
    SLTUpdateContent();
}

void CImageAnalysisWidget::SLTChangeSpinScrubLow(int value)
{
    QSpinBox* low = ui.sb_lowScrubber;
    {
        const QSignalBlocker block(low);
        if (drawCount >= 1 && value == 0)
            low->setValue(1);
        if (!singlePrimitive && ui.sb_highScrubber->value() < value)
            low->setValue(ui.sb_highScrubber->value());
    }
    SLTUpdateContent();
}

void CImageAnalysisWidget::SLTChangeMode(int index)
{
    mode = uint16_t(index);
    SLTUpdateContent();
}

void CImageAnalysisWidget::SLTChangeModeValue(int)
{
    // The sequence takes the increment from the box.
    if (!analysis || ui.cb_viewMode->currentIndex() != kDepthComplexity)
        return;
    SLTUpdateContent();
}

void CImageAnalysisWidget::SLOTEnableScrubber(bool on)
{
    scrubberEnabled = on;
    ui.tb_activeScrubber->setAutoRaise(on);
    ui.sb_lowScrubber->setEnabled(on);
    ui.sb_highScrubber->setEnabled(on);
    if (drawCount > 0)
        SLTUpdateContent();
}

void CImageAnalysisWidget::SLTShowOptions()
{
    if (options->exec() != QDialog::Accepted)
        return;
    CTraceController* controller = CTraceController::Instance();
    switch (options->choice) {
    case CImaAnalDialog::kScrubber: {
        ui.sb_lowScrubber->hide();
        // Rendered once, by the sequence below.
        const QSignalBlocker block(ui.sb_lowScrubber);
        ui.sb_lowScrubber->setValue(1);
        singlePrimitive = 0;
        rangeMode = 0;
        break;
    }
    case CImaAnalDialog::kSinglePrimitive:
        ui.sb_lowScrubber->hide();
        singlePrimitive = 1;
        rangeMode = 0;
        break;
    default:
        ui.sb_lowScrubber->show();
        rangeMode = 1;
        singlePrimitive = 0;
        break;
    }
    controller->SetRangeMode(rangeMode);
    highlight = options->highlight;
    lockRange = options->lockRange;
    invertRange = options->invertRange;
    ui.tb_activeScrubber->setChecked(true);
    SLTUpdateContent();
}

void CImageAnalysisWidget::RequestWhileBusy()
{
    pending = 1;
    // Only a replay in progress hears the abort: one set between passes would cut the retry short.
    if (analysing && analysis)
        analysis->Abort();
}

void CImageAnalysisWidget::Release(uint8_t& flag, bool retry)
{
    flag = 0;
    if (pending) {
        pending = 0;
        if (retry)
            retryTimer->start();
    }
}

void CImageAnalysisWidget::FlushAndReport()
{
    std::fflush(logStreams.err);
    std::fflush(logStreams.out);
    Q_EMIT SIGImaAnaOutput();
}

void CImageAnalysisWidget::SLTUpdateContent()
{
    if (busy || sequence) {
        RequestWhileBusy();
        return;
    }
    // A retry that fires after the trace closed finds nothing bound, and renders nothing.
    if (!BoundAnalysis())
        return;
    sequence = 1;
    closing = 0;
    CTraceController* controller = CTraceController::Instance();
    controller->SetAnalysisRunning(true);
    bool failed = false;
    try {
        RenderSequence();
    } catch (...) {
        failed = true;
        controller->UpdateTemporalStatusBar(kRenderFailed);
        ShowFailure();
        setEnabled(false);
    }
    if (!rebuildText.isEmpty()) {
        controller->ClearTemporalStatusBar(rebuildText);
        rebuildText.clear();
    }
    controller->SetAnalysisRunning(false);
    // After a failure the dock stays disabled until a frame or trace update: nothing is retried.
    Release(sequence, !failed);
}

bool CImageAnalysisWidget::RebuildGoesOn(uint32_t frame, uint32_t from, uint32_t played, uint32_t total)
{
    const uint32_t percent = total ? uint32_t(uint64_t(played) * 100 / total) : 100;
    const uint32_t now[3] = {frame, from, percent};
    if (rebuildText.isEmpty() || !std::equal(now, now + 3, rebuildShown)) {
        std::copy(now, now + 3, rebuildShown);
        rebuildText = QString("rebuilding frame %1 from frame %2: %3 %").arg(frame).arg(from).arg(percent);
        CTraceController::Instance()->UpdateTemporalStatusBar(rebuildText);
    }
    return !pending && !closing;
}

void CImageAnalysisWidget::RenderSequence()
{
    const uint32_t D = uint32_t(std::max(drawCount, 0));
    const uint32_t H = uint32_t(ui.sb_highScrubber->value());
    const uint32_t L = uint32_t(ui.sb_lowScrubber->value());
    ui.sb_genericRange->setVisible(mode == kDepthComplexity);
    SAnalysisRequest request;
    request.frame = uint32_t(boundTrace->GetCurrentFrameNumber());
    request.drawBudget = D;
    request.frameDraws = D;
    SAnalysisOptions& o = request.options;
    o.m_wireframe = mode == kWireframe;
    o.m_complexity = mode == kDepthComplexity;
    o.m_increment = uint8_t(ui.sb_genericRange->value());
    // The window the controls choose, and what the scrubbers then show.
    int windowHigh = int(H), windowLow = int(L);
    if (H == 0 && L == 0) {
        request.firstDraw = request.lastDraw = 0;  // a frame without draws
    } else if (!scrubberEnabled) {
        request.firstDraw = 1;
        request.lastDraw = D;
        windowHigh = int(D);
        windowLow = 1;
    } else {
        o.m_rangeMode = invertRange;
        o.m_highlight = highlight;
        request.firstDraw = singlePrimitive ? H : highlight || rangeMode ? L : 1;
        request.lastDraw = H;
        if (singlePrimitive)
            windowLow = int(H);
    }
    // A request that came during the pass of the whole frame (its retry is waiting) makes the
    // highlighted pass pointless: the retry renders both again.
    const SAnalysisOutcome outcome = RunAnalysisSequence(
        *analysis, request, [this] { return RunPass(); }, [this] { return !retryTimer->isActive(); });
    ShowOutcome(outcome);
    // An aborted sequence rendered no window (the frame may have changed meanwhile): its retry tells.
    if ((H != 0 || L != 0) && outcome.result != 3)
        Q_EMIT SIGUpdateScrubbers(windowHigh, windowLow);
}

int32_t CImageAnalysisWidget::RunAnalysis()
{
    return analysis->Analyse(false);
}

int32_t CImageAnalysisWidget::RunPass()
{
    retryTimer->stop();
    if (busy) {
        pending = 1;
        return 3;
    }
    busy = 1;
    qCDebug(lcImageAnalysis, "UpdateImage... RUN");
    int32_t result = 0;
    try {
        analysing = 1;
        result = RunAnalysis();
        analysing = 0;
    } catch (...) {
        // However the pass ends, the dock is free again: a pass that threw must not leave every
        // later request marked pending behind a busy flag that nothing clears. The failure disables
        // the dock, so nothing is retried.
        analysing = 0;
        Release(busy, false);
        FlushAndReport();
        throw;
    }
    qCDebug(lcImageAnalysis, "UpdateImage...Free");
    Release(busy, true);
    FlushAndReport();
    return result;
}

void CImageAnalysisWidget::ShowOutcome(const SAnalysisOutcome& outcome)
{
    CTraceController* controller = CTraceController::Instance();
    // The pass read the trace's captured bytes: once its file was cut or rewritten (also during
    // the pass) they read as zeros, and the image made of them is not the frame.
    if (boundTrace && !boundTrace->CapturedBytesIntact()) {
        controller->UpdateTemporalStatusBar(kBytesUnavailable);
        viewer.SetImage(QPixmap());
        viewer.SetInfoText(kBytesUnavailable);
        return;
    }
    if (outcome.result == 3)
        return;  // aborted or superseded: the retry shows what comes
    if (outcome.Failed()) {
        // The dock shows the failure whenever xqft-dump analyse would exit for it, never the image
        // of an earlier pass; an image this pass read back stays under the failure's caption.
        controller->UpdateTemporalStatusBar(kRenderFailed);
        if (outcome.result == 0)
            ShowFailure();
        else {
            ShowFrameBuffer();
            viewer.SetInfoText(kRenderFailed);
        }
        return;
    }
    // A failure reported by an earlier pass is no longer true.
    controller->ClearTemporalStatusBar(kRenderFailed);
    controller->ClearTemporalStatusBar(kBytesUnavailable);
    ShowFrameBuffer();
}

void CImageAnalysisWidget::ShowFailure()
{
    viewer.SetImage(QPixmap());
    viewer.SetInfoText(kRenderFailed);
}

void CImageAnalysisWidget::ShowFrameBuffer()
{
    const uint8_t* rgba = nullptr;
    uint32_t width = 0, height = 0;
    if (!analysis || !analysis->GetFrameBufferRgba(&rgba, &width, &height) || !rgba || width == 0 || height == 0) {
        viewer.Clear();  // no surface to read: nothing of an earlier pass stays
        return;
    }
    // Converted once, from the host's read-back straight into the format the screen draws fastest,
    // and handed over without a copy; the viewer scales it as it paints.
    QImage shown = ScreenImage(std::move(spareImage), rgba, width, height);
    if (shown.isNull())
        return;
    viewer.SetInfoText(QString("Native Resolution: %1x%2").arg(width).arg(height));
    const QPixmap before = viewer.Image();
    viewer.SetImage(QPixmap::fromImage(std::move(shown), Qt::NoFormatConversion));
    // The image shown before holds the pixels of the next pass, once nothing else holds it.
    spareImage = before.toImage();
}
