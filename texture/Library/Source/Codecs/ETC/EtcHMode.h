#pragma once
// H mode for two fixed colours (the best distance and pixel indices) and the LBG-based H-mode
// compressors. Planes are RGB (3 bytes per pixel, rows of stride pixels); H colours are 6 bytes R1,
// G1, B1, R2, G2, B2 of 4-bit levels. Paint indices: 0 = colour 1 + d, 1 = colour 1 - d, 2 = colour
// 2 + d, 3 = colour 2 - d, delivered in a raster index word (pixel (0, 0) in bits 31..30).
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// The distance index (all three bits) with the least error, its raster word and the error.
u32 ChooseHIndicesPerceptual(const u8* rgb, i32 stride, i32 x0, i32 y0, const u8 colours[6], u8& distance,
                             u32& raster);
double ChooseHIndices(const u8* rgb, i32 stride, i32 x0, i32 y0, const u8 colours[6], u8& distance, u32& raster);
// The same for punch-through blocks: a pixel of alpha 0 takes the transparent slot at no cost (slot 2
// when the distance's low bit agrees with the colour order, else 0, which the packer's swap renumbers
// to 2); other pixels the nearest of the other three.
double ChooseHIndicesPunchThrough(const u8* rgb, const u8* alpha, i32 stride, i32 x0, i32 y0, const u8 colours[6],
                                  u8& distance, u32& raster);

// H-mode blocks from clustered colours: the unpacked 58-bit H layout (whose colour order carries the
// distance index's low bit) and the low word. Multi keeps the better of two restarting clusterings
// (intensity-free, then RGB), the first on a tie.
u32 CompressHModeLBGPerceptual(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low);
double CompressHModeLBG(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low);
void CompressHModeLBGPunchThrough(const u8* image, const u8* alpha, i32 width, i32 x, i32 y, u32& h58, u32& low);
double CompressHModeLBGMulti(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low);

// Makes two 12-bit colours distinct and ordered (c1 < c2): equal colours become c2 - 1 and c2 (a
// borrow crosses channels), or 0 and 1.
void OrderHColours(u32& c1, u32& c2);

} // namespace xqftexture::etc
