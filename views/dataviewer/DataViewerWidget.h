#pragma once
// The data-viewer dock: the texture, frame-buffer and shader viewers in tabs. A viewer asked to
// show something asks the dock to bring its tab to the front.
#include <QDockWidget>

class CFrameBufferWidget;
class CShaderViewerWidget;
class CTextureViewerWidget;
class QTabWidget;

class CDataViewerWidget : public QDockWidget
{
    Q_OBJECT
public:
    CDataViewerWidget(QWidget* parent, Qt::WindowFlags flags, CTextureViewerWidget* textureViewer,
                      CFrameBufferWidget* frameBufferViewer, CShaderViewerWidget* shaderViewer);
    QTabWidget* Tabs() const { return viewerTabWidget; }

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();

private Q_SLOTS:
    void SLTManageUnTab(int) {}
    void SLTRequestedFocus();

private:
    bool TraceHasFrameImages() const;

    CTextureViewerWidget* textureViewer;
    CFrameBufferWidget* frameBufferViewer;
    CShaderViewerWidget* shaderViewer;
    QTabWidget* viewerTabWidget = nullptr;
};
