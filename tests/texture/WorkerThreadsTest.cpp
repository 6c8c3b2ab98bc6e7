// The library's worker threads and scratch memory: every item runs once under any thread limit,
// refused thread starts leave the work to the calling thread, a failing item stops the hand-out,
// and scratch allocations report failure instead of throwing.
#include "XQFTextureScratch.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace xqftexture;

namespace {

// Restores the default limit and removes the hooks after each test.
class WorkerThreads : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetThreadLimit(0);
        SetThreadStartHook(nullptr);
        SetScratchAllocHook(nullptr);
    }
};

struct SRunRecord {
    std::vector<std::atomic<u32>> runs;
    std::mutex lock;
    std::set<std::thread::id> threads;
    std::set<u32> slots;
    explicit SRunRecord(u32 count) : runs(count) {}
    bool Note(u32 item, u32 slot)
    {
        runs[item]++;
        std::lock_guard<std::mutex> hold(lock);
        threads.insert(std::this_thread::get_id());
        slots.insert(slot);
        return true;
    }
};

TEST_F(WorkerThreads, EveryItemRunsOnceUnderEveryLimit)
{
    for (u32 limit : {1u, 2u, 8u, 0u})
        for (u32 count : {0u, 1u, 3u, 7u, 1000u}) {
            SetThreadLimit(limit);
            SRunRecord record(count);
            ASSERT_TRUE(RunWorkers(count, [&](u32 item, u32 slot) { return record.Note(item, slot); }));
            for (u32 i = 0; i < count; ++i)
                ASSERT_EQ(record.runs[i].load(), 1u) << "limit " << limit << " count " << count << " item " << i;
            EXPECT_LE(record.threads.size(), WorkerSlots(count));
            for (u32 slot : record.slots)
                EXPECT_LT(slot, WorkerSlots(count));
        }
}

TEST_F(WorkerThreads, LimitOneAndRefusedStartsRunOnTheCallingThread)
{
    auto onlyCaller = [](const char* what) {
        SRunRecord record(64);
        ASSERT_TRUE(RunWorkers(64, [&](u32 item, u32 slot) { return record.Note(item, slot); })) << what;
        EXPECT_EQ(record.threads, std::set<std::thread::id>{std::this_thread::get_id()}) << what;
        EXPECT_EQ(record.slots, std::set<u32>{0}) << what;
        for (auto& runs : record.runs)
            EXPECT_EQ(runs.load(), 1u) << what;
    };
    SetThreadLimit(1);
    onlyCaller("limit 1");
    SetThreadLimit(8);
    SetThreadStartHook([](u32) { return false; });
    onlyCaller("every start refused");

    // Some starts refused: the slots that run share every item.
    SetThreadStartHook([](u32 slot) { return slot % 2 == 0; });
    SRunRecord record(500);
    ASSERT_TRUE(RunWorkers(500, [&](u32 item, u32 slot) { return record.Note(item, slot); }));
    for (auto& runs : record.runs)
        EXPECT_EQ(runs.load(), 1u);
    for (u32 slot : record.slots)
        EXPECT_EQ(slot % 2, 0u);
}

TEST_F(WorkerThreads, AFailingItemStopsTheHandOut)
{
    SetThreadLimit(1); // in order on the calling thread: nothing after the failure runs
    std::vector<u32> ran;
    EXPECT_FALSE(RunWorkers(10, [&](u32 item, u32) {
        ran.push_back(item);
        return item != 3;
    }));
    EXPECT_EQ(ran, (std::vector<u32>{0, 1, 2, 3}));

    // The other items take a millisecond each, so that the other threads would need many seconds
    // to hand out every item however long a loaded machine holds up the failing one.
    for (u32 limit : {1u, 8u}) {
        SetThreadLimit(limit);
        std::atomic<u32> started{0};
        EXPECT_FALSE(RunWorkers(100000, [&](u32 item, u32) {
            ++started;
            if (item == 5)
                throw std::runtime_error("thrown by a task");
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        })) << limit;
        EXPECT_LT(started.load(), 100000u) << limit;
    }
}

// A team serves the runs of the thread that made it with the same threads; runs from inside an item,
// a failing item and refused starts behave as without a team.
TEST_F(WorkerThreads, ATeamServesSuccessiveAndNestedRuns)
{
    SetThreadLimit(4);
    {
        const CWorkerTeam team;
        const CWorkerTeam inner; // leaves the runs to the outer team
        std::set<std::thread::id> seen;
        for (u32 run = 0; run < 20; ++run) {
            SRunRecord record(run == 0 ? 1 : 300);
            ASSERT_TRUE(RunWorkers(u32(record.runs.size()), [&](u32 item, u32 slot) {
                if (item == 7) { // a nested run, from whichever thread holds the item
                    EXPECT_TRUE(RunWorkers(50, [](u32, u32) { return true; }));
                }
                return record.Note(item, slot);
            }));
            for (auto& runs : record.runs)
                ASSERT_EQ(runs.load(), 1u) << "run " << run;
            for (u32 slot : record.slots)
                EXPECT_LT(slot, 4u);
            seen.insert(record.threads.begin(), record.threads.end());
        }
        EXPECT_LE(seen.size(), 4u) << "threads started again for later runs";
        SRunRecord capped(200);
        ASSERT_TRUE(RunWorkers(200, [&](u32 item, u32 slot) { return capped.Note(item, slot); }, 2));
        for (u32 slot : capped.slots)
            EXPECT_LT(slot, 2u);
        std::atomic<u32> started{0};
        EXPECT_FALSE(RunWorkers(100000, [&](u32 item, u32) {
            ++started;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return item != 5;
        }));
        EXPECT_LT(started.load(), 100000u);
    }
    SetThreadStartHook([](u32) { return false; });
    const CWorkerTeam refused;
    SRunRecord record(64);
    ASSERT_TRUE(RunWorkers(64, [&](u32 item, u32 slot) { return record.Note(item, slot); }));
    EXPECT_EQ(record.threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

TEST_F(WorkerThreads, LimitSettings)
{
    SetThreadLimit(0);
    EXPECT_EQ(GetThreadLimit(), std::min(std::max(1u, std::thread::hardware_concurrency()), kMaxThreadLimit));
    SetThreadLimit(3);
    EXPECT_EQ(GetThreadLimit(), 3u);
    EXPECT_EQ(WorkerSlots(2), 2u);
    EXPECT_EQ(WorkerSlots(0), 1u);
    SetThreadLimit(100000);
    EXPECT_EQ(GetThreadLimit(), kMaxThreadLimit);

    // A caller's slot cap holds whatever the limit: scratch sized for 2 slots sees slots 0 and 1 only.
    SetThreadLimit(8);
    SRunRecord record(200);
    ASSERT_TRUE(RunWorkers(200, [&](u32 item, u32 slot) { return record.Note(item, slot); }, 2));
    for (u32 slot : record.slots)
        EXPECT_LT(slot, 2u);
}

TEST_F(WorkerThreads, ScratchReportsFailureAsNull)
{
    TScratch<u32> small = MakeScratch<u32>(1000);
    ASSERT_TRUE(small);
    small[999] = 7; // writable to its end (ASan checks)
    EXPECT_TRUE(MakeScratch<u8>(0));
    EXPECT_FALSE(MakeScratch<u64>(~u64(0) / 4)); // the byte count overflows
    EXPECT_EQ(AllocateScratch(~u64(0) - 10), nullptr);

    static std::atomic<u32> refused;
    refused = 0; // the hook is a plain function: the count lives across repeated runs
    SetScratchAllocHook([](u64 bytes) {
        if (bytes == 4096)
            return ++refused, false;
        return true;
    });
    EXPECT_FALSE(MakeScratch<u8>(4096));
    EXPECT_TRUE(MakeScratch<u8>(4095));
    EXPECT_EQ(refused.load(), 1u);
}

} // namespace
