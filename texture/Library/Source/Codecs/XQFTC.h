#pragma once
// XQFTC and XQFTC-II surfaces. The entry of the transcoding switch is DecompressXQFTCImage
// (XQFTextureCodecs.h); this is the grid decoder below it, for callers that hold whole blocks.
#include "BlockWalker.h"

namespace xqftexture {

// Decodes blocksX x blocksY blocks (second: XQFTC-II rules; linear: row-major block order, else
// Morton order) to blocksX * BW x blocksY * 4 pixels, rows packed; the image wraps around at its
// edges. Returns false, writing nothing, for an empty grid or a size shorter than the blocks the
// order reaches.
bool DecodeXQFTCSurface(const u8* data, u64 size, u32 blocksX, u32 blocksY, bool twoBpp, bool second, bool linear,
                        Rgba8* out);

} // namespace xqftexture
