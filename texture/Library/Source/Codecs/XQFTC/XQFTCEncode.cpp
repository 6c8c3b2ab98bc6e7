// The XQFTC compression entry: size limits, XQFTC-II padding, and the choice between the class
// compressor (XQFTC at quality 0) and the amtc compressor (higher qualities, and XQFTC-II).
#include "XQFTCEncode.h"

#include "XQFTC/XQFTCCompressor.h"
#include "XQFTC/amtc/amtc_localised.h"
#include "XQFTCBlock.h"
#include "XQFTextureEncoders.h"

#include <algorithm>
#include <cstring>

namespace xqftexture {

u32 CompressLevelChecked(const SAmtcWorkImage& image, u32 channels, u32 bppMode, u32 isXQFTCII, u32 linearOrder,
                         u8 level, u8* out, void* progress)
{
    if (out == nullptr)
        return 1;
    const u32 bw = bppMode == 2 ? 8 : 4, bh = 4;
    if (image.width <= 0 || image.height <= 0 || image.width % bw != 0 || image.height % bh != 0)
        return 1;
    const u32 nx = u32(image.width) / bw, ny = u32(image.height) / bh;
    // Morton order only on power-of-two grids.
    if (!linearOrder && (!IsPowerOfTwo(nx) || !IsPowerOfTwo(ny)))
        linearOrder = 1;
    std::memset(out, 0, u64(nx) * ny * 8);
    const amtc::SAmtcImage view{image.pixels.get(), u32(image.width), u32(image.height), u64(image.width)};
    return amtc::CompressLevelAMTC(view, channels, bppMode, isXQFTCII != 0, out, linearOrder != 0, level, progress)
               ? 0
               : 1;
}

u32 CompressMIPLevels(const u8* pixels, bool rgbaOrder, i32 width, i32 height, i32 rowStride, u8* out, u8 level,
                      u32 channels, u32 bppMode, u32 isXQFTCII, u32 linearOrder)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return 1;
    level = std::min<u8>(level, 4);
    // The working image keeps the level's own pitch (the bytes are those of a 4096-pixel pitch).
    SAmtcWorkImage image{width, height, MakeScratch<u8>(u64(width) * u64(height) * 4)};
    if (!image.pixels)
        return 1;
    const u64 stride = rowStride > 0 ? u64(rowStride) : u64(width) * 4;
    for (i32 y = 0; y < height; ++y) {
        u8* row = image.pixels.get() + u64(y) * u64(width) * 4;
        std::memcpy(row, pixels + u64(y) * stride, u64(width) * 4);
        if (!rgbaOrder)
            for (i32 x = 0; x < width; ++x)
                std::swap(row[4 * x], row[4 * x + 2]);
    }
    return CompressLevelChecked(image, channels, bppMode, isXQFTCII, linearOrder, level, out, nullptr);
}

u64 RunClassCompressor(const u8* pixels, u8* out, u32 width, u32 height, bool twoBpp)
{
    return twoBpp ? RunXQFTC2bppCompressor(pixels, out, width, height, 64, true, 8)
                  : RunXQFTC4bppCompressor(pixels, out, width, height, 64, true, 8);
}

u64 CompressXQFTCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, bool, bool twoBpp,
                       bool isXQFTCII, u32 quality)
{
    const u32 bw = twoBpp ? 8 : 4;
    if (width == 0 || height == 0 || width > 4096 || height > 4096)
        return 0;
    const u32 paddedWidth = (width + bw - 1) / bw * bw, paddedHeight = (height + 3) / 4 * 4;
    const u64 size = u64(paddedWidth) * paddedHeight * (twoBpp ? 2 : 4) / 8;
    // XQFTC levels are whole blocks; a size query is refused alike, so that no caller sizes a
    // buffer for an encode that cannot run.
    const bool padded = paddedWidth != width || paddedHeight != height;
    if (padded && !isXQFTCII)
        return 0;
    if (src == nullptr || dst == nullptr)
        return size;
    if (srcSize < u64(width) * height * 4)
        return 0;
    const u8* pixels = static_cast<const u8*>(src);
    u8* out = static_cast<u8*>(dst);

    TScratch<u8> copy;
    if (padded) {
        // The added columns repeat the last ones, column x copying column x - (paddedWidth - width);
        // the added rows likewise. A level narrower (lower) than the margin repeats its columns
        // (rows) from x mod width (y mod height) instead.
        copy = MakeScratch<u8>(u64(paddedWidth) * paddedHeight * 4);
        if (!copy)
            return 0;
        const u32 marginX = paddedWidth - width, marginY = paddedHeight - height;
        auto column = [&](u32 x) { return x < width ? x : x >= marginX && x - marginX < width ? x - marginX : x % width; };
        auto row = [&](u32 y) { return y < height ? y : y >= marginY && y - marginY < height ? y - marginY : y % height; };
        for (u32 y = 0; y < paddedHeight; ++y)
            for (u32 x = 0; x < paddedWidth; ++x)
                std::memcpy(&copy[(u64(y) * paddedWidth + x) * 4], pixels + (u64(row(y)) * width + column(x)) * 4, 4);
        pixels = copy.get();
    }
    // Efforts above 4 act as 4: the quality is capped before it is narrowed to the 8-bit level, so
    // that 256 and its like do not wrap round to the quickest effort.
    const u8 effort = u8(std::min(isXQFTCII ? quality : quality - 1, 4u));
    if (isXQFTCII)
        return CompressMIPLevels(pixels, true, i32(paddedWidth), i32(paddedHeight), 0, out, effort, 4,
                                 twoBpp ? 2 : 4, 1, 1) == 0
                   ? size
                   : 0;
    if (quality > 0)
        return CompressMIPLevels(pixels, true, i32(width), i32(height), 0, out, effort, 4, twoBpp ? 2 : 4, 0, 0) == 0
                   ? size
                   : 0;
    return RunClassCompressor(pixels, out, width, height, twoBpp);
}

} // namespace xqftexture
