#include "EtcBlocks.h"

#include "EtcTables.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

inline u8 Clamp255(i32 v) { return u8(v < 0 ? 0 : v > 255 ? 255 : v); }
inline i32 Extend4(u32 c) { return i32(c * 17); }
inline i32 Extend5(u32 c) { return i32((c << 3) | (c >> 2)); }
inline i32 Extend6(u32 c) { return i32((c << 2) | (c >> 4)); }
inline i32 Extend7(u32 c) { return i32((c << 1) | (c >> 6)); }
inline i32 Delta3(u32 d) { return i32(d & 3) - i32(d & 4); } // 3-bit two's complement

inline u32 IndexOf(u32 low, u32 pixelNumber) { return ((low >> (16 + pixelNumber)) & 1) << 1 | ((low >> pixelNumber) & 1); }

struct SColour {
    i32 r, g, b;
};

enum class EMode { Individual, Differential, T, H, Planar };

// Which mode a block with the diff (or opaque) bit set is in: an overflowing red sum means T, green
// H, blue planar.
EMode DifferentialMode(u32 high)
{
    const i32 r = i32((high >> 27) & 31) + Delta3(high >> 24);
    const i32 g = i32((high >> 19) & 31) + Delta3(high >> 16);
    const i32 b = i32((high >> 11) & 31) + Delta3(high >> 8);
    if (r < 0 || r > 31)
        return EMode::T;
    if (g < 0 || g > 31)
        return EMode::H;
    if (b < 0 || b > 31)
        return EMode::Planar;
    return EMode::Differential;
}

} // namespace

// Individual and differential modes. punchThrough with opaque false: the modifiers of index values
// 0 and 2 become 0 and index value 2 is transparent black.
void DecodeSubBlocks(u32 high, u32 low, bool differential, bool transparentCapable, Rgba8 out[16])
{
    SColour c1, c2;
    if (differential) {
        const u32 r = (high >> 27) & 31, g = (high >> 19) & 31, b = (high >> 11) & 31;
        c1 = {Extend5(r), Extend5(g), Extend5(b)};
        c2 = {Extend5(u32(i32(r) + Delta3(high >> 24)) & 31), Extend5(u32(i32(g) + Delta3(high >> 16)) & 31),
              Extend5(u32(i32(b) + Delta3(high >> 8)) & 31)};
    } else {
        c1 = {Extend4((high >> 28) & 15), Extend4((high >> 20) & 15), Extend4((high >> 12) & 15)};
        c2 = {Extend4((high >> 24) & 15), Extend4((high >> 16) & 15), Extend4((high >> 8) & 15)};
    }
    // The four colours of each sub-block, by index value; then every pixel is one lookup.
    Rgba8 colours[2][4];
    const SColour* bases[2] = {&c1, &c2};
    const u32 codewords[2] = {(high >> 5) & 7, (high >> 2) & 7};
    for (u32 sub = 0; sub < 2; ++sub)
        for (u32 index = 0; index < 4; ++index) {
            const SColour& base = *bases[sub];
            const i32 m = ETCModifierTable[2 * codewords[sub]][ETCUnscramble[index]];
            colours[sub][index] = {Clamp255(base.r + m), Clamp255(base.g + m), Clamp255(base.b + m), 255};
        }
    if (transparentCapable)
        for (u32 sub = 0; sub < 2; ++sub) {
            colours[sub][0] = {u8(bases[sub]->r), u8(bases[sub]->g), u8(bases[sub]->b), 255}; // modifier dropped
            colours[sub][2] = {0, 0, 0, 0};
        }
    const bool flip = high & 1;
    for (u32 x = 0; x < 4; ++x)
        for (u32 y = 0; y < 4; ++y)
            out[4 * y + x] = colours[flip ? y >> 1 : x >> 1][IndexOf(low, 4 * x + y)];
}

namespace {

void Paint(const SColour paint[4], u32 low, bool transparentCapable, Rgba8 out[16])
{
    for (u32 x = 0; x < 4; ++x)
        for (u32 y = 0; y < 4; ++y) {
            const u32 index = IndexOf(low, 4 * x + y);
            const SColour& c = paint[index];
            out[4 * y + x] = transparentCapable && index == 2 ? Rgba8{0, 0, 0, 0}
                                                               : Rgba8{u8(c.r), u8(c.g), u8(c.b), 255};
        }
}

} // namespace

void DecodeT(u32 high, u32 low, bool transparentCapable, Rgba8 out[16])
{
    const SColour c1{Extend4(((high >> 27) & 3) << 2 | ((high >> 24) & 3)), Extend4((high >> 20) & 15),
                     Extend4((high >> 16) & 15)};
    const SColour c2{Extend4((high >> 12) & 15), Extend4((high >> 8) & 15), Extend4((high >> 4) & 15)};
    const i32 d = ETC2DistanceTable[((high >> 2) & 3) << 1 | (high & 1)];
    const SColour paint[4] = {
        c1,
        {std::min(c2.r + d, 255), std::min(c2.g + d, 255), std::min(c2.b + d, 255)},
        c2,
        {std::max(c2.r - d, 0), std::max(c2.g - d, 0), std::max(c2.b - d, 0)},
    };
    Paint(paint, low, transparentCapable, out);
}

void DecodeH(u32 high, u32 low, bool transparentCapable, Rgba8 out[16])
{
    const u32 r1 = (high >> 27) & 15, g1 = ((high >> 24) & 7) << 1 | ((high >> 20) & 1),
              b1 = ((high >> 19) & 1) << 3 | ((high >> 15) & 7);
    const u32 r2 = (high >> 11) & 15, g2 = (high >> 7) & 15, b2 = (high >> 3) & 15;
    const u32 order = (r1 << 8 | g1 << 4 | b1) >= (r2 << 8 | g2 << 4 | b2) ? 1 : 0;
    const i32 d = ETC2DistanceTable[((high >> 2) & 1) << 2 | (high & 1) << 1 | order];
    const SColour c1{Extend4(r1), Extend4(g1), Extend4(b1)}, c2{Extend4(r2), Extend4(g2), Extend4(b2)};
    auto plus = [](const SColour& c, i32 v) {
        return SColour{std::clamp(c.r + v, 0, 255), std::clamp(c.g + v, 0, 255), std::clamp(c.b + v, 0, 255)};
    };
    const SColour paint[4] = {plus(c1, d), plus(c1, -d), plus(c2, d), plus(c2, -d)};
    Paint(paint, low, transparentCapable, out);
}

void DecodePlanar(u32 high, u32 low, Rgba8 out[16])
{
    const i32 ro = Extend6((high >> 25) & 63);
    const i32 go = Extend7(((high >> 24) & 1) << 6 | ((high >> 17) & 63));
    const i32 bo = Extend6(((high >> 16) & 1) << 5 | ((high >> 11) & 3) << 3 | ((high >> 7) & 7));
    const i32 rh = Extend6(((high >> 2) & 31) << 1 | (high & 1));
    const i32 gh = Extend7((low >> 25) & 127);
    const i32 bh = Extend6((low >> 19) & 63);
    const i32 rv = Extend6((low >> 13) & 63);
    const i32 gv = Extend7((low >> 6) & 127);
    const i32 bv = Extend6(low & 63);
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x)
            out[4 * y + x] = {Clamp255((x * (rh - ro) + y * (rv - ro) + 4 * ro + 2) >> 2),
                              Clamp255((x * (gh - go) + y * (gv - go) + 4 * go + 2) >> 2),
                              Clamp255((x * (bh - bo) + y * (bv - bo) + 4 * bo + 2) >> 2), 255};
}

void DecodeRGBBlock(u32 high, u32 low, Rgba8 out[16])
{
    if ((high & 2) == 0)
        return DecodeSubBlocks(high, low, false, false, out);
    switch (DifferentialMode(high)) {
    case EMode::T: return DecodeT(high, low, false, out);
    case EMode::H: return DecodeH(high, low, false, out);
    case EMode::Planar: return DecodePlanar(high, low, out);
    default: return DecodeSubBlocks(high, low, true, false, out);
    }
}

void DecodePunchThroughBlock(u32 high, u32 low, Rgba8 out[16])
{
    const bool transparentCapable = (high & 2) == 0; // opaque flag clear
    switch (DifferentialMode(high)) {
    case EMode::T: return DecodeT(high, low, transparentCapable, out);
    case EMode::H: return DecodeH(high, low, transparentCapable, out);
    case EMode::Planar: return DecodePlanar(high, low, out);
    default: return DecodeSubBlocks(high, low, true, transparentCapable, out);
    }
}

namespace {

// The sixteen 3-bit indices of an EAC block, most significant first in pixel-number order.
inline u64 EACIndexBits(const u8* b)
{
    return u64(b[2]) << 40 | u64(b[3]) << 32 | u64(b[4]) << 24 | u64(b[5]) << 16 | u64(b[6]) << 8 | u64(b[7]);
}

} // namespace

void DecodeEACAlpha(const u8* block, u8 out[16])
{
    const i32 base = block[0];
    const auto& row = kEACAlphaTable[block[1]];
    const u64 bits = EACIndexBits(block);
    for (u32 i = 0; i < 16; ++i) // i = 4x + y
        out[4 * (i & 3) + (i >> 2)] = Clamp255(base + row[(bits >> (45 - 3 * i)) & 7]);
}

u16 EAC11Value(u8 base, u32 table, u32 multiplier, u32 index, bool isSigned)
{
    const i32 m = kEACModifiers[table & 15][index & 7];
    const i32 step = multiplier == 0 ? m : m * i32(multiplier) * 8;
    if (!isSigned) {
        const i32 v = std::clamp(i32(base) * 8 + 4 + step, 0, 2047);
        return u16((v << 5) + (v >> 6));
    }
    const i32 b = std::max(i32(i8(base)), -127);
    const i32 v = std::clamp(b * 8 + step, -1023, 1023);
    const i32 a = v < 0 ? -v : v;
    const i32 extended = (a << 5) + (a >> 5);
    return u16(i16(v < 0 ? -extended : extended));
}

void DecodeEAC11(const u8* block, bool isSigned, u16 out[16])
{
    const u64 bits = EACIndexBits(block);
    const u32 multiplier = block[1] >> 4, table = block[1] & 15;
    for (u32 i = 0; i < 16; ++i)
        out[4 * (i & 3) + (i >> 2)] = EAC11Value(block[0], table, multiplier, u32(bits >> (45 - 3 * i)) & 7, isSigned);
}

} // namespace xqftexture::etc
