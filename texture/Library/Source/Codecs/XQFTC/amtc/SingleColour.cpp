// The single-colour tables and fits.
#include "SingleColour.h"

#include "Quantise.h"

#include <cstdlib>

namespace xqftexture::amtc {
namespace {

// Channel bit depths of A and B per table; 0 marks the alpha value sets.
struct STableDepths {
    int a, b;
};
constexpr STableDepths kDepths[kSingleColourTables] = {{5, 5}, {4, 5}, {4, 4}, {3, 4}, {3, 5}, {0, 0}, {0, 1}};

// Each entry holds, for its target and option, the pair of least squared error (before the cap at
// 255); ties go to the smaller |A - B|, then to the smaller A. Options of equal weight hold the
// same pair.
void BuildTable(ESingleColourTable which, SSingleColourTable& table)
{
    u8 as[32], bs[32];
    const int na = SingleColourValues(which, false, as), nb = SingleColourValues(which, true, bs);
    for (int t = 0; t < 256; ++t)
        for (int o = 0; o < 8; ++o) {
            const int w = kSingleColourWeights[o];
            int bestError = 1 << 30, bestA = 0, bestB = 0;
            for (int i = 0; i < na; ++i)
                for (int j = 0; j < nb; ++j) {
                    const int a = as[i], b = bs[j];
                    const int d = (a * (8 - w) + b * w) / 8 - t, error = d * d;
                    const bool better = error < bestError ||
                                        (error == bestError && (std::abs(a - b) < std::abs(bestA - bestB) ||
                                                                (std::abs(a - b) == std::abs(bestA - bestB) && a < bestA)));
                    if (better)
                        bestError = error, bestA = a, bestB = b;
                }
            table[t][o] = {u8(bestError < 255 ? bestError : 255), u8(bestA), u8(bestB)};
        }
}

struct STables {
    SSingleColourTable table[kSingleColourTables];
    STables()
    {
        for (int i = 0; i < kSingleColourTables; ++i)
            BuildTable(ESingleColourTable(i), table[i]);
    }
};

const STables& Tables()
{
    static const STables tables;
    return tables;
}

// An opaque target's alpha: every option exact, both endpoints 255.
constexpr SSingleColourOption kOpaqueAlpha[8] = {{0, 255, 255}, {0, 255, 255}, {0, 255, 255}, {0, 255, 255},
                                                 {0, 255, 255}, {0, 255, 255}, {0, 255, 255}, {0, 255, 255}};

} // namespace

int SingleColourValues(ESingleColourTable which, bool b, u8 values[32])
{
    const STableDepths depths = kDepths[which];
    const int bits = b ? depths.b : depths.a;
    if (which == kAlpha || which == kAlphaSet) {
        // Translucent alphas are 3 bits: A's 4-bit alpha has a low bit of 0, XQFTC-II's B a low
        // bit of 1. B without XQFTC-II may also be opaque.
        const u32 low = b && which == kAlphaSet ? 1 : 0;
        int n = 0;
        for (u32 a = 0; a < 8; ++a)
            values[n++] = u8(17 * (a << 1 | low));
        if (b && which == kAlpha)
            values[n++] = 255;
        return n;
    }
    for (u32 code = 0; code < (1u << bits); ++code)
        values[code] = WidenTo8(code, bits);
    return 1 << bits;
}

const SSingleColourTable& SingleColourTable(ESingleColourTable which) { return Tables().table[which]; }

u32 ChooseSingleColourFit(const SSingleColourOption* const red, const SSingleColourOption* const green,
                          const SSingleColourOption* const blue, const SSingleColourOption* const alpha, bool mode,
                          bool variant, u8 endpointA[4], u8 endpointB[4])
{
    const SSingleColourOption* const channel[4] = {red, green, blue, alpha};
    auto error = [&](int o) { return u32(red[o].error) + green[o].error + blue[o].error + alpha[o].error; };
    const int base = variant ? 4 : 0;
    int option = 4;
    u32 value = 3;
    if (error(4) > error(0))
        option = 0, value = 0;
    if (mode) {
        if (error(base + 2) < error(option))
            option = base + 2, value = 1;
    } else if (error(base + 1) < error(option) || error(base + 3) < error(option)) {
        if (error(base + 1) < error(base + 3))
            option = base + 1, value = 1;
        else
            option = base + 3, value = 2;
    }
    for (int i = 0; i < 4; ++i)
        endpointA[i] = channel[i][option].a, endpointB[i] = channel[i][option].b;
    return value;
}

u32 SingleColourFit(const u8 target[4], bool mode, bool alphaSet, bool variant, u8 endpointA[4], u8 endpointB[4],
                    u32 flags[4])
{
    const STables& t = Tables();
    flags[0] = flags[1] = 1;
    flags[2] = 0;
    flags[3] = 1;
    if (target[3] >= 248)
        return ChooseSingleColourFit(t.table[kOpaqueRedGreen][target[0]], t.table[kOpaqueRedGreen][target[1]],
                                     t.table[kOpaqueBlue][target[2]], kOpaqueAlpha, mode, variant, endpointA,
                                     endpointB);
    if (alphaSet)
        flags[3] = 0;
    u32 value = ChooseSingleColourFit(t.table[kTranslucentRedGreen][target[0]],
                                      t.table[kTranslucentRedGreen][target[1]], t.table[kTranslucentBlue][target[2]],
                                      t.table[alphaSet ? kAlphaSet : kAlpha][target[3]], mode, variant, endpointA,
                                      endpointB);
    if (!alphaSet && endpointB[3] > 254) {
        // B came out opaque: fit again with B's opaque precisions, A staying translucent.
        value = ChooseSingleColourFit(t.table[kOpaqueBlue][target[0]], t.table[kOpaqueBlue][target[1]],
                                      t.table[kRefitBlue][target[2]], t.table[kAlpha][target[3]], mode, variant,
                                      endpointA, endpointB);
        flags[0] = flags[1] = flags[2] = flags[3] = 0;
        endpointB[3] = 255;
    }
    return value;
}

} // namespace xqftexture::amtc
