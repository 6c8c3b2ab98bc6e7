// Planar-mode fit: (O, H, V) = (AᵀA)⁻¹ Aᵀ b per channel, clamped and quantised.
#include "EtcPlanarFit.h"

#include "EtcPlanes.h"

#include "DebugOutput.h"

#include <cassert>

namespace xqftexture::etc {

SMatrix MultiplyMatrices(const SMatrix& a, const SMatrix& b)
{
    SMatrix product;
    const bool fits = a.columns == b.rows && i64(a.rows) * b.columns <= SMatrix::kCapacity;
    assert(fits && "matrices of mismatched sizes");
    if (!fits) {
        DebugOutputPrintf("Cannot multiply matrices -- dimensions do not agree.\n");
        return product;
    }
    product.rows = a.rows;
    product.columns = b.columns;
    for (i32 i = 0; i < a.rows; ++i)
        for (i32 j = 0; j < b.columns; ++j) {
            double sum = 0;
            for (i32 k = 0; k < a.columns; ++k)
                sum += a.At(i, k) * b.At(k, j);
            product.At(i, j) = sum;
        }
    return product;
}

void TransposeMatrix(SMatrix& m)
{
    const SMatrix copy = m;
    m.rows = copy.columns;
    m.columns = copy.rows;
    for (i32 i = 0; i < copy.rows; ++i)
        for (i32 j = 0; j < copy.columns; ++j)
            m.At(j, i) = copy.At(i, j);
}

namespace {

// The planar interpolation weights of O, H and V at pixel (x, y), pixels in row-major order.
SMatrix FitBasis()
{
    SMatrix a;
    a.rows = 16;
    a.columns = 3;
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            a.At(4 * y + x, 0) = 1.0 - x / 4.0 - y / 4.0;
            a.At(4 * y + x, 1) = x / 4.0;
            a.At(4 * y + x, 2) = y / 4.0;
        }
    return a;
}

// (AᵀA)⁻¹ of the basis, a constant.
SMatrix FitInverse()
{
    SMatrix c;
    c.rows = c.columns = 3;
    const double values[9] = {0.2875, -0.0125, -0.0125, -0.0125, 0.4875, -0.3125, -0.0125, -0.3125, 0.4875};
    for (i32 i = 0; i < 9; ++i)
        c.data[i] = values[i];
    return c;
}

// v clamped to 0..255, divided by the level spacing, rounded half away from zero and masked.
u32 Quantise(double v, double spacing, u32 mask)
{
    v = v < 0.0 ? 0.0 : v > 255.0 ? 255.0 : v;
    const double scaled = v / spacing;
    return u32(i32(scaled < 0 ? scaled - 0.5 : scaled + 0.5)) & mask;
}

} // namespace

void FitPlanarBlock(const u8* rgb, i32 stride, i32 x0, i32 y0, u32& planarHigh, u32& planarLow)
{
    static const SMatrix kInverse = FitInverse();
    SMatrix basisT = FitBasis();
    TransposeMatrix(basisT);
    u32 o[3], h[3], v[3];
    for (u32 c = 0; c < 3; ++c) {
        SMatrix b;
        b.rows = 16;
        b.columns = 1;
        for (i32 y = 0; y < 4; ++y)
            for (i32 x = 0; x < 4; ++x)
                b.data[4 * y + x] = rgb[(i64(y0 + y) * stride + x0 + x) * 3 + c];
        const SMatrix fit = MultiplyMatrices(kInverse, MultiplyMatrices(basisT, b));
        // Red and blue have 6 bits (255 / 63 between levels), green 7 (255 / 127).
        const double spacing = c == 1 ? 2.0078740157480315 : 4.0476190476190474;
        const u32 mask = c == 1 ? 127 : 63;
        o[c] = Quantise(fit.data[0], spacing, mask);
        h[c] = Quantise(fit.data[1], spacing, mask);
        v[c] = Quantise(fit.data[2], spacing, mask);
    }
    planarHigh = o[0] << 26 | o[1] << 19 | o[2] << 13 | h[0] << 7 | h[1];
    planarLow = h[2] << 26 | v[0] << 20 | v[1] << 13 | v[2] << 7;
}

void DecodePlanarBlockWithErrors(u32 planarHigh, u32 planarLow, u8* decodedRgb, i32 stride, i32 x0, i32 y0,
                                 const u8* rgb, u32& errR, u32& errG, u32& errB)
{
    DecodeETC2PlanarBlock(planarHigh, planarLow, decodedRgb, stride, x0, y0);
    u32 errors[3] = {0, 0, 0};
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x)
            for (u32 c = 0; c < 3; ++c) {
                const i64 at = (i64(y0 + y) * stride + x0 + x) * 3 + c;
                const i32 d = i32(decodedRgb[at]) - i32(rgb[at]);
                errors[c] += u32(d * d);
            }
    errR = errors[0];
    errG = errors[1];
    errB = errors[2];
}

} // namespace xqftexture::etc
