#include "TextureHeader.h"

#include "FormatTable.h"

namespace xqftexture {

namespace {

// Level dimension: full >> mip, at least 1. Shifts of 32 and more give 1 (not a wrapped count).
u32 ShiftedDimension(u32 full, u32 mip)
{
    const u32 d = mip < 32 ? full >> mip : 0;
    return d == 0 ? 1 : d;
}

u64 RoundUp(u64 v, u32 unit)
{
    return unit <= 1 ? v : (v + unit - 1) / unit * unit;
}

// Bits of one level of one surface and face; false when it does not fit in 64 bits.
bool LevelBits(const STextureFields& f, u32 bitsPerPixel, u32 mip, u64& bits)
{
    u32 bw = 1, bh = 1, bd = 1;
    const PixelFormat format(f.pixelFormat);
    if (format.IsCompressed())
        GetMinDimensions(format, bw, bh, bd);
    const u64 w = RoundUp(ShiftedDimension(f.width, mip), bw);
    const u64 h = RoundUp(ShiftedDimension(f.height, mip), bh);
    const u64 d = ShiftedDimension(f.depth, mip); // depth is never rounded
    u64 area = 0, volume = 0;
    return !__builtin_mul_overflow(w, h, &area) && !__builtin_mul_overflow(area, d, &volume) &&
           !__builtin_mul_overflow(volume, u64(bitsPerPixel), &bits);
}

} // namespace

u64 GetDataSize(const STextureFields& f, i32 mip, bool allSurfaces, bool allFaces)
{
    const u32 bitsPerPixel = GetBitsPerPixel(f.pixelFormat);
    if (bitsPerPixel == 0 || f.width == 0 || f.height == 0 || f.depth == 0 || f.numSurfaces == 0 ||
        f.numFaces == 0 || mip < -1)
        return 0;
    u64 bits = 0;
    if (mip == -1) {
        if (f.numMIPLevels == 0 || f.numMIPLevels > kMaxMIPLevels)
            return 0;
        for (u32 m = 0; m < f.numMIPLevels; ++m) {
            u64 level = 0;
            if (!LevelBits(f, bitsPerPixel, m, level) || __builtin_add_overflow(bits, level, &bits))
                return 0;
        }
    } else if (!LevelBits(f, bitsPerPixel, u32(mip), bits)) {
        return 0;
    }
    u64 bytes = bits / 8;
    if (allSurfaces && __builtin_mul_overflow(bytes, u64(f.numSurfaces), &bytes))
        return 0;
    if (allFaces && __builtin_mul_overflow(bytes, u64(f.numFaces), &bytes))
        return 0;
    return bytes;
}

u32 CTextureHeader::LevelDimension(u32 full, u32 mip) const
{
    if (mip > m_fields.numMIPLevels)
        return 0;
    return ShiftedDimension(full, mip);
}

bool CTextureHeader::SetFormatFromGL(const u32& internalFormat, u32 format, const u32& type)
{
    return GetFormatFromGL(m_fields.pixelFormat, m_fields.channelType, m_fields.colourSpace, internalFormat, format,
                           type);
}

u64 CTextureHeader::GetPixelCount(u32 mip, bool allSurfaces, bool allFaces) const
{
    const u32 bitsPerPixel = GetBitsPerPixel();
    if (bitsPerPixel == 0 || mip > u32(INT32_MAX))
        return 0;
    const u64 bytes = GetDataSize(i32(mip), allSurfaces, allFaces);
    // bytes * 8 / bpp without overflowing: bytes < 2^64 / 8 holds for any size we can allocate.
    return bytes / bitsPerPixel * 8 + (bytes % bitsPerPixel) * 8 / bitsPerPixel;
}

} // namespace xqftexture
