// The hashed string and the debug output channel.
#include "DebugOutput.h"
#include "XQFTStringHash.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringHash, Fnv1OfTheTextBytes)
{
    struct SRow { const char* text; size_t count; uint32_t hash; };
    const SRow rows[] = {
        {"", CXQFTString::npos, 0},           // empty is 0, not the offset basis
        {"a", CXQFTString::npos, 0x050C5D7Eu}, // FNV-1, not FNV-1a (0xE40C292C)
        {"foobar", CXQFTString::npos, 0x31F0B262u},
        {"\xff", CXQFTString::npos, 0x050C5DE0u}, // bytes are unsigned
        {"foobarbaz", 6, 0x31F0B262u},
        {"string", CXQFTString::npos, 0xF202D8CEu},
    };
    for (const SRow& row : rows) {
        CXQFTStringHash value(row.text, row.count);
        EXPECT_EQ(value.Hash, row.hash) << row.text;
        EXPECT_TRUE(value == row.hash);
        EXPECT_FALSE(value != row.hash);
    }
    EXPECT_EQ(CXQFTStringHash(nullptr).Hash, 0u);
    EXPECT_EQ(CXQFTStringHash(CXQFTString("foobar")).Hash, 0x31F0B262u);
}

TEST(StringHash, HashAndTextComparisonsDiffer)
{
    CXQFTStringHash a("key");
    CXQFTStringHash b("other");
    b.Hash = a.Hash; // a collision: the hash comparison cannot tell them apart, the text can
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == "key");
    EXPECT_FALSE(b == "key");
    EXPECT_FALSE(a == static_cast<const char*>(nullptr));

    b = "foobar";
    EXPECT_EQ(b.Hash, 0x31F0B262u) << "assigning a text rehashes";
    EXPECT_STREQ(b.CStr(), "foobar");
    CXQFTStringHash c;
    c = b;
    EXPECT_TRUE(c == "foobar");
    EXPECT_EQ(c.Hash, b.Hash);
}

TEST(DebugOutput, GoesToStandardErrorPrefixedAndCut)
{
    testing::internal::CaptureStderr();
    DebugOutputPrintf("value %d\n", 42);
    DebugOutputPrintf("%s", std::string(3000, 'x').c_str());
    std::string output = testing::internal::GetCapturedStderr();
    std::string prefix = kDebugOutputPrefix;
    EXPECT_EQ(output, prefix + "value 42\n" + prefix + std::string(1023, 'x'));
}

} // namespace
