#pragma once
// The calls of the current frame as a virtualised list: a pool of as many rows as fit in the
// height, rebound to the listed calls as the user scrolls, so a frame of any size costs one row
// widget per visible line. What is listed (filter, draw-call groups) lives in CCallListLayout;
// this class keeps the widget work: the pool, the group buttons, selection, the shown call and
// the analysis-range colours, and relays the rows' requests.
#include <QFrame>
#include <QIcon>

#include <set>
#include <vector>

#include "calllist/CallListForm.h"
#include "calllist/CallListLayout.h"

class CCallItemWidget;
class CTraceController;
class CTraceData;
class QToolButton;

class CViewCallsFrame : public QFrame
{
    Q_OBJECT
public:
    explicit CViewCallsFrame(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CViewCallsFrame() override;

    // Read access for tests and the other views.
    const CCallListLayout& Layout() const { return m_layout; }
    const std::vector<CCallItemWidget*>& Rows() const { return m_rows; }
    int PageRows() const { return m_pageRows; }
    int FirstVisible() const { return m_firstVisible; }
    int SelectedEntry() const { return m_selected; }
    int MarkedCall() const { return m_marked; }
    bool FilterOn() const { return m_filterOn; }
    const SCallListForm& Form() const { return m_form; }
    // The row bound to listed entry index, null when the entry is off the page.
    CCallItemWidget* RowOfEntry(int index) const;

Q_SIGNALS:
    void SIGRequestShowImage(int callNumber);
    void SIGViewTextRequest(int callNumber);
    void SIGViewShaderRequest(int callNumber);
    void SIGRequestSearch();
    void SIGRequestImageAnalysRange(int callNumber, bool last);
    void SIGRequestUpdateRenderState(int callNumber);

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();
    void SLTOnRequestShowText(int callNumber) { Q_EMIT SIGViewShaderRequest(callNumber); }
    void SLTRequestShowImage(int callNumber) { Q_EMIT SIGRequestShowImage(callNumber); }
    void SLTRequestedShowCall(int callNumber);
    void SLTRequestedShowCall(std::vector<int>) { SLTPopulateView(); }
    void SLTUpdateRangeImageAnalysis(int high, int low);
    void SLTPopulateView();
    void SLTScrollUpdated(int value);
    void SLTUpdateListIgnores();
    void SLTExpandContracDrawCalls();
    void SLTExpandContracDrawCall();
    void SLTEnableDisableFilter();
    void SLTShowFilterDialog();
    void SLTShowSearchDialog() { Q_EMIT SIGRequestSearch(); }
    void SLTRequestedImageAnalysRange(int callNumber, bool last)
    { Q_EMIT SIGRequestImageAnalysRange(callNumber, last); }
    void SLTRequestedSelectCall(int callNumber);
    // Lists the calls again (filters, highlights or groups changed), then populates.
    void SLTRebuildView();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Up and Down move the selection one listed call, scrolling it into view, as a click on that
    // row would select it.
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void SizeRowPool();
    void Rebuild();
    void SetScrollMaximum(int maximum);
    QToolButton* NewGroupButton();
    void SetGroupIcon(QToolButton* button, u32 callNumber);
    void DestroyPool();

    SCallListForm m_form;
    CTraceController* m_controller;
    QIcon m_expandLarge, m_collapseLarge, m_expandSmall, m_collapseSmall;
    CTraceData* m_trace = nullptr;
    CCallListLayout m_layout;
    std::vector<CCallItemWidget*> m_rows;
    std::vector<QToolButton*> m_groupButtons;  // button 0, then one per row
    int m_firstVisible = 1;
    int m_pageRows = 0;  // rows that fit now; the pool keeps any surplus hidden
    int m_scrollMaximum = 1;
    int m_rowHeight = 0;
    int m_rowWidth = 0;
    bool m_repopulate = false;
    bool m_allExpanded = true;
    bool m_filterOn = false;
    int m_marked = -1;
    u32 m_rangeFirst = 0;
    u32 m_rangeLast = 0;
    int m_selected = -1;
    u32 m_selectedCall = 0;
    const std::set<u32>* m_filterSet = nullptr;
    const std::set<u32>* m_highlightSet = nullptr;
};
