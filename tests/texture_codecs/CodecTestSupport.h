#pragma once
// Small helpers shared by the codec tests: texel comparison and block packing.
#include "BlockWalker.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <vector>

namespace xqftexture {

inline bool operator==(Rgba8 a, Rgba8 b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }
inline std::ostream& operator<<(std::ostream& os, Rgba8 t)
{
    return os << '(' << int(t.r) << ',' << int(t.g) << ',' << int(t.b) << ',' << int(t.a) << ')';
}

} // namespace xqftexture

namespace codectest {

using namespace xqftexture;

inline void PutLE(std::vector<u8>& out, u64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(u8(value >> (8 * i)));
}

// Largest per-channel difference between two texel runs.
inline int MaxDifference(const Rgba8* a, const Rgba8* b, size_t count)
{
    int worst = 0;
    for (size_t i = 0; i < count; ++i) {
        worst = std::max({worst, std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g), std::abs(a[i].b - b[i].b),
                          std::abs(a[i].a - b[i].a)});
    }
    return worst;
}

} // namespace codectest
