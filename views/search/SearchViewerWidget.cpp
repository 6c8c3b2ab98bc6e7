#include "search/SearchViewerWidget.h"

#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"

CSearchViewerWidget::CSearchViewerWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName("horizontalLayout");
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(this);
    m_list->setObjectName("listWidget");
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemClicked, this, &CSearchViewerWidget::SLTItemClick);
}

QString CSearchViewerWidget::Line(STraceCall& entry, u32 n)
{
    // Described afresh (hidden arguments included), so that nothing is kept per listed call.
    CGenCallInfo info;
    entry.call->ListArguments(&info, 1);
    QString arguments;
    if (const std::vector<SApiTypeBase*>* values = info.GetArguments()) {
        arguments = " (";
        for (const SApiTypeBase* value : *values) {
            CXQFTString text;
            value->ToString(text, nullptr);
            arguments += QString::fromUtf8(text.CStr(), qsizetype(text.Length())) + ", ";
        }
        arguments += ")";
    }
    QString result;
    if (const SApiTypeBase* value = info.GetReturnValue()) {
        CXQFTString text;
        value->ToString(text, nullptr);
        result = QString::fromUtf8(text.CStr(), qsizetype(text.Length()));
    }
    return "F(" + QString::number(entry.frame) + ")" + " " + "C(" + QString::number(n) + ")" + "   " +
           QString::fromUtf8(info.GetFunctionName() ? info.GetFunctionName() : "") + " " + arguments + " " + result;
}

void CSearchViewerWidget::SLTSearchOutput(CTraceController::TSEARCHCALLS* calls)
{
    Q_EMIT onRequestFocus();
    CTraceData* trace = CTraceController::Instance()->GetTrace();
    if (!calls || !trace) {
        m_list->clear();
        m_shown.clear();
        return;
    }
    // The controller hands over the whole list at every match: a list that extends the one shown
    // only appends its new lines (the same lines a rebuild would make), anything else rebuilds.
    const bool extends = calls->size() >= m_shown.size() && std::equal(m_shown.begin(), m_shown.end(), calls->begin());
    if (!extends) {
        m_list->clear();
        m_shown.clear();
    }
    Append(*trace, *calls, m_shown.size());
}

void CSearchViewerWidget::Append(CTraceData& trace, const CTraceController::TSEARCHCALLS& calls, size_t from)
{
    for (size_t i = from; i < calls.size(); ++i) {
        const u32 n = calls[i];
        m_shown.push_back(n);
        STraceCall* entry = trace.GetCall(n);
        if (!entry || !entry->call)
            continue;   // a number that names no call
        auto* item = new QListWidgetItem(Line(*entry, n));
        item->setData(kCallRole, n);
        m_list->addItem(item);
    }
}

void CSearchViewerWidget::SLTUpdatedTrace(bool clean)
{
    // The lines stand for calls of the trace being dropped.
    if (clean) {
        m_list->clear();
        m_shown.clear();
    }
}

void CSearchViewerWidget::SLTItemClick(QListWidgetItem* item)
{
    if (!item)
        return;
    bool ok = false;
    const int n = item->data(kCallRole).toInt(&ok);
    if (ok)
        Q_EMIT SIGRequestShowCall(n);
}
