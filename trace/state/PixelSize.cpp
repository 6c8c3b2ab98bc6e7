#include "state/PixelSize.h"

#include "values/GlTokens.h"

namespace {
enum : uint32_t {
    kByte = 0x1400, kUnsignedByte = 0x1401, kShort = 0x1402, kUnsignedShort = 0x1403, kInt = 0x1404,
    kUnsignedInt = 0x1405, kFloat = 0x1406, kFixed = 0x140C, k4444 = 0x8033, k5551 = 0x8034, k565 = 0x8363,
    k4444Rev = 0x8365, k1555Rev = 0x8366, k2101010Rev = 0x8368, kHalfFloat = 0x8D61, kHalfFloatArb = 0x140B,
    k248 = 0x84FA, k10f11f11fRev = 0x8C3B, k5999Rev = 0x8C3E, kFloat32248Rev = 0x8DAD,
    kAlpha = 0x1906, kRgb = 0x1907, kRgba = 0x1908, kLuminance = 0x1909, kLuminanceAlpha = 0x190A, kBgra = 0x80E1,
    kDepth = 0x1902, kDepthStencil = 0x84F9, kRed = 0x1903, kRg = 0x8227, kSrgb = 0x8C40, kSrgbAlpha = 0x8C42,
    kRedInteger = 0x8D94, kRgInteger = 0x8228, kRgbInteger = 0x8D98, kRgbaInteger = 0x8D99,
};

int64_t AlignRow(int64_t row, int32_t alignment)
{
    if (alignment > 0 && row % alignment != 0)
        row += alignment - row % alignment;
    return row;
}

uint8_t Widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Widen6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }
}  // namespace

int GetTypeComponentSize(uint32_t type)
{
    switch (type) {
    case kByte: case kUnsignedByte: return 1;
    case kShort: case kUnsignedShort: return 2;
    case kInt: case kUnsignedInt: case kFloat: case kFixed: return 4;
    case k4444: case k5551: case k565: case kHalfFloat: case kHalfFloatArb: return 2;
    default: return 0;
    }
}

int GetPixelSize(uint32_t format, uint32_t type)
{
    if ((type == k565 && format == kRgb) || ((type == k4444 || type == k5551) && format == kRgba) ||
        ((type == k4444Rev || type == k1555Rev) && format == kBgra))
        return 2;
    // Packed types of one word a pixel, with the formats they pack; no other format takes them.
    if ((type == k2101010Rev && (format == kRgba || format == kRgb || format == kRgbaInteger)) ||
        ((type == k10f11f11fRev || type == k5999Rev) && format == kRgb) || (type == k248 && format == kDepthStencil))
        return 4;
    if (type == kFloat32248Rev && format == kDepthStencil)
        return 8;
    if (type == k2101010Rev || type == k10f11f11fRev || type == k5999Rev || type == k248 || type == kFloat32248Rev)
        return 0;
    const int c = GetTypeComponentSize(type);
    switch (format) {
    case kAlpha: case kLuminance: case kRed: case kRedInteger: return c;
    case kDepth: return type == kUnsignedShort || type == kUnsignedInt || type == kFloat ? c : 0;
    case kLuminanceAlpha: case kRg: case kRgInteger: return 2 * c;
    case kRgb: case kSrgb: case kRgbInteger: return 3 * c;
    case kRgba: case kBgra: case kSrgbAlpha: case kRgbaInteger: return 4 * c;
    default: return 0;
    }
}

int64_t GetImageSize(uint32_t format, uint32_t type, int32_t width, int32_t height, int32_t alignment, int32_t border)
{
    const int64_t w = int64_t(width) + 2 * int64_t(border), h = int64_t(height) + 2 * int64_t(border);
    const int64_t pixel = GetPixelSize(format, type);
    if (w < 0 || h < 0 || pixel == 0)
        return -1;
    const int64_t row = AlignRow(pixel * w, alignment);  // below 2^38
    if (h != 0 && row > INT64_MAX / h)
        return -1;
    return row * h;
}

uint32_t TexImageLevelSize(uint32_t format, uint32_t type, int32_t width, int32_t height, int32_t alignment,
                           int32_t border)
{
    const int64_t size = type != 0 ? GetImageSize(format, type, width, height, alignment, border) : 0;
    return size > 0 && size <= int64_t(UINT32_MAX) ? uint32_t(size) : 0;
}

bool IsValidTypeFormat(uint32_t type, uint32_t format)
{
    if (type == kUnsignedByte)
        return format == kAlpha || format == kRgb || format == kRgba || format == kLuminance ||
               format == kLuminanceAlpha;
    if (type == k4444 || type == k5551)
        return format == kRgba;
    if (type == k565)
        return format == kRgb;
    return false;
}

bool ConvertPixel(uint32_t srcType, uint32_t srcFormat, const uint8_t* src, uint32_t dstType, uint32_t dstFormat,
                  uint8_t* dst)
{
    if (srcType == dstType || !IsValidTypeFormat(srcType, srcFormat) || !IsValidTypeFormat(dstType, dstFormat))
        return false;
    uint8_t r = 0, g = 0, b = 0, a = 0;
    if (srcType == kUnsignedByte) {
        switch (srcFormat) {
        case kAlpha: a = src[0]; break;
        case kRgb: r = src[0]; g = src[1]; b = src[2]; a = 255; break;
        case kRgba: r = src[0]; g = src[1]; b = src[2]; a = src[3]; break;
        case kLuminance: r = g = b = src[0]; a = 255; break;
        case kLuminanceAlpha: r = g = b = src[0]; a = src[1]; break;
        }
    } else {
        const uint32_t v = uint32_t(src[0]) | uint32_t(src[1]) << 8;
        if (srcType == k4444) {
            r = uint8_t(((v >> 12) & 15) * 17);
            g = uint8_t(((v >> 8) & 15) * 17);
            b = uint8_t(((v >> 4) & 15) * 17);
            a = uint8_t((v & 15) * 17);
        } else if (srcType == k5551) {
            r = Widen5((v >> 11) & 31);
            g = Widen5((v >> 6) & 31);
            b = Widen5((v >> 1) & 31);
            a = (v & 1) ? 255 : 0;
        } else {  // 5_6_5
            r = Widen5((v >> 11) & 31);
            g = Widen6((v >> 5) & 63);
            b = Widen5(v & 31);
            a = 255;
        }
    }
    if (dstType == kUnsignedByte) {
        switch (dstFormat) {
        case kAlpha: dst[0] = a; break;
        case kRgb: dst[0] = r; dst[1] = g; dst[2] = b; break;
        case kRgba: dst[0] = r; dst[1] = g; dst[2] = b; dst[3] = a; break;
        case kLuminance: dst[0] = r; break;
        case kLuminanceAlpha: dst[0] = r; dst[1] = a; break;
        }
        return true;
    }
    uint32_t v;
    if (dstType == k4444)
        v = uint32_t(r >> 4) << 12 | uint32_t(g >> 4) << 8 | uint32_t(b >> 4) << 4 | uint32_t(a >> 4);
    else if (dstType == k5551)
        v = uint32_t(r >> 3) << 11 | uint32_t(g >> 3) << 6 | uint32_t(b >> 3) << 1 | (a != 0 ? 1u : 0u);
    else
        v = uint32_t(r >> 3) << 11 | uint32_t(g >> 2) << 5 | uint32_t(b >> 3);
    dst[0] = uint8_t(v);
    dst[1] = uint8_t(v >> 8);
    return true;
}

bool ConvertImage(int32_t width, int32_t height, int32_t border, uint32_t srcType, uint32_t srcFormat,
                  int32_t srcAlignment, const uint8_t* src, uint32_t dstType, uint32_t dstFormat,
                  int32_t dstAlignment, uint8_t* dst)
{
    // A negative border would start the walk before both buffers.
    if (border < 0)
        return false;
    const int64_t srcPixel = GetPixelSize(srcFormat, srcType), dstPixel = GetPixelSize(dstFormat, dstType);
    const int64_t w = int64_t(width) + 2 * int64_t(border);
    const int64_t srcRow = AlignRow(srcPixel * w, srcAlignment), dstRow = AlignRow(dstPixel * w, dstAlignment);
    for (int64_t x = border; x < int64_t(width) + border; ++x)
        for (int64_t y = border; y < int64_t(height) + border; ++y)
            if (!ConvertPixel(srcType, srcFormat, src + y * srcRow + x * srcPixel, dstType, dstFormat,
                              dst + y * dstRow + x * dstPixel))
                return false;
    return true;
}

int GetMaterialParamCount(uint32_t pname)
{
    switch (pname) {
    case gltoken::AMBIENT: case gltoken::DIFFUSE: case gltoken::SPECULAR: case gltoken::EMISSION:
    case gltoken::AMBIENT_AND_DIFFUSE:
        return 4;
    default: return 1;
    }
}
