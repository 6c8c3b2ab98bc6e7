#pragma once
// Facts of the compressed and packed format ids, one row per id.
#include "PixelFormat.h"

namespace xqftexture {

struct SCompressedFormatFacts {
    u32 bitsPerPixel;
    u32 minWidth, minHeight, minDepth; // also the rounding unit of a level's size
    u8 ditherWidths[4];                // R, G, B, A widths the dither pass quantises to
};

// Columns: bits per pixel, minimum width/height/depth, dither widths R, G, B, A.
inline constexpr SCompressedFormatFacts kCompressedFormats[] = {
    {2, 16, 8, 1, {5, 5, 5, 0}},   // 0 XQFTC 2bpp RGB
    {2, 16, 8, 1, {4, 4, 4, 3}},   // 1 XQFTC 2bpp RGBA
    {4, 8, 8, 1, {5, 5, 5, 0}},    // 2 XQFTC 4bpp RGB
    {4, 8, 8, 1, {4, 4, 4, 3}},    // 3 XQFTC 4bpp RGBA
    {2, 8, 4, 1, {4, 4, 4, 3}},    // 4 XQFTC-II 2bpp
    {4, 4, 4, 1, {4, 4, 4, 3}},    // 5 XQFTC-II 4bpp
    {4, 4, 4, 1, {4, 4, 4, 4}},    // 6 ETC1
    {4, 4, 4, 1, {5, 6, 5, 1}},    // 7 DXT1
    {8, 4, 4, 1, {5, 6, 5, 8}},    // 8 DXT2
    {8, 4, 4, 1, {5, 6, 5, 8}},    // 9 DXT3
    {8, 4, 4, 1, {5, 6, 5, 8}},    // 10 DXT4
    {8, 4, 4, 1, {5, 6, 5, 8}},    // 11 DXT5
    {4, 4, 4, 1, {8, 0, 0, 0}},    // 12 BC4
    {8, 4, 4, 1, {8, 8, 0, 0}},    // 13 BC5
    {0, 1, 1, 1, {16, 16, 16, 0}}, // 14 reserved
    {0, 1, 1, 1, {8, 8, 8, 0}},    // 15 reserved
    {16, 2, 1, 1, {8, 8, 8, 0}},   // 16 UYVY
    {16, 2, 1, 1, {8, 8, 8, 0}},   // 17 YUY2
    {1, 8, 1, 1, {1, 1, 1, 0}},    // 18 1bpp
    {32, 1, 1, 1, {14, 14, 14, 0}},// 19 RGB9E5
    {16, 2, 1, 1, {8, 8, 8, 0}},   // 20 RGBG
    {16, 2, 1, 1, {8, 8, 8, 0}},   // 21 GRBG
    {4, 4, 4, 1, {4, 4, 4, 0}},    // 22 ETC2 RGB
    {8, 4, 4, 1, {4, 4, 4, 4}},    // 23 ETC2 RGBA
    {4, 4, 4, 1, {5, 5, 5, 1}},    // 24 ETC2 RGB A1
    {4, 4, 4, 1, {11, 0, 0, 0}},   // 25 EAC R11
    {8, 4, 4, 1, {11, 11, 0, 0}},  // 26 EAC RG11
    {0, 1, 1, 1, {0, 0, 0, 0}},    // 27 no format
};
static_assert(sizeof(kCompressedFormats) / sizeof(kCompressedFormats[0]) == NumCompressedFormats + 1,
              "one row per compressed id, 'no format' included");

// The row of an id; ids above 27 read the 'no format' row.
inline const SCompressedFormatFacts& CompressedFacts(u32 id)
{
    return kCompressedFormats[id < NumCompressedFormats ? id : NumCompressedFormats];
}

} // namespace xqftexture
