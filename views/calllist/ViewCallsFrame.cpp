#include "calllist/ViewCallsFrame.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

#include "TraceController.h"
#include "UserPrompts.h"
#include "calllist/CallItemWidget.h"
#include "calllist/CallListColours.h"
#include "calllist/CallListIcons.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

namespace {
const char* const kCallLocation = "CallLocation";
}

CViewCallsFrame::CViewCallsFrame(QWidget* parent, Qt::WindowFlags flags)
    : QFrame(parent, flags), m_controller(CTraceController::Instance())
{
    m_form.Setup(this);
    m_expandLarge = CallListIcon(ECallListIcon::Expand, 24);
    m_collapseLarge = CallListIcon(ECallListIcon::Collapse, 24);
    m_expandSmall = CallListIcon(ECallListIcon::Expand, 12);
    m_collapseSmall = CallListIcon(ECallListIcon::Collapse, 12);
    // The minimise icon marks expanded groups.
    m_form.tbExpandDrawCall->setIcon(m_collapseLarge);
    m_form.verticalScrollBar->setEnabled(false);
    setEnabled(false);
    // A click on a row gives the list the focus, so that the arrow keys move on from it (the scroll
    // area around the rows would take the click's focus and scroll by the keys itself).
    setFocusPolicy(Qt::StrongFocus);
    m_form.scrollArea->setFocusPolicy(Qt::NoFocus);
    connect(m_form.tbExpandDrawCall, &QToolButton::clicked, this, &CViewCallsFrame::SLTExpandContracDrawCalls);
    connect(m_form.tbFilterOn, &QToolButton::clicked, this, &CViewCallsFrame::SLTEnableDisableFilter);
    connect(m_form.tbFilterDialog, &QToolButton::clicked, this, &CViewCallsFrame::SLTShowFilterDialog);
    connect(m_form.tbSearch, &QToolButton::clicked, this, &CViewCallsFrame::SLTShowSearchDialog);
    connect(m_form.verticalScrollBar, &QScrollBar::valueChanged, this, &CViewCallsFrame::SLTScrollUpdated);
    m_form.viewCallsSpace->installEventFilter(this);
    // The scroll area would take the wheel for its own (unused) scroll bar.
    m_form.scrollArea->viewport()->installEventFilter(this);
}

CViewCallsFrame::~CViewCallsFrame() = default;

bool CViewCallsFrame::eventFilter(QObject* watched, QEvent* e)
{
    // The row space settles its size after the frame's own resize: size the pool from it.
    if (watched == m_form.viewCallsSpace && e->type() == QEvent::Resize && m_trace) {
        SizeRowPool();
        m_repopulate = true;
        update();
    }
    if (watched == m_form.scrollArea->viewport() && e->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    }
    return QFrame::eventFilter(watched, e);
}

CCallItemWidget* CViewCallsFrame::RowOfEntry(int index) const
{
    const int k = index - (m_firstVisible - 1);
    if (index < 0 || k < 0 || k >= std::min(int(m_rows.size()), m_pageRows) || m_rows[size_t(k)]->isHidden())
        return nullptr;
    return m_rows[size_t(k)];
}

void CViewCallsFrame::SetScrollMaximum(int maximum)
{
    m_scrollMaximum = std::max(1, maximum);
    m_form.verticalScrollBar->setRange(1, m_scrollMaximum);
}

QToolButton* CViewCallsFrame::NewGroupButton()
{
    auto* button = new QToolButton(m_form.symbolsFrame);
    button->setIcon(m_collapseSmall);
    button->setIconSize(QSize(12, 12));
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    button->setFixedSize(m_rowHeight, m_rowHeight);
    button->hide();
    connect(button, &QToolButton::clicked, this, &CViewCallsFrame::SLTExpandContracDrawCall);
    m_groupButtons.push_back(button);
    return button;
}

void CViewCallsFrame::SizeRowPool()
{
    m_rowWidth = m_form.viewCallsSpace->width();
    const int height = m_form.viewCallLayout->geometry().height();
    if (m_rowHeight == 0) {
        CCallItemWidget probe;
        m_rowHeight = probe.RowHeight();
    }
    // At least one row, so a window lower than a row still shows (a clipped) one.
    const int needed = std::max(1, (height - m_rowHeight / 2 - 1) / m_rowHeight);
    m_pageRows = needed;
    if (m_groupButtons.empty())
        NewGroupButton();
    while (int(m_rows.size()) < needed) {
        auto* row = new CCallItemWidget(m_form.viewCallsSpace);
        row->hide();
        connect(row, &CCallItemWidget::SIGUpdateListIgnores, this, &CViewCallsFrame::SLTUpdateListIgnores);
        connect(row, &CCallItemWidget::SIGRequestShowText, this, &CViewCallsFrame::SLTOnRequestShowText);
        connect(row, &CCallItemWidget::SIGRequestShowImage, this, &CViewCallsFrame::SLTRequestShowImage);
        connect(row, &CCallItemWidget::SIGRequestImageAnalysRange, this,
                &CViewCallsFrame::SLTRequestedImageAnalysRange);
        connect(row, &CCallItemWidget::SIGRequestTemporalSelection, this, &CViewCallsFrame::SLTRequestedSelectCall);
        // A changed filter set must hide or show calls, not only recolour them: list again.
        connect(row, &CCallItemWidget::SIGRequestUpdateItemList, this, &CViewCallsFrame::SLTRebuildView);
        m_rows.push_back(row);
        NewGroupButton();
    }
    m_form.symbolsFrame->setMinimumWidth(m_rowHeight);
    m_form.symbolsFrame->setMaximumWidth(m_rowHeight);
    SetScrollMaximum(int(m_layout.Count()) + 1 - m_pageRows);
}

void CViewCallsFrame::DestroyPool()
{
    for (CCallItemWidget* row : m_rows)
        delete row;
    for (QToolButton* button : m_groupButtons)
        delete button;
    m_rows.clear();
    m_groupButtons.clear();
}

void CViewCallsFrame::SLTUpdatedTrace(bool clean)
{
    // Nothing built from the previous trace survives: its call entries are gone.
    m_layout.Clear();
    m_selected = -1;
    m_selectedCall = 0;
    m_marked = -1;
    m_rangeFirst = m_rangeLast = 0;
    m_firstVisible = 1;
    m_repopulate = false;
    if (clean) {
        DestroyPool();
        m_pageRows = 0;
        m_trace = nullptr;
        m_form.verticalScrollBar->setEnabled(false);
        setEnabled(false);
        return;
    }
    m_form.tbExpandDrawCall->setIcon(m_collapseLarge);
    m_allExpanded = true;
    setEnabled(true);
    // Rows still bound to calls of an earlier trace must not be shown or clicked.
    for (CCallItemWidget* row : m_rows)
        row->hide();
    m_trace = m_controller->GetTrace();
    if (!m_trace)
        return;
    SetScrollMaximum(1);
    m_form.verticalScrollBar->setValue(1);
    m_form.verticalScrollBar->setEnabled(true);
}

void CViewCallsFrame::SLTUpdatedCurrFrame()
{
    m_selected = -1;
    m_selectedCall = 0;
    if (!m_trace)
        return;
    m_layout.ScanFrame(*m_trace);
    SizeRowPool();
    Rebuild();
    SLTPopulateView();
}

void CViewCallsFrame::Rebuild()
{
    m_controller->GetFilterSets(&m_filterSet, &m_highlightSet);
    m_layout.Rebuild(*m_trace, m_filterOn, m_filterSet);
    // The selection follows its call, not its old position.
    if (m_selectedCall) {
        const auto index = m_layout.IndexOfCall(m_selectedCall);
        m_selected = index ? int(*index) : -1;
        if (!index)
            m_selectedCall = 0;
    }
    SetScrollMaximum(int(m_layout.Count()) + 1 - m_pageRows);
}

void CViewCallsFrame::SLTRebuildView()
{
    if (!m_trace)
        return;
    Rebuild();
    SLTPopulateView();
}

void CViewCallsFrame::SetGroupIcon(QToolButton* button, u32 callNumber)
{
    if (const auto expanded = m_layout.IsExpanded(callNumber))
        button->setIcon(*expanded ? m_collapseSmall : m_expandSmall);
}

void CViewCallsFrame::SLTPopulateView()
{
    if (!m_trace)
        return;
    if (!m_filterSet)
        m_controller->GetFilterSets(&m_filterSet, &m_highlightSet);
    // Buttons are hidden at the end unless placed again: hiding and showing every button on
    // every scroll step would post events for each of them.
    std::vector<char> placed(m_groupButtons.size(), 0);
    m_rowWidth = m_form.viewCallsSpace->width();
    const u32 count = m_layout.Count();
    const int first = m_firstVisible - 1;
    for (size_t k = 0; k < m_rows.size(); ++k) {
        CCallItemWidget* row = m_rows[k];
        const int64_t e = int64_t(first) + int64_t(k);
        if (e < 0 || e >= int64_t(count) || int(k) >= m_pageRows) {
            row->hide();
            continue;
        }
        const SVisibleEntry& entry = m_layout.At(u32(e));
        const bool draw = IsDrawCall(entry.entry);
        u32 kind = kRowOrdinary;
        if (draw)
            kind = entry.callNumber == m_rangeFirst ? kRowRangeStart
                   : entry.callNumber == m_rangeLast ? kRowRangeEnd : kRowDraw;
        const bool inRange = draw && entry.callNumber >= m_rangeFirst && entry.callNumber <= m_rangeLast;
        const u32 function = entry.entry->call ? entry.entry->call->GetCallId() : 0;
        const u8 filtered = m_filterSet && m_filterSet->count(function) ? 1 : 0;
        const u8 highlighted = m_highlightSet && m_highlightSet->count(function) ? 1 : 0;
        row->SetCall(entry.entry, entry.callNumber, k % 2 == 0 ? 1 : 0, kind, filtered, highlighted);
        if (inRange)
            row->SetInAnalysisRange(true);
        const QRect geometry(0, int(k) * m_rowHeight, m_rowWidth, m_rowHeight);
        if (row->geometry() != geometry)
            row->setGeometry(geometry);
        if (row->isHidden())
            row->show();
        if (int(entry.callNumber) == m_marked)
            row->SetBackground(calllistcolours::kShownCall);
        // A group's button sits on the line between its key and the key's first member.
        if (draw) {
            QToolButton* button = m_groupButtons[k + 1];
            button->setProperty(kCallLocation, int(e));
            button->setGeometry(0, int(k) * m_rowHeight + m_rowHeight / 2, m_rowHeight, m_rowHeight);
            SetGroupIcon(button, entry.callNumber);
            button->show();
            placed[k + 1] = 1;
        }
    }
    // Button 0 toggles the group of the frame's first listed call, wherever the page is; a draw
    // row on the first line puts its own button (created later, so on top) over it.
    if (m_layout.HasGroups() && count > 0) {
        QToolButton* button = m_groupButtons[0];
        button->setProperty(kCallLocation, 0);
        button->setGeometry(0, m_rowHeight / 2, m_rowHeight, m_rowHeight);
        SetGroupIcon(button, m_layout.At(0).callNumber);
        button->show();
        placed[0] = 1;
    }
    for (size_t i = 0; i < m_groupButtons.size(); ++i)
        if (!placed[i])
            m_groupButtons[i]->hide();
    if (m_selected >= 0) {
        if (CCallItemWidget* row = RowOfEntry(m_selected)) {
            // The shown call keeps its own colour while it is also the selected one.
            if (int(row->CallNumber()) != m_marked)
                row->SetSelected(true);
        } else {
            m_selected = -1;
            m_selectedCall = 0;
        }
    }
    m_repopulate = false;
}

void CViewCallsFrame::SLTScrollUpdated(int value)
{
    m_marked = -1;
    m_firstVisible = value;
    m_repopulate = true;
    update();
}

void CViewCallsFrame::SLTRequestedSelectCall(int callNumber)
{
    if (CCallItemWidget* row = RowOfEntry(m_selected))
        row->SetSelected(false);
    const auto index = callNumber > 0 ? m_layout.IndexOfCall(u32(callNumber)) : std::nullopt;
    if (!index) {
        m_selected = -1;
        m_selectedCall = 0;
        return;
    }
    m_selected = int(*index);
    m_selectedCall = u32(callNumber);
    if (CCallItemWidget* row = RowOfEntry(m_selected))
        row->SetSelected(true);
    Q_EMIT SIGRequestUpdateRenderState(callNumber);
}

void CViewCallsFrame::SLTRequestedShowCall(int callNumber)
{
    if (!m_trace || callNumber <= 0)
        return;
    STraceCall* entry = m_trace->GetCall(u32(callNumber));
    if (!entry || !entry->call)
        return;
    m_controller->GetFilterSets(&m_filterSet, &m_highlightSet);
    if (m_filterOn && m_filterSet->count(entry->call->GetCallId()) && !m_layout.IsKey(u32(callNumber))) {
        m_controller->Prompts().Information(nullptr, QStringLiteral("Search Operation"),
                                            QStringLiteral("The call is currently filtered. Please disable filters."));
        return;
    }
    if (m_layout.ExpandGroupOf(u32(callNumber)))
        Rebuild();
    const auto index = m_layout.IndexOfCall(u32(callNumber));
    const int p = index ? int(*index) : int(m_layout.Count());
    m_form.verticalScrollBar->setValue(p <= m_scrollMaximum + m_pageRows ? p : m_scrollMaximum);
    // The scroll handler clears the mark: set it after the scroll.
    m_firstVisible = m_form.verticalScrollBar->value();
    m_marked = callNumber;
    // The call shown is made current as well: selected, with the render state and the data viewer
    // following it as they follow a click.
    m_selected = index ? int(*index) : -1;
    m_selectedCall = index ? u32(callNumber) : 0;
    SLTPopulateView();
    if (!index)
        return;
    Q_EMIT SIGRequestUpdateRenderState(callNumber);
    if (CCallItemWidget* row = RowOfEntry(m_selected))
        row->RequestViews();
}

void CViewCallsFrame::SLTUpdateRangeImageAnalysis(int high, int low)
{
    if (!m_layout.FrameDrawCalls().empty()) {
        m_rangeLast = m_layout.DrawCallByOrdinal(high);
        m_rangeFirst = m_layout.DrawCallByOrdinal(low);
        if (m_rangeLast == 0 || m_rangeFirst == 0)
            m_rangeFirst = m_rangeLast = 1;
    }
    m_repopulate = true;
    update();
}

void CViewCallsFrame::SLTUpdateListIgnores()
{
    SLTPopulateView();
    m_controller->SLTRequestRedrawImageAnalysis();
}

void CViewCallsFrame::SLTExpandContracDrawCalls()
{
    m_allExpanded = !m_allExpanded;
    m_form.tbExpandDrawCall->setIcon(m_allExpanded ? m_collapseLarge : m_expandLarge);
    m_layout.SetAllGroups(m_allExpanded);
    if (!m_trace)
        return;
    Rebuild();
    SLTPopulateView();
}

void CViewCallsFrame::SLTExpandContracDrawCall()
{
    QObject* button = sender();
    if (!button || !m_trace)
        return;
    bool ok = false;
    const int index = button->property(kCallLocation).toInt(&ok);
    if (!ok || index < 0 || u32(index) >= m_layout.Count())
        return;
    if (!m_layout.ToggleGroup(m_layout.At(u32(index)).callNumber))
        return;
    Rebuild();
    SLTPopulateView();
}

void CViewCallsFrame::SLTEnableDisableFilter()
{
    m_filterOn = !m_filterOn;
    m_form.tbFilterOn->setChecked(m_filterOn);
    if (!m_trace)
        return;
    Rebuild();
    SLTPopulateView();
}

void CViewCallsFrame::SLTShowFilterDialog() { m_controller->RequestOpenFilterDialog(); }

void CViewCallsFrame::keyPressEvent(QKeyEvent* e)
{
    const int step = e->key() == Qt::Key_Up ? -1 : e->key() == Qt::Key_Down ? 1 : 0;
    const int count = int(m_layout.Count());
    if (step == 0 || !m_trace || count == 0 || e->modifiers() != Qt::NoModifier) {
        QFrame::keyPressEvent(e);
        return;
    }
    // Without a selection the first call on the page is chosen.
    const int target = m_selected < 0 ? m_firstVisible - 1 : std::clamp(m_selected + step, 0, count - 1);
    if (target == m_selected)
        return;
    const int first = m_firstVisible - 1;
    if (target < first || target >= first + m_pageRows) {
        m_form.verticalScrollBar->setValue(target < first ? target + 1 : target - m_pageRows + 2);
        SLTPopulateView();
    }
    const u32 callNumber = m_layout.At(u32(target)).callNumber;
    SLTRequestedSelectCall(int(callNumber));
    if (CCallItemWidget* row = RowOfEntry(target))
        row->RequestViews();
}

void CViewCallsFrame::wheelEvent(QWheelEvent* e) { QCoreApplication::sendEvent(m_form.verticalScrollBar, e); }

void CViewCallsFrame::paintEvent(QPaintEvent* e)
{
    if (m_repopulate)
        SLTPopulateView();
    QFrame::paintEvent(e);
}

void CViewCallsFrame::resizeEvent(QResizeEvent* e)
{
    if (m_trace) {
        SizeRowPool();
        m_repopulate = true;
    }
    QFrame::resizeEvent(e);
}
