#pragma once
// The encoder entries of the packed and DXT formats.
//
// Same convention as the decoder entries (XQFTextureCodecs.h):
//
//   u64 Name(const void* src, u64 srcSize, void* dst, u32 width, u32 height, <codec arguments>)
//
// - src holds width x height pixels of the encoder's input format, rows of width pixels; a srcSize
//   below that is refused (0 is returned, nothing is read or written).
// - The result is the number of encoded bytes written: the level's size in whole blocks of the
//   format (its minimum dimensions), the same figure GetDataSize gives; 0 means failure (also
//   width or height 0, an unknown id or mode, or a size that overflows 64 bits).
// - A null src or dst is a size query: the encoded size is returned and nothing is read or written.
// - No pixel outside the level is read. Where a level is not whole blocks, DXT edge blocks repeat
//   the level's last column and row, the pair formats pair an odd row's last pixel with itself, and
//   1 bpp leaves the bits past a row's end clear.
#include "XQFTextureTypes.h"

namespace xqftexture {

// 'r','g','b','a' 8,8,8,8 to DXT1-DXT5 (mode 1-5 = id - 6).
u64 CompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode);

// The 8-byte DXT4/DXT5 alpha block of one 4 x 4 block of RGBA 8888 pixels whose rows are rowStride
// pixels apart.
void EncodeDXTAlphaBlock(const u8* blockPixels, u8* out, i32 rowStride);

// 'r','g','b','a' 8,8,8,8 to UYVY (16) or YUY2 (17).
u64 CompressYUV422(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id);

// One pair of RGBA 8888 pixels (R in bits 0-7) to Y0, Y1, U (from pixel 0) and V (from pixel 1).
void ConvertRGBPairToYUV(u32 pixel0, u32 pixel1, u8& y0, u8& y1, u8& u, u8& v);

// 'r','g','b','a' 8,8,8,8 to 1 bit per pixel (set when the mean of R, G and B is at least 128).
u64 CompressBW1bpp(const void* src, u64 srcSize, void* dst, u32 width, u32 height);

// 'r','g','b' 32,32,32 floats to RGB9E5.
u64 CompressSharedExponentR9G9B9E5(const void* src, u64 srcSize, void* dst, u32 width, u32 height);

// 'r','g','b','a' 8,8,8,8 to RGBG8888 (20) or GRBG8888 (21).
u64 CompressRGBG(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id);

} // namespace xqftexture
