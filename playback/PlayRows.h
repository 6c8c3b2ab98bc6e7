#pragma once
// The shape the players share. Each expands its call table's rows into TRowPlay entries: a row
// marked not replayed is passed over, a row whose items the player's generic player can all hand to
// the host is played as recorded, and the few calls that need more have hand-written cases, each
// reached by the host table's slot of its function (from the rows too), never by a written id.
// EveryRowPlayed checks at compile time that every id is played exactly one of these ways;
// HandlersOf builds the player's handler of every slot.
#include "PlayCase.h"
#include "PlayItems.h"
#include "host/HostTables.h"

#include "apicall/CallTable.h"
#include "record/RecordItems.h"
#include "values/ApiTypes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace playrows {

template <class Play>
using THandler = EEnd (*)(Play&);

// The view a case body takes its call as (a TCallOf), from the body's parameter.
template <class Body, class R, class Call>
Call CaseCallOf(R (Body::*)(Call&) const);

// A hand-written case: the host table slot of its function and its handler, a function of the play
// or a body taking its call's view (TCallOf: the arguments read by name), made from the play.
template <class Play>
struct TCase
{
    uint16_t slot;
    THandler<Play> play;

    consteval TCase(uint16_t s, THandler<Play> handler) : slot(s), play(handler) {}
    template <class Body>
        requires(std::is_empty_v<Body> && !std::is_convertible_v<Body, THandler<Play>>)
    consteval TCase(uint16_t s, Body) : slot(s), play(&Run<Body>)
    {
    }

private:
    template <class Body>
    static EEnd Run(Play& p)
    {
        decltype(CaseCallOf(&Body::operator())) call{p};
        return Body{}(call);
    }
};

// The names a row's items are listed under in the players' listing (CPlayArgs: the verbose one),
// in listing order: a position there is what the players read an argument by. `fixed` counts the
// leading names every trace lists (an item listed only with data moves every name after it).
struct SListedNames
{
    std::array<std::string_view, 24> names{};
    uint8_t count = 0;
    uint8_t fixed = 0;
};

template <class Items, size_t... I>
consteval SListedNames ListedNamesOf(std::index_sequence<I...>)
{
    SListedNames listed;
    bool moved = false;
    [[maybe_unused]] auto add = [&]<class Item>(std::type_identity<Item>) {
        using L = TListedItem<Item>;
        for (int n = 0; n < L::count; ++n) {
            listed.names[listed.count++] = n == 0 ? Item::kName.view() : L::second;
            moved = moved || n >= L::always;
            if (!moved)
                listed.fixed = listed.count;
        }
    };
    (add(std::type_identity<std::tuple_element_t<I, Items>>{}), ...);
    return listed;
}
// The players' listing of a record's items.
template <class Record>
consteval SListedNames ListedNamesOf()
{
    using Items = typename Record::ItemTuple;
    return ListedNamesOf<Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
}

// The position of the name in a listing when it is the same in every trace (every name before it
// is always listed), else -1.
consteval int FixedPosition(const SListedNames& listed, std::string_view name)
{
    for (int i = 0; i < listed.count && i <= listed.fixed; ++i)
        if (listed.names[size_t(i)] == name)
            return i;
    return -1;
}

// A row as a player sees it. Function addresses are not compared at compile time (the sanitizers
// keep them), hence asRecorded beside generic; signature tells the layouts of one id apart by what
// the generic player hands over (0 where a player has one layout per id).
template <class Play>
struct TRowPlay
{
    uint16_t id;
    uint16_t traits;
    bool asRecorded;
    THandler<Play> generic;
    uint64_t signature = 0;
};

// The listing position of a row item by its own name (the same in every trace), or -1: how a
// generic player finds each item it hands over.
template <class Items>
consteval int FindItem(std::string_view name)
{
    return FixedPosition(ListedNamesOf<Items>(std::make_index_sequence<std::tuple_size_v<Items>>{}), name);
}

// What sets the length of a row's array, as the row says (SizedBy): the listing position of the
// item, the same in every trace, and whether it is a parameter name (an enum) rather than a count.
// `at` is -1 when no array of the row is sized by another item.
struct SArraySize
{
    int at = -1;
    bool byParameter = false;
};

template <class Items, size_t... I>
consteval SArraySize ArraySizeOf(std::index_sequence<I...>)
{
    constexpr SListedNames listed = ListedNamesOf<Items>(std::index_sequence<I...>{});
    SArraySize size;
    std::string_view by;
    [[maybe_unused]] auto sized = [&]<class Item>(std::type_identity<Item>) {
        if constexpr (requires { Item::kSizedBy; }) {
            if (!by.empty() && by != Item::kSizedBy.view())
                throw "the arrays of one row are sized by different items";
            by = Item::kSizedBy.view();
        }
    };
    (sized(std::type_identity<std::tuple_element_t<I, Items>>{}), ...);
    if (by.empty())
        return size;
    size.at = FixedPosition(listed, by);
    if (size.at < 0)
        throw "the item sizing an array is not at a position every trace lists alike";
    [[maybe_unused]] auto kind = [&]<class Item>(std::type_identity<Item>) {
        if constexpr (requires { Item::ListedHolder::kCode; })
            if (Item::kName.view() == by)
                size.byParameter = Item::ListedHolder::kCode == TGLenum::kCode;
    };
    (kind(std::type_identity<std::tuple_element_t<I, Items>>{}), ...);
    return size;
}
// What sets the length of the array of a row with these items.
template <class Items>
consteval SArraySize ArraySizeOf()
{
    return ArraySizeOf<Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
}

// Whether a player whose row items are each one host argument can hand over every item of a record
// (PlayItem<item>::kPlayable).
template <template <class> class PlayItem, class Items, size_t... I>
consteval bool ItemsPlayable(std::index_sequence<I...>)
{
    return (PlayItem<std::tuple_element_t<I, Items>>::kPlayable && ...);
}
template <template <class> class PlayItem, class Record>
consteval bool EveryItemPlayable()
{
    using Items = typename Record::ItemTuple;
    return ItemsPlayable<PlayItem, Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
}

// Every row with an id from first to first + count - 1 is played one way: not replayed, by one
// hand-written case, or as recorded, and then every layout of its id the same way. A player without
// a generic player (`unplayed`: extensions) may leave a row none of these ways: it is not played.
template <class Play>
consteval bool EveryRowPlayed(std::span<const TRowPlay<Play>> rows, std::span<const TCase<Play>> cases,
                              uint16_t first, uint16_t count, bool unplayed = false)
{
    for (const TRowPlay<Play>& row : rows) {
        if (row.id < first || row.id >= first + count)
            continue;
        int ways = (row.traits & trait::NotReplayed) ? 1 : 0;
        for (const TCase<Play>& c : cases)
            ways += c.slot == row.id - first;
        if (ways > 1)
            return false;
        if (ways == 0 && !unplayed)
            for (const TRowPlay<Play>& other : rows)
                if (other.id == row.id && (!other.asRecorded || other.signature != row.signature))
                    return false;
    }
    return true;
}

// The handler of every slot: the cases', else the generic player's of the id's first row, else
// `notReplayed` for a row not replayed.
template <class Play, size_t Count>
constexpr std::array<THandler<Play>, Count> HandlersOf(std::span<const TRowPlay<Play>> rows,
                                                       std::span<const TCase<Play>> cases, uint16_t first,
                                                       THandler<Play> notReplayed)
{
    std::array<THandler<Play>, Count> handlers{};
    std::array<bool, Count> set{};
    for (const TRowPlay<Play>& row : rows)
        if (row.id >= first && row.id < first + Count && !set[row.id - first]) {
            set[row.id - first] = true;
            handlers[row.id - first] = (row.traits & trait::NotReplayed) ? notReplayed : row.generic;
        }
    for (const TCase<Play>& c : cases)
        handlers[c.slot] = c.play;
    return handlers;
}

// ---- the skeleton every player shares ----------------------------------------------------------
// A player describes its generic player by a policy type:
//   Play                                    its handler argument (TPlay<Host> ...)
//   template <class Record> Playable()      consteval: the generic player can hand over every item
//   template <class Record> PlayAsRecorded  the generic player of the row, a THandler<Play>
//   template <class Record> Signature()     consteval: what it hands over, telling the layouts of
//                                           one id apart (0 where a player has one layout per id)
// and expands its call table into `constexpr TRowPlay<Play> kRows[]` with PlayRows.inc.

// Whether the generic player plays a row: a row that is replayed, whose items it can all hand over.
template <class Player, class Record, uint16_t Traits>
consteval bool PlayedAsRecorded()
{
    return (Traits & trait::NotReplayed) == 0 && Player::template Playable<Record>();
}

// The generic player of a row, or null when it does not play the row.
template <class Player, class Record, uint16_t Traits>
consteval THandler<typename Player::Play> GenericOf()
{
    if constexpr (PlayedAsRecorded<Player, Record, Traits>())
        return &Player::template PlayAsRecorded<Record>;
    else
        return nullptr;
}

// A row of the table as the player sees it.
template <class Player, class Record, uint16_t Traits>
consteval TRowPlay<typename Player::Play> RowOf()
{
    return {Record::kId, Traits, PlayedAsRecorded<Player, Record, Traits>(), GenericOf<Player, Record, Traits>(),
            Player::template Signature<Record>()};
}

// The values of each element of a row's array argument (PlayItem<item>::kPerElement where the item
// kind sets it), 0 for a row without one.
template <template <class> class PlayItem, class Item>
consteval uint64_t PerElementOf()
{
    if constexpr (requires { PlayItem<Item>::kPerElement; })
        return PlayItem<Item>::kPerElement;
    else
        return 0;
}
template <template <class> class PlayItem, class Items, size_t... I>
consteval uint64_t PerElementOf(std::index_sequence<I...>)
{
    return (PerElementOf<PlayItem, std::tuple_element_t<I, Items>>() + ... + 0);
}

// How many values the host reads from a row's array argument: as many elements as the item the row
// sizes it by counts, or, for a parameter name, as OfParameter(name) says, times the values of each.
template <template <class> class PlayItem, class Items, int64_t (*OfParameter)(uint32_t)>
uint64_t ValuesNeeded(const CPlayArgs& a)
{
    constexpr uint64_t perElement = PerElementOf<PlayItem, Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
    constexpr SArraySize size = ArraySizeOf<Items>();
    static_assert(perElement == 0 || size.at >= 0, "an array the generic player hands over needs SizedBy<> in its row");
    if constexpr (perElement == 0)
        return 0;
    else if constexpr (size.byParameter)
        return uint64_t(std::max<int64_t>(OfParameter(a.U32(size_t(size.at))), 0)) * perElement;
    else
        return uint64_t(std::max(a.I32(size_t(size.at)), 0)) * perElement;
}

// Plays a row whose items are each one argument of the host entry point of the row's id, in row
// order: PlayItem<item>::Get reads each from the call's description (all of them before the host
// is called) and may refuse the call, given what the row's value array must hold (`needed`).
template <template <class> class PlayItem, class Items, class Play, size_t... I>
EEnd PlayEachItem(Play& p, uint16_t id, [[maybe_unused]] uint64_t needed, std::index_sequence<I...>)
{
    using Fn = void (*)(typename PlayItem<std::tuple_element_t<I, Items>>::Host...);
    // Each item is read at its listing position, found by its name.
    [[maybe_unused]] constexpr SListedNames listed = ListedNamesOf<Items>(std::index_sequence<I...>{});
    [[maybe_unused]] constexpr std::array<int, sizeof...(I)> at{FixedPosition(listed, std::tuple_element_t<I, Items>::kName.view())...};
    static_assert(((at[I] >= 0) && ...), "an item the generic player hands over moves with the trace's data flag");
    bool refused = false;
    // A braced list runs in order.
    const std::tuple<typename PlayItem<std::tuple_element_t<I, Items>>::Host...> args{
        PlayItem<std::tuple_element_t<I, Items>>::Get(p, size_t(at[I]), needed, refused)...};
    if (refused)
        return EEnd::Fail;
    std::apply(hostcall::Typed<Fn>(p.gl.EntryOfId(id)), args);
    return EEnd::Common;
}

// The generic player of a family whose row items are each one host argument (ES 1.1, ES 2.0), as a
// player policy: PlayItem<item> as above, OfParameter the elements the host reads for a parameter
// name (ValuesNeeded).
template <class PlayT, template <class> class PlayItem, int64_t (*OfParameter)(uint32_t)>
struct TEachItemPlayer
{
    using Play = PlayT;
    template <class Record>
    static consteval bool Playable()
    {
        return EveryItemPlayable<PlayItem, Record>();
    }
    template <class Record>
    static EEnd PlayAsRecorded(Play& p)
    {
        using Items = typename Record::ItemTuple;
        return PlayEachItem<PlayItem, Items>(p, Record::kId, ValuesNeeded<PlayItem, Items, OfParameter>(p.a),
                                             std::make_index_sequence<std::tuple_size_v<Items>>{});
    }
    template <class Record>
    static consteval uint64_t Signature()
    {
        return 0;
    }
};

} // namespace playrows
