// Endpoint quantisation.
#include "Quantise.h"

#include "SingleColour.h"

#include <cmath>

namespace xqftexture::amtc {
namespace {

template <class T>
u8 Nearest(T value, int bits, bool roundUpOnTie, int lo)
{
    const int max = (1 << bits) - 1;
    int hi = lo + 1;
    if (lo >= max)
        lo = max - 1, hi = max;
    const u8 low = WidenTo8(u32(lo), bits), high = WidenTo8(u32(hi), bits);
    const T dLow = value > T(low) ? value - T(low) : T(low) - value;
    const T dHigh = value > T(high) ? value - T(high) : T(high) - value;
    if (dLow < dHigh)
        return low;
    if (dHigh < dLow)
        return high;
    return roundUpOnTie ? high : low;
}

float Sq(float v) { return v * v; }

float DistanceSq(const float a[4], const float b[4])
{
    return Sq(a[0] - b[0]) + Sq(a[1] - b[1]) + Sq(a[2] - b[2]) + Sq(a[3] - b[3]);
}

// The layout step 1 of the pair quantiser settles: whether each colour is opaque and its alpha.
struct SLayout {
    bool opaqueA, opaqueB, bothOpaque;
    u32 lowA, lowB;
    u8 alphaA, alphaB;
};

// A translucent colour's alpha. Its 3 stored bits widen to at most 238 when the low bit is 0, so
// 255 (which the alpha quantiser may give) is taken down to that.
u8 TranslucentAlpha(float value, u32 lowBit)
{
    const u8 q = QuantiseAlpha(value, lowBit);
    return lowBit == 0 && q == 255 ? 238 : q;
}

SLayout Layout(bool isXQFTCII, const float a[4], const float b[4])
{
    SLayout l{};
    if (a[3] >= 253.0f && b[3] >= 253.0f) {
        l.opaqueA = l.opaqueB = l.bothOpaque = true;
        l.alphaA = l.alphaB = 255;
        return l;
    }
    if (isXQFTCII) {
        l.lowA = 0, l.lowB = 1;
        const u8 qa = QuantiseAlpha(a[3], 0), qb = QuantiseAlpha(b[3], 1);
        // One opacity flag for both colours: the pair is opaque only when both alphas are 255.
        l.bothOpaque = l.opaqueA = l.opaqueB = qa == 255 && qb == 255;
        l.alphaA = l.bothOpaque ? 255 : TranslucentAlpha(a[3], 0);
        l.alphaB = qb;
        return l;
    }
    l.alphaA = QuantiseAlpha(a[3], 0), l.alphaB = QuantiseAlpha(b[3], 0);
    l.opaqueA = l.alphaA == 255, l.opaqueB = l.alphaB == 255;
    return l;
}

// Quantises red, green and blue of both colours outward: the smaller value rounds down on a tie,
// the larger up.
void QuantiseOutward(const SLayout& l, const float a[4], const float b[4], SRgba& qa, SRgba& qb)
{
    const int* bitsA = l.opaqueA ? kOpaqueBitsA : kTranslucentBitsA;
    const int* bitsB = l.opaqueB ? kOpaqueBitsB : kTranslucentBitsB;
    for (int i = 0; i < 3; ++i) {
        const bool aLower = a[i] <= b[i];
        qa.c[i] = QuantiseChannel(a[i], bitsA[i], !aLower);
        qb.c[i] = QuantiseChannel(b[i], bitsB[i], aLower);
    }
}

} // namespace

u8 QuantiseChannel(float value, int bits, bool roundUpOnTie)
{
    if (value <= 0.0f)
        return 0;
    if (value >= 255.0f)
        return 255;
    const int max = (1 << bits) - 1;
    return Nearest<float>(value, bits, roundUpOnTie, int(std::floor(value * float(max) / 255.0f)));
}

u8 QuantiseChannelInt(u8 value, int bits, bool roundUpOnTie)
{
    const int max = (1 << bits) - 1;
    return Nearest<int>(value, bits, roundUpOnTie, value * max / 255);
}

u8 QuantiseAlpha(float value, u32 lowBit)
{
    // With the low bit set the least alpha the colour word holds is 17, not 0.
    if (value <= 0.0f)
        return lowBit ? 17 : 0;
    if (value >= 255.0f)
        return 255;
    const u32 a = (u32(std::floor(value * 15.0f / 255.0f)) & ~1u) | lowBit;
    const float q = float(17 * a), up = q + 34.0f;
    const float dq = std::fabs(value - q), dUp = std::fabs(value - up), dMax = 255.0f - value;
    if (dMax <= dq && dMax <= dUp)
        return 255;
    return dUp <= dq ? u8(up) : u8(q); // up is below 255 here, or dMax would have won
}

void QuantisePair(bool isXQFTCII, bool punch, const float a[4], const float b[4], SRgba& outA, SRgba& outB)
{
    const SLayout l = Layout(isXQFTCII, a, b);
    const float d = DistanceSq(a, b);
    if (d >= 64.0f) {
        QuantiseOutward(l, a, b, outA, outB);
        outA.c[3] = l.alphaA, outB.c[3] = l.alphaB;
        return;
    }
    if (d >= 3.0f) {
        // Close colours: stretch the pair so that the quantised ends bracket the colours, and keep
        // the stretch that reproduces A at fraction s and B at fraction t best.
        static constexpr float kFractions[3][2] = {{0.0f, 0.375f}, {0.375f, 0.625f}, {0.625f, 1.0f}};
        float bestError = 0.0f;
        for (int k = 0; k < 3; ++k) {
            const float s = kFractions[k][0], t = kFractions[k][1];
            float ea[4], eb[4];
            for (int i = 0; i < 4; ++i) {
                ea[i] = a[i] - s * (b[i] - a[i]);
                eb[i] = b[i] + (1.0f - t) * (b[i] - a[i]);
            }
            SRgba qa, qb;
            QuantiseOutward(l, ea, eb, qa, qb);
            if (l.bothOpaque)
                qa.c[3] = qb.c[3] = 255;
            else
                qa.c[3] = l.opaqueA ? 255 : TranslucentAlpha(ea[3], l.lowA),
                qb.c[3] = l.opaqueB ? 255 : TranslucentAlpha(eb[3], l.lowB);
            float atS[4], atT[4];
            for (int i = 0; i < 4; ++i) {
                atS[i] = float(qa.c[i]) + s * (float(qb.c[i]) - float(qa.c[i]));
                atT[i] = float(qa.c[i]) + t * (float(qb.c[i]) - float(qa.c[i]));
            }
            const float error = DistanceSq(atS, a) + DistanceSq(atT, b);
            if (k == 0 || error < bestError)
                bestError = error, outA = qa, outB = qb;
        }
        return;
    }
    // One colour: the single-colour fit, crossed when that reproduces the float pair better and the
    // channels that cannot be swapped are equal in both.
    u8 target[4];
    for (int i = 0; i < 4; ++i)
        target[i] = u8(a[i] <= 0.0f ? 0 : a[i] >= 255.0f ? 255 : std::lround(a[i]));
    u8 x[4], y[4];
    u32 flags[4];
    SingleColourFit(target, punch, isXQFTCII, true, x, y, flags);
    float fx[4], fy[4];
    bool swappable = true;
    for (int i = 0; i < 4; ++i) {
        fx[i] = x[i], fy[i] = y[i];
        swappable = swappable && (flags[i] != 0 || x[i] == y[i]);
    }
    const bool crossed = swappable && DistanceSq(a, fy) + DistanceSq(b, fx) < DistanceSq(a, fx) + DistanceSq(b, fy);
    std::memcpy(outA.c, crossed ? y : x, 4);
    std::memcpy(outB.c, crossed ? x : y, 4);
}

void QuantisePairNearest(bool isXQFTCII, const SRgba& a, const SRgba& b, SRgba& outA, SRgba& outB)
{
    float fa[4], fb[4];
    for (int i = 0; i < 4; ++i)
        fa[i] = a.c[i], fb[i] = b.c[i];
    const SLayout l = Layout(isXQFTCII, fa, fb);
    const int* bitsA = l.opaqueA ? kOpaqueBitsA : kTranslucentBitsA;
    const int* bitsB = l.opaqueB ? kOpaqueBitsB : kTranslucentBitsB;
    for (int i = 0; i < 3; ++i) {
        outA.c[i] = QuantiseChannelInt(a.c[i], bitsA[i], true);
        outB.c[i] = QuantiseChannelInt(b.c[i], bitsB[i], true);
    }
    outA.c[3] = l.alphaA, outB.c[3] = l.alphaB;
}

} // namespace xqftexture::amtc
