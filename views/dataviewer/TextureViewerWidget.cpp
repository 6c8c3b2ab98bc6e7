#include "dataviewer/TextureViewerWidget.h"

#include <QLabel>

#include "TraceController.h"
#include "StatePage.h"

CTextureViewerWidget::CTextureViewerWidget(QWidget* parent, Qt::WindowFlags flags) : GenericImageViewer(parent, flags)
{
    Setup();
    EnableContextMenu();
    setEnabled(false);
}

void CTextureViewerWidget::UpdatedTrace(bool clean)
{
    if (clean)
        Clear();
}

void CTextureViewerWidget::UpdateView(int idCall, QPixmap* pixmap)
{
    // The format by its GL name, as the texture list names it.
    auto infoText = [](const STextureRecord& t) {
        return "TextureId:" + QString::number(t.textureName) + "   " + QString::number(t.width) + "x" +
               QString::number(t.height) + "   " + "Format:" + QString::fromStdString(EnumText(t.internalFormat));
    };
    CTraceController* controller = CTraceController::Instance();
    QString text;
    if (pixmap) {
        // The texture list's upload record.
        STextureImage::EOrigin origin = STextureImage::kFromTrace;
        for (const auto& t : *controller->GetTextures())
            if (t->callNumber == uint32_t(idCall)) {
                text = infoText(*t);
                origin = t->origin;
                break;
            }
        ShowTexture(*pixmap, origin);
    } else {
        // A call of the call list: the texture as it stands just after that call (a texture
        // without an image yet shows none).
        STextureThumbnail texture;
        if (idCall > 0 && controller->TextureAtCall(uint32_t(idCall), texture)) {
            text = infoText(texture);
            ShowTexture(texture.thumbnail, texture.origin);
        } else {
            // No texture at this call: nothing of the call shown before stays.
            Clear();
            setEnabled(true);
            Q_EMIT onRequestFocus();
            return;
        }
    }
    SetInfoText(text);
    setEnabled(true);
    RefreshFit();
    Q_EMIT onRequestFocus();
}

void CTextureViewerWidget::ShowTexture(const QPixmap& pixmap, STextureImage::EOrigin origin)
{
    // A black image would pass for the texture's pixels (and a GPU-written level's upload for what
    // it holds now): the viewer says why the trace has none instead.
    const char* why = origin == STextureImage::kDrawnByGpu             ? kDrawnByGpu
                      : origin == STextureImage::kUploadedWithoutPixels ? kUploadedWithoutPixels
                                                                        : nullptr;
    if (!why) {
        SetImage(pixmap);
        return;
    }
    SetImage(QPixmap());
    Form().l_imageViewer->setText(why);
}
