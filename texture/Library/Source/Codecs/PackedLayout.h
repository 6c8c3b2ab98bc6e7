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

} // namespace xqftexture::packed
