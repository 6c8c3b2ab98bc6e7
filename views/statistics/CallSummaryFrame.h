#pragma once
// The call summary of the statistics dock: one row per function called in the current frame with
// its count, watched functions at the top in their colour, selected ones in theirs. What is listed
// and how it is marked is CCallSummary's (core/); this class keeps the table and the menu.
#include <QFrame>

#include "CallSummary.h"

class QHBoxLayout;
class QMenu;
class QTableWidget;
class QTableWidgetItem;

class CCallSummaryFrame : public QFrame
{
    Q_OBJECT
public:
    static const QColor kWatched;
    static const QColor kSelected;

    explicit CCallSummaryFrame(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    QTableWidget* Table() const { return tw_callsSummary; }
    CCallSummary& Summary() { return m_summary; }
    // The menu ShowContextMenu opens at pos (table viewport coordinates); the caller owns it.
    QMenu* ContextMenuAt(const QPoint& pos);
    void FillTable();

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();

private Q_SLOTS:
    void ShowContextMenu(const QPoint& pos);
    void onMouseClick(QTableWidgetItem* item);

private:
    QHBoxLayout* horizontalLayout = nullptr;
    QTableWidget* tw_callsSummary = nullptr;
    CCallSummary m_summary;
};
