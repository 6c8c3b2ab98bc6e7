#pragma once
// The call search: walks a range of calls, describes each into a fresh description (not verbose;
// nothing is kept per call) and matches a regular expression against its texts: the API tag, the
// function name, each visible argument and the return value, each text on its own. The viewer's
// controller and xqft-dump share it; it needs Qt Core (for the expression) and no widgets.
#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class CTraceData;

// Call numbers first to last (1-based, both included); empty when first > last.
struct SCallRange
{
    uint32_t first = 1;
    uint32_t last = 0;
    uint32_t Count() const { return last >= first ? last - first + 1 : 0; }
};

// Every call of the trace.
SCallRange WholeTraceRange(const CTraceData& trace);
// The calls of the trace's current frame, counted by the frame's call count: a frame without
// calls (still open, its end unknown) gives an empty range.
SCallRange CurrentFrameRange(CTraceData& trace);

enum class ESearchEnd { Completed, LimitReached, Cancelled };

struct SCallSearchHooks
{
    // Asked before every call; true ends the search there.
    std::function<bool()> cancelRequested;
    // After each match; the found list then holds every call number found so far.
    std::function<void()> matched;
    // After the first and the last call and every few milliseconds in between: calls looked at
    // so far out of the range's count. The place to serve events.
    std::function<void(uint32_t visited, uint32_t total)> progress;
};

struct SCallSearchOutcome
{
    ESearchEnd end = ESearchEnd::Completed;
    uint32_t visited = 0;   // calls of the range looked at
};

// Searches the range and appends the numbers of the calls found to found, in ascending order;
// stops when found holds limit numbers (limit 0: no limit) or when a cancel is asked for. Numbers
// without a call are skipped.
SCallSearchOutcome SearchCalls(CTraceData& trace, SCallRange range, const QRegularExpression& expression,
                               uint32_t limit, std::vector<uint32_t>& found, const SCallSearchHooks& hooks = {});

// The text that reports a finished search: "No elements found.", "Search has found: 1 element.",
// "Search has found: N elements.".
QString SearchResultText(size_t matches);
// The text that refuses an expression that does not compile.
QString InvalidExpressionText(const QRegularExpression& expression);
