// Fast ETC1 from half-block averages.
#include "EtcFastEtc1.h"

#include "EtcMetrics.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

using QuantiseFn = void (*)(const float avg[3], u32 q[3], u8 expanded[3]);
using HalfSearchFn = i32 (*)(const u8*, i32, i32, i32, const u8[3], u32&, u32&, u32&);

// The table searches of one metric, by half-block shape.
struct SSearch {
    HalfSearchFn cols2x4, rows4x2;
};
constexpr SSearch kPlain{FindHalfBlockTable2x4, FindHalfBlockTable4x2};
constexpr SSearch kPerceptual{FindHalfBlockTable2x4Perceptual, FindHalfBlockTable4x2Perceptual};
constexpr SSearch kPerceptualFloat{FindHalfBlockTable2x4PerceptualFloat, FindHalfBlockTable4x2PerceptualFloat};

template <u32 Bits>
u32 Expand(u32 q)
{
    return Bits == 4 ? Expand4(q) : Expand5(q);
}

// Balanced quantisation, single precision throughout. Combinations by which channels take the upper
// level, in the order they are tried: none, R, G, B, RG, RB, GB, all.
template <u32 Bits>
void QuantiseBalanced(const float avg[3], u32 q[3], u8 expanded[3], float wRG, float wRB, float wGB,
                      bool intensityRule)
{
    constexpr u32 maxLevel = (1u << Bits) - 1;
    const float step = Bits == 4 ? 17.0f : 8.225806f;
    u32 lo[3], hi[3];
    float eLo[3], eHi[3];
    for (u32 c = 0; c < 3; ++c) {
        lo[c] = std::min(u32(avg[c] / step), maxLevel);
        hi[c] = std::min(lo[c] + 1, maxLevel);
        eLo[c] = float(Expand<Bits>(lo[c])) - avg[c];
        eHi[c] = eLo[c] + float(Expand<Bits>(hi[c]) - Expand<Bits>(lo[c]));
    }
    static constexpr u8 kUpper[8] = {0, 1, 2, 4, 3, 5, 6, 7}; // bit 0 R, bit 1 G, bit 2 B
    u32 best = 0;
    float bestCost = 0;
    for (u32 k = 0; k < 8; ++k) {
        const float eR = kUpper[k] & 1 ? eHi[0] : eLo[0], eG = kUpper[k] & 2 ? eHi[1] : eLo[1],
                    eB = kUpper[k] & 4 ? eHi[2] : eLo[2];
        const float cost = wRG * ((eR - eG) * (eR - eG)) + wRB * ((eR - eB) * (eR - eB)) + wGB * ((eG - eB) * (eG - eB));
        if (k == 0 || cost < bestCost)
            best = k, bestCost = cost;
    }
    // All levels low or all high cost the same to the modifiers: the brighter error decides.
    if (intensityRule && (best == 0 || best == 7))
        best = eLo[0] * eLo[0] + eLo[1] * eLo[1] + eLo[2] * eLo[2] > 192.0f ? 7 : 0;
    for (u32 c = 0; c < 3; ++c) {
        q[c] = (kUpper[best] >> c) & 1 ? hi[c] : lo[c];
        expanded[c] = u8(Expand<Bits>(q[c]));
    }
}

constexpr float kPerceptualRG = 0.175513f, kPerceptualRB = 0.034086f, kPerceptualGB = 0.066918f;

// The rounding rules, in double precision.
u32 Round5(float avg) { return u32(double(avg) * 31.0 / 255.0 + 0.5); }
u32 Round4(float avg) { return u32(double(avg) / 17.0 + 0.5 + 0.0001); }
u32 Round4Individual(float avg) { return u32(double(avg) * 15.0 / 255.0 + 0.5); }

void QuantiseRounded555(const float avg[3], u32 q[3], u8 expanded[3])
{
    for (u32 c = 0; c < 3; ++c)
        q[c] = Round5(avg[c]), expanded[c] = u8(Expand5(q[c]));
}

void QuantiseRounded444(const float avg[3], u32 q[3], u8 expanded[3])
{
    for (u32 c = 0; c < 3; ++c)
        q[c] = Round4(avg[c]), expanded[c] = u8(Expand4(q[c]));
}

void QuantiseRoundedIndividual(const float avg[3], u32 q[3], u8 expanded[3])
{
    for (u32 c = 0; c < 3; ++c)
        q[c] = Round4Individual(avg[c]), expanded[c] = u8(Expand4(q[c]));
}

// The two half-blocks of one orientation: their averages and their positions.
struct SHalves {
    u32 flip;
    i32 x1, y1, x2, y2;
    float avg1[3], avg2[3];
    SHalves(const u8* pixels, i32 width, i32 x, i32 y, u32 flipped)
        : flip(flipped), x1(x), y1(y), x2(flipped ? x : x + 2), y2(flipped ? y + 2 : y)
    {
        auto average = flipped ? ComputeAverageColour4x2 : ComputeAverageColour2x4;
        average(pixels, width, x1, y1, avg1);
        average(pixels, width, x2, y2, avg2);
    }
};

struct SEncoded {
    u32 high = 0, low = 0;
    i32 error1 = 0, error2 = 0;
    i32 Error() const { return error1 + error2; }
};

// Searches both halves' tables for the two 8-bit colours and packs the block; colourBits holds the
// colour fields and the diff bit.
SEncoded EncodeHalves(const u8* pixels, i32 width, const SHalves& h, const u8 c1[3], const u8 c2[3], u32 colourBits,
                      const SSearch& search)
{
    const HalfSearchFn find = h.flip ? search.rows4x2 : search.cols2x4;
    u32 t1 = 0, msb1 = 0, lsb1 = 0, t2 = 0, msb2 = 0, lsb2 = 0;
    SEncoded e;
    e.error1 = find(pixels, width, h.x1, h.y1, c1, t1, msb1, lsb1);
    e.error2 = find(pixels, width, h.x2, h.y2, c2, t2, msb2, lsb2);
    e.high = colourBits | t1 << 5 | t2 << 2 | h.flip;
    e.low = SubBlockIndices(h.flip, msb1, lsb1, msb2, lsb2);
    return e;
}

u32 IndividualBits(const u32 q1[3], const u32 q2[3])
{
    return q1[0] << 28 | q2[0] << 24 | q1[1] << 20 | q2[1] << 16 | q1[2] << 12 | q2[2] << 8;
}

u32 DifferentialBits(const u32 q1[3], const u32 q2[3])
{
    return q1[0] << 27 | ((q2[0] - q1[0]) & 7) << 24 | q1[1] << 19 | ((q2[1] - q1[1]) & 7) << 16 | q1[2] << 11 |
           ((q2[2] - q1[2]) & 7) << 8 | 2;
}

bool WithinDelta(const u32 q1[3], const u32 q2[3])
{
    for (u32 c = 0; c < 3; ++c) {
        const i32 d = i32(q2[c]) - i32(q1[c]);
        if (d < -4 || d > 3)
            return false;
    }
    return true;
}

// The unflipped orientation, then the flipped one, kept only when its error is strictly smaller;
// encode(halves) makes an orientation's block. Returns the kept orientation's flip.
template <class Encode>
u32 BestOrientation(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low, i32& error, Encode encode)
{
    SEncoded best;
    u32 kept = 0;
    for (u32 flip = 0; flip < 2; ++flip) {
        const SEncoded e = encode(SHalves(pixels, width, x, y, flip));
        if (flip == 0 || e.Error() < best.Error())
            best = e, kept = flip;
    }
    high = best.high, low = best.low, error = best.Error();
    return kept;
}

// The combined compressors: per orientation differential when the 5-bit colours allow it, else
// individual; the modes are not compared by error.
i32 CompressCombined(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low, QuantiseFn quantise5,
                     QuantiseFn quantise4, const SSearch& search)
{
    i32 error = 0;
    BestOrientation(pixels, width, x, y, high, low, error, [&](const SHalves& h) {
        u32 q1[3], q2[3];
        u8 c1[3], c2[3];
        quantise5(h.avg1, q1, c1);
        quantise5(h.avg2, q2, c2);
        if (WithinDelta(q1, q2))
            return EncodeHalves(pixels, width, h, c1, c2, DifferentialBits(q1, q2), search);
        quantise4(h.avg1, q1, c1);
        quantise4(h.avg2, q2, c2);
        return EncodeHalves(pixels, width, h, c1, c2, IndividualBits(q1, q2), search);
    });
    return error;
}

u32 CompressIndividual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low, SIndividualAverage& out,
                       const SSearch& search)
{
    i32 error = 0;
    const u32 flip = BestOrientation(pixels, width, x, y, high, low, error, [&](const SHalves& h) {
        u32* q1 = h.flip ? out.top : out.left;
        u32* q2 = h.flip ? out.bottom : out.right;
        u8 c1[3], c2[3];
        QuantiseRoundedIndividual(h.avg1, q1, c1);
        QuantiseRoundedIndividual(h.avg2, q2, c2);
        const SEncoded e = EncodeHalves(pixels, width, h, c1, c2, IndividualBits(q1, q2), search);
        (h.flip ? out.errorTop : out.errorLeft) = u32(e.error1);
        (h.flip ? out.errorBottom : out.errorRight) = u32(e.error2);
        return e;
    });
    std::copy_n(flip ? out.top : out.left, 3, out.colour1);
    std::copy_n(flip ? out.bottom : out.right, 3, out.colour2);
    out.flip = flip;
    return u32(error);
}

// commonColour: the colour both halves share when their rounded colours are too far apart.
template <class CommonColour>
u32 CompressDifferential(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low, SDifferentialAverage& out,
                         const SSearch& search, CommonColour commonColour)
{
    u32 colours[2][2][3]; // by flip: colour 1, colour 2
    i32 error = 0;
    const u32 flip = BestOrientation(pixels, width, x, y, high, low, error, [&](const SHalves& h) {
        u32* q1 = colours[h.flip][0];
        u32* q2 = colours[h.flip][1];
        u8 c1[3], c2[3];
        QuantiseRounded555(h.avg1, q1, c1);
        QuantiseRounded555(h.avg2, q2, c2);
        if (!WithinDelta(q1, q2)) {
            for (u32 c = 0; c < 3; ++c) {
                q1[c] = q2[c] = commonColour(h, q1, q2, c);
                c1[c] = c2[c] = u8(Expand5(q1[c]));
            }
        }
        return EncodeHalves(pixels, width, h, c1, c2, DifferentialBits(q1, q2), search);
    });
    std::copy_n(colours[flip][0], 3, out.colour1);
    std::copy_n(colours[flip][1], 3, out.colour2);
    out.flip = flip;
    return u32(error);
}

} // namespace

void QuantiseColourBalanced444(const float avg[3], u32 q[3], u8 expanded[3])
{
    QuantiseBalanced<4>(avg, q, expanded, 1.0f, 1.0f, 1.0f, true);
}

void QuantiseColourBalanced555(const float avg[3], u32 q[3], u8 expanded[3])
{
    QuantiseBalanced<5>(avg, q, expanded, 1.0f, 1.0f, 1.0f, false);
}

void QuantiseColourBalanced444Perceptual(const float avg[3], u32 q[3], u8 expanded[3])
{
    QuantiseBalanced<4>(avg, q, expanded, kPerceptualRG, kPerceptualRB, kPerceptualGB, false);
}

void QuantiseColourBalanced555Perceptual(const float avg[3], u32 q[3], u8 expanded[3])
{
    QuantiseBalanced<5>(avg, q, expanded, kPerceptualRG, kPerceptualRB, kPerceptualGB, false);
}

void CompressETC1AverageRounded(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    CompressCombined(pixels, width, x, y, high, low, QuantiseRounded555, QuantiseRounded444, kPlain);
}

double CompressETC1AverageRoundedPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    return CompressCombined(pixels, width, x, y, high, low, QuantiseRounded555, QuantiseRounded444, kPerceptualFloat);
}

void CompressETC1AverageBalanced(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    CompressCombined(pixels, width, x, y, high, low, QuantiseColourBalanced555, QuantiseColourBalanced444, kPlain);
}

i32 CompressETC1AverageBest(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    // The searches' errors are the blocks' errors under the plain metric, so neither block needs
    // decoding to be measured.
    const i32 rounded = CompressCombined(pixels, width, x, y, high, low, QuantiseRounded555, QuantiseRounded444, kPlain);
    u32 high2 = 0, low2 = 0;
    const i32 balanced = CompressCombined(pixels, width, x, y, high2, low2, QuantiseColourBalanced555,
                                          QuantiseColourBalanced444, kPlain);
    if (balanced >= rounded)
        return rounded;
    high = high2, low = low2;
    return balanced;
}

void CompressETC1AverageBalancedPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    CompressCombined(pixels, width, x, y, high, low, QuantiseColourBalanced555Perceptual,
                     QuantiseColourBalanced444Perceptual, kPerceptualFloat);
}

u32 CompressETC1IndividualAverage(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                  SIndividualAverage& out)
{
    return CompressIndividual(pixels, width, x, y, high, low, out, kPlain);
}

u32 CompressETC1IndividualAveragePerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                            SIndividualAverage& out)
{
    return CompressIndividual(pixels, width, x, y, high, low, out, kPerceptual);
}

u32 CompressETC1DifferentialAverage(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                    SDifferentialAverage& out)
{
    // The rounded mean of the two single-precision averages (added first).
    return CompressDifferential(pixels, width, x, y, high, low, out, kPlain,
                                [](const SHalves& h, const u32*, const u32*, u32 c) {
                                    return u32((h.avg1[c] + h.avg2[c]) * 0.5 * 31.0 / 255.0 + 0.5);
                                });
}

u32 CompressETC1DifferentialAveragePerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    SDifferentialAverage unused;
    // The mean of the two rounded 5-bit colours.
    return CompressDifferential(pixels, width, x, y, high, low, unused, kPerceptual,
                                [](const SHalves&, const u32* q1, const u32* q2, u32 c) { return (q1[c] + q2[c]) >> 1; });
}

} // namespace xqftexture::etc
