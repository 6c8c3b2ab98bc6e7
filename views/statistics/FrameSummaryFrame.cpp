#include "statistics/FrameSummaryFrame.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>

#include "CallSummary.h"
#include "TraceController.h"
#include "common/ViewWidgets.h"

namespace {
const QColor kValueBackground(230, 230, 230);
}

CFrameSummaryFrame::CFrameSummaryFrame(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    setObjectName("FrameSummary");
    setWindowTitle("Frame Summary");
    resize(757, 652);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    horizontalLayout = new QHBoxLayout(this);
    horizontalLayout->setSpacing(1);
    horizontalLayout->setContentsMargins(1, 1, 1, 1);
    tw_frameSummary = NewSummaryTable(this, "tw_frameSummary");
    tw_frameSummary->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    horizontalLayout->addWidget(tw_frameSummary);
    setEnabled(false);
}

void CFrameSummaryFrame::SLTUpdatedTrace(bool clean)
{
    if (clean) {
        setEnabled(false);
        tw_frameSummary->clear();
        tw_frameSummary->setRowCount(0);
    } else {
        setEnabled(true);
    }
}

void CFrameSummaryFrame::SLTUpdatedCurrFrame()
{
    const STraceFrameStats* stats = CTraceController::Instance()->GetFrameStats(0);
    if (!stats)
        return;
    const auto rows = FrameSummaryRows(stats->frame);
    tw_frameSummary->setColumnCount(2);
    tw_frameSummary->setRowCount(int(rows.size()));
    tw_frameSummary->horizontalHeader()->hide();
    tw_frameSummary->verticalHeader()->hide();
    const int h = fontMetrics().height();
    for (int r = 0; r < int(rows.size()); ++r) {
        auto* label = new QTableWidgetItem(QString::fromLatin1(rows[size_t(r)].label));
        auto* value = new QTableWidgetItem(QString::number(int32_t(rows[size_t(r)].value)));
        value->setBackground(kValueBackground);
        for (QTableWidgetItem* item : {label, value})
            item->setFlags(Qt::ItemIsEnabled);
        tw_frameSummary->setItem(r, 0, label);
        tw_frameSummary->setItem(r, 1, value);
        tw_frameSummary->setRowHeight(r, h / 2 + h);
    }
}
