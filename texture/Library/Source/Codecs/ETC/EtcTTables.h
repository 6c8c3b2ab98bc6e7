#pragma once
// The per-block error tables of the exhaustive T-mode search, and the constant tables the exhaustive
// searches and the EAC encoder share.
//
// Block array: the block's 16 pixels as records of 4 bytes (R, G, B, unused), column-major: record
// 4i + j is the pixel at column i, row j of the block. Colour values are 12-bit numbers R << 8 | G <<
// 4 | B of 4-bit channels, each standing for 17 x its value. Split rows hold, for each distance index
// k (in ETC2DistanceTable order) and pixel p, entry k x 16 + p: the pixel's least weighted error over
// the three paint colours (minus, base, plus) of the row colour at that distance; lone rows hold entry
// p: the pixel's weighted error against the row colour. The perceptual builders weigh red, green and
// blue by 299, 587 and 114, the plain ones by 1.
//
//   table               rows   entries   row of colour value c
//   red split             16     128     c >> 8
//   red lone              16      16     (filled by the search)
//   red-green split      256     128     c >> 4
//   red-green lone       256      16     c >> 4
//   full-colour split   4096     128     c
//   full-colour lone    4096      16     c
#include "XQFTextureTypes.h"

#include <array>

namespace xqftexture::etc {

inline constexpr u32 kSplitEntries = 128, kLoneEntries = 16;

// Entry i is min(max(i - 255, 0), 255): clamp(q - d) is entry q - d + 255, clamp(q + d) entry q + d + 255.
inline constexpr std::array<i32, 768> kClampTable = [] {
    std::array<i32, 768> t{};
    for (i32 i = 0; i < 768; ++i)
        t[i] = i < 255 ? 0 : i > 510 ? 255 : i - 255;
    return t;
}();
// Entry i is (i - 255)²: (a - b)² is entry a - b + 255.
inline constexpr std::array<u32, 511> kSquareTable = [] {
    std::array<u32, 511> t{};
    for (i32 i = 0; i < 511; ++i)
        t[i] = u32((i - 255) * (i - 255));
    return t;
}();

// The block at (x, y) of an RGB plane (rows of width pixels) as a block array.
void GatherBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64]);

// Each fills the row of colour value `colour` in its table (see above).
void BuildTColourSplitTablePerceptual(const u8 block[64], u32 colour, u32* table);
void BuildTColourSplitTable(const u8 block[64], u32 colour, u32* table);
void BuildTColourLoneTablePerceptual(const u8 block[64], u32 colour, u32* table);
void BuildTColourLoneTable(const u8 block[64], u32 colour, u32* table);
void BuildTRedGreenSplitTablePerceptual(const u8 block[64], u32 colour, u32* table);
void BuildTRedGreenSplitTable(const u8 block[64], u32 colour, u32* table);
void BuildTRedGreenLoneTablePerceptual(const u8 block[64], u32 colour, u32* table);
void BuildTRedGreenLoneTable(const u8 block[64], u32 colour, u32* table);
void BuildTRedSplitTablePerceptual(const u8 block[64], u32 colour, u32* table);
void BuildTRedSplitTable(const u8 block[64], u32 colour, u32* table);

} // namespace xqftexture::etc
