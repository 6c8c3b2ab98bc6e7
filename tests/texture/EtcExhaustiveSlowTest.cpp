// Brute-force proofs that the exhaustive searches find their optimum: every colour, pair or triple of
// a mode is tried in the searches' order on a few blocks. Seconds each in an optimised build.
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

#include "EtcTestBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

using namespace xqftexture;
using namespace xqftexture::etc;

namespace {

using namespace etctest;

// The half errors of every colour of a channel depth, by the half-block table search.
std::vector<std::array<u32, 4>> AllHalfErrors(const Block& image, u32 bits)
{
    const u32 levels = 1u << bits;
    std::vector<std::array<u32, 4>> errors(levels * levels * levels);
    for (u32 n = 0; n < errors.size(); ++n) {
        const u32 q[3] = {n / (levels * levels), (n / levels) % levels, n % levels};
        u8 c[3];
        for (u32 ch = 0; ch < 3; ++ch)
            c[ch] = u8(bits == 4 ? Expand4(q[ch]) : Expand5(q[ch]));
        u32 t, m, l;
        errors[n] = {u32(FindHalfBlockTable4x2(image.data(), 4, 0, 0, c, t, m, l)),
                     u32(FindHalfBlockTable4x2(image.data(), 4, 0, 2, c, t, m, l)),
                     u32(FindHalfBlockTable2x4(image.data(), 4, 0, 0, c, t, m, l)),
                     u32(FindHalfBlockTable2x4(image.data(), 4, 2, 0, c, t, m, l))};
    }
    return errors;
}

TEST(EtcExhaustiveSlow, Etc1IndividualAndDifferentialAreOptimal)
{
    std::mt19937 random(51);
    SDifferentialTables tables;
    ASSERT_TRUE(tables.Allocate());
    for (int n = 0; n < 4; ++n) {
        const Block image = RandomBlock(random, n % 2 ? 30 : 100);
        // Individual: each half's least error over the 4,096 colours; the better layout.
        const auto individual = AllHalfErrors(image, 4);
        u32 least[4] = {~0u, ~0u, ~0u, ~0u};
        for (const auto& e : individual)
            for (u32 h = 0; h < 4; ++h)
                least[h] = std::min(least[h], e[h]);
        const u32 optimum = std::min(least[0] + least[1], least[2] + least[3]);
        u32 high = 0, low = 0, seedHigh = 0, seedLow = 0;
        SIndividualAverage seed{};
        const u32 seedError = CompressETC1IndividualAverage(image.data(), 4, 0, 0, seedHigh, seedLow, seed);
        const u32 found = SearchETC1IndividualExhaustive(image.data(), 4, 0, 0, high, low, kMaxPlainError);
        EXPECT_EQ(found, std::min(optimum, seedError)) << "block " << n;

        // Differential: every colour 1 with every colour 2 within -4..3, stacked before side by side.
        const auto halves = AllHalfErrors(image, 5);
        SDifferentialAverage dseed{};
        u32 best = CompressETC1DifferentialAverage(image.data(), 4, 0, 0, seedHigh, seedLow, dseed), bestHigh = seedHigh;
        for (u32 j1 = 0; j1 < 32768; ++j1) {
            const i32 r1 = i32(j1 >> 10), g1 = i32((j1 >> 5) & 31), b1 = i32(j1 & 31);
            for (i32 r2 = std::max(r1 - 4, 0); r2 <= std::min(r1 + 3, 31); ++r2)
                for (i32 g2 = std::max(g1 - 4, 0); g2 <= std::min(g1 + 3, 31); ++g2)
                    for (i32 b2 = std::max(b1 - 4, 0); b2 <= std::min(b1 + 3, 31); ++b2) {
                        const u32 j2 = u32((r2 * 32 + g2) * 32 + b2);
                        for (u32 flip : {1u, 0u}) {
                            const u32 e = flip ? halves[j1][0] + halves[j2][1] : halves[j1][2] + halves[j2][3];
                            if (e < best) {
                                best = e;
                                bestHigh = u32(r1) << 27 | u32((r2 - r1) & 7) << 24 | u32(g1) << 19 | u32((g2 - g1) & 7) << 16 |
                                           u32(b1) << 11 | u32((b2 - b1) & 7) << 8 | 2 | flip;
                            }
                        }
                    }
        }
        EXPECT_EQ(SearchETC1DifferentialExhaustive(image.data(), 4, 0, 0, high, low, kMaxPlainError, tables), best)
            << "block " << n;
        EXPECT_EQ(high & 0xFFFFFF03u, bestHigh) << "block " << n << ": the first pair of least error";
    }
}

TEST(EtcExhaustiveSlow, TModeSearchIsOptimal)
{
    std::mt19937 random(53);
    for (const Block& image : {RandomBlock(random, 50), RandomBlock(random, 120)}) {
    u8 block[64];
    GatherBlockArray(image.data(), 4, 0, 0, block);
    std::vector<u32> split(4096 * kSplitEntries), lone(4096 * kLoneEntries);
    for (u32 c = 0; c < 4096; ++c) {
        BuildTColourSplitTable(block, c, split.data());
        BuildTColourLoneTable(block, c, lone.data());
    }
    u32 best = ~0u, bestSplit = 0, bestLone = 0;
    for (u32 s = 0; s < 4096; ++s) // the search's order: channels of both colours interleaved
        for (u32 l = 0; l < 4096; ++l) {
            u32 e = ~0u;
            for (u32 k = 0; k < 8; ++k) {
                u32 sum = 0;
                for (u32 p = 0; p < 16; ++p)
                    sum += std::min(split[s * 128 + 16 * k + p], lone[l * 16 + p]);
                e = std::min(e, sum);
            }
            const u64 order = u64(s >> 8) << 20 | u64(l >> 8) << 16 | u64((s >> 4) & 15) << 12 | u64((l >> 4) & 15) << 8 |
                              u64(s & 15) << 4 | (l & 15);
            const u64 bestOrder = u64(bestSplit >> 8) << 20 | u64(bestLone >> 8) << 16 | u64((bestSplit >> 4) & 15) << 12 |
                                  u64((bestLone >> 4) & 15) << 8 | u64(bestSplit & 15) << 4 | (bestLone & 15);
            if (e < best || (e == best && order < bestOrder))
                best = e, bestSplit = s, bestLone = l;
        }
    SExhaustiveScratch scratch;
    ASSERT_TRUE(scratch.Allocate(true));
    u32 word = 0, low = 0;
    const u32 found = SearchTModeExhaustive(image.data(), 4, 0, 0, word, low, ~0u, scratch.tModes);
    EXPECT_EQ(found, best);
    EXPECT_EQ(word >> 3, bestLone << 12 | bestSplit);
    }
}

TEST(EtcExhaustiveSlow, HModeSearchIsOptimal)
{
    std::mt19937 random(55);
    const Block image = RandomBlock(random, 50);
    u8 block[64];
    GatherBlockArray(image.data(), 4, 0, 0, block);
    std::vector<u32> table(4096 * 128);
    for (u32 c = 0; c < 4096; ++c)
        BuildHColourTable(block, c, table.data());
    u32 best = ~0u;
    for (u32 c1 = 0; c1 < 4096; ++c1)
        for (u32 c2 = c1 + 1; c2 < 4096; ++c2) {
            u32 e = ~0u;
            for (u32 k = 0; k < 8; ++k) {
                u32 sum = 0;
                for (u32 p = 0; p < 16; ++p)
                    sum += std::min(table[c1 * 128 + 16 * k + p], table[c2 * 128 + 16 * k + p]);
                e = std::min(e, sum);
            }
            best = std::min(best, e);
        }
    SExhaustiveScratch scratch;
    ASSERT_TRUE(scratch.Allocate(true));
    u32 word = 0, low = 0;
    EXPECT_EQ(SearchHModeExhaustive(image.data(), 4, 0, 0, word, low, ~0u, scratch.hModes), best);
}

TEST(EtcExhaustiveSlow, PlanarGreenChannelIsOptimal)
{
    std::mt19937 random(57);
    const Block image = RandomBlock(random, 20);
    SExhaustiveScratch scratch;
    ASSERT_TRUE(scratch.Allocate(true));
    u32 w1 = 0, w2 = 0;
    SearchPlanarExhaustive(image.data(), 4, 0, 0, w1, w2, ~0u, ~0u, ~0u, ~0u, scratch.planar);
    const std::array<u32, 3> pick = PlanarChannelBruteForce(image, 1);
    EXPECT_EQ((w1 >> 19) & 127, pick[0]);
    EXPECT_EQ(w1 & 127, pick[1]);
    EXPECT_EQ((w2 >> 13) & 127, pick[2]);
}

} // namespace
