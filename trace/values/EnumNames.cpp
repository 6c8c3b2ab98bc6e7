// GL and EGL name lookup over the tables generated from enum_names.txt at build time.
#include "ApiValueFormat.h"

#include <algorithm>
#include <iterator>

namespace {

struct SEglRange
{
    uint32_t first;
    uint32_t last;
    const char* const* names; // indexed by value - first
};

#include "EnumTables.inc"

} // namespace

const char* GlEnumName(uint32_t value)
{
    const SEnumName* end = std::end(kGlEnumNames);
    const SEnumName* it = std::lower_bound(std::begin(kGlEnumNames), end, value,
                                           [](const SEnumName& e, uint32_t v) { return e.value < v; });
    return (it != end && it->value == value) ? it->name : nullptr;
}

const char* EglEnumName(uint64_t value)
{
    for (const SEglRange& range : kEglRanges)
        if (range.first <= value && value <= range.last)
            return range.names[value - range.first];
    return nullptr;
}

const SEnumName* GlEnumTable(int& count)
{
    count = static_cast<int>(std::size(kGlEnumNames));
    return kGlEnumNames;
}
