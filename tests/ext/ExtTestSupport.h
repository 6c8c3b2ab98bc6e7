#pragma once
// What the extension record tests share.
#include "CallQueries.h"

#include <gtest/gtest.h>

#include <string_view>

namespace exttest {

// The id of an extension function by its name; a name the table lacks fails the test.
inline uint16_t Id(const char* function)
{
    for (const SCallRow& row : callrows::kExt)
        if (std::string_view(row.function) == function)
            return row.id;
    ADD_FAILURE() << function;
    return 0;
}

} // namespace exttest
