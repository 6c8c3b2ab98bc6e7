#pragma once
// Row items that only EGL records need, beside those of record/Record.h:
//   DataForm<dataName, pointerName, Data>  a pointer argument listed under another name when the
//                                          trace carries no data (eglCreateContext's list)
//   DataOnly<name, Data>                   a block present only when the trace carries data
//   Verbose<Item, hidden>                  an item listed only in the verbose listing, with the
//                                          hidden flag set when `hidden`
#include "record/Record.h"

namespace xqft {

template <FixedString DataName, FixedString PointerName, class Data>
struct DataForm : DataOrPointer<DataName, Data>
{
    const char* ListedName(const CTrace& t) const { return t.IsDataIncluded() ? DataName.c_str() : PointerName.c_str(); }
    void List(CCallInfo& info, const CTrace& t, uint8_t)
    {
        info.AddArgument(ListedName(t), const_cast<SApiTypeBase*>(this->Listed(t)), 0);
    }
};

template <FixedString Name, class Data>
struct DataOnly
{
    static constexpr auto kName = Name;
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Extra;
    Data value;

    void Read(CTrace& t)
    {
        if (t.IsDataIncluded())
            t >> value;
    }
    const SApiTypeBase* Listed(const CTrace& t) const { return t.IsDataIncluded() ? &value : nullptr; }
    void List(CCallInfo& info, const CTrace& t, uint8_t)
    {
        if (t.IsDataIncluded())
            info.AddArgument(Name.c_str(), &value, 0);
    }
};

template <class Item, bool Hidden>
struct Verbose
{
    static constexpr auto kName = Item::kName;
    static constexpr Role kRole = Item::kRole;
    static constexpr ItemKind kKind = ItemKind::Extra;
    Item item;

    void Read(CTrace& t) { item.Read(t); }
    const SApiTypeBase* Listed(const CTrace& t) const { return item.Listed(t); }
    void List(CCallInfo& info, const CTrace& t, uint8_t verbose)
    {
        if (verbose != 1)
            return;
        const SApiTypeBase* listed = item.Listed(t);
        if (!listed)
            return;
        const char* name = kName.c_str();
        if constexpr (requires { item.ListedName(t); })
            name = item.ListedName(t);
        info.AddArgument(name, const_cast<SApiTypeBase*>(listed), Hidden ? verbose : 0);
    }
};

}  // namespace xqft
