#pragma once
// The class-based XQFTC compressors, the quick level: two low-resolution endpoint images (colour A
// and B per block), their bilinear upscaling to full resolution as the decoder performs it, and per
// block the modulation candidates. Iterations alternate a least-squares refinement of the
// endpoints with a new choice of modulation, on up to 64 regions of blocks at a time.
#include "XQFTCKernels.h"
#include "XQFTextureScratch.h"
#include "XQFTextureTypes.h"

namespace xqftexture {

class XQFTCCompressor {
public:
    // image: width x height RGBA pixels (whole blocks), read in place for the compressor's life.
    // Valid() tells whether memory was found.
    XQFTCCompressor(const u8* image, u32 width, u32 height, u8 blockWidth, u8 blockHeight);
    virtual ~XQFTCCompressor() = default;
    XQFTCCompressor(const XQFTCCompressor&) = delete;
    XQFTCCompressor& operator=(const XQFTCCompressor&) = delete;

    // Initial endpoints, full-resolution images, blocks and modulation for the whole image.
    void Initialise(bool wideWindow);
    // The initial endpoints alone (from the block, or the wide window around it where the compressor
    // uses one); StartBlocks then does the rest area by area.
    virtual void InitialiseEndpoints(bool wideWindow);
    // After InitialiseEndpoints: the upscaled pixels, the blocks as they start and their first
    // modulation over blocks bx in [x0, x1), by in [y0, y1); what Initialise does there.
    void StartBlocks(u32 x0, u32 x1, u32 y0, u32 y1);
    // Whether the blocks still wait for StartBlocks (InitialiseEndpoints without Initialise); the
    // regions' first run starts them, and then calls BlocksStarted.
    bool StartPending() const { return m_startPending; }
    void BlocksStarted() { m_startPending = false; }
    // The blocks, 8 bytes each, at their Morton index when twiddled (only a power-of-two grid is
    // stored twiddled; any other grid row by row).
    virtual void WriteBlocks(u8* out, bool twiddled) = 0;
    // Both endpoint images upscaled as the decoder does, window rows on the library's threads.
    virtual void UpdateFullResImages();
    // Blocks bx in [x0, x1), by in [y0, y1).
    virtual void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) = 0;
    virtual void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) = 0;

    // The regions' iterations (RunCompressorThreads): while they run, refinements write the next
    // endpoint images, and the current ones stay as they are for the upscaling of the regions
    // around; CommitRefinements makes the next ones current.
    void BeginRegionIterations();
    void CommitRefinements();
    void EndRegionIterations();
    // Both endpoint images upscaled over blocks bx in [x0, x1), by in [y0, y1) alone.
    void UpscaleRegion(u32 x0, u32 x1, u32 y0, u32 y1);

    virtual bool Valid() const;
    u32 BlocksX() const { return m_blocksX; }
    u32 BlocksY() const { return m_blocksY; }
    u32 IterationCount() const { return m_iterations; }
    void SetIterationCount(u32 n) { m_iterations = n; }
    u32 ModulationPeriod() const { return m_period; }
    const SPixel4& LowA(u32 bx, u32 by) const { return m_lowA[by * m_blocksX + bx]; }
    const SPixel4& LowB(u32 bx, u32 by) const { return m_lowB[by * m_blocksX + bx]; }

    // The darker and brighter of the two pixels furthest apart (squared RGBA distance), among the
    // first 64 (a window holds at most 2 BW x 2 BH = 64), on the vector path in use.
    static void PickExtremePair(const SPixel4* pixels, u32 count, SPixel4& a, SPixel4& b);
    static void PickExtremePair(const SClassKernels& kernels, const SPixel4* pixels, u32 count, SPixel4& a,
                                SPixel4& b);

protected:
    // The blocks bx in [x0, x1), by in [y0, y1) as they start, before their first modulation: set on
    // the worker threads that choose it, so that no thread fills them all alone.
    virtual void ResetBlocks(u32 x0, u32 x1, u32 y0, u32 y1) = 0;
    void InitialEndpoints(bool wideWindow);
    SClassImages Images() const
    {
        return {m_image, m_fullA.get(), m_fullB.get(), m_lowA.get(), m_lowB.get(), m_refinedA, m_refinedB,
                m_width, m_height, m_blocksX, m_blocksY};
    }
    u32 ColourWord(u32 bx, u32 by, u32 modeBit) const;
    static void PutBlock(u8* out, u32 mod, u32 colour);
    u32 BlockIndex(u32 bx, u32 by, bool twiddled) const;
    const SPixel4& Pixel(u32 x, u32 y) const { return m_image[u64(y) * m_width + x]; }

    u32 m_width, m_height;
    u32 m_blocksX, m_blocksY;
    u8 m_blockWidth, m_blockHeight;
    const SPixel4* m_image; // the caller's pixels: SPixel4 is four bytes of no stricter alignment
    TScratch<SPixel4> m_lowA, m_lowB, m_fullA, m_fullB, m_nextA, m_nextB;
    SPixel4* m_refinedA; // where refinements write: the low images, or the next ones
    SPixel4* m_refinedB;
    u32 m_iterations = 0;
    u32 m_period = 1; // the modulation is chosen again in every m_period-th iteration
    bool m_startPending = false;
    const SClassKernels& m_kernels; // the vector path in use when the compressor was made
};

class XQFTC4bppCompressor final : public XQFTCCompressor {
public:
    using SBlock = SBlock4bpp;
    XQFTC4bppCompressor(const u8* image, u32 width, u32 height);
    bool Valid() const override;
    void WriteBlocks(u8* out, bool twiddled) override;
    void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) override;
    void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) override;
    const SBlock& Block(u32 bx, u32 by) const { return m_blocks[by * m_blocksX + bx]; }

private:
    void ResetBlocks(u32 x0, u32 x1, u32 y0, u32 y1) override;
    TScratch<SBlock> m_blocks;
};

class XQFTC2bppCompressor final : public XQFTCCompressor {
public:
    using SBlock = SBlock2bpp;
    XQFTC2bppCompressor(const u8* image, u32 width, u32 height);
    bool Valid() const override;
    // The block's own pixels start the endpoints, whatever wideWindow says.
    void InitialiseEndpoints(bool wideWindow) override;
    void WriteBlocks(u8* out, bool twiddled) override;
    void EvaluateModulation(u32 x0, u32 x1, u32 y0, u32 y1) override;
    void RefineEndpoints(u32 x0, u32 x1, u32 y0, u32 y1) override;
    const SBlock& Block(u32 bx, u32 by) const { return m_blocks[by * m_blocksX + bx]; }

    // See PredictModeWeights2bpp.
    static void PredictModeWeights(const SBlock& block, u32 mode, u8 weights[32])
    {
        PredictModeWeights2bpp(block, mode, weights);
    }

private:
    void ResetBlocks(u32 x0, u32 x1, u32 y0, u32 y1) override;
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
// The iterations over the regions, one block row of a region per item on the library's worker
// threads and one run per iteration: the row's upscaling and modulation for the iteration before,
// then its refinement.
void RunCompressorThreads(SCompressorRegion* regions, u32 count);

// Compress a whole image; return width x height / 2 (4 bpp) or / 4 (2 bpp), or 0 when memory ran out.
u64 RunXQFTC4bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations);
u64 RunXQFTC2bppCompressor(const u8* pixels, u8* out, u32 width, u32 height, u32 regions, bool wideWindow,
                           u32 iterations);

} // namespace xqftexture
