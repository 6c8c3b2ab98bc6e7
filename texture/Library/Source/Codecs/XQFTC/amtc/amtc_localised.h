#pragma once
// The amtc level compressor's sweeps. A level is set up in two sweeps over its block rows, then
// optimised in passes of four phased sweeps: the blocks of one phase are two columns and two rows
// apart, so blocks optimised at the same time never share pixels and read only neighbours that no
// other block of the phase writes. Each sweep runs its logical workers (at most 32, fixed by the
// grid alone) on the texture library's worker threads.
#include "AmtcLevel.h"

namespace xqftexture::amtc {

// How a sweep runs: its logical workers on the library's threads, or every block on the calling
// thread in the order of the phase (rows top to bottom, blocks left to right). Both give the same
// records.
enum class ESweepRun { Workers, CallingThread };

// The most workers a sweep uses: NY / 2, at least 1 and at most 32.
u32 SweepWorkerLimit(u32 blocksY);

// The block rows the optimisation worker `worker` of `workers` visits in phase row phaseY, in order.
// On a grid of odd height rows 0 and NY - 1 are neighbours: both go to row 0's worker.
u32 OptimisationRows(u32 blocksY, u32 workers, u32 worker, u32 phaseY, u32* rows);

// Set-up sweep 0 (window statistics) or 1 (residuals, smoothness, start pairs). False when a worker
// ran out of memory.
bool RunSetUpSweep(CAmtcLevel& level, u32 sweep, ESweepRun run = ESweepRun::Workers);

// One optimisation sweep over the blocks (x, y) with x = phaseX mod 2 and y = phaseY mod 2.
bool RunOptimisationSweep(CAmtcLevel& level, u32 phaseX, u32 phaseY, u32 counter, ESweepRun run = ESweepRun::Workers);

// The four phased sweeps of a pass, (0, 0), (1, 1), (1, 0), (0, 1); counter is advanced by one per
// sweep.
bool RunOptimisationPass(CAmtcLevel& level, u32& counter, ESweepRun run = ESweepRun::Workers);

// The first pass's parameters: one optimiser iteration, everything re-evaluated, box clamp on.
void SetFirstPassParams(AmtcParams& params);

// Compresses one level (width and height whole blocks) into NX x NY 8-byte blocks at their
// BlockOrderIndex (row-major when linear, else Morton order), XQFTC or XQFTC-II: the set-up sweeps,
// then 2 << effort passes of four phased sweeps (efforts above 4 act as 4), then packing on the
// calling thread. mode 2 is 2 bpp, 4 is 4 bpp. Returns 1, or 0 when memory ran out or the mode is
// not supported; blocks may then be partly written.
u32 CompressLevelAMTC(const SAmtcImage& image, u32 channels, u32 mode, bool isXQFTCII, u8* blocks, bool linear,
                      u32 effort, void* progress);

// The number of passes of an effort (values above 4 act as 4): 2, 4, 8, 16 or 32.
u32 PassCount(u32 effort);
// The parameters of pass p of passes at an effort; params holds those of the previous pass.
void SetPassParams(AmtcParams& params, u32 effort, u32 pass, u32 passes);

} // namespace xqftexture::amtc
