#pragma once
// The shape every row of a call table shares. A row names its items in payload order; TRecord reads
// them in that order in its constructor and lists them in the same order, so reading and listing
// cannot drift apart. Items:
//   Arg<name, code[, holder][, role]>   a scalar read with the width of its type code
//   Obj<name, role>                     a GLuint object name (the players translate it by role)
//   Ret<code[, holder]>                 the return value: read first, listed as the return value
//   RetBlock<holder>                    a return value recorded as a block (a string)
//   DataOrPointer<name, holder[, role]> a pointer argument: the data holder when the trace carries
//                                       data, else the bare pointer value
//   Block<name, holder>                 a pointer argument whose block is read in both data modes
//   VerboseExtra<name, code>            a value after the arguments, listed hidden in verbose mode
//   Unlisted<code>                      a value after the arguments, never listed
// Scalars are kept as their bare 4- or 8-byte value; the holders a call description points at are
// made for that description and owned by it (most calls of a trace are never described), which
// keeps a loaded call small. Composite holders own their recorded memory and are kept as read.
#include <array>
#include <memory>
#include <utility>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "apicall/CallFamilies.h"
#include "apicall/CallInfo.h"
#include "record/Trace.h"

namespace xqft {

// A string literal usable as a template argument. Records of one function share one name string:
// equal template arguments are one object.
template <std::size_t N>
struct FixedString
{
    char text[N]{};
    constexpr FixedString(const char (&s)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = s[i];
    }
    constexpr const char* c_str() const { return text; }
    constexpr std::string_view view() const { return {text, N - 1}; }
};

// What an argument names, for the players that translate recorded object names to host ones.
enum class Role : uint8_t { None, Texture, Buffer, Program, Shader, Framebuffer, Renderbuffer, Location };

// The holder of a scalar by its type code, for rows that need no named holder.
template <int Code> struct CodeHolder;
template <> struct CodeHolder<0> { using type = TPointer; };
template <> struct CodeHolder<12> { using type = TGLenum; };
template <> struct CodeHolder<13> { using type = TGLboolean; };
template <> struct CodeHolder<14> { using type = TGLbitfield; };
template <> struct CodeHolder<17> { using type = TintType<17>; };
template <> struct CodeHolder<18> { using type = TintType<18>; };
template <> struct CodeHolder<21> { using type = TuintType<21>; };
template <> struct CodeHolder<22> { using type = TfloatType<22>; };
template <> struct CodeHolder<23> { using type = TfloatType<23>; };
template <> struct CodeHolder<25> { using type = TintType<25>; };
template <> struct CodeHolder<26> { using type = TintType<26>; };

enum class ItemKind : uint8_t { Argument, Return, Extra };

// What listing an item needs to know of the trace its call was read from.
struct SListing
{
    uint8_t dataIncluded = 0;
    uint8_t IsDataIncluded() const { return dataIncluded; }
};

// The listing slot of an item that lists its own holder.
struct SNoHolder {};

// A scalar item: the bare value, and the holder it is listed through.
template <class Holder>
struct TScalarItem
{
    using ListedHolder = Holder;
    using ValueType = typename Holder::ValueType;
    ValueType value{};

    ValueType Value() const { return value; }
    void Read(CTrace& t) { value = t.ReadValue<Holder>(); }
    Holder& Fill(Holder& slot) const
    {
        slot.value = value;
        return slot;
    }
};

template <FixedString Name, int Code, class Holder = typename CodeHolder<Code>::type, Role R = Role::None>
struct Arg : TScalarItem<Holder>
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = R;
    static constexpr ItemKind kKind = ItemKind::Argument;
    void List(CCallInfo& info, const SListing&, uint8_t, Holder& slot) const
    {
        info.AddArgument(Name.c_str(), &this->Fill(slot), 0);
    }
};

template <FixedString Name, Role R>
using Obj = Arg<Name, 21, TuintType<21>, R>;

template <int Code, class Holder = typename CodeHolder<Code>::type>
struct Ret : TScalarItem<Holder>
{
    static constexpr FixedString kName = "return";
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Return;
    void List(CCallInfo& info, const SListing&, uint8_t, Holder& slot) const { info.SetReturnValue(&this->Fill(slot)); }
};

template <class Data>
struct RetBlock
{
    static constexpr FixedString kName = "return";
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Return;
    using ListedHolder = SNoHolder;
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo& info, const SListing&, uint8_t, SNoHolder&) { info.SetReturnValue(&value); }
};

template <FixedString Name, class Data, Role R = Role::None>
struct DataOrPointer
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = R;
    static constexpr ItemKind kKind = ItemKind::Argument;
    using ListedHolder = SNoHolder;
    // With data the whole holder is filled; without, only its pointer member, which then stands
    // for the bare pointer argument.
    Data data;

    void Read(CTrace& t)
    {
        if (t.IsDataIncluded())
            t >> data;
        else
            t >> data.pointer;
    }
    SApiTypeBase* Listed(CCallInfo& info, const SListing& t)
    {
        return t.IsDataIncluded() ? static_cast<SApiTypeBase*>(&data) : info.MakeHolder<TPointer>(data.pointer.value);
    }
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        info.AddArgument(Name.c_str(), Listed(info, t), 0);
    }
};

// The holder a composite item is listed through: itself, or a view made for the description.
inline SApiTypeBase* ListedOf(CCallInfo&, SApiTypeBase& holder) { return &holder; }
inline SApiTypeBase* ListedOf(CCallInfo& info, const SDataBlock& block)
{
    SDataView& view = info.Make<SDataView>();
    view.pointer = block.pointer;
    view.size = block.size;
    view.borrowed = block.GetData();
    return &view;
}

template <FixedString Name, class Data>
struct Block
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Argument;
    using ListedHolder = SNoHolder;
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo& info, const SListing&, uint8_t, SNoHolder&) { info.AddArgument(Name.c_str(), ListedOf(info, value), 0); }
};

template <FixedString Name, int Code, class Holder = typename CodeHolder<Code>::type>
struct VerboseExtra : TScalarItem<Holder>
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Extra;
    void List(CCallInfo& info, const SListing&, uint8_t verbose, Holder& slot) const
    {
        if (verbose == 1)
            info.AddArgument(Name.c_str(), &this->Fill(slot), 1);
    }
};

template <FixedString Name, int Code, class Holder = typename CodeHolder<Code>::type>
struct Unlisted : TScalarItem<Holder>
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Extra;
    using ListedHolder = SNoHolder;
    void List(CCallInfo&, const SListing&, uint8_t, SNoHolder&) const {}
};

// Index of the item called Wanted; fails to compile when there is none.
template <FixedString Wanted, class... Items>
consteval std::size_t ItemIndex()
{
    constexpr std::array<std::string_view, sizeof...(Items)> names{Items::kName.view()...};
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == Wanted.view())
            return i;
    throw "no item of that name in the row";
}

template <class Family, uint16_t Id, FixedString Name, FixedString Category, class... Items>
class TRecord : public Family
{
public:
    static constexpr uint16_t kId = Id;
    static constexpr auto kFunction = Name;
    static constexpr auto kCategory = Category;
    using ItemTuple = std::tuple<Items...>;

    explicit TRecord(CTrace& t) : Family(&t)
    {
        // Comma folds run left to right: reading order is the row's order.
        std::apply([&](auto&... item) { (item.Read(t), ...); }, m_items);
    }

    const char* GetName() const override { return Name.c_str(); }
    int GetId() const override { return Id; }
    const char* GetCategory() const override { return Category.c_str(); }

    void ListArguments(CCallInfo* info, uint8_t verbose) override
    {
        Family::ListArguments(info, verbose);
        const SListing t{this->IsDataIncluded()};
        // One block for the holders of all scalar items, owned by the description.
        ListedTuple* listed = nullptr;
        if constexpr (kHasScalars)
            listed = &info->template Make<ListedTuple>();
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (std::get<I>(m_items).List(*info, t, verbose, Slot<I>(listed)), ...);
        }(std::index_sequence_for<Items...>{});
    }

    // The item named Wanted: Value() of a scalar, the holder (data) of a pointer argument.
    template <FixedString Wanted>
    const auto& Item() const
    {
        return std::get<ItemIndex<Wanted, Items...>()>(m_items);
    }

protected:
    ItemTuple m_items;

private:
    using ListedTuple = std::tuple<typename Items::ListedHolder...>;
    static constexpr bool kHasScalars = (!std::is_same_v<typename Items::ListedHolder, SNoHolder> || ...);

    template <std::size_t I>
    static auto& Slot(ListedTuple* listed)
    {
        if constexpr (std::is_same_v<std::tuple_element_t<I, ListedTuple>, SNoHolder>) {
            static SNoHolder none;
            return none;
        } else {
            return std::get<I>(*listed);
        }
    }
};

} // namespace xqft
