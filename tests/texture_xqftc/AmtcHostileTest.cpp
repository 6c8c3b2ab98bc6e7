// The amtc compressor's stages under failures and on the smallest grids, also run under ASan/UBSan:
// memory that runs out at any allocation fails the level and frees everything; a thread the system
// refuses changes nothing; one-block grids, noise and extreme colours run through set-up and a pass.
#include "AmtcTestSupport.h"
#include "XQFTextureScratch.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace amtctest;

std::atomic<int> g_allocationsLeft{-1}; // the allocation that fails when this reaches 0; -1: none

bool CountedAllocation(u64)
{
    return g_allocationsLeft.fetch_sub(1) != 0;
}

struct SFailAllocation {
    explicit SFailAllocation(int n)
    {
        g_allocationsLeft = n;
        SetScratchAllocHook(CountedAllocation);
    }
    ~SFailAllocation()
    {
        SetScratchAllocHook(nullptr);
        g_allocationsLeft = -1;
    }
};

SImage Noise(u32 w, u32 h, u32 seed)
{
    SImage image(w, h);
    std::mt19937 rng(seed);
    image.Fill([&](u32, u32) { return SRgba{{u8(rng()), u8(rng()), u8(rng()), u8(rng() % 3 == 0 ? 0 : 255)}}; });
    return image;
}

// Set-up and one pass; false when any stage failed.
bool RunFirstPass(CAmtcLevel& level, const SImage& image, u32 mode, bool second)
{
    if (!level.Init(image.View(), 4, mode, second))
        return false;
    SetFirstPassParams(level.Params());
    u32 counter = 1;
    return RunSetUpSweep(level, 0) && RunSetUpSweep(level, 1) && RunOptimisationPass(level, counter);
}

// Every allocation of the level and its sweeps, made to fail one at a time: the level reports the
// failure and the process goes on (the sanitizer build checks that nothing leaks). Running out of
// allocations to fail ends the loop.
TEST(AmtcHostile, EveryAllocationFailureFailsTheLevel)
{
    const SImage image = Noise(32, 24, 1);
    for (int n = 0;; ++n) {
        SFailAllocation fail(n);
        CAmtcLevel level;
        const bool done = RunFirstPass(level, image, 4, true);
        if (g_allocationsLeft.load() >= 0) {
            EXPECT_TRUE(done) << "no allocation failed, yet the level failed";
            break;
        }
        EXPECT_FALSE(done) << "allocation " << n << " failed unnoticed";
        ASSERT_LT(n, 1000);
    }
}

bool RefuseEveryThread(u32) { return false; }

TEST(AmtcHostile, RefusedThreadsGiveTheSameRecords)
{
    const SImage image = Noise(64, 48, 2);
    CAmtcLevel reference, refused;
    ASSERT_TRUE(RunFirstPass(reference, image, 2, false));
    SetThreadLimit(8);
    SetThreadStartHook(RefuseEveryThread);
    const bool done = RunFirstPass(refused, image, 2, false);
    SetThreadStartHook(nullptr);
    SetThreadLimit(0);
    ASSERT_TRUE(done);
    EXPECT_TRUE(SameRecords(reference, refused));
}

TEST(AmtcHostile, SmallestGridsAndExtremeContentRunThrough)
{
    struct {
        u32 width, height, mode;
    } sizes[] = {{4, 4, 4}, {8, 4, 2}, {4, 20, 4}, {40, 4, 2}, {8, 8, 4}, {16, 12, 2}};
    const std::vector<std::pair<const char*, SRgba (*)(u32, u32)>> contents = {
        {"checker 0/255", [](u32 x, u32 y) { return (x + y) % 2 ? SRgba{{255, 255, 255, 255}} : SRgba{{0, 0, 0, 0}}; }},
        {"alpha 0 with colour", [](u32 x, u32) { return SRgba{{255, u8(x * 30), 0, 0}}; }},
        {"one colour", [](u32, u32) { return SRgba{{255, 255, 255, 255}}; }},
    };
    for (auto& s : sizes)
        for (const bool second : {false, true}) {
            for (const auto& [name, colour] : contents) {
                SCOPED_TRACE(std::string(name) + " " + std::to_string(s.width) + "x" + std::to_string(s.height));
                SImage image(s.width, s.height);
                image.Fill(colour);
                CAmtcLevel level;
                ASSERT_TRUE(RunFirstPass(level, image, s.mode, second));
                // A second pass with the extended candidates and more iterations.
                SetPassParams(level.Params(), 2, 3, 8);
                u32 counter = 10;
                ASSERT_TRUE(RunOptimisationPass(level, counter));
            }
            CAmtcLevel level;
            ASSERT_TRUE(RunFirstPass(level, Noise(s.width, s.height, s.width), s.mode, second));
        }
}

} // namespace
