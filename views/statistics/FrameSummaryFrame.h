#pragma once
// The frame summary of the statistics dock: the six counters of the current frame.
#include <QFrame>

class QHBoxLayout;
class QTableWidget;

class CFrameSummaryFrame : public QFrame
{
    Q_OBJECT
public:
    explicit CFrameSummaryFrame(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    QTableWidget* Table() const { return tw_frameSummary; }

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();

private:
    QHBoxLayout* horizontalLayout = nullptr;
    QTableWidget* tw_frameSummary = nullptr;
};
