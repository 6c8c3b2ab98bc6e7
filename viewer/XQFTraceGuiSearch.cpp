// The main window's search and filter parts: the Find dialog, the filter and highlight dialog and
// the search results (in the Output dock), and their wiring to the controller and the call list.
#include "XQFTraceGui_Qt.h"

#include "TraceController.h"
#include "calllist/ViewCallsFrame.h"
#include "filter/FilterDialog.h"
#include "search/SearchDialog.h"
#include "search/SearchViewerWidget.h"

void XQFTraceGui_Qt::BuildSearchAndFilterDialogs()
{
    m_filterDialog = new CFilterDialog(this);
    m_searchDialog = new CSearchDialog(this);

    CTraceController* controller = CTraceController::Instance();
    auto* callList = static_cast<CViewCallsFrame*>(m_callList);
    connect(controller, &CTraceController::SIGTraceUpdate, m_filterDialog,
            qOverload<bool>(&CFilterDialog::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGRequestedOpenFilterDialog, this,
            &XQFTraceGui_Qt::SLTRequestOpenFilterDialog);
    connect(m_filterDialog, &QDialog::accepted, callList, &CViewCallsFrame::SLTUpdatedCurrFrame);
    connect(callList, &CViewCallsFrame::SIGRequestSearch, this, &XQFTraceGui_Qt::SLTRequestSearch);
    connect(m_searchDialog, &CSearchDialog::SIGRequestedSearch, controller, &CTraceController::SLTRequestedSearch);

    // The results stand in the Output dock's Search tab.
    connect(controller, &CTraceController::SIGTraceUpdate, m_searchResults,
            qOverload<bool>(&CSearchViewerWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGRequestOutputSearchViewer, m_searchResults,
            &CSearchViewerWidget::SLTSearchOutput);
    connect(m_searchResults, &CSearchViewerWidget::SIGRequestShowCall, controller,
            &CTraceController::SLTRequestedShowCall);
}

void XQFTraceGui_Qt::SLTRequestOpenFilterDialog()
{
    m_filterDialog->show();
}

void XQFTraceGui_Qt::SLTRequestSearch()
{
    m_searchDialog->show();
}
