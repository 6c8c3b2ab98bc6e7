#include "states/StatesWidget.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QTabWidget>

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
    if (objectName().isEmpty())
        setObjectName("RenderStateDock");
    resize(413, 600);
    setAcceptDrops(true);
    setStyleSheet(" QTabWidget::pane { /* The tab widget frame */\n     border-top: 2px solid #C2C7CB;\n }");
    setFloating(true);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    dockWidgetContents = new QWidget();
    dockWidgetContents->setObjectName("dockWidgetContents");
    dockWidgetContents->setAcceptDrops(true);
    horizontalLayout = new QHBoxLayout(dockWidgetContents);
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(0);
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    stateTabWidget = new QTabWidget(dockWidgetContents);
    stateTabWidget->setObjectName("stateTabWidget");
    stateTabWidget->setAcceptDrops(true);
    stateTabWidget->setTabsClosable(false);
    stateTabWidget->setMovable(false);
    horizontalLayout->addWidget(stateTabWidget);
    setWidget(dockWidgetContents);
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
    if (clean) {
        // The trace is being dropped: nothing built from it stays, even when no other trace opens.
        if (m_renderState)
            m_renderState->Clear();
        if (m_textures)
            m_textures->UpdatedTrace(true);
        if (m_shaders)
            m_shaders->UpdatedTrace(true);
        return;
    }
    if (m_renderState)
        m_renderState->ResetPreviousStates();
    if (m_textures)
        m_textures->UpdatedTrace(false);
    if (m_shaders)
        m_shaders->UpdatedTrace(false);
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
