#include "statistics/CallSummaryFrame.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>
#include <memory>

#include "TraceController.h"
#include "common/ViewWidgets.h"

const QColor CCallSummaryFrame::kWatched(255, 255, 128);
const QColor CCallSummaryFrame::kSelected(201, 224, 252);

CCallSummaryFrame::CCallSummaryFrame(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    setObjectName("CallsSummary");
    setWindowTitle("Frame");
    resize(203, 74);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    horizontalLayout = new QHBoxLayout(this);
    horizontalLayout->setSpacing(1);
    horizontalLayout->setContentsMargins(1, 1, 1, 0);
    tw_callsSummary = NewSummaryTable(this, "tw_callsSummary");
    tw_callsSummary->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);  // sized by FillTable
    horizontalLayout->addWidget(tw_callsSummary);
    tw_callsSummary->hide();
    tw_callsSummary->setRowCount(8);
    tw_callsSummary->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tw_callsSummary, &QWidget::customContextMenuRequested, this, &CCallSummaryFrame::ShowContextMenu);
    connect(tw_callsSummary, &QTableWidget::itemClicked, this, &CCallSummaryFrame::onMouseClick);
}

void CCallSummaryFrame::SLTUpdatedTrace(bool clean)
{
    // Marks survive frame changes and go only with the trace.
    if (clean) {
        m_summary.Clear();
        tw_callsSummary->hide();
    }
}

void CCallSummaryFrame::SLTUpdatedCurrFrame()
{
    tw_callsSummary->show();
    const STraceFrameStats* stats = CTraceController::Instance()->GetFrameStats(0);
    m_summary.SetCounts(stats ? stats->functionCounts : TFunctionCounts());
    FillTable();
}

void CCallSummaryFrame::FillTable()
{
    const std::vector<SCallSummaryRow> rows = m_summary.Rows();
    const QColor plain = palette().color(QPalette::Window);
    const int h = fontMetrics().height();
    // A frame of many functions fills in one go: the items of the rows already there are reused,
    // rows take their height from the header's default, and the count column is sized to its
    // widest count here, once (sizing it to its contents measured every row at every paint).
    QHeaderView* header = tw_callsSummary->horizontalHeader();
    const QFontMetrics metrics(tw_callsSummary->font());
    int countWidth = 0;
    tw_callsSummary->verticalHeader()->setMinimumSectionSize(1);
    tw_callsSummary->verticalHeader()->setDefaultSectionSize(h / 2 + h);
    tw_callsSummary->setUpdatesEnabled(false);
    tw_callsSummary->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const SCallSummaryRow& row = rows[size_t(r)];
        const QColor& colour = row.mark == ECallMark::Watched    ? kWatched
                               : row.mark == ECallMark::Selected ? kSelected
                                                                 : plain;
        const QString texts[2] = {QString::fromStdString(row.name), QString::number(row.count)};
        countWidth = std::max(countWidth, metrics.horizontalAdvance(texts[1]));
        for (int column = 0; column < 2; ++column) {
            QTableWidgetItem* item = tw_callsSummary->item(r, column);
            if (!item) {
                item = new QTableWidgetItem();
                item->setFlags(Qt::ItemIsEnabled);
                tw_callsSummary->setItem(r, column, item);
            }
            item->setText(texts[column]);
            item->setBackground(colour);
        }
        if (tw_callsSummary->rowHeight(r) != h / 2 + h)
            tw_callsSummary->setRowHeight(r, h / 2 + h);
    }
    header->resizeSection(1, countWidth + 2 * tw_callsSummary->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8);
    tw_callsSummary->setUpdatesEnabled(true);
}

void CCallSummaryFrame::onMouseClick(QTableWidgetItem* item)
{
    if (!item)
        return;
    const QTableWidgetItem* name = tw_callsSummary->item(item->row(), 0);
    if (!name)
        return;
    m_summary.Click(name->text().toStdString());
    FillTable();
}

QMenu* CCallSummaryFrame::ContextMenuAt(const QPoint& pos)
{
    // Below the rows there is no name: only the entries that need none are offered.
    const QTableWidgetItem* under = tw_callsSummary->itemAt(pos);
    const QTableWidgetItem* nameItem = under ? tw_callsSummary->item(under->row(), 0) : nullptr;
    const std::string name = nameItem ? nameItem->text().toStdString() : std::string();
    const std::string* target = nameItem ? &name : nullptr;
    auto* menu = new QMenu(this);
    for (const std::string& entry : m_summary.MenuEntries(target)) {
        QAction* action = menu->addAction(QString::fromStdString(entry));
        connect(action, &QAction::triggered, this, [this, entry, name, hasName = target != nullptr] {
            if (m_summary.RunMenuEntry(entry, hasName ? &name : nullptr))
                FillTable();
        });
    }
    return menu;
}

void CCallSummaryFrame::ShowContextMenu(const QPoint& pos)
{
    std::unique_ptr<QMenu> menu(ContextMenuAt(pos));
    if (!menu->isEmpty())
        menu->exec(tw_callsSummary->viewport()->mapToGlobal(pos));
}
