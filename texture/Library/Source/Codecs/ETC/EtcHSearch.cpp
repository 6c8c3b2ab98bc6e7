// Exhaustive H-mode search.
#include "EtcHSearch.h"

#include "EtcHMode.h"
#include "EtcPlanes.h"
#include "EtcTTables.h"
#include "EtcRowKernels.h"
#include "EtcTables.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace xqftexture::etc {

namespace {

constexpr u32 kSentinel = 1040400000u;

struct SPerceptualWeights {
    static constexpr u32 kW[3] = {299, 587, 114};
};
struct SPlainWeights {
    static constexpr u32 kW[3] = {1, 1, 1};
};

// One colour's 128 entries over the first Channels channels; pixel(p) gives pixel p's R, G, B.
template <class W, u32 Channels, class Pixel>
void BuildRow(u32 c, u32* row, Pixel pixel)
{
    const i32 q[3] = {i32((c >> 8) & 15) * 17, i32((c >> 4) & 15) * 17, i32(c & 15) * 17};
    for (u32 k = 0; k < 8; ++k) {
        const i32 d = ETC2DistanceTable[k];
        for (u32 p = 0; p < 16; ++p) {
            const u8* px = pixel(p);
            u32 minus = 0, plus = 0;
            for (u32 ch = 0; ch < Channels; ++ch) {
                minus += W::kW[ch] * kSquareTable[px[ch] - kClampTable[q[ch] - d + 255] + 255];
                plus += W::kW[ch] * kSquareTable[px[ch] - kClampTable[q[ch] + d + 255] + 255];
            }
            row[16 * k + p] = std::min(minus, plus);
        }
    }
}

template <class W, u32 Channels>
void BuildFromImage(const u8* image, i32 width, i32 x, i32 y, u32 c, u32* table)
{
    const u32 index = Channels == 1 ? c >> 8 : c >> 4;
    BuildRow<W, Channels>(c, table + index * 128, [&](u32 p) { // row by row
        return image + (i64(y + i32(p / 4)) * width + x + i32(p % 4)) * 3;
    });
}

// Tested after every pixel (Every) or after pixels 0, 1, 3, 5, ..., 13.
template <u32 Shift, bool Every>
u32 PairBound(const u32 pair[2], const u32* table, u32 bound)
{
    const u32* a = table + (pair[0] >> Shift) * 128;
    const u32* b = table + (pair[1] >> Shift) * 128;
    u32 best = kSentinel;
    for (u32 k = 0; k < 8; ++k) {
        u32 sum = 0;
        for (u32 p = 0; p < 16; ++p) {
            sum += std::min(a[16 * k + p], b[16 * k + p]);
            if ((Every || p < 2 || (p % 2 == 1 && p <= 13)) && sum >= bound)
                break;
        }
        best = std::min(best, sum);
    }
    return best;
}

// The unordered pairs c1 < c2 in the nesting R1, R2, G1, G2, B1, B2; a pair replaces the best only with
// a strictly smaller error, and every test uses the current bound.
__attribute__((target_clones("avx2", "default"))) void Enumerate(const SHModeTables& t, u32& bound, u32& result,
                                                                 u32& best1, u32& best2)
{
    for (u32 r1 = 0; r1 < 16; ++r1)
        for (u32 r2 = r1; r2 < 16; ++r2) {
            const u32 red[2] = {r1 << 8, r2 << 8};
            if (HRedBound(red, t.red.get(), bound) >= bound)
                continue;
            for (u32 g1 = 0; g1 < 16; ++g1)
                for (u32 g2 = 0; g2 < 16; ++g2) {
                    const u32 redGreen[2] = {red[0] | g1 << 4, red[1] | g2 << 4};
                    if (redGreen[0] > redGreen[1] || HRedGreenBound(redGreen, t.redGreen.get(), bound) >= bound)
                        continue;
                    for (u32 b1 = 0; b1 < 16; ++b1)
                        for (u32 b2 = 0; b2 < 16; ++b2) {
                            const u32 c1 = redGreen[0] | b1, c2 = redGreen[1] | b2;
                            if (c1 >= c2)
                                continue;
                            // HColourError's value wherever it decides: the complete least sum.
                            const u32 e = kernels::PairError<false>(t.colour.get() + c1 * 128, t.colour.get() + c2 * 128);
                            if (e < bound) {
                                bound = result = e;
                                best1 = c1, best2 = c2;
                            }
                        }
                }
        }
}

struct SPerceptualH {
    using W = SPerceptualWeights;
    static u32 Start(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low)
    {
        return CompressHModeLBGPerceptual(image, width, x, y, h58, low);
    }
    static void Choose(const u8* image, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster)
    {
        ChooseHIndicesPerceptual(image, width, x, y, colours, distance, raster);
    }
};
struct SPlainH {
    using W = SPlainWeights;
    static u32 Start(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low)
    {
        return u32(CompressHModeLBG(image, width, x, y, h58, low)); // truncated
    }
    static void Choose(const u8* image, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster)
    {
        ChooseHIndices(image, width, x, y, colours, distance, raster);
    }
};

template <class W>
void Fill(const u8* image, i32 width, i32 x, i32 y, SHModeTables& t)
{
    u8 block[64];
    GatherBlockArray(image, width, x, y, block);
    kernels::PaintMinimaTable<W::kW[0], W::kW[1], W::kW[2], false>(block, t.colour.get());
    for (u32 c = 0; c < 4096; c += 16)
        BuildFromImage<W, 2>(image, width, x, y, c, t.redGreen.get());
    for (u32 c = 0; c < 4096; c += 256)
        BuildFromImage<W, 1>(image, width, x, y, c, t.red.get());
}

template <class M>
u32 Search(const u8* image, i32 width, i32 x, i32 y, u32& hWord, u32& low, u32 bound, SHModeTables& t)
{
    u32 startWord = 0, startLow = 0;
    const u32 startError = M::Start(image, width, x, y, startWord, startLow);
    u32 best1 = (startWord >> 14) & 0xFFF, best2 = (startWord >> 2) & 0xFFF;
    u32 bound2 = std::min(startError, bound), result = startError;
    FillHModeTables(image, width, x, y, std::is_same_v<typename M::W, SPerceptualWeights>, t);
    Enumerate(t, bound2, result, best1, best2);

    u8 colours[6] = {u8(best1 >> 8), u8((best1 >> 4) & 15), u8(best1 & 15),
                     u8(best2 >> 8), u8((best2 >> 4) & 15), u8(best2 & 15)};
    u8 distance = 0;
    u32 raster = 0;
    M::Choose(image, width, x, y, colours, distance, raster);
    // The colour order carries the distance's low bit; swapping moves every index to the other colour.
    if (bool(distance & 1) != (best1 >= best2)) {
        std::swap(best1, best2);
        raster ^= 0xAAAAAAAAu;
    }
    hWord = best1 << 14 | best2 << 2 | ((distance >> 1) & 3);
    low = RasterToETCIndices(raster);
    return result;
}

} // namespace

bool SHModeTables::Allocate()
{
    colour = MakeScratch<u32>(4096 * 128);
    redGreen = MakeScratch<u32>(256 * 128);
    red = MakeScratch<u32>(16 * 128);
    if (colour && redGreen && red)
        return true;
    *this = SHModeTables();
    return false;
}

void BuildHColourTable(const u8 block[64], u32 c, u32* table)
{
    BuildRow<SPlainWeights, 3>(c, table + c * 128, [&](u32 p) { return block + 4 * p; });
}
void BuildHRedGreenTable(const u8* image, i32 width, i32 x, i32 y, u32 c, u32* table)
{
    BuildFromImage<SPlainWeights, 2>(image, width, x, y, c, table);
}
void BuildHRedTable(const u8* image, i32 width, i32 x, i32 y, u32 c, u32* table)
{
    BuildFromImage<SPlainWeights, 1>(image, width, x, y, c, table);
}

void FillHModeTables(const u8* image, i32 width, i32 x, i32 y, bool perceptual, SHModeTables& tables)
{
    if (perceptual)
        Fill<SPerceptualWeights>(image, width, x, y, tables);
    else
        Fill<SPlainWeights>(image, width, x, y, tables);
}

u32 HRedBound(const u32 pair[2], const u32* redTable, u32 bound) { return PairBound<8, true>(pair, redTable, bound); }
u32 HRedGreenBound(const u32 pair[2], const u32* redGreenTable, u32 bound)
{
    return PairBound<4, true>(pair, redGreenTable, bound);
}
u32 HColourError(const u32 pair[2], const u32* colourTable, u32 bound)
{
    return PairBound<0, false>(pair, colourTable, bound);
}

u32 SearchHModeExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& hWord, u32& low, u32 bound,
                                    SHModeTables& tables)
{
    return Search<SPerceptualH>(image, width, x, y, hWord, low, bound, tables);
}

u32 SearchHModeExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& hWord, u32& low, u32 bound,
                          SHModeTables& tables)
{
    return Search<SPlainH>(image, width, x, y, hWord, low, bound, tables);
}

} // namespace xqftexture::etc
