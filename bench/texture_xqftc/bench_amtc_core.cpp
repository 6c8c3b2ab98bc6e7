// The amtc XQFTC compressor's block stages, per block, on one thread: the set-up (both sweeps), one
// optimisation visit at the iteration counts of efforts 0 and 4, and the evaluation of a window
// (palettes and modulation choice over its 81 or 153 pixels) beside a plain integer loop that
// blends the four surrounding colours and picks the nearest over the same pixels, in the same run.
// Images: the 512 x 512 images of the encoder test bench; the visits run over a 64-block-row band
// of each so that the figures come in seconds.
#include "BenchSupport.h"
#include "ImageSet.h"

#include "AmtcLevel.h"
#include "BlendEntries.h"
#include "CandidateOptimiser.h"
#include "OptimiseRegion.h"
#include "PixelPalette.h"
#include "WindowModel.h"
#include "amtc_localised.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace xqftexture;
using namespace xqftexture::amtc;
using xqft::bench::Clock;
using xqft::bench::Seconds;

namespace {

constexpr u32 kSize = 512;
volatile u64 g_sink;

// The plain loop: per pixel, bilinear A and B from the four surrounding blocks' 8-bit colours,
// two blends between them and the nearest of the four colours.
u64 PlainLoop(const SRgba* window, int width, int height, const AmtcColourPair* nine)
{
    u64 total = 0;
    const int bw = (width - 1) / 2, bh = (height - 1) / 2;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const int qr = r < bh ? 0 : 1, qc = c < bw ? 0 : 1;
            const int fy = (r - qr * bh) * 8 / bh, fx = (c - qc * bw) * 8 / bw;
            const AmtcColourPair* p[4] = {&nine[3 * qr + qc], &nine[3 * qr + qc + 1], &nine[3 * qr + qc + 3],
                                          &nine[3 * qr + qc + 4]};
            const int w[4] = {(8 - fx) * (8 - fy), fx * (8 - fy), (8 - fx) * fy, fx * fy};
            int colours[4][4];
            for (int ch = 0; ch < 4; ++ch) {
                const int a = (w[0] * p[0]->a.c[ch] + w[1] * p[1]->a.c[ch] + w[2] * p[2]->a.c[ch] + w[3] * p[3]->a.c[ch]) >> 6;
                const int b = (w[0] * p[0]->b.c[ch] + w[1] * p[1]->b.c[ch] + w[2] * p[2]->b.c[ch] + w[3] * p[3]->b.c[ch]) >> 6;
                colours[0][ch] = a, colours[3][ch] = b;
                colours[1][ch] = (5 * a + 3 * b) >> 3, colours[2][ch] = (3 * a + 5 * b) >> 3;
            }
            const SRgba& px = window[r * width + c];
            int best = 1 << 30;
            for (int k = 0; k < 4; ++k) {
                int d = 0;
                for (int ch = 0; ch < 4; ++ch)
                    d += (px.c[ch] - colours[k][ch]) * (px.c[ch] - colours[k][ch]);
                best = std::min(best, d);
            }
            total += u64(best);
        }
    return total;
}

struct SFigures {
    double setUp = 0, visit0 = 0, visit4 = 0, evaluate = 0, plain = 0;
};

SFigures Measure(const xqft::test::SColourImage& image, u32 mode, bool second)
{
    SFigures f;
    CAmtcLevel level;
    const SAmtcImage view{image.rgba.data(), image.width, image.height, image.width};
    if (!level.Init(view, 4, mode, second))
        return f;
    AmtcParams& p = level.Params();
    const u64 blocks = u64(p.blocksX) * p.blocksY;
    SetPassParams(p, 0, 0, 2);
    auto t0 = Clock::now();
    RunSetUpSweep(level, 0, ESweepRun::CallingThread);
    RunSetUpSweep(level, 1, ESweepRun::CallingThread);
    f.setUp = Seconds(t0, Clock::now()) * 1e6 / double(blocks);

    // Visits over a band of rows; every block re-evaluated, as in the passes that change the
    // parameters. The records carry over from the first measurement to the second, as passes do.
    const u32 band = std::min(p.blocksY, 64u);
    SOptimiseScratch scratch;
    u32 counter = 1;
    for (const u32 effort : {0u, 4u}) {
        SetPassParams(p, effort, 1, PassCount(effort));
        p.reevaluate = 1;
        t0 = Clock::now();
        for (u32 by = 0; by < band; ++by)
            for (u32 bx = 0; bx < p.blocksX; ++bx)
                OptimiseRegion(level, by, bx, scratch, counter);
        ++counter;
        (effort == 0 ? f.visit0 : f.visit4) = Seconds(t0, Clock::now()) * 1e6 / double(u64(band) * p.blocksX);
    }

    // Window evaluation of each block's selected pair in its neighbourhood, and the plain loop.
    const int pixels = p.windowWidth * p.windowHeight;
    std::vector<SBlendEntry> entries(pixels);
    u64 sink = 0;
    double evaluate = 0, plain = 0;
    u8 weights[kMaxWindowPixels] = {};
    for (u32 by = 0; by < band; ++by)
        for (u32 bx = 0; bx < p.blocksX; ++bx) {
            AmtcBlockRecord* nb[9];
            level.Neighbourhood(by, bx, nb);
            AmtcColourPair nine[9];
            for (int k = 0; k < 9; ++k)
                nine[k] = SelectedPair(*nb[k]);
            level.CopyWindow(by, bx, scratch.window);
            CreateBlendingAndUpdateWeights(nb[4]->selected, nb, 0, p, entries.data());
            SCandidateProblem problem{&p, scratch.window, entries.data(), nine, &nb[4]->boxes[0].box, false, true};
            // As the optimiser runs it: the neighbours' share built once per candidate, then one
            // evaluation per iteration.
            scratch.model.Build(problem);
            problem.model = &scratch.model;
            constexpr int kRepeat = 8;
            auto e0 = Clock::now();
            for (int k = 0; k < kRepeat; ++k) {
                SWindowFit fit;
                EvaluateWindow(problem, nine[4].a, nine[4].b, true, fit, weights);
                sink += fit.inner + fit.border + fit.fixedBorder;
            }
            auto e1 = Clock::now();
            for (int k = 0; k < kRepeat; ++k)
                sink += PlainLoop(scratch.window, p.windowWidth, p.windowHeight, nine);
            auto e2 = Clock::now();
            evaluate += Seconds(e0, e1) / kRepeat, plain += Seconds(e1, e2) / kRepeat;
        }
    g_sink = sink;
    f.evaluate = evaluate * 1e6 / double(u64(band) * p.blocksX);
    f.plain = plain * 1e6 / double(u64(band) * p.blocksX);
    return f;
}

} // namespace

int main()
{
    const std::vector<xqft::test::SColourImage> images = xqft::test::ColourImages(kSize, kSize);
    std::printf("amtc block stages, us per block, one thread, %u x %u images (%zu of them)\n", kSize, kSize,
                images.size());
    std::printf("%-14s %8s %9s %9s %9s %9s %7s\n", "format", "set-up", "visit e0", "visit e4", "evaluate", "plain",
                "ratio");
    bool setUpGoal = true, evaluateGoal = true;
    for (const u32 mode : {4u, 2u})
        for (const bool second : {false, true}) {
            SFigures sum;
            for (const auto& image : images) {
                const SFigures f = Measure(image, mode, second);
                sum.setUp += f.setUp, sum.visit0 += f.visit0, sum.visit4 += f.visit4;
                sum.evaluate += f.evaluate, sum.plain += f.plain;
            }
            const double n = double(images.size());
            const double ratio = sum.evaluate / sum.plain;
            std::printf("%-14s %8.2f %9.2f %9.2f %9.3f %9.3f %6.2fx\n",
                        (std::string(second ? "XQFTC-II " : "XQFTC ") + (mode == 2 ? "2bpp" : "4bpp")).c_str(),
                        sum.setUp / n, sum.visit0 / n, sum.visit4 / n, sum.evaluate / n, sum.plain / n, ratio);
            setUpGoal = setUpGoal && sum.setUp <= sum.visit0;
            evaluateGoal = evaluateGoal && ratio <= 4.0;
        }
    std::printf("goal: set-up at most one effort-0 visit: %s\n", setUpGoal ? "met" : "NOT met");
    std::printf("goal: window evaluation within 4x of the plain loop: %s\n", evaluateGoal ? "met" : "NOT met");
    return 0;
}
