// Growth, lookup, removal and deep copy of the keyed tables every state record is built on.
#include <gtest/gtest.h>

#include "state/ObjectTable.h"

namespace {
struct SNamed
{
    int value = 7;  // a fresh record must come out in its initial state
};

template <class Table>
std::vector<uint64_t> Keys(const Table& t)
{
    std::vector<uint64_t> keys;
    for (const auto& e : t)
        keys.push_back(e.key);
    return keys;
}
}  // namespace

TEST(ObjectTable, EleventhAddDoublesCapacityAndKeepsIndexes)
{
    CObjectTable<SNamed> t;
    EXPECT_EQ(t.Capacity(), 10);
    for (uint32_t k = 0; k < 11; ++k)
        t.Add(100 + k)->value = int(k);
    EXPECT_EQ(t.Capacity(), 20);
    ASSERT_EQ(t.Count(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(t.KeyAt(i), 100u + i);
        EXPECT_EQ(t.At(i).value, i);
    }
    // A copy keeps the capacity and the order.
    CObjectTable<SNamed> copy;
    copy = t;
    EXPECT_EQ(copy.Capacity(), 20);
    EXPECT_EQ(Keys(copy), Keys(t));
    EXPECT_EQ(copy.Get(110)->value, 10);
}

TEST(ObjectTable, FreshRecordsAndFindOrAdd)
{
    CHandleTable<SNamed> t;
    EXPECT_EQ(t.Find(0x1'0000'0000ull), 0);  // missing key: Count()
    t[0x1'0000'0000ull].value = 3;            // 64-bit keys are not cut to 32
    EXPECT_EQ(t.Get(0), nullptr);
    EXPECT_EQ(t[0].value, 7);
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(t[0x1'0000'0000ull].value, 3);
    EXPECT_EQ(t.Count(), 2);
}

TEST(ObjectTable, DuplicateAddsAndTheirCopy)
{
    CObjectTable<SNamed> t;
    t.Add(5)->value = 1;
    t.Add(6)->value = 2;
    t.Add(5)->value = 3;
    EXPECT_EQ(t.Count(), 3);
    EXPECT_EQ(t.Find(5), 0);
    CObjectTable<SNamed> copy(t);
    EXPECT_EQ(Keys(copy), (std::vector<uint64_t>{5, 6}));
    EXPECT_EQ(copy.Get(5)->value, 3);  // the later record wins
}

TEST(ObjectTable, EraseMovesTheLastEntryIntoTheHole)
{
    CHandleTable<SNamed> t;
    for (uint64_t k : {0xA, 0xB, 0xC})
        t.Add(k)->value = int(k);
    EXPECT_FALSE(t.Erase(0x99));
    EXPECT_EQ(t.Count(), 3);
    EXPECT_TRUE(t.Erase(0xA));
    EXPECT_EQ(Keys(t), (std::vector<uint64_t>{0xC, 0xB}));
    EXPECT_EQ(t.At(0).value, 0xC);
    EXPECT_TRUE(t.Remove(0xC));
    EXPECT_EQ(Keys(t), (std::vector<uint64_t>{0xB}));
    EXPECT_TRUE(t.Erase(0xB));
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_FALSE(t.Erase(0xB));
}

TEST(ObjectTable, ResetKeepsCapacityClearReleasesAll)
{
    CHandleTable<SNamed> t;
    for (uint64_t k = 0; k < 25; ++k)
        t.Add(k);
    EXPECT_EQ(t.Capacity(), 40);
    t.Reset();
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Capacity(), 40);
    t.Add(1);
    t.Clear();
    EXPECT_EQ(t.Capacity(), 0);
    t.Add(2);  // usable again after a clear
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.Capacity(), 10);
}

TEST(ObjectTable, NestedTablesCopyDeepAndSelfAssignmentKeepsAll)
{
    CObjectTable<CObjectTable<SNamed>> t;
    t[1][10].value = 11;
    t[1][20].value = 12;
    t[2][10].value = 21;
    CObjectTable<CObjectTable<SNamed>> copy;
    copy[9][9].value = 99;  // replaced entirely by the assignment
    copy = t;
    t[1][10].value = -1;
    t.Erase(2);
    EXPECT_EQ(Keys(copy), (std::vector<uint64_t>{1, 2}));
    EXPECT_EQ(copy[1][10].value, 11);
    EXPECT_EQ(copy[2][10].value, 21);
    auto& self = copy;
    copy = self;
    EXPECT_EQ(copy[1][20].value, 12);
    EXPECT_EQ(copy.Count(), 2);
}
