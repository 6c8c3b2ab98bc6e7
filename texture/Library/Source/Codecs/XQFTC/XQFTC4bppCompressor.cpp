// The class-based compressor at 4 bpp: per block the better of the two modulation variants.
#include "XQFTCCompressor.h"

#include <cstring>

namespace xqftexture {
namespace {

constexpr u8 kVariantWeights[2][4] = {{0, 3, 5, 8}, {0, 4, 4, 8}};

// The blend at weight w (eighths); variant 1's index 2 is punch-through: alpha 0.
SPixel4 Blend(const SPixel4& a, const SPixel4& b, u32 variant, u32 index)
{
    SPixel4 out = BlendPixel(a, b, kVariantWeights[variant][index]);
    if (variant == 1 && index == 2)
        out.c[3] = 0;
    return out;
}

} // namespace

XQFTC4bppCompressor::XQFTC4bppCompressor(const u8* image, u32 width, u32 height)
    : XQFTCCompressor(image, width, height, 4, 4)
{
    m_blocks = MakeScratch<SBlock>(u64(m_blocksX) * m_blocksY);
    if (m_blocks)
        for (u64 i = 0; i < u64(m_blocksX) * m_blocksY; ++i) {
            std::memset(&m_blocks[i], 0, sizeof(SBlock));
            m_blocks[i].bias[0] = m_blocks[i].bias[1] = 1;
        }
}

bool XQFTC4bppCompressor::Valid() const { return XQFTCCompressor::Valid() && m_blocks; }

void XQFTC4bppCompressor::EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1)
{
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock& block = m_blocks[by * m_blocksX + bx];
            // Each pixel takes the weight whose blend of the full-resolution endpoints is nearest
            // (ties keep the lower index); a variant's error is that of the block rebuilt so.
            u64 errors[2] = {0, 0};
            for (u32 y = 0; y < 4; ++y)
                for (u32 x = 0; x < 4; ++x) {
                    const u32 ix = bx * 4 + x, iy = by * 4 + y;
                    const SPixel4 &px = Pixel(ix, iy), &a = FullA(ix, iy), &b = FullB(ix, iy);
                    u32 d[9];
                    WeightDistances(px, a, b, d);
                    const u32 punch = PixelDistanceSq(px, Blend(a, b, 1, 2));
                    const u32 candidates[2][4] = {{d[0], d[3], d[5], d[8]}, {d[0], d[4], punch, d[8]}};
                    for (u32 variant = 0; variant < 2; ++variant) {
                        u32 best = 0;
                        for (u32 index = 1; index < 4; ++index)
                            if (candidates[variant][index] < candidates[variant][best])
                                best = index;
                        block.indices[variant][4 * y + x] = u8(best);
                        errors[variant] += candidates[variant][best];
                    }
                }
            block.variant = u64(block.bias[0]) * errors[0] > u64(block.bias[1]) * errors[1] ? 1 : 0;
        }
}

void XQFTC4bppCompressor::RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1)
{
    // The indices as fractions of B; variant 1 too is fitted with 0, 0.375, 0.625 and 1.
    static constexpr float kFraction[4] = {0.0f, 0.375f, 0.625f, 1.0f};
    RefineBlocks(x0, x1, y0, y1, 32.0f, [&](u32 bx, u32 by, float* w) {
        const SBlock& block = m_blocks[by * m_blocksX + bx];
        for (int p = 0; p < 16; ++p)
            w[p] = kFraction[block.indices[block.variant][p]];
    });
}

void XQFTC4bppCompressor::WriteBlocks(u8* out, bool twiddled)
{
    for (u32 by = 0; by < m_blocksY; ++by)
        for (u32 bx = 0; bx < m_blocksX; ++bx) {
            const SBlock& block = m_blocks[by * m_blocksX + bx];
            u32 mod = 0;
            for (u32 p = 0; p < 16; ++p)
                mod |= u32(block.indices[block.variant][p]) << (2 * p);
            PutBlock(out + 8 * u64(BlockIndex(bx, by, twiddled)), mod, ColourWord(bx, by, u32(block.variant)));
        }
}

} // namespace xqftexture
