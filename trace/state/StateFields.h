#pragma once
// The field table of a tracked state record (Es1StateFields.h, Es2StateFields.h): every member of
// the record in its order, where it lies, how a check changes each of its values, and whether the
// three readers of the record show it: the text listing (`xqft-dump es1-state`/`state`), the state
// page and the host probe. Each table, its listing, its page rows and its probe queries are all made
// from one row per field, in one form for both families (Es1Fields.def, Es2Fields.def; their
// columns: FieldRows.h; the table's expansion: FieldTableRows.h). The checks of the tests change
// every value of every field in turn and ask each reader to show the change, so that a field one
// reader shows and another misses fails them, and a member missing from the table fails them too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <type_traits>

template <class State>
struct TStateField
{
    const char* name;  // the member
    size_t offset;
    size_t size;
    size_t align;
    int values;                                 // values `change` can change one by one
    void (*change)(State& s, int value);        // changes value `value` (0 <= value < values)
    const char* text;   // null: the listing shows every value; otherwise why it does not
    const char* page;   // null: the page shows every value; otherwise why it does not
    // Null: every value is the tracked value of a row of the probe's query table. Otherwise the
    // hand-written part of the probe that reads it, or why none does.
    const char* probe;
};

namespace statefields {

// Where a member lies in its record.
template <class State, class T>
size_t OffsetOf(T State::*member)
{
    static const State record{};
    return size_t(reinterpret_cast<const char*>(&(record.*member)) - reinterpret_cast<const char*>(&record));
}

// The number of scalar values of a member (arrays flattened).
template <class T>
constexpr int Count()
{
    if constexpr (std::is_array_v<T>)
        return int(std::extent_v<T>) * Count<std::remove_extent_t<T>>();
    else
        return 1;
}

// Scalar value `i` of a member, arrays flattened in their order.
template <class T>
auto& At(T& v, int i)
{
    if constexpr (std::is_array_v<T>) {
        constexpr int inner = Count<std::remove_extent_t<T>>();
        return At(v[i / inner], i % inner);
    } else {
        return v;
    }
}

// A different value of the same kind: a switch flips, a number moves by more than any text rounds.
template <class T>
void Change(T& v)
{
    if constexpr (std::is_same_v<T, uint8_t>)
        v = v ? 0 : 1;
    else if constexpr (std::is_floating_point_v<T>)
        v = v + 1.5f;
    else
        v = T(v + 1);
}

// A member's values as the listings write them, joined by blanks: integers in decimal, floats with
// every digit a float holds, so that equal lines mean equal bits (NaN and the sign of zero aside).
template <class T>
std::string Join(const T& v)
{
    if constexpr (std::is_array_v<T>) {
        std::string out;
        for (int i = 0; i < Count<T>(); ++i) {
            if (i)
                out += ' ';
            out += Join(At(v, i));
        }
        return out;
    } else if constexpr (std::is_floating_point_v<T>) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", double(v));
        return text;
    } else {
        return std::to_string(v);
    }
}

} // namespace statefields

// The field table's rows, which FieldTableRows.h makes of the field rows. A plain field: every
// scalar value changed in turn. XQF_STATE_SOME: only the listed values (flat indices) are state; the
// rest of the member is never set. XQF_STATE_CUSTOM: `values` and a change function of its own
// (object tables, stacks).
#define XQF_STATE_FIELD(State, member, text, page, probe)                                               \
    TStateField<State>{#member, statefields::OffsetOf(&State::member), sizeof(State::member),         \
                       alignof(decltype(State::member)), statefields::Count<decltype(State::member)>(), \
                       [](State& s, int i) { statefields::Change(statefields::At(s.member, i)); },  \
                       text, page, probe}
#define XQF_STATE_SOME(State, member, text, page, probe, ...)                                           \
    TStateField<State>{#member, statefields::OffsetOf(&State::member), sizeof(State::member),         \
                       alignof(decltype(State::member)), int(std::initializer_list<int>{__VA_ARGS__}.size()), \
                       [](State& s, int i) {                                                          \
                           static constexpr int kValues[] = {__VA_ARGS__};                             \
                           statefields::Change(statefields::At(s.member, kValues[i]));               \
                       },                                                                              \
                       text, page, probe}
#define XQF_STATE_CUSTOM(State, member, values, change, text, page, probe)                              \
    TStateField<State>{#member, statefields::OffsetOf(&State::member), sizeof(State::member),         \
                       alignof(decltype(State::member)), values, change, text, page, probe}
// The flat indices of an XQF_SOME row without their parentheses.
#define XQF_STATE_INDICES(...) __VA_ARGS__
