// Pixel-by-pixel conversion of whole textures through the pixel accessor, with two shortcuts that
// give the same bytes as the accessor: a lookup table for sources of up to 16 bits per pixel, and a
// byte shuffle between 8-bit normalised formats that only move or fill channels.
#include "TextureTranscoder.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace xqftexture {

namespace {

// Converts one pixel exactly as the general path does.
void ConvertOne(const u8* in, u8* out, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace, u32 srcSpace)
{
    src.LoadPixel(in);
    dst.ConvertFrom(src);
    dst.ApplyColourSpace(dstSpace, srcSpace);
    std::memcpy(out, dst.GetPixelData(), dst.GetPixelBytes());
}

void ConvertGeneral(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                    u32 srcSpace)
{
    const u32 inBytes = src.GetPixelBytes(), outBytes = dst.GetPixelBytes();
    for (u64 i = 0; i < pixels; ++i, in += inBytes, out += outBytes)
        ConvertOne(in, out, src, dst, dstSpace, srcSpace);
}

template <u32 OutBytes>
void LookUp(const u8* in, u8* out, u64 pixels, u32 inBytes, const u8* table, u32 outBytes)
{
    const u32 n = OutBytes ? OutBytes : outBytes;
    if (inBytes == 1) {
        for (u64 i = 0; i < pixels; ++i, out += n)
            std::memcpy(out, table + u64(in[i]) * n, OutBytes ? OutBytes : n);
    } else {
        for (u64 i = 0; i < pixels; ++i, in += 2, out += n)
            std::memcpy(out, table + u64(u32(in[0]) | u32(in[1]) << 8) * n, OutBytes ? OutBytes : n);
    }
}

// Sources of 8 or 16 bits: every possible pixel converted once through the accessor.
bool ConvertByTable(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                    u32 srcSpace)
{
    const u32 inBytes = src.GetPixelBytes(), outBytes = dst.GetPixelBytes();
    if ((inBytes != 1 && inBytes != 2) || pixels < (u64(1) << (8 * inBytes)) / 4)
        return false;
    const u32 entries = 1u << (8 * inBytes);
    std::vector<u8> table(u64(entries) * outBytes);
    for (u32 v = 0; v < entries; ++v) {
        const u8 bytes[2] = {u8(v), u8(v >> 8)};
        ConvertOne(bytes, table.data() + u64(v) * outBytes, src, dst, dstSpace, srcSpace);
    }
    switch (outBytes) {
    case 1: LookUp<1>(in, out, pixels, inBytes, table.data(), outBytes); break;
    case 2: LookUp<2>(in, out, pixels, inBytes, table.data(), outBytes); break;
    case 3: LookUp<3>(in, out, pixels, inBytes, table.data(), outBytes); break;
    case 4: LookUp<4>(in, out, pixels, inBytes, table.data(), outBytes); break;
    default: LookUp<0>(in, out, pixels, inBytes, table.data(), outBytes); break;
    }
    return true;
}

// Each destination byte is a source byte (0..3) or a constant (kZero, kFull).
enum : int { kZero = -1, kFull = -2 };
using Shuffle = std::array<int, 4>;

bool IsPlainBytes(const CPixelAccessor& a)
{
    return a.IsPlain8Bit() && a.GetPixelBytes() <= 4;
}

// The shuffle the accessor's conversion amounts to, when it only moves or fills channels. Found by
// converting probe pixels: a destination byte that follows one source byte in every probe is a copy.
std::optional<Shuffle> FindShuffle(CPixelAccessor src, CPixelAccessor dst)
{
    static constexpr u8 kProbes[3][4] = {{0, 0, 0, 0}, {17, 34, 51, 68}, {200, 150, 100, 250}};
    u8 results[3][4] = {};
    for (u32 p = 0; p < 3; ++p) {
        src.LoadPixel(kProbes[p]);
        dst.ConvertFrom(src);
        std::memcpy(results[p], dst.GetPixelData(), dst.GetPixelBytes());
    }
    Shuffle shuffle{kZero, kZero, kZero, kZero};
    for (u32 j = 0; j < dst.GetPixelBytes(); ++j) {
        if (results[0][j] == results[1][j] && results[1][j] == results[2][j] &&
            (results[0][j] == 0 || results[0][j] == 255)) {
            shuffle[j] = results[0][j] == 0 ? kZero : kFull;
            continue;
        }
        int from = -3;
        for (u32 k = 0; k < src.GetPixelBytes() && from == -3; ++k)
            if (results[0][j] == 0 && results[1][j] == kProbes[1][k] && results[2][j] == kProbes[2][k])
                from = int(k);
        if (from == -3)
            return std::nullopt;
        shuffle[j] = from;
    }
    return shuffle;
}

void ConvertByShuffle(const u8* in, u8* out, u64 pixels, u32 inBytes, u32 outBytes, const Shuffle& s)
{
    if (inBytes == 4 && outBytes == 3 && s[0] == 0 && s[1] == 1 && s[2] == 2) {
        for (u64 i = 0; i < pixels; ++i, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
        return;
    }
    if (inBytes == 3 && outBytes == 4 && s[0] == 0 && s[1] == 1 && s[2] == 2 && s[3] == kFull) {
        for (u64 i = 0; i < pixels; ++i, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
        return;
    }
    for (u64 i = 0; i < pixels; ++i, in += inBytes, out += outBytes)
        for (u32 j = 0; j < outBytes; ++j)
            out[j] = s[j] >= 0 ? in[s[j]] : s[j] == kFull ? 255 : 0;
}

void ConvertLevel(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                  u32 srcSpace)
{
    if (ConvertByTable(in, out, pixels, src, dst, dstSpace, srcSpace))
        return;
    if (dstSpace == srcSpace && IsPlainBytes(src) && IsPlainBytes(dst))
        if (const std::optional<Shuffle> s = FindShuffle(src, dst)) {
            ConvertByShuffle(in, out, pixels, src.GetPixelBytes(), dst.GetPixelBytes(), *s);
            return;
        }
    ConvertGeneral(in, out, pixels, src, dst, dstSpace, srcSpace);
}

} // namespace

u64 ConvertPixels(const CTexture& src, CTexture& dst, CPixelAccessor& srcAccessor, CPixelAccessor& dstAccessor,
                  u32 dstColourSpace, u32 srcColourSpace)
{
    if (!srcAccessor.IsUsable() || !dstAccessor.IsUsable())
        return 0;
    u64 total = 0;
    for (u32 surface = 0; surface < src.GetNumSurfaces(); ++surface)
        for (u32 face = 0; face < src.GetNumFaces(); ++face)
            for (u32 mip = 0; mip < src.GetNumMIPLevels(); ++mip) {
                const u8* in = src.GetDataPtr(mip, surface, face);
                u8* out = dst.GetDataPtr(mip, surface, face);
                const u64 pixels = src.GetPixelCount(mip, false, false);
                if (in == nullptr || out == nullptr || pixels != dst.GetPixelCount(mip, false, false))
                    return 0;
                ConvertLevel(in, out, pixels, srcAccessor, dstAccessor, dstColourSpace, srcColourSpace);
                total += pixels;
            }
    return total * dstAccessor.GetPixelBytes();
}

} // namespace xqftexture
