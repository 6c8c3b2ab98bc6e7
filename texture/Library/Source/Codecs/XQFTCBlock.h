#pragma once
// The 64-bit XQFTC / XQFTC-II block: a little-endian modulation word, then a colour word holding
// colours A and B (5-bit red, green, blue and 4-bit alpha once unpacked) and the modulation mode
// flag in bit 0. A block covers BW x 4 pixels: BW is 8 at 2 bpp and 4 at 4 bpp.
#include "XQFTextureTypes.h"

namespace xqftexture {

// Position of block (x, y) of a blocksX x blocksY grid in the data: row-major when linear, else
// Morton order with x and y interleaved over the smaller dimension and the longer one's high bits
// above them.
u32 BlockOrderIndex(u32 blocksY, u32 blocksX, u32 y, u32 x, bool linear);

inline bool IsPowerOfTwo(u32 v) { return v != 0 && (v & (v - 1)) == 0; }

namespace xqftc {

struct SColour {
    i32 r, g, b, a; // red, green, blue 5 bits; alpha 4 bits
};

// One block unpacked for window decoding.
struct SBlock {
    SColour a, b;
    u8 value[32]; // stored 2-bit modulation value of block pixel (i, j) at j * BW + i
    u8 mode;      // 4 bpp: the mode flag; 2 bpp: 0 direct, 1 interpolate both ways, 2 across, 3 down
    bool hard;    // XQFTC-II hard-transition flag
};

// Unpacks a block of the first generation (second = false) or of XQFTC-II.
SBlock UnpackBlock(const u8* bytes, bool twoBpp, bool second);

// Modulation weights 0..8 of the stored values 0..3.
inline constexpr u8 kWeights[4] = {0, 3, 5, 8};

} // namespace xqftc
} // namespace xqftexture
