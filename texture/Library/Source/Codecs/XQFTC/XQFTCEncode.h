#pragma once
// The steps below CompressXQFTCImage (XQFTextureEncoders.h): the amtc compressor's level driver and
// the class compressor's run. Results of the level steps: 0 success, 1 failure.
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

namespace xqftexture {

// The image handed to the amtc compressor: RGBA rows of width pixels.
struct SAmtcWorkImage {
    i32 width, height;
    TScratch<u8> pixels;
};

// Compresses the image's one level into out (zeroed first): whole blocks only (8 x 4 for bppMode 2,
// 4 x 4 else); Morton order unless linearOrder or the grid is not a power of two each way.
u32 CompressLevelChecked(const SAmtcWorkImage& image, u32 channels, u32 bppMode, u32 isXQFTCII, u32 linearOrder,
                         u8 level, u8* out, void* progress);

// Copies width x height RGBA pixels (rows rowStride bytes apart, 0: packed; BGRA unless rgbaOrder)
// into a work image and compresses it at effort level (at most 4).
u32 CompressMIPLevels(const u8* pixels, bool rgbaOrder, i32 width, i32 height, i32 rowStride, u8* out, u8 level,
                      u32 channels, u32 bppMode, u32 isXQFTCII, u32 linearOrder);

// The class compressor with 64 regions and 8 iterations; width x height / 4 (2 bpp) or / 2 (4 bpp),
// or 0 when memory ran out.
u64 RunClassCompressor(const u8* pixels, u8* out, u32 width, u32 height, bool twoBpp);

} // namespace xqftexture
