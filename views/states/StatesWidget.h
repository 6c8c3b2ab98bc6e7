#pragma once
// The states dock: the render-state tree, the texture list and the shader list in three tabs.
// The main window creates the views and hands them over; the dock re-parents them.
#include <QDockWidget>

class CRenderStateWidget;
class CShaderListWidget;
class CTextureListWidget;
class QTabWidget;

class CStatesWidget : public QDockWidget
{
    Q_OBJECT
public:
    // parent and flags are not used: the main window adds the dock.
    CStatesWidget(QWidget* parent, Qt::WindowFlags flags, CRenderStateWidget* renderState,
                  CTextureListWidget* textures, CShaderListWidget* shaders);

    QTabWidget* Tabs() const { return stateTabWidget; }

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();

private Q_SLOTS:
    void ManageUnTab(int index);

private:
    void SetupUi();
    void AddTabs();

    CRenderStateWidget* m_renderState;
    CTextureListWidget* m_textures;
    CShaderListWidget* m_shaders;
    QTabWidget* stateTabWidget = nullptr;
};
