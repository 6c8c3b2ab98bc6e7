#pragma once
// The decoder entries of the transcoding switch.
//
// One convention for every codec entry of the library:
//
//   u64 Name(const void* src, u64 srcSize, void* dst, u32 width, u32 height, <codec arguments>)
//
// - srcSize is the number of bytes readable at src. The entry computes, in 64-bit arithmetic, the
//   bytes the level needs (width and height rounded up to the format's block, that is its minimum
//   dimensions, as GetDataSize does) and refuses a shorter source: it returns 0 and reads nothing.
// - It returns the bytes of decoded output, width x height x decoded bytes per pixel; 0 means
//   failure (also for width or height 0, an unknown id or mode, or a size that overflows 64 bits).
// - A null src or dst is a size query: the output size is returned and nothing is read or written.
// - dst holds width x height decoded pixels, rows of width pixels. Every width and height >= 1 is
//   handled (blocks are clipped at the image edge); nothing is written outside that area.
// - Entries never throw and never end the process.
//
// Block codecs walk their blocks with DecodeBlocks (Codecs/BlockWalker.h), which does the length
// check, the clipping and the output bounds once for all of them.
#include "XQFTextureTypes.h"

namespace xqftexture {

// ETC1 (6), ETC2 RGB (22), RGBA (23), RGB A1 (24), EAC R11 (25), RG11 (26). Output: 'r','g','b'
// 8,8,8 for 6; 'r','g','b','a' 8,8,8,8 for 22-24; 'r' 16 / 'r','g' 16,16 for 25/26, two's-complement
// signed when isSigned. isSRGB is accepted and not used (the bytes are the encoded values).
u64 DecodeETCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 formatId, u32 isSigned,
                   u32 isSRGB);

// DXT1-DXT5 (mode 1-5 = id - 6) to 'r','g','b','a' 8,8,8,8.
u64 DecompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode);

// XQFTC (ids 0-3) and XQFTC-II (ids 4, 5) to 'r','g','b','a' 8,8,8,8.
u64 DecompressXQFTCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, bool twoBpp,
                         bool isXQFTCII);

// UYVY (16) and YUY2 (17) to 'r','g','b','a' 8,8,8,8.
u64 DecompressYUV422(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id);

// 1 bit per pixel (18) to 'r','g','b','a' 8,8,8,8.
u64 DecompressBW1bpp(const void* src, u64 srcSize, void* dst, u32 width, u32 height);

// RGB9E5 (19) to 'r','g','b' 32,32,32 floats.
u64 DecompressSharedExponentR9G9B9E5(const void* src, u64 srcSize, void* dst, u32 width, u32 height);

// RGBG8888 (20) and GRBG8888 (21) to 'r','g','b','a' 8,8,8,8.
u64 DecompressRGBG(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id);

} // namespace xqftexture
