// Pixel-by-pixel conversion of whole textures through the pixel accessor, with shortcuts that give
// the same bytes as the accessor: a byte shuffle between 8-bit normalised formats that only move or
// fill channels, per-channel tables for unsigned normalised sources into 8-bit formats, and a
// lookup table for any source of up to 16 bits per pixel.
#include "TextureTranscoder.h"
#include "TranscodeSteps.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Three-byte results stored as four-byte words: each store overlaps the next pixel, which the next
// store overwrites; the last pixel is stored exactly.
void LookUp3(const u8* in, u8* out, u64 pixels, u32 inBytes, const u32* table)
{
    if (pixels == 0)
        return;
    const u64 last = pixels - 1;
    if (inBytes == 1) {
        for (u64 i = 0; i < last; ++i, out += 3)
            std::memcpy(out, &table[in[i]], 4);
        std::memcpy(out, &table[in[last]], 3);
        return;
    }
    for (u64 i = 0; i < last; ++i, in += 2, out += 3)
        std::memcpy(out, &table[u32(in[0]) | u32(in[1]) << 8], 4);
    std::memcpy(out, &table[u32(in[0]) | u32(in[1]) << 8], 3);
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
    if (outBytes == 3) {
        std::vector<u32> wide(entries);
        for (u32 v = 0; v < entries; ++v)
            std::memcpy(&wide[v], table.data() + u64(v) * 3, 3);
        LookUp3(in, out, pixels, inBytes, wide.data());
        return true;
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
    // Unevenly spaced bytes: a mean or weighted sum of them never equals one of them.
    static constexpr u8 kProbes[3][4] = {{0, 0, 0, 0}, {16, 40, 130, 70}, {200, 90, 30, 250}};
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
    if (inBytes == 4 && outBytes == 3 && s[0] == 0 && s[1] == 1 && s[2] == 2 && pixels != 0) {
        // Four-byte stores that overlap the next pixel, which its own store overwrites.
        for (u64 i = 0; i + 1 < pixels; ++i, in += 4, out += 3)
            std::memcpy(out, in, 4);
        std::memcpy(out, in, 3);
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

// RGB 5,6,5 words to RGB or RGBA bytes, eight pixels a step. The widening formulas are exact
// roundings of v * 255 / 31 and v * 255 / 63; the caller checks them against the accessor's tables.
bool Expand565(const u8* in, u8* out, u64 pixels, u32 outBytes)
{
#if defined(__SSE2__)
    const __m128i m527 = _mm_set1_epi16(527), m259 = _mm_set1_epi16(259), a23 = _mm_set1_epi16(23),
                  a33 = _mm_set1_epi16(33), mask5 = _mm_set1_epi16(31), mask6 = _mm_set1_epi16(63),
                  alpha = _mm_set1_epi16(i16(0xFF00));
    u64 i = 0;
    for (; i + 8 < pixels; i += 8, in += 16, out += 8 * outBytes) { // the last step stays scalar
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i r = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(v, 11), m527), a23), 6);
        const __m128i g = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(v, 5), mask6), m259), a33), 6);
        const __m128i b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(v, mask5), m527), a23), 6);
        const __m128i rg = _mm_or_si128(r, _mm_slli_epi16(g, 8)), ba = _mm_or_si128(b, alpha);
        const __m128i lo = _mm_unpacklo_epi16(rg, ba), hi = _mm_unpackhi_epi16(rg, ba);
        if (outBytes == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), hi);
        } else {
            alignas(16) u32 words[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(words), lo);
            _mm_store_si128(reinterpret_cast<__m128i*>(words + 4), hi);
            for (u32 k = 0; k < 8; ++k) // overlapping stores; the next step's first store follows
                std::memcpy(out + 3 * k, &words[k], 4);
        }
    }
    for (; i < pixels; ++i, in += 2, out += outBytes) {
        const u32 v = u32(in[0]) | u32(in[1]) << 8;
        const u8 px[4] = {u8(((v >> 11) * 527 + 23) >> 6), u8((((v >> 5) & 63) * 259 + 33) >> 6),
                          u8(((v & 31) * 527 + 23) >> 6), 255};
        std::memcpy(out, px, outBytes);
    }
    return true;
#else
    return false;
#endif
}

// Unsigned normalised sources of up to 64 bits into plain 8-bit destinations, when every destination
// channel is a copy of one source channel or a constant (no luminance or intensity derived from
// colour): one small table per channel, filled through the accessor.
bool IsUnsignedNormType(u32 t) { return t == 0 || t == 2 || t == 4 || t == 6 || t == 8 || t == 10; }

// The source channel a destination channel takes under the accessor's conversion rules; 0 for the
// constant 0, 8 for the constant 1, -1 when it is derived from several channels.
int SourceOf(u32 dstCode, const CPixelAccessor& src, const CPixelAccessor& dst)
{
    const bool srcL = src.HasChannel(ChannelLuminance), srcI = src.HasChannel(ChannelIntensity);
    switch (dstCode) {
    case ChannelRed: case ChannelGreen: case ChannelBlue:
        if (src.HasChannel(dstCode))
            return int(dstCode);
        if (dst.HasChannel(ChannelLuminance) && srcL)
            return ChannelLuminance;
        if (!dst.HasChannel(ChannelIntensity) && srcI)
            return ChannelIntensity;
        return srcI ? int(ChannelIntensity) : srcL ? int(ChannelLuminance) : 0;
    case ChannelAlpha:
        return src.HasChannel(ChannelAlpha) ? int(ChannelAlpha) : !src.HasChannel(ChannelUnused) ? 8 : int(ChannelUnused);
    case ChannelUnused:
        return src.HasChannel(ChannelUnused) ? int(ChannelUnused) : !src.HasChannel(ChannelAlpha) ? 8 : int(ChannelAlpha);
    case ChannelLuminance:
        return srcL ? int(ChannelLuminance) : (!dst.HasChannel(ChannelIntensity) && srcI) ? int(ChannelIntensity) : -1;
    case ChannelIntensity:
        return srcI ? int(ChannelIntensity) : srcL ? int(ChannelLuminance) : -1;
    default:
        return -1;
    }
}

// A destination channel computed from several source channels (luminance or intensity of colour).
bool HasDerivedChannel(const CPixelAccessor& src, const CPixelAccessor& dst)
{
    for (u32 code = 1; code <= 7; ++code)
        if (dst.HasChannel(code) && SourceOf(code, src, dst) < 0)
            return true;
    return false;
}

bool ConvertByChannelTables(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst)
{
    if (!IsUnsignedNormType(src.GetChannelType()) || src.GetPixelBits() > 64 || !dst.IsPlain8Bit() ||
        dst.GetPixelBytes() > 4 || pixels < 4096)
        return false;
    struct SChannel {
        u32 shift = 0, mask = 0;
        std::vector<u8> table; // empty: constant
        u8 constant = 0;
    } channels[4];
    const u32 outBytes = dst.GetPixelBytes(), inBytes = src.GetPixelBytes();
    for (u32 code = 1; code <= 7; ++code) {
        u32 shift = 0, width = 0;
        if (!dst.FieldOf(code, shift, width))
            continue;
        const u32 j = shift / 8; // plain 8-bit: byte j of the destination pixel
        const int from = SourceOf(code, src, dst);
        if (from < 0)
            return false;
        SChannel& c = channels[j];
        if (from == 0 || from == 8) {
            c.constant = from == 8 ? 255 : 0;
            continue;
        }
        u32 srcShift = 0, srcWidth = 0;
        if (!src.FieldOf(u32(from), srcShift, srcWidth) || srcWidth > 16)
            return false;
        c.shift = srcShift;
        c.mask = (1u << srcWidth) - 1;
        c.table.resize(u64(c.mask) + 1);
        for (u32 v = 0; v <= c.mask; ++v) {
            c.table[v] = u8(std::min(255.0, 255.0 * double(float(v) / float(c.mask)) + 0.5));
            // The accessor reads value / (2^width - 1) and stores trunc(255 * v + 0.5): same bytes.
        }
    }
    // Each table entry is a destination word with the channel's byte in place, so a pixel is a few
    // lookups ORed together and one store; constants join every entry of the first table.
    u32 constants = 0;
    std::vector<u32> words[4];
    u32 shifts[4] = {}, masks[4] = {};
    u32 used = 0;
    for (u32 j = 0; j < outBytes; ++j) {
        const SChannel& c = channels[j];
        if (c.table.empty()) {
            constants |= u32(c.constant) << (8 * j);
            continue;
        }
        words[used].resize(c.table.size());
        for (u64 v = 0; v < c.table.size(); ++v)
            words[used][v] = u32(c.table[v]) << (8 * j);
        shifts[used] = c.shift;
        masks[used] = c.mask;
        ++used;
    }
    if (used == 0) {
        words[0].assign(1, 0);
        used = 1;
    }
    for (u32& w : words[0])
        w |= constants;
    const u32* t[4] = {words[0].data(), used > 1 ? words[1].data() : nullptr, used > 2 ? words[2].data() : nullptr,
                       used > 3 ? words[3].data() : nullptr};
    const u64 last = pixels - 1; // pixels >= 4096
    // The classic 565 layout into RGB or RGBA bytes: straight arithmetic when it gives the same bytes.
    if (inBytes == 2 && (outBytes == 3 || outBytes == 4) && used == 3 && shifts[0] == 11 && masks[0] == 31 &&
        shifts[1] == 5 && masks[1] == 63 && shifts[2] == 0 && masks[2] == 31 && constants == (outBytes == 4 ? 0xFF000000u : 0)) {
        bool exact = true;
        for (u32 v = 0; v < 64; ++v)
            exact = exact &&
                    (v >= 32 || ((t[0][v] & ~constants) == ((v * 527 + 23) >> 6) && t[2][v] == ((v * 527 + 23) >> 6) << 16)) &&
                    t[1][v] == ((v * 259 + 33) >> 6) << 8; // the first table also carries the constant alpha
        if (exact && Expand565(in, out, pixels, outBytes))
            return true;
    }
    if (inBytes <= 2) {
        // Small pixels: every possible pixel's word in one table, then one lookup per pixel.
        std::vector<u32> lut(u64(1) << (8 * inBytes));
        for (u64 v = 0; v < lut.size(); ++v) {
            u32 word = 0;
            for (u32 k = 0; k < used; ++k)
                word |= t[k][(v >> shifts[k]) & masks[k]];
            lut[v] = word;
        }
        u32 word = 0;
        if (inBytes == 1) {
            for (u64 i = 0; i < last; ++i, out += outBytes)
                std::memcpy(out, &lut[in[i]], 4);
            word = lut[in[last]];
        } else {
            u64 i = 0;
            if (outBytes == 3) {
                // Four pixels at a time: one 8-byte load, twelve bytes out in two stores.
                for (; i + 4 < last; i += 4, in += 8, out += 12) {
                    u64 four;
                    std::memcpy(&four, in, 8);
                    const u64 w0 = lut[four & 0xFFFF], w1 = lut[(four >> 16) & 0xFFFF], w2 = lut[(four >> 32) & 0xFFFF],
                              w3 = lut[four >> 48];
                    const u64 low = w0 | w1 << 24 | w2 << 48;
                    const u32 high = u32(w2 >> 16) | u32(w3 << 8);
                    std::memcpy(out, &low, 8);
                    std::memcpy(out + 8, &high, 4);
                }
            }
            for (; i < last; ++i, in += 2, out += outBytes)
                std::memcpy(out, &lut[u32(in[0]) | u32(in[1]) << 8], 4);
            word = lut[u32(in[0]) | u32(in[1]) << 8];
        }
        std::memcpy(out, &word, outBytes);
        return true;
    }
    auto run = [&]<u32 InBytes, u32 Used>() {
        for (u64 i = 0; i <= last; ++i, in += InBytes, out += outBytes) {
            u64 pixel = 0;
            std::memcpy(&pixel, in, InBytes);
            u32 word = t[0][(pixel >> shifts[0]) & masks[0]];
            if constexpr (Used > 1)
                word |= t[1][(pixel >> shifts[1]) & masks[1]];
            if constexpr (Used > 2)
                word |= t[2][(pixel >> shifts[2]) & masks[2]];
            if constexpr (Used > 3)
                word |= t[3][(pixel >> shifts[3]) & masks[3]];
            // A four-byte store overlaps the next pixel, which its own store overwrites; the last
            // pixel is stored exactly.
            if (i != last) [[likely]]
                std::memcpy(out, &word, 4);
            else
                std::memcpy(out, &word, outBytes);
        }
    };
    auto runUsed = [&]<u32 InBytes>() {
        switch (used) {
        case 1: run.template operator()<InBytes, 1>(); break;
        case 2: run.template operator()<InBytes, 2>(); break;
        case 3: run.template operator()<InBytes, 3>(); break;
        default: run.template operator()<InBytes, 4>(); break;
        }
    };
    switch (inBytes) {
    case 1: runUsed.template operator()<1>(); break;
    case 2: runUsed.template operator()<2>(); break;
    case 3: runUsed.template operator()<3>(); break;
    case 4: runUsed.template operator()<4>(); break;
    case 5: runUsed.template operator()<5>(); break;
    case 6: runUsed.template operator()<6>(); break;
    case 7: runUsed.template operator()<7>(); break;
    default: runUsed.template operator()<8>(); break;
    }
    return true;
}


} // namespace

void ConvertLevel(const u8* in, u8* out, u64 pixels, CPixelAccessor& src, CPixelAccessor& dst, u32 dstSpace,
                  u32 srcSpace)
{
    if (dstSpace == srcSpace && IsPlainBytes(src) && IsPlainBytes(dst) && !HasDerivedChannel(src, dst))
        if (const std::optional<Shuffle> s = FindShuffle(src, dst)) {
            ConvertByShuffle(in, out, pixels, src.GetPixelBytes(), dst.GetPixelBytes(), *s);
            return;
        }
    if (dstSpace == srcSpace && ConvertByChannelTables(in, out, pixels, src, dst))
        return;
    if (ConvertByTable(in, out, pixels, src, dst, dstSpace, srcSpace))
        return;
    ConvertGeneral(in, out, pixels, src, dst, dstSpace, srcSpace);
}


u64 ConvertPixels(const CTexture& src, CTexture& dst, CPixelAccessor& srcAccessor, CPixelAccessor& dstAccessor,
                  u32 dstColourSpace, u32 srcColourSpace)
{
    if (!srcAccessor.IsUsable() || !dstAccessor.IsUsable())
        return 0;
    u64 total = 0;
    const bool whole = ForEachLevelPair(src, dst, [&](const u8* in, u8* out, u32 mip) {
        const u64 pixels = src.GetPixelCount(mip, false, false);
        if (pixels != dst.GetPixelCount(mip, false, false))
            return false;
        ConvertLevel(in, out, pixels, srcAccessor, dstAccessor, dstColourSpace, srcColourSpace);
        total += pixels;
        return true;
    });
    return whole ? total * dstAccessor.GetPixelBytes() : 0;
}

} // namespace xqftexture
