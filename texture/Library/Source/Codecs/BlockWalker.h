#pragma once
// One walker for every 4x4 block codec. It checks the source length once (64-bit arithmetic), clips
// the blocks at the image edge and never writes outside width x height. A codec only knows its block:
//
//   struct SMyBlock {
//       using Pixel = Rgba8;                       // what one decoded texel is
//       static constexpr u32 kBytes = 8;           // bytes of one block
//       static SMyBlock Parse(const u8* bytes);    // reads exactly kBytes
//       Pixel Texel(u32 x, u32 y) const;           // x = column, y = row, 0..3
//   };
//
// A codec may also decode runs of whole blocks at once (for speed: a block row can then be written
// as one wide store). The walker hands it only blocks that lie wholly inside the image:
//
//       // count blocks side by side from bytes, into 4 rows of `width` texels from out; returns how
//       // many it decoded (from the first), the walker fetches the rest texel by texel
//       static u64 DecodeRun(const u8* bytes, u64 count, Pixel* out, u64 width);
#include "XQFTextureTypes.h"

#include <cstring>
#include <limits>

namespace xqftexture {

struct Rgb8 {
    u8 r, g, b;
};
struct Rgba8 {
    u8 r, g, b, a;
};
struct Rg16 {
    u16 r, g;
};
static_assert(sizeof(Rgb8) == 3 && sizeof(Rgba8) == 4 && sizeof(Rg16) == 4);

// Bytes a level of width x height needs in whole 4x4 blocks; 0 when that overflows 64 bits.
inline u64 BlockLevelBytes(u32 width, u32 height, u32 blockBytes)
{
    const u64 blocksX = (u64(width) + 3) / 4, blocksY = (u64(height) + 3) / 4;
    const u64 blocks = blocksX * blocksY; // < 2^60: cannot overflow
    if (blockBytes != 0 && blocks > std::numeric_limits<u64>::max() / blockBytes)
        return 0;
    return blocks * blockBytes;
}

// Bytes of a decoded level, width x height x pixelBytes; 0 when that overflows 64 bits.
inline u64 DecodedLevelBytes(u32 width, u32 height, u32 pixelBytes)
{
    const u64 pixels = u64(width) * height;
    if (pixelBytes != 0 && pixels > std::numeric_limits<u64>::max() / pixelBytes)
        return 0;
    return pixels * pixelBytes;
}

// Decodes width x height texels of Block from src[0..srcSize) into out (rows of width texels).
// Returns false, reading and writing nothing, for an empty image or a source shorter than the blocks
// the image needs.
template <class Block>
bool DecodeBlocks(const u8* src, u64 srcSize, u32 width, u32 height, typename Block::Pixel* out)
{
    using Pixel = typename Block::Pixel;
    if (src == nullptr || out == nullptr || width == 0 || height == 0)
        return false;
    const u64 needed = BlockLevelBytes(width, height, Block::kBytes);
    if (needed == 0 || srcSize < needed)
        return false;
    const u64 blocksX = (u64(width) + 3) / 4, blocksY = (u64(height) + 3) / 4;
    const u8* block = src;
    for (u64 by = 0; by < blocksY; ++by) {
        const u32 rows = height - 4 * by >= 4 ? 4 : u32(height - 4 * by);
        Pixel* rowOut = out + 4 * by * width;
        u64 bx = 0;
        if constexpr (requires { Block::DecodeRun(block, bx, rowOut, u64(width)); }) {
            if (rows == 4) {
                bx = Block::DecodeRun(block, width / 4, rowOut, width);
                block += bx * Block::kBytes;
            }
        }
        for (; bx < blocksX; ++bx, block += Block::kBytes) {
            const auto b = Block::Parse(block);
            const u32 cols = width - 4 * bx >= 4 ? 4 : u32(width - 4 * bx);
            Pixel* o = rowOut + 4 * bx;
            for (u32 y = 0; y < rows; ++y, o += width)
                for (u32 x = 0; x < cols; ++x)
                    o[x] = b.Texel(x, y);
        }
    }
    return true;
}

} // namespace xqftexture
