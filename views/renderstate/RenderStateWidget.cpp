#include "renderstate/RenderStateWidget.h"

#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

#include "Es1StateRows.h"
#include "Es2StateRows.h"
#include "StateAtCall.h"
#include "TraceController.h"
#include "common/ViewWidgets.h"
#include "data/TraceData.h"

namespace {
QTreeWidget* NewTree()
{
    QTreeWidget* tree = NewListTree();
    tree->hide();  // until a state of its API is shown
    return tree;
}

QTreeWidgetItem* NewGroupItem(EStateGroup group)
{
    return new QTreeWidgetItem(QStringList(QString::fromLatin1(StateGroupLabel(group))));
}

const QColor& Red()
{
    static const QColor red("red");
    return red;
}

// The rows of a line, as first children in reverse: they end up in the line's order.
void AddChildren(QTreeWidgetItem* parent, const std::vector<SStateLine>& lines, const QFont& boldFont)
{
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(it->text)));
        if (it->changed)
            item->setForeground(0, Red());
        if (it->bold)
            item->setFont(0, boldFont);
        parent->insertChild(0, item);
        AddChildren(item, it->children, boldFont);
    }
}

} // namespace

CRenderStateWidget::CRenderStateWidget(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    SetupUi();
}

CRenderStateWidget::~CRenderStateWidget()
{
    // Items in a tree go with their tree; the others are the widget's.
    for (QTreeWidgetItem* item : m_groups)
        if (item && !item->treeWidget())
            delete item;
}

void CRenderStateWidget::SetupUi()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    m_es1Tree = NewTree();
    m_es2Tree = NewTree();
    layout->addWidget(m_es1Tree);
    layout->addWidget(m_es2Tree);
    for (int g = 0; g < kStateGroupCount; ++g) {
        m_groups[g] = NewGroupItem(EStateGroup(g));
        m_collapsed[g] = true;
    }
}

void CRenderStateWidget::SLTUpdateRenderStateCall(int call)
{
    CTraceData* trace = CTraceController::Instance()->GetTrace();
    if (!trace)
        return;
    const bool hasEs1 = Es1StateShownAt(*trace, call, m_es1Now);
    const bool hasEs2 = Es2StateShownAt(*trace, call, m_es2Now);
    ShowStates(hasEs1, hasEs2);
}

void CRenderStateWidget::UpdateRenderStateFrame()
{
    CTraceData* trace = CTraceController::Instance()->GetTrace();
    if (!trace)
        return;
    const uint32_t frame = uint32_t(trace->GetCurrentFrameNumber());
    const bool hasEs1 = trace->GetFrameEs1State(frame, &m_es1Now);
    const bool hasEs2 = trace->GetFrameEs2State(frame, &m_es2Now);
    ShowStates(hasEs1, hasEs2);
}

void CRenderStateWidget::ShowStates(bool hasEs1, bool hasEs2)
{
    // The ES 1.1 page first: the groups both pages show end up in the ES 2.0 tree.
    if (hasEs1) {
        FillEs1State();
        m_es1Before = m_es1Now;
    }
    m_es1Tree->setVisible(hasEs1 && m_es1Tree->topLevelItemCount() > 0);
    if (hasEs2) {
        FillEs2State();
        m_es2Before = m_es2Now;
        m_es2Tree->show();
    } else {
        m_es2Tree->hide();
    }
}

void CRenderStateWidget::ResetPreviousStates()
{
    CTraceData* trace = CTraceController::Instance()->GetTrace();
    if (!trace)
        return;
    // A record that gets nothing keeps what it held.
    trace->GetFrameEs1State(1, &m_es1Before);
    trace->GetFrameEs2State(1, &m_es2Before);
}

void CRenderStateWidget::FillEs2State()
{
    RefillPage(m_es2Tree, BuildEs2Page(m_es2Now, m_es2Before));
}

void CRenderStateWidget::FillEs1State()
{
    RefillPage(m_es1Tree, BuildEs1Page(m_es1Now, m_es1Before));
    // Fog and Misc open only together with Hints (the light sub-items are made anew, collapsed).
    const bool hints = !m_collapsed[int(EStateGroup::Hints)];
    for (EStateGroup g : {EStateGroup::Fog, EStateGroup::Misc})
        m_groups[int(g)]->setExpanded(hints && !m_collapsed[int(g)]);
}

void CRenderStateWidget::RefillPage(QTreeWidget* tree, const SStatePage& page)
{
    tree->setUpdatesEnabled(false);
    for (const SStateGroup& g : page.groups) {
        QTreeWidgetItem*& item = m_groups[int(g.group)];
        m_collapsed[int(g.group)] = !(item && item->treeWidget() && item->isExpanded());
        delete item;  // leaves whichever tree held it, with its rows
        item = NewGroupItem(g.group);
    }
    QFont groupFont = m_groups[int(EStateGroup::Bind)]->font(0);
    groupFont.setWeight(QFont::Bold);
    for (const SStateGroup& g : page.groups) {
        QTreeWidgetItem* item = m_groups[int(g.group)];
        item->setFont(0, groupFont);
        tree->addTopLevelItem(item);
        if (g.changed)
            item->setForeground(0, Red());
        AddChildren(item, g.rows, groupFont);
        item->setExpanded(!m_collapsed[int(g.group)]);
    }
    tree->setUpdatesEnabled(true);
}

void CRenderStateWidget::Clear()
{
    for (int g = 0; g < kStateGroupCount; ++g) {
        if (m_groups[g] && m_groups[g]->treeWidget()) {
            // Keeps the group's expansion for the next trace, as a refill would.
            m_collapsed[g] = !m_groups[g]->isExpanded();
            delete m_groups[g];
            m_groups[g] = NewGroupItem(EStateGroup(g));
        }
    }
    m_es1Tree->clear();
    m_es2Tree->clear();
    m_es1Tree->hide();
    m_es2Tree->hide();
    // The states may point at texts of the trace being dropped.
    m_es1Now = m_es1Before = SEs1State();
    m_es2Now = m_es2Before = SEs2State();
}
