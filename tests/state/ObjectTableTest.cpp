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

// Random find-or-add, add and erase against a plain model of the table (a list searched from the
// front, erase moving the last entry into the hole): order, Find and records must agree at every
// size, across the switch to the key index and back below it, with keys that collide in the index.
TEST(ObjectTable, KeyIndexAgreesWithALinearModel)
{
    for (const bool repeatKeys : {false, true}) {
        SCOPED_TRACE(repeatKeys ? "with repeated adds" : "unique keys");
        CHandleTable<SNamed> t;
        std::vector<std::pair<uint64_t, int>> model;
        auto modelFind = [&](uint64_t k) {
            for (size_t i = 0; i < model.size(); ++i)
                if (model[i].first == k)
                    return int32_t(i);
            return int32_t(model.size());
        };
        uint64_t seed = 12345;
        auto next = [&] { return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 33; };
        for (int step = 0; step < 20000; ++step) {
            // Keys spaced by 2^32 share their low bits, so they land in the same index buckets.
            const uint64_t key = (next() % 700) << (step % 3 == 0 ? 32 : 0);
            const int value = int(next() % 1000);
            const uint64_t op = next() % 10;
            if (op < 5) {
                t[key].value = value;
                const int32_t i = modelFind(key);
                if (i == int32_t(model.size()))
                    model.push_back({key, value});
                else
                    model[size_t(i)].second = value;
            } else if (op < 6 && repeatKeys) {
                t.Add(key)->value = value;
                model.push_back({key, value});
            } else {
                const int32_t i = modelFind(key);
                ASSERT_EQ(t.Erase(key), i < int32_t(model.size()));
                if (i < int32_t(model.size())) {
                    model[size_t(i)] = model.back();
                    model.pop_back();
                }
            }
            ASSERT_EQ(t.Count(), int32_t(model.size()));
            ASSERT_EQ(t.Find(key), modelFind(key)) << step;
            if (step % 997 == 0) {
                for (size_t i = 0; i < model.size(); ++i) {
                    ASSERT_EQ(t.KeyAt(int32_t(i)), model[i].first);
                    ASSERT_EQ(t.At(int32_t(i)).value, model[i].second);
                    ASSERT_EQ(t.Find(model[i].first), modelFind(model[i].first));
                }
            }
        }
    }
}

// A copy shares the entries until either side changes: every kind of change on the original
// (find-or-add, add, erase, reset, writes through Get, At and iteration, nested tables) leaves
// the copy as it was taken, and the other way round.
TEST(ObjectTable, CopiesStayAsTakenWhicheverSideChanges)
{
    using CNested = CObjectTable<CObjectTable<SNamed>>;
    CNested original;
    for (uint32_t k = 1; k <= 40; ++k)
        original[k][k].value = int(k);
    const CNested copy = original;
    CNested other = copy;

    original[1][1].value = -1;
    original[2][99].value = -2;
    original.Get(3)->Get(3)->value = -3;
    original.At(3)[4].value = -4;
    for (auto& e : original)
        if (e.key == 5)
            e.record.Erase(5);
    original.Erase(6);
    original.Add(41);
    original[7].Reset();
    other[8][8].value = -8;

    for (uint32_t k = 1; k <= 40; ++k) {
        ASSERT_EQ(copy.Get(k)->Count(), 1) << k;
        EXPECT_EQ(copy.Get(k)->Get(k)->value, int(k)) << k;
    }
    EXPECT_EQ(copy.Count(), 40);
    EXPECT_EQ(original.Get(1)->Get(1)->value, -1);
    EXPECT_EQ(original.Get(4)->Get(4)->value, -4);
    EXPECT_FALSE(original.Contains(6));
    EXPECT_TRUE(original.Get(7)->IsEmpty());
    EXPECT_EQ(original.Get(8)->Get(8)->value, 8);
    EXPECT_EQ(other.Get(8)->Get(8)->value, -8);
    EXPECT_EQ(other.Get(1)->Get(1)->value, 1);

    // Writable iterators of a shared table walk one slot array whichever end is asked first.
    CNested shared = copy;
    const auto end = shared.end();
    int walked = 0;
    for (auto it = shared.begin(); it != end; ++it)
        it->record[1000].value = ++walked;
    EXPECT_EQ(walked, 40);
    EXPECT_FALSE(copy.Get(1)->Contains(1000));
}
