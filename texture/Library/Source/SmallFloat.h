#pragma once
// Conversions between single precision and the 16-bit half float and the unsigned 10/11-bit small
// floats (5-bit exponent, bias 15). IEEE rules: denormals kept, overflow to infinity, NaN kept;
// the unsigned forms store negative values and -NaN as 0. Rounding is to nearest even.
#include "XQFTextureTypes.h"

#include <bit>
#include <cmath>
#include <limits>

namespace xqftexture {

// Value of an unsigned float with a 5-bit exponent and mantissaBits of mantissa.
inline float UnsignedSmallFloatToFloat(u32 bits, u32 mantissaBits)
{
    const u32 mantissa = bits & ((1u << mantissaBits) - 1);
    const u32 exponent = (bits >> mantissaBits) & 31;
    if (exponent == 0)
        return std::ldexp(float(mantissa), -14 - int(mantissaBits));
    if (exponent == 31)
        return mantissa ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
    return std::ldexp(float(mantissa | (1u << mantissaBits)), int(exponent) - 15 - int(mantissaBits));
}

inline float HalfToFloat(u16 half)
{
    const float magnitude = UnsignedSmallFloatToFloat(half & 0x7FFF, 10);
    return (half & 0x8000) ? -magnitude : magnitude;
}

// Unsigned small float bits of |value| with a 5-bit exponent; the caller handles the sign.
inline u32 FloatToUnsignedSmallFloat(float value, u32 mantissaBits)
{
    const u32 expMask = 31u << mantissaBits;
    if (std::isnan(value))
        return expMask | (1u << (mantissaBits - 1));
    value = std::fabs(value);
    if (std::isinf(value))
        return expMask;
    const u32 f = std::bit_cast<u32>(value);
    const i32 exponent = i32((f >> 23) & 0xFF) - 127;
    u32 mantissa = f & 0x7FFFFF;
    if (exponent > 15)
        return expMask; // too large: infinity
    u32 result;
    if (exponent < -14) {
        // Denormal (or zero): value / 2^-14 scaled to the mantissa, rounded to nearest even.
        if (exponent < -15 - i32(mantissaBits))
            return 0;
        mantissa |= 0x800000;
        const u32 shift = u32(-14 - exponent) + (23 - mantissaBits);
        result = mantissa >> shift;
        const u32 rest = mantissa & ((1u << shift) - 1), half = 1u << (shift - 1);
        if (rest > half || (rest == half && (result & 1)))
            ++result; // may carry into the smallest normal: still the right bits
        return result;
    }
    const u32 shift = 23 - mantissaBits;
    result = (u32(exponent + 15) << mantissaBits) | (mantissa >> shift);
    const u32 rest = mantissa & ((1u << shift) - 1), half = 1u << (shift - 1);
    if (rest > half || (rest == half && (result & 1)))
        ++result; // a carry into the exponent rounds up to the next power or to infinity
    return result;
}

inline u16 FloatToHalf(float value)
{
    const u32 sign = std::signbit(value) ? 0x8000 : 0;
    return u16(sign | FloatToUnsignedSmallFloat(value, 10));
}

} // namespace xqftexture
