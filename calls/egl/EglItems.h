#pragma once
// Row items that only EGL records need, beside those of record/Record.h:
//   DataForm<dataName, pointerName, Data>  a pointer argument listed under another name when the
//                                          trace carries no data (eglCreateContext's list)
//   DataOrHandle<name, Data>               a pointer argument whose data holder has no pointer
//                                          member (native window and pixmap descriptions, a
//                                          pixmap handle): without data the bare pointer value
//   DataOnly<name, Data>                   a block present only when the trace carries data
//   UnlistedBlock<name, Data>              a block read whatever the data flag and never listed
//   Verbose<Item, hidden>                  an item listed only in the verbose listing, with the
//                                          hidden flag set when `hidden`
#include "record/Record.h"

namespace xqft {

template <FixedString DataName, FixedString PointerName, class Data>
struct DataForm : DataOrPointer<DataName, Data>
{
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        info.AddArgument(t.IsDataIncluded() ? DataName.c_str() : PointerName.c_str(),
                         this->Listed(info, t), 0);
    }
};

template <FixedString Name, class Data>
struct DataOrHandle
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Argument;
    using ListedHolder = SNoHolder;
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
struct DataOnly
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Extra;
    using ListedHolder = SNoHolder;
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
struct UnlistedBlock
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Extra;
    using ListedHolder = SNoHolder;
    Data value;

    void Read(CTrace& t) { t >> value; }
    void List(CCallInfo&, const SListing&, uint8_t, SNoHolder&) {}
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
struct Verbose
{
    static constexpr auto kName = Item::kName;
    static constexpr Role kRole = Item::kRole;
    static constexpr ItemKind kKind = ItemKind::Extra;
    using ListedHolder = typename Item::ListedHolder;
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

}  // namespace xqft
