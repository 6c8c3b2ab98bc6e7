#pragma once
// The exhaustive ETC1 searches: every RGB444 (individual mode) or RGB555 (differential mode) base
// colour for each half-block, pruned channel by channel against a bound that falls as better colours
// are found, and the stages they share.
//
// Quadrant block array: the block's 16 pixels as records of 4 bytes (R, G, B, unused) grouped by 2x2
// quadrant (top-left, top-right, bottom-left, bottom-right); inside a quadrant left column upper row,
// left column lower row, right column upper row, right column lower row. Halves: top = quadrants 0 and
// 1, bottom = 2 and 3, left = 0 and 2, right = 1 and 3. Quadrant tables hold 128 entries, 16 t + 4 k +
// i for modifier row t, pixel k of the quadrant and modifier column i.
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

#include <array>

namespace xqftexture::etc {

// The ETC1 modifier rows by table codeword, columns ascending.
inline constexpr i32 ETC1ModifierRows[8][4] = {{-8, -2, 2, 8},     {-17, -5, 5, 17},   {-29, -9, 9, 29},
                                               {-42, -13, 13, 42}, {-60, -18, 18, 60}, {-80, -24, 24, 80},
                                               {-106, -33, 33, 106}, {-183, -47, 47, 183}};
// Entry i is clamp(i - 255, 0, 255) + 255: entry v + m + 255 minus a pixel value p indexes (clamp(v + m)
// - p)² in the square table.
inline constexpr std::array<u32, 768> kBiasedClampTable = [] {
    std::array<u32, 768> t{};
    for (u32 i = 0; i < 768; ++i)
        t[i] = (i < 255 ? 0 : i > 510 ? 255 : i - 255) + 255;
    return t;
}();

using QuadrantTable = u32[128];

void GatherQuadrantBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64]);

// Red stage: fills the four quadrant red tables from colour's red; 1 when some half under some row
// can still stay below bound on red alone, else 0.
i32 BuildETC1RedTablesPerceptual(const u8 block[64], const u8 colour[3], QuadrantTable* red, u32 bound);
i32 BuildETC1RedTables(const u8 block[64], const u8 colour[3], QuadrantTable* red, u32 bound);
// Red-green stage: the red tables plus colour's green, into the red-green tables; the same report.
i32 BuildETC1RedGreenTablesPerceptual(const u8 block[64], const u8 colour[3], const QuadrantTable* red,
                                      QuadrantTable* redGreen, u32 bound);
i32 BuildETC1RedGreenTables(const u8 block[64], const u8 colour[3], const QuadrantTable* red, QuadrantTable* redGreen,
                            u32 bound);
// Half-error stage: the four half errors with colour's blue; a value below bound is exact (the least
// over the rows), one at or above it may come from only some rows or be the maximum block error.
void ETC1HalfErrorsPerceptual(const u8 block[64], const u8 colour[3], const QuadrantTable* redGreen, u32& top,
                              u32& bottom, u32& left, u32& right, u32 bound);
void ETC1HalfErrors(const u8 block[64], const u8 colour[3], const QuadrantTable* redGreen, u32& top, u32& bottom,
                    u32& left, u32& right, u32 bound);

// Individual mode, every RGB444 colour per half: the block and its error in the twin's metric (the
// sum of the two recorded half errors; it may exceed bound, and it is never below the block's true
// error).
u32 SearchETC1IndividualExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound);
u32 SearchETC1IndividualExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound);

// The differential search's four half-error tables (32,768 entries each), allocated once and
// refilled for every block.
struct SDifferentialTables {
    TScratch<u32> top, bottom, left, right;
    bool Allocate(); // false when memory runs out (nothing is kept)
    explicit operator bool() const { return bool(top); }
};
// Differential mode, every RGB555 colour 1 with every colour 2 within -4..3 of it. Returns the error
// of the block written (the seed's when no pair is accepted).
u32 SearchETC1DifferentialExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low,
                                               u32 bound, SDifferentialTables& tables);
u32 SearchETC1DifferentialExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound,
                                     SDifferentialTables& tables);

} // namespace xqftexture::etc
