#pragma once
// How a reader that meets the calls of many functions through a trait (the rebuild decision) reads
// their arguments: by the names the trait promises (trait::kPromisedItems), typed, as the players
// read theirs:
//
//     const playrows::TTraitArgs<trait::CopiesImage | trait::CopiesSubImage> copy{args};
//     copy.Item<"level">()      the item's value as promised (U32: uint32_t, I32: int32_t)
//
// A name must be promised alike by every trait the view names. Every promise is checked here at
// compile time against every row of every table that carries its trait, so a row that loses, moves
// or retypes a promised item fails the build instead of changing what the reader sees.
#include "PlayArgs.h"
#include "PlayItems.h"

#include "EglRecords.h"
#include "Es1Records.h"
#include "Es2Records.h"
#include "ExtRecords.h"
#include "apicall/CallTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace playrows {

// A table row as trait readers see it.
template <class Record, uint16_t Traits>
struct TTraitRow
{
    using RecordType = Record;
    static constexpr uint16_t kTraits = Traits;
};
// The head of a row list (TraitRows.inc expands the rows after it): carries no trait.
using SNoTraitRow = TTraitRow<SNoRecord, 0>;
template <class... Rows>
struct TTraitRows
{
};

// The value an item is read as, when it is one a trait may promise; -1 otherwise.
template <class Item>
consteval int PromisableValueOf()
{
    if constexpr (Item::kKind != xqft::ItemKind::Return && requires { typename Item::ListedHolder::ValueType; }) {
        using T = typename Item::ListedHolder::ValueType;
        if constexpr (std::is_same_v<T, uint32_t>)
            return int(trait::EItemValue::U32);
        else if constexpr (std::is_same_v<T, int32_t>)
            return int(trait::EItemValue::I32);
    }
    return -1;
}
template <class Items, size_t... I>
consteval std::array<int, sizeof...(I)> PromisableValuesOf(std::index_sequence<I...>)
{
    return {PromisableValueOf<std::tuple_element_t<I, Items>>()...};
}

// Where every row carrying one of `traits` lists `name` as `value`: one position, the same in every
// such row and every trace; -1 when a row lists it otherwise, or no row carries the traits.
template <class... Rows>
consteval int PromisedAt(TTraitRows<Rows...>, uint16_t traits, std::string_view name, trait::EItemValue value)
{
    int at = -1;
    bool kept = true;
    [[maybe_unused]] auto row = [&]<class Row>(std::type_identity<Row>) consteval {
        if constexpr (Row::kTraits != 0) {
            if ((Row::kTraits & traits) == 0)
                return;
            using Items = typename Row::RecordType::ItemTuple;
            constexpr auto values = PromisableValuesOf<Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
            const SListedAt listed = ListedAtOf<Items>(name);
            kept = kept && listed.at >= 0 && !listed.second && values[size_t(listed.item)] == int(value) &&
                   (at < 0 || at == listed.at);
            at = listed.at;
        }
    };
    (row(std::type_identity<Rows>{}), ...);
    return kept ? at : -1;
}

// The value every trait of `traits` promises `name` as; -1 when one does not promise it, or two
// promise it differently.
consteval int PromisedValue(uint16_t traits, std::string_view name)
{
    int value = -1;
    for (uint32_t bit = 1; bit <= 0xffff; bit <<= 1) {
        if ((traits & bit) == 0)
            continue;
        int promised = -1;
        for (const trait::SPromisedItem& item : trait::kPromisedItems)
            if (item.trait == bit && item.name == name)
                promised = int(item.value);
        if (promised < 0 || (value >= 0 && value != promised))
            return -1;
        value = promised;
    }
    return value;
}

// The rows of every table.
using STraitRows = TTraitRows<SNoTraitRow
#define XQF_PLAY_FAMILY xqft::egl
#define XQF_TABLE "EglCalls.def"
#include "TraitRows.inc"
#define XQF_PLAY_FAMILY xqft::es2
#define XQF_TABLE "Es2Calls.def"
#include "TraitRows.inc"
#define XQF_PLAY_FAMILY xqft::es1
#define XQF_TABLE "Es1Calls.def"
#include "TraitRows.inc"
#define XQF_PLAY_FAMILY xqft::ext
#define XQF_TABLE "ExtCalls.def"
#include "TraitRows.inc"
                              >;

consteval bool EveryPromiseKept()
{
    for (const trait::SPromisedItem& item : trait::kPromisedItems)
        if (PromisedAt(STraitRows{}, item.trait, item.name, item.value) < 0)
            return false;
    return true;
}
static_assert(EveryPromiseKept(), "a row with a trait does not list an item the trait promises (trait::kPromisedItems) "
                                  "where the trait's other rows list it, in every trace, with the type promised");

// The arguments of a call with one of `Traits`, read by the names those traits promise.
template <uint16_t Traits>
struct TTraitArgs
{
    const CPlayArgs& a;

    template <xqft::FixedString Name>
    static consteval int At()
    {
        constexpr int value = PromisedValue(Traits, Name.view());
        static_assert(value >= 0, "not an item every trait of the view promises, as one type");
        constexpr int at = PromisedAt(STraitRows{}, Traits, Name.view(), trait::EItemValue(value));
        static_assert(at >= 0, "the rows of the view's traits do not list the item alike");
        return at;
    }
    // Whether the call's listing holds the item.
    template <xqft::FixedString Name>
    bool Listed() const
    {
        return a.Count() > size_t(At<Name>());
    }
    template <xqft::FixedString Name>
    auto Item() const
    {
        if constexpr (trait::EItemValue(PromisedValue(Traits, Name.view())) == trait::EItemValue::I32)
            return a.I32(size_t(At<Name>()));
        else
            return a.U32(size_t(At<Name>()));
    }
};

} // namespace playrows
