#pragma once
// The exhaustive ETC2 H-mode search: every unordered pair of distinct RGB444 colours at every
// distance, pruned at red and red-green level against a bound that falls as better pairs are found.
//
// Tables, [colour][distance 0..7][pixel 0..15], u32: the smaller of a pixel's errors against the two
// paint colours (c - d, c + d per channel, clamped) of one colour at one distance, over the table's
// channels: full colour (4096 colours, pixels of the column-major block array), red-green (256,
// colour >> 4, pixels row by row from the image) and red (16, colour >> 8, likewise).
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

struct SHModeTables {
    TScratch<u32> colour, redGreen, red;
    bool Allocate(); // false when memory runs out (nothing is kept)
};

// Each fills the 128 entries of colour c (a 12-bit value) in its table, with plain weights.
void BuildHColourTable(const u8 block[64], u32 c, u32* table);
void BuildHRedGreenTable(const u8* image, i32 width, i32 x, i32 y, u32 c, u32* table);
void BuildHRedTable(const u8* image, i32 width, i32 x, i32 y, u32 c, u32* table);

// Fills the three tables for the block at (x, y) (perceptual or plain weights), as the search does first.
void FillHModeTables(const u8* image, i32 width, i32 x, i32 y, bool perceptual, SHModeTables& tables);

// The least over the distances of the pair's summed per-pixel minima; a distance's sum stops once it is
// no longer below bound. Below bound the result is the pair's exact error over the table's channels.
u32 HRedBound(const u32 pair[2], const u32* redTable, u32 bound);
u32 HRedGreenBound(const u32 pair[2], const u32* redGreenTable, u32 bound);
u32 HColourError(const u32 pair[2], const u32* colourTable, u32 bound);

// hWord: the 58-bit H layout (the colour order carrying the distance's low bit); low: the block's low
// word. Returns the error of the result: the best pair's, or the start fit's when no pair beats it.
u32 SearchHModeExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& hWord, u32& low, u32 bound,
                                    SHModeTables& tables);
u32 SearchHModeExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& hWord, u32& low, u32 bound,
                          SHModeTables& tables);

} // namespace xqftexture::etc
