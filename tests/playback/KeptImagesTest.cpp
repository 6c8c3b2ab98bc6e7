// The store of images kept from rebuilds: the budget holds, the least recently used frame goes
// first, the nearest kept frame is found from either side, and which GPU-made images can be kept.
#include "analysis/KeptImages.h"

#include <gtest/gtest.h>

namespace {

SKeptFrame FrameOf(size_t bytes)
{
    SKeptFrame f;
    f.api = 2;
    f.images.push_back(SKeptImage{7, 0x0DE1, 0x1908, 1, int32_t(bytes / 4), {}});
    f.images.back().pixels.resize(bytes);
    f.bytes = bytes;
    return f;
}

TEST(KeptImages, BudgetDropsTheLeastRecentlyUsedFrameFirst)
{
    CKeptImages kept;
    EXPECT_EQ(kept.Budget(), size_t(256) << 20);
    kept.SetBudget(300);
    EXPECT_TRUE(kept.Keep(10, FrameOf(100)));
    EXPECT_TRUE(kept.Keep(20, FrameOf(100)));
    EXPECT_TRUE(kept.Keep(30, FrameOf(100)));
    ASSERT_NE(kept.Use(10), nullptr);  // 20 is now the least recently used
    EXPECT_TRUE(kept.Keep(40, FrameOf(100)));
    EXPECT_TRUE(kept.Holds(10));
    EXPECT_FALSE(kept.Holds(20));
    EXPECT_TRUE(kept.Holds(30) && kept.Holds(40));
    EXPECT_EQ(kept.Bytes(), 300u);
    // A frame larger than the whole budget is not kept, and takes nothing with it.
    EXPECT_FALSE(kept.Keep(50, FrameOf(301)));
    EXPECT_EQ(kept.FrameCount(), 3u);
    // Keeping a frame again replaces it; a smaller budget drops frames until the rest fits.
    EXPECT_TRUE(kept.Keep(30, FrameOf(50)));
    EXPECT_EQ(kept.Bytes(), 250u);
    kept.SetBudget(120);
    EXPECT_LE(kept.Bytes(), 120u);
    EXPECT_TRUE(kept.Holds(30));  // the most recently used
    kept.SetBudget(0);
    EXPECT_EQ(kept.FrameCount(), 0u);
    EXPECT_EQ(kept.Bytes(), 0u);
}

// Option 102 asks for up to 16 GiB; what is free decides how much of it a store may take.
TEST(KeptImages, TheBudgetIsHeldToHalfTheFreeMemory)
{
    constexpr uint64_t kGiB = uint64_t(1) << 30;
    EXPECT_EQ(CKeptImages::BoundedBudget(256, 8 * kGiB, 0), size_t(256) << 20);
    EXPECT_EQ(CKeptImages::BoundedBudget(16384, 2 * kGiB, 0), size_t(kGiB));
    EXPECT_EQ(CKeptImages::BoundedBudget(16384, kGiB, size_t(kGiB)), size_t(kGiB));  // what is kept is room
    EXPECT_EQ(CKeptImages::BoundedBudget(4096, 0, 0), 0u);
}

TEST(KeptImages, NearestIsTheLatestKeptFrameInTheRange)
{
    CKeptImages kept;
    for (uint32_t f : {5u, 9u, 40u})
        kept.Keep(f, FrameOf(4));
    EXPECT_EQ(kept.Nearest(1, 4), 0u);
    EXPECT_EQ(kept.Nearest(1, 5), 5u);
    EXPECT_EQ(kept.Nearest(1, 39), 9u);
    EXPECT_EQ(kept.Nearest(10, 39), 0u);  // 9 lies before the range
    EXPECT_EQ(kept.Nearest(1, 1000), 40u);
    kept.Drop(40);
    EXPECT_EQ(kept.Nearest(1, 1000), 9u);
}

// The bytes of the GPU-made images of a state, or 0 when one of them cannot be read back and sent
// as it is.
TEST(KeptImages, KeptSizeCountsPlainLevelZeroImagesOnly)
{
    auto image = [](uint32_t format, uint32_t type, uint8_t gpuMade) {
        STexImage i;
        i.format = i.internalFormat = format;
        i.type = type;
        i.width = 8;
        i.height = 4;
        i.gpuMade = gpuMade;
        i.target = 0x0DE1;
        return i;
    };
    SEs2State s;
    EXPECT_EQ(CKeptImages::KeptSize(s), 0u);
    s.textures[3][0][0] = image(0x1908, 0x1401, 1);  // RGBA bytes
    s.textures[4][0][0] = image(0x1907, 0x1401, 1);  // RGB bytes
    s.textures[5][0][0] = image(0x1908, 0x1401, 0);  // uploaded: the restore sends it
    EXPECT_EQ(CKeptImages::KeptSize(s), 8u * 4 * 4 + 8u * 4 * 3);
    struct SCase
    {
        const char* what;
        STexImage image;
        int32_t level;
    };
    STexImage generated = image(0x1908, 0x1401, 1);
    generated.mipmapsGenerated = kMipmapsGenerated;
    STexImage stale = image(0x1908, 0x1401, 0);
    stale.mipmapsGenerated = kMipmapsStale;
    STexImage unsized;
    unsized.gpuMade = 1;
    const SCase unkept[] = {
        {"half floats", image(0x1908, 0x8D61, 1), 0},
        {"a luminance image", image(0x1909, 0x1401, 1), 0},
        {"a level above 0", image(0x1908, 0x1401, 1), 1},
        {"levels generated from it", generated, 0},
        {"levels generated from an image changed since", stale, 0},
        {"an image never sized", unsized, 0},
    };
    SEs2State depths = s;
    depths.renderbuffers[2].gpuMade = 1;
    EXPECT_EQ(CKeptImages::KeptSize(depths), 0u) << "a depth renderbuffer the GPU drew";
    for (const SCase& c : unkept) {
        SCOPED_TRACE(c.what);
        SEs2State with = s;
        with.textures[9][uint32_t(c.level)][0] = c.image;
        EXPECT_EQ(CKeptImages::KeptSize(with), 0u);
        SEs1State es1;
        es1.textures[9][uint32_t(c.level)] = c.image;
        EXPECT_EQ(CKeptImages::KeptSize(es1), 0u);
    }
}

} // namespace
