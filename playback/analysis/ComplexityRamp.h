#pragma once
// The overdraw picture's ramp: the grey a pixel drawn n times shows after the ES 2.0 complexity
// pass, where each draw blends half of the increment over half of what was there (from black):
// c(0) = 0, c(n) = round(increment / 2 + c(n - 1) / 2).
#include <cstddef>
#include <cstdint>

inline uint8_t ComplexityShade(uint8_t increment, uint32_t draws)
{
    uint32_t c = 0;
    for (uint32_t i = 0; i < draws && i < 256; ++i)
        c = (increment + c + 1) / 2;
    return uint8_t(c);
}

// Maps counts (the draws that reached each pixel, in its first channel) to the ramp, in place:
// `pixels` pixels of `channels` bytes each, every colour channel set to the pixel's shade.
inline void MapComplexityCounts(uint8_t* pixels, size_t count, size_t channels, uint8_t increment)
{
    uint8_t shade[256];
    for (uint32_t n = 0; n < 256; ++n)
        shade[n] = ComplexityShade(increment, n);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = pixels + i * channels;
        p[0] = p[1] = p[2] = shade[p[0]];
    }
}
