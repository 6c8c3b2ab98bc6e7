// Exhaustive T-mode search.
#include "EtcTSearch.h"

#include "EtcCluster.h"
#include "EtcPlanes.h"
#include "EtcRowKernels.h"
#include "EtcTTables.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

constexpr u32 kSentinel = 1040400000u;

// Rows by level: 0 red (value >> 8), 1 red-green (value >> 4), 2 full colour.
template <u32 Shift>
u32 PairBound(const u32 pair[2], const u32* split, const u32* lone, u32 bound)
{
    const u32* splitRow = split + (pair[0] >> Shift) * kSplitEntries;
    const u32* loneRow = lone + (pair[1] >> Shift) * kLoneEntries;
    u32 best = kSentinel;
    for (u32 k = 0; k < 8; ++k) {
        const u32* s = splitRow + 16 * k;
        u32 sum = 0;
        for (u32 p = 0; p < 16; ++p) {
            sum += std::min(s[p], loneRow[p]);
            // Tested after pixels 0 and 1, then after every second pixel up to 13.
            if ((p < 2 || (p % 2 == 1 && p <= 13)) && sum >= bound)
                break;
        }
        best = std::min(best, sum);
    }
    return best;
}

struct SPerceptualT {
    static constexpr bool kPerceptual = true;
    static constexpr u32 kRedWeight = 299;
    static constexpr u32 kWeights[3] = {299, 587, 114};
    static constexpr auto ColourLone = BuildTColourLoneTablePerceptual,
                          RedGreenSplit = BuildTRedGreenSplitTablePerceptual,
                          RedGreenLone = BuildTRedGreenLoneTablePerceptual, RedSplit = BuildTRedSplitTablePerceptual;
    static u32 StartFit(const u8* image, i32 width, i32 x, i32 y, u32& lone, u32& split)
    {
        return FitTModeColoursPerceptual(image, width, x, y, lone, split);
    }
    static void Evaluate(const u8* image, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster)
    {
        EvaluateTModePerceptual(image, width, x, y, colours, distance, raster);
    }
};
struct SPlainT {
    static constexpr bool kPerceptual = false;
    static constexpr u32 kRedWeight = 1;
    static constexpr u32 kWeights[3] = {1, 1, 1};
    static constexpr auto ColourLone = BuildTColourLoneTable,
                          RedGreenSplit = BuildTRedGreenSplitTable, RedGreenLone = BuildTRedGreenLoneTable,
                          RedSplit = BuildTRedSplitTable;
    static u32 StartFit(const u8* image, i32 width, i32 x, i32 y, u32& lone, u32& split)
    {
        return u32(FitTModeColours(image, width, x, y, lone, split)); // truncated toward zero
    }
    static void Evaluate(const u8* image, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster)
    {
        EvaluateTMode(image, width, x, y, colours, distance, raster);
    }
};

// The pairs in the order split red, lone red, split green, lone green, split blue, lone blue; a pair
// replaces the best only with a strictly smaller error, and every test uses the current best.
__attribute__((target_clones("avx2", "default"))) void Enumerate(const STModeTables& t, u32& best, u32& result,
                                                                 u32& bestSplit, u32& bestLone)
{
    for (u32 sr = 0; sr < 16; ++sr)
        for (u32 lr = 0; lr < 16; ++lr) {
            const u32 red[2] = {sr << 8, lr << 8};
            if (TRedBound(red, t.redSplit.get(), t.redLone.get(), best) >= best)
                continue;
            for (u32 sg = 0; sg < 16; ++sg)
                for (u32 lg = 0; lg < 16; ++lg) {
                    const u32 redGreen[2] = {(sr << 4 | sg) << 4, (lr << 4 | lg) << 4};
                    if (TRedGreenBound(redGreen, t.redGreenSplit.get(), t.redGreenLone.get(), best) >= best)
                        continue;
                    for (u32 sb = 0; sb < 16; ++sb) {
                        const u32* split = t.colourSplit.get() + (redGreen[0] | sb) * kSplitEntries;
                        for (u32 lb = 0; lb < 16; ++lb) {
                            // TColourError's value wherever it decides: the complete least sum.
                            const u32 e = kernels::PairError<true>(split, t.colourLone.get() + (redGreen[1] | lb) * kLoneEntries);
                            if (e < best) {
                                best = result = e;
                                bestSplit = redGreen[0] | sb, bestLone = redGreen[1] | lb;
                            }
                        }
                    }
                }
        }
}

template <class M>
void Fill(const u8* image, i32 width, i32 x, i32 y, STModeTables& t)
{
    u8 block[64];
    GatherBlockArray(image, width, x, y, block);
    // The full-colour split table in one pass (the rows BuildTColourSplitTable fills, all of them).
    kernels::PaintMinimaTable<M::kWeights[0], M::kWeights[1], M::kWeights[2], true>(block, t.colourSplit.get());
    for (u32 c = 0; c < 4096; ++c)
        M::ColourLone(block, c, t.colourLone.get());
    for (u32 c = 0; c < 4096; c += 16)
        M::RedGreenSplit(block, c, t.redGreenSplit.get());
    for (u32 c = 0; c < 4096; c += 16)
        M::RedGreenLone(block, c, t.redGreenLone.get());
    for (u32 c = 0; c < 4096; c += 256)
        M::RedSplit(block, c, t.redSplit.get());
    for (u32 r = 0; r < 16; ++r)
        for (u32 p = 0; p < 16; ++p) {
            const i32 d = i32(block[4 * p]) - i32(17 * r);
            t.redLone[r * kLoneEntries + p] = M::kRedWeight * u32(d * d);
        }
}

template <class M>
u32 Search(const u8* image, i32 width, i32 x, i32 y, u32& wordA, u32& indices, u32 bound, STModeTables& t)
{
    u32 bestLone = 0, bestSplit = 0;
    const u32 startError = M::StartFit(image, width, x, y, bestLone, bestSplit);
    u32 best = std::min(startError, bound), result = startError;
    FillTModeTables(image, width, x, y, M::kPerceptual, t);
    Enumerate(t, best, result, bestSplit, bestLone);

    const u8 colours[6] = {u8(bestLone >> 8), u8((bestLone >> 4) & 15), u8(bestLone & 15),
                           u8(bestSplit >> 8), u8((bestSplit >> 4) & 15), u8(bestSplit & 15)};
    u8 distance = 0;
    u32 raster = 0;
    M::Evaluate(image, width, x, y, colours, distance, raster);
    wordA = bestLone << 15 | bestSplit << 3 | distance;
    indices = RasterToETCIndices(raster);
    return result;
}

} // namespace

bool STModeTables::Allocate()
{
    colourSplit = MakeScratch<u32>(4096 * kSplitEntries);
    colourLone = MakeScratch<u32>(4096 * kLoneEntries);
    redGreenSplit = MakeScratch<u32>(256 * kSplitEntries);
    redGreenLone = MakeScratch<u32>(256 * kLoneEntries);
    redSplit = MakeScratch<u32>(16 * kSplitEntries);
    redLone = MakeScratch<u32>(16 * kLoneEntries);
    if (colourSplit && colourLone && redGreenSplit && redGreenLone && redSplit && redLone)
        return true;
    *this = STModeTables();
    return false;
}

void FillTModeTables(const u8* image, i32 width, i32 x, i32 y, bool perceptual, STModeTables& tables)
{
    if (perceptual)
        Fill<SPerceptualT>(image, width, x, y, tables);
    else
        Fill<SPlainT>(image, width, x, y, tables);
}

u32 TRedBound(const u32 pair[2], const u32* redSplit, const u32* redLone, u32 bound)
{
    return PairBound<8>(pair, redSplit, redLone, bound);
}

u32 TRedGreenBound(const u32 pair[2], const u32* redGreenSplit, const u32* redGreenLone, u32 bound)
{
    return PairBound<4>(pair, redGreenSplit, redGreenLone, bound);
}

u32 TColourError(const u32 pair[2], const u32* colourSplit, const u32* colourLone, u32 bound)
{
    return PairBound<0>(pair, colourSplit, colourLone, bound);
}

u32 SearchTModeExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& wordA, u32& indices, u32 bound,
                                    STModeTables& tables)
{
    return Search<SPerceptualT>(image, width, x, y, wordA, indices, bound, tables);
}

u32 SearchTModeExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& wordA, u32& indices, u32 bound,
                          STModeTables& tables)
{
    return Search<SPlainT>(image, width, x, y, wordA, indices, bound, tables);
}

} // namespace xqftexture::etc
