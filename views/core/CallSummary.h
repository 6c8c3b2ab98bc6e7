#pragma once
// What the statistics dock lists, without widgets: the six counters of the frame summary, and the
// call summary of the current frame (one row per function with its count) with the functions the
// user marked: a click selects or unselects a function, a watch keeps it at the top in its own
// colour from frame to frame until the trace is closed.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "TraceStatistics.h"

struct SSummaryRow
{
    const char* label;
    uint32_t value;
};
// "Function calls", "Draw calls", "Triangles", "Lines", "Texture Loads", "Shader Loads".
std::array<SSummaryRow, 6> FrameSummaryRows(const SFrameCounters& frame);

enum class ECallMark : uint8_t { Plain, Selected, Watched };

struct SCallSummaryRow
{
    std::string name;
    uint32_t count = 0;
    ECallMark mark = ECallMark::Plain;
};

class CCallSummary
{
public:
    // The current frame's counts (function name -> count).
    void SetCounts(const TFunctionCounts& counts);
    // The trace is closed: no counts, every name plain.
    void Clear();

    // Plain -> selected -> plain; a watched name stays watched.
    void Click(const std::string& name);
    // Each returns whether anything changed.
    bool AddWatch(const std::string& name);
    bool RemoveWatch(const std::string& name);
    bool AddSelectedWatches();
    bool RemoveAllWatches();

    // Watched functions of the frame first, then the others; both groups sorted by count, busiest
    // first (ties by name), or by name when sortByName is set.
    std::vector<SCallSummaryRow> Rows() const;
    ECallMark Mark(const std::string& name) const;
    // The context menu's entries, in order, for the row of name (null: below the rows, where only
    // the entries that need no row are offered).
    std::vector<std::string> MenuEntries(const std::string* name) const;
    // Runs a menu entry; false when the entry is unknown or changed nothing.
    bool RunMenuEntry(const std::string& entry, const std::string* name);

    bool sortByName = false;

private:
    bool Any(bool watched) const;

    std::map<std::string, uint32_t> m_counts;
    std::map<std::string, bool> m_watches;  // true: watched, false: selected
};
