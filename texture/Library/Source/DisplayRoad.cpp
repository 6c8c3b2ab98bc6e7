// The display entry: one recorded texture level to 8-bit RGB.
#include "TextureTranscoder.h"
#include "TranscodeSteps.h"

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
    // The steps of ConvertTexturePixels to 'r','g','b' 8,8,8 (no dither), run straight from the
    // recorded bytes into rgbOut: an uncompressed level is never copied on the way.
    PixelFormat format = level.GetPixelFormat();
    u32 channelType = level.GetChannelType();
    const u32 colourSpace = level.GetColourSpace();
    const u8* pixels = static_cast<const u8*>(data);
    CTexture decoded;
    if (format.IsCompressed()) {
        const CTexture compressed(level, data, needed);
        if (DecodeInto(compressed, decoded) == 0)
            return false; // no decoder, or the codec refused the data
        pixels = decoded.GetDataPtr(0, 0, 0);
        format = decoded.GetPixelFormat();
        channelType = decoded.GetChannelType();
    }
    CPixelAccessor source(format, channelType), target(PixelFormatRGB888, UnsignedByteNorm);
    if (pixels == nullptr || !source.IsUsable())
        return false;
    const u64 count = u64(level.GetWidth()) * level.GetHeight();
    rgbOut.resize(count * 3);
    if (format == PixelFormatRGB888 && channelType == UnsignedByteNorm && colourSpace == LinearRGB)
        std::memcpy(rgbOut.data(), pixels, count * 3);
    else
        ConvertLevel(pixels, rgbOut.data(), count, source, target, LinearRGB, colourSpace);
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
