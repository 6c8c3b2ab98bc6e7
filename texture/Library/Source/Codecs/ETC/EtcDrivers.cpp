// The block drivers: candidates decoded and measured, the first with the least error kept.
#include "EtcDrivers.h"

#include "EtcCluster.h"
#include "EtcFastEtc1.h"
#include "EtcHMode.h"
#include "EtcMetrics.h"
#include "EtcPlanarFit.h"
#include "EtcPlanes.h"
#include "EtcPunchThrough.h"
#include "PixelFormat.h"

#include "DebugOutput.h"

#include <algorithm>
#include <cstring>

namespace xqftexture::etc {

namespace {

using AverageFn = void (*)(const u8*, i32, i32, i32, u32&, u32&);
using BlockErrorFn = double (*)(const u8*, const u8*, i32, i32, i32);

double BestOfTwo(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low, AverageFn first,
                 AverageFn second, BlockErrorFn measure)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    first(rgb, s, x, y, high, low);
    DecodeETC1Block(high, low, decodedRgb, s, x, y);
    double error = measure(rgb, decodedRgb, s, x, y);
    u32 high2 = 0, low2 = 0;
    second(rgb, s, x, y, high2, low2);
    DecodeETC1Block(high2, low2, decodedRgb, s, x, y);
    const double error2 = measure(rgb, decodedRgb, s, x, y);
    if (error2 < error) {
        high = high2;
        low = low2;
        error = error2;
    }
    return error;
}

void RoundedPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low)
{
    CompressETC1AverageRoundedPerceptual(pixels, width, x, y, high, low);
}

} // namespace

double CompressETC1BlockFast(const u8* rgb, u8* /*decodedRgb*/, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    return CompressETC1AverageBest(rgb, i32(stride), i32(x0), i32(y0), high, low);
}

void CompressETC1BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    BestOfTwo(rgb, decodedRgb, stride, x0, y0, high, low, RoundedPerceptual, CompressETC1AverageBalancedPerceptual,
              ComputeBlockErrorPerceptual);
}

namespace {

enum class EMode { Other, T, H };

// The kept candidate of an ETC2 driver.
struct SBest {
    u32 high = 0, low = 0;
    double error = 0;
    EMode mode = EMode::Other;
    // A later candidate replaces the kept one only when strictly better.
    void Consider(u32 h, u32 l, double e, EMode m)
    {
        if (error > e)
            high = h, low = l, error = e, mode = m;
    }
};

// The candidates after ETC1: planar, T and H in this order, then the refinement of a winning T or H
// block. Perceptual: the perceptual fits, errors as the perceptual metric times 1000.
template <bool Perceptual>
void Etc2Candidates(const u8* rgb, u8* decoded, u32 stride, u32 x0, u32 y0, SBest& best)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    auto measure = [&] {
        return Perceptual ? 1000.0 * ComputeBlockErrorPerceptual(rgb, decoded, s, x, y)
                          : ComputeBlockErrorPlain(rgb, decoded, s, x, y);
    };
    u32 a = 0, b = 0, high = 0, low = 0;
    FitPlanarBlock(rgb, s, x, y, a, b);
    DecodeETC2PlanarBlock(a, b, decoded, s, x, y);
    PackPlanarBlock(a, b, high, low);
    best.Consider(high, low, measure(), EMode::Other);

    u32 t59 = 0;
    if (Perceptual)
        CompressTModeLBGPerceptual(rgb, s, x, y, t59, low);
    else
        CompressTModeLBG(rgb, s, x, y, t59, low);
    DecodeETC2TBlock(t59, low, decoded, s, x, y);
    best.Consider(PackTBlockHigh(t59), low, measure(), EMode::T);

    u32 h58 = 0;
    if (Perceptual)
        CompressHModeLBGPerceptual(rgb, s, x, y, h58, low);
    else
        CompressHModeLBG(rgb, s, x, y, h58, low);
    DecodeETC2HBlock(h58, low, decoded, s, x, y);
    best.Consider(PackHBlockHigh(h58), low, measure(), EMode::H);

    if (best.mode == EMode::T) {
        CompressTModeLBGMulti(rgb, s, x, y, t59, low);
        DecodeETC2TBlock(t59, low, decoded, s, x, y);
        best.Consider(PackTBlockHigh(t59), low, measure(), EMode::T);
    } else if (best.mode == EMode::H) {
        CompressHModeLBGMulti(rgb, s, x, y, h58, low);
        DecodeETC2HBlock(h58, low, decoded, s, x, y);
        best.Consider(PackHBlockHigh(h58), low, measure(), EMode::H);
    }
}

// Decodes a candidate with transparency into decodedRgb at (x0, y0); the alpha it decodes is not
// needed (the input's alpha decides which pixels count).
template <class Decode>
void DecodeWithAlpha(u8* decodedRgb, u32 stride, u32 x0, u32 y0, Decode decode)
{
    u8 rgb[48], alpha[16];
    decode(rgb, alpha);
    for (u32 y = 0; y < 4; ++y)
        std::memcpy(decodedRgb + (u64(y0 + y) * stride + x0) * 3, rgb + 12 * y, 12);
}

double PunchThroughFast(const u8* rgb, const u8* alpha, u8* decoded, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    auto measure = [&] { return PunchThroughBlockError(rgb, decoded, alpha, s, x, y); };
    SBest best;
    u32 h = 0, l = 0;
    const i32 reported = CompressPunchThroughDifferential(1, rgb, alpha, s, x0, y0, h, l);
    DecodeWithAlpha(decoded, stride, x0, y0, [&](u8* c, u8* a) { DecodeETC2DifferentialAlphaBlock(h, l, c, a, 4, 0, 0); });
    best.high = h, best.low = l, best.error = measure();
    if (double(reported) != best.error) // a consistency report; the measured error counts
        DebugOutputPrintf("testerr: %d, etcerr: %lf\n", reported, best.error);

    u32 t59 = 0;
    CompressPunchThroughT(rgb, alpha, stride, x0, y0, t59, l);
    DecodeWithAlpha(decoded, stride, x0, y0, [&](u8* c, u8* a) { DecodeETC2TAlphaBlock(t59, l, c, a, 4, 0, 0); });
    best.Consider(PackTBlockHigh(t59) & ~2u, l, measure(), EMode::T); // opaque bit clear

    u32 h58 = 0;
    CompressHModeLBGPunchThrough(rgb, alpha, s, x, y, h58, l);
    DecodeWithAlpha(decoded, stride, x0, y0, [&](u8* c, u8* a) { DecodeETC2HAlphaBlock(h58, l, c, a, 4, 0, 0); });
    best.Consider(PackHBlockHigh(h58) & ~2u, l, measure(), EMode::H);

    if (!BlockHasTransparency(alpha, x, y, s)) {
        // Fully opaque: the opaque candidates as for ETC2 RGB8, all with the opaque bit set.
        CompressPunchThroughDifferential(0, rgb, alpha, s, x0, y0, h, l);
        DecodeETC1Block(h, l, decoded, s, x, y);
        best.Consider(h, l, ComputeBlockErrorPlain(rgb, decoded, s, x, y), EMode::Other);
        Etc2Candidates<false>(rgb, decoded, stride, x0, y0, best);
    }
    high = best.high;
    low = best.low;
    return best.error;
}

} // namespace

bool SExhaustiveScratch::Allocate(bool etc2)
{
    if (!differential && !differential.Allocate())
        return false;
    if (!etc2)
        return true;
    return (tModes.colourSplit || tModes.Allocate()) && (hModes.colour || hModes.Allocate()) &&
           (planar.column || planar.Allocate());
}

void CompressETC1BlockExhaustive(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low,
                                 SExhaustiveScratch& scratch)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    const u32 e0 = u32(CompressETC1BlockFast(rgb, decodedRgb, stride, x0, y0, high, low));
    const u32 bound = std::min(e0, u32(kMaxPlainError));
    u32 h1 = 0, l1 = 0, h2 = 0, l2 = 0;
    const u32 e1 = SearchETC1IndividualExhaustive(rgb, s, x, y, h1, l1, bound);
    const u32 e2 = SearchETC1DifferentialExhaustive(rgb, s, x, y, h2, l2, std::min(e1, bound), scratch.differential);
    u32 best = e2, fastHigh = high, fastLow = low;
    high = h2, low = l2;
    if (e1 < best)
        best = e1, high = h1, low = l1;
    if (e0 < best)
        high = fastHigh, low = fastLow;
}

void CompressETC1BlockExhaustivePerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                           u32& low, SExhaustiveScratch& scratch)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    CompressETC1BlockFastPerceptual(rgb, decodedRgb, stride, x0, y0, high, low);
    DecodeETC1Block(high, low, decodedRgb, s, x, y);
    const u32 e0 = u32(1000.0 * ComputeBlockErrorPerceptual(rgb, decodedRgb, s, x, y));
    const u32 bound = std::min(e0, kMaxPerceptualError);
    u32 h1 = 0, l1 = 0, h2 = 0, l2 = 0;
    const u32 e1 = SearchETC1DifferentialExhaustivePerceptual(rgb, s, x, y, h1, l1, bound, scratch.differential);
    const u32 e2 = SearchETC1IndividualExhaustivePerceptual(rgb, s, x, y, h2, l2, std::min(e1, bound));
    u32 best = e0;
    if (e1 < best)
        best = e1, high = h1, low = l1;
    if (e2 < best)
        high = h2, low = l2;
}

namespace {

// The exhaustive ETC2 drivers; the perceptual twin measures errors as the perceptual metric times 1000
// (truncated) and weighs the planar channel errors.
template <bool Perceptual>
void Etc2Exhaustive(const u8* rgb, u8* decoded, u32 stride, u32 x0, u32 y0, u32& high, u32& low,
                    SExhaustiveScratch& scratch)
{
    const i32 s = i32(stride), x = i32(x0), y = i32(y0);
    auto measure = [&] {
        return Perceptual ? u32(1000.0 * ComputeBlockErrorPerceptual(rgb, decoded, s, x, y))
                          : u32(ComputeBlockErrorPlain(rgb, decoded, s, x, y));
    };
    // The ETC1 fast block, decoded and measured.
    u32 etc1High = 0, etc1Low = 0;
    if (Perceptual)
        CompressETC1BlockFastPerceptual(rgb, decoded, stride, x0, y0, etc1High, etc1Low);
    else
        CompressETC1BlockFast(rgb, decoded, stride, x0, y0, etc1High, etc1Low);
    DecodeETC1Block(etc1High, etc1Low, decoded, s, x, y);
    const u32 e0 = measure();
    const u32 bound0 = std::min(e0, Perceptual ? kMaxPerceptualError : u32(kMaxPlainError));
    // The least-squares planar block, with its channel errors.
    u32 pa = 0, pb = 0, errR = 0, errG = 0, errB = 0;
    FitPlanarBlock(rgb, s, x, y, pa, pb);
    DecodePlanarBlockWithErrors(pa, pb, decoded, s, x, y, rgb, errR, errG, errB);
    const u32 p = measure();
    // The LBG T and H blocks only lower the bound.
    u32 word = 0, lowWord = 0;
    const u32 t = Perceptual ? u32(CompressTModeLBGPerceptual(rgb, s, x, y, word, lowWord))
                             : u32(CompressTModeLBG(rgb, s, x, y, word, lowWord));
    const u32 h = Perceptual ? CompressHModeLBGPerceptual(rgb, s, x, y, word, lowWord)
                             : u32(CompressHModeLBG(rgb, s, x, y, word, lowWord));
    u32 bound = std::min({h, t, bound0, p});

    struct SCandidate {
        u32 high = 0, low = 0, error = ~0u;
    } differential, individual, planar, hMode, tMode;
    auto planarSearch = [&] {
        u32 w1 = 0, w2 = 0;
        if (Perceptual)
            SearchPlanarExhaustivePerceptual(rgb, s, x, y, w1, w2, bound, errR * 299, errG * 587, errB * 114,
                                             scratch.planar);
        else
            SearchPlanarExhaustive(rgb, s, x, y, w1, w2, bound, errR, errG, errB, scratch.planar);
        DecodeETC2PlanarBlock(w1, w2, decoded, s, x, y);
        planar.error = measure();
        PackPlanarBlock(w1, w2, planar.high, planar.low);
        bound = std::min(bound, planar.error);
    };
    auto differentialSearch = [&] {
        differential.error = Perceptual ? SearchETC1DifferentialExhaustivePerceptual(rgb, s, x, y, differential.high,
                                                                                     differential.low, bound,
                                                                                     scratch.differential)
                                        : SearchETC1DifferentialExhaustive(rgb, s, x, y, differential.high,
                                                                           differential.low, bound, scratch.differential);
        bound = std::min(bound, differential.error);
    };
    // The plain driver runs the differential search before the planar one.
    if (Perceptual) {
        planarSearch();
        differentialSearch();
    } else {
        differentialSearch();
        planarSearch();
    }
    individual.error = Perceptual
                           ? SearchETC1IndividualExhaustivePerceptual(rgb, s, x, y, individual.high, individual.low, bound)
                           : SearchETC1IndividualExhaustive(rgb, s, x, y, individual.high, individual.low, bound);
    bound = std::min(bound, individual.error);
    u32 hWord = 0, tWord = 0;
    hMode.error = Perceptual ? SearchHModeExhaustivePerceptual(rgb, s, x, y, hWord, hMode.low, bound, scratch.hModes)
                             : SearchHModeExhaustive(rgb, s, x, y, hWord, hMode.low, bound, scratch.hModes);
    hMode.high = PackHBlockHigh(hWord);
    const u32 tBound = std::min(hMode.error, bound);
    tMode.error = Perceptual ? SearchTModeExhaustivePerceptual(rgb, s, x, y, tWord, tMode.low, tBound, scratch.tModes)
                             : SearchTModeExhaustive(rgb, s, x, y, tWord, tMode.low, tBound, scratch.tModes);
    tMode.high = PackTBlockHigh(tWord);

    u32 best = e0;
    high = etc1High, low = etc1Low;
    for (const SCandidate* c : {&differential, &individual, &planar, &hMode, &tMode})
        if (c->error < best)
            best = c->error, high = c->high, low = c->low;
}

} // namespace

void CompressETC2BlockExhaustive(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low,
                                 SExhaustiveScratch& scratch)
{
    Etc2Exhaustive<false>(rgb, decodedRgb, stride, x0, y0, high, low, scratch);
}

void CompressETC2BlockExhaustivePerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                           u32& low, SExhaustiveScratch& scratch)
{
    Etc2Exhaustive<true>(rgb, decodedRgb, stride, x0, y0, high, low, scratch);
}

double CompressETC2BlockFast(const u8* rgb, const u8* alpha, u8* decodedRgb, u32 stride, u32 /*height*/, u32 x0,
                             u32 y0, u32& high, u32& low, u32 format)
{
    if (format == ETC2_RGB_A1)
        return PunchThroughFast(rgb, alpha, decodedRgb, stride, x0, y0, high, low);
    SBest best;
    best.error = CompressETC1BlockFast(rgb, decodedRgb, stride, x0, y0, best.high, best.low);
    Etc2Candidates<false>(rgb, decodedRgb, stride, x0, y0, best);
    high = best.high;
    low = best.low;
    return best.error;
}

void CompressETC2BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    SBest best;
    CompressETC1BlockFastPerceptual(rgb, decodedRgb, stride, x0, y0, best.high, best.low);
    DecodeETC1Block(best.high, best.low, decodedRgb, i32(stride), i32(x0), i32(y0));
    best.error = 1000.0 * ComputeBlockErrorPerceptual(rgb, decodedRgb, i32(stride), i32(x0), i32(y0));
    Etc2Candidates<true>(rgb, decodedRgb, stride, x0, y0, best);
    high = best.high;
    low = best.low;
}

} // namespace xqftexture::etc
