#pragma once
// Rounding of endpoint colours to what the colour word holds: 5, 4 or 3 bits of red, green and
// blue, widened to 8 bits exactly as the decoders widen them, and 3-bit alphas.
#include "AmtcTypes.h"
#include "XQFTCBlock.h"

namespace xqftexture::amtc {

// The 8-bit value a channel code of 5, 4 or 3 bits decodes to (4 and 3 bits pass through 5).
inline u8 WidenTo8(u32 code, int bits)
{
    const u32 five = bits == 5 ? code : bits == 4 ? u32(xqftc::Widen4(code)) : u32(xqftc::Widen3(code));
    return u8(five << 3 | five >> 2);
}

// Nearest value of an n-bit channel (n = 3, 4, 5); ties go up when roundUpOnTie.
u8 QuantiseChannel(float value, int bits, bool roundUpOnTie);
u8 QuantiseChannelInt(u8 value, int bits, bool roundUpOnTie);

// Nearest of 17a, 17a + 34 and 255, with a the 4-bit alpha below the value with its low bit set
// to lowBit. Ties prefer 17a + 34, and 255 over both. Values at or below 0 give the least alpha:
// 0, or 17 with the low bit set.
u8 QuantiseAlpha(float value, u32 lowBit);

// Rounds a float endpoint pair to a pair the colour word holds (see the .cpp for the layouts).
void QuantisePair(bool isXQFTCII, bool punch, const float a[4], const float b[4], SRgba& outA, SRgba& outB);

// The pair the colour word holds nearest to A and B channel by channel (ties up), in the layout
// QuantisePair would choose; used where a pair is already placed and only needs rounding.
void QuantisePairNearest(bool isXQFTCII, const SRgba& a, const SRgba& b, SRgba& outA, SRgba& outB);

// Channel precisions of colour A and B in the opaque and translucent layouts (red, green, blue).
inline constexpr int kOpaqueBitsA[3] = {5, 5, 4}, kOpaqueBitsB[3] = {5, 5, 5};
inline constexpr int kTranslucentBitsA[3] = {4, 4, 3}, kTranslucentBitsB[3] = {4, 4, 4};

} // namespace xqftexture::amtc
