#include "CallSearch.h"

#include <chrono>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"

namespace {

// Events are served at least this often while the search runs.
constexpr auto kProgressInterval = std::chrono::milliseconds(4);
// The clock is read once every this many calls.
constexpr uint32_t kClockStride = 16;

// Appends the text as UTF-16 to out, whose capacity is kept from call to call: once it is large
// enough, a text costs no allocation. ASCII is widened byte by byte; anything else is read as UTF-8.
void AppendWide(const CXQFTString& text, QString& out)
{
    const char* s = text.CStr();
    const size_t n = text.Length();
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) {
            out += QString::fromUtf8(s, qsizetype(n));
            return;
        }
    const qsizetype at = out.size();
    out.resize(at + qsizetype(n));
    char16_t* wide = reinterpret_cast<char16_t*>(out.data()) + at;
    for (size_t i = 0; i < n; ++i)
        wide[i] = static_cast<unsigned char>(s[i]);
}

// The text alone in buffer.
QStringView Widen(const CXQFTString& text, QString& buffer)
{
    buffer.resize(0);
    AppendWide(text, buffer);
    return buffer;
}

// Whether matching the texts of a call joined by line ends, with ^ and $ at every line, can miss a
// text that matches alone. It can only where the pattern looks past a text's ends otherwise than
// through ^, $ and \b: subject anchors (\A \z \Z \G) and any "(?" group (lookarounds, and
// inline options that could switch the line mode off).
bool JoinedTextsMayMiss(const QString& pattern)
{
    if (pattern.contains(QLatin1String("(?")))
        return true;
    for (qsizetype i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == u'\\') {
            const QChar next = pattern[i + 1];
            if (next == u'A' || next == u'z' || next == u'Z' || next == u'G')
                return true;
            ++i;  // an escaped character is not the start of another escape
        }
    return false;
}

} // namespace

SCallRange WholeTraceRange(const CTraceData& trace)
{
    return {1, trace.GetCallCount()};
}

SCallRange CurrentFrameRange(CTraceData& trace)
{
    const STraceFrame* frame = trace.GetCurrentFrame();
    const uint32_t count = trace.GetCurrentFrameCallCount();
    if (!frame || count == 0)
        return {1, 0};
    return {frame->firstCall + 1, frame->firstCall + count};
}

SCallSearchOutcome SearchCalls(CTraceData& trace, SCallRange range, const QRegularExpression& expression,
                               uint32_t limit, std::vector<uint32_t>& found, const SCallSearchHooks& hooks)
{
    using Clock = std::chrono::steady_clock;
    SCallSearchOutcome result;
    const uint32_t total = range.Count();
    CXQFTString text;
    QString buffer, joined;
    auto lastProgress = Clock::now();
    // Most calls match nothing: one match over all texts of a call, joined by line ends, rules a
    // call out at once. Where that match finds something, each text is matched on its own, so
    // what is found is exactly what matching each text finds.
    QRegularExpression any;
    const bool quickCheck = !JoinedTextsMayMiss(expression.pattern());
    if (quickCheck) {
        any = QRegularExpression(expression.pattern(),
                                 expression.patternOptions() | QRegularExpression::MultilineOption);
        any.optimize();
    }

    for (uint32_t n = range.first; total && n <= range.last; ++n) {
        STraceCall* entry = trace.GetCall(n);
        if (entry && entry->call) {
            if (hooks.cancelRequested && hooks.cancelRequested()) {
                result.end = ESearchEnd::Cancelled;
                return result;
            }
            CGenCallInfo info;
            entry->call->ListArguments(&info, 0);
            bool candidate = true;
            if (quickCheck) {
                joined.resize(0);   // keeps the capacity, unlike clear()
                info.VisitStrings(text, [&joined](const CXQFTString& t) {
                    AppendWide(t, joined);
                    joined += u'\n';
                    return false;
                });
                candidate = any.match(joined).hasMatch();
            }
            if (candidate && info.VisitStrings(text, [&](const CXQFTString& t) {
                    return expression.match(Widen(t, buffer)).hasMatch();
                }))
                found.push_back(n);
            if (!found.empty() && found.back() == n) {
                if (hooks.matched)
                    hooks.matched();
                if (limit && found.size() >= limit) {
                    result.visited = n - range.first + 1;
                    result.end = ESearchEnd::LimitReached;
                    return result;
                }
            }
        }
        result.visited = n - range.first + 1;
        if (!hooks.progress)
            continue;
        bool report = result.visited == 1 || n == range.last;
        if (!report && result.visited % kClockStride == 0) {
            const auto now = Clock::now();
            report = now - lastProgress >= kProgressInterval;
        }
        if (report) {
            hooks.progress(result.visited, total);
            lastProgress = Clock::now();
        }
    }
    return result;
}

QString SearchResultText(size_t matches)
{
    if (matches == 0)
        return "No elements found.";
    return "Search has found: " + QString::number(matches) + (matches == 1 ? " element." : " elements.");
}

QString InvalidExpressionText(const QRegularExpression& expression)
{
    return QString("The search text is not a valid regular expression: %1 (at character %2).")
        .arg(expression.errorString())
        .arg(expression.patternErrorOffset() + 1);
}
