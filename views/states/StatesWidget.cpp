#include "states/StatesWidget.h"

#include <QCoreApplication>
#include <QTabWidget>

#include "common/TabDockForm.h"
#include "renderstate/RenderStateWidget.h"
#include "states/ShaderListWidget.h"
#include "states/TextureListWidget.h"

CStatesWidget::CStatesWidget(QWidget*, Qt::WindowFlags, CRenderStateWidget* renderState,
                             CTextureListWidget* textures, CShaderListWidget* shaders)
    : QDockWidget(nullptr), m_renderState(renderState), m_textures(textures), m_shaders(shaders)
{
    SetupUi();
    AddTabs();
    connect(stateTabWidget, &QTabWidget::tabCloseRequested, this, &CStatesWidget::ManageUnTab);
}

void CStatesWidget::SetupUi()
{
    stateTabWidget = SetupTabDock(*this, {"RenderStateDock", "stateTabWidget", QSize(413, 600)});
    setWindowTitle(QCoreApplication::translate("RenderStateDock", "States"));
}

void CStatesWidget::AddTabs()
{
    // Disabled until the first trace update.
    setEnabled(false);
    if (m_renderState)
        stateTabWidget->addTab(m_renderState, "State");
    if (m_textures)
        stateTabWidget->addTab(m_textures, "Textures");
    if (m_shaders)
        stateTabWidget->addTab(m_shaders, "Shaders");
}

void CStatesWidget::SLTUpdatedTrace(bool clean)
{
    setEnabled(true);
    // A dropped trace takes what was built from it along, even when no other trace opens.
    if (m_renderState) {
        if (clean)
            m_renderState->Clear();
        else
            m_renderState->ResetPreviousStates();
    }
    if (m_textures)
        m_textures->UpdatedTrace(clean);
    if (m_shaders)
        m_shaders->UpdatedTrace(clean);
}

void CStatesWidget::SLTUpdatedCurrFrame()
{
    if (m_renderState)
        m_renderState->UpdateRenderStateFrame();
}

void CStatesWidget::ManageUnTab(int index)
{
    QWidget* page = stateTabWidget->widget(index);
    if (!page)
        return;
    stateTabWidget->removeTab(index);
    page->setParent(nullptr);
    page->show();
}
