// The class-based compressor at 2 bpp: per block the best of the direct mode and the three
// interpolated modes.
#include "XQFTCCompressor.h"

#include "XQFTextureThreads.h"

#include <cstring>

namespace xqftexture {

XQFTC2bppCompressor::XQFTC2bppCompressor(const u8* image, u32 width, u32 height)
    : XQFTCCompressor(image, width, height, 8, 4)
{
    m_blocks = MakeScratch<SBlock>(u64(m_blocksX) * m_blocksY);
}

void XQFTC2bppCompressor::ResetBlocks(u32 x0, u32 x1, u32 y0, u32 y1)
{
    static constexpr u8 kBias[4] = {4, 1, 4, 4};
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock& block = m_blocks[u64(by) * m_blocksX + bx];
            std::memset(&block, 0, sizeof block);
            std::memcpy(block.bias, kBias, 4);
        }
}

bool XQFTC2bppCompressor::Valid() const { return XQFTCCompressor::Valid() && m_blocks; }

// The wide window is not used at 2 bpp.
void XQFTC2bppCompressor::InitialiseEndpoints(bool) { XQFTCCompressor::InitialiseEndpoints(false); }

void XQFTC2bppCompressor::EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1)
{
    m_kernels.evaluate2bpp(Images(), m_blocks.get(), x0, x1, y0, y1);
}

void XQFTC2bppCompressor::RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1)
{
    m_kernels.refine2bpp(Images(), m_blocks.get(), x0, x1, y0, y1);
}

void XQFTC2bppCompressor::WriteBlocks(u8* out, bool twiddled)
{
    // Block rows write disjoint blocks: one item each on the library's threads.
    RunWorkers(m_blocksY, [&](u32 by, u32) {
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
        return true;
    });
}

} // namespace xqftexture
