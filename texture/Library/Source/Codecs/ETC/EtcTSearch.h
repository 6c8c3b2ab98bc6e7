#pragma once
// The exhaustive ETC2 T-mode search: every ordered pair of RGB444 colours (split, lone) at every
// distance, pruned at red and red-green level against a bound that falls as better pairs are found,
// over the per-block tables of EtcTTables.h.
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// The six tables (EtcTTables.h), allocated once per worker and refilled for every block.
struct STModeTables {
    TScratch<u32> colourSplit, colourLone, redGreenSplit, redGreenLone, redSplit, redLone;
    bool Allocate(); // false when memory runs out (nothing is kept)
};

// Fills the six tables for the block at (x, y) (perceptual or plain weights), as the search does first.
void FillTModeTables(const u8* image, i32 width, i32 x, i32 y, bool perceptual, STModeTables& tables);

// The least over the eight distances of the pair's summed per-pixel minima of a level's split and lone
// rows (pair: split colour, lone colour as 12-bit values; rows by the level); a distance's sum stops
// once it is no longer below bound (checked after pixels 0, 1, 3, 5, ..., 13). Below bound the result is
// the pair's exact error over the level's channels.
u32 TRedBound(const u32 pair[2], const u32* redSplit, const u32* redLone, u32 bound);
u32 TRedGreenBound(const u32 pair[2], const u32* redGreenSplit, const u32* redGreenLone, u32 bound);
u32 TColourError(const u32 pair[2], const u32* colourSplit, const u32* colourLone, u32 bound);

// wordA: the 59-bit T layout (lone colour, split colour, distance); indices: the block's low word.
// Returns the error of the result: the best pair's, or the start fit's when no pair beats min(start,
// bound).
u32 SearchTModeExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& wordA, u32& indices, u32 bound,
                                    STModeTables& tables);
u32 SearchTModeExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& wordA, u32& indices, u32 bound,
                          STModeTables& tables);

} // namespace xqftexture::etc
