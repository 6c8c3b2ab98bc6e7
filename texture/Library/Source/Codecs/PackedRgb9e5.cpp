// RGB9E5: three 9-bit mantissas sharing a 5-bit exponent (bias 15) in one little-endian word.
#include "PackedLayout.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <array>
#include <cmath>

namespace xqftexture {
namespace {

// 2^(e - 24) for every exponent: exact powers of two, so the products below are exact.
const std::array<float, 32> kScale = [] {
    std::array<float, 32> scale{};
    for (int e = 0; e < 32; ++e)
        scale[e] = std::ldexp(1.0f, e - 24);
    return scale;
}();

u32 EncodeRgb9e5(const float* rgb)
{
    float c[3];
    for (int i = 0; i < 3; ++i) {
        const float v = rgb[i];
        c[i] = !(v > 0.0f) ? 0.0f : (v >= 65408.0f ? 65408.0f : v); // NaN and negatives become 0
    }
    float m = c[0];
    if (c[1] >= m)
        m = c[1];
    if (c[2] >= m)
        m = c[2];
    u32 bits;
    std::memcpy(&bits, &m, 4);
    const int e = std::max(int((bits >> 23) & 0xFF) - 127, -16);
    int shared = e + 16;
    double denom = std::ldexp(1.0, e - 8);
    if (std::floor(m / denom + 0.5) == 512.0) {
        denom *= 2.0;
        shared = e + 17;
    }
    u32 mant[3];
    for (int i = 0; i < 3; ++i)
        mant[i] = u32(std::floor(c[i] / denom + 0.5)) & 511;
    return u32(shared) << 27 | mant[2] << 18 | mant[1] << 9 | mant[0];
}

} // namespace

u64 DecompressSharedExponentR9G9B9E5(const void* src, u64 srcSize, void* dst, u32 width, u32 height)
{
    const u64 outBytes = packed::Product(width, height, 12);
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    const u64 pixels = u64(width) * height;
    if (srcSize / 4 < pixels)
        return 0;
    const u8* in = static_cast<const u8*>(src);
    float* out = static_cast<float*>(dst);
    for (u64 i = 0; i < pixels; ++i, in += 4, out += 3) {
        const u32 word = packed::LoadLE32(in);
        const float scale = kScale[word >> 27];
        out[0] = float(word & 511) * scale;
        out[1] = float((word >> 9) & 511) * scale;
        out[2] = float((word >> 18) & 511) * scale;
    }
    return outBytes;
}

u64 CompressSharedExponentR9G9B9E5(const void* src, u64 srcSize, void* dst, u32 width, u32 height)
{
    const u64 outBytes = packed::Product(width, height, 4);
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    const u64 pixels = u64(width) * height;
    if (srcSize / 12 < pixels)
        return 0;
    const float* in = static_cast<const float*>(src);
    u8* out = static_cast<u8*>(dst);
    for (u64 i = 0; i < pixels; ++i, in += 3, out += 4) {
        const u32 word = EncodeRgb9e5(in);
        for (int b = 0; b < 4; ++b)
            out[b] = u8(word >> (8 * b));
    }
    return outBytes;
}

} // namespace xqftexture
