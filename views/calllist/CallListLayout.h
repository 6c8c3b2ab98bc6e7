#pragma once
// What the call list shows, without any widget: the listed calls of the current frame after the
// filter and the collapsed draw-call groups, and the group keys with their expanded flags. The
// list frame owns one and binds its row pool from it; tests drive it with a fixture trace.
//
// A group key heads a group: every draw call, and the first call of a frame that does not
// start with a draw call. Every other call belongs to the nearest key before it. Keys are always
// listed; a collapsed group hides its other members.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

class CTraceData;
struct STraceCall;

using u32 = unsigned int;

// Whether the entry's call is a draw call (IsDrawCall of its id).
bool IsDrawCall(const STraceCall* entry);

struct SVisibleEntry
{
    STraceCall* entry = nullptr;  // owned by the trace
    u32 callNumber = 0;           // 1-based, in the whole trace
};

class CCallListLayout
{
public:
    // Frame change: makes the current frame's keys known (expanded unless already known, so a
    // frame visited again keeps its collapsed groups) and remembers its draw calls.
    void ScanFrame(CTraceData& trace);
    // Lists the current frame's calls. A call is skipped when it is not a key and either the
    // filter is on and its function id is in filterSet, or its group is collapsed.
    void Rebuild(CTraceData& trace, bool filterOn, const std::set<u32>* filterSet);
    // Forgets everything built from a trace (it is being closed or replaced).
    void Clear();

    u32 Count() const { return static_cast<u32>(m_entries.size()); }
    const SVisibleEntry& At(u32 index) const { return m_entries[index]; }
    std::optional<u32> IndexOfCall(u32 callNumber) const;

    // Group keys of every frame scanned since the last Clear.
    bool IsKey(u32 callNumber) const { return m_groups.count(callNumber) != 0; }
    std::optional<bool> IsExpanded(u32 key) const;
    bool HasGroups() const { return !m_groups.empty(); }
    // Flips a key's flag; false when callNumber is no key.
    bool ToggleGroup(u32 key);
    void SetAllGroups(bool expanded);
    // Expands the group that holds callNumber (a member, not a key itself); true when a
    // collapsed group was opened.
    bool ExpandGroupOf(u32 callNumber);

    // Draw calls of the last scanned frame, in call order; ordinal is 1-based, 0 when outside.
    const std::vector<u32>& FrameDrawCalls() const { return m_frameDraws; }
    u32 DrawCallByOrdinal(int ordinal) const;

private:
    std::map<u32, bool> m_groups;
    std::vector<SVisibleEntry> m_entries;
    std::vector<u32> m_frameDraws;
};
