// XQFTC compression: block packing against the decoder, the level pipeline, the class compressors
// and the entry's limits, padding and choice of compressor.
#include "AmtcTestSupport.h"
#include "BlendEntries.h"
#include "ImageSet.h"
#include "OptimiseRegion.h"
#include "PackLocalBlock.h"
#include "PixelPalette.h"
#include "XQFTC/XQFTCCompressor.h"
#include "XQFTC/XQFTCEncode.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

namespace {

using namespace amtctest;

u32 Word(const u8* bytes) { return u32(bytes[0]) | u32(bytes[1]) << 8 | u32(bytes[2]) << 16 | u32(bytes[3]) << 24; }

AmtcParams Params(u32 mode, bool second)
{
    AmtcParams p;
    p.mode = u8(mode);
    p.blockWidth = mode == 2 ? 8 : 4;
    p.windowWidth = u8(2 * p.blockWidth + 1);
    p.isXQFTCII = second;
    return p;
}

TEST(XqftcPack, ColourWordFlagsAndModulationBits)
{
    const SRgba a{{200, 100, 50, 255}}, b{{10, 20, 30, 255}};
    const AmtcParams first = Params(4, false), second = Params(4, true);
    // Opaque endpoints: bits 15 and 31 set; XQFTC-II keeps bit 15 for the hard transition.
    EXPECT_EQ(ColourWord(first, a, b, 0) & 0x80008001u, 0x80008000u);
    EXPECT_EQ(ColourWord(first, a, b, 1) & 0x80008001u, 0x80008001u);
    EXPECT_EQ(ColourWord(second, a, b, 0) & 0x80008001u, 0x80000000u);
    EXPECT_EQ(ColourWord(second, a, b, 2) & 0x80008001u, 0x80008000u);
    EXPECT_EQ(ColourWord(second, a, b, 3) & 0x80008001u, 0x80008001u);
    // 2 bpp interpolated: id 9 clears bit 0 (both ways), id 11 sets bits 0 and 20 (down).
    u8 values[32];
    for (int i = 0; i < 32; ++i)
        values[i] = 3;
    EXPECT_EQ(ModulationWord2Interpolated(9, values) & 1u, 0u);
    EXPECT_EQ(ModulationWord2Interpolated(11, values) & (1u | 1u << 20), 1u | 1u << 20);
    EXPECT_EQ(ModulationWord2Interpolated(10, values) & (1u | 1u << 20), 1u);
    EXPECT_EQ(CandidateFlagBits(12), 1u << 15);
    EXPECT_EQ(CandidateFlagBits(13), 1u | 1u << 15);
}

// Channel counts other than 4 are never asked for by the entry; what their words hold is fixed all
// the same: red (and green) fields, an extra field whose bit 17 overrides the lowest colour bit,
// and 2 x 2 groups coded by their best level pair.
TEST(XqftcPack, OneAndTwoChannelWords)
{
    AmtcParams one = Params(4, true), two = Params(4, true), three = Params(4, true);
    one.channels = 1, two.channels = 2, three.channels = 3;
    const SRgba a{{0xF8, 0xF0, 0, 0}}, b{{0x08, 0x10, 0, 0}};
    EXPECT_EQ(ColourWord(one, a, b, 4), 31u << 22 | 1u << 27 | 15u << 17);
    EXPECT_EQ(ColourWord(two, a, b, 5), 7u << 17 | 7u << 20 | 0u << 24 | 1u << 28 | 1u);
    // Count 3: bit 31 set for ids 0 to 3 and clear for 4 to 7.
    const SRgba grey{{128, 128, 128, 255}};
    EXPECT_EQ(ColourWord(three, grey, grey, 1) >> 31, 1u);
    EXPECT_EQ(ColourWord(three, grey, grey, 5) >> 31, 0u);
    EXPECT_EQ(PlaceExtraBits(0, 0xFFFF), 0x7FFEu | 3u << 16);
    EXPECT_EQ(PlaceExtraBits(1u << 17, 0x7FFF), 0x7FFEu | 1u << 16); // bit 17 from the extra field
    struct {
        u8 values[4];
        u32 code;
    } groups[] = {
        {{0, 0, 0, 0}, 0},                 // one level, 0
        {{3, 3, 3, 3}, 8 * 4},             // all at 8: pair (0, 8), first level 8, second 0
        {{0, 3, 0, 3}, 0 | 1 | 4},         // levels 0 and 8: values 1 and 3 take the second
        {{3, 0, 0, 0}, 8 * 4 | 1 | 2 | 4}, // first level 8, second 0: pair 4
        {{1, 2, 1, 2}, 8 * 3 | 1 | 4},     // levels 3 and 5: values 1 and 3 take 5
    };
    for (auto& g : groups)
        EXPECT_EQ(PartitionModVals(g.values), g.code) << int(g.values[0]) << int(g.values[1]) << int(g.values[2])
                                                      << int(g.values[3]);
}

TEST(XqftcPack, CandidateListsByChannelCount)
{
    struct {
        u32 mode, channels;
        bool second, extended;
        std::vector<u8> ids;
    } cases[] = {
        {4, 4, false, true, {0, 1}},          {4, 4, true, false, {0, 1}},          {4, 4, true, true, {0, 1, 2, 3}},
        {4, 2, true, false, {4, 5}},          {4, 1, true, true, {4, 5, 6, 7}},     {4, 3, true, false, {0, 1, 4, 5}},
        {4, 3, true, true, {0, 1, 2, 3, 4, 5, 6, 7}}, {2, 4, false, true, {8, 9, 10, 11}},
        {2, 4, true, true, {8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (auto& c : cases) {
        AmtcParams p = Params(c.mode, c.second);
        p.channels = u8(c.channels);
        u8 ids[8];
        const int n = CandidateList(p, c.extended, ids);
        EXPECT_EQ(std::vector<u8>(ids, ids + n), c.ids) << c.mode << " " << c.channels << " " << c.second << c.extended;
    }
    // The second palettes of ids 4 to 7: four more blends, entries 4 to 7.
    AmtcParams p = Params(4, true);
    p.channels = 2;
    const u32 ids[9] = {4, 4, 4, 4, 5, 4, 4, 4, 4};
    SBlendEntry entries[81];
    ASSERT_TRUE(CreateBlendEntries(ids, p, entries));
    const SBlendEntry& centre = entries[4 * 9 + 4];
    EXPECT_EQ(centre.secondKind, 1);
    EXPECT_EQ(centre.second[4], 128); // id 5's alpha offset
    SCutPair nine[9];
    for (SCutPair& n : nine)
        n = CutPair(SRgba{{0, 0, 0, 0}}, SRgba{{255, 255, 255, 255}});
    SRgba palette[8];
    EXPECT_TRUE(PixelPalette(centre, nine, palette));
    EXPECT_EQ(palette[4], (SRgba{{63, 63, 63, 191}})); // (6 A + 2 B) / 8, alpha raised by 128
}

TEST(XqftcPack, ChoiceTiesFollowTheDecodersOrder)
{
    // A pixel halfway between palette colours 1 and 2 takes 2; one equidistant from A and B at a
    // one-bit pixel takes B.
    const SRgba palette[4] = {{{0, 0, 0, 255}}, {{100, 0, 0, 255}}, {{110, 0, 0, 255}}, {{200, 0, 0, 255}}};
    u32 distance;
    EXPECT_EQ(ChooseModulation(SRgba{{105, 0, 0, 255}}, palette, false, false, distance), 2u);
    EXPECT_EQ(ChooseModulation(SRgba{{100, 0, 0, 255}}, palette, true, false, distance), 3u);
    EXPECT_EQ(ChooseModulation(SRgba{{99, 0, 0, 255}}, palette, true, false, distance), 0u);
}

// For every candidate id the entry offers, forced on every block after the set-up: the error the
// packing reports for a block is the squared error of the decoder's output over that block.
TEST(XqftcPack, ModelledErrorIsTheDecodersError)
{
    for (const bool twoBpp : {false, true})
        for (const bool second : {false, true})
            for (const u32 id : CandidateIds(twoBpp, second))
                for (const auto& image : xqft::test::ColourImages(32, 16)) {
                    SCOPED_TRACE(image.name + (second ? " XQFTC-II " : " XQFTC ") + std::to_string(id));
                    CAmtcLevel level;
                    const SAmtcImage view{image.rgba.data(), image.width, image.height, image.width};
                    ASSERT_TRUE(level.Init(view, 4, twoBpp ? 2 : 4, second));
                    SetFirstPassParams(level.Params());
                    ASSERT_TRUE(RunSetUpSweep(level, 0) && RunSetUpSweep(level, 1));
                    const AmtcParams& p = level.Params();
                    for (u32 by = 0; by < p.blocksY; ++by)
                        for (u32 bx = 0; bx < p.blocksX; ++bx)
                            level.Block(by, bx).selected = id;
                    std::vector<u8> blocks(8 * p.blocksX * p.blocksY);
                    std::vector<i64> modelled(p.blocksX * p.blocksY);
                    SBlendEntry entries[kMaxWindowPixels];
                    SRgba window[kMaxWindowPixels];
                    for (u32 by = 0; by < p.blocksY; ++by)
                        for (u32 bx = 0; bx < p.blocksX; ++bx)
                            modelled[by * p.blocksX + bx] =
                                PackLocalBlock(level, by, bx, entries, window, &blocks[8 * (by * p.blocksX + bx)]);
                    std::vector<Rgba8> decoded(image.width * image.height);
                    ASSERT_TRUE(DecodeXQFTCSurface(blocks.data(), blocks.size(), p.blocksX, p.blocksY, twoBpp, second,
                                                   true, decoded.data()));
                    for (u32 by = 0; by < p.blocksY; ++by)
                        for (u32 bx = 0; bx < p.blocksX; ++bx) {
                            i64 error = 0;
                            for (u32 y = 0; y < 4; ++y)
                                for (u32 x = 0; x < p.blockWidth; ++x) {
                                    const u64 at = u64(by * 4 + y) * image.width + bx * p.blockWidth + x;
                                    error += ColourDistanceSq(image.rgba.data() + 4 * at, &decoded[at].r);
                                }
                            ASSERT_EQ(modelled[by * p.blocksX + bx], error) << "block " << bx << ", " << by;
                        }
                }
}

TEST(XqftcPack, OneBlockGridIsItsOwnNeighbourhood)
{
    SImage image(4, 4);
    image.Fill([](u32 x, u32 y) { return SRgba{{u8(60 * x), u8(60 * y), 128, 255}}; });
    u8 block[8];
    ASSERT_EQ(amtc::CompressLevelAMTC(image.View(), 4, 4, false, block, true, 1, nullptr), 1u);
    std::vector<Rgba8> decoded(16);
    ASSERT_TRUE(DecodeXQFTCSurface(block, 8, 1, 1, false, false, true, decoded.data()));
    // Every pixel of a one-block torus is the block's own blend: A and B, not a wrap of others.
    CAmtcLevel level;
    ASSERT_TRUE(SetUpLevel(level, image, 4, false));
    AmtcBlockRecord* nb[9];
    level.Neighbourhood(0, 0, nb);
    for (AmtcBlockRecord* b : nb)
        EXPECT_EQ(b, &level.Block(0, 0));
    double error = 0;
    for (u32 i = 0; i < 16; ++i)
        error += ColourDistanceSq(&image.rgba[4 * i], &decoded[i].r);
    EXPECT_LT(error / 16, 40.0 * 40 * 3); // a two-colour gradient blended from one pair
}

struct SRow {
    u32 iterations, extended, restarts, clamp, segmentation, reevaluate;
    bool operator==(const SRow&) const = default;
};
std::ostream& operator<<(std::ostream& os, const SRow& r)
{
    return os << r.iterations << ' ' << r.extended << ' ' << r.restarts << ' ' << r.clamp << ' ' << r.segmentation
              << ' ' << r.reevaluate;
}

TEST(XqftcLevel, PassSchedulePerFormat)
{
    EXPECT_EQ(PassCount(0), 2u);
    EXPECT_EQ(PassCount(2), 8u);
    EXPECT_EQ(PassCount(4), 32u);
    EXPECT_EQ(PassCount(7), 32u);
    // Effort 2 (8 passes) on a 4 x 4 grid: iterations, extended, restarts, box clamp,
    // segmentation, re-evaluate, pass by pass.
    const SRow first[8] = {{1, 0, 0, 1, 0, 1}, {4, 0, 0, 1, 1, 1}, {4, 0, 0, 1, 1, 0}, {4, 0, 0, 1, 1, 0},
                           {4, 0, 0, 0, 0, 1}, {4, 0, 0, 0, 0, 0}, {4, 0, 0, 0, 0, 0}, {4, 0, 0, 0, 0, 0}};
    const SRow second[8] = {{1, 0, 0, 1, 0, 1}, {4, 0, 0, 1, 1, 1}, {4, 0, 0, 1, 1, 0}, {4, 1, 1, 1, 1, 1},
                            {4, 1, 1, 0, 0, 1}, {4, 1, 1, 0, 0, 0}, {4, 1, 1, 0, 0, 0}, {4, 1, 0, 0, 0, 0}};
    for (const bool ii : {false, true}) {
        AmtcParams p = Params(4, ii);
        p.blocksX = p.blocksY = 4;
        for (u32 pass = 0; pass < 8; ++pass) {
            SetPassParams(p, 2, pass, 8);
            const SRow& r = (ii ? second : first)[pass];
            EXPECT_EQ((SRow{p.iterations, p.extended, p.restarts, p.boxClamp, p.segmentation, p.reevaluate}),
                      r)
                << (ii ? "XQFTC-II" : "XQFTC") << " pass " << pass;
            EXPECT_EQ(p.keptPairs, 4u);
        }
    }
}

} // namespace

namespace {

std::vector<u8> Amtc(const SImage& image, u32 mode, bool second, bool linear, u32 effort)
{
    const u32 bw = mode == 2 ? 8 : 4;
    std::vector<u8> blocks(u64(image.width / bw) * (image.height / 4) * 8, 0);
    EXPECT_EQ(amtc::CompressLevelAMTC(image.View(), 4, mode, second, blocks.data(), linear, effort, nullptr), 1u);
    return blocks;
}

SImage Gradient(u32 w, u32 h)
{
    SImage image(w, h);
    image.Fill([](u32 x, u32 y) { return SRgba{{u8(x * 7), u8(y * 5), u8((x * y) % 256), u8(x % 3 ? 255 : 90)}}; });
    return image;
}

TEST(XqftcLevel, OneBlockRowIsNotOptimisedAndEffortsAboveFourActAsFour)
{
    // One block row: no optimisation sweep runs, so every effort gives the set-up's blocks.
    const SImage row = Gradient(64, 4);
    EXPECT_EQ(Amtc(row, 4, false, true, 0), Amtc(row, 4, false, true, 3));
    // Two rows are optimised (one worker, each sweep its phase's row).
    const SImage two = Gradient(32, 8);
    EXPECT_NE(Amtc(two, 4, true, true, 0), Amtc(two, 4, true, true, 1));
    const SImage small = Gradient(16, 16);
    EXPECT_EQ(Amtc(small, 2, false, false, 7), Amtc(small, 2, false, false, 4));
}

TEST(XqftcLevel, LinearOrderIsRowMajorAndTwiddledOrderIsMorton)
{
    const SImage image = Gradient(16, 32); // 4 x 8 blocks
    const std::vector<u8> linear = Amtc(image, 4, false, true, 0), twiddled = Amtc(image, 4, false, false, 0);
    for (u32 by = 0; by < 8; ++by)
        for (u32 bx = 0; bx < 4; ++bx) {
            const u64 l = 8 * u64(bx + 4 * by), t = 8 * u64(BlockOrderIndex(8, 4, by, bx, false));
            ASSERT_TRUE(std::equal(&linear[l], &linear[l] + 8, &twiddled[t])) << bx << ", " << by;
        }
}

std::vector<u8> Rgba(u32 w, u32 h, u32 seed = 1)
{
    std::vector<u8> pixels(u64(w) * h * 4);
    std::mt19937 rng(seed);
    for (u64 i = 0; i < pixels.size(); ++i)
        pixels[i] = i % 4 == 3 ? 255 : u8((i / 4 % w) * 9 + rng() % 16);
    return pixels;
}

TEST(XqftcClass, RegionsCoverTheGridInStrips)
{
    struct {
        u32 width, height;
        bool twoBpp;
        u32 regions, regionWidth, regionHeight;
    } cases[] = {
        {16, 16, false, 1, 4, 4},   // 4 x 4 blocks: not cut
        {64, 64, false, 64, 2, 2},  // 16 x 16 blocks: 8 x 8 regions of 2 x 2
        {64, 16, true, 8, 1, 4},    // 8 x 4 blocks at 2 bpp: 8 strips across, the 4 rows not cut
        {96, 64, false, 64, 3, 2},  // 24 x 16 blocks
        {40, 64, false, 64, 1, 2},  // 10 x 16 blocks: strips of 1 and 2 columns
        {88, 36, false, 64, 2, 1},  // 22 x 9 blocks
        {104, 20, true, 8, 1, 5},   // 13 x 5 blocks at 2 bpp: 8 strips across
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::vector<u8> pixels(u64(c.width) * c.height * 4, 77);
        XQFTC4bppCompressor four(pixels.data(), c.width, c.height);
        XQFTC2bppCompressor two(pixels.data(), c.width, c.height);
        XQFTCCompressor& compressor = c.twoBpp ? static_cast<XQFTCCompressor&>(two) : four;
        ASSERT_TRUE(compressor.Valid());
        compressor.SetIterationCount(0);
        SRegionSet set{&compressor, 64, {}, 0};
        SplitIntoRegions(&set);
        EXPECT_EQ(set.built, c.regions);
        EXPECT_EQ(set.regions[0].x1 - set.regions[0].x0, c.regionWidth);
        EXPECT_EQ(set.regions[0].y1 - set.regions[0].y0, c.regionHeight);
        // Every block is in exactly one region.
        std::vector<int> covered(u64(compressor.BlocksX()) * compressor.BlocksY(), 0);
        for (u32 r = 0; r < set.built; ++r)
            for (u32 by = set.regions[r].y0; by < set.regions[r].y1; ++by)
                for (u32 bx = set.regions[r].x0; bx < set.regions[r].x1; ++bx)
                    ++covered[u64(by) * compressor.BlocksX() + bx];
        EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), i64(covered.size()));
    }
    // Blocks past a whole multiple of the strip count are refined like the others: on noise the
    // iterations move the endpoints of the last columns of a 10-block-wide grid.
    {
        const std::vector<u8> noise = Rgba(40, 64, 5);
        XQFTC4bppCompressor c(noise.data(), 40, 64);
        ASSERT_TRUE(c.Valid());
        c.SetIterationCount(8);
        c.Initialise(true);
        std::vector<SPixel4> before;
        for (u32 by = 0; by < 16; ++by)
            for (u32 bx = 8; bx < 10; ++bx)
                before.push_back(c.LowA(bx, by)), before.push_back(c.LowB(bx, by));
        SRegionSet set{&c, 64, {}, 0};
        SplitIntoRegions(&set);
        int moved = 0, i = 0;
        for (u32 by = 0; by < 16; ++by)
            for (u32 bx = 8; bx < 10; ++bx, i += 2)
                moved += std::memcmp(before[i].c, c.LowA(bx, by).c, 4) != 0 || std::memcmp(before[i + 1].c, c.LowB(bx, by).c, 4) != 0;
        EXPECT_GT(moved, 16) << "of the 32 blocks in columns 8 and 9";
    }
    // Counts are held to what the set can hold: none is one region, more than 64 is 64.
    std::vector<u8> pixels(64 * 64 * 4, 77);
    XQFTC4bppCompressor compressor(pixels.data(), 64, 64);
    ASSERT_TRUE(compressor.Valid());
    for (const auto& [count, built] : {std::pair{0u, 1u}, std::pair{1000u, 64u}}) {
        SRegionSet set{&compressor, count, {}, 0};
        SplitIntoRegions(&set);
        EXPECT_EQ(set.built, built) << count;
    }
}

// The regions' first run may start the blocks itself (upscaling and first modulation row by row,
// after the endpoints alone): the blocks come out as after Initialise over the whole image, on
// grids the regions cut unevenly and for no, one and several iterations.
TEST(XqftcClass, BlocksStartedByTheRegionsMatchInitialise)
{
    struct SCase {
        u32 width, height;
        bool twoBpp;
    } const cases[] = {{88, 36, false}, {40, 64, false}, {104, 20, true}, {64, 64, true}};
    for (const SCase& c : cases)
        for (const u32 iterations : {0u, 1u, 8u}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + ", " +
                         std::to_string(iterations) + " iterations");
            const std::vector<u8> noise = Rgba(c.width, c.height, c.width + iterations);
            std::vector<u8> blocks[2];
            for (const bool whole : {true, false}) {
                XQFTC4bppCompressor four(noise.data(), c.width, c.height);
                XQFTC2bppCompressor two(noise.data(), c.width, c.height);
                XQFTCCompressor& compressor = c.twoBpp ? static_cast<XQFTCCompressor&>(two) : four;
                ASSERT_TRUE(compressor.Valid());
                compressor.SetIterationCount(iterations);
                if (whole)
                    compressor.Initialise(true);
                else
                    compressor.InitialiseEndpoints(true);
                EXPECT_EQ(compressor.StartPending(), !whole);
                SRegionSet set{&compressor, 64, {}, 0};
                SplitIntoRegions(&set);
                EXPECT_FALSE(compressor.StartPending());
                blocks[whole].resize(u64(c.width) * c.height / (c.twoBpp ? 4 : 2));
                compressor.WriteBlocks(blocks[whole].data(), false);
            }
            EXPECT_EQ(blocks[0], blocks[1]);
        }
}

TEST(XqftcClass, UniformImagesStayAndTransparentBlocksPackTranslucentZeroAlpha)
{
    std::vector<u8> grey(32 * 32 * 4);
    for (u64 i = 0; i < grey.size(); ++i)
        grey[i] = i % 4 == 3 ? 255 : 140;
    XQFTC4bppCompressor c(grey.data(), 32, 32);
    ASSERT_TRUE(c.Valid());
    c.SetIterationCount(8);
    c.Initialise(true);
    SRegionSet set{&c, 64, {}, 0};
    SplitIntoRegions(&set);
    for (u32 by = 0; by < 8; ++by)
        for (u32 bx = 0; bx < 8; ++bx) {
            ASSERT_EQ(std::memcmp(c.LowA(bx, by).c, c.LowB(bx, by).c, 4), 0);
            ASSERT_EQ(c.LowA(bx, by).c[0], 140);
        }

    std::vector<u8> clear(32 * 32 * 4, 0), blocks(32 * 32 / 2);
    ASSERT_EQ(CompressXQFTCImage(clear.data(), clear.size(), blocks.data(), 32, 32, true, false, false, 0), 512u);
    for (u64 b = 0; b < blocks.size(); b += 8)
        ASSERT_EQ(Word(&blocks[b + 4]) & 0xF0007FFEu, 0u) << "block " << b / 8;
}

TEST(XqftcClass, PickExtremePairTakesTheDarkerAsA)
{
    const SPixel4 pixels[4] = {{{200, 200, 200, 255}}, {{10, 10, 10, 255}}, {{100, 100, 100, 255}}, {{255, 255, 255, 255}}};
    SPixel4 a, b;
    XQFTCCompressor::PickExtremePair(pixels, 4, a, b);
    EXPECT_EQ(a.c[0], 10);
    EXPECT_EQ(b.c[0], 255);
    const SPixel4 same[2] = {{{5, 5, 5, 5}}, {{5, 5, 5, 5}}};
    XQFTCCompressor::PickExtremePair(same, 2, a, b);
    EXPECT_EQ(a.c[0], 5);
    EXPECT_EQ(b.c[0], 5);
}

u64 Encode(const std::vector<u8>& pixels, std::vector<u8>& out, u32 w, u32 h, bool twoBpp, bool second, u32 quality)
{
    const u64 size = CompressXQFTCImage(nullptr, 0, nullptr, w, h, true, twoBpp, second, quality);
    out.assign(size + 16, 0xCD); // a guard after the blocks
    return CompressXQFTCImage(pixels.data(), pixels.size(), out.data(), w, h, true, twoBpp, second, quality);
}

TEST(XqftcEntry, SizeLimitsAndWholeBlocks)
{
    // The size query answers what the encode then returns: it refuses the same inputs.
    struct SCase {
        const char* what;
        u32 w, h;
        bool twoBpp, second;
        u32 quality;
        u64 size;
        bool encode; // also encode (not for the largest level: the query is what is asked of it)
    };
    const SCase cases[] = {
        {"4096 x 4096", 4096, 4096, false, false, 0, 4096u * 4096 / 2, false},
        {"wider than 4096", 4097, 1, false, true, 0, 0, true},
        {"no width", 0, 8, false, false, 0, 0, true},
        // The longest side: a 4096-pixel row of blocks through both compressors.
        {"a 4096-pixel row", 4096, 4, false, false, 0, 8192, true},
        {"a 4096-pixel column", 4, 4096, false, false, 1, 8192, true},
        // XQFTC takes whole blocks only, at every quality; XQFTC-II pads.
        {"XQFTC 4 bpp, part of a block wide", 6, 8, false, false, 0, 0, true},
        {"XQFTC 4 bpp, part of a block high", 8, 6, false, false, 2, 0, true},
        {"XQFTC 2 bpp, 4 of an 8-pixel block", 12, 4, true, false, 0, 0, true},
        {"XQFTC 2 bpp, whole blocks", 24, 4, true, false, 1, 24, true},
        {"XQFTC-II pads 6 x 8", 6, 8, false, true, 0, 32, true},
        {"XQFTC-II pads 12 x 4 at 2 bpp", 12, 4, true, true, 1, 16, true},
    };
    std::vector<u8> out;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CompressXQFTCImage(nullptr, 0, nullptr, c.w, c.h, true, c.twoBpp, c.second, c.quality), c.size);
        if (!c.encode)
            continue;
        const std::vector<u8> pixels = Rgba(std::max(c.w, 1u), c.h);
        out.assign(std::max<u64>(c.size, 64) + 16, 0xCD);
        EXPECT_EQ(CompressXQFTCImage(pixels.data(), pixels.size(), out.data(), c.w, c.h, true, c.twoBpp, c.second,
                                     c.quality),
                  c.size);
    }
    // A source shorter than its pixels is refused before any read.
    const std::vector<u8> pixels = Rgba(8, 8);
    EXPECT_EQ(CompressXQFTCImage(pixels.data(), pixels.size() - 1, out.data(), 8, 8, true, false, true, 0), 0u);
}

TEST(XqftcEntry, XQFTCIIPadsWithTheLastColumnsAndRows)
{
    struct {
        u32 width, height;
        bool twoBpp;
    } cases[] = {{6, 8, false}, {7, 5, false}, {13, 3, true}, {1, 9, true}, {7, 1, true}, {1, 1, false}, {1, 16, false}};
    for (auto& c : cases) {
        const std::vector<u8> pixels = Rgba(c.width, c.height, c.width * 31 + c.height);
        const u32 bw = c.twoBpp ? 8 : 4, pw = (c.width + bw - 1) / bw * bw, ph = (c.height + 3) / 4 * 4;
        std::vector<u8> padded(u64(pw) * ph * 4);
        const u32 mx = pw - c.width, my = ph - c.height;
        for (u32 y = 0; y < ph; ++y)
            for (u32 x = 0; x < pw; ++x) {
                const u32 sx = x < c.width ? x : x >= mx && x - mx < c.width ? x - mx : x % c.width;
                const u32 sy = y < c.height ? y : y >= my && y - my < c.height ? y - my : y % c.height;
                std::memcpy(&padded[(u64(y) * pw + x) * 4], &pixels[(u64(sy) * c.width + sx) * 4], 4);
            }
        std::vector<u8> small, whole;
        const u64 size = u64(pw) * ph * (c.twoBpp ? 2 : 4) / 8;
        ASSERT_EQ(Encode(pixels, small, c.width, c.height, c.twoBpp, true, 0), size) << c.width << "x" << c.height;
        ASSERT_EQ(Encode(padded, whole, pw, ph, c.twoBpp, true, 0), size);
        EXPECT_EQ(small, whole) << c.width << "x" << c.height;
        // The level decodes; the guard after the blocks is untouched.
        std::vector<u8> decoded(u64(c.width) * c.height * 4);
        EXPECT_EQ(DecompressXQFTCImage(small.data(), size, decoded.data(), c.width, c.height, c.twoBpp, true),
                  decoded.size());
        EXPECT_EQ(small[size], 0xCD);
    }
}

TEST(XqftcEntry, QualityChoosesTheCompressor)
{
    const std::vector<u8> pixels = Rgba(32, 8);
    std::vector<u8> out, direct(64);
    // XQFTC 2 bpp at quality 0: the class compressor.
    ASSERT_EQ(Encode(pixels, out, 32, 8, true, false, 0), 64u);
    ASSERT_EQ(RunClassCompressor(pixels.data(), direct.data(), 32, 8, true), 64u);
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), out.begin()));
    // At quality 3: amtc at effort 2.
    ASSERT_EQ(Encode(pixels, out, 32, 8, true, false, 3), 64u);
    ASSERT_EQ(CompressMIPLevels(pixels.data(), true, 32, 8, 0, direct.data(), 2, 4, 2, 0, 0), 0u);
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), out.begin()));
    // XQFTC-II: amtc at effort = quality, row by row.
    ASSERT_EQ(Encode(pixels, out, 32, 8, true, true, 1), 64u);
    ASSERT_EQ(CompressMIPLevels(pixels.data(), true, 32, 8, 0, direct.data(), 1, 4, 2, 1, 1), 0u);
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), out.begin()));
    // Qualities past the 8-bit range still run the highest effort, not a wrapped one.
    ASSERT_EQ(Encode(pixels, out, 32, 8, true, true, 256), 64u);
    ASSERT_EQ(CompressMIPLevels(pixels.data(), true, 32, 8, 0, direct.data(), 4, 4, 2, 1, 1), 0u);
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), out.begin()));
}

// Grids that are not powers of two are written row by row and within the output by both
// compressors (the class compressor's twiddled order would run past the grid).
TEST(XqftcEntry, NonPowerOfTwoGridsAreRowMajorWithinTheOutput)
{
    for (const auto& [w, h] : {std::pair<u32, u32>{12, 4}, {12, 12}}) {
        const std::vector<u8> pixels = Rgba(w, h, w + h);
        const u64 size = u64(w) * h / 2;
        std::vector<u8> out, rowMajor(size);
        ASSERT_EQ(Encode(pixels, out, w, h, false, false, 0), size);
        EXPECT_EQ(out[size], 0xCD) << "written past the blocks";
        XQFTC4bppCompressor c(pixels.data(), w, h);
        c.SetIterationCount(8);
        c.Initialise(true);
        SRegionSet set{&c, 64, {}, 0};
        SplitIntoRegions(&set);
        c.WriteBlocks(rowMajor.data(), false);
        EXPECT_TRUE(std::equal(rowMajor.begin(), rowMajor.end(), out.begin())) << w << "x" << h << " quality 0";

        ASSERT_EQ(Encode(pixels, out, w, h, false, false, 1), size);
        EXPECT_EQ(out[size], 0xCD) << "written past the blocks";
        ASSERT_EQ(CompressMIPLevels(pixels.data(), true, i32(w), i32(h), 0, rowMajor.data(), 0, 4, 4, 0, 1), 0u);
        EXPECT_TRUE(std::equal(rowMajor.begin(), rowMajor.end(), out.begin())) << w << "x" << h << " quality 1";
    }
}

} // namespace

