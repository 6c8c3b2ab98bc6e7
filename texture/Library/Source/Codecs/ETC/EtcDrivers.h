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

// Quality 0 for ETC2 RGB8 and RGBA8 (format 22, 23): the fast ETC1, planar, T and H candidates, the
// first with the least plain error kept; a winning T or H block is then tried against the best of
// several clusterings. Format 24 (punch-through, every quality) starts from the candidates with
// transparency, measured over the opaque pixels (alpha: the thresholded plane), and goes on with the
// opaque ones when the block has no transparent pixel. Returns the kept block's error.
double CompressETC2BlockFast(const u8* rgb, const u8* alpha, u8* decodedRgb, u32 stride, u32 height, u32 x0, u32 y0,
                             u32& high, u32& low, u32 format);
// Quality 1 for formats 22 and 23: the same with the perceptual fits and metric.
void CompressETC2BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low);

} // namespace xqftexture::etc
