#pragma once
// The texture viewer of the data-viewer dock: a texture image with its name, size and format, asked
// for by the texture list (an upload record, with the list's pixmap) or by the call list (the
// texture a call uploads, updates or binds, as it stands just after that call).
#include "TextureImages.h"
#include "imageviewer/GenericImageViewer.h"

class CTextureViewerWidget : public GenericImageViewer
{
    Q_OBJECT
public:
    explicit CTextureViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Shown in place of the image of a texture the trace holds no pixels for.
    static constexpr const char* kDrawnByGpu = "no data: drawn by the GPU";
    static constexpr const char* kUploadedWithoutPixels = "uploaded without pixels";

Q_SIGNALS:
    void onRequestFocus();

public Q_SLOTS:
    // clean: the old trace's texture goes.
    void UpdatedTrace(bool clean);
    void UpdatedTrace() { UpdatedTrace(false); }
    void UpdateView(int idCall, QPixmap* pixmap);
    void UpdateView(int idCall) { UpdateView(idCall, nullptr); }

private:
    void ShowTexture(const QPixmap& pixmap, STextureImage::EOrigin origin);
};
