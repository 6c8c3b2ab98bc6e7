// Punch-through compressors and measures.
#include "EtcPunchThrough.h"

#include "EtcCluster.h"
#include "EtcFastEtc1.h"
#include "EtcPaintChoice.h"
#include "EtcPlanes.h"
#include "EtcTables.h"

#include <algorithm>

namespace xqftexture::etc {

double PunchThroughBlockError(const u8* rgb, const u8* decodedRgb, const u8* alpha, i32 stride, i32 x0, i32 y0)
{
    double error = 0;
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            const i64 at = i64(y0 + y) * stride + x0 + x;
            if (alpha[at] <= 128)
                continue;
            const i32 dr = rgb[3 * at] - decodedRgb[3 * at], dg = rgb[3 * at + 1] - decodedRgb[3 * at + 1],
                      db = rgb[3 * at + 2] - decodedRgb[3 * at + 2];
            error += double(dr * dr + dg * dg + db * db);
        }
    return error;
}

bool BlockHasTransparency(const u8* alpha, i32 x0, i32 y0, i32 stride)
{
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x)
            if (alpha[i64(y0 + y) * stride + x0 + x] < 128)
                return true;
    return false;
}

i32 CompressPunchThroughDifferential(u8 transparent, const u8* rgb, const u8* alpha, i32 stride, u32 x0, u32 y0,
                                     u32& high, u32& low)
{
    i32 bestError = 0;
    for (u32 flip = 0; flip < 2; ++flip) {
        // The halves: columns 0-1 and 2-3, or rows 0-1 and 2-3; pixels column by column.
        const u32 columns = flip ? 4 : 2, rows = flip ? 2 : 4;
        u32 q[2][3];
        u8 colour[2][3];
        for (u32 half = 0; half < 2; ++half) {
            const u32 hx = x0 + (flip ? 0 : 2 * half), hy = y0 + (flip ? 2 * half : 0);
            float weights = 0, sum[3] = {0, 0, 0};
            for (u32 x = 0; x < columns; ++x)
                for (u32 y = 0; y < rows; ++y) {
                    const i64 at = i64(hy + y) * stride + hx + x;
                    const float w = alpha[at] >= 128 ? 1.0f : 0.0001f; // transparent pixels barely count
                    weights += w;
                    for (u32 c = 0; c < 3; ++c)
                        sum[c] += w * float(rgb[3 * at + c]);
                }
            const float avg[3] = {sum[0] / weights, sum[1] / weights, sum[2] / weights};
            QuantiseColourBalanced555(avg, q[half], colour[half]);
        }
        for (u32 c = 0; c < 3; ++c) {
            const i32 delta = std::clamp(i32(q[1][c]) - i32(q[0][c]), -4, 3);
            q[1][c] = u32(i32(q[0][c]) + delta);
            colour[1][c] = u8(Expand5(q[1][c]));
        }
        i32 error = 0;
        u32 codeword[2] = {0, 0}, msbs = 0, lsbs = 0;
        for (u32 half = 0; half < 2; ++half) {
            const u32 hx = x0 + (flip ? 0 : 2 * half), hy = y0 + (flip ? 2 * half : 0);
            i32 halfBest = 3121200;
            u32 halfMsb = 0, halfLsb = 0;
            for (u32 t = 0; t < 8; ++t) {
                i32 sum = 0;
                u32 msb = 0, lsb = 0;
                for (u32 x = 0; x < columns; ++x)
                    for (u32 y = 0; y < rows; ++y) {
                        const i64 at = i64(hy + y) * stride + hx + x;
                        const u32 pixel = 4 * (hx - x0 + x) + (hy - y0 + y); // the pixel number in the block
                        u32 value = 2;                                     // transparent: no cost
                        if (alpha[at] >= 128) {
                            i32 pixelBest = 390150;
                            for (u32 column = 0; column < 4; ++column) {
                                if (transparent && column == 1)
                                    continue; // index value 2 is the transparent one
                                const i32 m = transparent && column == 2 ? 0 : ETCModifierTable[2 * t][column];
                                i32 e = 0;
                                for (u32 c = 0; c < 3; ++c) {
                                    const i32 d = std::clamp(colour[half][c] + m, 0, 255) - rgb[3 * at + c];
                                    e += d * d;
                                }
                                if (e < pixelBest)
                                    pixelBest = e, value = ETCScramble[column];
                            }
                            sum += pixelBest;
                        }
                        msb |= (value >> 1) << pixel;
                        lsb |= (value & 1) << pixel;
                    }
                if (sum < halfBest)
                    halfBest = sum, codeword[half] = t, halfMsb = msb, halfLsb = lsb;
            }
            error += halfBest;
            msbs |= halfMsb;
            lsbs |= halfLsb;
        }
        if (flip == 0 || error < bestError) {
            bestError = error;
            high = q[0][0] << 27 | ((q[1][0] - q[0][0]) & 7) << 24 | q[0][1] << 19 | ((q[1][1] - q[0][1]) & 7) << 16 |
                   q[0][2] << 11 | ((q[1][2] - q[0][2]) & 7) << 8 | codeword[0] << 5 | codeword[1] << 2 |
                   u32(transparent ? 0 : 2) | flip;
            low = msbs << 16 | lsbs;
        }
    }
    return bestError;
}

void CompressPunchThroughT(const u8* rgb, const u8* alpha, u32 stride, u32 x0, u32 y0, u32& t59, u32& low)
{
    u8 centres[6], colours[6];
    ClusterTwoColours(rgb, i32(stride), i32(x0), i32(y0), centres);
    QuantiseColourPair(4, 4, 4, centres, colours);
    // The clustered order, then swapped; within each the distances; a candidate replaces the best only
    // with a strictly smaller error. Alpha 0 takes paint 2 at no cost.
    double best = kPaintSentinel;
    u32 bestOrder = 0, bestRaster = 0;
    u8 bestDistance = 0;
    for (u32 order = 0; order < 2; ++order) {
        const u8* lone = colours + 3 * order;
        const u8* split = colours + 3 * (1 - order);
        const i32 lone8[3] = {lone[0] * 17, lone[1] * 17, lone[2] * 17}, split8[3] = {split[0] * 17, split[1] * 17, split[2] * 17};
        u8 distance = 0;
        u32 raster = 0;
        const double error = ChoosePaints<double>(rgb, i32(stride), i32(x0), i32(y0), alpha, distance, raster,
                                                  TPaints(lone8, split8), PaintErrorPlain, [](u32) { return 2; });
        if (error < best)
            best = error, bestOrder = order, bestDistance = distance, bestRaster = raster;
    }
    const u8* c1 = colours + 3 * bestOrder;
    const u8* c2 = colours + 3 * (1 - bestOrder);
    t59 = (u32(c1[0]) << 20 | u32(c1[1]) << 16 | u32(c1[2]) << 12 | u32(c2[0]) << 8 | u32(c2[1]) << 4 | c2[2]) << 3 |
          bestDistance;
    low = RasterToETCIndices(bestRaster);
}

} // namespace xqftexture::etc
