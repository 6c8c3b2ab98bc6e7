// Packed block words.
#include "BlockWords.h"

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
    u32 word;
    if (a.c[3] == 255 && b.c[3] == 255)
        word = (OpaqueA(a) | OpaqueB(b)) & (params.isXQFTCII ? ~(1u << 15) : ~0u);
    else if (params.isXQFTCII)
        word = TranslucentA(a) | TranslucentB(b);
    else
        word = (a.c[3] == 255 ? OpaqueA(a) : TranslucentA(a)) | (b.c[3] == 255 ? OpaqueB(b) : TranslucentB(b));
    return word | CandidateFlagBits(id);
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
