// The ETC encoder: half-block metrics and table search, fast ETC1, the planar fit and the image
// entry with its padding, qualities, threads and the transcoder's compress road.
#include "ETC/EtcDrivers.h"
#include "ETC/EtcFastEtc1.h"
#include "ETC/EtcMetrics.h"
#include "ETC/EtcPlanarFit.h"
#include "ETC/EtcPlanes.h"
#include "ETC/EtcTables.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "TextureHeaders.h"
#include "TextureTranscoder.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

using namespace xqftexture;
using namespace xqftexture::etc;

namespace {

// A 4 x 4 RGB block (rows of 4 pixels) of one colour, with single pixels set afterwards.
struct SBlock {
    std::array<u8, 48> rgb{};
    explicit SBlock(u8 r = 0, u8 g = 0, u8 b = 0)
    {
        for (u32 i = 0; i < 16; ++i)
            Set(i % 4, i / 4, r, g, b);
    }
    SBlock& Set(u32 x, u32 y, u8 r, u8 g, u8 b)
    {
        rgb[(4 * y + x) * 3] = r, rgb[(4 * y + x) * 3 + 1] = g, rgb[(4 * y + x) * 3 + 2] = b;
        return *this;
    }
    const u8* data() const { return rgb.data(); }
};

SBlock RandomBlock(std::mt19937& random)
{
    SBlock b;
    for (u8& v : b.rgb)
        v = u8(random());
    return b;
}

using HalfSearch = i32 (*)(const u8*, i32, i32, i32, const u8[3], u32&, u32&, u32&);
struct SSearchMember {
    const char* name;
    HalfSearch find;
    bool fourByTwo;
};
const SSearchMember kSearches[] = {
    {"2x4", FindHalfBlockTable2x4, false},
    {"4x2", FindHalfBlockTable4x2, true},
    {"2x4 perceptual", FindHalfBlockTable2x4Perceptual, false},
    {"4x2 perceptual", FindHalfBlockTable4x2Perceptual, true},
    {"2x4 perceptual float", FindHalfBlockTable2x4PerceptualFloat, false},
    {"4x2 perceptual float", FindHalfBlockTable4x2PerceptualFloat, true},
};

TEST(EtcHalfBlockSearch, ExactFitsTiesAndClamps)
{
    struct SCase {
        const char* what;
        SBlock block;
        std::array<u8, 3> base;
        u32 table;
        i32 error;
    };
    // Columns 0-1 and rows 0-1 are the half-blocks searched at (0, 0).
    SBlock table0Fit(98, 98, 98);
    for (u32 x = 0; x < 4; ++x)
        table0Fit.Set(x, 0, 92, 92, 92).Set(x, 1, 108, 108, 108); // -8 and +8 of table 0
    table0Fit.Set(1, 2, 98, 98, 98).Set(0, 3, 102, 102, 102);     // -2 and +2
    SBlock clampHigh(255, 255, 255), clampLow(0, 0, 0);
    for (u32 x = 0; x < 4; ++x) {
        clampHigh.Set(x, 1, 67, 67, 67);    // 250 - 183; 250 + 183 clamps to 255
        clampLow.Set(x, 1, 188, 188, 188);  // 5 + 183; 5 - 183 clamps to 0
    }
    for (u32 y = 0; y < 4; ++y) {
        clampHigh.Set(1, y, 67, 67, 67);
        clampLow.Set(1, y, 188, 188, 188);
    }
    const SCase cases[] = {
        {"pixels on table 0's modifiers", table0Fit, {100, 100, 100}, 0, 0},
        {"white fits tables 4-7 from 200: the lowest is reported", SBlock(255, 255, 255), {200, 200, 200}, 4, 0},
        {"250 + 183 clamps to 255", clampHigh, {250, 250, 250}, 7, 0},
        {"5 - 183 clamps to 0", clampLow, {5, 5, 5}, 7, 0},
    };
    for (const SCase& c : cases)
        for (const SSearchMember& m : kSearches) {
            u32 table = 99, msb = 0, lsb = 0;
            EXPECT_EQ(m.find(c.block.data(), 4, 0, 0, c.base.data(), table, msb, lsb), c.error) << c.what << ", " << m.name;
            EXPECT_EQ(table, c.table) << c.what << ", " << m.name;
        }

    // A pixel halfway between -small and +small takes -small (index value 2: msb 1, lsb 0).
    for (const SSearchMember& m : kSearches) {
        const u8 base[3] = {100, 100, 100};
        u32 table = 99, msb = 0, lsb = 0;
        m.find(SBlock(100, 100, 100).data(), 4, 0, 0, base, table, msb, lsb);
        EXPECT_EQ(table, 0u) << m.name;
        EXPECT_EQ(msb, m.fourByTwo ? 0x3333u : 0xFFu) << m.name;
        EXPECT_EQ(lsb, 0u) << m.name;
    }
}

// The search as its rules read: every table, every pixel in visiting order, every candidate, in the
// member's arithmetic. The library's search takes shortcuts that must not change any result.
i32 NaiveSearch(const SBlock& block, bool fourByTwo, int metric, const u8 base[3], u32& table, u32& msb, u32& lsb)
{
    const double sentinel = metric == 0 ? 3121200.0 : metric == 1 ? 1040400000.0 : double(3.1212e6f);
    double best = sentinel;
    for (u32 t = 0; t < 8; ++t) {
        double sum = 0;
        float floatSum = 0;
        u32 m = 0, l = 0;
        for (u32 x = 0; x < (fourByTwo ? 4u : 2u); ++x)
            for (u32 y = 0; y < (fourByTwo ? 2u : 4u); ++y) {
                const u8* p = block.data() + (4 * y + x) * 3;
                double pixelBest = sentinel;
                float floatBest = 0;
                u32 column = 0;
                for (u32 c = 0; c < 4; ++c) {
                    i32 d[3];
                    for (u32 ch = 0; ch < 3; ++ch)
                        d[ch] = std::clamp(base[ch] + ETCModifierTable[2 * t][c], 0, 255) - p[ch];
                    double e;
                    float fe = 0;
                    if (metric == 0)
                        e = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
                    else if (metric == 1)
                        e = 299.0 * d[0] * d[0] + 587.0 * d[1] * d[1] + 114.0 * d[2] * d[2];
                    else if (!fourByTwo)
                        e = fe = float(double(0.587f * float(d[1] * d[1])) + double(d[0] * d[0]) * double(0.299f) +
                                       double(0.114f * float(d[2] * d[2])));
                    else
                        e = fe = 0.299f * float(d[0] * d[0]) + 0.587f * float(d[1] * d[1]) + 0.114f * float(d[2] * d[2]);
                    if (e < pixelBest)
                        pixelBest = e, floatBest = fe, column = c;
                }
                sum += pixelBest;
                floatSum += floatBest;
                m |= u32(ETCScramble[column] >> 1) << (4 * x + y);
                l |= u32(ETCScramble[column] & 1) << (4 * x + y);
            }
        const double total = metric == 2 ? double(floatSum) : sum;
        if (total < best)
            best = total, table = t, msb = m, lsb = l;
    }
    return i32(best);
}

TEST(EtcHalfBlockSearch, EveryMemberFollowsItsRulesExactly)
{
    std::mt19937 random(17);
    for (int n = 0; n < 3000; ++n) {
        // Pixels near the base colour make ties between candidates and between tables common.
        const u8 base[3] = {u8(random()), u8(random()), u8(random())};
        SBlock block;
        const int spread = n % 3 == 0 ? 256 : n % 3 == 1 ? 40 : 6;
        for (u32 i = 0; i < 48; ++i)
            block.rgb[i] = u8(std::clamp(int(base[i % 3]) + int(random() % (2 * spread + 1)) - spread, 0, 255));
        for (u32 k = 0; k < 6; ++k) {
            const SSearchMember& m = kSearches[k];
            u32 table = 99, msb = 0, lsb = 0, t2 = 98, m2 = 1, l2 = 1;
            const i32 error = m.find(block.data(), 4, 0, 0, base, table, msb, lsb);
            ASSERT_EQ(error, NaiveSearch(block, m.fourByTwo, int(k / 2), base, t2, m2, l2)) << m.name << " case " << n;
            ASSERT_EQ(table, t2) << m.name << " case " << n;
            ASSERT_EQ(msb, m2) << m.name << " case " << n;
            ASSERT_EQ(lsb, l2) << m.name << " case " << n;
        }
    }
}

TEST(EtcHalfBlockSearch, PlanesUseTheHalfBlocksBitsOnly)
{
    std::mt19937 random(3);
    for (int n = 0; n < 500; ++n) {
        const SBlock block = RandomBlock(random);
        const u8 base[3] = {u8(random()), u8(random()), u8(random())};
        for (const SSearchMember& m : kSearches) {
            u32 table = 99, msb = 0, lsb = 0;
            m.find(block.data(), 4, 0, 0, base, table, msb, lsb);
            const u32 allowed = m.fourByTwo ? 0x3333u : 0xFFu;
            ASSERT_EQ((msb | lsb) & ~allowed, 0u) << m.name;
            ASSERT_LT(table, 8u);
        }
    }
}

TEST(EtcHalfBlockSearch, FloatMembersTruncateTheirSinglePrecisionSum)
{
    // One red step off: 0.299 in each pixel of the half truncates to 0 alone...
    SBlock offByOne(101, 100, 100);
    const u8 base[3] = {99, 100, 100}; // +2 of table 0 gives 101 in red and 102 in green and blue
    u32 table, msb, lsb;
    // green and blue are 2 off (0.587 x 4 + 0.114 x 4 = 2.804 per pixel, 22.432 for 8 pixels)
    EXPECT_EQ(FindHalfBlockTable2x4PerceptualFloat(offByOne.data(), 4, 0, 0, base, table, msb, lsb), 22);
    EXPECT_EQ(FindHalfBlockTable2x4Perceptual(offByOne.data(), 4, 0, 0, base, table, msb, lsb), 22432);

    // ...and two blocks where the single-precision sums end below the double-precision ones by
    // enough to truncate to another integer: pinned, so that a change of precision or order shows.
    const SBlock pin2x4 = [] {
        const u8 v[48] = {187, 157, 28,  197, 56,  60,  94,  183, 193, 35,  79,  29,  44,  201, 168, 225,
                          134, 252, 200, 40,  71,  155, 169, 215, 11,  222, 116, 9,   29,  116, 9,   233,
                          136, 46,  127, 128, 26,  202, 240, 219, 194, 107, 106, 198, 57,  97,  34,  242};
        SBlock b;
        std::copy(v, v + 48, b.rgb.begin());
        return b;
    }();
    const SBlock pin4x2 = [] {
        const u8 v[48] = {61,  228, 209, 83,  225, 136, 182, 241, 227, 88,  69,  87,  252, 2,   184, 121,
                          117, 165, 105, 20,  59,  233, 71,  236, 36,  162, 144, 67,  198, 187, 103, 75,
                          111, 65,  89,  56,  22,  85,  21,  63,  217, 194, 143, 29,  206, 224, 89,  227};
        SBlock b;
        std::copy(v, v + 48, b.rgb.begin());
        return b;
    }();
    const u8 base2x4[3] = {209, 7, 185}, base4x2[3] = {238, 162, 183};
    EXPECT_EQ(FindHalfBlockTable2x4PerceptualFloat(pin2x4.data(), 4, 0, 0, base2x4, table, msb, lsb), 68504); // double: 68503
    EXPECT_EQ(FindHalfBlockTable4x2PerceptualFloat(pin4x2.data(), 4, 0, 0, base4x2, table, msb, lsb), 37878); // double: 37877
}

TEST(EtcBalancedQuantisers, LevelsAtTheEdges)
{
    using Quantiser = void (*)(const float[3], u32[3], u8[3]);
    struct SCase {
        const char* what;
        Quantiser quantise;
        float grey;
        u32 level;
    };
    const SCase cases[] = {
        {"444 grey 8.0: tie of all-low and all-high, 3 x 64 is not above 192", QuantiseColourBalanced444, 8.0f, 0},
        {"444 grey 8.5: the intensity test picks all-high", QuantiseColourBalanced444, 8.5f, 1},
        {"444 grey 16.0 goes up", QuantiseColourBalanced444, 16.0f, 1},
        {"444 perceptual grey 16.0: no intensity test, all-low", QuantiseColourBalanced444Perceptual, 16.0f, 0},
        {"444 average 255", QuantiseColourBalanced444, 255.0f, 15},
        {"444 perceptual average 255", QuantiseColourBalanced444Perceptual, 255.0f, 15},
        {"555 average 255", QuantiseColourBalanced555, 255.0f, 31},
        {"555 perceptual average 255", QuantiseColourBalanced555Perceptual, 255.0f, 31},
        {"555 grey 0", QuantiseColourBalanced555, 0.0f, 0},
    };
    for (const SCase& c : cases) {
        const float avg[3] = {c.grey, c.grey, c.grey};
        u32 q[3];
        u8 expanded[3];
        c.quantise(avg, q, expanded);
        EXPECT_EQ(q[0], c.level) << c.what;
        EXPECT_EQ(q[1], c.level) << c.what;
        EXPECT_EQ(q[2], c.level) << c.what;
    }
    // Unequal channels take the neighbours that keep their errors alike: 4-bit levels of 17 x 2 + 9 in
    // red and 17 x 2 + 8 in green and blue round alike, so a red 0.5 apart does not split off.
    const float avg[3] = {43.0f, 42.0f, 42.0f};
    u32 q[3];
    u8 expanded[3];
    QuantiseColourBalanced444(avg, q, expanded);
    EXPECT_EQ(q[0], q[1]);
    EXPECT_EQ(expanded[0], q[0] * 17);
}

// Decodes a block's words as the image decoder does, in raster order.
std::array<u8, 48> Decoded(u32 high, u32 low)
{
    std::array<u8, 48> rgb{};
    DecodeETC1Block(high, low, rgb.data(), 4, 0, 0);
    return rgb;
}

TEST(EtcFastEtc1, UniformAndBlackWhiteBlocks)
{
    using Compressor = void (*)(const u8*, i32, i32, i32, u32&, u32&);
    const Compressor combined[] = {
        CompressETC1AverageRounded,
        [](const u8* p, i32 w, i32 x, i32 y, u32& h, u32& l) { CompressETC1AverageRoundedPerceptual(p, w, x, y, h, l); },
        CompressETC1AverageBalanced, CompressETC1AverageBalancedPerceptual};
    // A uniform block: differential with zero differences, unflipped (the flipped error only ties).
    const SBlock uniform(90, 140, 200);
    for (const Compressor compress : combined) {
        u32 high = 0, low = 0;
        compress(uniform.data(), 4, 0, 0, high, low);
        EXPECT_EQ(high & 3, 2u) << "differential, not flipped";
        EXPECT_EQ(high & 0x07070700, 0u) << "zero differences";
    }
    SIndividualAverage individual{};
    u32 high = 0, low = 0;
    CompressETC1IndividualAverage(uniform.data(), 4, 0, 0, high, low, individual);
    EXPECT_EQ(high & 3, 0u);
    EXPECT_EQ(std::vector<u32>(individual.colour1, individual.colour1 + 3),
              std::vector<u32>(individual.colour2, individual.colour2 + 3));

    // Black left half, white right half: individual mode (0 and 15), exact, unflipped.
    SBlock halves(0, 0, 0);
    for (u32 y = 0; y < 4; ++y)
        halves.Set(2, y, 255, 255, 255).Set(3, y, 255, 255, 255);
    for (const Compressor compress : combined) {
        compress(halves.data(), 4, 0, 0, high, low);
        EXPECT_EQ(high & 3, 0u) << "individual, not flipped";
        EXPECT_EQ(high >> 8, 0x0F0F0Fu) << "levels 0 and 15";
        EXPECT_EQ(Decoded(high, low), halves.rgb);
    }
    // The differential-only plain twin gives both halves the rounded mean of the averages: 16.
    SDifferentialAverage differential{};
    EXPECT_EQ(CompressETC1DifferentialAverage(halves.data(), 4, 0, 0, high, low, differential), 0u);
    EXPECT_EQ(std::vector<u32>(differential.colour1, differential.colour1 + 3), (std::vector<u32>{16, 16, 16}));
    EXPECT_EQ(std::vector<u32>(differential.colour2, differential.colour2 + 3), (std::vector<u32>{16, 16, 16}));
    EXPECT_EQ(differential.flip, 0u);
    EXPECT_EQ(Decoded(high, low), halves.rgb);
}

TEST(EtcFastEtc1, ReportedErrorsAreTheErrorsOfTheWrittenBlocks)
{
    std::mt19937 random(8);
    std::array<u8, 48> decoded{};
    for (int n = 0; n < 300; ++n) {
        SBlock block = RandomBlock(random);
        if (n % 3 == 0) // smooth blocks reach differential mode
            for (u32 i = 0; i < 16; ++i)
                block.Set(i % 4, i / 4, u8(60 + 3 * i), u8(90 + (n % 40)), u8(200 - 2 * i));
        u32 high = 0, low = 0;
        const double fast = CompressETC1BlockFast(block.data(), decoded.data(), 4, 0, 0, high, low);
        EXPECT_EQ(fast, ComputeBlockErrorPlain(block.data(), Decoded(high, low).data(), 4, 0, 0));

        SIndividualAverage individual{};
        const u32 e1 = CompressETC1IndividualAverage(block.data(), 4, 0, 0, high, low, individual);
        EXPECT_EQ(double(e1), ComputeBlockErrorPlain(block.data(), Decoded(high, low).data(), 4, 0, 0));
        EXPECT_EQ(e1, std::min(individual.errorLeft + individual.errorRight, individual.errorTop + individual.errorBottom));
        SDifferentialAverage differential{};
        const u32 e2 = CompressETC1DifferentialAverage(block.data(), 4, 0, 0, high, low, differential);
        EXPECT_EQ(double(e2), ComputeBlockErrorPlain(block.data(), Decoded(high, low).data(), 4, 0, 0));
        EXPECT_EQ(high & 1, differential.flip);
        const u32 e3 = CompressETC1IndividualAveragePerceptual(block.data(), 4, 0, 0, high, low, individual);
        EXPECT_EQ(double(e3), std::round(1000 * ComputeBlockErrorPerceptual(block.data(), Decoded(high, low).data(), 4, 0, 0)));
        const u32 e4 = CompressETC1DifferentialAveragePerceptual(block.data(), 4, 0, 0, high, low);
        EXPECT_EQ(double(e4), std::round(1000 * ComputeBlockErrorPerceptual(block.data(), Decoded(high, low).data(), 4, 0, 0)));
    }
}

TEST(EtcPlanarFit, EdgeCases)
{
    u32 a = 0, b = 0;
    // Uniform: O = H = V; 255 quantises to 63, 127, 63.
    FitPlanarBlock(SBlock(255, 255, 255).data(), 4, 0, 0, a, b);
    EXPECT_EQ(a, 63u << 26 | 127u << 19 | 63u << 13 | 63u << 7 | 127u);
    EXPECT_EQ(b, 63u << 26 | 63u << 20 | 127u << 13 | 63u << 7);
    FitPlanarBlock(SBlock(0, 0, 0).data(), 4, 0, 0, a, b);
    EXPECT_EQ(a | b, 0u);
    // Red ramps 0, 85, 170, 255 along x: RH would be 340, clamped to 255 and quantised to 63; RV = RO = 0.
    SBlock ramp;
    for (u32 i = 0; i < 16; ++i)
        ramp.Set(i % 4, i / 4, u8(85 * (i % 4)), 0, 0);
    FitPlanarBlock(ramp.data(), 4, 0, 0, a, b);
    EXPECT_EQ(a >> 26, 0u);
    EXPECT_EQ((a >> 7) & 63, 63u);
    EXPECT_EQ((b >> 20) & 63, 0u);
    // The reverse ramp fits RH = -85, clamped to 0.
    for (u32 i = 0; i < 16; ++i)
        ramp.Set(i % 4, i / 4, u8(255 - 85 * (i % 4)), 0, 0);
    FitPlanarBlock(ramp.data(), 4, 0, 0, a, b);
    EXPECT_EQ(a >> 26, 63u);
    EXPECT_EQ((a >> 7) & 63, 0u);
}

TEST(EtcPlanarFit, PackedFitDecodesAsTheUnpackedFitWithTheSameErrors)
{
    std::mt19937 random(4);
    for (int n = 0; n < 500; ++n) {
        SBlock block = RandomBlock(random);
        if (n % 2) // smooth: planar blocks are near
            for (u32 i = 0; i < 16; ++i)
                block.Set(i % 4, i / 4, u8(20 * (i % 4) + n % 100), u8(30 * (i / 4) + 40), u8(250 - 15 * (i % 4) - 10 * (i / 4)));
        u32 a = 0, b = 0, high = 0, low = 0, errR = 0, errG = 0, errB = 0;
        FitPlanarBlock(block.data(), 4, 0, 0, a, b);
        std::array<u8, 48> unpacked{}, packed{};
        DecodePlanarBlockWithErrors(a, b, unpacked.data(), 4, 0, 0, block.data(), errR, errG, errB);
        PackPlanarBlock(a, b, high, low);
        DecodeETC2RGBBlock(high, low, packed.data(), 4, 0, 0);
        ASSERT_EQ(unpacked, packed);
        EXPECT_EQ(double(errR) + errG + errB, ComputeBlockErrorPlain(block.data(), packed.data(), 4, 0, 0));
    }
}

TEST(EtcPlanarFit, MatrixProducts)
{
    SMatrix a, b;
    a.rows = 2, a.columns = 3, b.rows = 3, b.columns = 1;
    const double av[6] = {1, 2, 3, 4, 5, 6}, bv[3] = {1, 0.5, -1};
    std::copy(av, av + 6, a.data);
    std::copy(bv, bv + 3, b.data);
    const SMatrix p = MultiplyMatrices(a, b);
    ASSERT_EQ(p.rows, 2);
    ASSERT_EQ(p.columns, 1);
    EXPECT_EQ(p.data[0], 1 + 1 - 3);
    EXPECT_EQ(p.data[1], 4 + 2.5 - 6);
    TransposeMatrix(a);
    EXPECT_EQ(a.rows, 3);
    EXPECT_EQ(a.At(2, 1), 6);
    EXPECT_EQ(a.At(0, 1), 4);
}

// The image entry -----------------------------------------------------------------------------------

std::vector<u8> Encode(const std::vector<u8>& rgb, u32 w, u32 h, i32 quality, u32 id = ETC1, u32 isSigned = 0)
{
    std::vector<u8> out(EncodeETCImage(nullptr, 0, nullptr, w, h, id, 0, 0));
    const u64 n = EncodeETCImage(rgb.data(), rgb.size(), out.data(), w, h, id, quality, isSigned);
    if (n != out.size())
        out.clear();
    return out;
}

// The image padded by hand as the encoder pads it: columns (and rows) past the edge repeat the last
// real ones in order, a single column or row repeats itself.
std::vector<u8> PaddedByHand(const std::vector<u8>& rgb, u32 w, u32 h)
{
    const u32 pw = (w + 3) & ~3u, ph = (h + 3) & ~3u;
    auto from = [](u32 v, u32 size, u32 padded) { return v < size ? v : size == 1 ? 0 : v - (padded - size); };
    std::vector<u8> out(u64(pw) * ph * 3);
    for (u32 y = 0; y < ph; ++y)
        for (u32 x = 0; x < pw; ++x)
            for (u32 c = 0; c < 3; ++c)
                out[(u64(y) * pw + x) * 3 + c] = rgb[(u64(from(y, h, ph)) * w + from(x, w, pw)) * 3 + c];
    return out;
}

TEST(EtcEncodeImage, PaddingRepeatsTheLastColumnsAndRows)
{
    for (auto [w, h] : {std::pair<u32, u32>{5, 3}, {1, 7}, {7, 1}, {1, 1}, {2, 2}, {3, 6}, {13, 9}}) {
        const std::vector<u8> rgb = xqft::test::ColourImage("noise", w, h).Rgb();
        const std::vector<u8> ours = Encode(rgb, w, h, 0);
        const u32 pw = (w + 3) & ~3u, ph = (h + 3) & ~3u;
        EXPECT_EQ(ours.size(), u64(pw) * ph / 2) << w << "x" << h;
        EXPECT_EQ(ours, Encode(PaddedByHand(rgb, w, h), pw, ph, 0)) << w << "x" << h;
    }
    // 5 x 3: columns 5, 6, 7 are columns 2, 3, 4 again; row 3 is row 2; 16 bytes, two blocks.
    const std::vector<u8> rgb = xqft::test::ColourImage("noise", 5, 3).Rgb();
    const std::vector<u8> padded = PaddedByHand(rgb, 5, 3);
    EXPECT_EQ(padded[(1 * 8 + 6) * 3], rgb[(1 * 5 + 3) * 3]);
    EXPECT_EQ(padded[(3 * 8 + 7) * 3 + 2], rgb[(2 * 5 + 4) * 3 + 2]);
    EXPECT_EQ(Encode(rgb, 5, 3, 0).size(), 16u);
}

TEST(EtcEncodeImage, QualitiesSignsAndIds)
{
    const std::vector<u8> rgb(16 * 3, 77);
    std::vector<u8> out(64, 0xEE);
    struct SCase {
        const char* what;
        u32 id;
        i32 quality;
        u32 isSigned;
        u64 result;
    };
    const SCase cases[] = {
        {"quality 0", ETC1, 0, 0, 8},
        {"quality 1", ETC1, 1, 0, 8},
        {"quality -1", ETC1, -1, 0, 0},
        {"quality 6", ETC1, 6, 0, 0},
        {"quality 255", ETC1, 255, 0, 0},
        {"signed ETC1 at quality 0", ETC1, 0, 1, 0},
        {"unknown id 7", 7, 0, 0, 0},
        {"unknown id 27", 27, 0, 0, 0},
        {"unknown id 0xFFFFFFFF", 0xFFFFFFFFu, 0, 0, 0},
    };
    for (const SCase& c : cases) {
        std::fill(out.begin(), out.end(), 0xEE);
        EXPECT_EQ(EncodeETCImage(rgb.data(), rgb.size(), out.data(), 4, 4, c.id, c.quality, c.isSigned), c.result) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(out, std::vector<u8>(64, 0xEE)) << c.what << ": nothing written";
        }
        // The size query refuses what the encoder refuses: no buffer is sized for an encode that fails.
        EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 4, 4, c.id, c.quality, c.isSigned), c.result) << c.what << ": size query";
    }
    // Size queries need no source; padded sizes, 16 bytes a block for 23 and 26.
    EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 5, 3, ETC1, 5, 0), 16u);
    EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 5, 3, ETC1, 0, 1), 0u);
    EXPECT_EQ(EncodeETCImage(rgb.data(), rgb.size(), nullptr, 5, 3, ETC2_RGBA, 0, 0), 32u);
    EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 8, 8, EAC_RG11, 0, 0), 64u);
    EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 0, 8, ETC1, 0, 0), 0u);
}

TEST(EtcEncodeImage, EveryThreadLimitGivesTheSameBytes)
{
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(61, 45)) {
        const std::vector<u8> rgb = image.Rgb();
        for (i32 quality : {0, 1}) {
            SetThreadLimit(1);
            const std::vector<u8> one = Encode(rgb, 61, 45, quality);
            ASSERT_FALSE(one.empty());
            for (u32 limit : {2u, 8u, 0u}) {
                SetThreadLimit(limit);
                EXPECT_EQ(Encode(rgb, 61, 45, quality), one) << image.name << " quality " << quality << " limit " << limit;
            }
        }
    }
    SetThreadLimit(0);
}

TEST(EtcEncodeImage, TranscoderPassesTheQualityLevelByLevel)
{
    using xqftexture::test::Header;
    const PixelFormat rgb8('r', 'g', 'b', 0, 8, 8, 8, 0);
    const CTextureHeader h = Header(rgb8, 0, 16, 16, 3);
    const std::vector<u8> source = xqft::test::ColourImage("sine-noise", 16, 16).Rgb();
    std::vector<u8> data;
    for (u32 m = 0; m < 3; ++m) { // 16 x 16, 8 x 8, 4 x 4 crops of the image
        const u32 size = 16 >> m;
        for (u32 y = 0; y < size; ++y)
            data.insert(data.end(), source.begin() + y * 16 * 3, source.begin() + (y * 16 + size) * 3);
    }
    ASSERT_EQ(data.size(), h.GetDataSize());
    for (u32 quality : {0u, 1u}) {
        CTexture t(h, data.data(), data.size());
        ASSERT_TRUE(ConvertTexturePixels(t, ETC1, 0, 0, quality, false)) << quality;
        u64 at = 0;
        for (u32 m = 0; m < 3; ++m) {
            const u32 size = 16 >> m;
            const std::vector<u8> level(data.begin() + i64(at), data.begin() + i64(at + u64(size) * size * 3));
            at += level.size();
            const std::vector<u8> expected = Encode(level, size, size, i32(quality));
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(std::vector<u8>(t.GetDataPtr(m, 0, 0), t.GetDataPtr(m, 0, 0) + expected.size()), expected)
                << "level " << m << " quality " << quality;
        }
    }
}

} // namespace
