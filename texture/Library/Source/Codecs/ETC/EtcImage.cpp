// DecodeETCImage: whole ETC1 / ETC2 / EAC levels through the shared block walker.
#include "EtcBlocks.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"

#include <type_traits>

namespace xqftexture {

namespace {

using namespace etc;

void ParseRgb(const u8* b, Rgba8* texels) { DecodeRGBBlock(ReadBigEndian32(b), ReadBigEndian32(b + 4), texels); }
void ParsePunchThrough(const u8* b, Rgba8* texels)
{
    DecodePunchThroughBlock(ReadBigEndian32(b), ReadBigEndian32(b + 4), texels);
}
// EAC alpha block, then ETC2 RGB block.
void ParseRgba(const u8* b, Rgba8* texels)
{
    u8 alpha[16];
    DecodeEACAlpha(b, alpha);
    ParseRgb(b + 8, texels);
    for (u32 i = 0; i < 16; ++i)
        texels[i].a = alpha[i];
}

// The colour blocks: Bytes bytes that ParseTexels turns into 16 RGBA texels, handed out as PixelT (RGB
// for ETC1, which has no alpha).
template <class PixelT, u32 Bytes, void (*ParseTexels)(const u8*, Rgba8*)>
struct SColourBlock {
    using Pixel = PixelT;
    static constexpr u32 kBytes = Bytes;
    Rgba8 texels[16];
    static SColourBlock Parse(const u8* b)
    {
        SColourBlock block;
        ParseTexels(b, block.texels);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const
    {
        const Rgba8& t = texels[4 * y + x];
        if constexpr (std::is_same_v<Pixel, Rgb8>)
            return {t.r, t.g, t.b};
        else
            return t;
    }
};

using SEtc1Block = SColourBlock<Rgb8, 8, ParseRgb>;
using SEtc2RgbBlock = SColourBlock<Rgba8, 8, ParseRgb>;
using SEtc2PunchThroughBlock = SColourBlock<Rgba8, 8, ParsePunchThrough>;
using SEtc2RgbaBlock = SColourBlock<Rgba8, 16, ParseRgba>;

template <bool Signed>
struct SEacR11Block {
    using Pixel = u16;
    static constexpr u32 kBytes = 8;
    u16 texels[16];
    static SEacR11Block Parse(const u8* b)
    {
        SEacR11Block block;
        DecodeEAC11(b, Signed, block.texels);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const { return texels[4 * y + x]; }
};

// R block, then G block.
template <bool Signed>
struct SEacRG11Block {
    using Pixel = Rg16;
    static constexpr u32 kBytes = 16;
    u16 r[16], g[16];
    static SEacRG11Block Parse(const u8* b)
    {
        SEacRG11Block block;
        DecodeEAC11(b, Signed, block.r);
        DecodeEAC11(b + 8, Signed, block.g);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const { return {r[4 * y + x], g[4 * y + x]}; }
};

template <class Block>
u64 Decode(const void* src, u64 srcSize, void* dst, u32 width, u32 height)
{
    const u64 outBytes = DecodedLevelBytes(width, height, sizeof(typename Block::Pixel));
    if (outBytes == 0)
        return 0;
    if (src == nullptr || dst == nullptr)
        return outBytes; // size query
    return DecodeBlocks<Block>(static_cast<const u8*>(src), srcSize, width, height,
                               static_cast<typename Block::Pixel*>(dst))
               ? outBytes
               : 0;
}

} // namespace

u64 DecodeETCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 formatId, u32 isSigned,
                   u32 /*isSRGB*/)
{
    switch (formatId) {
    case ETC1: return Decode<SEtc1Block>(src, srcSize, dst, width, height);
    case ETC2_RGB: return Decode<SEtc2RgbBlock>(src, srcSize, dst, width, height);
    case ETC2_RGBA: return Decode<SEtc2RgbaBlock>(src, srcSize, dst, width, height);
    case ETC2_RGB_A1: return Decode<SEtc2PunchThroughBlock>(src, srcSize, dst, width, height);
    case EAC_R11:
        return isSigned ? Decode<SEacR11Block<true>>(src, srcSize, dst, width, height)
                        : Decode<SEacR11Block<false>>(src, srcSize, dst, width, height);
    case EAC_RG11:
        return isSigned ? Decode<SEacRG11Block<true>>(src, srcSize, dst, width, height)
                        : Decode<SEacRG11Block<false>>(src, srcSize, dst, width, height);
    default: return 0;
    }
}

} // namespace xqftexture
