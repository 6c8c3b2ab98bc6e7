#pragma once
// The scalar state as the host answers it: one row per glGet query, with the tracked value it
// stands for, made from the query parts of the family's field rows (state/Es1Fields.def,
// Es2Fields.def; expanded by QueryParts.h). A state probe prints every row of its family's table;
// the tests tie the tracked values to the record's field table (StateFields.h).
#include <algorithm>
#include <cstdint>
#include <vector>

enum class EQueryKind : uint8_t
{
    Integer,  // glGetIntegerv
    Float,    // glGetFloatv
    Boolean,  // glGetBooleanv
    Enabled,  // glIsEnabled of the pname
};

template <class State>
struct TStateQuery
{
    const char* label;
    uint32_t pname;
    uint8_t count;
    EQueryKind kind;
    // The tracked value of the same state (integers and booleans as their numbers); null for state
    // the tracker does not keep.
    std::vector<double> (*tracked)(const State&);
};

// The tracked value of a row: n values of an array, or one value.
namespace statequeries {
template <class T>
std::vector<double> Values(const T* v, int n)
{
    return std::vector<double>(v, v + n);
}
template <class T>
std::vector<double> One(T v)
{
    return {double(v)};
}
} // namespace statequeries

// A query part of the field rows: one query, or a hand-written list of them, and its place in the
// probe's order.
template <class State>
struct TPlacedQuery
{
    int order;
    TStateQuery<State> query;
    void (*queries)(std::vector<TStateQuery<State>>& q);
};

// The probe's queries from the field rows' query parts, in their order.
template <class State>
std::vector<TStateQuery<State>> OrderedQueries(std::vector<TPlacedQuery<State>> placed)
{
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
    std::vector<TStateQuery<State>> q;
    for (const TPlacedQuery<State>& p : placed) {
        if (p.queries)
            p.queries(q);
        else
            q.push_back(p.query);
    }
    return q;
}
