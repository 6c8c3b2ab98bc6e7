#pragma once
// The compile-time check of the places the field rows give their parts (Es1Fields.def,
// Es2Fields.def): within each listing line, each page group and the probe, the `order` numbers are
// 1 to n, each once. A row that takes a number another part holds, or leaves one out, does not
// build (a static_assert in the family's field table says which). Each reader sorts its parts by
// these numbers, so without the check a duplicate would order two parts by their rows and a gap
// would go unseen.
//
// Use: include FieldOrderParts.h, then the rows, inside an array of SFieldOrder, and
// static_assert(FirstMisplacedOrder(array) == -1): the compiler shows the index of the first
// misplaced part in the expansion (the parts in row order) when it is not.
#include <cstddef>
#include <span>
#include <string_view>

enum class EFieldPart : unsigned char
{
    Text,   // a fragment of a listing line
    Page,   // a page row
    Query,  // a probe query
};

struct SFieldOrder
{
    EFieldPart part;
    std::string_view place;  // the listing line or page group (empty for the probe)
    int order;
};

// The first entry whose place repeats the number of another part of its place, or whose place does
// not hold every number from 1 to its count; -1 when every place is numbered 1 to n.
consteval int FirstMisplacedOrder(std::span<const SFieldOrder> orders)
{
    for (size_t i = 0; i < orders.size(); ++i) {
        const SFieldOrder& a = orders[i];
        int count = 0;
        for (const SFieldOrder& b : orders)
            count += b.part == a.part && b.place == a.place;
        if (a.order < 1 || a.order > count)
            return int(i);
        for (size_t j = 0; j < i; ++j)
            if (orders[j].part == a.part && orders[j].place == a.place && orders[j].order == a.order)
                return int(i);
    }
    return -1;
}
