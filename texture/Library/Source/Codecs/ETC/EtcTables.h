#pragma once
// Constant tables of the ETC1/ETC2/EAC formats.
#include "XQFTextureTypes.h"

#include <array>

namespace xqftexture::etc {

// Rows 2k and 2k+1 both hold ETC1 modifier row k, ascending {-large, -small, +small, +large};
// a 3-bit table codeword cw selects row 2cw.
inline constexpr i32 ETCModifierTable[16][4] = {
    {-8, -2, 2, 8},       {-8, -2, 2, 8},       {-17, -5, 5, 17},     {-17, -5, 5, 17},
    {-29, -9, 9, 29},     {-29, -9, 9, 29},     {-42, -13, 13, 42},   {-42, -13, 13, 42},
    {-60, -18, 18, 60},   {-60, -18, 18, 60},   {-80, -24, 24, 80},   {-80, -24, 24, 80},
    {-106, -33, 33, 106}, {-106, -33, 33, 106}, {-183, -47, 47, 183}, {-183, -47, 47, 183},
};
// Index value (msb * 2 + lsb) -> column of ETCModifierTable, and its inverse.
inline constexpr u8 ETCUnscramble[4] = {2, 3, 1, 0};
inline constexpr u8 ETCScramble[4] = {3, 2, 0, 1};

// T and H mode distances, by 3-bit distance index.
inline constexpr u8 ETC2DistanceTable[8] = {3, 6, 11, 16, 23, 32, 41, 64};

// The four negative modifiers of each EAC row, most negative first; the positive ones are their
// complements (-value - 1).
inline constexpr i32 EACModifierTable[16][4] = {
    {-15, -9, -6, -3}, {-13, -10, -7, -3}, {-13, -8, -5, -2}, {-13, -6, -4, -2},
    {-12, -8, -6, -3}, {-11, -9, -7, -3},  {-11, -8, -7, -4}, {-11, -8, -5, -3},
    {-10, -8, -6, -2}, {-10, -8, -5, -2},  {-10, -8, -4, -2}, {-10, -7, -5, -2},
    {-10, -7, -4, -3}, {-10, -3, -2, -1},  {-9, -8, -6, -4},  {-9, -7, -5, -3},
};

// Modifier k (0..7, the 3-bit index) of EAC row t.
constexpr i32 EACModifier(u32 t, u32 k)
{
    return k < 4 ? EACModifierTable[t][3 - k] : ~EACModifierTable[t][3 - (k - 4)];
}

// The full EAC table, one row of eight modifiers per table index.
inline constexpr std::array<std::array<i32, 8>, 16> kEACModifiers = [] {
    std::array<std::array<i32, 8>, 16> t{};
    for (u32 r = 0; r < 16; ++r)
        for (u32 k = 0; k < 8; ++k)
            t[r][k] = EACModifier(r, k);
    return t;
}();
static_assert(kEACModifiers[0][0] == -3 && kEACModifiers[0][3] == -15 && kEACModifiers[0][4] == 2 &&
              kEACModifiers[0][7] == 14 && kEACModifiers[13][4] == 0 && kEACModifiers[13][7] == 9);

// Row (multiplier << 4 | table) holds EAC row table's modifiers times the multiplier: the second
// byte of an EAC alpha block selects its row directly.
inline constexpr std::array<std::array<i32, 8>, 256> kEACAlphaTable = [] {
    std::array<std::array<i32, 8>, 256> t{};
    for (u32 r = 0; r < 256; ++r)
        for (u32 k = 0; k < 8; ++k)
            t[r][k] = EACModifier(r & 15, k) * i32(r >> 4);
    return t;
}();

} // namespace xqftexture::etc
