// Unpacking of XQFTC and XQFTC-II blocks and their order in a level.
#include "XQFTCBlock.h"

namespace xqftexture {

u32 BlockOrderIndex(u32 blocksY, u32 blocksX, u32 y, u32 x, bool linear)
{
    if (linear)
        return x + blocksX * y;
    const u32 smaller = blocksY < blocksX ? blocksY : blocksX;
    const u32 rest = blocksY < blocksX ? x : y;
    u32 interleaved = 0, pairs = 0;
    for (; pairs < 16 && (1u << pairs) < smaller; ++pairs)
        interleaved |= ((y >> pairs) & 1) << (2 * pairs) | ((x >> pairs) & 1) << (2 * pairs + 1);
    return (pairs >= 16 ? 0 : (rest >> pairs) << (2 * pairs)) | interleaved;
}

namespace xqftc {
namespace {

u32 Bits(u32 word, int first, int count) { return (word >> first) & ((1u << count) - 1); }
i32 Widen4(u32 x) { return i32((x << 1) | (x >> 3)); }
i32 Widen3(u32 x) { return i32((x << 2) | (x >> 1)); }

// Colour A (bits 1-15) and colour B (bits 16-31) in their opaque or translucent layout. A translucent
// colour's 3-bit alpha becomes 4 bits with a low bit of 0, except colour B of XQFTC-II, whose low
// bit is 1.
SColour ColourA(u32 w, bool opaque)
{
    if (opaque)
        return {i32(Bits(w, 10, 5)), i32(Bits(w, 5, 5)), Widen4(Bits(w, 1, 4)), 15};
    return {Widen4(Bits(w, 8, 4)), Widen4(Bits(w, 4, 4)), Widen3(Bits(w, 1, 3)), i32(Bits(w, 12, 3) << 1)};
}
SColour ColourB(u32 w, bool opaque, u32 alphaLowBit)
{
    if (opaque)
        return {i32(Bits(w, 26, 5)), i32(Bits(w, 21, 5)), i32(Bits(w, 16, 5)), 15};
    return {Widen4(Bits(w, 24, 4)), Widen4(Bits(w, 20, 4)), Widen4(Bits(w, 16, 4)),
            i32(Bits(w, 28, 3) << 1 | alphaLowBit)};
}

} // namespace

SBlock UnpackBlock(const u8* bytes, bool twoBpp, bool second)
{
    u32 mod = u32(bytes[0]) | u32(bytes[1]) << 8 | u32(bytes[2]) << 16 | u32(bytes[3]) << 24;
    const u32 colour = u32(bytes[4]) | u32(bytes[5]) << 8 | u32(bytes[6]) << 16 | u32(bytes[7]) << 24;
    SBlock block{};
    if (second) {
        // One opacity flag for both colours; bit 15 marks a hard transition.
        const bool opaque = colour >> 31;
        block.a = ColourA(colour, opaque);
        block.b = ColourB(colour, opaque, 1);
        block.hard = (colour >> 15) & 1;
    } else {
        block.a = ColourA(colour, (colour >> 15) & 1);
        block.b = ColourB(colour, colour >> 31, 0);
    }
    const u32 flag = colour & 1;
    if (!twoBpp) {
        block.mode = u8(flag);
        for (u32 i = 0; i < 16; ++i)
            block.value[i] = u8((mod >> (2 * i)) & 3);
    } else if (flag == 0) {
        block.mode = 0; // one bit per pixel: 0 or the full weight
        for (u32 i = 0; i < 32; ++i)
            block.value[i] = u8((mod >> i) & 1 ? 3 : 0);
    } else {
        block.mode = 1;
        if (mod & 1) {
            // Bit 0 selects a one-way interpolation, bit 20 its direction; both pixels then keep only
            // the high bit of their value.
            block.mode = (mod >> 20) & 1 ? 3 : 2;
            mod = (mod & ~(1u << 20)) | ((mod >> 21) & 1) << 20;
        }
        mod = (mod & ~1u) | ((mod >> 1) & 1);
        // Only pixels with i + j even are stored, two bits each, row by row.
        u32 bit = 0;
        for (u32 j = 0; j < 4; ++j)
            for (u32 i = j & 1; i < 8; i += 2, bit += 2)
                block.value[8 * j + i] = u8((mod >> bit) & 3);
    }
    return block;
}

} // namespace xqftc
} // namespace xqftexture
