// The shared part of the class-based XQFTC compressors.
#include "XQFTCCompressor.h"

#include "XQFTCBlock.h"
#include "XQFTextureThreads.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

} // namespace

XQFTCCompressor::XQFTCCompressor(const u8* image, u32 width, u32 height, u8 blockWidth, u8 blockHeight)
    : m_width(width), m_height(height), m_blocksX(width / blockWidth), m_blocksY(height / blockHeight),
      m_blockWidth(blockWidth), m_blockHeight(blockHeight), m_image(reinterpret_cast<const SPixel4*>(image)),
      m_kernels(ClassKernels(ActiveSimdPath()))
{
    static_assert(sizeof(SPixel4) == 4 && alignof(SPixel4) == 1);
    const u64 pixels = u64(width) * height, blocks = u64(m_blocksX) * m_blocksY;
    m_lowA = MakeScratch<SPixel4>(blocks);
    m_lowB = MakeScratch<SPixel4>(blocks);
    m_fullA = MakeScratch<SPixel4>(pixels);
    m_fullB = MakeScratch<SPixel4>(pixels);
    m_nextA = MakeScratch<SPixel4>(blocks);
    m_nextB = MakeScratch<SPixel4>(blocks);
    m_refinedA = m_lowA.get(), m_refinedB = m_lowB.get();
}

bool XQFTCCompressor::Valid() const
{
    return m_image != nullptr && m_lowA && m_lowB && m_fullA && m_fullB && m_nextA && m_nextB;
}

void XQFTCCompressor::BeginRegionIterations()
{
    const u64 bytes = u64(m_blocksX) * m_blocksY * sizeof(SPixel4);
    std::memcpy(m_nextA.get(), m_lowA.get(), bytes);
    std::memcpy(m_nextB.get(), m_lowB.get(), bytes);
    m_refinedA = m_nextA.get(), m_refinedB = m_nextB.get();
}

void XQFTCCompressor::CommitRefinements()
{
    // A swap, not a copy, while the other threads wait: a refinement writes every block it is given,
    // and blocks no region refines hold the same values in both images since the copy above.
    std::swap(m_lowA, m_nextA);
    std::swap(m_lowB, m_nextB);
    m_refinedA = m_nextA.get(), m_refinedB = m_nextB.get();
}

void XQFTCCompressor::EndRegionIterations() { m_refinedA = m_lowA.get(), m_refinedB = m_lowB.get(); }

void XQFTCCompressor::UpscaleRegion(u32 x0, u32 x1, u32 y0, u32 y1)
{
    m_kernels.upscaleArea(m_lowA.get(), m_fullA.get(), m_width, m_blocksX, m_blocksY, m_blockWidth, x0, x1, y0, y1);
    m_kernels.upscaleArea(m_lowB.get(), m_fullB.get(), m_width, m_blocksX, m_blocksY, m_blockWidth, x0, x1, y0, y1);
}

void XQFTCCompressor::PickExtremePair(const SPixel4* pixels, u32 count, SPixel4& a, SPixel4& b)
{
    PickExtremePair(ClassKernels(ActiveSimdPath()), pixels, count, a, b);
}

void XQFTCCompressor::PickExtremePair(const SClassKernels& kernels, const SPixel4* pixels, u32 count, SPixel4& a,
                                      SPixel4& b)
{
    // The pair i < j furthest apart; a later pair replaces the best only when strictly further.
    const u32 n = count < 64 ? count : 64;
    if (n == 0) {
        a = b = SPixel4{};
        return;
    }
    const u32 pair = kernels.furthestPair(pixels, n);
    const SPixel4 &x = pixels[pair & 0xFF], &y = pixels[pair >> 8];
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
    m_startPending = true;
    RunWorkers(m_blocksY, [&](u32 by, u32) {
        SPixel4 pixels[16 * 8];
        u32 rows[8];
        const i64 y0 = i64(by) * bh - (wideWindow ? bh / 2 : 0);
        for (u32 y = 0; y < h; ++y)
            rows[y] = Wrap(y0 + y, m_height);
        for (u32 bx = 0; bx < m_blocksX; ++bx) {
            const i64 x0 = i64(bx) * bw - (wideWindow ? bw / 2 : 0);
            u32 columns[16];
            for (u32 x = 0; x < w; ++x)
                columns[x] = Wrap(x0 + x, m_width);
            u32 n = 0;
            for (u32 y = 0; y < h; ++y)
                for (u32 x = 0; x < w; ++x)
                    pixels[n++] = Pixel(columns[x], rows[y]);
            PickExtremePair(m_kernels, pixels, n, m_lowA[by * m_blocksX + bx], m_lowB[by * m_blocksX + bx]);
        }
        return true;
    });
}

void XQFTCCompressor::InitialiseEndpoints(bool wideWindow) { InitialEndpoints(wideWindow); }

void XQFTCCompressor::Initialise(bool wideWindow)
{
    InitialiseEndpoints(wideWindow);
    UpdateFullResImages();
    RunWorkers(m_blocksY, [&](u32 by, u32) {
        ResetBlocks(0, m_blocksX, by, by + 1);
        EvaluateModulation(0, m_blocksX, by, by + 1);
        return true;
    });
    m_startPending = false;
}

void XQFTCCompressor::StartBlocks(u32 x0, u32 x1, u32 y0, u32 y1)
{
    UpscaleRegion(x0, x1, y0, y1);
    ResetBlocks(x0, x1, y0, y1);
    EvaluateModulation(x0, x1, y0, y1);
}

void XQFTCCompressor::UpdateFullResImages()
{
    // Window rows write disjoint pixels: the rows of both images are one run of the library's
    // threads, A and B of a row next to each other.
    RunWorkers(2 * (m_blocksY + 1), [&](u32 item, u32) {
        const bool b = item & 1;
        m_kernels.upscaleWindowRow(b ? m_lowB.get() : m_lowA.get(), b ? m_fullB.get() : m_fullA.get(), m_width,
                                   m_height, m_blocksX, m_blocksY, m_blockWidth, i64(item / 2) - 1);
        return true;
    });
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
