#pragma once
// Numeric support of the amtc compressor: colour distance, diagnostics, colour boxes, clamped
// interpolation, covariance and principal axes. Nothing here keeps state between calls.
//
// These routines run in the compressor's workers, so their results must not depend on the
// machine: the texture library is built with -ffp-contract=off and without fast-math, and every
// sum below runs in a fixed order.
#include "AmtcTypes.h"

#include <cstdio>

namespace xqftexture::amtc {

// Sum of the four squared channel differences.
inline u32 ColourDistanceSq(const u8 a[4], const u8 b[4])
{
    u32 sum = 0;
    for (int i = 0; i < 4; ++i) {
        const i32 d = i32(a[i]) - i32(b[i]);
        sum += u32(d * d);
    }
    return sum;
}
inline u32 ColourDistanceSq(const SRgba& a, const SRgba& b) { return ColourDistanceSq(a.c, b.c); }

// Diagnostics go to the debug output, never to the host's standard output.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogFprintf(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Box set-up: InitColourBox takes the axes as the rows of M and starts with an empty extent;
// InitIdentityBox is the point v in the colour axes.
void InitColourBox(SColourBox& box, const float m[16]);
void InitIdentityBox(SColourBox& box, const float v[4]);
void ExtendBoxByPixel(SColourBox& box, const u8 rgba[4]);
void ExtendBoxByVector(SColourBox& box, const float v[4]);
float BoxExtentSum(const SColourBox& box);
// Clamps v into the box; v is rebuilt from the clamped coordinates only when an axis was clamped.
void ClampToBox(const SColourBox& box, float v[4]);

// out = a + t (b - a); outside 0 <= t <= 1 each channel is clamped to 0..255.
void LerpColourClamped(float out[4], float t, const u8 a[4], const u8 b[4]);

// Weighted second moments: the upper triangle of a 4 x 4 matrix, (0,0) (0,1) (0,2) (0,3) (1,1) ...
void AccumulateCovariance(double sums[10], float w, const float v[4]);
void AccumulatePixelCovariance(double sums[10], float w, bool centred, const u8 rgba[4]);

// Eigen-decomposition of sums - mean mean^T: eigenvalues descending, eigenvectors as rows.
void PrincipalAxes(const double sums[10], const float mean[4], float values[4], float vectors[16]);

// Symmetric n x n (n <= 4) eigenproblem by cyclic Jacobi rotations: eigenvalues in values,
// eigenvectors as the columns of vectors. The matrix is not changed.
void JacobiEigen(const float* matrix, int n, float* values, float* vectors);
// JacobiEigen with the eigenvalues in descending order and the columns of vectors to match.
void SortedEigen(const float* matrix, int n, float* values, float* vectors);

} // namespace xqftexture::amtc
