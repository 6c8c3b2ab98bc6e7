#include "statistics/StatisticViewerWidget.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "statistics/CallSummaryFrame.h"
#include "statistics/FrameSummaryFrame.h"

CStatisticViewerWidget::CStatisticViewerWidget(QWidget* parent, Qt::WindowFlags flags,
                                               CFrameSummaryFrame* frames, CCallSummaryFrame* calls)
    : QDockWidget(parent, flags), frameSummary(frames), callSummary(calls)
{
    setObjectName("StatisticViewerDock");
    resize(490, 514);
    setMinimumSize(129, 38);
    setAcceptDrops(true);
    setFloating(true);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setStyleSheet(" QTabWidget::pane { /* The tab widget frame */\n     border-top: 2px solid #C2C7CB;\n }");
    dockWidgetContents = new QWidget();
    dockWidgetContents->setObjectName("dockWidgetContents");
    verticalLayout = new QVBoxLayout(dockWidgetContents);
    verticalLayout->setObjectName("verticalLayout");
    verticalLayout->setSpacing(1);
    verticalLayout->setContentsMargins(1, 1, 1, 1);
    viewerTabWidget = new QTabWidget(dockWidgetContents);
    viewerTabWidget->setObjectName("viewerTabWidget");
    viewerTabWidget->setAcceptDrops(false);
    viewerTabWidget->setTabsClosable(false);
    viewerTabWidget->setMovable(false);
    verticalLayout->addWidget(viewerTabWidget);
    setWidget(dockWidgetContents);
    if (callSummary)
        viewerTabWidget->addTab(callSummary, "Calls Summary");
    if (frameSummary)
        viewerTabWidget->addTab(frameSummary, "Frame Summary");
    setWindowTitle("Statistics");
    setEnabled(false);  // until a trace is open
}
