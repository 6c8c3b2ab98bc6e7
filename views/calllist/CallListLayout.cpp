#include "calllist/CallListLayout.h"

#include "CallQueries.h"

#include <algorithm>

#include "apicall/ApiCall.h"
#include "data/TraceData.h"

bool IsDrawCall(const STraceCall* entry)
{
    return entry && entry->call && IsDrawCall(entry->call->GetCallId());
}

namespace {
// The current frame's calls as 1-based numbers [first, first + count), read by number so that
// the list never moves the trace's call cursor, which other views read.
struct SFrameRange
{
    u32 first = 0;
    u32 count = 0;
};

SFrameRange CurrentFrameRange(CTraceData& trace)
{
    const STraceFrame* frame = trace.GetCurrentFrame();
    if (!frame)
        return {};
    return {frame->firstCall + 1, trace.GetCurrentFrameCallCount()};
}
}  // namespace

void CCallListLayout::ScanFrame(CTraceData& trace)
{
    m_frameDraws.clear();
    const SFrameRange range = CurrentFrameRange(trace);
    for (u32 i = 0; i < range.count; ++i) {
        const u32 number = range.first + i;
        STraceCall* entry = trace.GetCall(number);
        if (!entry)
            break;
        if (IsDrawCall(entry)) {
            m_frameDraws.push_back(number);
            m_groups.emplace(number, true);
        } else if (i == 0) {
            m_groups.emplace(number, true);
        }
    }
}

void CCallListLayout::Rebuild(CTraceData& trace, bool filterOn, const std::set<u32>* filterSet)
{
    m_entries.clear();
    const SFrameRange range = CurrentFrameRange(trace);
    // Calls ahead of the frame's first key (a frame never scanned) count as collapsed.
    bool expanded = false;
    if (!m_frameDraws.empty())
        expanded = IsExpanded(m_frameDraws.front()).value_or(false);
    const bool filtering = filterOn && filterSet && !filterSet->empty();
    auto key = m_groups.lower_bound(range.first);
    for (u32 i = 0; i < range.count; ++i) {
        const u32 number = range.first + i;
        STraceCall* entry = trace.GetCall(number);
        if (!entry)
            break;
        // Keys come in call order, so one forward iterator finds them all.
        if (key != m_groups.end() && key->first == number) {
            expanded = key->second;
            ++key;
        } else if (!expanded || (filtering && entry->call && filterSet->count(entry->call->GetCallId()))) {
            continue;
        }
        m_entries.push_back({entry, number});
    }
}

void CCallListLayout::Clear()
{
    m_groups.clear();
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_frameDraws.clear();
}

std::optional<u32> CCallListLayout::IndexOfCall(u32 callNumber) const
{
    // Entries are in call order.
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), callNumber,
                               [](const SVisibleEntry& e, u32 n) { return e.callNumber < n; });
    if (it == m_entries.end() || it->callNumber != callNumber)
        return std::nullopt;
    return static_cast<u32>(it - m_entries.begin());
}

std::optional<bool> CCallListLayout::IsExpanded(u32 key) const
{
    auto it = m_groups.find(key);
    if (it == m_groups.end())
        return std::nullopt;
    return it->second;
}

bool CCallListLayout::ToggleGroup(u32 key)
{
    auto it = m_groups.find(key);
    if (it == m_groups.end())
        return false;
    it->second = !it->second;
    return true;
}

void CCallListLayout::SetAllGroups(bool expanded)
{
    for (auto& group : m_groups)
        group.second = expanded;
}

bool CCallListLayout::ExpandGroupOf(u32 callNumber)
{
    if (m_groups.empty() || IsKey(callNumber))
        return false;
    auto it = m_groups.lower_bound(callNumber);
    if (it == m_groups.begin())
        return false;
    --it;
    if (it->second)
        return false;
    it->second = true;
    return true;
}

u32 CCallListLayout::DrawCallByOrdinal(int ordinal) const
{
    if (ordinal < 1 || static_cast<size_t>(ordinal) > m_frameDraws.size())
        return 0;
    return m_frameDraws[static_cast<size_t>(ordinal) - 1];
}
