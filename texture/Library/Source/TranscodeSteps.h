#pragma once
// Steps of the transcoder that the display entry runs on its own buffers, so that one recorded
// level reaches 8-bit RGB without extra copies of the image, through the same code.
#include "PixelAccessor.h"
#include "Texture.h"

namespace xqftexture {

// Converts pixels of one level from in to out through the two accessors (with their shortcuts).
void ConvertLevel(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                  u32 srcSpace);

// Decodes every level, surface and face of a compressed texture into out (in the decoded format);
// returns the sum of the decoders' results, 0 when any level has no decoder or is refused.
u64 DecodeInto(const CTexture& texture, CTexture& out);

} // namespace xqftexture
