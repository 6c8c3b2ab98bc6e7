#pragma once
// The punch-through (ETC2 RGB8 A1) block routines: the block error over opaque pixels, the transparency
// test, and the differential and T-mode compressors with transparency. Planes: RGB (3 bytes per
// pixel) and alpha (1 byte per pixel, 0 or 255 after the entry's threshold), rows of stride pixels.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Plain squared error over the pixels whose input alpha is above 128.
double PunchThroughBlockError(const u8* rgb, const u8* decodedRgb, const u8* alpha, i32 stride, i32 x0, i32 y0);
// Whether any of the block's alpha values is below 128.
bool BlockHasTransparency(const u8* alpha, i32 x0, i32 y0, i32 stride);

// A differential-mode block from the halves' alpha-weighted averages, its opaque bit NOT transparent.
// In the transparent variant index value 2 is transparent and index value 0 carries no modifier.
// Returns the block's error.
i32 CompressPunchThroughDifferential(u8 transparent, const u8* rgb, const u8* alpha, i32 stride, u32 x0, u32 y0,
                                     u32& high, u32& low);
// A T-mode block with transparency (paint index 2 for alpha 0): the unpacked 59-bit T layout and the
// low word.
void CompressPunchThroughT(const u8* rgb, const u8* alpha, u32 stride, u32 x0, u32 y0, u32& t59, u32& low);

} // namespace xqftexture::etc
