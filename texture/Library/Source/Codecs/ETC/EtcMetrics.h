#pragma once
// The ETC encoder's error metrics and the half-block table search.
//
// Source planes: RGB, 3 bytes per pixel, rows of `width` pixels; blocks and half-blocks are
// addressed by their top-left pixel and lie wholly inside the plane. Half-blocks: 2 x 4 (the left
// and right halves of an unflipped block) and 4 x 2 (the top and bottom halves of a flipped one).
//
// Three per-pixel metrics, with d = candidate - source per channel:
//   plain integer       dR² + dG² + dB²                  (sentinel 3121200 = 16 x 3 x 255²)
//   perceptual integer  299 dR² + 587 dG² + 114 dB²      (sentinel 1040400000 = 1000 x 16 x 255²)
//   perceptual float    0.299 dR² + 0.587 dG² + 0.114 dB², single precision (sentinel 3.1212e6)
// The integer perceptual metric is the perceptual one times 1000.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

inline constexpr i32 kMaxPlainError = 3121200;
inline constexpr u32 kMaxPerceptualError = 1040400000u;
inline constexpr float kMaxPerceptualFloatError = 3.1212e6f;

// Average R, G, B of a half-block: the unsigned sum of its 8 pixels times 0.125.
void ComputeAverageColour2x4(const u8* pixels, i32 width, i32 startX, i32 startY, float avg[3]);
void ComputeAverageColour4x2(const u8* pixels, i32 width, i32 startX, i32 startY, float avg[3]);

// The best of the eight ETC1 modifier tables for a half-block around the 8-bit base colour, with
// every pixel's index. Returns the half-block's error; writes the table (0..7) and the index planes
// (bit p = 4 (x - startX) + (y - startY) of indexMSB / indexLSB) whenever a table is accepted, which
// the first always is. Each pixel takes the first of {-large, -small, +small, +large} with the least
// error, and ties between tables keep the lower one. The float members return their single-precision
// sum truncated toward zero.
i32 FindHalfBlockTable2x4(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3], u32& table,
                          u32& indexMSB, u32& indexLSB);
i32 FindHalfBlockTable4x2(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3], u32& table,
                          u32& indexMSB, u32& indexLSB);
i32 FindHalfBlockTable2x4Perceptual(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                    u32& table, u32& indexMSB, u32& indexLSB);
i32 FindHalfBlockTable4x2Perceptual(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                    u32& table, u32& indexMSB, u32& indexLSB);
i32 FindHalfBlockTable2x4PerceptualFloat(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                         u32& table, u32& indexMSB, u32& indexLSB);
i32 FindHalfBlockTable4x2PerceptualFloat(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                         u32& table, u32& indexMSB, u32& indexLSB);

// Block errors between a source plane and a plane a candidate was decoded into (same stride), over the
// 16 pixels of the block at (x0, y0), in double precision: the plain sum of squares, and the sum of
// 0.299 dR² + 0.587 dG² + 0.114 dB² (rows top to bottom, pixels left to right).
double ComputeBlockErrorPlain(const u8* rgb, const u8* decodedRgb, i32 stride, i32 x0, i32 y0);
double ComputeBlockErrorPerceptual(const u8* rgb, const u8* decodedRgb, i32 stride, i32 x0, i32 y0);

} // namespace xqftexture::etc
