// XQFTC (ids 0-3) and XQFTC-II (ids 4, 5) decoding: window by window over the block grid, each block
// unpacked once per window row it touches.
#include "XQFTC.h"

#include "XQFTCWindow.h"
#include "XQFTextureCodecs.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace xqftexture {
namespace {

using xqftc::SBlock;

template <int BW>
void DecodeWindows(const u8* data, u32 nx, u32 ny, bool second, bool linear, Rgba8* out)
{
    constexpr int kHalf = BW / 2;
    const u64 width = u64(nx) * BW;
    auto unpack = [&](u32 col, u32 row) {
        return xqftc::UnpackBlock(data + 8 * u64(BlockOrderIndex(ny, nx, row, col, linear)), BW == 8, second);
    };
    SBlock blocks[4]; // P, Q, R, S
    const SBlock* const corner[4] = {&blocks[0], &blocks[1], &blocks[2], &blocks[3]};
    const xqftc::TWindow<BW> window(corner, second);
    Rgba8 pixels[4][BW];
    // Window row wy has P on block row wy; the first window row and column wrap to the last ones.
    for (i64 wy = -1; wy + 2 <= i64(ny); ++wy) {
        const u32 prow = u32((wy + ny) % ny), rrow = u32((wy + 1) % ny);
        u32 pcol = nx - 1;
        blocks[0] = unpack(pcol, prow);
        blocks[2] = unpack(pcol, rrow);
        for (u32 qcol = 0; qcol < nx; ++qcol) {
            blocks[1] = unpack(qcol, prow);
            blocks[3] = unpack(qcol, rrow);
            window.Decode(pixels);
            // The window fills the lower-right quarter of P, lower-left of Q, upper-right of R and
            // upper-left of S.
            const u64 rows[4] = {u64(prow) * 4 + 2, u64(prow) * 4 + 3, u64(rrow) * 4, u64(rrow) * 4 + 1};
            for (int r = 0; r < 4; ++r) {
                Rgba8* line = out + rows[r] * width;
                std::memcpy(line + u64(pcol) * BW + kHalf, &pixels[r][0], kHalf * sizeof(Rgba8));
                std::memcpy(line + u64(qcol) * BW, &pixels[r][kHalf], kHalf * sizeof(Rgba8));
            }
            blocks[0] = blocks[1];
            blocks[2] = blocks[3];
            pcol = qcol;
        }
    }
}

u64 RoundUp(u64 v, u64 unit) { return (v + unit - 1) / unit * unit; }

} // namespace

bool DecodeXQFTCSurface(const u8* data, u64 size, u32 blocksX, u32 blocksY, bool twoBpp, bool second, bool linear,
                        Rgba8* out)
{
    if (data == nullptr || out == nullptr || blocksX == 0 || blocksY == 0 || u64(blocksX) * blocksY > 0xFFFFFFFFu)
        return false;
    // Block indices grow with x and y in either order, so the last block is the furthest one read.
    const u64 needed = (u64(BlockOrderIndex(blocksY, blocksX, blocksY - 1, blocksX - 1, linear)) + 1) * 8;
    if (size < needed || (!linear && (blocksX > 0xFFFF || blocksY > 0xFFFF)))
        return false;
    if (twoBpp)
        DecodeWindows<8>(data, blocksX, blocksY, second, linear, out);
    else
        DecodeWindows<4>(data, blocksX, blocksY, second, linear, out);
    return true;
}

u64 DecompressXQFTCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, bool twoBpp,
                         bool isXQFTCII)
{
    const u64 outBytes = DecodedLevelBytes(width, height, 4);
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    const u64 blockWidth = twoBpp ? 8 : 4;
    // The level's size rounds up to the format's minimum: whole blocks for XQFTC-II, and at least a
    // 2 x 2 grid for XQFTC.
    const u64 minWidth = isXQFTCII ? blockWidth : 2 * blockWidth, minHeight = isXQFTCII ? 4 : 8;
    const u64 needed = RoundUp(width, minWidth) * RoundUp(height, minHeight) / (twoBpp ? 4 : 2);
    if (srcSize < needed)
        return 0;
    // The grid covers the level in whole blocks, at least the minimum. Morton order needs a
    // power-of-two grid; other grids are stored row by row, and XQFTC-II always is.
    const u64 paddedWidth = std::max(RoundUp(width, blockWidth), minWidth);
    const u64 paddedHeight = std::max(RoundUp(height, 4), minHeight);
    const u32 nx = u32(paddedWidth / blockWidth), ny = u32(paddedHeight / 4);
    const bool linear = isXQFTCII || !IsPowerOfTwo(nx) || !IsPowerOfTwo(ny);
    const u8* in = static_cast<const u8*>(src);
    Rgba8* out = static_cast<Rgba8*>(dst);
    if (paddedWidth == width && paddedHeight == height)
        return DecodeXQFTCSurface(in, srcSize, nx, ny, twoBpp, isXQFTCII, linear, out) ? outBytes : 0;

    std::unique_ptr<Rgba8[]> padded(new (std::nothrow) Rgba8[paddedWidth * paddedHeight]);
    if (!padded || !DecodeXQFTCSurface(in, srcSize, nx, ny, twoBpp, isXQFTCII, linear, padded.get()))
        return 0;
    for (u64 y = 0; y < height; ++y)
        std::memcpy(out + y * width, padded.get() + y * paddedWidth, width * sizeof(Rgba8));
    return outBytes;
}

} // namespace xqftexture
