#pragma once
// The exhaustive ETC2 planar-mode search: for each channel on its own, every (O, H, V) of the channel's
// precision (6 bits red and blue, 7 bits green), pruned against the channel's bound, keeping the first
// of least error. The result is the 57-bit planar layout of EtcPlanes.h.
//
// Planar block array: the block's pixels as records of 4 bytes (R, G, B, unused) in row order, pixel
// (x, y) at 4y + x. O, H and V below are the expanded 8-bit values. Pixel groups: row (0,0)-(3,0) on O
// and H; column (0,1)-(0,3) on O and V; diagonal (3,1), (2,2), (1,3) on H and V; inner (1,1), (1,2),
// (2,1), then (3,3), (3,2), (2,3) on all three.
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// The column [O][V] and diagonal [H][V] tables of one channel (128 x 128 entries each, for green; red
// and blue use the first 64 x 64 with rows of 128), allocated once per worker.
struct SPlanarTables {
    TScratch<u32> column, diagonal;
    bool Allocate(); // false when memory runs out (nothing is kept)
};

void GatherPlanarBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64]);

// bound: the driver's best block error; redError, greenError, blueError: the least-squares block's
// channel errors in the twin's metric. The perceptual twin gives up (both words 0) when the red, or
// the red and green, errors alone exceed bound.
void SearchPlanarExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& word1, u32& word2, u32 bound,
                                      u32 redError, u32 greenError, u32 blueError, SPlanarTables& tables);
void SearchPlanarExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& word1, u32& word2, u32 bound,
                            u32 redError, u32 greenError, u32 blueError, SPlanarTables& tables);

} // namespace xqftexture::etc
