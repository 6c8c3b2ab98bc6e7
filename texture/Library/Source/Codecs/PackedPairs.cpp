// Pair formats: RGBG8888 / GRBG8888 (a shared red and blue, a green per pixel) and UYVY / YUY2
// (YUV 4:2:2, a shared U and V, a Y per pixel). One 4-byte group covers two horizontally adjacent
// pixels; a row of odd width ends in a group whose second pixel lies outside the level, which the
// encoder fills with a copy of the last pixel and the decoder ignores.
#include "PackedLayout.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <algorithm>

namespace xqftexture {
namespace {

// Byte positions, inside a group, of the values each pair format holds.
struct SPairLayout {
    u8 shared0, first, shared1, second; // RGBG: R, G0, B, G1; YUV: U, Y0, V, Y1
};
bool PairLayout(u32 id, SPairLayout& layout)
{
    switch (id) {
    case 16: layout = {0, 1, 2, 3}; return true; // UYVY: U Y0 V Y1
    case 17: layout = {1, 0, 3, 2}; return true; // YUY2: Y0 U Y1 V
    case 20: layout = {0, 1, 2, 3}; return true; // RGBG: R G0 B G1
    case 21: layout = {1, 0, 3, 2}; return true; // GRBG: G0 R G1 B
    default: return false;
    }
}
bool IsYuv(u32 id) { return id == 16 || id == 17; }

u8 ClampToByte(float v) { return u8(std::clamp(v, 0.0f, 255.0f)); }

// Integer BT.601 conversion of one luma with the pair's chroma.
void YuvToRgba(int y, int d, int e, u8* out)
{
    const int c = 298 * (y - 16);
    auto channel = [](int sum) { return u8(sum + 128 < 0 ? 0 : std::min((sum + 128) >> 8, 255)); };
    out[0] = channel(c + 409 * e);
    out[1] = channel(c - 100 * d - 208 * e);
    out[2] = channel(c + 517 * d);
    out[3] = 255;
}

} // namespace

void ConvertRGBPairToYUV(u32 pixel0, u32 pixel1, u8& y0, u8& y1, u8& u, u8& v)
{
    const float r0 = float(pixel0 & 255), g0 = float((pixel0 >> 8) & 255), b0 = float((pixel0 >> 16) & 255);
    const float r1 = float(pixel1 & 255), g1 = float((pixel1 >> 8) & 255), b1 = float((pixel1 >> 16) & 255);
    y0 = ClampToByte(0.257f * r0 + 0.504f * g0 + 0.098f * b0 + 16.5f);
    y1 = ClampToByte(0.257f * r1 + 0.504f * g1 + 0.098f * b1 + 16.5f);
    u = ClampToByte(0.439f * b0 - (0.148f * r0 + 0.291f * g0) + 128.5f);
    v = ClampToByte(0.439f * r1 - 0.368f * g1 - 0.071f * b1 + 128.5f);
}

namespace {

// Both pair decoders: walk the groups of each row, and let decodeGroup write the RGBA of the
// group's first pixel and, when both is set, of its second (an odd row's last group has only one
// pixel inside the level).
template <class DecodeGroup>
u64 DecodePairs(const void* src, u64 srcSize, void* dst, u32 width, u32 height, DecodeGroup decodeGroup)
{
    const u64 outBytes = packed::Product(width, height, 4);
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    const u64 groups = packed::PairGroupsPerRow(width);
    if (srcSize / 4 / groups < height)
        return 0;
    const u8* in = static_cast<const u8*>(src);
    u8* out = static_cast<u8*>(dst);
    for (u64 y = 0; y < height; ++y) {
        u64 x = 0;
        for (; x + 1 < width; x += 2, in += 4, out += 8)
            decodeGroup(in, true, out);
        if (x < width) {
            decodeGroup(in, false, out);
            in += 4;
            out += 4;
        }
    }
    return outBytes;
}

} // namespace

u64 DecompressYUV422(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id)
{
    SPairLayout at;
    if (!IsYuv(id) || !PairLayout(id, at))
        return 0;
    return DecodePairs(src, srcSize, dst, width, height, [at](const u8* group, bool both, u8* out) {
        const int d = group[at.shared0] - 128, e = group[at.shared1] - 128;
        YuvToRgba(group[at.first], d, e, out);
        if (both)
            YuvToRgba(group[at.second], d, e, out + 4);
    });
}

u64 DecompressRGBG(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id)
{
    SPairLayout at;
    if (IsYuv(id) || !PairLayout(id, at))
        return 0;
    return DecodePairs(src, srcSize, dst, width, height, [at](const u8* group, bool both, u8* out) {
        const u8 first[4] = {group[at.shared0], group[at.first], group[at.shared1], 255};
        std::memcpy(out, first, 4);
        if (both) {
            const u8 second[4] = {group[at.shared0], group[at.second], group[at.shared1], 255};
            std::memcpy(out + 4, second, 4);
        }
    });
}

namespace {

// Both pair encoders: walk the pairs of each row, the missing partner of an odd row's last pixel
// being that pixel again, and let encodePair fill the group.
template <class EncodePair>
u64 EncodePairs(const void* src, u64 srcSize, void* dst, u32 width, u32 height, EncodePair encodePair)
{
    const u64 groups = packed::PairGroupsPerRow(width);
    const u64 outBytes = packed::Product(groups, height, 4);
    return packed::EncodeRgba8(src, srcSize, dst, width, height, outBytes, [&](const u8* in, u8* out) {
        for (u64 y = 0; y < height; ++y)
            for (u64 x = 0; x < width; x += 2, out += 4) {
                const u8* row = in + 4 * y * width;
                const u32 p0 = packed::LoadLE32(row + 4 * x);
                const u32 p1 = x + 1 < width ? packed::LoadLE32(row + 4 * (x + 1)) : p0;
                encodePair(p0, p1, out);
            }
    });
}

} // namespace

u64 CompressYUV422(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id)
{
    SPairLayout at;
    if (!IsYuv(id) || !PairLayout(id, at))
        return 0;
    return EncodePairs(src, srcSize, dst, width, height, [at](u32 p0, u32 p1, u8* group) {
        ConvertRGBPairToYUV(p0, p1, group[at.first], group[at.second], group[at.shared0], group[at.shared1]);
    });
}

u64 CompressRGBG(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 id)
{
    SPairLayout at;
    if (IsYuv(id) || !PairLayout(id, at))
        return 0;
    // Red and blue come from the pair's first pixel only.
    return EncodePairs(src, srcSize, dst, width, height, [at](u32 p0, u32 p1, u8* group) {
        group[at.shared0] = u8(p0), group[at.first] = u8(p0 >> 8);
        group[at.shared1] = u8(p0 >> 16), group[at.second] = u8(p1 >> 8);
    });
}

} // namespace xqftexture
