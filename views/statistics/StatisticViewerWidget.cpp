#include "statistics/StatisticViewerWidget.h"

#include <QTabWidget>

#include "common/TabDockForm.h"
#include "statistics/CallSummaryFrame.h"
#include "statistics/FrameSummaryFrame.h"

CStatisticViewerWidget::CStatisticViewerWidget(QWidget* parent, Qt::WindowFlags flags,
                                               CFrameSummaryFrame* frames, CCallSummaryFrame* calls)
    : QDockWidget(parent, flags), frameSummary(frames), callSummary(calls)
{
    viewerTabWidget = SetupTabDock(*this, {"StatisticViewerDock", "viewerTabWidget", QSize(490, 514), true, false});
    setMinimumSize(129, 38);
    if (callSummary)
        viewerTabWidget->addTab(callSummary, "Calls Summary");
    if (frameSummary)
        viewerTabWidget->addTab(frameSummary, "Frame Summary");
    setWindowTitle("Statistics");
    setEnabled(false);  // until a trace is open
}
