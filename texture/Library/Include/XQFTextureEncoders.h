#pragma once
// The encoder entries of the packed, DXT, ETC and XQFTC formats.
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

// ETC1 (6), ETC2 RGB (22), RGBA (23), RGB A1 (24), EAC R11 (25), RG11 (26). Input: 'r','g','b' 8,8,8 for
// 6; 'r','g','b','a' 8,8,8,8 for 22-24 (id 24 takes alpha below 128 as transparent); 'r' 16 for 25 and
// 'r','g' 16,16 for 26, two's-complement signed when isSigned. Quality 0 and 1 are fast, 2 and 3
// exhaustive (4 and 5 are 2 and 3 again); the even ones measure plain RGB error, the odd ones weigh
// the channels 0.299, 0.587 and 0.114. isSigned is refused with the colour formats at qualities 0-3.
// Blocks are encoded on the library's worker threads (XQFTextureThreads.h); every thread limit gives
// the same bytes. Edge blocks repeat the level's last columns and rows in order (a 1-pixel wide or
// high level its one column or row).
u64 EncodeETCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 formatId, i32 quality,
                   u32 isSigned);

// 'r','g','b','a' 8,8,8,8 to XQFTC (2 or 4 bpp) or XQFTC-II, at most 4096 x 4096. XQFTC levels must be
// whole blocks (8 x 4 pixels at 2 bpp, 4 x 4 at 4 bpp); XQFTC-II levels are padded to whole blocks by
// repeating their last columns and rows. Quality 0 of XQFTC runs the quick class compressor; higher
// qualities (XQFTC: quality - 1) and every XQFTC-II level run the amtc compressor at that effort
// (above 4 as 4). XQFTC blocks are in Morton order on power-of-two grids, else row by row; XQFTC-II
// row by row. hasAlpha changes nothing (alpha is always encoded). Work runs on the library's worker
// threads; every thread limit gives the same bytes. Returns the padded size x bpp / 8.
u64 CompressXQFTCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, bool hasAlpha, bool twoBpp,
                       bool isXQFTCII, u32 quality);

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
