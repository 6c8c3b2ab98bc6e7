// The class-based compressor at 4 bpp: per block the better of the two modulation variants.
#include "XQFTCCompressor.h"

#include "XQFTextureThreads.h"

#include <cstring>

namespace xqftexture {

XQFTC4bppCompressor::XQFTC4bppCompressor(const u8* image, u32 width, u32 height)
    : XQFTCCompressor(image, width, height, 4, 4)
{
    m_blocks = MakeScratch<SBlock>(u64(m_blocksX) * m_blocksY);
}

void XQFTC4bppCompressor::ResetBlocks(u32 x0, u32 x1, u32 y0, u32 y1)
{
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock& block = m_blocks[u64(by) * m_blocksX + bx];
            std::memset(&block, 0, sizeof block);
            block.bias[0] = block.bias[1] = 1;
        }
}

bool XQFTC4bppCompressor::Valid() const { return XQFTCCompressor::Valid() && m_blocks; }

void XQFTC4bppCompressor::EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1)
{
    m_kernels.evaluate4bpp(Images(), m_blocks.get(), x0, x1, y0, y1);
}

void XQFTC4bppCompressor::RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1)
{
    m_kernels.refine4bpp(Images(), m_blocks.get(), x0, x1, y0, y1);
}

void XQFTC4bppCompressor::WriteBlocks(u8* out, bool twiddled)
{
    // Block rows write disjoint blocks: one item each on the library's threads.
    RunWorkers(m_blocksY, [&](u32 by, u32) {
        for (u32 bx = 0; bx < m_blocksX; ++bx) {
            const SBlock& block = m_blocks[by * m_blocksX + bx];
            u32 mod = 0;
            for (u32 p = 0; p < 16; ++p)
                mod |= u32(block.indices[block.variant][p]) << (2 * p);
            PutBlock(out + 8 * u64(BlockIndex(bx, by, twiddled)), mod, ColourWord(bx, by, u32(block.variant)));
        }
        return true;
    });
}

} // namespace xqftexture
