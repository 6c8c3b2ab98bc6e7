#pragma once
// The class compressors' hot loops: the endpoint images' upscaling, the modulation choice, the sums
// of the endpoint refinement and the search for a window's two furthest pixels. They are built once
// for SSE2 and once for AVX2 (XQFTCKernelBodies.h); ClassKernels gives the set for the path in use.
// Both sets compute the same integers, so the bytes never depend on the machine.
#include "XQFTextureSimd.h"
#include "XQFTextureTypes.h"

namespace xqftexture {

struct SPixel4 {
    u8 c[4]; // red, green, blue, alpha
};

// Per block at 2 bpp: the direct bits, the stored values and the chosen mode.
struct SBlock2bpp {
    u8 direct[32]; // 0 or 3 per pixel
    u8 stored[32]; // 0 to 3 at the pixels with x + y even
    u8 bias[4];    // direct; both ways; across; down
    u8 mode;       // 0 direct, 1 interpolated both ways, 2 across, 3 down
    u8 weights[32]; // the mode's weight (eighths of B) per pixel, for the refinement
};

// Per block at 4 bpp: the indices of both modulation variants and the chosen one.
struct SBlock4bpp {
    u8 indices[2][16]; // variant 0: weights 0, 3, 5, 8; variant 1: 0, 4, 4 (alpha 0), 8
    u8 bias[2];
    i32 variant;
};

// The images a compressor works on: the source, the two upscaled endpoint images (width x height
// pixels each) and the two endpoint images of blocksX x blocksY blocks; a refinement moves a
// block's endpoints from lowA and lowB into refinedA and refinedB (the same images, or others
// while the current ones are being read elsewhere).
struct SClassImages {
    const SPixel4* image;
    const SPixel4* fullA;
    const SPixel4* fullB;
    const SPixel4* lowA;
    const SPixel4* lowB;
    SPixel4* refinedA;
    SPixel4* refinedB;
    u32 width, height, blocksX, blocksY;
};

// A block's least-squares sums over its pixels, with the weights k (eighths of B) and the residuals
// e = 8 p - ((8 - k) A + k B) in eighths: sumK = sum k, sumKK = sum k^2, sumE[c] = sum e,
// sumEK[c] = sum e k. Integers, so the order of the additions does not matter.
struct SRefineSums {
    i32 sumK, sumKK;
    i32 sumE[4], sumEK[4];
};

// Moves a block's endpoints by the least-squares solution of its sums (n pixels), unless the mean
// residual's energy is below threshold.
void SolveRefinement(SPixel4& lowA, SPixel4& lowB, const SRefineSums& sums, u32 n, float threshold);

struct SClassKernels {
    // Window row `by` (P blocks on block row by, -1 wrapping) of an endpoint image upscaled into full.
    void (*upscaleWindowRow)(const SPixel4* low, SPixel4* full, u32 width, u32 height, u32 nx, u32 ny, u32 bw,
                             i64 by);
    // The upscaled pixels of blocks bx in [x0, x1), by in [y0, y1) alone.
    void (*upscaleArea)(const SPixel4* low, SPixel4* full, u32 width, u32 nx, u32 ny, u32 bw, u32 x0, u32 x1, u32 y0,
                        u32 y1);
    // Blocks bx in [x0, x1), by in [y0, y1).
    void (*evaluate2bpp)(const SClassImages& images, SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1);
    void (*evaluate4bpp)(const SClassImages& images, SBlock4bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1);
    void (*refine2bpp)(const SClassImages& images, const SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1);
    void (*refine4bpp)(const SClassImages& images, const SBlock4bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1);
    // The first pair i < j (in the order i, then j) of the largest squared RGBA distance among n <= 64
    // pixels: i in the low byte, j in the next; 0 when every pair is at distance 0.
    u32 (*furthestPair)(const SPixel4* pixels, u32 n);
};

const SClassKernels& ClassKernels(ESimdPath path);

// Weights 0..8 of a 2 bpp block's 32 pixels in mode m: the direct bits, or the stored values'
// weights with the pixels between them predicted from their neighbours inside the block, as the
// mode interpolates (both ways, across only, down only).
void PredictModeWeights2bpp(const SBlock2bpp& block, u32 mode, u8 weights[32]);

} // namespace xqftexture
