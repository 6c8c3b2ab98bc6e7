// DecodeETCImage: whole ETC1 / ETC2 / EAC levels through the shared block walker.
#include "EtcBlocks.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"

namespace xqftexture {

namespace {

using namespace etc;

struct SEtc1Block {
    using Pixel = Rgb8;
    static constexpr u32 kBytes = 8;
    Rgba8 texels[16];
    static SEtc1Block Parse(const u8* b)
    {
        SEtc1Block block;
        DecodeRGBBlock(ReadBigEndian32(b), ReadBigEndian32(b + 4), block.texels);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const
    {
        const Rgba8& t = texels[4 * y + x];
        return {t.r, t.g, t.b};
    }
};

struct SEtc2RgbBlock {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 8;
    Rgba8 texels[16];
    static SEtc2RgbBlock Parse(const u8* b)
    {
        SEtc2RgbBlock block;
        DecodeRGBBlock(ReadBigEndian32(b), ReadBigEndian32(b + 4), block.texels);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const { return texels[4 * y + x]; }
};

struct SEtc2PunchThroughBlock {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 8;
    Rgba8 texels[16];
    static SEtc2PunchThroughBlock Parse(const u8* b)
    {
        SEtc2PunchThroughBlock block;
        DecodePunchThroughBlock(ReadBigEndian32(b), ReadBigEndian32(b + 4), block.texels);
        return block;
    }
    Pixel Texel(u32 x, u32 y) const { return texels[4 * y + x]; }
};

// EAC alpha block, then ETC2 RGB block.
struct SEtc2RgbaBlock {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 16;
    Rgba8 texels[16];
    static SEtc2RgbaBlock Parse(const u8* b)
    {
        SEtc2RgbaBlock block;
        u8 alpha[16];
        DecodeEACAlpha(b, alpha);
        DecodeRGBBlock(ReadBigEndian32(b + 8), ReadBigEndian32(b + 12), block.texels);
        for (u32 i = 0; i < 16; ++i)
            block.texels[i].a = alpha[i];
        return block;
    }
    Pixel Texel(u32 x, u32 y) const { return texels[4 * y + x]; }
};

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
