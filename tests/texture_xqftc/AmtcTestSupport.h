#pragma once
// Helpers of the amtc compressor tests: random representable endpoint pairs, packed blocks and a
// small block grid decoded by the library's own decoder, which is the oracle of the compressor's
// model.
#include "AmtcTypes.h"
#include "BlockWords.h"
#include "XQFTC.h"
#include "XQFTCBlock.h"
#include "XQFTCWindow.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace amtctest {

using namespace xqftexture;
using namespace xqftexture::amtc;

inline SRgba ToRgba(const Rgba8& p) { return {{p.r, p.g, p.b, p.a}}; }

// A random colour word for candidate id (flag bits included) and the 8-bit endpoints it decodes to.
struct SWordPair {
    u32 word;
    SRgba a, b;
};
inline SWordPair RandomWordPair(std::mt19937& rng, u32 id, bool second)
{
    u32 word = rng() & 0x7FFE7FFEu;
    const bool opaqueB = rng() & 1;
    word |= u32(opaqueB) << 31;
    if (!second)
        word |= (rng() & 1u) << 15; // colour A's own opacity
    word |= CandidateFlagBits(id);
    xqftc::SBlock block;
    const u8 bytes[8] = {0, 0, 0, 0, u8(word), u8(word >> 8), u8(word >> 16), u8(word >> 24)};
    xqftc::UnpackBlock(bytes, id >= 8, second, block);
    return {word, ToRgba(xqftc::Widened(block.a)), ToRgba(xqftc::Widened(block.b))};
}

// A grid of nx x ny blocks stored row by row, decoded as a torus.
struct SGrid {
    u32 nx, ny;
    bool twoBpp, second;
    std::vector<u8> data;
    SGrid(u32 nx, u32 ny, bool twoBpp, bool second) : nx(nx), ny(ny), twoBpp(twoBpp), second(second), data(8 * nx * ny) {}
    void Set(u32 bx, u32 by, u32 mod, u32 colour)
    {
        u8* at = &data[8 * (u64(by) * nx + bx)];
        for (int i = 0; i < 4; ++i)
            at[i] = u8(mod >> (8 * i)), at[4 + i] = u8(colour >> (8 * i));
    }
    u32 Width() const { return nx * (twoBpp ? 8 : 4); }
    std::vector<Rgba8> Decode() const
    {
        std::vector<Rgba8> out(u64(Width()) * ny * 4);
        EXPECT_TRUE(DecodeXQFTCSurface(data.data(), data.size(), nx, ny, twoBpp, second, true, out.data()));
        return out;
    }
};

inline std::vector<u32> CandidateIds(bool twoBpp, bool second)
{
    if (twoBpp)
        return second ? std::vector<u32>{8, 9, 10, 11, 12, 13, 14, 15} : std::vector<u32>{8, 9, 10, 11};
    return second ? std::vector<u32>{0, 1, 2, 3} : std::vector<u32>{0, 1};
}

// A random 3 x 3 neighbourhood: candidate ids, representable endpoint pairs and the blend entries
// of the window for them.
struct SRandomNeighbourhood {
    u32 ids[9];
    AmtcColourPair nine[9];
    SBlendEntry entries[kMaxWindowPixels];
    bool Make(std::mt19937& rng, const AmtcParams& params);
};

} // namespace amtctest

#include "AmtcLevel.h"
#include "BlendEntries.h"
#include "amtc_localised.h"

namespace amtctest {

// An image of w x h RGBA pixels, and a level over it.
struct SImage {
    u32 width, height;
    std::vector<u8> rgba;
    SImage(u32 w, u32 h) : width(w), height(h), rgba(u64(w) * h * 4, 0) {}
    SRgba& At(u32 x, u32 y) { return *reinterpret_cast<SRgba*>(&rgba[4 * (u64(y) * width + x)]); }
    SAmtcImage View() const { return {rgba.data(), width, height, width}; }
    template <class F>
    void Fill(F colourAt)
    {
        for (u32 y = 0; y < height; ++y)
            for (u32 x = 0; x < width; ++x)
                At(x, y) = colourAt(x, y);
    }
};

// Set-up sweeps on the calling thread, with the first pass's parameters.
inline bool SetUpLevel(CAmtcLevel& level, const SImage& image, u32 mode, bool second)
{
    if (!level.Init(image.View(), 4, mode, second))
        return false;
    SetFirstPassParams(level.Params());
    return RunSetUpSweep(level, 0, ESweepRun::CallingThread) && RunSetUpSweep(level, 1, ESweepRun::CallingThread);
}

inline bool SameRecords(const CAmtcLevel& x, const CAmtcLevel& y)
{
    const AmtcParams& p = x.Params();
    for (u32 by = 0; by < p.blocksY; ++by)
        if (std::memcmp(x.Row(by), y.Row(by), sizeof(AmtcBlockRecord) * p.blocksX) != 0)
            return false;
    return true;
}

inline bool SRandomNeighbourhood::Make(std::mt19937& rng, const AmtcParams& params)
{
    const std::vector<u32> candidates = CandidateIds(params.mode == 2, params.isXQFTCII != 0);
    for (int k = 0; k < 9; ++k) {
        ids[k] = candidates[rng() % candidates.size()];
        const SWordPair w = RandomWordPair(rng, ids[k], params.isXQFTCII != 0);
        nine[k] = {w.a, w.b, 0, 0};
    }
    return CreateBlendEntries(ids, params, entries);
}

} // namespace amtctest
