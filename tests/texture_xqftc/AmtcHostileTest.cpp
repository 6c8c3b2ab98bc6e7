// The amtc compressor's stages under failures and on the smallest grids, also run under ASan/UBSan:
// memory that runs out at any allocation fails the level and frees everything; a thread the system
// refuses changes nothing; one-block grids, noise and extreme colours run through set-up and a pass.
#include "AmtcTestSupport.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
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

// Memory that runs out at any allocation of either compressor (on worker threads too) makes the
// entry return 0, never end the process; with enough memory it returns the size again.
TEST(AmtcHostile, EveryAllocationFailureOfTheEntryGivesZero)
{
    const std::vector<u8> rgba = Noise(16, 8, 9).rgba;
    struct SCase {
        bool twoBpp, second;
        u32 quality;
    };
    for (const SCase& c : {SCase{false, false, 0}, SCase{true, true, 1}}) {
        const u64 size = CompressXQFTCImage(nullptr, 0, nullptr, 16, 8, true, c.twoBpp, c.second, c.quality);
        std::vector<u8> out(size);
        for (int n = 0;; ++n) {
            g_allocationsLeft = n;
            SetScratchAllocHook(CountedAllocation);
            const u64 got = CompressXQFTCImage(rgba.data(), rgba.size(), out.data(), 16, 8, true, c.twoBpp, c.second,
                                               c.quality);
            SetScratchAllocHook(nullptr);
            if (g_allocationsLeft.load() >= 0) {
                EXPECT_EQ(got, size); // nothing failed any more
                break;
            }
            EXPECT_EQ(got, 0u) << "allocation " << n;
            ASSERT_LT(n, 2000);
        }
    }
    g_allocationsLeft = -1;
}


// Every id at the quick and the first amtc quality on hostile content, and the size query.
TEST(AmtcHostile, EntryTakesHostileContentAndNullPointers)
{
    const std::vector<std::pair<const char*, SRgba (*)(u32, u32)>> contents = {
        {"all transparent", [](u32, u32) { return SRgba{{0, 0, 0, 0}}; }},
        {"alpha 0 with colour", [](u32 x, u32 y) { return SRgba{{u8(x * 40), 255, u8(y * 30), 0}}; }},
        {"one colour", [](u32, u32) { return SRgba{{17, 200, 255, 255}}; }},
    };
    for (u32 id = 0; id < 6; ++id) {
        const bool twoBpp = id == 0 || id == 1 || id == 4, second = id >= 4;
        const u64 size = CompressXQFTCImage(nullptr, 0, nullptr, 16, 8, true, twoBpp, second, 0);
        ASSERT_EQ(size, twoBpp ? 32u : 64u);
        const u8 pixel[4] = {1, 2, 3, 4};
        EXPECT_EQ(CompressXQFTCImage(pixel, 4, nullptr, 16, 8, true, twoBpp, second, 1), size);
        std::vector<u8> out(size), decoded(16 * 8 * 4);
        for (const u32 quality : {0u, 1u}) {
            for (const auto& [name, colour] : contents) {
                SImage image(16, 8);
                image.Fill(colour);
                ASSERT_EQ(CompressXQFTCImage(image.rgba.data(), image.rgba.size(), out.data(), 16, 8, true, twoBpp,
                                             second, quality),
                          size)
                    << name << " id " << id;
                EXPECT_EQ(DecompressXQFTCImage(out.data(), size, decoded.data(), 16, 8, twoBpp, second), decoded.size());
            }
            const SImage noise = Noise(16, 8, id);
            EXPECT_EQ(CompressXQFTCImage(noise.rgba.data(), noise.rgba.size(), out.data(), 16, 8, true, twoBpp, second,
                                         quality),
                      size);
        }
    }
}

} // namespace
