#pragma once
// The blend entries of a block's window: for one candidate id of the centre block and the selected
// ids of its eight neighbours, how the decoder will form each window pixel, and how much the pixel
// weighs in the fit of the centre block's endpoints.
#include "AmtcTypes.h"

namespace xqftexture::amtc {

// The id a restart gives a neighbour: bit 0 of the restart toggles the top-left neighbour's
// hard-transition bit, bit 1 the top one's and bit 2 the left one's.
void ApplyRestartToggles(u32 restart, const AmtcParams& params, u32 ids[9]);

// Fills the (2 BW + 1) x (2 BH + 1) entries, row-major. neighbours: the nine records of the 3 x 3
// neighbourhood, row-major, the centre in the middle (its own selected id is replaced by id).
// Returns false for a mode other than 2 and 4 (1 bpp is not supported).
bool CreateBlendingAndUpdateWeights(u32 id, const AmtcBlockRecord* const neighbours[9], u32 restart,
                                    const AmtcParams& params, SBlendEntry* entries);

// Same, from the nine ids directly (after any restart toggles).
bool CreateBlendEntries(const u32 ids[9], const AmtcParams& params, SBlendEntry* entries);

// Geometry of the window (exposed for the tests): fractions and centre weights in eighths.
struct SWindowGeometry {
    const u8* fraction;   // per column (fractionRows per row)
    const u8* step;
    const u8* tent;
    const u8* tentStep;
};
SWindowGeometry ColumnGeometry(bool twoBpp);
SWindowGeometry RowGeometry();
// Sharp kernel number k (k = 3 x kind of the first block + kind of the second): 9 entries for rows
// and 4 bpp columns, 17 for 2 bpp columns.
const i8* SharpKernel(bool seventeen, int k);

} // namespace xqftexture::amtc
