#include "filter/FilterDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <map>
#include <set>

#include "FilterFunctions.h"
#include "TraceController.h"
#include "TraceStatistics.h"
#include "calllist/CallListIcons.h"

namespace {

QTreeWidgetItem* NewItem(QTreeWidgetItem* parent, const QString& text, bool bold)
{
    auto* item = new QTreeWidgetItem(parent, QStringList{text});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(CFilterDialog::kHighlight, Qt::Unchecked);
    item->setCheckState(CFilterDialog::kFilter, Qt::Unchecked);
    if (bold) {
        QFont font = item->font(CFilterDialog::kName);
        font.setBold(true);
        item->setFont(CFilterDialog::kName, font);
    }
    return item;
}

bool IsFunction(const QTreeWidgetItem* item)
{
    return item->data(CFilterDialog::kName, CFilterDialog::kIdRole).isValid();
}

// Every item below root (not root itself), depth first.
void ForEachBelow(QTreeWidgetItem* root, const std::function<void(QTreeWidgetItem*)>& f)
{
    for (int i = 0; i < root->childCount(); ++i) {
        f(root->child(i));
        ForEachBelow(root->child(i), f);
    }
}

// A group's choice holds for the whole group: its functions absent from this trace take it too, so
// it applies as well to the next trace that calls them.
void PushDown(QTreeWidgetItem* item, int column, Qt::CheckState state)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        child->setCheckState(column, state);
        PushDown(child, column, state);
    }
}

// Bottom-up: an item with children takes its state from its enabled children, and is disabled
// when it has none.
void RecomputeItem(QTreeWidgetItem* item, int column)
{
    if (item->childCount() == 0)
        return;
    int enabled = 0, checked = 0, unchecked = 0, partial = 0;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        RecomputeItem(child, column);
        if (child->isDisabled())
            continue;
        ++enabled;
        switch (child->checkState(column)) {
        case Qt::Checked: ++checked; break;
        case Qt::Unchecked: ++unchecked; break;
        case Qt::PartiallyChecked: ++partial; break;
        }
    }
    item->setDisabled(enabled == 0);
    if (enabled == 0)
        return;
    item->setCheckState(column, checked && unchecked ? Qt::PartiallyChecked
                                : partial            ? Qt::PartiallyChecked
                                : checked            ? Qt::Checked
                                                     : Qt::Unchecked);
}

} // namespace

CFilterDialog::CFilterDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    SetupUi();
    treeView->setColumnCount(3);
    treeView->setHeaderLabels({"Function Name", "H", "F"});
    const char* apis[] = {"EGL", "OpenGL ES1", "OpenGL ES2"};
    for (int i = 0; i < 3; ++i) {
        m_apis[i] = NewItem(nullptr, apis[i], true);
        treeView->addTopLevelItem(m_apis[i]);
    }
    treeView->setRootIsDecorated(true);
    for (int c = 0; c < 3; ++c)
        treeView->resizeColumnToContents(c);

    connect(treeView, &QTreeWidget::itemCollapsed, this, &CFilterDialog::SLTitemCollapsed);
    ConnectItemChanged(true);
    connect(treeView, &QTreeWidget::itemExpanded, this, &CFilterDialog::SLTSitemExpanded);
    connect(pb_accept, &QPushButton::clicked, this, &CFilterDialog::SLTacceptButton);
    connect(pb_cancel, &QPushButton::clicked, this, &CFilterDialog::SLTcloseButton);
    connect(pb_filter, &QToolButton::clicked, this, &CFilterDialog::SLCFilter);
}

void CFilterDialog::SetupUi()
{
    setObjectName("FilterDialog");
    setWindowTitle("Filter/Highlight Functions");
    resize(376, 445);
    auto* verticalLayout_2 = new QVBoxLayout(this);
    verticalLayout_2->setObjectName("verticalLayout_2");
    verticalLayout_2->setContentsMargins(2, 2, 2, 2);
    auto* verticalLayout = new QVBoxLayout;
    verticalLayout->setObjectName("verticalLayout");
    treeView = new QTreeWidget(this);
    treeView->setObjectName("treeView");
    treeView->setIndentation(15);
    treeView->setUniformRowHeights(true);
    treeView->setSortingEnabled(false);
    treeView->setAnimated(false);
    treeView->header()->setVisible(true);
    treeView->setTabKeyNavigation(false);
    verticalLayout->addWidget(treeView);
    auto* horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setContentsMargins(6, 6, 6, 6);
    pb_filter = new QToolButton(this);
    pb_filter->setObjectName("pb_filter");
    pb_filter->setIcon(CallListIcon(ECallListIcon::Filter, 16));
    pb_filter->setCheckable(true);
    pb_filter->setChecked(false);
    pb_filter->setText("...");
    pb_filter->setToolTip("Hide the functions the trace does not call");
    horizontalLayout->addWidget(pb_filter);
    horizontalLayout->addStretch(1);
    pb_accept = new QPushButton("Accept", this);
    pb_accept->setObjectName("pb_accept");
    horizontalLayout->addWidget(pb_accept);
    pb_cancel = new QPushButton("Cancel", this);
    pb_cancel->setObjectName("pb_cancel");
    horizontalLayout->addWidget(pb_cancel);
    verticalLayout->addLayout(horizontalLayout);
    verticalLayout_2->addLayout(verticalLayout);
}

void CFilterDialog::ConnectItemChanged(bool on)
{
    if (on)
        connect(treeView, &QTreeWidget::itemChanged, this, &CFilterDialog::SLTSitemChanged, Qt::UniqueConnection);
    else
        disconnect(treeView, &QTreeWidget::itemChanged, this, &CFilterDialog::SLTSitemChanged);
}

void CFilterDialog::SLTUpdatedTrace(bool clean)
{
    treeView->blockSignals(true);
    for (QTreeWidgetItem* api : m_apis) {
        qDeleteAll(api->takeChildren());
        api->setDisabled(false);
        api->setCheckState(kHighlight, Qt::Unchecked);
        api->setCheckState(kFilter, Qt::Unchecked);
    }
    if (!clean) {
        // A function is present when a call of its own id occurs; a function of one name in both
        // OpenGL ES APIs is present under each API only for that API's calls.
        const CTraceStatistics* statistics = CTraceController::Instance()->GetStatistics();
        std::map<QString, QTreeWidgetItem*> byName[3];
        for (const SFilterFunction& f : FilterFunctions()) {
            const int api = int(f.api);
            QTreeWidgetItem* parent = m_apis[api];
            if (f.api != EFilterApi::Egl) {
                QTreeWidgetItem*& category = byName[api][f.category];
                if (!category)
                    category = NewItem(m_apis[api], f.category, true);
                parent = category;
            }
            QTreeWidgetItem* item = NewItem(parent, f.name, false);
            item->setData(kName, kIdRole, uint(f.id));
            item->setDisabled(!statistics || !statistics->Occurs(f.id));
        }
        Recompute(kHighlight);
        Recompute(kFilter);
        treeView->expandAll();
        treeView->resizeColumnToContents(kName);
        treeView->collapseAll();
        setMaximumWidth(width() + 5);
    }
    ApplyHide();
    treeView->blockSignals(false);
}

void CFilterDialog::showEvent(QShowEvent* event)
{
    ConnectItemChanged(false);
    const std::set<u32>* filterSet = nullptr;
    const std::set<u32>* highlightSet = nullptr;
    CTraceController::Instance()->GetFilterSets(&filterSet, &highlightSet);
    // Absent functions too: they show (greyed) what a choice made on another trace left for them.
    for (QTreeWidgetItem* api : m_apis)
        ForEachBelow(api, [&](QTreeWidgetItem* item) {
            if (!IsFunction(item))
                return;
            const u32 id = item->data(kName, kIdRole).toUInt();
            const std::pair<int, const std::set<u32>*> columns[] = {{kHighlight, highlightSet}, {kFilter, filterSet}};
            for (const auto& [column, set] : columns) {
                const bool on = set && set->count(id);
                item->setCheckState(column, on ? Qt::Checked : Qt::Unchecked);
                if (on && !item->isDisabled())
                    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
                        up->setExpanded(true);
            }
        });
    // The API and category items follow from the function items (their changes push nothing down).
    Recompute(kHighlight);
    Recompute(kFilter);
    ConnectItemChanged(true);
    QDialog::showEvent(event);
}

void CFilterDialog::Recompute(int column)
{
    for (QTreeWidgetItem* api : m_apis)
        RecomputeItem(api, column);
}

void CFilterDialog::SLTSitemChanged(QTreeWidgetItem* item, int column)
{
    if (column != kHighlight && column != kFilter)
        return;
    ConnectItemChanged(false);
    const Qt::CheckState state = item->checkState(column);
    if (state != Qt::PartiallyChecked)
        PushDown(item, column, state);
    Recompute(kHighlight);
    Recompute(kFilter);
    ConnectItemChanged(true);
}

void CFilterDialog::SLTitemCollapsed(QTreeWidgetItem*) {}

void CFilterDialog::SLTSitemExpanded(QTreeWidgetItem*) {}

void CFilterDialog::SLCFilter()
{
    m_hide = !m_hide;
    pb_filter->setChecked(m_hide);
    ApplyHide();
}

void CFilterDialog::ApplyHide()
{
    for (QTreeWidgetItem* api : m_apis) {
        api->setHidden(m_hide && api->isDisabled());
        ForEachBelow(api, [this](QTreeWidgetItem* item) { item->setHidden(m_hide && item->isDisabled()); });
    }
}

void CFilterDialog::SLTacceptButton()
{
    std::set<u32> filters, highlights;
    for (QTreeWidgetItem* api : m_apis)
        ForEachBelow(api, [&](QTreeWidgetItem* item) {
            if (!IsFunction(item))
                return;
            const u32 id = item->data(kName, kIdRole).toUInt();
            if (item->checkState(kHighlight) == Qt::Checked)
                highlights.insert(id);
            if (item->checkState(kFilter) == Qt::Checked)
                filters.insert(id);
        });
    CTraceController::Instance()->SetFilterSets(std::move(filters), std::move(highlights));
    Q_EMIT accepted();
    hide();
}

void CFilterDialog::SLTcloseButton()
{
    Q_EMIT rejected();
    hide();
}
