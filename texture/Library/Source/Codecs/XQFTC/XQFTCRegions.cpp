// The class compressors' regions and the threads that iterate them.
#include "XQFTCCompressor.h"

#include "XQFTextureThreads.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

namespace xqftexture {

void SplitIntoRegions(SRegionSet* set)
{
    XQFTCCompressor& c = *set->compressor;
    // The set holds 64 regions: larger counts would run past it and 0 would divide by zero.
    const u32 count = std::clamp(set->count, 1u, 64u);
    u32 rx = u32(std::sqrt(double(count))), ry = count / rx;
    if (rx > c.BlocksX())
        rx = 1;
    if (ry > c.BlocksY())
        ry = 1;
    // Strip edges at i * blocks / strips: strips differ by at most one block, and every block,
    // those past a whole multiple of the strip count too, is in one region (a grid that divides
    // evenly is cut as before).
    const u64 nx = c.BlocksX(), ny = c.BlocksY();
    auto edge = [](u64 i, u64 blocks, u32 strips) { return u32(i * blocks / strips); };
    set->built = 0;
    for (u32 j = 0; j < ry; ++j)
        for (u32 i = 0; i < rx; ++i)
            set->regions[set->built++] = {set, edge(i, nx, rx), edge(i + 1, nx, rx), edge(j, ny, ry), edge(j + 1, ny, ry)};
    RunCompressorThreads(set->regions, set->built);
}

void RunCompressorThreads(SCompressorRegion* regions, u32 count)
{
    if (count == 0)
        return;
    XQFTCCompressor& c = *regions[0].set->compressor;
    const u32 iterations = c.IterationCount(), period = c.ModulationPeriod();
    const bool start = c.StartPending();
    if (iterations == 0 && !start)
        return;
    // Iteration i refines the endpoints, upscales them and, every period-th time, chooses the
    // modulation again. A region's upscaled pixels, modulation and refinement touch its own blocks
    // alone, so one run per iteration does a region's upscaling and choice for the iteration before
    // and its refinement for this one (the first refines what Initialise upscaled, or starts the
    // blocks itself after InitialiseEndpoints; a last run upscales and chooses after the last
    // refinement). Refinements write the next endpoint images, which become current between runs:
    // the regions around still upscale from the current ones.
    //
    // Each block row of a region is an item of its own: its blocks depend on nothing else in the run,
    // and a few dozen regions alone leave threads idle at the end of every run while the last ones
    // finish. first[r] is region r's first item.
    std::vector<u32> first(u64(count) + 1, 0);
    for (u32 r = 0; r < count; ++r)
        first[r + 1] = first[r] + (regions[r].y1 - regions[r].y0);
    c.BeginRegionIterations();
    for (u32 run = 0; run <= iterations; ++run) {
        RunWorkers(first[count], [&](u32 item, u32) {
            const u32 at = u32(std::upper_bound(first.begin() + 1, first.end(), item) - (first.begin() + 1));
            const SCompressorRegion& r = regions[at];
            const u32 y0 = r.y0 + (item - first[at]), y1 = y0 + 1;
            if (run == 0 && start)
                c.StartBlocks(r.x0, r.x1, y0, y1);
            if (run > 0) {
                c.UpscaleRegion(r.x0, r.x1, y0, y1);
                if (period != 0 && (run - 1) % period == 0)
                    c.EvaluateModulation(r.x0, r.x1, y0, y1);
            }
            if (run < iterations)
                c.RefineEndpoints(r.x0, r.x1, y0, y1);
            return true;
        });
        if (run == 0 && start)
            c.BlocksStarted();
        if (run < iterations)
            c.CommitRefinements();
    }
    c.EndRegionIterations();
}

namespace {

template <class Compressor>
u64 RunClass(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow, u32 iterations, u64 size)
{
    // A dozen short passes (a few ms each on eight threads) share one set of threads.
    const CWorkerTeam team;
    std::unique_ptr<Compressor> compressor(new (std::nothrow) Compressor(pixels, width, height));
    if (!compressor || !compressor->Valid())
        return 0;
    compressor->SetIterationCount(iterations);
    // The regions' first run upscales the endpoints and chooses the first modulation on their rows:
    // two passes over the whole image, and their waits, fewer.
    compressor->InitialiseEndpoints(wideWindow);
    SRegionSet set{compressor.get(), regions, {}, 0};
    SplitIntoRegions(&set);
    compressor->WriteBlocks(out, true);
    return size;
}

} // namespace

u64 RunXQFTC4bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations)
{
    return RunClass<XQFTC4bppCompressor>(pixels, out, width, height, regions, wideWindow, iterations,
                                         u64(width) * height / 2);
}

u64 RunXQFTC2bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations)
{
    return RunClass<XQFTC2bppCompressor>(pixels, out, width, height, regions, wideWindow, iterations,
                                         u64(width) * height / 4);
}

} // namespace xqftexture
