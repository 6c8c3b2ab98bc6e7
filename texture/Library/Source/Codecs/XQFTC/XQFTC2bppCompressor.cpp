// The class-based compressor at 2 bpp: per block the best of the direct mode and the three
// interpolated modes.
#include "XQFTCCompressor.h"

#include <cstring>

namespace xqftexture {
namespace {

constexpr u8 kWeights[4] = {0, 3, 5, 8};

bool Stored(u32 x, u32 y) { return ((x + y) & 1) == 0; }

} // namespace

XQFTC2bppCompressor::XQFTC2bppCompressor(const u8* image, u32 width, u32 height)
    : XQFTCCompressor(image, width, height, 8, 4)
{
    m_blocks = MakeScratch<SBlock>(u64(m_blocksX) * m_blocksY);
    if (m_blocks)
        for (u64 i = 0; i < u64(m_blocksX) * m_blocksY; ++i) {
            std::memset(&m_blocks[i], 0, sizeof(SBlock));
            static constexpr u8 kBias[4] = {4, 1, 4, 4};
            std::memcpy(m_blocks[i].bias, kBias, 4);
        }
}

bool XQFTC2bppCompressor::Valid() const { return XQFTCCompressor::Valid() && m_blocks; }

// The wide window is not used at 2 bpp.
void XQFTC2bppCompressor::Initialise(bool) { XQFTCCompressor::Initialise(false); }

void XQFTC2bppCompressor::PredictModeWeights(const SBlock& block, u32 mode, u8 weights[32])
{
    if (mode == 0) {
        for (int p = 0; p < 32; ++p)
            weights[p] = block.direct[p] == 3 ? 8 : 0;
        return;
    }
    // Stored pixels keep their weights; the others average the stored neighbours the mode reads
    // (both ways, across only, down only) that lie inside the block.
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 8; ++x)
            if (Stored(x, y))
                weights[8 * y + x] = kWeights[block.stored[8 * y + x] & 3];
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 8; ++x) {
            if (Stored(x, y))
                continue;
            u32 sum = 0, n = 0;
            auto take = [&](i32 xx, i32 yy) {
                if (xx >= 0 && xx < 8 && yy >= 0 && yy < 4)
                    sum += weights[8 * yy + xx], ++n;
            };
            if (mode != 3)
                take(i32(x) - 1, i32(y)), take(i32(x) + 1, i32(y));
            if (mode != 2)
                take(i32(x), i32(y) - 1), take(i32(x), i32(y) + 1);
            weights[8 * y + x] = u8(n == 0 ? 0 : (sum + n / 2) / n);
        }
}

void XQFTC2bppCompressor::EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1)
{
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock& block = m_blocks[by * m_blocksX + bx];
            // Each pixel's distance to the blend at every weight: the choices below and the modes'
            // errors (the block rebuilt with each mode's weights) read them.
            u32 distances[32][9];
            for (u32 y = 0; y < 4; ++y)
                for (u32 x = 0; x < 8; ++x) {
                    const u32 p = 8 * y + x;
                    u32* d = distances[p];
                    WeightDistances(Pixel(bx * 8 + x, by * 4 + y), FullA(bx * 8 + x, by * 4 + y),
                                    FullB(bx * 8 + x, by * 4 + y), d);
                    // Direct: B unless A is strictly nearer.
                    block.direct[p] = d[0] < d[8] ? 0 : 3;
                    if (!Stored(x, y)) {
                        block.stored[p] = 0;
                        continue;
                    }
                    u32 best = 0;
                    for (u32 v = 1; v < 4; ++v)
                        if (d[kWeights[v]] < d[kWeights[best]])
                            best = v;
                    block.stored[p] = u8(best);
                }
            u64 bestScore = ~u64(0);
            for (u32 mode = 0; mode < 4; ++mode) {
                u8 weights[32];
                PredictModeWeights(block, mode, weights);
                u64 error = 0;
                for (u32 p = 0; p < 32; ++p)
                    error += distances[p][weights[p]];
                const u64 score = u64(block.bias[mode]) * error;
                if (score < bestScore)
                    bestScore = score, block.mode = u8(mode);
            }
        }
}

void XQFTC2bppCompressor::RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1)
{
    RefineBlocks(x0, x1, y0, y1, 128.0f, [&](u32 bx, u32 by, float* w) {
        const SBlock& block = m_blocks[by * m_blocksX + bx];
        u8 weights[32];
        PredictModeWeights(block, block.mode, weights);
        for (int p = 0; p < 32; ++p)
            w[p] = float(weights[p]) / 8.0f;
    });
}

void XQFTC2bppCompressor::WriteBlocks(u8* out, bool twiddled)
{
    for (u32 by = 0; by < m_blocksY; ++by)
        for (u32 bx = 0; bx < m_blocksX; ++bx) {
            const SBlock& block = m_blocks[by * m_blocksX + bx];
            u32 mod = 0;
            if (block.mode == 0) {
                for (u32 p = 0; p < 32; ++p)
                    mod |= u32(block.direct[p] == 3) << p;
            } else {
                // The stored values two bits each in the decoder's order; bit 0 then selects a
                // one-way mode and bit 20 its direction.
                u32 bit = 0;
                for (u32 y = 0; y < 4; ++y)
                    for (u32 x = y & 1; x < 8; x += 2, bit += 2)
                        mod |= u32(block.stored[8 * y + x] & 3) << bit;
                if (block.mode == 1)
                    mod &= ~1u;
                else if (block.mode == 2)
                    mod = (mod | 1u) & ~(1u << 20);
                else
                    mod |= 1u | 1u << 20;
            }
            PutBlock(out + 8 * u64(BlockIndex(bx, by, twiddled)), mod, ColourWord(bx, by, block.mode != 0));
        }
}

} // namespace xqftexture
