#include "PixelFormat.h"

#include "FormatTable.h"

namespace xqftexture {

u32 GetChannelCode(char name)
{
    switch (name) {
    case 'r': return ChannelRed;
    case 'g': return ChannelGreen;
    case 'b': return ChannelBlue;
    case 'a': return ChannelAlpha;
    case 'l': return ChannelLuminance;
    case 'i': return ChannelIntensity;
    case 'x': return ChannelUnused;
    default: return ChannelNone;
    }
}

u32 GetBitsPerPixel(PixelFormat format)
{
    if (format.IsCompressed())
        return CompressedFacts(format.CompressedId()).bitsPerPixel;
    u32 bits = 0;
    for (u32 i = 0; i < 4; ++i)
        bits += format.ChannelWidth(i);
    return bits;
}

void GetMinDimensions(PixelFormat format, u32& x, u32& y, u32& z)
{
    if (!format.IsCompressed()) {
        x = y = z = 1;
        return;
    }
    const SCompressedFormatFacts& facts = CompressedFacts(format.CompressedId());
    x = facts.minWidth;
    y = facts.minHeight;
    z = facts.minDepth;
}

bool IsSignedChannelType(u32 channelType)
{
    switch (channelType) {
    case SignedByteNorm: case SignedByte: case SignedShortNorm: case SignedShort:
    case SignedIntegerNorm: case SignedInteger: case SignedFloat:
        return true;
    default:
        return false;
    }
}

} // namespace xqftexture
