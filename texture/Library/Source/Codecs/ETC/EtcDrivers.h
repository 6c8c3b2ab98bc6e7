#pragma once
// The per-block drivers of the ETC/EAC encoder: each runs the candidate fits of its quality on one
// 4 x 4 block of the working planes and keeps the best, measured on the candidates decoded into
// decodedRgb. rgb and decodedRgb are RGB planes (3 bytes per pixel) with rows of stride pixels.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Quality 0, ETC1: the rounded and then the balanced average-colour block, the second kept only when
// its plain error is strictly smaller. Returns the kept block's plain error.
double CompressETC1BlockFast(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low);
// Quality 1, ETC1: the same with the perceptual fits and metric.
void CompressETC1BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                     u32& low);

} // namespace xqftexture::etc
