#pragma once
// The two words of a packed block, as the decoders read them: the colour word from a block's
// endpoint pair and candidate id, and the modulation word from its pixels' chosen values.
#include "AmtcTypes.h"

namespace xqftexture::amtc {

// Colour word bits each candidate id stands for: bit 0 the modulation mode, bit 15 (XQFTC-II) the
// hard transition.
u32 CandidateFlagBits(u32 id);

// The colour word of endpoints A and B for candidate id, channel count 4: every field takes the top
// bits of its 8-bit channel; opaque layouts when both alphas are 255 (XQFTC-II: then bit 15 is the
// candidate's), translucent ones otherwise (XQFTC keeps each colour's own opacity).
u32 ColourWord(const AmtcParams& params, const SRgba& a, const SRgba& b, u32 id);

// 4 bpp: the stored value of the block's local-palette pixel p = 4y + x for the value the
// compressor chose (its palette numbers the endpoints differently from the decoder's table).
u8 LocalPaletteStoredValue(int p, u32 value);

// 4 bpp: two bits per pixel, pixel p = 4y + x at bits 2p and 2p + 1.
u32 ModulationWord4(const u8 values[16]);
// 2 bpp direct: pixel (x, y) at bit 8y + x, set for value 3 (colour B).
u32 ModulationWord2Direct(const u8 values[32]);
// 2 bpp interpolated (ids 9-11, 13-15): the 16 pixels with x + y even, two bits each in the
// decoder's order. Pixel (0, 0) keeps only its high bit beside the bit that selects one-way
// interpolation; pixel (4, 2) of the one-way ids keeps its high bit beside the direction bit.
u32 ModulationWord2Interpolated(u32 id, const u8 values[32]);

} // namespace xqftexture::amtc
