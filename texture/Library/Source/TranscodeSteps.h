#pragma once
// Steps of the transcoder that the display entry runs on its own buffers, so that one recorded
// level reaches 8-bit RGB without extra copies of the image, through the same code.
#include "PixelAccessor.h"
#include "Texture.h"

namespace xqftexture {

// Converts pixels of one level from in to out through the two accessors (with their shortcuts).
void ConvertLevel(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                  u32 srcSpace);

// Calls fn(in, out, mip) for each level of each face of each surface of src, with that level's
// data in src and in dst; stops and returns false at the first level missing from either, or
// whose fn returns false.
template <class Fn>
bool ForEachLevelPair(const CTexture& src, CTexture& dst, Fn&& fn)
{
    for (u32 surface = 0; surface < src.GetNumSurfaces(); ++surface)
        for (u32 face = 0; face < src.GetNumFaces(); ++face)
            for (u32 mip = 0; mip < src.GetNumMIPLevels(); ++mip) {
                const u8* in = src.GetDataPtr(mip, surface, face);
                u8* out = dst.GetDataPtr(mip, surface, face);
                if (in == nullptr || out == nullptr || !fn(in, out, mip))
                    return false;
            }
    return true;
}

// Decodes every level, surface and face of a compressed texture into out (in the decoded format);
// returns the sum of the decoders' results, 0 when any level has no decoder or is refused.
u64 DecodeInto(const CTexture& texture, CTexture& out);

} // namespace xqftexture
