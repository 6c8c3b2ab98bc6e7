// The amtc level compressor's sweeps on worker threads.
#include "amtc_localised.h"

#include "BlockSetUp.h"
#include "OptimiseRegion.h"
#include "PackLocalBlock.h"
#include "XQFTCBlock.h"
#include "threadsupport.h"

#include <algorithm>

namespace xqftexture::amtc {
namespace {

constexpr u32 kMaxWorkers = 32;

struct SSetUpSweep {
    CAmtcLevel* level;
    u32 sweep;
    u32 workers;
};

// Worker t sets up rows t, t + W, t + 2W, ..., every block of a row from left to right.
bool SetUpWorker(void* context, u32 worker)
{
    const SSetUpSweep& s = *static_cast<const SSetUpSweep*>(context);
    CAmtcLevel& level = *s.level;
    TScratch<SRgba> window = MakeScratch<SRgba>(kMaxWindowPixels);
    if (!window) {
        level.MarkFailed();
        return false;
    }
    const AmtcParams& p = level.Params();
    for (u32 by = worker; by < p.blocksY && !level.Failed(); by += s.workers)
        for (u32 bx = 0; bx < p.blocksX; ++bx)
            SetUpBlock(level, s.sweep, by, bx, window.get());
    return true;
}

struct SOptimisationSweep {
    CAmtcLevel* level;
    u32 phaseX, phaseY, counter, workers;
};

bool OptimiseRows(CAmtcLevel& level, const u32* rows, u32 count, u32 phaseX, u32 counter, SOptimiseScratch& scratch)
{
    const AmtcParams& p = level.Params();
    for (u32 i = 0; i < count && !level.Failed(); ++i)
        for (u32 bx = phaseX; bx < p.blocksX; bx += 2)
            if (!OptimiseRegion(level, rows[i], bx, scratch, counter)) {
                level.MarkFailed();
                return false;
            }
    return true;
}

bool OptimisationWorker(void* context, u32 worker)
{
    const SOptimisationSweep& s = *static_cast<const SOptimisationSweep*>(context);
    CAmtcLevel& level = *s.level;
    TScratch<SOptimiseScratch> scratch = MakeScratch<SOptimiseScratch>(1);
    TScratch<u32> rows = MakeScratch<u32>(level.Params().blocksY);
    if (!scratch || !rows) {
        level.MarkFailed();
        return false;
    }
    const u32 count = OptimisationRows(level.Params().blocksY, s.workers, worker, s.phaseY, rows.get());
    return OptimiseRows(level, rows.get(), count, s.phaseX, s.counter, scratch[0]);
}

} // namespace

u32 SweepWorkerLimit(u32 blocksY) { return std::clamp(blocksY / 2, 1u, kMaxWorkers); }

u32 OptimisationRows(u32 blocksY, u32 workers, u32 worker, u32 phaseY, u32* rows)
{
    const u32 last = blocksY - 1;
    // Row NY - 1 of an odd grid falls in phase 0 beside row 0, its neighbour across the edge.
    const bool moveLast = blocksY % 2 == 1 && phaseY % 2 == 0 && (last / 2) % workers != 0;
    u32 n = 0;
    for (u32 by = phaseY % 2 + 2 * worker; by < blocksY; by += 2 * workers)
        if (!(moveLast && by == last))
            rows[n++] = by;
    if (moveLast && worker == 0)
        rows[n++] = last;
    return n;
}

namespace {

// Runs `workers` workers of a sweep on the library's threads, or, on the calling thread, one worker
// that visits every row (the context then holds 1 worker).
bool RunSweep(CAmtcLevel& level, WorkerRoutine routine, void* context, u32 workers, ESweepRun run)
{
    if (run == ESweepRun::CallingThread)
        return routine(context, 0) && !level.Failed();
    SWorkerSet set;
    for (u32 t = 0; t < workers; ++t)
        StartWorkerThread(set, routine, context);
    if (!JoinWorkerThreads(set))
        level.MarkFailed();
    return !level.Failed();
}

} // namespace

bool RunSetUpSweep(CAmtcLevel& level, u32 sweep, ESweepRun run)
{
    const u32 ny = level.Params().blocksY;
    const u32 workers = std::min(SweepWorkerLimit(ny), ny);
    SSetUpSweep s{&level, sweep, run == ESweepRun::CallingThread ? 1 : workers};
    return RunSweep(level, SetUpWorker, &s, workers, run);
}

bool RunOptimisationSweep(CAmtcLevel& level, u32 phaseX, u32 phaseY, u32 counter, ESweepRun run)
{
    const u32 ny = level.Params().blocksY;
    const u32 workers = std::min(SweepWorkerLimit(ny), ny / 2);
    if (workers == 0)
        return !level.Failed(); // a grid one block high is not optimised
    SOptimisationSweep s{&level, phaseX % 2, phaseY % 2, counter, run == ESweepRun::CallingThread ? 1 : workers};
    return RunSweep(level, OptimisationWorker, &s, workers, run);
}

bool RunOptimisationPass(CAmtcLevel& level, u32& counter, ESweepRun run)
{
    static constexpr u32 kPhases[4][2] = {{0, 0}, {1, 1}, {1, 0}, {0, 1}};
    for (const auto& phase : kPhases)
        if (!RunOptimisationSweep(level, phase[0], phase[1], counter++, run))
            return false;
    return true;
}

void SetFirstPassParams(AmtcParams& p)
{
    p.iterations = 1;
    p.keptPairs = 4;
    p.reevaluate = 1;
    p.extended = 0;
    p.restarts = 0;
    p.boxClamp = 1;
    p.segmentation = 0;
}

u32 CompressLevelAMTC(const SAmtcImage& image, u32 channels, u32 mode, bool isXQFTCII, u8* blocks, bool linear,
                      u32 effort, void*)
{
    CAmtcLevel level;
    if (blocks == nullptr || !level.Init(image, channels, mode, isXQFTCII))
        return 0;
    AmtcParams& p = level.Params();
    const u32 passes = PassCount(effort);
    u32 counter = 1;
    for (u32 pass = 0; pass < passes; ++pass) {
        SetPassParams(p, effort, pass, passes);
        if (pass == 0 && !(RunSetUpSweep(level, 0) && RunSetUpSweep(level, 1)))
            return 0;
        if (!RunOptimisationPass(level, counter))
            return 0;
    }
    TScratch<SBlendEntry> entries = MakeScratch<SBlendEntry>(kMaxWindowPixels);
    TScratch<SRgba> window = MakeScratch<SRgba>(kMaxWindowPixels);
    if (!entries || !window)
        return 0;
    for (u32 by = 0; by < p.blocksY; ++by)
        for (u32 bx = 0; bx < p.blocksX; ++bx) {
            u8* out = blocks + 8 * u64(BlockOrderIndex(p.blocksY, p.blocksX, by, bx, linear));
            if (PackLocalBlock(level, by, bx, entries.get(), window.get(), out) < 0)
                return 0;
        }
    return 1;
}

u32 PassCount(u32 effort) { return 2u << std::min(effort, 4u); }

void SetPassParams(AmtcParams& p, u32 effort, u32 pass, u32 passes)
{
    if (pass == 0) {
        SetFirstPassParams(p);
        return;
    }
    static constexpr u32 kIterations[5] = {3, 3, 4, 6, 8};
    const AmtcParams previous = p;
    p.iterations = kIterations[std::min(effort, 4u)];
    p.keptPairs = 4;
    // XQFTC-II's hard-transition candidates join from the fourth pass on; restarts with them, but
    // not in the last pass nor on grids whose neighbourhood wraps onto a block itself.
    p.extended = p.isXQFTCII && pass >= 3;
    p.restarts = p.extended && pass != passes - 1 && p.blocksX >= 2 && p.blocksY >= 2;
    p.boxClamp = p.segmentation = pass < 4;
    // A block whose neighbourhood did not change is skipped unless the new parameters could change
    // its result.
    p.reevaluate = (!previous.extended && p.extended) || (!previous.restarts && p.restarts) ||
                   (previous.boxClamp && !p.boxClamp) || previous.segmentation != p.segmentation;
}

} // namespace xqftexture::amtc
