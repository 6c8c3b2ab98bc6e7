// Packed block words.
#include "BlockWords.h"

#include "AmtcSupport.h"

#include <algorithm>
#include <cstdlib>

namespace xqftexture::amtc {
namespace {

u32 Top(u8 value, int bits) { return u32(value) >> (8 - bits); }

u32 OpaqueA(const SRgba& c) { return 1u << 15 | Top(c.c[0], 5) << 10 | Top(c.c[1], 5) << 5 | Top(c.c[2], 4) << 1; }
u32 TranslucentA(const SRgba& c)
{
    return Top(c.c[3], 3) << 12 | Top(c.c[0], 4) << 8 | Top(c.c[1], 4) << 4 | Top(c.c[2], 3) << 1;
}
u32 OpaqueB(const SRgba& c) { return 1u << 31 | Top(c.c[0], 5) << 26 | Top(c.c[1], 5) << 21 | Top(c.c[2], 5) << 16; }
u32 TranslucentB(const SRgba& c)
{
    return Top(c.c[3], 3) << 28 | Top(c.c[0], 4) << 24 | Top(c.c[1], 4) << 20 | Top(c.c[2], 4) << 16;
}

} // namespace

u32 CandidateFlagBits(u32 id)
{
    // 4 bpp ids 0-7: bit 0 of the id is the mode flag, bit 1 the hard transition (ids 3 and 7 are
    // the local palette: both). 2 bpp ids 8-15: any interpolated mode sets bit 0, bit 2 of the id
    // the hard transition.
    if (id < 8)
        return (id & 1) | ((id >> 1) & 1) << 15;
    return u32((id & 3) != 0) | ((id >> 2) & 1) << 15;
}

u32 ColourWord(const AmtcParams& params, const SRgba& a, const SRgba& b, u32 id)
{
    if (params.channels == 1)
        return Top(a.c[0], 5) << 22 | Top(b.c[0], 5) << 27 | Top(a.c[1], 4) << 17 | CandidateFlagBits(id);
    if (params.channels == 2)
        return Top(a.c[0], 3) << 17 | Top(a.c[1], 3) << 20 | Top(b.c[0], 4) << 24 | Top(b.c[1], 4) << 28 |
               CandidateFlagBits(id);
    u32 word;
    if (a.c[3] == 255 && b.c[3] == 255)
        word = (OpaqueA(a) | OpaqueB(b)) & (params.isXQFTCII ? ~(1u << 15) : ~0u);
    else if (params.isXQFTCII)
        word = TranslucentA(a) | TranslucentB(b);
    else
        word = (a.c[3] == 255 ? OpaqueA(a) : TranslucentA(a)) | (b.c[3] == 255 ? OpaqueB(b) : TranslucentB(b));
    word |= CandidateFlagBits(id);
    if (params.channels == 3 && params.mode == 4)
        word = id < 4 ? word | 1u << 31 : word & ~(1u << 31);
    return word;
}

u32 PlaceExtraBits(u32 colourWord, u32 extra)
{
    colourWord = (colourWord & ~0x7FFEu) | (extra & 0x3FFF) << 1;
    colourWord = (colourWord & ~(1u << 16)) | ((extra >> 14) & 1) << 16;
    return (colourWord & ~(1u << 17)) | ((extra >> 15) & 1) << 17;
}

u32 PartitionModVals(const u8 values[4])
{
    static constexpr int kWeight[8] = {0, 3, 5, 8, 1, 2, 6, 7};
    static constexpr int kPairs[12][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5},
                                          {6, 6}, {7, 7}, {0, 5}, {0, 8}, {3, 5}, {3, 8}};
    int weights[4];
    for (int i = 0; i < 4; ++i)
        weights[i] = kWeight[values[i] & 7];
    int best = 0, bestError = 1 << 30, mapped[4] = {};
    for (int k = 0; k < 12; ++k) {
        const int lo = kPairs[k][0], hi = kPairs[k][1];
        int fit[4], error = 0;
        for (int i = 0; i < 4; ++i) {
            fit[i] = std::abs(weights[i] - hi) <= std::abs(weights[i] - lo) ? hi : lo;
            error += (weights[i] - fit[i]) * (weights[i] - fit[i]);
        }
        LogPrintf(">>> partitionModVals( {%d, %d, %d, %d}, (%d, %d) )\n", weights[0], weights[1], weights[2],
                  weights[3], lo, hi);
        LogPrintf("<<< closestFitModVals = { %d, %d, %d, %d }, returning %d\n", fit[0], fit[1], fit[2], fit[3],
                  error);
        if (error < bestError)
            bestError = error, best = k, std::copy(fit, fit + 4, mapped);
    }
    // The first level is the one the group's first value takes.
    const int first = mapped[0], second = kPairs[best][0] == first ? kPairs[best][1] : kPairs[best][0];
    if (first == second) {
        static constexpr int kSingle[9] = {0, 4, 5, 1, -1, 2, 6, 7, 3};
        return u32(8 * kSingle[first]) & 63;
    }
    u32 code = 0;
    for (int i = 1; i < 4; ++i)
        code |= u32(mapped[i] == second) << (i - 1);
    int pair = 0;
    switch (first) {
    case 0: pair = second == 8 ? 0 : 1; break;
    case 3: pair = second == 8 ? 2 : 3; break;
    case 5: pair = second != 0 ? 7 : 5; break;
    default: pair = second != 0 ? 6 : 4; break; // first level 8
    }
    return (code | u32(8 * pair)) & 63;
}

u8 LocalPaletteStoredValue(int p, u32 value)
{
    static constexpr u8 kFirst[4] = {0, 3, 2, 1}, kSwapped[4] = {2, 3, 0, 1};
    if (p == 0)
        return kFirst[value & 3];
    if (p == 1 || p == 4 || p == 7 || p == 13)
        return kSwapped[value & 3];
    return u8(value & 3);
}

u32 ModulationWord4(const u8 values[16])
{
    u32 word = 0;
    for (int p = 0; p < 16; ++p)
        word |= u32(values[p] & 3) << (2 * p);
    return word;
}

u32 ModulationWord2Direct(const u8 values[32])
{
    u32 word = 0;
    for (int p = 0; p < 32; ++p)
        word |= u32(values[p] == 3) << p;
    return word;
}

u32 ModulationWord2Interpolated(u32 id, const u8 values[32])
{
    const u32 interpolation = id & 3; // 1 both ways, 2 across, 3 down
    u32 word = 0;
    for (int y = 0, bit = 0; y < 4; ++y)
        for (int x = y & 1; x < 8; x += 2, bit += 2) {
            u32 pair = values[8 * y + x] & 3;
            if (x == 0 && y == 0)
                pair = (pair >> 1) << 1 | u32(interpolation != 1);
            else if (x == 4 && y == 2 && interpolation != 1)
                pair = (pair >> 1) << 1 | u32(interpolation == 3);
            word |= pair << bit;
        }
    return word;
}

} // namespace xqftexture::amtc
