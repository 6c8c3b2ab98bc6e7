// XQFTC (ids 0-3) and XQFTC-II (ids 4, 5) decoding: window by window over the block grid, a row of
// windows at a time, each row of blocks unpacked once.
#include "XQFTC.h"

#include "XQFTCWindow.h"
#include "XQFTextureCodecs.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace xqftexture {
namespace {

using xqftc::SBlock;

// Writes a decoded window into the image: it fills the lower-right quarter of P (column pcol of
// block row prow), the lower-left of Q (qcol, prow), the upper-right of R (pcol, rrow) and the
// upper-left of S (qcol, rrow).
template <int BW>
void StoreXQFTCWindow(Rgba8* out, u64 width, const Rgba8* pixels, u32 pcol, u32 qcol, u32 prow, u32 rrow)
{
    constexpr int kHalf = BW / 2;
    const u64 rows[4] = {u64(prow) * 4 + 2, u64(prow) * 4 + 3, u64(rrow) * 4, u64(rrow) * 4 + 1};
    for (int r = 0; r < 4; ++r) {
        Rgba8* line = out + rows[r] * width;
        std::memcpy(line + u64(pcol) * BW + kHalf, &pixels[r * BW], kHalf * sizeof(Rgba8));
        std::memcpy(line + u64(qcol) * BW, &pixels[r * BW + kHalf], kHalf * sizeof(Rgba8));
    }
}

template <int BW>
void DecodeWindows(const u8* data, u32 nx, u32 ny, bool second, bool linear, Rgba8* out)
{
    const u64 width = u64(nx) * BW;
    // The blocks of the window row's upper and lower block rows, each unpacked once per row.
    std::vector<SBlock> upper(nx), lower(nx);
    auto unpackRow = [&](u32 row, std::vector<SBlock>& blocks) {
        for (u32 col = 0; col < nx; ++col)
            xqftc::UnpackBlock(data + 8 * u64(linear ? u64(row) * nx + col : BlockOrderIndex(ny, nx, row, col, false)),
                               BW == 8, second, blocks[col]);
    };
    Rgba8 pixels[4 * BW];
    // Window row wy has P on block row wy; the first window row and column wrap to the last ones.
    unpackRow(ny - 1, upper);
    for (u32 rrow = 0; rrow < ny; ++rrow) {
        const u32 prow = rrow == 0 ? ny - 1 : rrow - 1;
        if (rrow == 0 && ny == 1)
            lower = upper;
        else
            unpackRow(rrow, lower);
        for (u32 qcol = 0, pcol = nx - 1; qcol < nx; pcol = qcol++) {
            const SBlock* const corner[4] = {&upper[pcol], &upper[qcol], &lower[pcol], &lower[qcol]};
            xqftc::DecodeXQFTCWindow<BW>(corner, second, pixels);
            StoreXQFTCWindow<BW>(out, width, pixels, pcol, qcol, prow, rrow);
        }
        std::swap(upper, lower);
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
    try {
        if (twoBpp)
            DecodeWindows<8>(data, blocksX, blocksY, second, linear, out);
        else
            DecodeWindows<4>(data, blocksX, blocksY, second, linear, out);
    } catch (const std::bad_alloc&) {
        return false; // the block rows of a huge grid
    }
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
