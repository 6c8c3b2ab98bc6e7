// ETC2 and EAC at the fast qualities: clustering, T and H candidates, punch-through, the T-mode
// search tables, the EAC searches and the image entry for ids 22-26.
#include "ETC/EtcCluster.h"
#include "ETC/EtcDrivers.h"
#include "ETC/EtcEac.h"
#include "ETC/EtcHMode.h"
#include "ETC/EtcMetrics.h"
#include "ETC/EtcPlanes.h"
#include "ETC/EtcPunchThrough.h"
#include "ETC/EtcTTables.h"
#include "ETC/EtcTables.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "Psnr.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include "EtcTestBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <thread>
#include <vector>

using namespace xqftexture;
using namespace xqftexture::etc;

namespace {

using namespace etctest;

// Two colours, eight pixels each, in a scattered pattern.
Block TwoColours(const u8 a[3], const u8 b[3])
{
    Block block;
    for (u32 i = 0; i < 16; ++i) {
        const u8* c = (i * 5 + i / 4) % 2 ? b : a;
        std::copy_n(c, 3, &block[3 * i]);
    }
    return block;
}

TEST(EtcClustering, UniformAndTwoColourBlocks)
{
    using Clustering = void (*)(const u8*, i32, i32, i32, u8[6]);
    const Clustering all[] = {ClusterTwoColours, ClusterTwoColoursNoIntensity, ClusterTwoColoursNoIntensityRestarting,
                              ClusterTwoColoursRGBRestarting, ClusterTwoColoursRGB};
    for (const Clustering cluster : all) {
        // Uniform: the centres start at the block colour, every attempt restarts (centre 0 stays
        // empty), and both outputs are the block colour.
        u8 colours[6];
        cluster(Uniform(40, 200, 90).data(), 4, 0, 0, colours);
        EXPECT_EQ(std::vector<u8>(colours, colours + 6), (std::vector<u8>{40, 200, 90, 40, 200, 90}));
    }
    const u8 a[3] = {20, 200, 60}, b[3] = {230, 40, 180};
    const Block two = TwoColours(a, b);
    for (const Clustering cluster : all) {
        u8 colours[6];
        cluster(two.data(), 4, 0, 0, colours);
        std::vector<u8> first(colours, colours + 3), second(colours + 3, colours + 6);
        if (first > second)
            std::swap(first, second);
        EXPECT_EQ(first, std::vector<u8>(a, a + 3));
        EXPECT_EQ(second, std::vector<u8>(b, b + 3));
    }
}

TEST(EtcClustering, SameBlockSameColoursInAnyOrderOnAnyThread)
{
    std::mt19937 random(5);
    std::vector<Block> blocks;
    for (int n = 0; n < 64; ++n)
        blocks.push_back(RandomBlock(random, n % 2 ? 40 : 256));
    auto clusterAll = [&](std::vector<std::array<u8, 6>>& out, bool reversed) {
        out.assign(blocks.size(), {});
        for (size_t k = 0; k < blocks.size(); ++k) {
            const size_t i = reversed ? blocks.size() - 1 - k : k;
            ClusterTwoColours(blocks[i].data(), 4, 0, 0, out[i].data());
        }
    };
    std::vector<std::array<u8, 6>> reference, reversed;
    clusterAll(reference, false);
    clusterAll(reversed, true);
    EXPECT_EQ(reference, reversed);
    std::vector<std::vector<std::array<u8, 6>>> perThread(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < perThread.size(); ++t)
        threads.emplace_back([&, t] { clusterAll(perThread[t], t % 2 == 1); });
    for (std::thread& t : threads)
        t.join();
    for (const auto& results : perThread)
        EXPECT_EQ(results, reference);
}

TEST(EtcClustering, QuantiseColourPairLevels)
{
    const u8 in[6] = {8, 9, 25, 26, 255, 0};
    u8 out[6];
    QuantiseColourPair(4, 4, 4, in, out);
    EXPECT_EQ(std::vector<u8>(out, out + 6), (std::vector<u8>{0, 1, 1, 2, 15, 0}));
}

TEST(EtcTModeEvaluation, TiesTakeTheLowerDistanceAndPaintZero)
{
    // Lone equal to split: paints 0 and 2 are the same colour; a pixel of that colour takes paint 0, and
    // no larger distance does better than distance 0.
    const Block block = Uniform(170, 170, 170); // 4-bit level 10
    const u8 colours[6] = {10, 10, 10, 10, 10, 10};
    u8 distance = 9;
    u32 raster = 1;
    EXPECT_EQ(EvaluateTMode(block.data(), 4, 0, 0, colours, distance, raster), 0.0);
    EXPECT_EQ(distance, 0);
    EXPECT_EQ(raster, 0u);
    EXPECT_EQ(EvaluateTModePerceptual(block.data(), 4, 0, 0, colours, distance, raster), 0u);
    EXPECT_EQ(distance, 0);
    EXPECT_EQ(raster, 0u);
    // Both orders: the array ends in the order of the result. Only the lone colour 1 and the split
    // colour 10 (170, with 173 and 167 at distance 3) reach 0; given the other way round they swap.
    Block split = Uniform(170, 170, 170);
    split[0] = split[1] = split[2] = 17;
    split[3] = split[4] = split[5] = 173;
    split[6] = split[7] = split[8] = 167;
    u8 both[6] = {10, 10, 10, 1, 1, 1};
    EXPECT_EQ(EvaluateTModeBothOrders(split.data(), 4, 0, 0, both, distance, raster), 0.0);
    EXPECT_EQ(std::vector<u8>(both, both + 6), (std::vector<u8>{1, 1, 1, 10, 10, 10}));
    EXPECT_EQ(distance, 0);
    u32 expected = 0u << 30 | 1u << 28 | 3u << 26;
    for (u32 i = 3; i < 16; ++i)
        expected |= 2u << (30 - 2 * i);
    EXPECT_EQ(raster, expected);
    u8 kept[6] = {1, 1, 1, 10, 10, 10}; // already in the winning order: left alone
    EXPECT_EQ(EvaluateTModeBothOrdersPerceptual(split.data(), 4, 0, 0, kept, distance, raster), 0u);
    EXPECT_EQ(std::vector<u8>(kept, kept + 6), (std::vector<u8>{1, 1, 1, 10, 10, 10}));
}

TEST(EtcPunchThrough, TransparentSlotsAndOpaqueBlocks)
{
    std::mt19937 random(9);
    u8 transparentAlpha[16], opaqueAlpha[16];
    std::fill_n(transparentAlpha, 16, 0);
    std::fill_n(opaqueAlpha, 16, 255);
    for (int n = 0; n < 100; ++n) {
        const Block block = RandomBlock(random);
        u32 high = 0, low = 0;
        // Fully transparent: error 0, every index value 2 (msb set, lsb clear).
        EXPECT_EQ(CompressPunchThroughDifferential(1, block.data(), transparentAlpha, 4, 0, 0, high, low), 0);
        EXPECT_EQ(low, 0xFFFF0000u);
        EXPECT_EQ(high & 2, 0u) << "opaque bit clear";
        // Opaque pixels never take index value 2 in the transparent variant.
        CompressPunchThroughDifferential(1, block.data(), opaqueAlpha, 4, 0, 0, high, low);
        EXPECT_EQ((low >> 16) & ~low & 0xFFFF, 0u) << "no pixel with msb 1 and lsb 0";
        CompressPunchThroughDifferential(0, block.data(), opaqueAlpha, 4, 0, 0, high, low);
        EXPECT_EQ(high & 2, 2u) << "opaque bit set";
    }
    // H mode: the transparent slot is 2 when the distance's low bit agrees with the colour order, else
    // 0 (the packer's swap makes it 2).
    u8 alpha[16];
    for (u32 i = 0; i < 16; ++i)
        alpha[i] = i % 3 ? 255 : 0;
    for (const auto& colours : {std::array<u8, 6>{2, 3, 4, 9, 9, 9}, std::array<u8, 6>{9, 9, 9, 2, 3, 4}}) {
        const Block block = RandomBlock(random, 30);
        u8 distance = 0;
        u32 raster = 0;
        ChooseHIndicesPunchThrough(block.data(), alpha, 4, 0, 0, colours.data(), distance, raster);
        const u32 order = colours[0] > colours[3] ? 1 : 0;
        const u32 slot = (distance & 1) == order ? 2 : 0;
        for (u32 i = 0; i < 16; ++i) {
            const u32 index = (raster >> (30 - 2 * i)) & 3;
            if (alpha[i] == 0) {
                EXPECT_EQ(index, slot) << "pixel " << i;
            } else {
                EXPECT_NE(index, slot) << "pixel " << i;
            }
        }
    }
}

TEST(EtcHMode, DistinctColoursAndTheOrderThatCarriesTheDistanceBit)
{
    struct SCase {
        u32 c1, c2, first, second;
    };
    const SCase cases[] = {{0, 0, 0, 1}, {0x100, 0x100, 0x0FF, 0x100}, {0x555, 0x555, 0x554, 0x555}, {7, 3, 3, 7}};
    for (const SCase& c : cases) {
        u32 a = c.c1, b = c.c2;
        OrderHColours(a, b);
        EXPECT_EQ(a, c.first) << std::hex << c.c1;
        EXPECT_EQ(b, c.second) << std::hex << c.c2;
    }
    // The compressors' reported error is the error of the block they pack, decoded: the swap that
    // carries the distance bit leaves the decoded block unchanged. Multi reports the least of its two.
    std::mt19937 random(11);
    for (int n = 0; n < 300; ++n) {
        const Block block = n % 10 == 0 ? Uniform(u8(random()), u8(random()), u8(random())) : RandomBlock(random, n % 2 ? 50 : 256);
        u32 h58 = 0, low = 0, high = 0;
        Block decoded{};
        const double error = CompressHModeLBG(block.data(), 4, 0, 0, h58, low);
        DecodeETC2HBlock(h58, low, decoded.data(), 4, 0, 0);
        EXPECT_EQ(error, ComputeBlockErrorPlain(block.data(), decoded.data(), 4, 0, 0));
        high = PackHBlockHigh(h58);
        Block viaBlock{};
        DecodeETC2RGBBlock(high, low, viaBlock.data(), 4, 0, 0);
        EXPECT_EQ(viaBlock, decoded) << "a valid H block";
        const u32 perceptual = CompressHModeLBGPerceptual(block.data(), 4, 0, 0, h58, low);
        DecodeETC2HBlock(h58, low, decoded.data(), 4, 0, 0);
        EXPECT_EQ(double(perceptual), std::round(1000 * ComputeBlockErrorPerceptual(block.data(), decoded.data(), 4, 0, 0)));
        const double multi = CompressHModeLBGMulti(block.data(), 4, 0, 0, h58, low);
        DecodeETC2HBlock(h58, low, decoded.data(), 4, 0, 0);
        EXPECT_EQ(multi, ComputeBlockErrorPlain(block.data(), decoded.data(), 4, 0, 0));
        u32 t59 = 0;
        const double t = CompressTModeLBGMulti(block.data(), 4, 0, 0, t59, low);
        EXPECT_EQ(t59 >> 27, 0u);
        DecodeETC2TBlock(t59, low, decoded.data(), 4, 0, 0);
        EXPECT_EQ(t, ComputeBlockErrorPlain(block.data(), decoded.data(), 4, 0, 0));
    }
}

// The table rows as their definitions read.
u32 NaiveEntry(const u8 block[64], u32 colour, u32 channels, bool split, u32 k, u32 p, const u32 w[3])
{
    const i32 q[3] = {i32((colour >> 8) & 15) * 17, i32((colour >> 4) & 15) * 17, i32(colour & 15) * 17};
    const u8* pixel = block + 4 * p;
    auto error = [&](i32 offset) {
        u32 e = 0;
        for (u32 c = 0; c < channels; ++c) {
            const i32 v = std::clamp(q[c] + offset, 0, 255) - pixel[c];
            e += w[c] * u32(v * v);
        }
        return e;
    };
    if (!split)
        return error(0);
    const i32 d = ETC2DistanceTable[k];
    return std::min({error(-d), error(0), error(d)});
}

TEST(EtcTModeTables, ConstantsAndEveryBuilderAgainstItsDefinition)
{
    EXPECT_EQ(kClampTable[255], 0);
    EXPECT_EQ(kClampTable[256], 1);
    EXPECT_EQ(kClampTable[510], 255);
    EXPECT_EQ(kClampTable[767], 255);
    EXPECT_EQ(kClampTable[0], 0);
    EXPECT_EQ(kSquareTable[0], 65025u);
    EXPECT_EQ(kSquareTable[510], 65025u);
    EXPECT_EQ(kSquareTable[255], 0u);

    using Builder = void (*)(const u8[64], u32, u32*);
    struct SBuilder {
        Builder build;
        u32 channels;
        bool split, perceptual;
    };
    const SBuilder builders[] = {
        {BuildTColourSplitTablePerceptual, 3, true, true}, {BuildTColourSplitTable, 3, true, false},
        {BuildTColourLoneTablePerceptual, 3, false, true}, {BuildTColourLoneTable, 3, false, false},
        {BuildTRedGreenSplitTablePerceptual, 2, true, true}, {BuildTRedGreenSplitTable, 2, true, false},
        {BuildTRedGreenLoneTablePerceptual, 2, false, true}, {BuildTRedGreenLoneTable, 2, false, false},
        {BuildTRedSplitTablePerceptual, 1, true, true},     {BuildTRedSplitTable, 1, true, false},
    };
    std::mt19937 random(13);
    std::vector<u32> table(4096 * kSplitEntries);
    for (int n = 0; n < 20; ++n) {
        const Block image = RandomBlock(random);
        u8 block[64];
        GatherBlockArray(image.data(), 4, 0, 0, block);
        ASSERT_EQ(block[4 * 1 + 0], image[3 * 4]) << "record 1 is column 0, row 1";
        for (const SBuilder& b : builders) {
            const u32 weights[3] = {b.perceptual ? 299u : 1u, b.perceptual ? 587u : 1u, b.perceptual ? 114u : 1u};
            for (int m = 0; m < 8; ++m) {
                const u32 colour = m == 0 ? 0 : m == 1 ? 0xFFF : u32(random() & 0xFFF);
                const u32 row = b.channels == 1 ? colour >> 8 : b.channels == 2 ? colour >> 4 : colour;
                const u32 value = b.channels == 1 ? colour & 0xF00 : b.channels == 2 ? colour & 0xFF0 : colour;
                b.build(block, value, table.data());
                const u32 entries = b.split ? kSplitEntries : kLoneEntries;
                for (u32 e = 0; e < entries; ++e)
                    ASSERT_EQ(table[row * entries + e],
                              NaiveEntry(block, value, b.channels, b.split, e / 16, e % 16, weights))
                        << "builder " << (&b - builders) << " colour " << value << " entry " << e;
            }
        }
    }
}

// EAC --------------------------------------------------------------------------------------------------

std::array<u8, 16> DecodeAlpha(const u8 block[8])
{
    std::array<u8, 16> alpha{};
    DecodeEACAlphaBlock(block, alpha.data(), 4, 4, 0, 0, &kEACAlphaTable[0][0]);
    return alpha;
}

TEST(EtcEacAlpha, ConstantAlphaIsExactAndErrorsAreBoundsOfTheWrittenBlocks)
{
    using Search = i32 (*)(const u8*, i32, i32, i32, u32, u8*, const i32*);
    for (const Search search : {CompressEACAlphaBlockFast, CompressEACAlphaBlock}) {
        for (u32 a : {0u, 1u, 127u, 128u, 200u, 255u}) {
            u8 alpha[16], out[8];
            std::fill_n(alpha, 16, u8(a));
            EXPECT_EQ(search(alpha, 0, 0, 4, 4, out, &kEACAlphaTable[0][0]), 0) << a;
            EXPECT_EQ(out[0], a);
            EXPECT_EQ(out[1] >> 4, 0) << "multiplier 0: the first exact row";
            std::array<u8, 16> expected;
            expected.fill(u8(a));
            EXPECT_EQ(DecodeAlpha(out), expected) << a;
        }
        std::mt19937 random(21);
        for (int n = 0; n < 200; ++n) {
            u8 alpha[16], out[8];
            const int centre = int(random() % 256), spread = n % 3 == 0 ? 128 : 20;
            for (u8& v : alpha)
                v = u8(std::clamp(centre + int(random() % (2 * spread + 1)) - spread, 0, 255));
            const i32 reported = search(alpha, 0, 0, 4, 4, out, &kEACAlphaTable[0][0]);
            const std::array<u8, 16> decoded = DecodeAlpha(out);
            i32 error = 0;
            for (u32 i = 0; i < 16; ++i)
                error += (decoded[i] - alpha[i]) * (decoded[i] - alpha[i]);
            EXPECT_LE(error, reported) << n;
        }
    }
}

TEST(EtcEac11, SearchEqualsTheBoundedScanOfEveryChoice)
{
    std::mt19937 random(23);
    for (u8 isSigned : {0, 1}) {
        const u16* table = SharedEAC11Table(isSigned);
        ASSERT_NE(table, nullptr);
        for (int n = 0; n < 100; ++n) {
            u16 plane[16];
            const int kind = n % 4;
            const int centre = int(random() % 65536);
            for (u32 i = 0; i < 16; ++i)
                plane[i] = kind == 0   ? u16(random())                                   // noise
                           : kind == 1 ? u16(std::clamp(centre + int(i) * 997, 0, 65535)) // ramp
                           : kind == 2 ? u16(centre)                                      // constant
                                       : u16(i % 2 ? 0 : 65535);                          // extremes
            u8 out[8];
            CompressEAC11Block(plane, 0, 0, 4, 4, out, isSigned, table);
            // The scan as written: every choice in order, its error bounded by the best so far.
            double best = double(u64(1) << 40);
            u32 base = 0, t = 0, m = 0;
            for (u32 b = 0; b < 256; ++b)
                for (u32 tt = 0; tt < 16; ++tt)
                    for (u32 mm = 0; mm < 16; ++mm) {
                        const double e = EAC11BlockError(plane, 0, 0, 4, 4, b, tt, mm, best, table);
                        if (e < best)
                            best = e, base = b, t = tt, m = mm;
                    }
            ASSERT_EQ(out[0], u8(isSigned ? base - 128 : base)) << "block " << n << (isSigned ? " signed" : "");
            ASSERT_EQ(out[1], u8(m << 4 | t)) << "block " << n << (isSigned ? " signed" : "");
        }
    }
}

TEST(EtcEac11, RepresentableConstantsAreExact)
{
    // Unsigned: the extension of an 11-bit value; signed (offset form): 32768 plus or minus the
    // extension of a magnitude.
    struct SCase {
        u8 isSigned;
        u16 value;
    };
    const SCase cases[] = {{0, 0}, {0, (1 << 5) + 0}, {0, (1000 << 5) + (1000 >> 6)}, {0, 65535},
                           {1, 32768}, {1, 32768 + (1 << 5)}, {1, 32768 - ((1000 << 5) + (1000 >> 5))},
                           {1, 32768 + (1023 << 5) + (1023 >> 5)}};
    for (const SCase& c : cases) {
        u16 plane[16];
        std::fill_n(plane, 16, c.value);
        u8 out[8];
        CompressEAC11Block(plane, 0, 0, 4, 4, out, c.isSigned, SharedEAC11Table(c.isSigned));
        u16 decoded[16];
        DecodeEAC11Block(out, decoded, 4, 4, 0, 0, c.isSigned);
        EXPECT_EQ(std::vector<u16>(decoded, decoded + 16), std::vector<u16>(16, c.value)) << c.value;
    }
}

// The image entry ------------------------------------------------------------------------------------

std::vector<u8> Encode(const void* pixels, u64 bytes, u32 w, u32 h, u32 id, i32 quality, u32 isSigned = 0)
{
    std::vector<u8> out(EncodeETCImage(nullptr, 0, nullptr, w, h, id, 0, 0));
    if (EncodeETCImage(pixels, bytes, out.data(), w, h, id, quality, isSigned) != out.size())
        out.clear();
    return out;
}

TEST(EtcEncodeImage, Etc2IsNeverWorseThanEtc1BlockByBlock)
{
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(32, 32)) {
        const std::vector<u8> rgb = image.Rgb();
        for (u32 by = 0; by < 32; by += 4)
            for (u32 bx = 0; bx < 32; bx += 4) {
                u32 high = 0, low = 0;
                std::vector<u8> plane(rgb.size());
                const double etc1 = CompressETC1BlockFast(rgb.data(), plane.data(), 32, bx, by, high, low);
                const double etc2 = CompressETC2BlockFast(rgb.data(), nullptr, plane.data(), 32, 32, bx, by, high, low, ETC2_RGB);
                EXPECT_LE(etc2, etc1) << image.name << " block " << bx << "," << by;
                DecodeETC2RGBBlock(high, low, plane.data(), 32, i32(bx), i32(by));
                EXPECT_EQ(etc2, ComputeBlockErrorPlain(rgb.data(), plane.data(), 32, i32(bx), i32(by)));
                // Perceptual: measured on the decoded blocks.
                CompressETC1BlockFastPerceptual(rgb.data(), plane.data(), 32, bx, by, high, low);
                DecodeETC1Block(high, low, plane.data(), 32, i32(bx), i32(by));
                const double p1 = ComputeBlockErrorPerceptual(rgb.data(), plane.data(), 32, i32(bx), i32(by));
                CompressETC2BlockFastPerceptual(rgb.data(), plane.data(), 32, bx, by, high, low);
                DecodeETC2RGBBlock(high, low, plane.data(), 32, i32(bx), i32(by));
                EXPECT_LE(ComputeBlockErrorPerceptual(rgb.data(), plane.data(), 32, i32(bx), i32(by)), p1)
                    << image.name << " block " << bx << "," << by;
            }
    }
}

TEST(EtcEncodeImage, Etc2Rgb8ReachesEtc1sPsnrAndBeatsItOnHardEdges)
{
    const u32 w = 64, h = 64;
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(w, h)) {
        const std::vector<u8> rgb = image.Rgb();
        const std::vector<u8> etc1 = Encode(rgb.data(), rgb.size(), w, h, ETC1, 0);
        const std::vector<u8> etc2 = Encode(image.rgba.data(), image.rgba.size(), w, h, ETC2_RGB, 0);
        ASSERT_FALSE(etc1.empty());
        ASSERT_FALSE(etc2.empty());
        std::vector<u8> back1(rgb.size()), back2(image.rgba.size());
        DecodeETCImage(etc1.data(), etc1.size(), back1.data(), w, h, ETC1, 0, 0);
        DecodeETCImage(etc2.data(), etc2.size(), back2.data(), w, h, ETC2_RGB, 0, 0);
        const double p1 = xqft::test::PsnrRgb(rgb.data(), 3, back1.data(), 3, w * h);
        const double p2 = xqft::test::PsnrRgb(rgb.data(), 3, back2.data(), 4, w * h);
        EXPECT_GE(p2, p1) << image.name;
        if (image.name == "edges" || image.name == "checkers" || image.name == "strokes") {
            EXPECT_GT(p2, p1 + 1.0) << image.name;
        }
    }
}

TEST(EtcEncodeImage, PunchThroughAlphaFollowsTheThreshold)
{
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(37, 21)) {
        const std::vector<u8> out = Encode(image.rgba.data(), image.rgba.size(), 37, 21, ETC2_RGB_A1, 0);
        ASSERT_FALSE(out.empty());
        std::vector<u8> back(image.rgba.size());
        ASSERT_EQ(DecodeETCImage(out.data(), out.size(), back.data(), 37, 21, ETC2_RGB_A1, 0, 0), back.size());
        for (size_t i = 3; i < back.size(); i += 4)
            ASSERT_EQ(back[i], image.rgba[i] < 128 ? 0 : 255) << image.name << " pixel " << i / 4;
    }
}

TEST(EtcEncodeImage, EveryThreadLimitGivesTheSameBytesForEtc2AndEac)
{
    const u32 w = 29, h = 18;
    std::vector<std::pair<std::vector<u8>, u32>> inputs; // bytes, id
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(w, h))
        for (u32 id : {ETC2_RGB, ETC2_RGBA, ETC2_RGB_A1})
            inputs.push_back({image.rgba, id});
    for (const xqft::test::SImage16& image : xqft::test::Images16(w, h)) {
        const std::vector<u16> r = image.Channel(0);
        inputs.push_back({std::vector<u8>(reinterpret_cast<const u8*>(r.data()), reinterpret_cast<const u8*>(r.data() + r.size())),
                          EAC_R11 | (image.isSigned ? 0x100u : 0)});
        inputs.push_back({std::vector<u8>(reinterpret_cast<const u8*>(image.rg.data()),
                                          reinterpret_cast<const u8*>(image.rg.data() + image.rg.size())),
                          EAC_RG11 | (image.isSigned ? 0x100u : 0)});
    }
    for (const auto& [bytes, key] : inputs)
        for (i32 quality : {0, 1}) {
            const u32 id = key & 0xFF, isSigned = key >> 8;
            if (quality == 1 && (id == EAC_R11 || id == EAC_RG11))
                continue; // the same driver at every quality
            SetThreadLimit(1);
            const std::vector<u8> one = Encode(bytes.data(), bytes.size(), w, h, id, quality, isSigned);
            ASSERT_FALSE(one.empty()) << id;
            for (u32 limit : {2u, 8u, 0u}) {
                SetThreadLimit(limit);
                EXPECT_EQ(Encode(bytes.data(), bytes.size(), w, h, id, quality, isSigned), one) << id << " limit " << limit;
            }
        }
    SetThreadLimit(0);
}

} // namespace
