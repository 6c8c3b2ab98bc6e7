#pragma once
// The record every table row becomes. A row names its items in payload order; TRecord reads them
// in that order in its constructor and lists them in the same order, so reading and listing
// cannot drift apart. The item kinds are in record/RecordItems.h, the table shape in
// apicall/CallTable.h.
//
// Scalars are kept as their bare 4- or 8-byte value; the holders a call description points at are
// made for that description and owned by it (most calls of a trace are never described), which
// keeps a loaded call small. Composite holders own their recorded memory and are kept as read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

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

enum class ItemKind : uint8_t { Argument, Return, Extra };

// What listing an item needs to know of the trace its call was read from.
struct SListing
{
    bool dataIncluded = false;
    bool IsDataIncluded() const { return dataIncluded; }
};

// The listing slot of an item that lists its own holder.
struct SNoHolder {};

// What every item kind states about itself: the name it is reached by, what it names for the
// players, where it is listed, and the holder TRecord makes for its listing (SNoHolder when the
// item lists a holder of its own).
template <FixedString Name, ItemKind Kind, Role R = Role::None, class Listed = SNoHolder>
struct TItem
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = R;
    static constexpr ItemKind kKind = Kind;
    using ListedHolder = Listed;
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

// Whether no two items of a row share a name: effects and players reach items by name.
template <class... Items>
consteval bool ItemNamesUnique()
{
    constexpr std::array<std::string_view, sizeof...(Items)> names{Items::kName.view()...};
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j])
                return false;
    return true;
}

// Whether every array sized by another item (SizedBy) names a scalar of the row: a count or a
// parameter name.
template <class... Items>
consteval bool SizesNamed()
{
    constexpr std::array<std::string_view, sizeof...(Items)> names{Items::kName.view()...};
    constexpr std::array<bool, sizeof...(Items)> scalar{requires { typename Items::ValueType; }...};
    bool named = true;
    [[maybe_unused]] auto check = [&]<class Item>(std::type_identity<Item>) {
        if constexpr (requires { Item::kSizedBy; }) {
            bool found = false;
            for (std::size_t i = 0; i < names.size(); ++i)
                found = found || (names[i] == Item::kSizedBy.view() && scalar[i]);
            named = named && found;
        }
    };
    (check(std::type_identity<Items>{}), ...);
    return named;
}

template <class Family, uint16_t Id, FixedString Name, FixedString Category, class... Items>
class TRecord : public Family
{
    static_assert(ItemNamesUnique<Items...>(),
                  "two items of the row share a name: give the second a key of its own (Keyed<>)");
    static_assert(SizesNamed<Items...>(), "an array's SizedBy<> names no scalar item of its row");

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

// The record classes of a table, expanded in a family's <Family>Records.h inside the family's
// namespace, which declares `template <class Record> struct TRowBase;` first. Each family defines
// XQF_RECORD, XQF_EFFECT, XQF_CUSTOM and XQF_NAMED through these, naming its base class, its state
// record and its effect function.
#define XQF_RECORD_CLASS(Family, Class, Id, Function, Category, ...)                                      \
    class Class final : public ::xqft::TRecord<Family, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__> \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
    };
// An effect row promises an Effect overload; a row without one fails to link.
#define XQF_EFFECT_CLASS(Family, State, Effect, Class, Id, Function, Category, ...)                       \
    class Class;                                                                                          \
    bool Effect(const Class& call, State& state);                                                         \
    class Class final : public ::xqft::TRecord<Family, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__> \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
                                                                                                          \
    protected:                                                                                            \
        bool UpdateState(void* state, uint32_t) override                                                  \
        {                                                                                                 \
            return Effect(*this, *static_cast<State*>(state));                                            \
        }                                                                                                 \
    };
// The same for a family whose effects stamp the frame number into the state groups they change.
#define XQF_FRAME_EFFECT_CLASS(Family, State, Effect, Class, Id, Function, Category, ...)                 \
    class Class;                                                                                          \
    bool Effect(const Class& call, State& state, uint32_t frame);                                         \
    class Class final : public ::xqft::TRecord<Family, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__> \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
                                                                                                          \
    protected:                                                                                            \
        bool UpdateState(void* state, uint32_t frame) override                                            \
        {                                                                                                 \
            return Effect(*this, *static_cast<State*>(state), frame);                                     \
        }                                                                                                 \
    };
// A hand-written class derives from RowBase<Class>: the record its row describes.
#define XQF_CUSTOM_BASE(Family, Class, Id, Function, Category, ...)                                       \
    class Class;                                                                                          \
    template <>                                                                                           \
    struct TRowBase<Class>                                                                                \
    {                                                                                                     \
        using type = ::xqft::TRecord<Family, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__>;          \
    };
