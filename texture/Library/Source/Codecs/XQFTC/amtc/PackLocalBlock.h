#pragma once
// Packing of an optimised block: each pixel's modulation value chosen against the colours the
// decoder will reconstruct there, the modulation word, and the colour word of the selected pair.
#include "AmtcLevel.h"

namespace xqftexture::amtc {

// Writes block (bx, by) into out (8 bytes: modulation word, colour word, little-endian). entries
// and window are caller-owned buffers reused from block to block. Returns the block's squared RGBA
// error as the compressor models the decoder, or -1 for a mode other than 2 and 4 (1 bpp).
i64 PackLocalBlock(const CAmtcLevel& level, u32 by, u32 bx, SBlendEntry* entries, SRgba* window, u8* out);

} // namespace xqftexture::amtc
