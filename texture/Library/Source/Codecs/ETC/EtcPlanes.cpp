#include "EtcPlanes.h"

#include "EtcBlocks.h"
#include "EtcTables.h"

#include <algorithm>
#include <cstring>

namespace xqftexture::etc {

namespace {

inline u32 Bits(u32 word, u32 high, u32 low) { return (word >> low) & ((1u << (high - low + 1)) - 1); }

// The bits of an overflow that the decoder must see: a + b >= 4 means the field's top three bits
// are set and the delta's sign bit clear, else the reverse.
u32 OverflowBits(u32 a, u32 b, u32 topShift, u32 signShift)
{
    return a + b >= 4 ? 7u << topShift : 1u << signShift;
}

void WriteRgb(const Rgba8 texels[16], u8* rgb, i64 stride, i64 x0, i64 y0)
{
    for (i64 y = 0; y < 4; ++y)
        for (i64 x = 0; x < 4; ++x) {
            const Rgba8& t = texels[4 * y + x];
            u8* p = rgb + ((y0 + y) * stride + x0 + x) * 3;
            p[0] = t.r;
            p[1] = t.g;
            p[2] = t.b;
        }
}

void WriteRgbAlpha(const Rgba8 texels[16], u8* rgb, u8* alpha, i64 stride, i64 x0, i64 y0)
{
    WriteRgb(texels, rgb, stride, x0, y0);
    for (i64 y = 0; y < 4; ++y)
        for (i64 x = 0; x < 4; ++x)
            alpha[(y0 + y) * stride + x0 + x] = texels[4 * y + x].a;
}

} // namespace

u32 UnpackTLayout(u32 high)
{
    return Bits(high, 28, 27) << 25 | Bits(high, 25, 2) << 1 | (high & 1);
}

u32 PackTBlockHigh(u32 t59)
{
    const u32 a = Bits(t59, 26, 25), b = Bits(t59, 24, 23);
    return a << 27 | Bits(t59, 24, 1) << 2 | 2 | (t59 & 1) | OverflowBits(a, b, 29, 26);
}

u32 UnpackHLayout(u32 high)
{
    return Bits(high, 30, 27) << 22 | Bits(high, 26, 24) << 19 | Bits(high, 20, 20) << 18 | Bits(high, 19, 19) << 17 |
           Bits(high, 17, 15) << 14 | Bits(high, 14, 3) << 2 | Bits(high, 2, 2) << 1 | (high & 1);
}

u32 PackHBlockHigh(u32 h58)
{
    u32 high = Bits(h58, 25, 22) << 27 | Bits(h58, 21, 19) << 24 | Bits(h58, 18, 18) << 20 | Bits(h58, 17, 17) << 19 |
               Bits(h58, 16, 14) << 15 | Bits(h58, 13, 2) << 3 | Bits(h58, 1, 1) << 2 | 2 | (h58 & 1);
    if (!Bits(high, 30, 30))
        high |= 1u << 31; // no red overflow
    return high | OverflowBits(Bits(high, 20, 19), Bits(high, 17, 16), 21, 18);
}

void UnpackPlanarLayout(u32 high, u32 low, u32& p57a, u32& p57b)
{
    const u32 ro = Bits(high, 30, 25), go = Bits(high, 24, 24) << 6 | Bits(high, 22, 17),
              bo = Bits(high, 16, 16) << 5 | Bits(high, 12, 11) << 3 | Bits(high, 9, 7),
              rh = Bits(high, 6, 2) << 1 | (high & 1);
    p57a = ro << 26 | go << 19 | bo << 13 | rh << 7 | Bits(low, 31, 25);
    p57b = Bits(low, 24, 19) << 26 | Bits(low, 18, 13) << 20 | Bits(low, 12, 6) << 13 | Bits(low, 5, 0) << 7;
}

void PackPlanarBlock(u32 p57a, u32 p57b, u32& high, u32& low)
{
    const u32 ro = Bits(p57a, 31, 26), go = Bits(p57a, 25, 19), bo = Bits(p57a, 18, 13), rh = Bits(p57a, 12, 7);
    high = ro << 25 | (go >> 6) << 24 | (go & 63) << 17 | (bo >> 5) << 16 | ((bo >> 3) & 3) << 11 | (bo & 7) << 7 |
           (rh >> 1) << 2 | 2 | (rh & 1);
    if (!Bits(high, 30, 30))
        high |= 1u << 31; // no red overflow
    if (!Bits(high, 22, 22))
        high |= 1u << 23; // no green overflow
    high |= OverflowBits(Bits(high, 12, 11), Bits(high, 9, 8), 13, 10);
    low = Bits(p57a, 6, 0) << 25 | Bits(p57b, 31, 26) << 19 | Bits(p57b, 25, 20) << 13 | Bits(p57b, 19, 13) << 6 |
          Bits(p57b, 12, 7);
}

void DecodeETC2RGBBlock(u32 high, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0)
{
    Rgba8 texels[16];
    DecodeRGBBlock(high, low, texels);
    WriteRgb(texels, rgb, stride, x0, y0);
}

void DecodeETC1Block(u32 high, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0)
{
    Rgba8 texels[16];
    DecodeSubBlocks(high, low, (high & 2) != 0, false, texels);
    WriteRgb(texels, rgb, stride, x0, y0);
}

void DecodeETC2TBlock(u32 t59, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0)
{
    Rgba8 texels[16];
    DecodeT(PackTBlockHigh(t59), low, false, texels);
    WriteRgb(texels, rgb, stride, x0, y0);
}

void DecodeETC2HBlock(u32 h58, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0)
{
    Rgba8 texels[16];
    DecodeH(PackHBlockHigh(h58), low, false, texels);
    WriteRgb(texels, rgb, stride, x0, y0);
}

void DecodeETC2PlanarBlock(u32 p57a, u32 p57b, u8* rgb, i32 stride, i32 x0, i32 y0)
{
    u32 high = 0, low = 0;
    PackPlanarBlock(p57a, p57b, high, low);
    Rgba8 texels[16];
    DecodePlanar(high, low, texels);
    WriteRgb(texels, rgb, stride, x0, y0);
}

void DecodeETC2PunchThroughBlock(u32 high, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0)
{
    Rgba8 texels[16];
    DecodePunchThroughBlock(high, low, texels);
    WriteRgbAlpha(texels, rgb, alpha, stride, x0, y0);
}

void DecodeETC2DifferentialAlphaBlock(u32 high, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0)
{
    Rgba8 texels[16];
    DecodeSubBlocks(high, low, true, (high & 2) == 0, texels);
    WriteRgbAlpha(texels, rgb, alpha, stride, x0, y0);
}

void DecodeETC2TAlphaBlock(u32 t59, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0)
{
    Rgba8 texels[16];
    DecodeT(PackTBlockHigh(t59), low, true, texels);
    WriteRgbAlpha(texels, rgb, alpha, stride, x0, y0);
}

void DecodeETC2HAlphaBlock(u32 h58, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0)
{
    Rgba8 texels[16];
    DecodeH(PackHBlockHigh(h58), low, true, texels);
    WriteRgbAlpha(texels, rgb, alpha, stride, x0, y0);
}

void DecodeEACAlphaBlock(const u8 block[8], u8* alpha, i32 stride, i32 height, i32 x0, i32 y0,
                         const i32* eacAlphaTable)
{
    const i32* row = eacAlphaTable + 8 * block[1];
    const u64 bits = u64(block[2]) << 40 | u64(block[3]) << 32 | u64(block[4]) << 24 | u64(block[5]) << 16 |
                     u64(block[6]) << 8 | u64(block[7]);
    for (i32 i = 0; i < 16; ++i) {
        const i32 x = i >> 2, y = i & 3;
        if (y0 + y >= height)
            continue;
        alpha[i64(y0 + y) * stride + x0 + x] = u8(std::clamp(i32(block[0]) + row[(bits >> (45 - 3 * i)) & 7], 0, 255));
    }
}

u16 DecodeEAC11SignedValue(u32 base, i32 table, i32 multiplier, i32 index)
{
    return u16(EAC11Value(u8(base - 128), u32(table), u32(multiplier), u32(index), true) ^ 0x8000);
}

u16 DecodeEAC11Value(u32 base, i32 table, u32 multiplier, i32 index, u8 isSigned)
{
    if (isSigned)
        return DecodeEAC11SignedValue(base, table, i32(multiplier), index);
    return EAC11Value(u8(base), u32(table), multiplier, u32(index), false);
}

void DecodeEAC11Block(const u8 block[8], u16* plane, i32 stride, i32 height, i32 x0, i32 y0, u8 isSigned)
{
    u16 values[16];
    DecodeEAC11(block, isSigned != 0, values);
    for (i32 y = 0; y < 4 && y0 + y < height; ++y)
        for (i32 x = 0; x < 4; ++x)
            plane[i64(y0 + y) * stride + x0 + x] = u16(values[4 * y + x] ^ (isSigned ? 0x8000 : 0));
}

bool ComputeHPaintColours(u8 distanceIndex, u8 pattern, const u8 colours[6], u8 paint[12])
{
    if (pattern != 0)
        return false; // only the H pattern exists: a caller error, refused rather than fatal
    const i32 d = ETC2DistanceTable[distanceIndex & 7];
    for (u32 c = 0; c < 3; ++c) {
        paint[c] = u8(std::clamp(colours[c] + d, 0, 255));
        paint[3 + c] = u8(std::clamp(colours[c] - d, 0, 255));
        paint[6 + c] = u8(std::clamp(colours[3 + c] + d, 0, 255));
        paint[9 + c] = u8(std::clamp(colours[3 + c] - d, 0, 255));
    }
    return true;
}

void BuildEACAlphaTable(u8 /*isSigned*/, i32 table[256 * 8])
{
    for (u32 r = 0; r < 256; ++r)
        std::memcpy(table + 8 * r, kEACAlphaTable[r].data(), 8 * sizeof(i32));
}

u32 RasterToETCIndices(u32 raster)
{
    u32 low = 0;
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 4; ++x) {
            const u32 pair = (raster >> (30 - 2 * (4 * y + x))) & 3, i = 4 * x + y;
            low |= (pair & 1) << i | (pair >> 1) << (16 + i);
        }
    return low;
}

} // namespace xqftexture::etc
