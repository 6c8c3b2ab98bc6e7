// Numeric support of the amtc compressor.
#include "AmtcSupport.h"

#include "DebugOutput.h"

#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <utility>

namespace xqftexture::amtc {

namespace {
void VLog(const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    DebugOutputPrintf("%s", text);
}
} // namespace

void LogPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    VLog(format, args);
    va_end(args);
}

// The stream argument is kept for the callers' sake; every stream ends in the debug output.
void LogFprintf(FILE*, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    VLog(format, args);
    va_end(args);
}

namespace {
void Transform(const SColourBox& box, const float v[4], float t[4])
{
    for (int i = 0; i < 4; ++i)
        t[i] = box.m[4 * i] * v[0] + box.m[4 * i + 1] * v[1] + box.m[4 * i + 2] * v[2] + box.m[4 * i + 3] * v[3];
}
void ToFloat(const u8 rgba[4], float v[4])
{
    for (int i = 0; i < 4; ++i)
        v[i] = float(rgba[i]);
}
} // namespace

void InitColourBox(SColourBox& box, const float m[16])
{
    std::memcpy(box.m, m, sizeof box.m);
    for (int i = 0; i < 4; ++i)
        box.minimum[i] = FLT_MAX, box.maximum[i] = -FLT_MAX;
}

void InitIdentityBox(SColourBox& box, const float v[4])
{
    for (int i = 0; i < 16; ++i)
        box.m[i] = i % 5 == 0 ? 1.0f : 0.0f;
    for (int i = 0; i < 4; ++i)
        box.minimum[i] = box.maximum[i] = v[i];
}

void ExtendBoxByVector(SColourBox& box, const float v[4])
{
    float t[4];
    Transform(box, v, t);
    for (int i = 0; i < 4; ++i) {
        if (t[i] < box.minimum[i])
            box.minimum[i] = t[i];
        if (t[i] > box.maximum[i])
            box.maximum[i] = t[i];
    }
}

void ExtendBoxByPixel(SColourBox& box, const u8 rgba[4])
{
    float v[4];
    ToFloat(rgba, v);
    ExtendBoxByVector(box, v);
}

float BoxExtentSum(const SColourBox& box)
{
    float sum = 0.0f;
    for (int i = 0; i < 4; ++i)
        sum += box.maximum[i] - box.minimum[i];
    return sum;
}

void ClampToBox(const SColourBox& box, float v[4])
{
    float t[4];
    Transform(box, v, t);
    bool clamped = false;
    for (int i = 0; i < 4; ++i) {
        if (t[i] < box.minimum[i])
            t[i] = box.minimum[i], clamped = true;
        else if (t[i] > box.maximum[i])
            t[i] = box.maximum[i], clamped = true;
    }
    if (!clamped)
        return;
    for (int j = 0; j < 4; ++j)
        v[j] = box.m[j] * t[0] + box.m[4 + j] * t[1] + box.m[8 + j] * t[2] + box.m[12 + j] * t[3];
}

void LerpColourClamped(float out[4], float t, const u8 a[4], const u8 b[4])
{
    const bool outside = t < 0.0f || t > 1.0f;
    for (int i = 0; i < 4; ++i) {
        float v = float(a[i]) + t * (float(b[i]) - float(a[i]));
        if (outside)
            v = v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v;
        out[i] = v;
    }
}

void AccumulateCovariance(double sums[10], float w, const float v[4])
{
    for (int i = 0, k = 0; i < 4; ++i)
        for (int j = i; j < 4; ++j, ++k)
            sums[k] += double(w) * double(v[i]) * double(v[j]);
}

void AccumulatePixelCovariance(double sums[10], float w, bool centred, const u8 rgba[4])
{
    float v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = float(rgba[i]) - (centred ? 128.0f : 0.0f);
    AccumulateCovariance(sums, w, v);
}

void PrincipalAxes(const double sums[10], const float mean[4], float values[4], float vectors[16])
{
    float c[16];
    for (int i = 0, k = 0; i < 4; ++i)
        for (int j = i; j < 4; ++j, ++k)
            c[4 * i + j] = c[4 * j + i] = float(sums[k] - double(mean[i]) * double(mean[j]));
    float columns[16];
    SortedEigen(c, 4, values, columns);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            vectors[4 * i + j] = columns[4 * j + i];
}

// Cyclic sweeps over the upper triangle. A rotation is skipped when the off-diagonal element is
// negligible against both diagonal elements at single-precision epsilon; the sweeps stop when every
// off-diagonal element is negligible, after at most 50 sweeps.
void JacobiEigen(const float* matrix, int n, float* values, float* vectors)
{
    constexpr float kEpsilon = 1.1920929e-7f;
    float a[16];
    std::memcpy(a, matrix, sizeof(float) * n * n);
    for (int i = 0; i < n * n; ++i)
        vectors[i] = i % (n + 1) == 0 ? 1.0f : 0.0f;
    auto negligible = [&](int p, int q) {
        const float apq = std::fabs(a[p * n + q]);
        return apq <= kEpsilon * std::fabs(a[p * n + p]) && apq <= kEpsilon * std::fabs(a[q * n + q]);
    };
    for (int sweep = 0; sweep < 50; ++sweep) {
        bool rotated = false;
        for (int p = 0; p < n - 1; ++p)
            for (int q = p + 1; q < n; ++q) {
                const float apq = a[p * n + q];
                if (apq == 0.0f || negligible(p, q))
                    continue;
                rotated = true;
                const float theta = (a[q * n + q] - a[p * n + p]) / (2.0f * apq);
                // The smaller root of t^2 + 2 t theta - 1 = 0; 1 / (2 theta) where theta^2 would overflow.
                float t = std::fabs(theta) > 1e18f ? 0.5f / theta
                                                   : 1.0f / (std::fabs(theta) + std::sqrt(theta * theta + 1.0f));
                if (theta < 0.0f && std::fabs(theta) <= 1e18f)
                    t = -t;
                const float c = 1.0f / std::sqrt(t * t + 1.0f), s = t * c;
                for (int k = 0; k < n; ++k) {
                    // Columns p and q, then rows p and q: A' = J^T A J.
                    const float akp = a[k * n + p], akq = a[k * n + q];
                    a[k * n + p] = c * akp - s * akq;
                    a[k * n + q] = s * akp + c * akq;
                }
                for (int k = 0; k < n; ++k) {
                    const float apk = a[p * n + k], aqk = a[q * n + k];
                    a[p * n + k] = c * apk - s * aqk;
                    a[q * n + k] = s * apk + c * aqk;
                }
                a[p * n + q] = a[q * n + p] = 0.0f;
                for (int k = 0; k < n; ++k) {
                    const float vkp = vectors[k * n + p], vkq = vectors[k * n + q];
                    vectors[k * n + p] = c * vkp - s * vkq;
                    vectors[k * n + q] = s * vkp + c * vkq;
                }
            }
        if (!rotated)
            break;
    }
    for (int i = 0; i < n; ++i)
        values[i] = a[i * n + i];
}

void SortedEigen(const float* matrix, int n, float* values, float* vectors)
{
    JacobiEigen(matrix, n, values, vectors);
    // Selection sort: n is at most 4, and equal eigenvalues keep their order.
    for (int i = 0; i < n - 1; ++i) {
        int best = i;
        for (int j = i + 1; j < n; ++j)
            if (values[j] > values[best])
                best = j;
        if (best == i)
            continue;
        std::swap(values[i], values[best]);
        for (int k = 0; k < n; ++k)
            std::swap(vectors[k * n + i], vectors[k * n + best]);
    }
}

} // namespace xqftexture::amtc
