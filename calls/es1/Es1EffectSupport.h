#pragma once
// Small helpers shared by the ES 1.1 state effects.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Es1Records.h"

namespace xqft::es1 {

inline constexpr uint32_t kTexture0 = 0x84C0, kTexture2D = 0x0DE1;
inline constexpr uint32_t kArrayBuffer = 0x8892, kElementArrayBuffer = 0x8893;
inline constexpr uint32_t kTextureEnv = 0x2300, kPointSprite = 0x8861, kCoordReplace = 0x8862;
inline constexpr uint32_t kRgbScale = 0x8573, kAlphaScale = 0x0D1C, kTextureEnvColor = 0x2201;
inline constexpr uint32_t kUnpackAlignment = 0x0CF5, kPackAlignment = 0x0D05;
inline constexpr uint32_t kNoUnit = UINT32_MAX;

// The active texture unit as an index, or kNoUnit outside the tracked units.
inline uint32_t ActiveUnit(const SEs1State& s)
{
    const uint32_t unit = s.activeTexture - kTexture0;
    return unit < uint32_t(kEs1Units) ? unit : kNoUnit;
}

// 16.16 fixed point as a float.
inline float Fixed(int32_t v) { return float(v) * (1.0f / 65536.0f); }

// A float truncated toward zero; NaN gives 0 and values beyond the range saturate.
inline int32_t FloatToInt(float v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0f)
        return INT32_MAX;
    if (v <= -2147483648.0f)
        return INT32_MIN;
    return int32_t(v);
}

// The element-array binding of the current vertex-array record, which is added (with its
// defaults) when missing.
uint32_t ElementArrayBuffer(SEs1State& s);
// The buffer name a buffer-data target designates; false for a target that designates none.
bool BufferOfTarget(SEs1State& s, uint32_t target, uint32_t& name);

// glGenerateMipmapOES: the active unit's texture now holds levels the GPU made from level 0. (The
// extension effects are told no frame: the texture stamp stays.)
bool MarkMipmapsGenerated(SEs1State& s, uint32_t target);

} // namespace xqft::es1
