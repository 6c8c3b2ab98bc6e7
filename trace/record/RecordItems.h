#pragma once
// The item kinds a table row is made of, in payload order (record/Record.h reads and lists them):
//   Arg<name, holder[, role]>             a scalar, read with the width of its holder's type code and
//                                         listed through the holder (TGLenum, TGLsizei ...)
//   Obj<name, role>                       a GLuint object name (the players translate it by role)
//   Ret<holder>                           the return value: read first, listed as the return value
//   RetBlock<holder>                      a return value recorded as a block (a string)
//   DataOrPointer<name, holder[, role]>   a pointer argument: the data holder when the trace carries
//                                         data, else the bare pointer value
//   DataForm<dataName, pointerName, holder>  the same, listed under pointerName without data
//   DataOrHandle<name, holder>            a pointer argument whose data holder has no pointer member
//                                         (native window and pixmap descriptions, a pixmap handle)
//   DataOnly<name, holder>                a block present only when the trace carries data
//   Block<name, holder>                   a pointer argument whose block is read in both data modes
//   UnlistedBlock<name, holder>           a block read whatever the data flag and never listed
//   VerboseExtra<name, holder>            a value after the arguments, listed hidden in verbose mode
//   Unlisted<name, holder>                a value after the arguments, never listed
//   Verbose<item, hidden>                 an item listed only in the verbose listing, with the hidden
//                                         flag set when `hidden`
//   Keyed<key, item>                      an item reached by key, listed under the item's own name
//                                         (a row whose two items are listed under one name)
//   SizedBy<size, item>                   an array the host reads whose length the row's item `size`
//                                         sets: a count of elements (an integer), or a parameter
//                                         name (an enum) whose values the host reads
//   PointerTwice<name, playbackName>      a client array's pointer value, read once; listed as name
//                                         and, in the verbose listing only, again as hidden
//                                         playbackName (the players take that one)
// A family keeps item kinds only its records need beside its records (the draw calls' indices).
#include <memory>

#include "record/Record.h"

namespace xqft {

// A scalar item: the bare value, and the holder it is listed through.
template <class Holder>
struct TScalarItem
{
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

template <FixedString Name, class Holder, Role R = Role::None>
struct Arg : TScalarItem<Holder>, TItem<Name, ItemKind::Argument, R, Holder>
{
    void List(CCallInfo& info, const SListing&, uint8_t, Holder& slot) const
    {
        info.AddArgument(Name.c_str(), &this->Fill(slot), 0);
    }
};

template <FixedString Name, FixedString PlaybackName>
struct PointerTwice : TScalarItem<TPointer>, TItem<Name, ItemKind::Argument, Role::None, TPointer>
{
    void List(CCallInfo& info, const SListing&, uint8_t verbose, TPointer& slot) const
    {
        info.AddArgument(Name.c_str(), &this->Fill(slot), 0);
        if (verbose == 1)
            info.AddArgument(PlaybackName.c_str(), &slot, 1);
    }
};

template <FixedString Name, Role R>
using Obj = Arg<Name, TGLuint, R>;

template <class Holder>
struct Ret : TScalarItem<Holder>, TItem<"return", ItemKind::Return, Role::None, Holder>
{
    void List(CCallInfo& info, const SListing&, uint8_t, Holder& slot) const { info.SetReturnValue(&this->Fill(slot)); }
};

template <class Data>
struct RetBlock : TItem<"return", ItemKind::Return>
{
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo& info, const SListing&, uint8_t, SNoHolder&) { info.SetReturnValue(&value); }
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
inline SApiTypeBase* ListedOf(CCallInfo& info, const SNameText& name)
{
    SString& view = info.Make<SString>();
    view.pointer = name.pointer;
    view.length = name.length;
    view.text.Borrow(name.Text());
    return &view;
}

template <FixedString Name, class Data, Role R = Role::None>
struct DataOrPointer : TItem<Name, ItemKind::Argument, R>
{
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
        return t.IsDataIncluded() ? ListedOf(info, data) : info.MakeHolder<TPointer>(data.pointer.value);
    }
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        info.AddArgument(Name.c_str(), Listed(info, t), 0);
    }
};

template <FixedString DataName, FixedString PointerName, class Data>
struct DataForm : DataOrPointer<DataName, Data>
{
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        info.AddArgument(t.IsDataIncluded() ? DataName.c_str() : PointerName.c_str(), this->Listed(info, t), 0);
    }
};

template <FixedString Name, class Data>
struct DataOrHandle : TItem<Name, ItemKind::Argument>
{
    Data data;              // filled when the trace carries data
    SPointerValue pointer;  // filled when it does not

    void Read(CTrace& t)
    {
        if (t.IsDataIncluded())
            t >> data;
        else
            t >> pointer;
    }
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        info.AddArgument(Name.c_str(),
                         t.IsDataIncluded() ? static_cast<SApiTypeBase*>(&data) : info.MakeHolder<TPointer>(pointer.value),
                         0);
    }
};

template <FixedString Name, class Data>
struct DataOnly : TItem<Name, ItemKind::Extra>
{
    Data value;

    void Read(CTrace& t)
    {
        if (t.IsDataIncluded())
            t >> value;
    }
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        if (t.IsDataIncluded())
            info.AddArgument(Name.c_str(), &value, 0);
    }
};

template <FixedString Name, class Data>
struct Block : TItem<Name, ItemKind::Argument>
{
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo& info, const SListing&, uint8_t, SNoHolder&) { info.AddArgument(Name.c_str(), ListedOf(info, value), 0); }
};

template <FixedString Name, class Data>
struct UnlistedBlock : TItem<Name, ItemKind::Extra>
{
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo&, const SListing&, uint8_t, SNoHolder&) {}
};

template <FixedString Name, class Holder>
struct VerboseExtra : TScalarItem<Holder>, TItem<Name, ItemKind::Extra, Role::None, Holder>
{
    void List(CCallInfo& info, const SListing&, uint8_t verbose, Holder& slot) const
    {
        if (verbose == 1)
            info.AddArgument(Name.c_str(), &this->Fill(slot), 1);
    }
};

template <FixedString Name, class Holder>
struct Unlisted : TScalarItem<Holder>, TItem<Name, ItemKind::Extra>
{
    void List(CCallInfo&, const SListing&, uint8_t, SNoHolder&) const {}
};

// Passes a listing on with every argument's hidden flag replaced.
class CHiddenAs : public CCallInfo
{
public:
    CHiddenAs(CCallInfo& to, uint8_t hidden) : m_to(to), m_hidden(hidden) {}
    void Clear() override { m_to.Clear(); }
    void SetCall(CApiCall* call) override { m_to.SetCall(call); }
    void SetApi(const char* tag) override { m_to.SetApi(tag); }
    using CCallInfo::SetError;
    void SetError(SApiTypeBase* error) override { m_to.SetError(error); }
    void AddArgument(const char* name, SApiTypeBase* value, uint8_t) override { m_to.AddArgument(name, value, m_hidden); }
    void SetReturnValue(SApiTypeBase* value) override { m_to.SetReturnValue(value); }
    void Keep(std::unique_ptr<SKeptHolders> holders) override { m_to.Keep(std::move(holders)); }

private:
    CCallInfo& m_to;
    uint8_t m_hidden;
};

template <class Item, bool Hidden>
struct Verbose : TItem<Item::kName, ItemKind::Extra, Item::kRole, typename Item::ListedHolder>
{
    using typename TItem<Item::kName, ItemKind::Extra, Item::kRole, typename Item::ListedHolder>::ListedHolder;
    Item item;

    void Read(CTrace& t) { item.Read(t); }
    void List(CCallInfo& info, const SListing& t, uint8_t verbose, ListedHolder& slot)
    {
        if (verbose != 1)
            return;
        CHiddenAs listing(info, Hidden ? verbose : 0);
        item.List(listing, t, verbose, slot);
    }
};

template <FixedString Key, class Item>
struct Keyed : Item
{
    static constexpr auto kName = Key;
};

// Read and listed as the item itself: the players check the recorded array against the length the
// row says sets it, rather than guessing it from item names.
template <FixedString Size, class Item>
struct SizedBy : Item
{
    static constexpr auto kSizedBy = Size;
};

} // namespace xqft
