#include "dataviewer/DataViewerWidget.h"

#include <QTabWidget>

#include "TraceController.h"
#include "common/TabDockForm.h"
#include "data/TraceData.h"
#include "dataviewer/FrameBufferWidget.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "dataviewer/TextureViewerWidget.h"

CDataViewerWidget::CDataViewerWidget(QWidget* parent, Qt::WindowFlags flags, CTextureViewerWidget* textures,
                                     CFrameBufferWidget* frameBuffer, CShaderViewerWidget* shaders)
    : QDockWidget(parent, flags), textureViewer(textures), frameBufferViewer(frameBuffer), shaderViewer(shaders)
{
    viewerTabWidget = SetupTabDock(*this, {"DataViewerDock", "viewerTabWidget", QSize(413, 600)});
    setWindowTitle("Data Viewer");
    if (textureViewer)
        viewerTabWidget->addTab(textureViewer, "TexturesViewer");
    if (frameBufferViewer)
        viewerTabWidget->addTab(frameBufferViewer, "FrameBuffer");
    if (shaderViewer)
        viewerTabWidget->addTab(shaderViewer, "Shaders");
    viewerTabWidget->setCurrentIndex(-1);

    if (textureViewer)
        connect(textureViewer, &CTextureViewerWidget::onRequestFocus, this, &CDataViewerWidget::SLTRequestedFocus);
    if (shaderViewer)
        connect(shaderViewer, &CShaderViewerWidget::onRequestFocus, this, &CDataViewerWidget::SLTRequestedFocus);
}

bool CDataViewerWidget::TraceHasFrameImages() const
{
    const CTraceData* trace = CTraceController::Instance()->GetTrace();
    return trace && trace->GetFrameImageFlag();
}

void CDataViewerWidget::SLTUpdatedTrace(bool clean)
{
    if (textureViewer)
        textureViewer->UpdatedTrace(clean);
    if (shaderViewer && clean)
        shaderViewer->Clear();
    if (frameBufferViewer) {
        const int tab = viewerTabWidget->indexOf(frameBufferViewer);
        if (TraceHasFrameImages()) {
            viewerTabWidget->setTabEnabled(tab, true);
            frameBufferViewer->setEnabled(true);
            frameBufferViewer->SetTrace(clean);
        } else {
            viewerTabWidget->setTabEnabled(tab, false);
        }
    }
    setEnabled(true);
}

void CDataViewerWidget::SLTUpdatedCurrFrame()
{
    if (frameBufferViewer && TraceHasFrameImages())
        frameBufferViewer->ShowFrame();
}

void CDataViewerWidget::SLTRequestedFocus()
{
    QObject* from = sender();
    if (from && from == textureViewer)
        viewerTabWidget->setCurrentWidget(textureViewer);
    else if (from && from == shaderViewer)
        viewerTabWidget->setCurrentWidget(shaderViewer);
}
