#pragma once
// The shape the players share. Each expands its call table's rows into TRowPlay entries: a row
// marked not replayed is passed over, a row whose items the player's generic player can all hand to
// the host is played as recorded, and the few calls that need more have hand-written cases, each
// reached by the host table's slot of its function (from the rows too), never by a written id.
// EveryRowPlayed checks at compile time that every id is played exactly one of these ways;
// HandlersOf builds the player's handler of every slot.
#include "PlayCase.h"
#include "host/HostTables.h"

#include "apicall/CallTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <tuple>
#include <utility>

namespace playrows {

template <class Play>
using THandler = EEnd (*)(Play&);

// A hand-written case: the host table slot of its function and its handler.
template <class Play>
struct TCase
{
    uint16_t slot;
    THandler<Play> play;
};

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

// The position of the item called `name` in a row's items, or -1.
template <class Items, size_t... I>
consteval int FindItem([[maybe_unused]] std::string_view name, std::index_sequence<I...>)
{
    int found = -1;
    ((std::tuple_element_t<I, Items>::kName.view() == name && found < 0 ? found = int(I) : 0), ...);
    return found;
}
template <class Items>
consteval int FindItem(std::string_view name)
{
    return FindItem<Items>(name, std::make_index_sequence<std::tuple_size_v<Items>>{});
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

// Plays a row whose items are each one argument of the host entry point of the row's id, in row
// order: PlayItem<item>::Get reads each from the call's description (all of them before the host
// is called) and may refuse the call, given what the row's value array must hold (`needed`).
template <template <class> class PlayItem, class Items, class Play, size_t... I>
EEnd PlayEachItem(Play& p, uint16_t id, [[maybe_unused]] uint64_t needed, std::index_sequence<I...>)
{
    using Fn = void (*)(typename PlayItem<std::tuple_element_t<I, Items>>::Host...);
    bool refused = false;
    // A braced list runs in order.
    const std::tuple<typename PlayItem<std::tuple_element_t<I, Items>>::Host...> args{
        PlayItem<std::tuple_element_t<I, Items>>::Get(p, I, needed, refused)...};
    if (refused)
        return EEnd::Fail;
    std::apply(hostcall::Typed<Fn>(p.gl.EntryOfId(id)), args);
    return EEnd::Common;
}

// The generic player of a family whose row items are each one host argument (ES 1.1, ES 2.0), as a
// player policy: PlayItem<item> as above, Needed<Items>::Of(p) what the row's value array must hold.
template <class PlayT, template <class> class PlayItem, template <class> class Needed>
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
        return PlayEachItem<PlayItem, Items>(p, Record::kId, Needed<Items>::Of(p),
                                             std::make_index_sequence<std::tuple_size_v<Items>>{});
    }
    template <class Record>
    static consteval uint64_t Signature()
    {
        return 0;
    }
};

} // namespace playrows
