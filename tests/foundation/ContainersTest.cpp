#include "XQFTArray.h"
#include "XQFTMap.h"
#include "XQFTString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Stands in for a block that deep-copies its bytes on assignment.
struct Block
{
    Block() = default;
    Block(const Block& o) { *this = o; }
    Block& operator=(const Block& o)
    {
        if (this != &o)
            bytes = o.bytes;
        return *this;
    }
    std::vector<unsigned char> bytes;
};

CXQFTArray<CXQFTString> Strings(std::initializer_list<const char*> items)
{
    CXQFTArray<CXQFTString> a;
    for (const char* s : items)
        a.Append(CXQFTString(s));
    return a;
}

} // namespace

TEST(Array, Growth)
{
    CXQFTArray<unsigned int> a;
    EXPECT_EQ(a.size, 0u);
    EXPECT_EQ(a.capacity, 16u);
    for (unsigned i = 0; i < 17; ++i)
        ASSERT_EQ(a.Append(i), 0);
    EXPECT_EQ(a.capacity, 32u);
    for (unsigned i = 0; i < 17; ++i)
        EXPECT_EQ(a[i], i);

    struct Case { uint32_t request, want; } cases[] = {{100, 100}, {40, 64}, {10, 32}};
    for (const auto& c : cases) {
        CXQFTArray<int> b;
        b.SetCapacity(32);
        ASSERT_EQ(b.capacity, 32u);
        EXPECT_EQ(b.SetCapacity(c.request), 0);
        EXPECT_EQ(b.capacity, c.want) << c.request;
    }
}

TEST(Array, GrowthCopiesStringsIndependently)
{
    CXQFTArray<CXQFTString> a;
    for (int i = 0; i < 20; ++i)
        a.Append(StringFromFormat("item%d", i));
    EXPECT_EQ(a.capacity, 32u);
    a[3].Append("!");
    EXPECT_STREQ(a[3].CStr(), "item3!");
    EXPECT_STREQ(a[19].CStr(), "item19");
}

TEST(Array, Remove)
{
    CXQFTArray<CXQFTString> empty;
    EXPECT_EQ(empty.Remove(0), 1);
    EXPECT_EQ(empty.RemoveLast(), 1);
    EXPECT_EQ(empty.size, 0u);

    auto a = Strings({"a", "b", "c"});
    EXPECT_EQ(a.Remove(1), 0);
    ASSERT_EQ(a.size, 2u);
    EXPECT_STREQ(a[0].CStr(), "a");
    EXPECT_STREQ(a[1].CStr(), "c");
    EXPECT_STREQ(a[2].CStr(), "c"); // the old last place keeps its copy

    auto b = Strings({"a", "b", "c"});
    EXPECT_EQ(b.Remove(2), 0);
    ASSERT_EQ(b.size, 2u);
    EXPECT_STREQ(b[1].CStr(), "b");
    EXPECT_EQ(b.Remove(5), 1); // out of range is refused
    EXPECT_EQ(b.size, 2u);
}

TEST(Array, CopyKeepsCapacityAndDeepCopies)
{
    CXQFTArray<Block> a;
    a.SetCapacity(40);
    for (int i = 0; i < 3; ++i) {
        Block blk;
        blk.bytes.assign(4, static_cast<unsigned char>(i));
        a.Append(blk);
    }
    ASSERT_EQ(a.capacity, 40u);
    {
        CXQFTArray<Block> copy(a);
        EXPECT_EQ(copy.capacity, 40u);
        EXPECT_EQ(copy.size, 3u);
        copy[1].bytes[0] = 99;
        CXQFTArray<Block> other;
        other.CopyFrom(a);
        EXPECT_EQ(other.capacity, 40u);
        EXPECT_EQ(other.size, 3u);
    }
    EXPECT_EQ(a[1].bytes[0], 1);
}

TEST(Map, NestedCopy)
{
    using Inner = CXQFTMap<unsigned int, Block>;
    CXQFTMap<unsigned int, Inner> outer;
    Inner inner;
    Block blk;
    blk.bytes = {1, 2, 3};
    inner.keys.Append(7);
    inner.values.Append(blk);
    inner.size = 1;
    outer.keys.Append(0x50565200);
    outer.values.Append(inner);
    outer.size = 1;

    auto* copy = new CXQFTMap<unsigned int, Inner>(outer);
    EXPECT_EQ(copy->size, 1u);
    EXPECT_EQ(copy->keys[0], 0x50565200u);
    EXPECT_EQ(copy->values[0].keys[0], 7u);
    copy->values[0].values[0].bytes[0] = 42;
    delete copy;
    EXPECT_EQ(outer.values[0].values[0].bytes[0], 1);
    EXPECT_EQ(outer.values.capacity, 16u);
}
