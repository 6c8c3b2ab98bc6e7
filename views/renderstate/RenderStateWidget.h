#pragma once
// The tracked GL state at the call selected in the call list (or at the start of the current
// frame) as a one-column tree of state groups, one page per API, each shown only while the trace
// holds a state of that API. A row whose value differs from what the page showed before is red,
// and so is its group's header. What a page lists comes from the widget-free page builders
// (core/); this class keeps the widget work: the shared group items, their expansion, the colours.
#include <QFrame>

#include "StatePage.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

class QTreeWidget;
class QTreeWidgetItem;

class CRenderStateWidget : public QFrame
{
    Q_OBJECT
public:
    explicit CRenderStateWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CRenderStateWidget() override;

    void SetupUi();
    // The state at the start of the controller's current frame.
    void UpdateRenderStateFrame();
    // Makes frame 1's starting states the ones the next page is compared with.
    void ResetPreviousStates();
    void FillEs2State();
    void FillEs1State();
    // Drops both pages and the states they showed (the trace is being dropped).
    void Clear();

    QTreeWidget* Es1Tree() const { return m_es1Tree; }
    QTreeWidget* Es2Tree() const { return m_es2Tree; }
    QTreeWidgetItem* GroupItem(EStateGroup group) const { return m_groups[int(group)]; }
    bool Collapsed(EStateGroup group) const { return m_collapsed[int(group)]; }

public Q_SLOTS:
    void SLTUpdateRenderStateCall(int call);

private:
    void ShowStates(bool hasEs1, bool hasEs2);
    void RefillPage(QTreeWidget* tree, const SStatePage& page);

    // Shared by both pages: a refill moves the groups it shows into its own tree.
    QTreeWidgetItem* m_groups[kStateGroupCount] = {};
    bool m_collapsed[kStateGroupCount] = {};
    QTreeWidget* m_es1Tree = nullptr;
    QTreeWidget* m_es2Tree = nullptr;
    SEs1State m_es1Now, m_es1Before;
    SEs2State m_es2Now, m_es2Before;
};
