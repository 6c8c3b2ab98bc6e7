#pragma once
// Sizes shared by the packed codecs: every one checks its source and reports its output in 64-bit
// arithmetic, 0 standing for an empty level or a size that overflows.
#include "XQFTextureTypes.h"

#include <cstring>
#include <limits>

namespace xqftexture::packed {

// a x b x c, or 0 when the product overflows 64 bits.
inline u64 Product(u64 a, u64 b, u64 c)
{
    if (a == 0 || b == 0 || c == 0)
        return 0;
    const u64 max = std::numeric_limits<u64>::max();
    if (a > max / b || a * b > max / c)
        return 0;
    return a * b * c;
}

// Pair formats (UYVY, YUY2, RGBG, GRBG): one 4-byte group per two pixels of a row. A row of odd
// width ends in a group of its own, so a level is (width + 1) / 2 groups wide, the size the level's
// 2 x 1 rounding gives.
inline u64 PairGroupsPerRow(u32 width) { return (u64(width) + 1) / 2; }

// 1 bit per pixel: every row starts on a byte, a level is (width + 7) / 8 bytes wide, the size the
// level's 8 x 1 rounding gives.
inline u64 BitRowBytes(u32 width) { return (u64(width) + 7) / 8; }

inline u32 LoadLE32(const u8* p)
{
    return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
}

// Runs an encoder from RGBA8 after the checks every one makes first: without src or dst, or for
// an empty level, only the output size is reported; a source shorter than width x height pixels
// gives 0. encode(in, out) writes the outBytes of the level.
template <class Encode>
u64 EncodeRgba8(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u64 outBytes, Encode encode)
{
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    if (srcSize / 4 < u64(width) * height)
        return 0;
    encode(static_cast<const u8*>(src), static_cast<u8*>(dst));
    return outBytes;
}

} // namespace xqftexture::packed
