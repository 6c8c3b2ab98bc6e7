#include "dataviewer/FrameBufferWidget.h"

#include <QImage>
#include <QLabel>

#include <vector>

#include "EglFrameImage.h"
#include "TraceController.h"
#include "data/TraceData.h"
#include "stream/FileMapping.h"

CFrameBufferWidget::CFrameBufferWidget(QWidget* parent, Qt::WindowFlags flags) : GenericImageViewer(parent, flags)
{
    Setup();
    setEnabled(false);
    EnableContextMenu();
}

void CFrameBufferWidget::SetTrace(bool clean)
{
    trace = clean ? nullptr : CTraceController::Instance()->GetTrace();
}

void CFrameBufferWidget::ShowFrame()
{
    STraceFrame* frame = trace ? trace->GetCurrentFrame() : nullptr;
    if (!frame || frame->endCall == STraceFrame::kOpenEnd)
        return;
    // endCall, one past the frame's last call, is that call's 1-based number. GetFrameImage refuses
    // a call that is no eglSwapBuffers with an image, or an image its bytes do not hold.
    STraceCall* last = trace->GetCall(frame->endCall);
    SFrameImage recorded;
    CXQFTString error;
    if (!last || !GetFrameImage(last->call.get(), recorded, error)) {
        if (error == kFrameImageUnavailable)
            ShowUnavailable();
        return;
    }
    // Rows come bottom-up from the device: FrameImageToRgb drops alpha and puts the top row first.
    auto* rgb = new std::vector<uint8_t>();
    FrameImageToRgb(recorded, *rgb);
    // A file cut while the image was converted read as zeros: not an image to show.
    if (!CapturedBytesIntact(recorded.rgba)) {
        delete rgb;
        ShowUnavailable();
        return;
    }
    QImage shown(rgb->data(), int(recorded.width), int(recorded.height), qsizetype(recorded.width) * 3,
                 QImage::Format_RGB888, [](void* owned) { delete static_cast<std::vector<uint8_t>*>(owned); }, rgb);
    if (shown.isNull()) {
        delete rgb;
        return;
    }
    image = QPixmap::fromImage(std::move(shown), Qt::NoFormatConversion);
    // As SetImage does: the image never sizes the label (nor the dock around it).
    Form().l_imageViewer->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    // The info line names the image shown. With Fit on, each new image (of another size, or of
    // another trace) is fitted; else it is shown at the zoom chosen.
    SetInfoText("Frame:" + QString::number(frame->number) + "   " + QString::number(recorded.width) + "x" +
                QString::number(recorded.height));
    if (viewRect.isValid())
        RefreshFit();
    else
        Form().l_imageViewer->setPixmap(image);
}

void CFrameBufferWidget::ShowUnavailable()
{
    image = QPixmap();
    Form().l_imageViewer->setPixmap(QPixmap());
    Form().l_imageViewer->setText(QString::fromLatin1(kFrameImageUnavailable));
    SetInfoText("No data available");
}
