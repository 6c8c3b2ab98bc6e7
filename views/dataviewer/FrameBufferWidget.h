#pragma once
// The frame-buffer viewer of the data-viewer dock: the image the capture layer recorded with the
// current frame's eglSwapBuffers (nothing is replayed), the right way up.
#include "imageviewer/GenericImageViewer.h"

class CTraceData;

class CFrameBufferWidget : public GenericImageViewer
{
    Q_OBJECT
public:
    explicit CFrameBufferWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // clean: forget the trace; else read the controller's open trace.
    void SetTrace(bool clean);
    // Shows the current frame's image; a frame without one leaves the viewer as it is. An image
    // whose bytes are gone (the trace file was cut or changed) is replaced by a line saying so.
    void ShowFrame();

private:
    void ShowUnavailable();

    CTraceData* trace = nullptr;
};
