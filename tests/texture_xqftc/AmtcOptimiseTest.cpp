// Region optimisation: the skip test, the first pass, kept pairs and selection, the optimiser's
// guarantee; and the sweeps, whose phase scheme on any number of threads gives the records of a
// plain visit on the calling thread.
#include "AmtcTestSupport.h"
#include "AmtcSupport.h"
#include "BlendEntries.h"
#include "CandidateOptimiser.h"
#include "OptimiseRegion.h"
#include "PixelPalette.h"
#include "Quantise.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

namespace {

using namespace amtctest;

SImage Texture(u32 w, u32 h, u32 seed)
{
    SImage image(w, h);
    std::mt19937 rng(seed);
    image.Fill([&](u32 x, u32 y) {
        const int n = int(rng() % 24);
        return SRgba{{u8(std::min(255u, 8 * x + n)), u8(std::min(255u, 5 * y + 3 * x % 40)), u8(n * 7), u8(x < w / 2 ? 255 : 160 + n)}};
    });
    return image;
}

struct SRecordCopy {
    AmtcBlockRecord record;
    explicit SRecordCopy(const AmtcBlockRecord& r) { std::memcpy(&record, &r, sizeof r); }
    bool operator==(const AmtcBlockRecord& r) const { return std::memcmp(&record, &r, sizeof r) == 0; }
};

TEST(AmtcOptimise, UnchangedNeighbourhoodIsSkippedUnlessReevaluated)
{
    const SImage image = Texture(16, 16, 3);
    CAmtcLevel level;
    ASSERT_TRUE(SetUpLevel(level, image, 4, false));
    u32 counter = 1;
    ASSERT_TRUE(RunOptimisationPass(level, counter, ESweepRun::CallingThread)); // sweeps 1 to 4
    SOptimiseScratch scratch;
    AmtcParams& p = level.Params();
    p.reevaluate = 0;
    p.iterations = 3;
    // Block (0, 1) was visited in the last sweep, after all its neighbours changed: skipped.
    const SRecordCopy before(level.Block(1, 0));
    ASSERT_TRUE(OptimiseRegion(level, 1, 0, scratch, counter));
    EXPECT_TRUE(before == level.Block(1, 0));
    // Block (0, 0) was visited first; its neighbours changed after that.
    ASSERT_TRUE(OptimiseRegion(level, 0, 0, scratch, counter));
    EXPECT_EQ(level.Block(0, 0).lastVisited, counter);
    // With re-evaluation asked for, nothing is skipped.
    p.reevaluate = 1;
    ASSERT_TRUE(OptimiseRegion(level, 1, 0, scratch, counter + 1));
    EXPECT_EQ(level.Block(1, 0).lastVisited, counter + 1);
}

TEST(AmtcOptimise, FirstPassKeepsStartPairsAndCountsEveryBlockChanged)
{
    const SImage image = Texture(16, 16, 4);
    CAmtcLevel level;
    ASSERT_TRUE(SetUpLevel(level, image, 4, true));
    const SRecordCopy before(level.Block(2, 2));
    SOptimiseScratch scratch;
    ASSERT_TRUE(OptimiseRegion(level, 2, 2, scratch, 7));
    const AmtcBlockRecord& after = level.Block(2, 2);
    EXPECT_EQ(after.lastChanged, 7u);
    EXPECT_EQ(after.lastVisited, 7u);
    // One iteration refines nothing and perturbs nothing: every kept pair is a start pair.
    for (int k = 0; k < 2; ++k) {
        const AmtcCandidate &was = before.record.slots[k], &now = after.slots[k];
        ASSERT_GE(now.count, 1);
        EXPECT_LE(now.count, was.count);
        for (int i = 0; i < now.count; ++i) {
            bool found = false;
            for (int j = 0; j < was.count; ++j)
                found = found || (now.pairs[i].a == was.pairs[j].a && now.pairs[i].b == was.pairs[j].b);
            EXPECT_TRUE(found) << "slot " << k << " pair " << i;
            EXPECT_NE(now.pairs[i].error, kUnevaluated);
        }
        for (int i = 1; i < now.count; ++i)
            EXPECT_LE(now.pairs[i - 1].error, now.pairs[i].error);
    }
}

TEST(AmtcOptimise, IdenticalKeptPairsCollapseAndTiesSelectTheEarlierCandidate)
{
    SImage image(16, 16);
    image.Fill([](u32, u32) { return SRgba{{255, 0, 255, 255}}; }); // exact at either end
    CAmtcLevel level;
    ASSERT_TRUE(SetUpLevel(level, image, 4, false));
    AmtcBlockRecord& block = level.Block(1, 1);
    for (int k = 1; k < 4; ++k)
        block.slots[0].pairs[k] = block.slots[0].pairs[0];
    block.slots[0].count = 4;
    block.selected = 1; // the punch-through candidate, which reproduces one colour as exactly
    SOptimiseScratch scratch;
    ASSERT_TRUE(OptimiseRegion(level, 1, 1, scratch, 1));
    EXPECT_EQ(block.slots[0].count, 1);
    EXPECT_EQ(block.slots[0].pairs[0].error, block.slots[1].pairs[0].error);
    EXPECT_EQ(block.selected, 0u);
}

// For random windows, neighbourhoods and candidates: the optimiser's result is never worse than its
// start pair in the same neighbourhood, and its error is the window's error of the pair it returns.
TEST(AmtcOptimise, OptimiserNeverReturnsAWorsePair)
{
    std::mt19937 rng(11);
    for (const bool twoBpp : {false, true})
        for (const bool second : {false, true}) {
            AmtcParams p;
            p.mode = twoBpp ? 2 : 4;
            p.blockWidth = twoBpp ? 8 : 4;
            p.windowWidth = u8(2 * p.blockWidth + 1);
            p.isXQFTCII = second;
            p.blocksX = p.blocksY = 4;
            const int pixels = p.windowWidth * 9;
            for (int trial = 0; trial < 40; ++trial) {
                SRgba window[kMaxWindowPixels];
                const int base = int(rng() % 200);
                for (int i = 0; i < pixels; ++i)
                    window[i] = {{u8(base + i % 17 * 3), u8(rng() % 256), u8(base / 2 + (i / 17) * 6), u8(trial % 3 ? 255 : rng() % 256)}};
                SRandomNeighbourhood n;
                ASSERT_TRUE(n.Make(rng, p));
                SColourBox box;
                const float centre[4] = {128, 128, 128, 200};
                InitIdentityBox(box, centre);
                const u8 corners[2][4] = {{0, 0, 0, 0}, {255, 255, 255, 255}};
                ExtendBoxByPixel(box, corners[0]);
                ExtendBoxByPixel(box, corners[1]);
                const SCandidateProblem problem{&p, window, n.entries, n.nine, &box, !twoBpp && (n.ids[4] & 3) == 1, true};
                const AmtcColourPair start{n.nine[4].a, n.nine[4].b, kUnevaluated, 0};
                SWindowFit fit;
                u8 weights[kMaxWindowPixels] = {};
                EvaluateWindow(problem, start.a, start.b, true, fit, weights);
                for (const u32 iterations : {1u, 2u, 3u, 8u}) {
                    const AmtcColourPair result = OptimiseCandidate(problem, start, iterations);
                    ASSERT_LE(result.error, fit.fixedBorder + fit.border + fit.inner) << trial << " " << iterations;
                    SWindowFit check;
                    EvaluateWindow(problem, result.a, result.b, true, check, weights);
                    ASSERT_EQ(result.error, check.fixedBorder + check.border + check.inner) << trial << " " << iterations << " 2bpp " << twoBpp << " II " << second;
                }
            }
        }
}

// The window evaluation, spelt out with the pixel palettes and the modulation chooser that the
// palette test checks against the decoders.
SWindowFit ReferenceFit(const SCandidateProblem& problem, const SRgba& a, const SRgba& b)
{
    const AmtcParams& p = *problem.params;
    const int width = p.windowWidth, height = p.windowHeight;
    SCutPair nine[9];
    for (int k = 0; k < 9; ++k) {
        const bool self = k == 4 || (p.blocksX == 1 && (k == 3 || k == 5)) || (p.blocksY == 1 && (k == 1 || k == 7)) ||
                          (p.blocksX == 1 && p.blocksY == 1);
        nine[k] = self ? CutPair(a, b) : CutPair(problem.nine[k].a, problem.nine[k].b);
    }
    SWindowFit fit;
    u8 weights[kMaxWindowPixels] = {};
    auto add = [&](const SBlendEntry& e, int level, const SRgba& pixel, const SRgba& colour, u32 distance, bool fixed) {
        if (e.edge) {
            (fixed ? fit.fixedBorder : fit.border) += distance;
            return;
        }
        fit.inner += distance;
        if (level >= int(kNoLevel))
            return;
        fit.count[level] += 1;
        fit.weight[level] += e.centreFitWeight;
        for (int i = 0; i < 4; ++i)
            fit.difference[level][i] += i64(pixel.c[i] - colour.c[i]) * e.fitWeight;
    };
    static constexpr u8 kWeights[4] = {0, 3, 5, 8};
    for (int i = 0; i < width * height; ++i) {
        const SBlendEntry& e = problem.entries[i];
        if (p.mode == 2 && e.role > 1)
            continue;
        SRgba palette[8];
        const bool second = PixelPalette(e, nine, palette);
        u32 distance;
        const u32 v = ChooseModulation(problem.window[i], palette, p.mode == 2 && e.role == 1, second, distance);
        weights[i] = kWeights[v & 3];
        add(e, p.mode == 2 ? weights[i] : e.valueWeights[v], problem.window[i], palette[v], distance, true);
    }
    for (int i = 0; i < width * height && p.mode == 2; ++i) {
        const SBlendEntry& e = problem.entries[i];
        if (e.role < 2)
            continue;
        const int r = i / width, c = i % width;
        int sum = 0, n = 0;
        for (auto [dr, dc] : {std::pair{0, -1}, {0, 1}, {-1, 0}, {1, 0}}) {
            const bool across = dr == 0;
            if ((e.role == 3 && !across) || (e.role == 4 && across))
                continue;
            if (r + dr >= 0 && r + dr < height && c + dc >= 0 && c + dc < width)
                sum += weights[(r + dr) * width + c + dc], ++n;
        }
        const int w = (sum + n / 2) / n;
        SRgba up, down;
        UpscaleAt(e, nine, up, down);
        const SRgba colour = BlendColours(up, down, u32(8 - w), u32(w));
        add(e, w, problem.window[i], colour, ColourDistanceSq(problem.window[i], colour), false);
    }
    return fit;
}

// Random problems (4 and 2 bpp, both generations, grids of one block too): the evaluation the
// optimiser runs equals the palette-based one in every sum.
TEST(AmtcOptimise, WindowEvaluationIsThePalettesEvaluation)
{
    std::mt19937 rng(5);
    for (const bool twoBpp : {false, true})
        for (const bool second : {false, true})
            for (const u32 grid : {1u, 4u}) {
                AmtcParams p;
                p.mode = twoBpp ? 2 : 4;
                p.blockWidth = twoBpp ? 8 : 4;
                p.windowWidth = u8(2 * p.blockWidth + 1);
                p.isXQFTCII = second;
                p.blocksX = grid, p.blocksY = 4;
                for (int trial = 0; trial < 30; ++trial) {
                    SRgba window[kMaxWindowPixels];
                    for (SRgba& px : window)
                        px = {{u8(rng()), u8(rng()), u8(rng()), u8(trial % 2 ? 255 : rng())}};
                    SRandomNeighbourhood n;
                    ASSERT_TRUE(n.Make(rng, p));
                    SColourBox box{};
                    const SCandidateProblem problem{&p, window, n.entries, n.nine, &box, false, false};
                    const SWordPair centre = RandomWordPair(rng, n.ids[4], second);
                    SWindowFit fit;
                    u8 weights[kMaxWindowPixels] = {};
                    EvaluateWindow(problem, centre.a, centre.b, true, fit, weights);
                    const SWindowFit expected = ReferenceFit(problem, centre.a, centre.b);
                    ASSERT_EQ(fit.fixedBorder, expected.fixedBorder);
                    ASSERT_EQ(fit.border, expected.border);
                    ASSERT_EQ(fit.inner, expected.inner);
                    ASSERT_EQ(0, std::memcmp(fit.count, expected.count, sizeof fit.count));
                    ASSERT_EQ(0, std::memcmp(fit.weight, expected.weight, sizeof fit.weight));
                    ASSERT_EQ(0, std::memcmp(fit.difference, expected.difference, sizeof fit.difference));
                }
            }
}

TEST(AmtcOptimise, OddGridsGiveTheEdgeRowToRowZerosWorker)
{
    u32 rows[64];
    // 67 rows, 32 workers: row 66 would fall to worker 1 beside row 0 of worker 0.
    ASSERT_EQ(OptimisationRows(67, 32, 0, 0, rows), 3u);
    EXPECT_EQ(std::vector<u32>(rows, rows + 3), (std::vector<u32>{0, 64, 66}));
    ASSERT_EQ(OptimisationRows(67, 32, 1, 0, rows), 1u);
    EXPECT_EQ(rows[0], 2u);
    ASSERT_EQ(OptimisationRows(67, 32, 0, 1, rows), 2u);
    EXPECT_EQ(std::vector<u32>(rows, rows + 2), (std::vector<u32>{1, 65}));
    // 65 rows: row 64 is worker 0's already.
    ASSERT_EQ(OptimisationRows(65, 32, 0, 0, rows), 2u);
    EXPECT_EQ(std::vector<u32>(rows, rows + 2), (std::vector<u32>{0, 64}));
    EXPECT_EQ(SweepWorkerLimit(1), 1u);
    EXPECT_EQ(SweepWorkerLimit(67), 32u);
}

struct SThreadLimit {
    explicit SThreadLimit(u32 n) { SetThreadLimit(n); }
    ~SThreadLimit() { SetThreadLimit(0); }
};

// Set-up and two passes (the second with perturbations, and for XQFTC-II the extended candidates
// and restarts) on the calling thread and with the phase scheme on 1, 2 and 8 threads.
TEST(AmtcOptimise, PhaseSchemeOnAnyThreadCountGivesTheCallingThreadsRecords)
{
    struct {
        u32 width, height, mode;
        bool second;
        u32 pass; // the second pass's parameters: pass 3 of XQFTC-II restarts
    } cases[] = {
        {64, 40, 4, false, 3}, // 10 rows: 5 workers
        {64, 36, 2, true, 1},  // 9 rows: the edge row beside row 0
        {8, 268, 4, true, 1},  // 67 rows, 32 workers: the edge row moves to row 0's worker
        {24, 8, 4, false, 3},  // 2 rows, odd width
        {16, 20, 4, true, 3},  // 5 rows, extended candidates and restarts
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " mode " + std::to_string(c.mode));
        const SImage image = Texture(c.width, c.height, c.width + c.height);
        auto run = [&](CAmtcLevel& level, ESweepRun how) {
            ASSERT_TRUE(level.Init(image.View(), 4, c.mode, c.second));
            u32 counter = 1;
            for (u32 pass = 0; pass < 2; ++pass) {
                SetPassParams(level.Params(), 2, pass == 0 ? 0 : c.pass, 8);
                if (pass == 0) {
                    ASSERT_TRUE(RunSetUpSweep(level, 0, how));
                    ASSERT_TRUE(RunSetUpSweep(level, 1, how));
                }
                ASSERT_TRUE(RunOptimisationPass(level, counter, how));
            }
        };
        CAmtcLevel reference;
        run(reference, ESweepRun::CallingThread);
        for (const u32 threads : {1u, 2u, 8u}) {
            SThreadLimit limit(threads);
            CAmtcLevel level;
            run(level, ESweepRun::Workers);
            EXPECT_TRUE(SameRecords(reference, level)) << threads << " threads";
        }
    }
}

} // namespace
