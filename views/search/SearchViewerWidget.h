#pragma once
// The search results: one line per call found, "F(frame) C(call)   name (arguments, ) return".
// Clicking a line brings its call into view. The list is emptied when the trace goes, so a line
// never stands for a call of another trace.
#include <QWidget>

#include "TraceController.h"

class QListWidget;
class QListWidgetItem;
struct STraceCall;

class CSearchViewerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CSearchViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The line of call number n (entry: its call).
    static QString Line(STraceCall& entry, u32 n);
    // The call number of a line, under this role.
    static constexpr int kCallRole = 100;
    QListWidget* List() const { return m_list; }

Q_SIGNALS:
    void onRequestFocus();
    void SIGRequestShowCall(int callNumber);

public Q_SLOTS:
    void SLTSearchOutput(CTraceController::TSEARCHCALLS* calls);
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame() {}
    void SLTItemClick(QListWidgetItem* item);

private:
    void Append(CTraceData& trace, const CTraceController::TSEARCHCALLS& calls, size_t from);

    QListWidget* m_list = nullptr;
    // The numbers listed now, to tell a list that grew from one that changed.
    std::vector<u32> m_shown;
};
