#pragma once
// What a table row promises its description lists: the argument names its items add, in order,
// plain or verbose, and what a call's description actually lists. The factory tests of the
// families compare the two for every row (the players read arguments by position), and check what
// each row's call says of itself.
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "record/RecordItems.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

namespace rowlisting {

using namespace xqft;

// The names a row item adds to a description, in order. A family specialises it for item kinds
// of its own.
template <class Item>
struct TListed
{
    static void Add(std::vector<std::string>& names, bool, bool)
    {
        if constexpr (Item::kKind != ItemKind::Return)
            names.emplace_back(Item::kName.c_str());
    }
};
template <FixedString N, class H>
struct TListed<Unlisted<N, H>>
{
    static void Add(std::vector<std::string>&, bool, bool) {}
};
template <FixedString N, class H>
struct TListed<VerboseExtra<N, H>>
{
    static void Add(std::vector<std::string>& names, bool, bool verbose)
    {
        if (verbose)
            names.emplace_back(N.c_str());
    }
};
template <FixedString N, FixedString P>
struct TListed<PointerTwice<N, P>>
{
    static void Add(std::vector<std::string>& names, bool, bool verbose)
    {
        names.emplace_back(N.c_str());
        if (verbose)
            names.emplace_back(P.c_str());
    }
};

// The names a record's description lists, with or without data, plain or verbose.
template <class Record>
std::vector<std::string> RowNames(bool data, bool verbose)
{
    std::vector<std::string> names;
    [&]<class... Items>(std::tuple<Items...>*) {
        (TListed<Items>::Add(names, data, verbose), ...);
    }(static_cast<typename Record::ItemTuple*>(nullptr));
    return names;
}

// The argument names a call's description lists, and (when asked) which of them are hidden.
inline std::vector<std::string> Listed(CApiCall& call, uint8_t verbose, std::vector<bool>* hidden = nullptr)
{
    CGenCallInfo info;
    call.ListArguments(&info, verbose);
    std::vector<std::string> names;
    for (size_t i = 0; info.GetArguments() && i < info.GetArguments()->size(); ++i) {
        names.emplace_back(info.GetArgumentNames()[i].CStr());
        if (hidden)
            hidden->push_back(i >= info.GetVisibleArgumentCount());
    }
    return names;
}

// What a call made from a table row says of itself: the row's class, id, names and category, and
// the family's API kind.
template <class Row, class ApiKind>
void ExpectCallOfRow(CApiCall& call, const Row& row, ApiKind kind)
{
    EXPECT_EQ(typeid(call), *row.type);
    EXPECT_EQ(call.GetId(), row.id);
    EXPECT_EQ(call.GetCallId(), row.id);
    EXPECT_STREQ(call.GetName(), row.function);
    EXPECT_STREQ(call.GetCategory(), row.category);
    EXPECT_EQ(call.GetNameString(), CXQFTString(row.function));
    EXPECT_EQ(call.GetApiKind(), kind);
}

} // namespace rowlisting
