#pragma once
// Optimisation of one block: every candidate's kept pairs (and perturbations of its best one) are
// refined against the block's window with the neighbours' current endpoints held fixed, and the
// candidate with the smallest error is selected.
#include "AmtcLevel.h"
#include "WindowModel.h"

namespace xqftexture::amtc {

// Per-worker buffers, reused from block to block.
struct SOptimiseScratch {
    SBlendEntry entries[kMaxWindowPixels];
    SRgba window[kMaxWindowPixels];
    CWindowModel model;
};

// The ten perturbations of a candidate's best pair, tried in order: A' = A + t0 (B - A) and
// B' = A + t1 (B - A).
inline constexpr float kPerturbations[10][2] = {{-0.25f, 1.25f}, {-0.5f, 1.0f}, {0.0f, 1.5f},    {0.0f, 0.125f},
                                                {0.875f, 1.0f},  {0.0f, 0.625f}, {0.375f, 1.0f}, {1.0f, 0.0f},
                                                {0.375f, 0.625f}, {0.75f, 0.25f}};

// Updates the record of block (bx, by); counter is the running sweep counter. A block whose
// neighbourhood has not changed since its last visit is skipped unless the parameters ask to
// re-evaluate. Returns false for a mode other than 2 and 4.
bool OptimiseRegion(const CAmtcLevel& level, u32 by, u32 bx, SOptimiseScratch& scratch, u32 counter);

} // namespace xqftexture::amtc
