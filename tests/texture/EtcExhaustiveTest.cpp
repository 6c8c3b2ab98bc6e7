// The exhaustive searches (ETC1 individual and differential, ETC2 T, H and planar) and the encoder at
// qualities 2 to 5. Brute-force proofs of optimality are in EtcExhaustiveSlowTest.cpp.
#include "ETC/EtcCluster.h"
#include "ETC/EtcDrivers.h"
#include "ETC/EtcEtc1Search.h"
#include "ETC/EtcFastEtc1.h"
#include "ETC/EtcHMode.h"
#include "ETC/EtcHSearch.h"
#include "ETC/EtcMetrics.h"
#include "ETC/EtcPlanarSearch.h"
#include "ETC/EtcPlanes.h"
#include "ETC/EtcTSearch.h"
#include "ETC/EtcTTables.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "Psnr.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureScratch.h"
#include "XQFTextureThreads.h"

#include "EtcTestBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <random>
#include <vector>

using namespace xqftexture;
using namespace xqftexture::etc;

namespace {

using namespace etctest;

Block Decoded(u32 high, u32 low)
{
    Block out{};
    DecodeETC2RGBBlock(high, low, out.data(), 4, 0, 0);
    return out;
}

double Plain(const Block& a, const Block& b) { return ComputeBlockErrorPlain(a.data(), b.data(), 4, 0, 0); }
u32 Perceptual(const Block& a, const Block& b) { return u32(std::lround(1000 * ComputeBlockErrorPerceptual(a.data(), b.data(), 4, 0, 0))); }

// The stages --------------------------------------------------------------------------------------

TEST(EtcEtc1Stages, HalfErrorsBelowTheBoundAreTheTableSearchsErrors)
{
    std::mt19937 random(31);
    for (int n = 0; n < 3000; ++n) {
        const Block image = RandomBlock(random, n % 2 ? 30 : 256);
        const bool perceptual = n % 4 >= 2;
        u8 block[64];
        GatherQuadrantBlockArray(image.data(), 4, 0, 0, block);
        const u8 colour[3] = {u8(random()), u8(random()), u8(random())};
        const u32 maximum = perceptual ? kMaxPerceptualError : u32(kMaxPlainError);
        const u32 bound = n % 5 == 0 ? maximum : u32(random() % (perceptual ? 40000000 : 120000));
        QuadrantTable red[4], redGreen[4];
        const i32 r = perceptual ? BuildETC1RedTablesPerceptual(block, colour, red, bound)
                                 : BuildETC1RedTables(block, colour, red, bound);
        const i32 rg = perceptual ? BuildETC1RedGreenTablesPerceptual(block, colour, red, redGreen, bound)
                                  : BuildETC1RedGreenTables(block, colour, red, redGreen, bound);
        u32 half[4];
        if (perceptual)
            ETC1HalfErrorsPerceptual(block, colour, redGreen, half[0], half[1], half[2], half[3], bound);
        else
            ETC1HalfErrors(block, colour, redGreen, half[0], half[1], half[2], half[3], bound);
        // top, bottom (4 x 2 at rows 0 and 2), left, right (2 x 4 at columns 0 and 2)
        const i32 at[4][2] = {{0, 0}, {0, 2}, {0, 0}, {2, 0}};
        for (u32 h = 0; h < 4; ++h) {
            u32 table, msb, lsb;
            const i32 exact = h < 2 ? (perceptual ? FindHalfBlockTable4x2Perceptual : FindHalfBlockTable4x2)(
                                          image.data(), 4, at[h][0], at[h][1], colour, table, msb, lsb)
                                    : (perceptual ? FindHalfBlockTable2x4Perceptual : FindHalfBlockTable2x4)(
                                          image.data(), 4, at[h][0], at[h][1], colour, table, msb, lsb);
            if (half[h] < bound) {
                ASSERT_EQ(half[h], u32(exact)) << "case " << n << " half " << h;
            } else {
                ASSERT_LE(u32(exact), half[h]) << "case " << n << " half " << h;
            }
            if (u32(exact) < bound) {
                ASSERT_TRUE(r == 1 && rg == 1) << "a half below the bound was pruned, case " << n;
            }
        }
        if (bound >= maximum) {
            ASSERT_TRUE(r == 1 && rg == 1);
        }
    }
}

TEST(EtcEtc1Stages, BoundZeroClampsAndWholeColumns)
{
    const Block image = Uniform(100, 100, 100);
    u8 block[64];
    GatherQuadrantBlockArray(image.data(), 4, 0, 0, block);
    QuadrantTable red[4], redGreen[4];
    const u8 colour[3] = {100, 100, 100};
    EXPECT_EQ(BuildETC1RedTables(block, colour, red, 0), 0);
    EXPECT_EQ(BuildETC1RedGreenTables(block, colour, red, redGreen, 0), 0);
    u32 t, b, l, r;
    ETC1HalfErrorsPerceptual(block, colour, redGreen, t, b, l, r, 0);
    EXPECT_EQ(std::vector<u32>({t, b, l, r}), std::vector<u32>(4, kMaxPerceptualError));

    // Red 0 and 255 under row 7: candidates 0, 0, 47, 183 and 72, 208, 255, 255 (pixel red 0).
    const Block black = Uniform(0, 0, 0);
    GatherQuadrantBlockArray(black.data(), 4, 0, 0, block);
    const u8 red0[3] = {0, 0, 0}, red255[3] = {255, 0, 0};
    BuildETC1RedTables(block, red0, red, 0);
    EXPECT_EQ(std::vector<u32>(red[0] + 16 * 7, red[0] + 16 * 7 + 4), (std::vector<u32>{0, 0, 47 * 47, 183 * 183}));
    BuildETC1RedTables(block, red255, red, 0);
    EXPECT_EQ(std::vector<u32>(red[0] + 16 * 7, red[0] + 16 * 7 + 4),
              (std::vector<u32>{72 * 72, 208 * 208, 255 * 255, 255 * 255}));

    // Row 0, plain: red 8 above the candidate and green 8 below: red and green alone reach 0, together
    // the least over whole columns is 136.
    const Block pixel = Uniform(108, 92, 0);
    GatherQuadrantBlockArray(pixel.data(), 4, 0, 0, block);
    const u8 candidate[3] = {100, 100, 0};
    BuildETC1RedTables(block, candidate, red, ~0u);
    BuildETC1RedGreenTables(block, candidate, red, redGreen, ~0u);
    EXPECT_EQ(*std::min_element(red[0], red[0] + 4), 0u);
    EXPECT_EQ(*std::min_element(redGreen[0], redGreen[0] + 4), 136u);
}

// The ETC1 searches -----------------------------------------------------------------------------------

TEST(EtcEtc1Search, BoundZeroReturnsTheSeed)
{
    std::mt19937 random(33);
    SDifferentialTables tables;
    ASSERT_TRUE(tables.Allocate());
    for (int n = 0; n < 20; ++n) {
        const Block image = RandomBlock(random, 60);
        u32 high = 0, low = 0, seedHigh = 0, seedLow = 0;
        SIndividualAverage individual{};
        const u32 seed = CompressETC1IndividualAverage(image.data(), 4, 0, 0, seedHigh, seedLow, individual);
        EXPECT_EQ(SearchETC1IndividualExhaustive(image.data(), 4, 0, 0, high, low, 0), seed);
        EXPECT_EQ(high >> 8, seedHigh >> 8) << "the seed's colours";
        SDifferentialAverage differential{};
        const u32 dseed = CompressETC1DifferentialAverage(image.data(), 4, 0, 0, seedHigh, seedLow, differential);
        EXPECT_EQ(SearchETC1DifferentialExhaustive(image.data(), 4, 0, 0, high, low, 0, tables), dseed);
        EXPECT_EQ(high, seedHigh);
        EXPECT_EQ(low, seedLow);
        const u32 pseed = CompressETC1DifferentialAveragePerceptual(image.data(), 4, 0, 0, seedHigh, seedLow);
        EXPECT_EQ(SearchETC1DifferentialExhaustivePerceptual(image.data(), 4, 0, 0, high, low, 0, tables), pseed);
        EXPECT_EQ(high, seedHigh);
    }
}

TEST(EtcEtc1Search, ReturnedErrorsBoundTheWrittenBlocksAndDeltasStayInRange)
{
    std::mt19937 random(35);
    SDifferentialTables tables;
    ASSERT_TRUE(tables.Allocate());
    for (int n = 0; n < 12; ++n) {
        const Block image = n == 0 ? Uniform(0, 0, 0) : n == 1 ? Uniform(255, 255, 255) : RandomBlock(random, n % 2 ? 40 : 256);
        u32 high = 0, low = 0;
        const u32 individual = SearchETC1IndividualExhaustive(image.data(), 4, 0, 0, high, low, kMaxPlainError);
        EXPECT_EQ(high & 2, 0u);
        EXPECT_LE(Plain(image, Decoded(high, low)), double(individual));
        const u32 differential =
            SearchETC1DifferentialExhaustive(image.data(), 4, 0, 0, high, low, kMaxPlainError, tables);
        EXPECT_EQ(high & 2, 2u);
        EXPECT_EQ(Plain(image, Decoded(high, low)), double(differential));
        for (u32 c = 0; c < 3; ++c) { // colour 2 within 0..31: never an ETC2 mode
            const i32 base = i32((high >> (27 - 8 * c)) & 31), delta = i32((high >> (24 - 8 * c)) & 3) - i32((high >> (24 - 8 * c)) & 4);
            EXPECT_GE(base + delta, 0);
            EXPECT_LE(base + delta, 31);
        }
        const u32 perceptual = SearchETC1DifferentialExhaustivePerceptual(image.data(), 4, 0, 0, high, low,
                                                                          kMaxPerceptualError, tables);
        EXPECT_EQ(Perceptual(image, Decoded(high, low)), perceptual);
    }
}

// The quality 2 and 3 drivers keep the best of what they searched: their block is never worse than
// either exhaustive search alone (smooth blocks, where the differential mode usually wins, and noisy
// ones, where the individual mode may).
TEST(EtcEtc1Search, ExhaustiveDriversAreNoWorseThanEitherSearch)
{
    std::mt19937 random(37);
    SExhaustiveScratch scratch;
    ASSERT_TRUE(scratch.Allocate(false));
    for (int n = 0; n < 24; ++n) {
        const Block image = RandomBlock(random, n % 3 == 0 ? 256 : 24);
        Block decoded{};
        u32 high = 0, low = 0, h = 0, l = 0;
        CompressETC1BlockExhaustive(image.data(), decoded.data(), 4, 0, 0, high, low, scratch);
        const u32 individual = SearchETC1IndividualExhaustive(image.data(), 4, 0, 0, h, l, kMaxPlainError);
        const u32 differential =
            SearchETC1DifferentialExhaustive(image.data(), 4, 0, 0, h, l, kMaxPlainError, scratch.differential);
        EXPECT_LE(Plain(image, Decoded(high, low)), double(std::min(individual, differential))) << n;

        CompressETC1BlockExhaustivePerceptual(image.data(), decoded.data(), 4, 0, 0, high, low, scratch);
        const u32 pIndividual =
            SearchETC1IndividualExhaustivePerceptual(image.data(), 4, 0, 0, h, l, kMaxPerceptualError);
        const u32 pDifferential = SearchETC1DifferentialExhaustivePerceptual(image.data(), 4, 0, 0, h, l,
                                                                             kMaxPerceptualError, scratch.differential);
        EXPECT_LE(Perceptual(image, Decoded(high, low)), std::min(pIndividual, pDifferential) + 1) << n;
    }
}

TEST(EtcEtc1Search, DeltasReachTheEndsOfTheirRangeAndLayoutTies)
{
    SDifferentialTables tables;
    ASSERT_TRUE(tables.Allocate());
    // Top half red 0, bottom half red 24 (5-bit 0 and 3), green and blue 132 (5-bit 16): the pair at
    // the end of the delta range (red 0 with +3; mirrored, red 31 with -4) is among those tried, so
    // the search does at least as well.
    struct SCase {
        u8 top, bottom;
        u32 r1, r2;
    };
    for (const SCase& c : {SCase{0, 24, 0, 3}, SCase{255, 222, 31, 27}}) {
        Block image = Uniform(c.top, 132, 132);
        for (u32 i = 8; i < 16; ++i)
            image[3 * i] = c.bottom;
        u32 high = 0, low = 0, table, msb, lsb;
        const u32 found = SearchETC1DifferentialExhaustive(image.data(), 4, 0, 0, high, low, kMaxPlainError, tables);
        const u8 top[3] = {u8(Expand5(c.r1)), 132, 132}, bottom[3] = {u8(Expand5(c.r2)), 132, 132};
        const i32 pair = FindHalfBlockTable4x2(image.data(), 4, 0, 0, top, table, msb, lsb) +
                         FindHalfBlockTable4x2(image.data(), 4, 0, 2, bottom, table, msb, lsb);
        EXPECT_LE(found, u32(pair)) << int(c.top);
    }
    // Quadrants A B / B A: top and left hold the same pixels, so both layouts tie for every colour
    // pair. The individual search then keeps side by side; the differential search, which tests the
    // stacked layout first, stacked (unless the seed already holds the least error).
    Block checker{};
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 4; ++x) {
            const bool a = (x < 2) == (y < 2);
            const u8 colour[3] = {u8(a ? 10 : 220), u8(a ? 30 : 90), u8(a ? 200 : 40)};
            std::copy_n(colour, 3, &checker[3 * (4 * y + x)]);
        }
    u32 high = 0, low = 0, seedHigh = 0, seedLow = 0;
    SearchETC1IndividualExhaustive(checker.data(), 4, 0, 0, high, low, kMaxPlainError);
    EXPECT_EQ(high & 1, 0u);
    SDifferentialAverage seed{};
    const u32 seedError = CompressETC1DifferentialAverage(checker.data(), 4, 0, 0, seedHigh, seedLow, seed);
    const u32 found = SearchETC1DifferentialExhaustive(checker.data(), 4, 0, 0, high, low, kMaxPlainError, tables);
    ASSERT_LT(found, seedError) << "the search improves on the seed here";
    EXPECT_EQ(high & 1, 1u);
}

// ETC2 T, H and planar ------------------------------------------------------------------------------

class EtcEtc2Search : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_scratch.Allocate(true)); }
    SExhaustiveScratch m_scratch;
};

TEST_F(EtcEtc2Search, TAndHBoundZeroBlackWhiteAndPackedErrors)
{
    std::mt19937 random(37);
    Block blackWhite = Uniform(0, 0, 0);
    for (u32 i = 0; i < 16; i += 3)
        blackWhite[3 * i] = blackWhite[3 * i + 1] = blackWhite[3 * i + 2] = 255;
    for (int n = 0; n < 6; ++n) {
        const Block image = n == 0 ? blackWhite : RandomBlock(random, n % 2 ? 40 : 120);
        for (bool perceptual : {false, true}) {
            u32 word = 0, low = 0, lone = 0, split = 0, h58 = 0;
            // Bound 0: the start fit.
            const u32 start = perceptual ? FitTModeColoursPerceptual(image.data(), 4, 0, 0, lone, split)
                                         : u32(FitTModeColours(image.data(), 4, 0, 0, lone, split));
            const u32 t0 = perceptual ? SearchTModeExhaustivePerceptual(image.data(), 4, 0, 0, word, low, 0, m_scratch.tModes)
                                      : SearchTModeExhaustive(image.data(), 4, 0, 0, word, low, 0, m_scratch.tModes);
            EXPECT_EQ(t0, start);
            EXPECT_EQ(word >> 3, lone << 12 | split);
            const u32 hStart = perceptual ? CompressHModeLBGPerceptual(image.data(), 4, 0, 0, h58, low)
                                          : u32(CompressHModeLBG(image.data(), 4, 0, 0, h58, low));
            const u32 h0 = perceptual ? SearchHModeExhaustivePerceptual(image.data(), 4, 0, 0, word, low, 0, m_scratch.hModes)
                                      : SearchHModeExhaustive(image.data(), 4, 0, 0, word, low, 0, m_scratch.hModes);
            EXPECT_EQ(h0, hStart);
            // Unbounded: the error of the packed block; T words within 27 bits; H colour order.
            const u32 t = perceptual ? SearchTModeExhaustivePerceptual(image.data(), 4, 0, 0, word, low, ~0u, m_scratch.tModes)
                                     : SearchTModeExhaustive(image.data(), 4, 0, 0, word, low, ~0u, m_scratch.tModes);
            EXPECT_EQ(word >> 27, 0u);
            Block decoded{};
            DecodeETC2TBlock(word, low, decoded.data(), 4, 0, 0);
            EXPECT_EQ(perceptual ? Perceptual(image, decoded) : u32(Plain(image, decoded)), t);
            EXPECT_LE(t, start);
            const u32 h = perceptual ? SearchHModeExhaustivePerceptual(image.data(), 4, 0, 0, word, low, ~0u, m_scratch.hModes)
                                     : SearchHModeExhaustive(image.data(), 4, 0, 0, word, low, ~0u, m_scratch.hModes);
            DecodeETC2HBlock(word, low, decoded.data(), 4, 0, 0);
            EXPECT_EQ(perceptual ? Perceptual(image, decoded) : u32(Plain(image, decoded)), h);
            EXPECT_LE(h, hStart);
            const u32 c1 = (word >> 14) & 0xFFF, c2 = (word >> 2) & 0xFFF;
            EXPECT_NE(c1, c2);
            const Block viaBlock = Decoded(PackHBlockHigh(word), low);
            EXPECT_EQ(viaBlock, decoded) << "the colour order carries the distance's low bit";
            if (n == 0) {
                EXPECT_EQ(t, 0u) << "black and white";
                EXPECT_EQ(h, 0u) << "black and white";
            }
        }
    }
}

TEST_F(EtcEtc2Search, HTablesPaintWithTheDecodersClamps)
{
    // Red 12 (204) at distance index 7 (64): paint reds 255 and 140. A pixel of red 140 is 0 away.
    Block image = Uniform(140, 0, 0);
    u8 block[64];
    GatherBlockArray(image.data(), 4, 0, 0, block);
    std::vector<u32> table(4096 * 128);
    BuildHColourTable(block, 0xC00, table.data());
    EXPECT_EQ(table[0xC00 * 128 + 16 * 7 + 5], 0u);
    image = Uniform(255, 0, 0); // red alone: the plus paint, clamped to 255
    BuildHRedTable(image.data(), 4, 0, 0, 0xC00, table.data());
    EXPECT_EQ(table[12 * 128 + 16 * 7 + 3], 0u);
    BuildHRedGreenTable(image.data(), 4, 0, 0, 0xC00, table.data());
    EXPECT_EQ(table[0xC0 * 128 + 16 * 7 + 3], 64u * 64u) << "green 0 + 64 against 0";
}

TEST_F(EtcEtc2Search, PlanarExhaustiveCases)
{
    u32 w1 = 0, w2 = 0;
    // (130, 129, 130) everywhere: 32, 64, 32 in every field, error 0.
    SearchPlanarExhaustive(Uniform(130, 129, 130).data(), 4, 0, 0, w1, w2, ~0u, 1000, 1000, 1000, m_scratch.planar);
    EXPECT_EQ(w1, 32u << 26 | 64u << 19 | 32u << 13 | 32u << 7 | 64u);
    EXPECT_EQ(w2, 32u << 26 | 32u << 20 | 64u << 13 | 32u << 7);
    // Red 128 everywhere: (32, 31, 32) with a red error of 36 beats the uniform (32, 32, 32) at 64.
    const Block red128 = Uniform(128, 0, 0);
    SearchPlanarExhaustive(red128.data(), 4, 0, 0, w1, w2, ~0u, ~0u, ~0u, ~0u, m_scratch.planar);
    EXPECT_EQ(w1 >> 26, 32u);
    EXPECT_EQ((w1 >> 7) & 63, 31u);
    EXPECT_EQ((w2 >> 20) & 63, 32u);
    u32 high = 0, low = 0;
    PackPlanarBlock(w1, w2, high, low);
    EXPECT_EQ(Plain(red128, Decoded(high, low)), 36.0);
    // The perceptual twin gives up (two zero words) when the red error alone cannot fit the bound.
    std::mt19937 random(39);
    const Block noise = RandomBlock(random);
    SearchPlanarExhaustivePerceptual(noise.data(), 4, 0, 0, w1, w2, 10, 5000000, 5000000, 5000000, m_scratch.planar);
    EXPECT_EQ(w1, 0u);
    EXPECT_EQ(w2, 0u);
}

TEST_F(EtcEtc2Search, PlanarChannelsAgreeWithABruteForceWithinTheBound)
{
    // Per channel, every triple: the search's pick is the first of least error when that error is
    // within the bound.
    std::mt19937 random(41);
    for (int n = 0; n < 3; ++n) {
        Block image = RandomBlock(random, 24);
        u32 w1 = 0, w2 = 0;
        SearchPlanarExhaustive(image.data(), 4, 0, 0, w1, w2, ~0u, ~0u, ~0u, ~0u, m_scratch.planar);
        const u32 got[3][3] = {{w1 >> 26, (w1 >> 7) & 63, (w2 >> 20) & 63},
                               {(w1 >> 19) & 127, w1 & 127, (w2 >> 13) & 127},
                               {(w1 >> 13) & 63, w2 >> 26, (w2 >> 7) & 63}};
        for (u32 c = 0; c < 3; c += 2) { // red and blue (green's 2 million triples: the slow test)
            const std::array<u32, 3> pick = PlanarChannelBruteForce(image, c);
            EXPECT_EQ(std::vector<u32>(got[c], got[c] + 3), std::vector<u32>(pick.begin(), pick.end())) << "channel " << c;
        }
    }
}

// The encoder at qualities 2 to 5 -------------------------------------------------------------------

std::vector<u8> Encode(const std::vector<u8>& in, u32 w, u32 h, u32 id, i32 quality, u32 isSigned = 0)
{
    std::vector<u8> out(EncodeETCImage(nullptr, 0, nullptr, w, h, id, 0, 0));
    if (EncodeETCImage(in.data(), in.size(), out.data(), w, h, id, quality, isSigned) != out.size())
        out.clear();
    return out;
}

TEST(EtcExhaustiveImage, SlowerQualitiesAreNeverWorseAndAliasesAreIdentical)
{
    // 8 x 8 crops of the set: ETC2 RGB8 blocks at qualities 2 and 3 have errors at most those of 0 and
    // 1 in the same metric; ETC1 at quality 2 likewise; 4 and 5 give the bytes of 2 and 3.
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(8, 8)) {
        const std::vector<u8> rgb = image.Rgb();
        for (u32 id : {ETC1, ETC2_RGB}) {
            const std::vector<u8>& in = id == ETC1 ? rgb : image.rgba;
            const u32 channels = id == ETC1 ? 3 : 4;
            std::vector<std::vector<u8>> decoded;
            for (i32 quality = 0; quality < 4; ++quality) {
                const std::vector<u8> blocks = Encode(in, 8, 8, id, quality);
                ASSERT_FALSE(blocks.empty()) << id << " quality " << quality;
                decoded.emplace_back(64 * channels);
                DecodeETCImage(blocks.data(), blocks.size(), decoded.back().data(), 8, 8, id, 0, 0);
                if (quality >= 2 && image.name == "edges") {
                    EXPECT_EQ(Encode(in, 8, 8, id, quality + 2), blocks) << "quality " << quality + 2;
                }
            }
            for (u32 by = 0; by < 8; by += 4)
                for (u32 bx = 0; bx < 8; bx += 4) {
                    double err[4] = {0, 0, 0, 0};
                    for (u32 q = 0; q < 4; ++q)
                        for (u32 y = 0; y < 4; ++y)
                            for (u32 x = 0; x < 4; ++x) {
                                const u32 p = (by + y) * 8 + bx + x;
                                double e = 0;
                                for (u32 c = 0; c < 3; ++c) {
                                    const double d = double(in[p * channels + c]) - decoded[q][p * channels + c];
                                    e += (q % 2 ? (c == 0 ? 0.299 : c == 1 ? 0.587 : 0.114) : 1.0) * d * d;
                                }
                                err[q] += e;
                            }
                    EXPECT_LE(err[2], err[0]) << image.name << " id " << id << " block " << bx << "," << by;
                    EXPECT_LE(err[3], err[1] + 0.001) << image.name << " id " << id << " block " << bx << "," << by;
                }
        }
    }
    // Signed input with ETC1 is refused at quality 2 and accepted at its alias 4.
    const std::vector<u8> rgb = xqft::test::ColourImage("gradient", 4, 4).Rgb();
    EXPECT_TRUE(Encode(rgb, 4, 4, ETC1, 2, 1).empty());
    EXPECT_EQ(Encode(rgb, 4, 4, ETC1, 4, 1), Encode(rgb, 4, 4, ETC1, 2, 0));
}

TEST(EtcExhaustiveImage, EveryThreadLimitGivesTheSameBytes)
{
    for (const char* kind : {"sine-noise", "edges"}) {
        const xqft::test::SColourImage image = xqft::test::ColourImage(kind, 13, 9);
        for (u32 id : {ETC1, ETC2_RGBA})
            for (i32 quality : {2, 3}) {
                const std::vector<u8>& in = id == ETC1 ? image.Rgb() : image.rgba;
                SetThreadLimit(1);
                const std::vector<u8> one = Encode(in, 13, 9, id, quality);
                ASSERT_FALSE(one.empty());
                for (u32 limit : {2u, 8u, 0u}) {
                    SetThreadLimit(limit);
                    EXPECT_EQ(Encode(in, 13, 9, id, quality), one) << kind << " id " << id << " limit " << limit;
                }
            }
    }
    SetThreadLimit(0);
}

} // namespace
