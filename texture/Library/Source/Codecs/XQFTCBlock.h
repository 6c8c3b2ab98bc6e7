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
    u8 value[32];  // stored 2-bit modulation value of block pixel (i, j) at j * BW + i
    u8 weight[32]; // its weight 0..8, except at 2 bpp pixels that take theirs from the neighbours
    u32 punch;     // 4 bpp: bit j * 4 + i set for punch-through pixels
    u8 mode;       // 4 bpp: the mode flag; 2 bpp: 0 direct, 1 interpolate both ways, 2 across, 3 down
    bool hard;     // XQFTC-II hard-transition flag
};

// Modulation weights 0..8 of the stored values 0..3.
inline constexpr u8 kWeights[4] = {0, 3, 5, 8};

inline u32 Bits(u32 word, int first, int count) { return (word >> first) & ((1u << count) - 1); }
inline i32 Widen4(u32 x) { return i32((x << 1) | (x >> 3)); }
inline i32 Widen3(u32 x) { return i32((x << 2) | (x >> 1)); }

// Colour A (bits 1-15) and colour B (bits 16-31) in their opaque or translucent layout. A translucent
// colour's 3-bit alpha becomes 4 bits with a low bit of 0, except colour B of XQFTC-II, whose low
// bit is 1.
inline SColour ExpandColourA(u32 w, bool opaque)
{
    if (opaque)
        return {i32(Bits(w, 10, 5)), i32(Bits(w, 5, 5)), Widen4(Bits(w, 1, 4)), 15};
    return {Widen4(Bits(w, 8, 4)), Widen4(Bits(w, 4, 4)), Widen3(Bits(w, 1, 3)), i32(Bits(w, 12, 3) << 1)};
}
inline SColour ExpandColourB(u32 w, bool opaque, u32 alphaLowBit)
{
    if (opaque)
        return {i32(Bits(w, 26, 5)), i32(Bits(w, 21, 5)), i32(Bits(w, 16, 5)), 15};
    return {Widen4(Bits(w, 24, 4)), Widen4(Bits(w, 20, 4)), Widen4(Bits(w, 16, 4)),
            i32(Bits(w, 28, 3) << 1 | alphaLowBit)};
}

// XQFTC-II colours: one opacity flag (bit 31) for both, a translucent B with an odd alpha. Returns
// the hard-transition flag (bit 15).
inline bool UnpackBlockColours(u32 colour, SBlock& block)
{
    const bool opaque = colour >> 31;
    block.a = ExpandColourA(colour, opaque);
    block.b = ExpandColourB(colour, opaque, 1);
    return (colour >> 15) & 1;
}

// The modulation word of a block with mode flag `flag` (colour word bit 0); XQFTC-II unpacks its
// modulation the same way.
inline void ReadModulationBits(u32 mod, u32 flag, bool twoBpp, SBlock& block)
{
    block.punch = 0;
    if (!twoBpp) {
        // Mode 1 replaces weights 3 and 5 by 4, the second of them with punch-through.
        static constexpr u8 kModeOneWeights[4] = {0, 4, 4, 8};
        const u8* weights = flag ? kModeOneWeights : kWeights;
        block.mode = u8(flag);
        for (u32 i = 0; i < 16; ++i) {
            const u32 d = (mod >> (2 * i)) & 3;
            block.value[i] = u8(d);
            block.weight[i] = weights[d];
        }
        if (flag)
            for (u32 i = 0; i < 16; ++i)
                block.punch |= u32(block.value[i] == 2) << i;
        return;
    }
    if (flag == 0) {
        block.mode = 0; // one bit per pixel: 0 or the full weight
        for (u32 i = 0; i < 32; ++i) {
            const u32 set = (mod >> i) & 1;
            block.value[i] = u8(3 * set);
            block.weight[i] = u8(8 * set);
        }
        return;
    }
    block.mode = 1;
    if (mod & 1) {
        // Bit 0 selects a one-way interpolation, bit 20 its direction; both pixels then keep only
        // the high bit of their value.
        block.mode = (mod >> 20) & 1 ? 3 : 2;
        mod = (mod & ~(1u << 20)) | ((mod >> 21) & 1) << 20;
    }
    mod = (mod & ~1u) | ((mod >> 1) & 1);
    // Only pixels with i + j even are stored, two bits each, row by row; the others take their
    // weight from their neighbours when a window is decoded.
    for (u32 j = 0, bit = 0; j < 4; ++j)
        for (u32 i = 0; i < 8; ++i) {
            const bool stored = ((i + j) & 1) == 0;
            const u32 d = stored ? (mod >> bit) & 3 : 0;
            bit += stored ? 2 : 0;
            block.value[8 * j + i] = u8(d);
            block.weight[8 * j + i] = kWeights[d];
        }
}

// Unpacks a block of the first generation (second = false) or of XQFTC-II. Inline: the decoders
// call it once per block with constant flags.
inline void UnpackBlock(const u8* bytes, bool twoBpp, bool second, SBlock& block)
{
    const u32 mod = u32(bytes[0]) | u32(bytes[1]) << 8 | u32(bytes[2]) << 16 | u32(bytes[3]) << 24;
    const u32 colour = u32(bytes[4]) | u32(bytes[5]) << 8 | u32(bytes[6]) << 16 | u32(bytes[7]) << 24;
    if (second) {
        block.hard = UnpackBlockColours(colour, block);
    } else {
        block.a = ExpandColourA(colour, (colour >> 15) & 1);
        block.b = ExpandColourB(colour, colour >> 31, 0);
        block.hard = false;
    }
    ReadModulationBits(mod, colour & 1, twoBpp, block);
}

} // namespace xqftc
} // namespace xqftexture
