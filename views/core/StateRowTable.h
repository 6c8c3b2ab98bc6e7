#pragma once
// The shape of a page's row table (Es1StateRows.cpp, Es2StateRows.cpp): one row per line of the
// page, in the order the page shows them within their group, and the page built from it. The rows
// are the page parts of the family's field rows (state/Es1Fields.def, Es2Fields.def). One-line
// rows have a text and a comparison with the state the page showed before; rows that expand to a
// variable number of lines (texture units, capabilities, lights ...) are hand-written functions
// named by their table row. The tests hold each page to its record's field table (StateFields.h):
// a field the table says the page shows must change a row's text or mark.
#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "StatePage.h"

// Value texts of the rows: a GL enum's name, a boolean, a float with "%f".
inline std::string Enum(uint32_t v) { return EnumText(v); }
inline std::string Bool(uint32_t v) { return HolderText<TGLboolean>(v); }
inline std::string Float(float v) { return FormatText("%f", double(v)); }

// Comparisons of a row's value with the state shown before: bit by bit over the whole field
// (arrays included), or as numbers (a NaN always differs).
template <class T>
bool Bits(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) != 0;
}
inline bool Number(float a, float b) { return !(a == b); }

inline SStateLine Line(std::string text, bool changed = false) { return SStateLine{std::move(text), changed, false, {}}; }

template <class State>
struct TStateRow
{
    EStateGroup group;
    const char* format;  // as the row reads, before its values are filled in
    // One-line rows: the text, and whether the value differs from `before` (null: never marked).
    std::string (*text)(const State& s);
    bool (*differs)(const State& now, const State& before);
    // Hand-written rows: append their lines (top to bottom) and may mark the group header.
    void (*expand)(const State& now, const State& before, SStateGroup& group);
};

// The page for `now`, marked against `before`: the groups in page order, each with its rows; a
// header is red when one of its own rows is.
template <class State>
SStatePage BuildPage(std::span<const EStateGroup> groups, std::span<const TStateRow<State>> rows, const State& now,
                     const State& before)
{
    SStatePage page;
    page.groups.reserve(groups.size());
    for (EStateGroup g : groups)
        page.groups.push_back(SStateGroup{g, false, {}});
    for (const TStateRow<State>& row : rows) {
        SStateGroup& g = *page.Find(row.group);
        if (row.expand)
            row.expand(now, before, g);
        else
            g.rows.push_back(SStateLine{row.text(now), row.differs && row.differs(now, before), false, {}});
    }
    for (SStateGroup& g : page.groups)
        for (const SStateLine& line : g.rows)
            g.changed = g.changed || line.changed;
    return page;
}

// A page row of a field row (state/Es1Fields.def, Es2Fields.def) and its place in its group.
template <class State>
struct TFieldRow
{
    int order;
    TStateRow<State> row;
};

// The page's rows from its field rows: group by group in page order, each group's rows by their place.
template <class State>
std::vector<TStateRow<State>> PageRows(std::span<const EStateGroup> groups, std::vector<TFieldRow<State>> rows)
{
    auto rank = [groups](const TFieldRow<State>& r) {
        return std::pair(std::find(groups.begin(), groups.end(), r.row.group) - groups.begin(), r.order);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
    std::vector<TStateRow<State>> out;
    out.reserve(rows.size());
    for (const TFieldRow<State>& r : rows)
        out.push_back(r.row);
    return out;
}
