#pragma once
// Endpoint pairs that reproduce one colour as closely as the colour word allows: per channel and
// target value, a table of eight options, each a pair (A, B) blended at a fixed weight.
#include "AmtcTypes.h"

namespace xqftexture::amtc {

// Option o blends A and B at this weight of B, in eighths.
inline constexpr u8 kSingleColourWeights[8] = {0, 3, 4, 5, 8, 3, 4, 5};

struct SSingleColourOption {
    u8 error, a, b; // error = min((floor((A (8 - w) + B w) / 8) - t)^2, 255)
};
using SSingleColourTable = SSingleColourOption[256][8];

enum ESingleColourTable {
    kOpaqueRedGreen,      // 5-bit A, 5-bit B
    kOpaqueBlue,          // 4-bit A, 5-bit B; also red and green of the refit
    kTranslucentRedGreen, // 4-bit A, 4-bit B
    kTranslucentBlue,     // 3-bit A, 4-bit B
    kRefitBlue,           // 3-bit A, 5-bit B
    kAlpha,               // A translucent (8 even values), B translucent or opaque (9 values)
    kAlphaSet,            // A even, B odd: the XQFTC-II translucent alphas (8 values each)
    kSingleColourTables
};

// The tables, built from their error rule on first use (thread-safe).
const SSingleColourTable& SingleColourTable(ESingleColourTable which);

// The 8-bit values a channel of the given table can hold in A (b = false) or B (b = true).
int SingleColourValues(ESingleColourTable which, bool b, u8 values[32]);

// Fits one colour. flags[i] = 1 where A and B may be swapped without losing precision. Returns the
// modulation value of the chosen option.
u32 SingleColourFit(const u8 target[4], bool mode, bool alphaSet, bool variant, u8 endpointA[4], u8 endpointB[4],
                    u32 flags[4]);

// Picks the option for the four channels' tables (looked up at their own targets) and copies its
// endpoints; returns the modulation value (0, 1, 2 or 3).
u32 ChooseSingleColourFit(const SSingleColourOption* const red, const SSingleColourOption* const green,
                          const SSingleColourOption* const blue, const SSingleColourOption* const alpha, bool mode,
                          bool variant, u8 endpointA[4], u8 endpointB[4]);

} // namespace xqftexture::amtc
