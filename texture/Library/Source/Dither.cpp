// Error-diffusion quantisation of an RGBA 8888 level to the channel widths of a target format.
#include "TextureTranscoder.h"

#include "FormatTable.h"

#include <algorithm>

namespace xqftexture {

namespace {

void TargetWidths(PixelFormat target, u32 widths[4])
{
    widths[0] = widths[1] = widths[2] = widths[3] = 0;
    if (target.IsCompressed()) {
        const SCompressedFormatFacts& facts = CompressedFacts(target.CompressedId());
        for (u32 c = 0; c < 4; ++c)
            widths[c] = facts.ditherWidths[c];
        return;
    }
    for (u32 i = 0; i < 4; ++i) {
        const u32 width = target.ChannelWidth(i);
        switch (GetChannelCode(char(target.ChannelName(i)))) {
        case ChannelRed: widths[0] = width; break;
        case ChannelGreen: widths[1] = width; break;
        case ChannelBlue: widths[2] = width; break;
        case ChannelAlpha: case ChannelUnused: widths[3] = width; break;
        case ChannelLuminance: case ChannelIntensity: widths[0] = widths[1] = widths[2] = width; break;
        default: break;
        }
    }
}

} // namespace

void DitherToChannelWidths(u8* rgba, PixelFormat target, u32 width, u32 height, u32 depth)
{
    if (rgba == nullptr || width == 0 || height == 0)
        return;
    u32 widths[4];
    TargetWidths(target, widths);
    const u64 sliceStride = u64(width) * height;
    auto at = [&](u64 x, u64 y, u64 z, u32 c) -> u8& { return rgba[((z * sliceStride) + y * width + x) * 4 + c]; };
    auto add = [](u8& v, int e) { v = u8(std::clamp(int(v) + e, 0, 255)); };
    for (u32 c = 0; c < 4; ++c) {
        const u32 n = widths[c];
        if (n < 1 || n > 7)
            continue;
        for (u64 x = 0; x < width; ++x)
            for (u64 y = 0; y < height; ++y)
                for (u64 z = 0; z < depth; ++z) {
                    u8& v = at(x, y, z, c);
                    const int q = std::min(255, int(v & ~((1u << (8 - n)) - 1)) + int(v >> n));
                    const int e = int(v) - q;
                    v = u8(q);
                    if (x + 1 < width)
                        add(at(x + 1, y, z, c), e / 2);
                    if (y + 1 < height) {
                        if (x + 1 < width)
                            add(at(x + 1, y + 1, z, c), e / 4);
                        add(at(x, y + 1, z, c), e / 4);
                    }
                }
    }
}

} // namespace xqftexture
