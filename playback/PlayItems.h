#pragma once
// How the players read a call's arguments: by item name, as the effects do (`c.Item<"x">()`),
// through a view of the call that knows every record layout of its function:
//
//     p.Item<"target">()      the item's value, typed by its holder (GLenum: uint32_t, GLint:
//                             int32_t, GLfloat: float, a pointer: uint64_t)
//     p.Item<"pixels">()      a pointer argument: {data, pointer}, its holder when the trace carries
//                             its data (else null) and the bare pointer value it was recorded as
//
// Each read is checked at compile time against every layout of the function: the item must be
// listed at one position in every trace and layout, with one type; a row that gains, loses or moves
// an item fails the build of every reader instead of changing what is read. A layout that renamed
// an item is read with the old name as the alias: p.Item<"data", "pixels">().
#include "PlayArgs.h"

#include "record/RecordItems.h"
#include "values/DataHolders.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace playrows {

// What an item kind adds to the players' listing (the verbose one, which CPlayArgs holds): up to
// two names (its own, and `second`), of which the first `always` are listed in every trace. A
// family's own item kinds add theirs beside its player.
template <class Item>
struct TListedItem
{
    static constexpr int count = Item::kKind == xqft::ItemKind::Argument ? 1 : 0;
    static constexpr int always = count;
    static constexpr std::string_view second{};
};
template <xqft::FixedString Name, class Holder>
struct TListedItem<xqft::VerboseExtra<Name, Holder>>
{
    static constexpr int count = 1, always = 1;
    static constexpr std::string_view second{};
};
template <class Item, bool Hidden>
struct TListedItem<xqft::Verbose<Item, Hidden>> : TListedItem<Item>
{
};
template <xqft::FixedString Key, class Item>
struct TListedItem<xqft::Keyed<Key, Item>> : TListedItem<Item>
{
};
template <xqft::FixedString Name, xqft::FixedString PlaybackName>
struct TListedItem<xqft::PointerTwice<Name, PlaybackName>>
{
    static constexpr int count = 2, always = 2;
    static constexpr std::string_view second = PlaybackName.view();
};
template <xqft::FixedString Name, class Data>
struct TListedItem<xqft::DataOnly<Name, Data>>
{
    static constexpr int count = 1, always = 0;
    static constexpr std::string_view second{};
};

// Where a name is listed: the item listing it (`second`: as the item's second name) and its
// position, when that is the same in every trace (every name before it is always listed); `at` is
// -1 otherwise.
struct SListedAt
{
    int item = -1;
    bool second = false;
    int at = -1;
};

template <class Items, size_t... I>
consteval SListedAt ListedAtOf(std::string_view name, std::index_sequence<I...>)
{
    SListedAt found;
    int position = 0;
    bool moved = false;
    [[maybe_unused]] auto add = [&]<class Item>(std::type_identity<Item>, int index) {
        using L = TListedItem<Item>;
        for (int n = 0; n < L::count; ++n, ++position) {
            const std::string_view listed = n == 0 ? Item::kName.view() : L::second;
            if (found.at < 0 && !moved && listed == name)
                found = {index, n == 1, position};
            moved = moved || n >= L::always;
        }
    };
    (add(std::type_identity<std::tuple_element_t<I, Items>>{}, int(I)), ...);
    return found;
}
template <class Items>
consteval SListedAt ListedAtOf(std::string_view name)
{
    return ListedAtOf<Items>(name, std::make_index_sequence<std::tuple_size_v<Items>>{});
}

// A pointer argument as read: the recorded holder when the trace carries the data (null without),
// and the pointer value when it was recorded bare (0 with data).
template <class Data>
struct TPointerArg
{
    Data* data = nullptr;
    uint64_t pointer = 0;
};

// How an item (or its second name) is read from the listing: Type, and From(args, position).
// Scalars read as their holder's value type; the pointer-argument kinds as TPointerArg. A family's
// own item kinds add theirs beside its player.
template <class T>
struct TScalarRead
{
    using Type = T;
    static Type From(const CPlayArgs& a, size_t at) { return a.template Scalar<Type>(at); }
};
// A scalar argument as the host parameter type a generic player hands it over as (`Host`): a float
// bit for bit, a signed integer sign-extended from its recorded 32 bits (a pointer-wide one too),
// an unsigned one as its low bits (a byte as the low 8).
template <class Host>
Host HostScalarAt(const CPlayArgs& a, size_t at)
{
    if constexpr (std::is_floating_point_v<Host>)
        return a.F32(at);
    else if constexpr (std::is_signed_v<Host>)
        return Host(a.I32(at));
    else
        return Host(a.U32(at));
}

// A scalar row item as a generic player hands it over: an object name (a role) through the
// player's own lookup, Names::HostName<R>(recorded), any other value by its kind.
template <class Host, xqft::Role R, class Names>
Host HostItemAt(const CPlayArgs& a, size_t at)
{
    if constexpr (R != xqft::Role::None)
        return Host(Names::template HostName<R>(a.U32(at)));
    else
        return HostScalarAt<Host>(a, at);
}

template <class Item, bool Second>
struct TItemRead : TScalarRead<typename Item::ListedHolder::ValueType>
{
    static_assert(!std::is_same_v<typename Item::ListedHolder, xqft::SNoHolder>,
                  "an item kind the players cannot read: give it a TItemRead");
};

// Data listed through a holder of its own kind (a block through a view of it).
template <class Data>
using TListedData = std::conditional_t<std::is_same_v<Data, SDataBlock>, SDataPtr,
                                       std::conditional_t<std::is_same_v<Data, SNameText>, SString, Data>>;

template <class Data>
struct TDataRead
{
    using Type = TPointerArg<TListedData<Data>>;
    static Type From(const CPlayArgs& a, size_t at)
    {
        SApiTypeBase* listed = a.Arg(at);
        auto* data = dynamic_cast<TListedData<Data>*>(listed);
        return {data, data ? 0 : a.U64(at)};
    }
};
template <xqft::FixedString Name, class Data, xqft::Role R, bool Second>
struct TItemRead<xqft::DataOrPointer<Name, Data, R>, Second> : TDataRead<Data>
{
};
template <xqft::FixedString DataName, xqft::FixedString PointerName, class Data, bool Second>
struct TItemRead<xqft::DataForm<DataName, PointerName, Data>, Second> : TDataRead<Data>
{
};
template <xqft::FixedString Name, class Data, bool Second>
struct TItemRead<xqft::DataOrHandle<Name, Data>, Second> : TDataRead<Data>
{
};
template <xqft::FixedString Name, class Data, bool Second>
struct TItemRead<xqft::DataOnly<Name, Data>, Second> : TDataRead<Data>
{
};
template <xqft::FixedString Name, class Data, bool Second>
struct TItemRead<xqft::Block<Name, Data>, Second> : TDataRead<Data>
{
};
template <class Item, bool Hidden, bool Second>
struct TItemRead<xqft::Verbose<Item, Hidden>, Second> : TItemRead<Item, Second>
{
};
template <xqft::FixedString Key, class Item, bool Second>
struct TItemRead<xqft::Keyed<Key, Item>, Second> : TItemRead<Item, Second>
{
};
template <xqft::FixedString Size, class Item, bool Second>
struct TItemRead<xqft::SizedBy<Size, Item>, Second> : TItemRead<Item, Second>
{
};

// glDrawElements' index item of ES 1.1 and ES 2.0 (from format version 7): the index pointer (the
// block, with data), then with data only the offset into the bound element buffer ("indicesOffset").
// Each family's item takes these as its listing and its reads.
struct SIndicesListed
{
    static constexpr int count = 2, always = 1;
    static constexpr std::string_view second = "indicesOffset";
};
template <bool Second>
using TIndicesRead = std::conditional_t<Second, TScalarRead<uint64_t>, TDataRead<SDataPtr>>;

// Where and how one layout lists the item called Name (or Alias).
template <xqft::FixedString Name, xqft::FixedString Alias, class Record>
struct TLayoutItem
{
    using Items = typename Record::ItemTuple;
    static constexpr SListedAt kListed = [] {
        SListedAt at = ListedAtOf<Items>(Name.view());
        if (at.at < 0 && !Alias.view().empty())
            at = ListedAtOf<Items>(Alias.view());
        return at;
    }();
    static_assert(kListed.at >= 0, "no item of that name at a position every trace lists alike");
    using Read = TItemRead<std::tuple_element_t<size_t(kListed.item), Items>, kListed.second>;
};

// Where and how every layout of a function lists the item: one position and one type, or no build.
template <xqft::FixedString Name, xqft::FixedString Alias, class First, class... Rest>
struct TFunctionItem
{
    using Read = typename TLayoutItem<Name, Alias, First>::Read;
    static constexpr size_t kAt = size_t(TLayoutItem<Name, Alias, First>::kListed.at);
    static_assert(((size_t(TLayoutItem<Name, Alias, Rest>::kListed.at) == kAt) && ...),
                  "the layouts of the function list the item at different positions");
    static_assert((std::is_same_v<typename TLayoutItem<Name, Alias, Rest>::Read::Type, typename Read::Type> && ...),
                  "the layouts of the function hold the item in different types");
};

// A call as a player's case reads it: the player's play (the call, its listing, the host) and its
// items by name, checked against `Layouts`, the record classes of the call's function.
template <class Play, class... Layouts>
struct TCallOf : Play
{
    static_assert(sizeof...(Layouts) > 0, "no record layout of the function");

    template <xqft::FixedString Name, xqft::FixedString Alias = "">
    auto Item() const
    {
        using Found = TFunctionItem<Name, Alias, Layouts...>;
        return Found::Read::From(this->a, Found::kAt);
    }
    // Whether every layout lists the item where every trace lists it alike.
    template <xqft::FixedString Name>
    static consteval bool Has()
    {
        return ((ListedAtOf<typename Layouts::ItemTuple>(Name.view()).at >= 0) && ...);
    }
};

// A body of one function's view as a handler of the play.
template <class Call, auto Body, class Play>
auto ReadCall(Play& p)
{
    Call call{p};
    return Body(call);
}

// The view of a call of one known layout (or several).
template <class... Layouts, class Play>
TCallOf<Play, Layouts...> CallOf(const Play& p)
{
    return {p};
}

// The record classes of a call table (PlayRecords.inc expands one), and those of one function.
struct SNoRecord
{
    static constexpr uint16_t kId = 0;
};
template <class... Records>
struct TRecordList
{
};

template <class Play, class... Layouts>
TCallOf<Play, Layouts...> CallOfLayouts(std::tuple<std::type_identity<Layouts>...>);

template <class Play, uint16_t Id, class List>
struct TCallOfId;
template <class Play, uint16_t Id, class... Records>
struct TCallOfId<Play, Id, TRecordList<Records...>>
{
    using type = decltype(CallOfLayouts<Play>(std::tuple_cat(
        std::declval<std::conditional_t<Records::kId == Id, std::tuple<std::type_identity<Records>>, std::tuple<>>>()...)));
};
// The view a case of the function `Id` reads its call through.
template <class Play, uint16_t Id, class List>
using TCallOfFunction = typename TCallOfId<Play, Id, List>::type;

} // namespace playrows
