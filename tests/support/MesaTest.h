#pragma once
// The frame of a table-driven comparison with Mesa: a parameterised test that skips when no Mesa
// context can be made, and gtest names for its rows made from each row's name.
#include "MesaTexture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace xqft::test {

template <class Row>
class CMesaRowTest : public ::testing::TestWithParam<Row>
{
protected:
    void SetUp() override
    {
        if (!Mesa().Available())
            GTEST_SKIP() << "no Mesa context: " << Mesa().Reason();
    }
    static CMesaTexture& Mesa() { return CMesaTexture::Instance(); }
};

// The row's name with every character gtest does not take in a test name turned into '_'.
struct SRowName
{
    template <class Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    }
};

} // namespace xqft::test
