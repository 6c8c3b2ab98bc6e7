// The controller's call search: the search runs on the GUI thread and serves events while it
// walks the calls, so the Find dialog's Cancel reaches it; the result list receives the numbers
// found as they come.
#include "TraceController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>

#include <algorithm>

#include "CallSearch.h"
#include "UserPrompts.h"
#include "data/TraceData.h"

namespace {
// The status bar's progress text changes at most this often; events are served more often.
const qint64 kProgressTextMs = 50;
} // namespace

void CTraceController::SLTRequestCancelSearch() { m_searchCancel = true; }

void CTraceController::SLTRequestedSearch(CTraceController::SSearchParam param)
{
    // A search asked for inside the events that a search, a load or an export serves would walk
    // the trace under them (or nest in the search): refused.
    if (m_busy) {
        Q_EMIT SIGUpdateTemporalStatusBar("Search refused: the trace is busy with another search or an export.");
        return;
    }
    // Held to the end: an open served meanwhile would free the trace being walked.
    const CBusyHold busy = HoldBusy();
    m_searchCancel = false;
    m_searchStarted = true;
    QRegularExpression expression(param.pattern, param.caseSensitive ? QRegularExpression::NoPatternOption
                                                                     : QRegularExpression::CaseInsensitiveOption);
    if (!expression.isValid()) {
        const QString text = InvalidExpressionText(expression);
        m_prompts->Information(m_mainWindow, "Search", text);
        Q_EMIT SIGUpdateTemporalStatusBar(text);
        return;
    }
    expression.optimize();

    const u32 maximum = u32(std::max(1, m_options.MaxSearchItems()));
    TSEARCHCALLS list;
    SCallSearchHooks hooks;
    hooks.cancelRequested = [this] { return m_searchCancel; };
    hooks.matched = [this, &list] { Q_EMIT SIGRequestOutputSearchViewer(&list); };
    QElapsedTimer sinceText;
    hooks.progress = [&](uint32_t visited, uint32_t total) {
        if (visited == 1 || visited == total || sinceText.elapsed() >= kProgressTextMs) {
            const float percent = float(visited) / float(total) * 100.0f;
            Q_EMIT SIGUpdateTemporalStatusBar("Searching: " + param.pattern + " " + QString::number(percent, 'g', 6) +
                                              "%");
            sinceText.restart();
        }
        QCoreApplication::processEvents();
    };
    sinceText.start();
    SCallSearchOutcome outcome;
    if (m_trace) {
        const SCallRange range = param.wholeTrace ? WholeTraceRange(*m_trace) : CurrentFrameRange(*m_trace);
        outcome = SearchCalls(*m_trace, range, expression, maximum, list, hooks);
    }

    if (outcome.end == ESearchEnd::Cancelled) {
        m_searchCancel = false;
        Q_EMIT SIGRequestOutputSearchViewer(&list);
        m_prompts->Information(m_mainWindow, "Search", "Search canceled.");
        Q_EMIT SIGUpdateTemporalStatusBar("Search canceled.");
        QCoreApplication::processEvents();
        return;
    }
    if (outcome.end == ESearchEnd::LimitReached)
        m_prompts->Information(m_mainWindow, "Search Results",
                               "Maximum number of items (" + QString::number(maximum) +
                                   ") reached. This value can be increased in the Tools->Preferences menu.");
    Q_EMIT SIGRequestOutputSearchViewer(&list);
    const QString text = SearchResultText(list.size());
    if (list.size() < maximum)
        m_prompts->Information(m_mainWindow, "Search Results", text);
    Q_EMIT SIGUpdateTemporalStatusBar(text);
    QCoreApplication::processEvents();
    m_searchCancel = false;
}
