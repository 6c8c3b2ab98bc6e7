// The shared part of the class-based XQFTC compressors.
#include "XQFTCCompressor.h"

#include "XQFTCBlock.h"
#include "XQFTextureThreads.h"

#include <algorithm>
#include <emmintrin.h>
#include <cstring>

namespace xqftexture {
namespace {

u32 Wrap(i64 v, u32 n) { return u32(((v % i64(n)) + i64(n)) % i64(n)); }
u32 Packed(const SPixel4& p) { return u32(p.c[0]) | u32(p.c[1]) << 8 | u32(p.c[2]) << 16 | u32(p.c[3]) << 24; }
u32 Luminance(const SPixel4& p) { return (30 * p.c[0] + 59 * p.c[1] + 11 * p.c[2]) / 100; }

// The colour words' two layouts: alpha 255 opaque (5/5/4 bits for A, 5/5/5 for B), else
// translucent (3-bit alpha, 4/4/3 for A, 4/4/4 for B); every field the channel's top bits.
u32 PackColourA(const SPixel4& a)
{
    if (a.c[3] == 255)
        return 1u << 15 | u32(a.c[0] >> 3) << 10 | u32(a.c[1] >> 3) << 5 | u32(a.c[2] >> 4) << 1;
    return u32(a.c[3] >> 5) << 12 | u32(a.c[0] >> 4) << 8 | u32(a.c[1] >> 4) << 4 | u32(a.c[2] >> 5) << 1;
}
u32 PackColourB(const SPixel4& b)
{
    if (b.c[3] == 255)
        return 1u << 31 | u32(b.c[0] >> 3) << 26 | u32(b.c[1] >> 3) << 21 | u32(b.c[2] >> 3) << 16;
    return u32(b.c[3] >> 5) << 28 | u32(b.c[0] >> 4) << 24 | u32(b.c[1] >> 4) << 20 | u32(b.c[2] >> 4) << 16;
}

// The endpoint image upscaled as the decoder does: every 2 x 2 group of blocks P, Q, R, S fills
// the BW x 4 pixels between their centres (the groups of block row and column -1 wrap around);
// the kernel's weights add up to 16 (4 bpp) or 32 (2 bpp). This is the window row whose P blocks
// are on block row by.
void UpscaleWindowRow(const SPixel4* low, SPixel4* full, u32 width, u32 height, u32 nx, u32 ny, u32 bw, i64 by)
{
    using V4 = i32 __attribute__((vector_size(16)));
    auto load = [](const SPixel4& p) { return V4{p.c[0], p.c[1], p.c[2], p.c[3]}; };
    const u32 bh = 4, shift = bw == 8 ? 5 : 4;
    const SPixel4* upper = low + u64(Wrap(by, ny)) * nx;
    const SPixel4* lower = low + u64(Wrap(by + 1, ny)) * nx;
    for (u32 y = 0; y < bh; ++y) {
        const i64 iy = by * bh + bh / 2 + y;
        if (iy < 0 || iy >= i64(height))
            continue;
        SPixel4* row = full + u64(iy) * width;
        for (i64 bx = -1; bx < i64(nx); ++bx) {
            // The window's columns inside the image, and the blend down its left and right edges.
            const i64 first = bx * bw + bw / 2;
            const u32 x0 = first < 0 ? u32(-first) : 0;
            const u32 x1 = first + bw > i64(width) ? u32(i64(width) - first) : bw;
            const u32 left = Wrap(bx, nx), right = Wrap(bx + 1, nx);
            const V4 l = i32(bh - y) * load(upper[left]) + i32(y) * load(lower[left]);
            const V4 r = i32(bh - y) * load(upper[right]) + i32(y) * load(lower[right]);
            for (u32 x = x0; x < x1; ++x) {
                const V4 v = (i32(bw - x) * l + i32(x) * r) >> i32(shift);
                row[first + x] = {{u8(v[0]), u8(v[1]), u8(v[2]), u8(v[3])}};
            }
        }
    }
}

} // namespace

XQFTCCompressor::XQFTCCompressor(const u8* image, u32 width, u32 height, u8 blockWidth, u8 blockHeight)
    : m_width(width), m_height(height), m_blocksX(width / blockWidth), m_blocksY(height / blockHeight),
      m_blockWidth(blockWidth), m_blockHeight(blockHeight)
{
    const u64 pixels = u64(width) * height, blocks = u64(m_blocksX) * m_blocksY;
    m_image = MakeScratch<SPixel4>(pixels);
    m_lowA = MakeScratch<SPixel4>(blocks);
    m_lowB = MakeScratch<SPixel4>(blocks);
    m_fullA = MakeScratch<SPixel4>(pixels);
    m_fullB = MakeScratch<SPixel4>(pixels);
    if (m_image)
        std::memcpy(m_image.get(), image, pixels * 4);
}

bool XQFTCCompressor::Valid() const { return m_image && m_lowA && m_lowB && m_fullA && m_fullB; }

void XQFTCCompressor::PickExtremePair(const SPixel4* pixels, u32 count, SPixel4& a, SPixel4& b)
{
    // The pair i < j furthest apart; a later pair replaces the best only when strictly further.
    // The pixels widened to 16-bit lanes once, then compared two j at a time.
    using V8 = i16 __attribute__((vector_size(16)));
    using W4 = i32 __attribute__((vector_size(16)));
    const u32 n = count < 64 ? count : 64;
    if (n == 0) {
        a = b = SPixel4{};
        return;
    }
    i16 lanes[4 * 65];
    for (u32 j = 0; j < n; ++j)
        for (int c = 0; c < 4; ++c)
            lanes[4 * j + c] = pixels[j].c[c];
    for (int c = 0; c < 4; ++c)
        lanes[4 * n + c] = lanes[4 * (n - 1) + c]; // a copy past the end for odd runs
    u32 first = 0, second = 0, best = 0;
    for (u32 i = 0; i < n; ++i) {
        const i16* p = &lanes[4 * i];
        const V8 pi = {p[0], p[1], p[2], p[3], p[0], p[1], p[2], p[3]};
        for (u32 j = i + 1; j < n; j += 2) {
            V8 pj;
            std::memcpy(&pj, &lanes[4 * j], sizeof pj);
            const V8 d = pi - pj;
            const W4 s = W4(_mm_madd_epi16(__m128i(d), __m128i(d)));
            const u32 dj = u32(s[0] + s[1]), dk = u32(s[2] + s[3]);
            if (dj > best)
                best = dj, first = i, second = j;
            if (j + 1 < n && dk > best)
                best = dk, first = i, second = j + 1;
        }
    }
    const SPixel4 &x = pixels[first], &y = pixels[second];
    const u32 lx = Luminance(x), ly = Luminance(y);
    const bool xDarker = lx < ly || (lx == ly && Packed(x) < Packed(y));
    a = xDarker ? x : y;
    b = xDarker ? y : x;
}

void XQFTCCompressor::InitialEndpoints(bool wideWindow)
{
    const u32 bw = m_blockWidth, bh = m_blockHeight;
    // The block itself, or the 2 BW x 2 BH pixels around its centre, wrapping around the image.
    const u32 w = wideWindow ? 2 * bw : bw, h = wideWindow ? 2 * bh : bh;
    RunWorkers(m_blocksY, [&](u32 by, u32) {
        SPixel4 pixels[16 * 8];
        for (u32 bx = 0; bx < m_blocksX; ++bx) {
            const i64 x0 = i64(bx) * bw - (wideWindow ? bw / 2 : 0), y0 = i64(by) * bh - (wideWindow ? bh / 2 : 0);
            u32 n = 0;
            for (u32 y = 0; y < h; ++y)
                for (u32 x = 0; x < w; ++x)
                    pixels[n++] = Pixel(Wrap(x0 + x, m_width), Wrap(y0 + y, m_height));
            PickExtremePair(pixels, n, m_lowA[by * m_blocksX + bx], m_lowB[by * m_blocksX + bx]);
        }
        return true;
    });
}

void XQFTCCompressor::Initialise(bool wideWindow)
{
    InitialEndpoints(wideWindow);
    UpdateFullResImages();
    RunWorkers(m_blocksY, [&](u32 by, u32) {
        EvaluateModulation(0, m_blocksX, by, by + 1);
        return true;
    });
}

void XQFTCCompressor::UpdateFullResImages()
{
    // Window rows write disjoint pixels: the rows of both images are one run of the library's
    // threads, A and B of a row next to each other.
    RunWorkers(2 * (m_blocksY + 1), [&](u32 item, u32) {
        const bool b = item & 1;
        UpscaleWindowRow(b ? m_lowB.get() : m_lowA.get(), b ? m_fullB.get() : m_fullA.get(), m_width, m_height,
                         m_blocksX, m_blocksY, m_blockWidth, i64(item / 2) - 1);
        return true;
    });
}

void XQFTCCompressor::Iterate()
{
    for (u32 i = 0; i < m_iterations; ++i) {
        RefineEndpoints(0, m_blocksX, 0, m_blocksY);
        UpdateFullResImages();
        if (m_period != 0 && i % m_period == 0)
            EvaluateModulation(0, m_blocksX, 0, m_blocksY);
    }
}

void XQFTCCompressor::RefineBlock(u32 bx, u32 by, const float* w, float threshold)
{
    const u32 bw = m_blockWidth, bh = m_blockHeight, n = bw * bh;
    const float scale = 1.0f / float(n);
    float mw = 0, mww = 0, me[4] = {}, mew[4] = {};
    for (u32 y = 0; y < bh; ++y)
        for (u32 x = 0; x < bw; ++x) {
            const u32 ix = bx * bw + x, iy = by * bh + y;
            const float wi = w[y * bw + x];
            const SPixel4 &p = Pixel(ix, iy), &a = FullA(ix, iy), &b = FullB(ix, iy);
            mw += wi, mww += wi * wi;
            for (int c = 0; c < 4; ++c) {
                const float e = float(p.c[c]) - ((1.0f - wi) * float(a.c[c]) + wi * float(b.c[c]));
                me[c] += e, mew[c] += e * wi;
            }
        }
    mw *= scale, mww *= scale;
    float energy = 0;
    for (int c = 0; c < 4; ++c) {
        me[c] *= scale, mew[c] *= scale;
        energy += me[c] * me[c];
    }
    if (energy < threshold)
        return; // the endpoints already explain the block on average
    SPixel4& lowA = m_lowA[by * m_blocksX + bx];
    SPixel4& lowB = m_lowB[by * m_blocksX + bx];
    auto clamp = [](float v, float lo, float hi) { return v < lo ? lo : v > hi ? hi : v; };
    const float var = mww - mw * mw;
    for (int c = 0; c < 4; ++c) {
        const float a = float(lowA.c[c]), b = float(lowB.c[c]);
        if (var >= 1e-10f) {
            const float slope = (mew[c] - me[c] * mw) / var, intercept = me[c] - slope * mw;
            lowA.c[c] = u8(clamp(a + clamp(intercept, -100.0f, 100.0f), 0.0f, 255.0f));
            lowB.c[c] = u8(clamp(b + clamp(intercept + slope, -100.0f, 100.0f), 0.0f, 255.0f));
        } else {
            // Every weight at m: move both ends by the mean residual, then halve their distance
            // about the blend at m, which stays where it is.
            const float m = mw;
            const float a1 = clamp(a + (1.0f - m) * me[c], 0.0f, 255.0f), b1 = clamp(b + m * me[c], 0.0f, 255.0f);
            float d = b1 - a1;
            if (d > -1.0f && d < 1.0f)
                d = 0.0f;
            lowA.c[c] = u8(clamp(a1 + 0.5f * m * d, 0.0f, 255.0f));
            lowB.c[c] = u8(clamp(b1 - 0.5f * (1.0f - m) * d, 0.0f, 255.0f));
        }
    }
}

u32 XQFTCCompressor::ColourWord(u32 bx, u32 by, u32 modeBit) const
{
    return PackColourA(LowA(bx, by)) | PackColourB(LowB(bx, by)) | (modeBit & 1);
}

void XQFTCCompressor::PutBlock(u8* out, u32 mod, u32 colour)
{
    for (int i = 0; i < 4; ++i)
        out[i] = u8(mod >> (8 * i)), out[4 + i] = u8(colour >> (8 * i));
}

u32 XQFTCCompressor::BlockIndex(u32 bx, u32 by, bool twiddled) const
{
    // Morton order exists for power-of-two grids only: any other grid is written row by row, as the
    // decoder reads it (the Morton index of such a grid runs past the blocks).
    const bool linear = !twiddled || !IsPowerOfTwo(m_blocksX) || !IsPowerOfTwo(m_blocksY);
    return BlockOrderIndex(m_blocksY, m_blocksX, by, bx, linear);
}

} // namespace xqftexture
