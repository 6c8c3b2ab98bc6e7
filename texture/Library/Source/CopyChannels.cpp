// Fast channel copies between the three standard RGBA formats (8-bit, 16-bit, 32-bit integer or
// float components), used by the dither pass to turn colour into luminance or intensity.
#include "TextureTranscoder.h"

#include <algorithm>
#include <cstring>

namespace xqftexture {

namespace {

enum class EKind { U8, U16, U32, F32, None };

EKind KindOf(const CTextureHeader& h)
{
    const PixelFormat f = h.GetPixelFormat();
    const u32 t = h.GetChannelType();
    if (f == PixelFormatRGBA8888 && t == UnsignedByteNorm)
        return EKind::U8;
    if (f == PixelFormatRGBA16161616 && t == UnsignedShortNorm)
        return EKind::U16;
    if (f == PixelFormatRGBA32323232 && t == UnsignedIntegerNorm)
        return EKind::U32;
    if (f == PixelFormatRGBA32323232 && t == SignedFloat)
        return EKind::F32;
    return EKind::None;
}

// Component maxima as the kernels use them; 2^32 - 1 rounds to the float 2^32.
float MaxOf(EKind k)
{
    switch (k) {
    case EKind::U8: return 255.0f;
    case EKind::U16: return 65535.0f;
    case EKind::U32: return 4294967296.0f;
    default: return 1.0f;
    }
}

u32 BytesOf(EKind k) { return k == EKind::U8 ? 1 : k == EKind::U16 ? 2 : 4; }

// One component as a float in the destination's range.
float ReadScaled(const u8* p, EKind src, float dstMax)
{
    switch (src) {
    case EKind::U8: return float(*p) * dstMax / 255.0f;
    case EKind::U16: { u16 v; std::memcpy(&v, p, 2); return float(v) * dstMax / 65535.0f; }
    case EKind::U32: { u32 v; std::memcpy(&v, p, 4); return float(v) * dstMax * 2.3283064e-10f; }
    default: { float v; std::memcpy(&v, p, 4); return v * dstMax; }
    }
}

void WriteValue(u8* p, EKind dst, float v)
{
    if (dst == EKind::F32) {
        std::memcpy(p, &v, 4);
        return;
    }
    // Integers truncate toward zero and saturate: never wrap into a wrong value.
    const double max = dst == EKind::U8 ? 255.0 : dst == EKind::U16 ? 65535.0 : 4294967295.0;
    const double d = v != v ? 0.0 : std::clamp(double(v), 0.0, max);
    const u32 n = u32(d);
    if (dst == EKind::U8)
        *p = u8(n);
    else if (dst == EKind::U16) {
        const u16 s = u16(n);
        std::memcpy(p, &s, 2);
    } else
        std::memcpy(p, &n, 4);
}

} // namespace

bool CopyTextureChannels(CTexture& dst, const CTexture& src, u32 count, const u32* dstCodes, const u32* srcCodes)
{
    const EKind sk = KindOf(src), dk = KindOf(dst);
    if (sk == EKind::None || dk == EKind::None || count > 4 || (count != 0 && (!dstCodes || !srcCodes)))
        return false;
    if (src.GetWidth(0) != dst.GetWidth(0) || src.GetHeight(0) != dst.GetHeight(0) ||
        src.GetDepth(0) != dst.GetDepth(0) || src.GetNumSurfaces() != dst.GetNumSurfaces() ||
        src.GetNumMIPLevels() != dst.GetNumMIPLevels() || src.GetNumFaces() != dst.GetNumFaces())
        return false;
    const float dstMax = MaxOf(dk);
    const u32 sb = BytesOf(sk), db = BytesOf(dk);
    bool result = true;
    for (u32 surface = 0; surface < src.GetNumSurfaces(); ++surface)
        for (u32 face = 0; face < src.GetNumFaces(); ++face)
            for (u32 mip = 0; mip < src.GetNumMIPLevels(); ++mip) {
                const u8* in = src.GetDataPtr(mip, surface, face);
                u8* out = dst.GetDataPtr(mip, surface, face);
                if (in == nullptr || out == nullptr) {
                    result = false;
                    continue;
                }
                const u64 pixels = u64(src.GetWidth(mip)) * src.GetHeight(mip) * src.GetDepth(mip);
                for (u64 i = 0; i < pixels; ++i, in += 4 * sb, out += 4 * db) {
                    float value[8] = {};
                    for (u32 k = 0; k < count; ++k) {
                        const u32 code = srcCodes[k];
                        if (code < 1 || code > 7)
                            continue;
                        const float r = ReadScaled(in, sk, dstMax), g = ReadScaled(in + sb, sk, dstMax),
                                    b = ReadScaled(in + 2 * sb, sk, dstMax);
                        switch (code) {
                        case 1: value[1] = r; break;
                        case 2: value[2] = g; break;
                        case 3: value[3] = b; break;
                        case 4: case 7: value[code] = ReadScaled(in + 3 * sb, sk, dstMax); break;
                        case 5: value[5] = 0.2126f * r + 0.7152f * g + 0.0722f * b; break;
                        case 6: value[6] = (r + g + b) / 3.0f; break;
                        }
                    }
                    for (u32 k = 0; k < count; ++k) {
                        const u32 from = srcCodes[k] < 8 ? srcCodes[k] : 0;
                        const float v = value[from];
                        switch (dstCodes[k]) {
                        case 1: case 2: case 3: WriteValue(out + (dstCodes[k] - 1) * db, dk, v); break;
                        case 4: case 7: WriteValue(out + 3 * db, dk, v); break;
                        case 5: case 6:
                            for (u32 c = 0; c < 3; ++c)
                                WriteValue(out + c * db, dk, v);
                            break;
                        default: break;
                        }
                    }
                }
            }
    return result;
}

} // namespace xqftexture
