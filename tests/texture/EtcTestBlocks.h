#pragma once
// 4 x 4 RGB blocks (rows of 4 pixels, 3 bytes each) for the ETC encoder tests.
#include "XQFTextureTypes.h"

#include <algorithm>
#include <array>
#include <random>

namespace etctest {

using xqftexture::u8;
using Block = std::array<u8, 48>;

inline Block Uniform(u8 r, u8 g, u8 b)
{
    Block block;
    for (unsigned i = 0; i < 16; ++i)
        block[3 * i] = r, block[3 * i + 1] = g, block[3 * i + 2] = b;
    return block;
}

// Pixels spread by up to spread around a random colour (256: anywhere).
inline Block RandomBlock(std::mt19937& random, int spread = 256)
{
    Block block;
    const int centre[3] = {int(random() % 256), int(random() % 256), int(random() % 256)};
    for (unsigned i = 0; i < 48; ++i)
        block[i] = u8(std::clamp(centre[i % 3] + int(random() % unsigned(2 * spread + 1)) - spread, 0, 255));
    return block;
}

// The first (O, H, V) in loop order of least plain error for one channel of a planar block, by trying
// every triple (6 bits for red and blue, 7 for green), decoded by the planar rule.
inline std::array<unsigned, 3> PlanarChannelBruteForce(const Block& image, unsigned channel)
{
    const int bits = channel == 1 ? 7 : 6, levels = 1 << bits;
    auto expand = [bits](int v) { return bits == 6 ? (v << 2) | (v >> 4) : (v << 1) | (v >> 6); };
    unsigned long long best = ~0ull;
    std::array<unsigned, 3> pick{};
    for (int o = 0; o < levels; ++o)
        for (int h = 0; h < levels; ++h)
            for (int v = 0; v < levels; ++v) {
                unsigned long long e = 0;
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x) {
                        const int decoded = std::clamp(
                            (x * (expand(h) - expand(o)) + y * (expand(v) - expand(o)) + 4 * expand(o) + 2) >> 2, 0, 255);
                        const int d = decoded - image[3 * (4 * y + x) + channel];
                        e += unsigned(d * d);
                    }
                if (e < best)
                    best = e, pick = {unsigned(o), unsigned(h), unsigned(v)};
            }
    return pick;
}

} // namespace etctest
