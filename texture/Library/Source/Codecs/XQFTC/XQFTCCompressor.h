#pragma once
// The class-based XQFTC compressors, the quick level: two low-resolution endpoint images (colour A
// and B per block), their bilinear upscaling to full resolution as the decoder performs it, and per
// block the modulation candidates. Iterations alternate a least-squares refinement of the
// endpoints with a new choice of modulation, on up to 64 regions of blocks at a time.
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

#include <emmintrin.h>

namespace xqftexture {

struct SPixel4 {
    u8 c[4]; // red, green, blue, alpha
};

// The blend of A and B at weight w of B (eighths), as the decoder blends.
inline SPixel4 BlendPixel(const SPixel4& a, const SPixel4& b, i32 w)
{
    SPixel4 out;
    for (int c = 0; c < 4; ++c)
        out.c[c] = u8(((i32(b.c[c]) - i32(a.c[c])) * w + 8 * i32(a.c[c])) >> 3);
    return out;
}

inline u32 PixelDistanceSq(const SPixel4& x, const SPixel4& y)
{
    u32 d = 0;
    for (int c = 0; c < 4; ++c)
        d += u32((i32(x.c[c]) - i32(y.c[c])) * (i32(x.c[c]) - i32(y.c[c])));
    return d;
}

// The squared distances from the pixel to BlendPixel(a, b, w) for every weight w = 0..8.
inline void WeightDistances(const SPixel4& pixel, const SPixel4& a, const SPixel4& b, u32 distances[9])
{
    // Two weights at a time in eight 16-bit lanes: every value stays below 2^12, and pairs of
    // squared differences add up in 32 bits.
    using V8 = i16 __attribute__((vector_size(16)));
    using W4 = i32 __attribute__((vector_size(16)));
    const V8 a2 = {a.c[0], a.c[1], a.c[2], a.c[3], a.c[0], a.c[1], a.c[2], a.c[3]};
    const V8 b2 = {b.c[0], b.c[1], b.c[2], b.c[3], b.c[0], b.c[1], b.c[2], b.c[3]};
    const V8 p2 = {pixel.c[0], pixel.c[1], pixel.c[2], pixel.c[3], pixel.c[0], pixel.c[1], pixel.c[2], pixel.c[3]};
    const V8 step = b2 - a2, base = a2 << 3;
    for (i16 w = 0; w <= 8; w += 2) {
        const i16 w1 = w == 8 ? 8 : i16(w + 1);
        const V8 d = p2 - ((step * V8{w, w, w, w, w1, w1, w1, w1} + base) >> 3);
        const W4 s = W4(_mm_madd_epi16(__m128i(d), __m128i(d)));
        distances[w] = u32(s[0] + s[1]);
        if (w < 8)
            distances[w + 1] = u32(s[2] + s[3]);
    }
}

class XQFTCCompressor {
public:
    // image: width x height RGBA pixels (whole blocks). Valid() tells whether memory was found.
    XQFTCCompressor(const u8* image, u32 width, u32 height, u8 blockWidth, u8 blockHeight);
    virtual ~XQFTCCompressor() = default;
    XQFTCCompressor(const XQFTCCompressor&) = delete;
    XQFTCCompressor& operator=(const XQFTCCompressor&) = delete;

    // Initial endpoints, full-resolution images and modulation for the whole image.
    virtual void Initialise(bool wideWindow);
    // The iterations on the calling thread (the region threads do the same work).
    virtual void Iterate();
    // The blocks, 8 bytes each, at their Morton index when twiddled (only a power-of-two grid is
    // stored twiddled; any other grid row by row).
    virtual void WriteBlocks(u8* out, bool twiddled) = 0;
    // Both endpoint images upscaled as the decoder does, window rows on the library's threads.
    virtual void UpdateFullResImages();
    // Blocks bx in [x0, x1), by in [y0, y1).
    virtual void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) = 0;
    virtual void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) = 0;

    virtual bool Valid() const;
    u32 BlocksX() const { return m_blocksX; }
    u32 BlocksY() const { return m_blocksY; }
    u32 IterationCount() const { return m_iterations; }
    void SetIterationCount(u32 n) { m_iterations = n; }
    u32 ModulationPeriod() const { return m_period; }
    const SPixel4& LowA(u32 bx, u32 by) const { return m_lowA[by * m_blocksX + bx]; }
    const SPixel4& LowB(u32 bx, u32 by) const { return m_lowB[by * m_blocksX + bx]; }

    // The darker and brighter of the two pixels furthest apart (squared RGBA distance), among the
    // first 64 (a window holds at most 2 BW x 2 BH = 64).
    static void PickExtremePair(const SPixel4* pixels, u32 count, SPixel4& a, SPixel4& b);

protected:
    void InitialEndpoints(bool wideWindow);
    // Least-squares move of block (bx, by)'s endpoints for the per-pixel weights w (0..1, row-major
    // over the block); blocks whose mean residual is small enough stay.
    void RefineBlock(u32 bx, u32 by, const float* w, float threshold);
    // RefineBlock over the blocks bx in [x0, x1), by in [y0, y1), weightsOf(bx, by, w) giving each
    // block's weights.
    template <class Weights>
    void RefineBlocks(u32 x0, u32 x1, u32 y0, u32 y1, float threshold, Weights weightsOf)
    {
        for (u32 by = y0; by < y1; ++by)
            for (u32 bx = x0; bx < x1; ++bx) {
                float w[32];
                weightsOf(bx, by, w);
                RefineBlock(bx, by, w, threshold);
            }
    }
    u32 ColourWord(u32 bx, u32 by, u32 modeBit) const;
    static void PutBlock(u8* out, u32 mod, u32 colour);
    u32 BlockIndex(u32 bx, u32 by, bool twiddled) const;
    const SPixel4& Pixel(u32 x, u32 y) const { return m_image[u64(y) * m_width + x]; }
    const SPixel4& FullA(u32 x, u32 y) const { return m_fullA[u64(y) * m_width + x]; }
    const SPixel4& FullB(u32 x, u32 y) const { return m_fullB[u64(y) * m_width + x]; }

    u32 m_width, m_height;
    u32 m_blocksX, m_blocksY;
    u8 m_blockWidth, m_blockHeight;
    TScratch<SPixel4> m_image, m_lowA, m_lowB, m_fullA, m_fullB;
    u32 m_iterations = 0;
    u32 m_period = 1; // the modulation is chosen again in every m_period-th iteration
};

class XQFTC4bppCompressor final : public XQFTCCompressor {
public:
    struct SBlock {
        u8 indices[2][16]; // variant 0: weights 0, 3, 5, 8; variant 1: 0, 4, 4 (alpha 0), 8
        u8 bias[2];
        i32 variant;
    };
    XQFTC4bppCompressor(const u8* image, u32 width, u32 height);
    bool Valid() const override;
    void WriteBlocks(u8* out, bool twiddled) override;
    void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) override;
    void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) override;
    const SBlock& Block(u32 bx, u32 by) const { return m_blocks[by * m_blocksX + bx]; }

private:
    TScratch<SBlock> m_blocks;
};

class XQFTC2bppCompressor final : public XQFTCCompressor {
public:
    struct SBlock {
        u8 direct[32]; // 0 or 3 per pixel
        u8 stored[32]; // 0 to 3 at the pixels with x + y even
        u8 bias[4];    // direct; both ways; across; down
        u8 mode;       // 0 direct, 1 interpolated both ways, 2 across, 3 down
    };
    XQFTC2bppCompressor(const u8* image, u32 width, u32 height);
    bool Valid() const override;
    // The block's own pixels start the endpoints, whatever wideWindow says.
    void Initialise(bool wideWindow) override;
    void WriteBlocks(u8* out, bool twiddled) override;
    void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) override;
    void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) override;
    const SBlock& Block(u32 bx, u32 by) const { return m_blocks[by * m_blocksX + bx]; }

    // Weights 0..8 of a block's 32 pixels in mode m: the direct bits, or the stored values' weights
    // with the pixels between them predicted from their neighbours inside the block, as the mode
    // interpolates (both ways, across only, down only).
    static void PredictModeWeights(const SBlock& block, u32 mode, u8 weights[32]);

private:
    TScratch<SBlock> m_blocks;
};

// The regions one thread each works on: a compressor and its regions of blocks.
struct SRegionSet;
struct SCompressorRegion {
    SRegionSet* set;
    u32 x0, x1, y0, y1;
};
struct SRegionSet {
    XQFTCCompressor* compressor;
    u32 count; // 64
    SCompressorRegion regions[64];
    u32 built; // regions actually made
};

// Cuts the grid into regions (8 strips a side where the grid has 8 or more blocks, else whole;
// strips differ by at most one block, so every block is in one) and runs the iterations on them.
void SplitIntoRegions(SRegionSet* set);
// The iterations over the regions: each refinement phase and each modulation phase one region per
// item on the library's worker threads, the full-resolution images rebuilt between them.
void RunCompressorThreads(SCompressorRegion* regions, u32 count);

// Compress a whole image; return width x height / 2 (4 bpp) or / 4 (2 bpp), or 0 when memory ran out.
u64 RunXQFTC4bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations);
u64 RunXQFTC2bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations);

} // namespace xqftexture
