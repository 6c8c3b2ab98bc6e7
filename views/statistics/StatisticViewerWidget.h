#pragma once
// The statistics dock: the call summary and the frame summary of the current frame in two tabs;
// disabled while no trace is open.
#include <QDockWidget>

class CCallSummaryFrame;
class CFrameSummaryFrame;
class QTabWidget;

class CStatisticViewerWidget : public QDockWidget
{
    Q_OBJECT
public:
    CStatisticViewerWidget(QWidget* parent, Qt::WindowFlags flags, CFrameSummaryFrame* frameSummary,
                           CCallSummaryFrame* callSummary);
    QTabWidget* Tabs() const { return viewerTabWidget; }

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean) { setEnabled(!clean); }
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }

private:
    CFrameSummaryFrame* frameSummary;
    CCallSummaryFrame* callSummary;
    QTabWidget* viewerTabWidget = nullptr;
};
