#include "dataviewer/TextureViewerWidget.h"

#include "TraceController.h"

CTextureViewerWidget::CTextureViewerWidget(QWidget* parent, Qt::WindowFlags flags) : GenericImageViewer(parent, flags)
{
    Setup();
    EnableContextMenu();
    setEnabled(false);
}

void CTextureViewerWidget::UpdateView(int idCall, QPixmap* pixmap)
{
    if (pixmap)
        SetImage(*pixmap);
    QString text;
    for (const auto& t : *CTraceController::Instance()->GetTextures())
        if (t->callNumber == uint32_t(idCall)) {
            text = "TextureId:" + QString::number(t->textureName) + "   " + QString::number(t->width) + "x" +
                   QString::number(t->height) + "   " + "Format:" + QString::number(t->internalFormat);
            if (!pixmap)
                SetImage(t->thumbnail);
            break;
        }
    SetInfoText(text);
    setEnabled(true);
    RefreshFit();
    Q_EMIT onRequestFocus();
}
