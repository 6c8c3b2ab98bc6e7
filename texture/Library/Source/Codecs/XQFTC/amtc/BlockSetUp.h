#pragma once
// Set-up of the block records before the first optimisation: colour statistics of each block's
// window (sweep 0), the residuals after the neighbours' smooth prediction and the smoothness of the
// window (sweep 1), and the starting endpoint pairs of every candidate.
#include "AmtcLevel.h"

namespace xqftexture::amtc {

// Sweep 0: boxes 1 to 3 and the transparency flag.
void WindowStatistics(const SRgba* window, const AmtcParams& params, const SAmtcTables& tables,
                      AmtcBlockRecord& block);
// Sweep 1: boxes 4 and 5, from the window's inner pixels minus the bilinear interpolation of the
// nine neighbours' mean colours (row-major, the block itself in the middle).
void ResidualStatistics(const SRgba* window, const AmtcParams& params, const SAmtcTables& tables,
                        const SRgba means[9], AmtcBlockRecord& block);

// Splits the window into regions of similar colour: labels per pixel, the pixels in the order they
// joined their regions. Returns the number of regions.
int SegmentWindow(const SRgba* window, const AmtcParams& params, u8* labels, u8* order);

// Fills every candidate slot with start pairs and selects the first candidate.
void SetUpStandardRepStarts(AmtcBlockRecord& block, const AmtcParams& params, const SRgba* window,
                            const float* sharp);

// Endpoints along the first axis of box: the weighted two-level fit of the window's projections.
void PrincipalAxisPairFit(const AmtcParams& params, bool punch, const SRgba* window, const float* sharp,
                          const SColourBox& box, SRgba& a, SRgba& b);

// Both sweeps of one block (sweep 0 or 1) on the worker's window buffer.
void SetUpBlock(const CAmtcLevel& level, u32 sweep, u32 by, u32 bx, SRgba* window);

} // namespace xqftexture::amtc
