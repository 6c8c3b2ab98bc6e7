// H-mode index choice and the LBG H-mode compressors.
#include "EtcHMode.h"

#include "EtcCluster.h"
#include "EtcPaintChoice.h"
#include "EtcPlanes.h"

#include "DebugOutput.h"

#include <algorithm>
#include <utility>

namespace xqftexture::etc {

namespace {


u32 Pack12(const u8* c) { return u32(c[0]) << 8 | u32(c[1]) << 4 | c[2]; }

// The H paints of 4-bit colours: colour 1 + d, colour 1 - d, colour 2 + d, colour 2 - d.
void HPaints(const u8 colours[6], u32 d, i32 (&paint)[4][3])
{
    u8 wide[6], clamped[12];
    for (u32 i = 0; i < 6; ++i)
        wide[i] = u8(colours[i] * 17);
    ComputeHPaintColours(u8(d), 0, wide, clamped);
    for (u32 k = 0; k < 4; ++k)
        for (u32 c = 0; c < 3; ++c)
            paint[k][c] = clamped[3 * k + c];
}

template <class Sum, class Error, class Slot>
Sum Choose(const u8* rgb, const u8* alpha, i32 stride, i32 x0, i32 y0, const u8 colours[6], u8& distance, u32& raster,
           Error error, Slot transparentSlot)
{
    return ChoosePaints<Sum>(rgb, stride, x0, y0, alpha, distance, raster,
                             [colours](u32 d, i32 (&paint)[4][3]) { HPaints(colours, d, paint); }, error,
                             transparentSlot);
}

// One candidate of the compressors: clustered and quantised colours made distinct and ordered.
void Candidate(void (*cluster)(const u8*, i32, i32, i32, u8[6]), const u8* image, i32 width, i32 x, i32 y,
               u8 colours[6])
{
    u8 centres[6];
    cluster(image, width, x, y, centres);
    QuantiseColourPair(4, 4, 4, centres, colours);
    u32 c1 = Pack12(colours), c2 = Pack12(colours + 3);
    OrderHColours(c1, c2);
    for (u32 k = 0; k < 2; ++k) {
        const u32 c = k == 0 ? c1 : c2;
        colours[3 * k] = u8(c >> 8), colours[3 * k + 1] = u8((c >> 4) & 15), colours[3 * k + 2] = u8(c & 15);
    }
}

// The colour order carries the distance index's low bit: where they disagree the colours swap and
// every paint index moves to the other colour (upper bit inverted), which decodes alike.
void Finish(u8 colours[6], u8 distance, u32 raster, u32& h58, u32& low)
{
    const bool firstNotBelow = Pack12(colours) >= Pack12(colours + 3);
    if (bool(distance & 1) != firstNotBelow) {
        std::swap_ranges(colours, colours + 3, colours + 3);
        raster ^= 0xAAAAAAAAu;
    }
    h58 = Pack12(colours) << 14 | Pack12(colours + 3) << 2 | ((distance >> 1) & 3);
    low = RasterToETCIndices(raster);
}

// One candidate from the standard clustering, its distance and indices by choose, finished.
template <class Error, class Choose>
Error CompressOne(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low, Choose choose)
{
    u8 colours[6], distance = 0;
    u32 raster = 0;
    Candidate(ClusterTwoColours, image, width, x, y, colours);
    const Error error = choose(colours, distance, raster);
    Finish(colours, distance, raster, h58, low);
    return error;
}

} // namespace

void OrderHColours(u32& c1, u32& c2)
{
    if (c1 > c2)
        std::swap(c1, c2);
    if (c1 == c2) {
        if (c1 != 0)
            c1 = c2 - 1;
        else
            c2 = 1;
    }
}

u32 ChooseHIndicesPerceptual(const u8* rgb, i32 stride, i32 x0, i32 y0, const u8 colours[6], u8& distance,
                             u32& raster)
{
    return Choose<u32>(rgb, nullptr, stride, x0, y0, colours, distance, raster, PaintErrorPerceptual, NoTransparentSlot);
}

double ChooseHIndices(const u8* rgb, i32 stride, i32 x0, i32 y0, const u8 colours[6], u8& distance, u32& raster)
{
    return Choose<double>(rgb, nullptr, stride, x0, y0, colours, distance, raster, PaintErrorPlain, NoTransparentSlot);
}

double ChooseHIndicesPunchThrough(const u8* rgb, const u8* alpha, i32 stride, i32 x0, i32 y0, const u8 colours[6],
                                  u8& distance, u32& raster)
{
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            const u8 a = alpha[i64(y0 + y) * stride + x0 + x];
            if (a != 0 && a != 255)
                DebugOutputPrintf("INVALID ALPHA DATA!!\n"); // handled as opaque
        }
    const u32 order = Pack12(colours) >= Pack12(colours + 3) ? 1 : 0;
    return Choose<double>(rgb, alpha, stride, x0, y0, colours, distance, raster, PaintErrorPlain,
                          [order](u32 d) { return (d & 1) == order ? 2 : 0; });
}

u32 CompressHModeLBGPerceptual(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low)
{
    return CompressOne<u32>(image, width, x, y, h58, low, [&](const u8* colours, u8& distance, u32& raster) {
        return ChooseHIndicesPerceptual(image, width, x, y, colours, distance, raster);
    });
}

double CompressHModeLBG(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low)
{
    return CompressOne<double>(image, width, x, y, h58, low, [&](const u8* colours, u8& distance, u32& raster) {
        return ChooseHIndices(image, width, x, y, colours, distance, raster);
    });
}

void CompressHModeLBGPunchThrough(const u8* image, const u8* alpha, i32 width, i32 x, i32 y, u32& h58, u32& low)
{
    CompressOne<double>(image, width, x, y, h58, low, [&](const u8* colours, u8& distance, u32& raster) {
        return ChooseHIndicesPunchThrough(image, alpha, width, x, y, colours, distance, raster);
    });
}

double CompressHModeLBGMulti(const u8* image, i32 width, i32 x, i32 y, u32& h58, u32& low)
{
    u8 colours[6], distance = 0;
    u32 raster = 0;
    Candidate(ClusterTwoColoursNoIntensityRestarting, image, width, x, y, colours);
    double best = ChooseHIndices(image, width, x, y, colours, distance, raster);
    u8 second[6], secondDistance = 0;
    u32 secondRaster = 0;
    Candidate(ClusterTwoColoursRGBRestarting, image, width, x, y, second);
    const double error = ChooseHIndices(image, width, x, y, second, secondDistance, secondRaster);
    if (error < best) {
        best = error;
        std::copy_n(second, 6, colours);
        distance = secondDistance;
        raster = secondRaster;
    }
    Finish(colours, distance, raster, h58, low);
    return best;
}

} // namespace xqftexture::etc
