// DXT1-DXT5 encoding. Colour: endpoints at the extremes of the block's principal axis, quantised to
// the nearest 5:6:5 value, each texel given the nearest colour of the palette the decoder will build,
// then the endpoints refitted by least squares to those choices while that lowers the error. A block
// of one colour that 5:6:5 cannot hold is matched through an interpolated palette entry.
#include "DxtBlocks.h"
#include "XQFTextureEncoders.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

// The vector types below stay inside this file (and are inlined), so the note that passing them
// changes with AVX does not concern any interface.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace xqftexture {
namespace {

// Four texels (or four blocks) side by side (GCC vector extensions). Each lane does the arithmetic a
// loop over single values would, in the same order, so the blocks do not depend on the grouping.
// Palette errors are whole numbers below 2^18, which single precision holds exactly, so the lanes
// compare as the integers would.
typedef float V4f __attribute__((vector_size(16)));
typedef i32 V4i __attribute__((vector_size(16)));

using dxt::SColourBlock;

struct SVec3 {
    float r, g, b;
};

// For a 5-bit (Bits = 5) or 6-bit channel: the value whose bit-replicated 8-bit widening is nearest
// to v, the lower one where two are as near, for 2v rounded up (n, 0 to 510). The midpoints between
// neighbouring widenings are whole or half numbers, so v lies above a midpoint m exactly when
// ceil(2v) > 2m, and the value is the number of midpoints below v.
template <int Bits>
struct SEndpointTable {
    u8 value[511];
    constexpr SEndpointTable() : value()
    {
        auto wide = [](int q) { return Bits == 5 ? (q << 3) | (q >> 2) : (q << 2) | (q >> 4); };
        for (int n = 0; n < 511; ++n)
            for (int q = 0; q < (1 << Bits) - 1; ++q)
                value[n] = u8(value[n] + (wide(q) + wide(q + 1) < n ? 1 : 0));
    }
};

constexpr SEndpointTable<5> kFiveBit;
constexpr SEndpointTable<6> kSixBit;

// The nearest 5:6:5 colour, each channel first held to 0 to 255 (and 0 for NaN), without branches:
// a channel between endpoints is as likely to go one way as the other.
u32 Quantise565(SVec3 c)
{
    const V4f v = _mm_min_ps(_mm_max_ps(V4f{c.r, c.g, c.b, 0.0f}, V4f{}), V4f{} + 255.0f); // max takes 0 for NaN
    const V4f twice = v + v;                                                               // exact
    const V4i down = V4i(_mm_cvttps_epi32(twice));
    const V4i n = down - (__builtin_convertvector(down, V4f) < twice); // rounded up: a true lane is -1
    return u32(kFiveBit.value[n[0]]) << 11 | u32(kSixBit.value[n[1]]) << 5 | kFiveBit.value[n[2]];
}

// The block as the fit sees it: sixteen texels, which of them carry colour, and the block's kind.
struct SBlockInput {
    std::array<Rgba8, 16> texels;
    u32 colourMask;   // bit i set: texel i is fitted (all of them unless DXT1 transparency)
    bool threeColour; // DXT1 block with transparent texels: colour0 <= colour1, index 3 transparent
    bool dxt1;        // the three-colour palette exists (DXT1 only)
    // The texels' channels in lanes, four texels a vector (texel 4q + j in lane j of vector q), and
    // the fitted texels (all ones); and each texel as one vector (r, g, b, 0).
    V4f r[4], g[4], b[4];
    V4i fitted[4];
    V4f rgb[16];
    void SetLanes()
    {
        const __m128i zero = _mm_setzero_si128(), byte = _mm_set1_epi32(0xFF);
        for (u32 q = 0; q < 4; ++q) {
            const __m128i t = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&texels[4 * q])),
                                            _mm_set1_epi32(0x00FFFFFF));
            r[q] = _mm_cvtepi32_ps(_mm_and_si128(t, byte));
            g[q] = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(t, 8), byte));
            b[q] = _mm_cvtepi32_ps(_mm_srli_epi32(t, 16));
            const __m128i low = _mm_unpacklo_epi8(t, zero), high = _mm_unpackhi_epi8(t, zero);
            rgb[4 * q] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero));
            rgb[4 * q + 1] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero));
            rgb[4 * q + 2] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero));
            rgb[4 * q + 3] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero));
            fitted[q] = (V4i{1, 2, 4, 8} & i32(colourMask >> (4 * q))) != 0;
        }
    }
};

struct SColourFit {
    u32 c0 = 0, c1 = 0, indices = 0;
    u32 error = ~0u;
};


// Eight bytes of 0 to 3 (texel i in byte i) as sixteen bits of 2-bit indices (texel i at bit 2i).
u32 PackQuarter(u64 x)
{
    x = (x | x >> 6) & 0x000F000F000F000Full;  // byte pairs as nibbles
    x = (x | x >> 12) & 0x000000FF000000FFull; // nibble pairs as bytes
    return u32((x | x >> 24) & 0xFFFF);
}

// Sixteen lane values of 0 to 3 (texel 4q + j in lane j of vector q) as the block's 2-bit indices,
// texel i at bit 2i.
u32 PackIndices(const V4i (&chosen)[4])
{
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(__m128i(chosen[0]), __m128i(chosen[1])),
                                           _mm_packs_epi32(__m128i(chosen[2]), __m128i(chosen[3])));
    return PackQuarter(u64(_mm_cvtsi128_si64(bytes))) |
           PackQuarter(u64(_mm_cvtsi128_si64(_mm_unpackhi_epi64(bytes, bytes)))) << 16;
}

// Orders the endpoints as the block kind needs, picks each texel's nearest palette entry and
// returns the block with its squared error.
SColourFit Evaluate(const SBlockInput& in, u32 c0, u32 c1)
{
    SColourFit fit;
    if (in.threeColour ? c0 > c1 : c0 < c1)
        std::swap(c0, c1);
    u8 bytes[8] = {u8(c0), u8(c0 >> 8), u8(c1), u8(c1 >> 8), 0, 0, 0, 0};
    const SColourBlock palette = SColourBlock::Parse(bytes, true);
    // Equal endpoints of an opaque block: a decoder that honours the DXT1 order rule would see
    // three colours there, so only index 0 is safe.
    const u32 usable = in.threeColour ? 3 : (c0 == c1 ? 1 : 4);
    fit.c0 = c0, fit.c1 = c1, fit.error = 0;
    // Every texel's least error over the usable entries, the first entry winning ties; texels not
    // fitted take index 3 and add nothing. Four texels a vector, entry by entry.
    const V4i words = V4i{i32(palette.palette[0]), i32(palette.palette[1]), i32(palette.palette[2]),
                          i32(palette.palette[3])};
    const V4f pr = __builtin_convertvector(words & 0xFF, V4f), pg = __builtin_convertvector(words >> 8 & 0xFF, V4f),
              pb = __builtin_convertvector(words >> 16 & 0xFF, V4f);
    V4f least[4];
    V4i index[4];
    for (u32 q = 0; q < 4; ++q) {
        const V4f dr = in.r[q] - pr[0], dg = in.g[q] - pg[0], db = in.b[q] - pb[0];
        least[q] = dr * dr + dg * dg + db * db, index[q] = V4i{};
    }
    for (u32 k = 1; k < usable; ++k)
        for (u32 q = 0; q < 4; ++q) {
            const V4f dr = in.r[q] - pr[k], dg = in.g[q] - pg[k], db = in.b[q] - pb[k];
            const V4f e = dr * dr + dg * dg + db * db;
            const V4i better = e < least[q];
            least[q] = better ? e : least[q];
            index[q] = better ? V4i{} + i32(k) : index[q];
        }
    V4i chosen[4], errors{};
    for (u32 q = 0; q < 4; ++q) {
        chosen[q] = in.fitted[q] ? index[q] : V4i{} + 3;
        errors += __builtin_convertvector(least[q], V4i) & in.fitted[q];
    }
    fit.indices = PackIndices(chosen);
    errors += __builtin_shufflevector(errors, errors, 2, 3, 0, 1);
    fit.error = u32(errors[0] + errors[1]);
    return fit;
}

// Where index k sits between endpoint 0 (0) and endpoint 1 (1).
float IndexPosition(u32 k, bool threeColour)
{
    static constexpr float kFour[4] = {0.0f, 1.0f, 1.0f / 3.0f, 2.0f / 3.0f};
    static constexpr float kThree[4] = {0.0f, 1.0f, 0.5f, 0.0f};
    return threeColour ? kThree[k] : kFour[k];
}

// Least-squares endpoints for fixed index choices; false when the choices do not pin two endpoints.
// The sums run over the fitted texels in order, the nine of them side by side in lanes.
bool RefitEndpoints(const SBlockInput& in, const SColourFit& fit, SVec3& e0, SVec3& e1)
{
    V4f weights{}, sums0{}, sums1{}; // (s s, s t, t t, 0), s (r, g, b, 0), t (r, g, b, 0)
    for (u32 mask = in.colourMask; mask != 0; mask &= mask - 1) {
        const u32 i = u32(std::countr_zero(mask));
        const float t = IndexPosition(fit.indices >> (2 * i) & 3, in.threeColour), s = 1.0f - t;
        weights += V4f{s, s, t, 0.0f} * V4f{s, t, t, 0.0f};
        sums0 += s * in.rgb[i];
        sums1 += t * in.rgb[i];
    }
    const float a = weights[0], b = weights[1], c = weights[2];
    const SVec3 d0{sums0[0], sums0[1], sums0[2]}, d1{sums1[0], sums1[1], sums1[2]};
    const float det = a * c - b * b;
    if (std::fabs(det) < 1e-6f)
        return false;
    const float inv = 1.0f / det;
    e0 = {(c * d0.r - b * d1.r) * inv, (c * d0.g - b * d1.g) * inv, (c * d0.b - b * d1.b) * inv};
    e1 = {(a * d1.r - b * d0.r) * inv, (a * d1.g - b * d0.g) * inv, (a * d1.b - b * d0.b) * inv};
    return true;
}

// The mean and the scatter matrix of the fitted texels, whose principal axis the endpoints lie on.
struct SMoments {
    SVec3 mean;
    float m[3][3];
};

// The sums run over the fitted texels in order, the six distinct entries of the symmetric matrix
// side by side in lanes (whole-number channel sums are exact in any order).
SMoments Moments(const SBlockInput& in)
{
    V4f sum{};
    for (u32 i = 0; i < 16; ++i)
        sum += in.fitted[i / 4][i % 4] ? in.rgb[i] : V4f{};
    const V4f mean = sum / float(std::popcount(in.colourMask));
    V4f upper{}, lower{}; // (rr, rg, rb, gg), (gb, bb, -, -)
    for (u32 mask = in.colourMask; mask != 0; mask &= mask - 1) {
        const V4f v = in.rgb[std::countr_zero(mask)] - mean;
        upper += __builtin_shufflevector(v, v, 0, 0, 0, 1) * __builtin_shufflevector(v, v, 0, 1, 2, 1);
        lower += __builtin_shufflevector(v, v, 1, 2, 2, 2) * __builtin_shufflevector(v, v, 2, 2, 2, 2);
    }
    SMoments s;
    s.mean = {mean[0], mean[1], mean[2]};
    s.m[0][0] = upper[0], s.m[0][1] = s.m[1][0] = upper[1], s.m[0][2] = s.m[2][0] = upper[2];
    s.m[1][1] = upper[3], s.m[1][2] = s.m[2][1] = lower[0], s.m[2][2] = lower[1];
    return s;
}

// Principal axes by power iteration from (1, 1, 1), kBatch blocks side by side: each lane does the
// arithmetic of one block's iteration in the same order and precision (a lane stops where the one
// block's loop would), so the axes are those of block-by-block loops, found in a fraction of their
// time (an iteration waits on a square root and a division). moments[k] == nullptr: no block there.
constexpr u32 kBatch = 8;

void PrincipalAxes(const SMoments* const (&moments)[kBatch], float (&axes)[kBatch][3])
{
    constexpr u32 kHalves = kBatch / 4;
    V4f m[kHalves][3][3], axis[kHalves][3];
    V4i active[kHalves];
    for (u32 h = 0; h < kHalves; ++h) {
        for (u32 lane = 0; lane < 4; ++lane) {
            const SMoments* block = moments[4 * h + lane];
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    m[h][r][c][lane] = block != nullptr ? block->m[r][c] : 0.0f;
            active[h][lane] = block != nullptr ? -1 : 0;
        }
        for (int r = 0; r < 3; ++r)
            axis[h][r] = V4f{} + 1.0f;
    }
    for (int iteration = 0; iteration < 100; ++iteration) {
        V4i any = V4i{};
        for (u32 h = 0; h < kHalves; ++h) {
            V4f next[3];
            for (int r = 0; r < 3; ++r)
                next[r] = m[h][r][0] * axis[h][0] + m[h][r][1] * axis[h][1] + m[h][r][2] * axis[h][2];
            const V4f len = _mm_sqrt_ps(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
            const V4i moving = active[h] & ~(len < 1e-12f); // no spread along the axis: keep it
            V4f diff[3];
            for (int r = 0; r < 3; ++r) {
                const V4f unit = next[r] / len;
                diff[r] = unit - axis[h][r];
                axis[h][r] = moving ? unit : axis[h][r];
            }
            active[h] = moving & ~(_mm_sqrt_ps(diff[0] * diff[0] + diff[1] * diff[1] + diff[2] * diff[2]) < 1e-5f);
            any |= active[h];
        }
        if (!(any[0] | any[1] | any[2] | any[3]))
            break;
    }
    for (u32 k = 0; k < kBatch; ++k)
        for (int r = 0; r < 3; ++r)
            axes[k][r] = axis[k / 4][r][k % 4];
}

// Endpoints at the fitted texels' extreme projections on the axis through their mean.
void ExtremeEndpoints(const SBlockInput& in, const SMoments& moments, const float (&axis)[3], SVec3& e0, SVec3& e1)
{
    const SVec3 mean = moments.mean;
    V4f low{}, high{}; // texels not fitted project to 0, which lies between the extremes anyway
    for (u32 q = 0; q < 4; ++q) {
        const V4f p = (in.r[q] - mean.r) * axis[0] + (in.g[q] - mean.g) * axis[1] + (in.b[q] - mean.b) * axis[2];
        const V4f fitted = in.fitted[q] ? p : V4f{};
        low = fitted < low ? fitted : low, high = fitted > high ? fitted : high;
    }
    const float lo = std::min(std::min(low[0], low[1]), std::min(low[2], low[3]));
    const float hi = std::max(std::max(high[0], high[1]), std::max(high[2], high[3]));
    e0 = {mean.r + axis[0] * hi, mean.g + axis[1] * hi, mean.b + axis[2] * hi};
    e1 = {mean.r + axis[0] * lo, mean.g + axis[1] * lo, mean.b + axis[2] * lo};
}

// For one 8-bit value and a channel of 5 or 6 bits: the endpoint pair whose 2/3 : 1/3 mix (the
// four-colour palette) or 1/2 : 1/2 mix (the three-colour palette of DXT1) decodes closest to it.
struct SMixPair {
    u8 e0, e1;
};
struct SMixTables {
    SMixPair five[256], six[256];     // 2/3 : 1/3
    SMixPair fiveHalf[256], sixHalf[256]; // 1/2 : 1/2
    SMixTables()
    {
        Fill(five, 5, false);
        Fill(six, 6, false);
        Fill(fiveHalf, 5, true);
        Fill(sixHalf, 6, true);
    }
    static void Fill(SMixPair* table, int bits, bool half)
    {
        const int max = (1 << bits) - 1;
        auto wide = [bits](int q) { return bits == 5 ? (q << 3) | (q >> 2) : (q << 2) | (q >> 4); };
        for (int v = 0; v < 256; ++v) {
            int bestErr = 1 << 30;
            for (int a = 0; a <= max; ++a)
                for (int b = 0; b <= max; ++b) {
                    const int mix = half ? (wide(a) + wide(b)) / 2 : (2 * wide(a) + wide(b)) / 3;
                    const int err = std::abs(mix - v) * 256 + std::abs(a - b);
                    if (err < bestErr)
                        bestErr = err, table[v] = {u8(a), u8(b)};
                }
        }
    }
};

SColourFit FitOneColour(const SBlockInput& in, Rgba8 colour)
{
    const u32 exact = Quantise565({float(colour.r), float(colour.g), float(colour.b)});
    SColourFit best = Evaluate(in, exact, in.threeColour ? exact : 0);
    if (best.error == 0 || in.threeColour)
        return best;
    static const SMixTables tables;
    const SMixPair r = tables.five[colour.r], g = tables.six[colour.g], b = tables.five[colour.b];
    const SColourFit mixed = Evaluate(in, u32(r.e0 << 11 | g.e0 << 5 | b.e0), u32(r.e1 << 11 | g.e1 << 5 | b.e1));
    if (mixed.error < best.error)
        best = mixed;
    if (in.dxt1 && best.error != 0) {
        // An opaque DXT1 block may use the three-colour palette as long as index 3 stays unused.
        SBlockInput three = in;
        three.threeColour = true;
        const SMixPair hr = tables.fiveHalf[colour.r], hg = tables.sixHalf[colour.g], hb = tables.fiveHalf[colour.b];
        const SColourFit half =
            Evaluate(three, u32(hr.e0 << 11 | hg.e0 << 5 | hb.e0), u32(hr.e1 << 11 | hg.e1 << 5 | hb.e1));
        if (half.error < best.error)
            best = half;
    }
    return best;
}

// Blocks with nothing to fit and blocks of one colour are fitted at once (true); the others need
// their principal axis (false).
bool FitWithoutAxis(const SBlockInput& in, SColourFit& fit)
{
    if (in.colourMask == 0)
        return fit = Evaluate(in, 0, 0), true;
    int first = -1;
    bool oneColour = true;
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1))
            continue;
        if (first < 0)
            first = int(i);
        else if (std::memcmp(&in.texels[i], &in.texels[first], 3) != 0)
            oneColour = false;
    }
    if (oneColour)
        fit = FitOneColour(in, in.texels[first]);
    return oneColour;
}

SColourFit FitOnAxis(const SBlockInput& in, const SMoments& moments, const float (&axis)[3])
{
    SVec3 e0, e1;
    ExtremeEndpoints(in, moments, axis, e0, e1);
    SColourFit best = Evaluate(in, Quantise565(e0), Quantise565(e1));
    for (int pass = 0; pass < 3 && best.error != 0; ++pass) {
        if (!RefitEndpoints(in, best, e0, e1))
            break;
        // The same endpoints in either order make the same block: no gain, so the refit ends.
        const u32 q0 = Quantise565(e0), q1 = Quantise565(e1);
        if ((q0 == best.c0 && q1 == best.c1) || (q0 == best.c1 && q1 == best.c0))
            break;
        const SColourFit refined = Evaluate(in, q0, q1);
        if (refined.error >= best.error)
            break;
        best = refined;
    }
    return best;
}

void WriteLE(u8* out, u64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = u8(value >> (8 * i));
}

// One block on its way: the alpha block is written first, the colour block when it is fitted.
struct SBlockJob {
    SBlockInput in;
    u8* colourOut;
    SColourFit fit;
    SMoments moments;
    bool needsAxis;
};

void StartBlock(const std::array<Rgba8, 16>& texels, u32 mode, u8* out, SBlockJob& job)
{
    SBlockInput& in = job.in;
    in.texels = texels, in.colourMask = 0xFFFF, in.threeColour = false, in.dxt1 = mode == 1;
    if (mode == 1) {
        for (u32 i = 0; i < 16; ++i)
            if (texels[i].a == 0)
                in.colourMask &= ~(1u << i);
        in.threeColour = in.colourMask != 0xFFFF;
    } else if (mode <= 3) {
        u64 alpha = 0;
        for (u32 i = 0; i < 16; ++i)
            alpha |= u64((texels[i].a + 8) / 17) << (4 * i); // nearest of the 17 x a4 levels
        WriteLE(out, alpha, 8);
        out += 8;
    } else {
        EncodeDXTAlphaBlock(reinterpret_cast<const u8*>(texels.data()), out, 4);
        out += 8;
    }
    job.colourOut = out;
    in.SetLanes();
    job.needsAxis = !FitWithoutAxis(in, job.fit);
    if (job.needsAxis)
        job.moments = Moments(in);
}

void FinishBlock(const SBlockJob& job)
{
    WriteLE(job.colourOut, job.fit.c0, 2);
    WriteLE(job.colourOut + 2, job.fit.c1, 2);
    WriteLE(job.colourOut + 4, job.fit.indices, 4);
}

} // namespace

void EncodeDXTAlphaBlock(const u8* blockPixels, u8* out, i32 rowStride)
{
    u8 alphas[16];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            alphas[4 * y + x] = blockPixels[4 * (i64(y) * rowStride + x) + 3];
    // Seven steps between the block's largest and smallest alpha, and five steps between the
    // alphas other than 0 and 255, which that table holds exactly. Each texel takes the nearest
    // entry of the table the decoder builds; the better block wins.
    u8 hi = 0, lo = 255, innerHi = 0, innerLo = 255;
    for (u8 a : alphas) {
        hi = std::max(hi, a), lo = std::min(lo, a);
        if (a != 0 && a != 255)
            innerHi = std::max(innerHi, a), innerLo = std::min(innerLo, a);
    }
    auto encode = [&](u8 a0, u8 a1, u8* block) {
        const std::array<u8, 8> table = dxt::SDxt5Block::AlphaTable(a0, a1);
        u64 indices = 0;
        u32 error = 0;
        for (u32 i = 0; i < 16; ++i) {
            u32 best = 0, bestErr = ~0u;
            for (u32 k = 0; k < 8; ++k) {
                const u32 err = u32(std::abs(int(table[k]) - alphas[i]));
                if (err < bestErr)
                    bestErr = err, best = k;
            }
            indices |= u64(best) << (3 * i);
            error += bestErr * bestErr;
        }
        block[0] = a0;
        block[1] = a1;
        WriteLE(block + 2, indices, 6);
        return error;
    };
    const u32 sevenError = encode(hi, lo, out);
    if (sevenError == 0)
        return;
    if (innerLo > innerHi)
        innerLo = innerHi = lo; // only 0 and 255 in the block
    u8 five[8];
    if (encode(innerLo, innerHi, five) < sevenError)
        std::memcpy(out, five, 8);
}

u64 CompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode)
{
    if (mode < 1 || mode > 5 || width == 0 || height == 0)
        return 0;
    const u32 blockBytes = mode == 1 ? 8 : 16;
    const u64 outBytes = BlockLevelBytes(width, height, blockBytes);
    if (src == nullptr || dst == nullptr)
        return outBytes;
    if (outBytes == 0 || srcSize / 4 < u64(width) * height)
        return 0;
    const Rgba8* in = static_cast<const Rgba8*>(src);
    u8* out = static_cast<u8*>(dst);
    std::array<Rgba8, 16> texels;
    // Blocks go kBatch at a time, so that their principal axes are found side by side.
    SBlockJob jobs[kBatch];
    for (u64 by = 0; by < height; by += 4)
        for (u64 first = 0; first < width; first += 4 * kBatch) {
            const SMoments* moments[kBatch] = {};
            u32 count = 0;
            for (u64 bx = first; bx < width && count < kBatch; bx += 4, out += blockBytes, ++count) {
                if (bx + 4 <= width && by + 4 <= height)
                    for (u64 y = 0; y < 4; ++y)
                        std::memcpy(&texels[4 * y], &in[(by + y) * width + bx], 16);
                else // the edge repeats the last column and row
                    for (u64 y = 0; y < 4; ++y)
                        for (u64 x = 0; x < 4; ++x) {
                            const u64 sx = std::min<u64>(bx + x, width - 1), sy = std::min<u64>(by + y, height - 1);
                            texels[4 * y + x] = in[sy * width + sx];
                        }
                StartBlock(texels, mode, out, jobs[count]);
                if (jobs[count].needsAxis)
                    moments[count] = &jobs[count].moments;
            }
            float axes[kBatch][3];
            PrincipalAxes(moments, axes);
            for (u32 k = 0; k < count; ++k) {
                if (jobs[k].needsAxis)
                    jobs[k].fit = FitOnAxis(jobs[k].in, jobs[k].moments, axes[k]);
                FinishBlock(jobs[k]);
            }
        }
    return outBytes;
}

} // namespace xqftexture
