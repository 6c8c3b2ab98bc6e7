// The exhaustive ETC1 searches and their channel stages.
#include "EtcEtc1Search.h"

#include "EtcFastEtc1.h"
#include "EtcMetrics.h"
#include "EtcTTables.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

struct SPerceptualWeights {
    static constexpr u32 kR = 299, kG = 587, kB = 114, kMaxBlockError = kMaxPerceptualError;
};
struct SPlainWeights {
    static constexpr u32 kR = 1, kG = 1, kB = 1, kMaxBlockError = u32(kMaxPlainError);
};

inline i32 Clamp255(i32 v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Whether some half's sum of its two quadrants is below bound.
inline bool AnyHalfBelow(const u32 s[4], u32 bound)
{
    return s[0] + s[1] < bound || s[0] + s[2] < bound || s[1] + s[3] < bound || s[2] + s[3] < bound;
}

// One channel stage: entries (plus the previous stage's, when there is one) of channel ch.
template <u32 Weight, u32 Channel>
i32 ChannelStage(const u8 block[64], u8 value, const QuadrantTable* previous, QuadrantTable* out, u32 bound)
{
    i32 result = 0;
    for (u32 t = 0; t < 8; ++t) {
        i32 c[4];
        for (u32 i = 0; i < 4; ++i)
            c[i] = Clamp255(value + ETC1ModifierRows[t][i]);
        u32 sums[4];
        for (u32 q = 0; q < 4; ++q) {
            u32 sum = 0;
            for (u32 k = 0; k < 4; ++k) {
                const i32 p = block[4 * (4 * q + k) + Channel];
                u32 least = ~0u;
                for (u32 i = 0; i < 4; ++i) {
                    const u32 at = 16 * t + 4 * k + i;
                    const u32 e = (previous ? previous[q][at] : 0) + Weight * u32((c[i] - p) * (c[i] - p));
                    out[q][at] = e;
                    least = std::min(least, e);
                }
                sum += least;
            }
            sums[q] = sum;
        }
        if (AnyHalfBelow(sums, bound))
            result = 1; // every row is still filled: the next stage reads them all
    }
    return result;
}

// A quadrant's error under row t with the blue candidates d (biased clamp values).
template <u32 WeightB>
inline u32 QuadrantError(const u8 block[64], u32 q, const u32* redGreen, const u32 d[4])
{
    u32 sum = 0;
    for (u32 k = 0; k < 4; ++k) {
        const u32 p = block[4 * (4 * q + k) + 2];
        u32 least = ~0u;
        for (u32 i = 0; i < 4; ++i)
            least = std::min(least, redGreen[4 * k + i] + WeightB * kSquareTable[d[i] - p]);
        sum += least;
    }
    return sum;
}

template <class W>
void HalfErrors(const u8 block[64], const u8 colour[3], const QuadrantTable* redGreen, u32& top, u32& bottom, u32& left,
                u32& right, u32 bound)
{
    top = bottom = left = right = W::kMaxBlockError;
    for (u32 t = 0; t < 8; ++t) {
        u32 d[4];
        for (u32 i = 0; i < 4; ++i)
            d[i] = kBiasedClampTable[colour[2] + ETC1ModifierRows[t][i] + 255];
        const u32 tl = QuadrantError<W::kB>(block, 0, redGreen[0] + 16 * t, d);
        const u32 br = QuadrantError<W::kB>(block, 3, redGreen[3] + 16 * t, d);
        if (tl >= bound && br >= bound)
            continue; // every half holds one of them
        const u32 tr = QuadrantError<W::kB>(block, 1, redGreen[1] + 16 * t, d);
        const u32 bl = QuadrantError<W::kB>(block, 2, redGreen[2] + 16 * t, d);
        top = std::min(top, tl + tr);
        bottom = std::min(bottom, bl + br);
        left = std::min(left, tl + bl);
        right = std::min(right, tr + br);
    }
}

// The half-block table searches of a metric, by shape.
struct SFind {
    i32 (*cols2x4)(const u8*, i32, i32, i32, const u8[3], u32&, u32&, u32&);
    i32 (*rows4x2)(const u8*, i32, i32, i32, const u8[3], u32&, u32&, u32&);
};

// Codewords and indices of a found layout: sub-block 1 at (x, y), sub-block 2 below or to the right.
void FinishBlock(const u8* image, i32 width, i32 x, i32 y, u32 flip, const u8 c1[3], const u8 c2[3], const SFind& find,
                 u32& cw1, u32& cw2, u32& low)
{
    u32 msb1 = 0, lsb1 = 0, msb2 = 0, lsb2 = 0;
    auto search = flip ? find.rows4x2 : find.cols2x4;
    search(image, width, x, y, c1, cw1, msb1, lsb1);
    search(image, width, flip ? x : x + 2, flip ? y + 2 : y, c2, cw2, msb2, lsb2);
    low = SubBlockIndices(flip, msb1, lsb1, msb2, lsb2);
}

template <class W>
struct SStages {
    static i32 Red(const u8 b[64], const u8 c[3], QuadrantTable* red, u32 bound)
    {
        return ChannelStage<W::kR, 0>(b, c[0], nullptr, red, bound);
    }
    static i32 RedGreen(const u8 b[64], const u8 c[3], const QuadrantTable* red, QuadrantTable* rg, u32 bound)
    {
        return ChannelStage<W::kG, 1>(b, c[1], red, rg, bound);
    }
};

template <class W>
u32 SearchIndividual(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound, const SFind& find,
                     u32 (*seedCompressor)(const u8*, i32, i32, i32, u32&, u32&, SIndividualAverage&))
{
    u8 block[64];
    GatherQuadrantBlockArray(image, width, x, y, block);
    SIndividualAverage seed{};
    u32 seedHigh = 0, seedLow = 0;
    const u32 seedError = seedCompressor(image, width, x, y, seedHigh, seedLow, seed);
    enum { kTop, kBottom, kLeft, kRight };
    u32 best[4] = {seed.errorTop, seed.errorBottom, seed.errorLeft, seed.errorRight};
    u32 colours[4][3];
    std::copy_n(seed.top, 3, colours[kTop]);
    std::copy_n(seed.bottom, 3, colours[kBottom]);
    std::copy_n(seed.left, 3, colours[kLeft]);
    std::copy_n(seed.right, 3, colours[kRight]);
    u32 running = std::min(seedError, bound);
    QuadrantTable red[4], redGreen[4];
    for (u32 r = 0; r < 16; ++r) {
        const u8 cr[3] = {u8(17 * r), 0, 0};
        if (!SStages<W>::Red(block, cr, red, running))
            continue;
        for (u32 g = 0; g < 16; ++g) {
            const u8 crg[3] = {u8(17 * r), u8(17 * g), 0};
            if (!SStages<W>::RedGreen(block, crg, red, redGreen, running))
                continue;
            bool changed = false;
            for (u32 b = 0; b < 16; ++b) {
                const u8 c[3] = {u8(17 * r), u8(17 * g), u8(17 * b)};
                u32 e[4];
                HalfErrors<W>(block, c, redGreen, e[kTop], e[kBottom], e[kLeft], e[kRight], running);
                for (u32 h = 0; h < 4; ++h)
                    if (e[h] < best[h]) {
                        best[h] = e[h];
                        colours[h][0] = r, colours[h][1] = g, colours[h][2] = b;
                        changed = true;
                    }
            }
            if (changed) // the bound falls only between blue sweeps
                running = std::min({running, best[kTop] + best[kBottom], best[kLeft] + best[kRight]});
        }
    }
    const u32 flip = best[kTop] + best[kBottom] < best[kLeft] + best[kRight] ? 1 : 0;
    const u32* c1 = colours[flip ? kTop : kLeft];
    const u32* c2 = colours[flip ? kBottom : kRight];
    const u8 wide1[3] = {u8(17 * c1[0]), u8(17 * c1[1]), u8(17 * c1[2])};
    const u8 wide2[3] = {u8(17 * c2[0]), u8(17 * c2[1]), u8(17 * c2[2])};
    u32 cw1 = 0, cw2 = 0;
    FinishBlock(image, width, x, y, flip, wide1, wide2, find, cw1, cw2, low);
    high = c1[0] << 28 | (c2[0] & 15) << 24 | (c1[1] & 15) << 20 | (c2[1] & 15) << 16 | (c1[2] & 15) << 12 |
           (c2[2] & 15) << 8 | (cw1 & 7) << 5 | (cw2 & 7) << 2 | flip;
    return flip ? best[kTop] + best[kBottom] : best[kLeft] + best[kRight];
}

// The seed of the differential search: its error, colours and flip.
struct SDifferentialSeed {
    u32 error = 0;
    u32 c1[3] = {}, c2[3] = {}, flip = 0;
};

template <class W, bool Perceptual>
u32 SearchDifferential(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound,
                       SDifferentialTables& tables, const SDifferentialSeed& seed, const SFind& find)
{
    u8 block[64];
    GatherQuadrantBlockArray(image, width, x, y, block);
    u32 bestError = seed.error, c1[3], c2[3], flip = seed.flip;
    std::copy_n(seed.c1, 3, c1);
    std::copy_n(seed.c2, 3, c2);
    u32 level = std::min(seed.error, bound);
    u32 *top = tables.top.get(), *bottom = tables.bottom.get(), *left = tables.left.get(), *right = tables.right.get();
    // The fill: the level stays fixed; pruned reds and greens preset their entries.
    QuadrantTable red[4], redGreen[4];
    for (u32 r = 0; r < 32; ++r) {
        const u8 cr[3] = {u8(Expand5(r)), 0, 0};
        if (!SStages<W>::Red(block, cr, red, level)) {
            std::fill_n(top + r * 1024, 1024, W::kMaxBlockError);
            std::fill_n(bottom + r * 1024, 1024, W::kMaxBlockError);
            std::fill_n(left + r * 1024, 1024, W::kMaxBlockError);
            std::fill_n(right + r * 1024, 1024, W::kMaxBlockError);
            continue;
        }
        for (u32 g = 0; g < 32; ++g) {
            const u32 at = (r * 32 + g) * 32;
            const u8 crg[3] = {u8(Expand5(r)), u8(Expand5(g)), 0};
            if (!SStages<W>::RedGreen(block, crg, red, redGreen, level)) {
                std::fill_n(top + at, 32, W::kMaxBlockError);
                std::fill_n(bottom + at, 32, W::kMaxBlockError);
                std::fill_n(left + at, 32, W::kMaxBlockError);
                std::fill_n(right + at, 32, W::kMaxBlockError);
                continue;
            }
            for (u32 b = 0; b < 32; ++b) {
                const u8 c[3] = {u8(Expand5(r)), u8(Expand5(g)), u8(Expand5(b))};
                HalfErrors<W>(block, c, redGreen, top[at + b], bottom[at + b], left[at + b], right[at + b], level);
            }
        }
    }
    // The pairing. Perceptual: one level, lowered at every acceptance. Plain: pairs are accepted below
    // the best error, and the level of the colour-1 test follows it after each colour 1.
    u32& accept = Perceptual ? level : bestError;
    for (u32 r1 = 0; r1 < 32; ++r1)
        for (u32 g1 = 0; g1 < 32; ++g1)
            for (u32 b1 = 0; b1 < 32; ++b1) {
                const u32 j1 = (r1 * 32 + g1) * 32 + b1;
                const u32 t = top[j1], l = left[j1];
                if (t >= level && l >= level)
                    continue;
                for (u32 r2 = r1 >= 4 ? r1 - 4 : 0; r2 <= std::min(r1 + 3, 31u); ++r2)
                    for (u32 g2 = g1 >= 4 ? g1 - 4 : 0; g2 <= std::min(g1 + 3, 31u); ++g2)
                        for (u32 b2 = b1 >= 4 ? b1 - 4 : 0; b2 <= std::min(b1 + 3, 31u); ++b2) {
                            const u32 j2 = (r2 * 32 + g2) * 32 + b2;
                            u32 e = t + bottom[j2];
                            if (e < accept) {
                                accept = e, bestError = e, flip = 1;
                                c1[0] = r1, c1[1] = g1, c1[2] = b1, c2[0] = r2, c2[1] = g2, c2[2] = b2;
                            }
                            e = l + right[j2];
                            if (e < accept) {
                                accept = e, bestError = e, flip = 0;
                                c1[0] = r1, c1[1] = g1, c1[2] = b1, c2[0] = r2, c2[1] = g2, c2[2] = b2;
                            }
                        }
                if (!Perceptual)
                    level = std::min(level, bestError);
            }
    const u8 wide1[3] = {u8(Expand5(c1[0])), u8(Expand5(c1[1])), u8(Expand5(c1[2]))};
    const u8 wide2[3] = {u8(Expand5(c2[0])), u8(Expand5(c2[1])), u8(Expand5(c2[2]))};
    u32 cw1 = 0, cw2 = 0;
    FinishBlock(image, width, x, y, flip, wide1, wide2, find, cw1, cw2, low);
    high = c1[0] << 27 | ((c2[0] - c1[0]) & 7) << 24 | c1[1] << 19 | ((c2[1] - c1[1]) & 7) << 16 | c1[2] << 11 |
           ((c2[2] - c1[2]) & 7) << 8 | (cw1 & 7) << 5 | (cw2 & 7) << 2 | 2 | flip;
    return bestError;
}

constexpr SFind kFindPlain{FindHalfBlockTable2x4, FindHalfBlockTable4x2};
constexpr SFind kFindPerceptual{FindHalfBlockTable2x4Perceptual, FindHalfBlockTable4x2Perceptual};

inline i32 Delta3(u32 d) { return i32(d & 3) - i32(d & 4); }

} // namespace

void GatherQuadrantBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64])
{
    for (i32 r = 0; r < 4; ++r)
        for (i32 c = 0; c < 4; ++c) {
            const u8* p = rgb + (i64(y + r) * width + x + c) * 3;
            const i32 record = 4 * (2 * (r / 2) + c / 2) + 2 * (c % 2) + r % 2;
            u8* out = block + 4 * record;
            out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0;
        }
}

i32 BuildETC1RedTablesPerceptual(const u8 block[64], const u8 colour[3], QuadrantTable* red, u32 bound)
{
    return SStages<SPerceptualWeights>::Red(block, colour, red, bound);
}
i32 BuildETC1RedTables(const u8 block[64], const u8 colour[3], QuadrantTable* red, u32 bound)
{
    return SStages<SPlainWeights>::Red(block, colour, red, bound);
}
i32 BuildETC1RedGreenTablesPerceptual(const u8 block[64], const u8 colour[3], const QuadrantTable* red,
                                      QuadrantTable* redGreen, u32 bound)
{
    return SStages<SPerceptualWeights>::RedGreen(block, colour, red, redGreen, bound);
}
i32 BuildETC1RedGreenTables(const u8 block[64], const u8 colour[3], const QuadrantTable* red, QuadrantTable* redGreen,
                            u32 bound)
{
    return SStages<SPlainWeights>::RedGreen(block, colour, red, redGreen, bound);
}
void ETC1HalfErrorsPerceptual(const u8 block[64], const u8 colour[3], const QuadrantTable* redGreen, u32& top,
                              u32& bottom, u32& left, u32& right, u32 bound)
{
    HalfErrors<SPerceptualWeights>(block, colour, redGreen, top, bottom, left, right, bound);
}
void ETC1HalfErrors(const u8 block[64], const u8 colour[3], const QuadrantTable* redGreen, u32& top, u32& bottom,
                    u32& left, u32& right, u32 bound)
{
    HalfErrors<SPlainWeights>(block, colour, redGreen, top, bottom, left, right, bound);
}

u32 SearchETC1IndividualExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound)
{
    return SearchIndividual<SPerceptualWeights>(image, width, x, y, high, low, bound, kFindPerceptual,
                                                CompressETC1IndividualAveragePerceptual);
}

u32 SearchETC1IndividualExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound)
{
    return SearchIndividual<SPlainWeights>(image, width, x, y, high, low, bound, kFindPlain,
                                           CompressETC1IndividualAverage);
}

bool SDifferentialTables::Allocate()
{
    top = MakeScratch<u32>(32768);
    bottom = MakeScratch<u32>(32768);
    left = MakeScratch<u32>(32768);
    right = MakeScratch<u32>(32768);
    if (top && bottom && left && right)
        return true;
    *this = SDifferentialTables();
    return false;
}

u32 SearchETC1DifferentialExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low,
                                               u32 bound, SDifferentialTables& tables)
{
    SDifferentialSeed seed;
    u32 seedHigh = 0, seedLow = 0;
    seed.error = CompressETC1DifferentialAveragePerceptual(image, width, x, y, seedHigh, seedLow);
    // The colours and flip from the seed's high word.
    const u32 fields[3] = {27, 19, 11};
    for (u32 c = 0; c < 3; ++c) {
        seed.c1[c] = (seedHigh >> fields[c]) & 31;
        seed.c2[c] = u32(i32(seed.c1[c]) + Delta3(seedHigh >> (fields[c] - 3)));
    }
    seed.flip = seedHigh & 1;
    return SearchDifferential<SPerceptualWeights, true>(image, width, x, y, high, low, bound, tables, seed,
                                                        kFindPerceptual);
}

u32 SearchETC1DifferentialExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& high, u32& low, u32 bound,
                                     SDifferentialTables& tables)
{
    SDifferentialSeed seed;
    SDifferentialAverage average{};
    u32 seedHigh = 0, seedLow = 0;
    seed.error = CompressETC1DifferentialAverage(image, width, x, y, seedHigh, seedLow, average);
    std::copy_n(average.colour1, 3, seed.c1);
    std::copy_n(average.colour2, 3, seed.c2);
    seed.flip = average.flip;
    return SearchDifferential<SPlainWeights, false>(image, width, x, y, high, low, bound, tables, seed, kFindPlain);
}

} // namespace xqftexture::etc
