// The block drivers: candidates decoded and measured, the first with the least error kept.
#include "EtcDrivers.h"

#include "EtcFastEtc1.h"
#include "EtcMetrics.h"
#include "EtcPlanes.h"

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

double CompressETC1BlockFast(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    return BestOfTwo(rgb, decodedRgb, stride, x0, y0, high, low, CompressETC1AverageRounded,
                     CompressETC1AverageBalanced, ComputeBlockErrorPlain);
}

void CompressETC1BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    BestOfTwo(rgb, decodedRgb, stride, x0, y0, high, low, RoundedPerceptual, CompressETC1AverageBalancedPerceptual,
              ComputeBlockErrorPerceptual);
}

} // namespace xqftexture::etc
