#pragma once
// The matrix arithmetic of the ES 1.1 transform calls, in float and in the order GL implementations
// compute it (column-major; each call multiplies the current matrix on the right), so that a tracked
// matrix equals what the host computes for the same calls. Hosts that skip the terms of an affine
// matrix's last row may give a zero the other sign.
#include <cmath>

#include "state/Es1State.h"

namespace xqft::es1 {

// m = m * b.
inline void MultiplyInto(SEs1Matrix& m, const SEs1Matrix& b)
{
    const SEs1Matrix a = m;
    for (int row = 0; row < 4; ++row) {
        const float a0 = a[row], a1 = a[4 + row], a2 = a[8 + row], a3 = a[12 + row];
        for (int col = 0; col < 4; ++col)
            m[4 * col + row] = a0 * b[4 * col] + a1 * b[4 * col + 1] + a2 * b[4 * col + 2] + a3 * b[4 * col + 3];
    }
}

inline void Translate(SEs1Matrix& m, float x, float y, float z)
{
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

inline void Scale(SEs1Matrix& m, float x, float y, float z)
{
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

// A rotation of `angle` degrees about (x, y, z): about a coordinate axis exactly, else about the
// normalised axis; no angle, or an axis of (nearly) no length, changes nothing.
inline void Rotate(SEs1Matrix& m, float angle, float x, float y, float z)
{
    if (angle == 0.0f)
        return;
    const float radians = float(double(angle) * 3.14159265358979323846 / 180.0);
    const float s = std::sin(radians), c = std::cos(radians);
    SEs1Matrix r = kEs1Identity;
    auto at = [&r](int row, int col) -> float& { return r[4 * col + row]; };
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (!(length > 1.0e-4f))
            return;
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        at(0, 0) = (oneC * xx) + c;
        at(0, 1) = (oneC * xy) - zs;
        at(0, 2) = (oneC * zx) + ys;
        at(1, 0) = (oneC * xy) + zs;
        at(1, 1) = (oneC * yy) + c;
        at(1, 2) = (oneC * yz) - xs;
        at(2, 0) = (oneC * zx) - ys;
        at(2, 1) = (oneC * yz) + xs;
        at(2, 2) = (oneC * zz) + c;
    }
    MultiplyInto(m, r);
}

// glOrtho and glFrustum; false (nothing changed) for the bounds GL refuses.
inline bool Ortho(SEs1Matrix& m, float l, float r, float b, float t, float n, float f)
{
    if (l == r || b == t || n == f)
        return false;
    SEs1Matrix o = kEs1Identity;
    o[0] = 2.0f / (r - l);
    o[12] = -(r + l) / (r - l);
    o[5] = 2.0f / (t - b);
    o[13] = -(t + b) / (t - b);
    o[10] = -2.0f / (f - n);
    o[14] = -(f + n) / (f - n);
    MultiplyInto(m, o);
    return true;
}

inline bool Frustum(SEs1Matrix& m, float l, float r, float b, float t, float n, float f)
{
    if (n <= 0.0f || f <= 0.0f || l == r || b == t || n == f)
        return false;
    SEs1Matrix p = {};
    p[0] = (2.0f * n) / (r - l);
    p[5] = (2.0f * n) / (t - b);
    p[8] = (r + l) / (r - l);
    p[9] = (t + b) / (t - b);
    p[10] = -(f + n) / (f - n);
    p[11] = -1.0f;
    p[14] = -(2.0f * f * n) / (f - n);
    MultiplyInto(m, p);
    return true;
}

} // namespace xqft::es1
