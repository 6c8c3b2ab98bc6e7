// The display entry: one recorded texture level to 8-bit RGB.
#include "TextureTranscoder.h"

#include <cstring>
#include <new>

namespace xqftexture {

bool TranscodeToRGB8(const CTextureHeader& header, const void* data, u64 dataSize, std::vector<u8>& rgbOut)
try {
    rgbOut.clear();
    // Only level 0 of surface 0, face 0 is shown.
    CTextureHeader level = header;
    level.SetNumMIPLevels(1);
    level.SetNumSurfaces(1);
    level.SetNumFaces(1);
    level.SetDepth(1);
    const u64 needed = level.GetDataSize();
    if (data == nullptr || needed == 0 || dataSize < needed)
        return false; // unknown format, no pixels, overflowing size or short data
    CTexture texture(level, data, needed);
    if (!ConvertTexturePixels(texture, PixelFormatRGB888, UnsignedByteNorm, LinearRGB, 1, false))
        return false;
    const u8* pixels = texture.GetDataPtr(0, 0, 0);
    const u64 bytes = u64(level.GetWidth()) * level.GetHeight() * 3;
    if (pixels == nullptr || texture.GetBufferSize() < bytes)
        return false;
    rgbOut.assign(pixels, pixels + bytes);
    return true;
} catch (const std::bad_alloc&) {
    rgbOut.clear();
    return false;
}

bool TranscodeGLImageToRGB8(u32 internalFormat, u32 format, u32 type, u32 width, u32 height, const void* data,
                            u64 dataSize, std::vector<u8>& rgbOut)
{
    CTextureHeader header;
    if (!header.SetFormatFromGL(internalFormat, format, type)) {
        rgbOut.clear();
        return false;
    }
    header.SetWidth(width);
    header.SetHeight(height);
    return TranscodeToRGB8(header, data, dataSize, rgbOut);
}

} // namespace xqftexture
