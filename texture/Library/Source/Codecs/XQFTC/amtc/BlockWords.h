#pragma once
// The two words of a packed block, as the decoders read them: the colour word from a block's
// endpoint pair and candidate id, and the modulation word from its pixels' chosen values.
#include "AmtcTypes.h"

namespace xqftexture::amtc {

// Colour word bits each candidate id stands for: bit 0 the modulation mode, bit 15 (XQFTC-II) the
// hard transition.
u32 CandidateFlagBits(u32 id);

// The colour word of endpoints A and B for candidate id: every field takes the top bits of its
// 8-bit channel. Channel count 4: opaque layouts when both alphas are 255 (XQFTC-II: then bit 15 is
// the candidate's), translucent ones otherwise (XQFTC keeps each colour's own opacity); count 3 the
// same, with bit 31 set for the 4 bpp ids 0 to 3 and clear for 4 to 7. Counts 1 and 2 hold red (and
// green) only, beside a 16-bit field of extra per-pixel bits (ExtraBits) that the caller ORs in.
u32 ColourWord(const AmtcParams& params, const SRgba& a, const SRgba& b, u32 id);

// The colour word bits of a 16-bit extra field (channel counts 1 and 2): field bits 0-13 at bits
// 1-14, bits 14 and 15 at bits 16 and 17. Bit 17 is also the lowest colour bit: the extra bit is
// written over it.
u32 PlaceExtraBits(u32 colourWord, u32 extra);

// Channel counts 1 and 2, 2 bpp direct blocks: a 2 x 2 group of chosen values (0 to 7, weights 0, 3,
// 5, 8, 1, 2, 6, 7) fitted with the best of twelve level pairs. Returns the group's 6-bit code.
u32 PartitionModVals(const u8 values[4]);

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
