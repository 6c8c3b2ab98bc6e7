// LBG two-colour clustering and the T-mode candidates built on it.
#include "EtcCluster.h"

#include "EtcPaintChoice.h"
#include "EtcPlanes.h"
#include "EtcTables.h"

#include <algorithm>
#include <cmath>

namespace xqftexture::etc {

namespace {

// What a clustering member changes: its space and distance, and whether it restarts when the error
// stops changing.
enum class ESpace { Decorrelated, DecorrelatedNoIntensity, RGBDouble, RGBInteger };

const double kSqrt2 = std::sqrt(2.0), kSqrt3 = std::sqrt(3.0), kSqrt6 = std::sqrt(6.0);

// Half away from zero, as the centres are rounded.
double RoundHalfAway(double v) { return v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5); }

struct SPoint {
    double c[3];
};

double Distance(ESpace space, const SPoint& p, const SPoint& centre)
{
    switch (space) {
    case ESpace::Decorrelated: {
        const double d0 = p.c[0] - centre.c[0], d1 = p.c[1] - centre.c[1], d2 = p.c[2] - centre.c[2];
        return 0.5 * d0 * d0 + d1 * d1 + d2 * d2;
    }
    case ESpace::DecorrelatedNoIntensity: {
        const double d1 = p.c[1] - centre.c[1], d2 = p.c[2] - centre.c[2];
        return d1 * d1 + d2 * d2;
    }
    case ESpace::RGBDouble: {
        const double d0 = p.c[0] - RoundHalfAway(centre.c[0]), d1 = p.c[1] - RoundHalfAway(centre.c[1]),
                     d2 = p.c[2] - RoundHalfAway(centre.c[2]);
        return d0 * d0 + d1 * d1 + d2 * d2;
    }
    case ESpace::RGBInteger:
    default: {
        const i32 d0 = i32(p.c[0]) - i32(RoundHalfAway(centre.c[0])), d1 = i32(p.c[1]) - i32(RoundHalfAway(centre.c[1])),
                  d2 = i32(p.c[2]) - i32(RoundHalfAway(centre.c[2]));
        return double(d0 * d0 + d1 * d1 + d2 * d2);
    }
    }
}

u8 ToByte(double v) { return u8(RoundHalfAway(std::clamp(v, 0.0, 255.0))); }

void Cluster(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], ESpace space, bool restarting)
{
    CClusterRandom random(10000);
    const bool decorrelated = space == ESpace::Decorrelated || space == ESpace::DecorrelatedNoIntensity;
    SPoint points[16];
    double lo[3] = {512, 512, 512}, hi[3] = {-512, -512, -512};
    for (i32 j = 0, n = 0; j < 4; ++j)
        for (i32 i = 0; i < 4; ++i, ++n) { // row by row: the order of every sum below
            const u8* p = pixels + (i64(y + j) * width + x + i) * 3;
            const double r = p[0], g = p[1], b = p[2];
            if (decorrelated)
                points[n] = {{(r + g + b) / kSqrt3, (r - g) / kSqrt2, (r + g - 2 * b) / kSqrt6}};
            else
                points[n] = {{r, g, b}};
            for (u32 c = 0; c < 3; ++c)
                lo[c] = std::min(lo[c], points[n].c[c]), hi[c] = std::max(hi[c], points[n].c[c]);
        }
    double bestError = 12582912, previousError = 12582912;
    SPoint best[2] = {};
    bool restart = true;
    for (u32 attempt = 0; restart && attempt < 10; ++attempt) {
        restart = false;
        SPoint centre[2];
        for (SPoint& ct : centre)
            for (u32 c = 0; c < 3; ++c)
                ct.c[c] = random.Next() / 32767.0 * (hi[c] - lo[c]) + lo[c];
        bool going = true;
        for (u32 iteration = 0; going && iteration < 10; ++iteration) {
            double error = 0, sum[2][3] = {};
            u32 count0 = 0;
            for (const SPoint& p : points) {
                const double d0 = Distance(space, p, centre[0]), d1 = Distance(space, p, centre[1]);
                const u32 k = d1 > d0 ? 0 : 1; // a tie goes to centre 1
                error += k == 0 ? d0 : d1;
                count0 += k == 0;
                for (u32 c = 0; c < 3; ++c)
                    sum[k][c] += p.c[c];
            }
            if (error == 0) {
                going = false;
            } else if (error == previousError) {
                going = false;
                restart = restarting;
            }
            previousError = error;
            if (bestError > error) {
                bestError = error;
                best[0] = centre[0], best[1] = centre[1];
            }
            if (count0 == 0 || count0 == 16) {
                going = false;
                restart = true;
            } else {
                for (u32 c = 0; c < 3; ++c) {
                    centre[0].c[c] = sum[0][c] / count0;
                    centre[1].c[c] = sum[1][c] / (16 - count0);
                }
            }
        }
    }
    for (u32 k = 0; k < 2; ++k) {
        const double* c = best[k].c;
        if (decorrelated) {
            const double i = c[0] / kSqrt3, c1 = c[1] / kSqrt2, c2 = c[2] / kSqrt6;
            colours[3 * k] = ToByte(i + c1 + c2);
            colours[3 * k + 1] = ToByte(i - c1 + c2);
            colours[3 * k + 2] = ToByte(i - 2 * c[2] / kSqrt6);
        } else {
            for (u32 ch = 0; ch < 3; ++ch)
                colours[3 * k + ch] = ToByte(c[ch]);
        }
    }
}

// The metrics of the T-mode evaluation: the perceptual one in 32-bit integers, the plain one with
// integer pixel errors summed as doubles.
struct SPerceptualT {
    using Sum = u32;
    static u32 Error(i32 dr, i32 dg, i32 db) { return PaintErrorPerceptual(dr, dg, db); }
};
struct SPlainT {
    using Sum = double;
    static u32 Error(i32 dr, i32 dg, i32 db) { return PaintErrorPlain(dr, dg, db); }
};

template <class Metric>
typename Metric::Sum EvaluateOneOrder(const u8* pixels, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance,
                                      u32& raster)
{
    const i32 lone[3] = {colours[0] * 17, colours[1] * 17, colours[2] * 17};
    const i32 split[3] = {colours[3] * 17, colours[4] * 17, colours[5] * 17};
    return ChoosePaints<typename Metric::Sum>(pixels, width, x, y, nullptr, distance, raster, TPaints(lone, split),
                                              Metric::Error, NoTransparentSlot);
}

template <class Metric>
typename Metric::Sum EvaluateBothOrders(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], u8& distance,
                                        u32& raster)
{
    typename Metric::Sum best = EvaluateOneOrder<Metric>(pixels, width, x, y, colours, distance, raster);
    std::swap_ranges(colours, colours + 3, colours + 3);
    u8 swappedDistance = 0;
    u32 swappedRaster = 0;
    const typename Metric::Sum swapped =
        EvaluateOneOrder<Metric>(pixels, width, x, y, colours, swappedDistance, swappedRaster);
    if (swapped < best) {
        best = swapped;
        distance = swappedDistance;
        raster = swappedRaster;
    } else {
        std::swap_ranges(colours, colours + 3, colours + 3); // back to the order passed in
    }
    return best;
}

u32 Pack12(const u8* c) { return u32(c[0]) << 8 | u32(c[1]) << 4 | c[2]; }

using ClusterFn = void (*)(const u8*, i32, i32, i32, u8[6]);

// Clusters and quantises the block's colours.
void QuantisedCluster(ClusterFn cluster, const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    u8 centres[6];
    cluster(pixels, width, x, y, centres);
    QuantiseColourPair(4, 4, 4, centres, colours);
}

// One T candidate: a clustering's colours, quantised to 4 bits and evaluated in both orders.
template <class Error>
struct STCandidate {
    u8 colours[6] = {}, distance = 0;
    u32 raster = 0;
    Error error = 0;
    template <class Evaluate>
    STCandidate(const u8* pixels, i32 width, i32 x, i32 y, ClusterFn cluster, Evaluate evaluate)
    {
        QuantisedCluster(cluster, pixels, width, x, y, colours);
        error = evaluate(pixels, width, x, y, colours, distance, raster);
    }
    // The 59-bit T layout (lone colour, split colour, distance) and the low word.
    void Pack(u32& t59, u32& low) const
    {
        t59 = (Pack12(colours) << 12 | Pack12(colours + 3)) << 3 | distance;
        low = RasterToETCIndices(raster);
    }
};

} // namespace

void ClusterTwoColours(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    Cluster(pixels, width, x, y, colours, ESpace::Decorrelated, false);
}

void ClusterTwoColoursNoIntensity(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    Cluster(pixels, width, x, y, colours, ESpace::DecorrelatedNoIntensity, false);
}

void ClusterTwoColoursNoIntensityRestarting(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    Cluster(pixels, width, x, y, colours, ESpace::DecorrelatedNoIntensity, true);
}

void ClusterTwoColoursRGBRestarting(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    Cluster(pixels, width, x, y, colours, ESpace::RGBDouble, true);
}

void ClusterTwoColoursRGB(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6])
{
    Cluster(pixels, width, x, y, colours, ESpace::RGBInteger, false);
}

void QuantiseColourPair(u32 bitsR, u32 bitsG, u32 bitsB, const u8 in[6], u8 out[6])
{
    const u32 bits[3] = {bitsR, bitsG, bitsB};
    for (u32 i = 0; i < 6; ++i) {
        const u32 b = bits[i % 3];
        const u32 q = ((in[i] + (1u << (7 - b))) * ((1u << b) - 1)) / 255;
        out[i] = u8(std::min(q, 255u));
    }
}

u32 EvaluateTModeBothOrdersPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], u8& distance,
                                      u32& raster)
{
    return EvaluateBothOrders<SPerceptualT>(pixels, width, x, y, colours, distance, raster);
}

double EvaluateTModeBothOrders(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], u8& distance, u32& raster)
{
    return EvaluateBothOrders<SPlainT>(pixels, width, x, y, colours, distance, raster);
}

u32 EvaluateTModePerceptual(const u8* pixels, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance,
                            u32& raster)
{
    return EvaluateOneOrder<SPerceptualT>(pixels, width, x, y, colours, distance, raster);
}

double EvaluateTMode(const u8* pixels, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster)
{
    return EvaluateOneOrder<SPlainT>(pixels, width, x, y, colours, distance, raster);
}

u32 FitTModeColoursPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& lone12, u32& split12)
{
    const STCandidate<u32> c(pixels, width, x, y, ClusterTwoColours, EvaluateTModeBothOrdersPerceptual);
    lone12 = Pack12(c.colours), split12 = Pack12(c.colours + 3);
    return c.error;
}

double FitTModeColours(const u8* pixels, i32 width, i32 x, i32 y, u32& lone12, u32& split12)
{
    const STCandidate<double> c(pixels, width, x, y, ClusterTwoColours, EvaluateTModeBothOrders);
    lone12 = Pack12(c.colours), split12 = Pack12(c.colours + 3);
    return c.error;
}

double CompressTModeLBGPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low)
{
    const STCandidate<u32> c(pixels, width, x, y, ClusterTwoColours, EvaluateTModeBothOrdersPerceptual);
    c.Pack(t59, low);
    return c.error;
}

double CompressTModeLBG(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low)
{
    const STCandidate<double> c(pixels, width, x, y, ClusterTwoColours, EvaluateTModeBothOrders);
    c.Pack(t59, low);
    return c.error;
}

double CompressTModeLBGMulti(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low)
{
    STCandidate<double> best(pixels, width, x, y, ClusterTwoColoursNoIntensity, EvaluateTModeBothOrders);
    for (ClusterFn cluster : {ClusterTwoColours, ClusterTwoColoursRGB}) {
        const STCandidate<double> c(pixels, width, x, y, cluster, EvaluateTModeBothOrders);
        if (c.error < best.error)
            best = c;
    }
    best.Pack(t59, low);
    return best.error;
}

} // namespace xqftexture::etc
