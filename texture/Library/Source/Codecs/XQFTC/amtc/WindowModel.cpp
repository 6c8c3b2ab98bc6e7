// The window evaluation at speed.
#include "WindowModel.h"

#include "CandidateOptimiser.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace xqftexture::amtc {
namespace {

using V8 = CWindowModel::V8;
using W8 = i32 __attribute__((vector_size(32)));

// Widening of the upscaled sums (weights adding up to 64) to 8 bits: colour lanes as 5-bit values,
// the alpha lanes (3 and 7) as 4-bit ones, exactly as UpscaleAt does.
inline V8 Widen(V8 v)
{
    const V8 alpha = {0, 0, 0, -1, 0, 0, 0, -1};
    const V8 colour = (v >> 8) + (v >> 3), a = (v >> 6) + (v >> 2);
    return (colour & ~alpha) | (a & alpha);
}

// Squared distances of lanes 0-3 and lanes 4-7. Differences stay within +-255, so pairs of
// squares add up in 32 bits (one multiply-add instruction on x86-64).
inline void Distances(V8 pixel, V8 x, u32& low, u32& high)
{
    const V8 d = pixel - x;
#if defined(__SSE2__)
    using W4 = i32 __attribute__((vector_size(16)));
    const W4 s = W4(_mm_madd_epi16(__m128i(d), __m128i(d)));
    low = u32(s[0] + s[1]);
    high = u32(s[2] + s[3]);
#else
    const W8 w = __builtin_convertvector(d, W8), s = w * w;
    low = u32(s[0] + s[1] + s[2] + s[3]);
    high = u32(s[4] + s[5] + s[6] + s[7]);
#endif
}

using W4 = i32 __attribute__((vector_size(16)));

} // namespace

// The least-squares sums of one evaluation. A window's sums fit 32 bits: differences of at most 255
// times fit weights of at most 1008 over at most 153 pixels. Integers: any order of additions.
struct CWindowModel::SLevelSums {
    i32 count[9] = {}, weight[9] = {};
    W4 difference[9] = {};

    void Add(int level, const CWindowModel::V8& difference8, int half, i32 centreFitWeight, i32 fitWeight)
    {
        if (level >= int(kNoLevel))
            return;
        count[level] += 1;
        weight[level] += centreFitWeight;
        const W4 d = half == 0 ? W4{difference8[0], difference8[1], difference8[2], difference8[3]}
                               : W4{difference8[4], difference8[5], difference8[6], difference8[7]};
        difference[level] += d * fitWeight;
    }
    // product: the pixel's differences times its fit weight.
    void AddProduct(int level, W4 product, i32 centreFitWeight)
    {
        if (level >= int(kNoLevel))
            return;
        count[level] += 1;
        weight[level] += centreFitWeight;
        difference[level] += product;
    }
    void AddTo(SWindowFit& fit) const
    {
        for (int k = 0; k < 9; ++k) {
            fit.count[k] += count[k], fit.weight[k] += weight[k];
            for (int i = 0; i < 4; ++i)
                fit.difference[k][i] += difference[k][i];
        }
    }
};

namespace {

// Whether neighbourhood position k is the centre block itself: the centre, or a position that wraps
// onto it on a grid one block wide (left, right) or high (above, below).
bool IsCentre(const AmtcParams& p, int k)
{
    const bool narrow = p.blocksX == 1, flat = p.blocksY == 1;
    return k == 4 || (narrow && flat) || (narrow && (k == 3 || k == 5)) || (flat && (k == 1 || k == 7));
}

} // namespace

void CWindowModel::Build(const SCandidateProblem& problem)
{
    static constexpr u8 kWeights[4] = {0, 3, 5, 8};
    const AmtcParams& p = *problem.params;
    m_problem = &problem;
    m_width = p.windowWidth, m_height = p.windowHeight;
    m_twoBpp = p.mode == 2;
    const int pixels = m_width * m_height;
    SCutPair nine[9];
    bool centre[9];
    for (int k = 0; k < 9; ++k)
        nine[k] = CutPair(problem.nine[k].a, problem.nine[k].b), centre[k] = IsCentre(p, k);

    // Each pixel's place: the blend planes (inner or border), at 2 bpp the planes of the pixels
    // between stored ones (inner or border), or the per-pixel rest. Runs start on whole groups.
    enum : u8 { kBlendInner, kBlendBorder, kBetweenInner, kBetweenBorder, kRest };
    u8 place[kMaxWindowPixels];
    int counts[5] = {};
    for (int i = 0; i < pixels; ++i) {
        const SBlendEntry& e = problem.entries[i];
        const bool between = m_twoBpp && e.role > 1;
        place[i] = between ? u8(kBetweenInner + (e.edge != 0))
                   : e.secondKind != 0 || e.localPalette ? u8(kRest)
                                                          : u8(kBlendInner + (e.edge != 0));
        ++counts[place[i]];
    }
    auto whole = [](int n) { return (n + 7) / 8 * 8; };
    m_innerCount = counts[kBlendInner], m_edgeStart = whole(m_innerCount), m_edgeCount = counts[kBlendBorder];
    m_betweenInner = counts[kBetweenInner], m_betweenEdgeStart = whole(m_betweenInner);
    m_betweenEdge = counts[kBetweenBorder];
    int at[4] = {0, m_edgeStart, 0, m_betweenEdgeStart};
    m_restCount = 0;

    SBlendPlanes& b = m_planes;
    SBetweenPlanes& t = m_between;
    for (int i = 0; i < pixels; ++i) {
        const SBlendEntry& e = problem.entries[i];
        const SRgba& w0 = problem.window[i];
        if (place[i] == kRest) {
            SPixel& px = m_pixels[i];
            px.pixel = V8{i16(w0.c[0]), i16(w0.c[1]), i16(w0.c[2]), i16(w0.c[3]),
                          i16(w0.c[0]), i16(w0.c[1]), i16(w0.c[2]), i16(w0.c[3])};
            px.edge = e.edge, px.role = e.role, px.second = e.secondKind != 0;
            std::memcpy(px.valueWeights, e.valueWeights, 8);
            px.fitWeight = e.fitWeight, px.centreFitWeight = e.centreFitWeight;
            m_rest[m_restCount++] = u8(i);
            if (e.secondKind != 0) {
                px.kind = kScalar; // second palettes (channel counts other than 4)
                continue;
            }
            px.kind = kLocal;
            for (int d = 0; d < 4; ++d) {
                const u8 index = e.localIndex[d];
                const int corner = e.corner[index >> 1];
                px.source[d] = centre[corner] ? u8(1 + (index & 1)) : 0;
                px.local[d] = WidenCut(index & 1 ? nine[corner].b : nine[corner].a);
            }
            continue;
        }
        // The neighbours' share of the upscaled A and B, and the centre's weight, in 64ths.
        const i32 w[4] = {(8 - e.fx) * (8 - e.fy), e.fx * (8 - e.fy), (8 - e.fx) * e.fy, e.fx * e.fy};
        i32 fixedA[4] = {}, fixedB[4] = {}, centreWeight = 0;
        for (int k = 0; k < 4; ++k) {
            if (centre[e.corner[k]]) {
                centreWeight += w[k];
                continue;
            }
            const SCutPair& c = nine[e.corner[k]];
            for (int ch = 0; ch < 4; ++ch)
                fixedA[ch] += w[k] * c.a[ch], fixedB[ch] += w[k] * c.b[ch];
        }
        const int j = at[place[i]]++;
        if (place[i] >= kBetweenInner) {
            for (int ch = 0; ch < 4; ++ch)
                t.pixel[ch][j] = w0.c[ch], t.fixedA[ch][j] = i16(fixedA[ch]), t.fixedB[ch][j] = i16(fixedB[ch]);
            t.centre[j] = i16(centreWeight), t.fitWeight[j] = i16(e.fitWeight), t.centreFitWeight[j] = e.centreFitWeight;
            // The neighbours the role reads (across, down or both) inside the window.
            const int r = i / m_width, c = i % m_width;
            int n = 0;
            auto take = [&](int rr, int cc) {
                if (rr >= 0 && rr < m_height && cc >= 0 && cc < m_width)
                    t.neighbours[n++][j] = u8(rr * m_width + cc);
            };
            if (e.role != 4)
                take(r, c - 1), take(r, c + 1);
            if (e.role != 3)
                take(r - 1, c), take(r + 1, c);
            t.count[j] = u8(n);
            continue;
        }
        for (int ch = 0; ch < 4; ++ch) {
            b.pixel[ch][j] = w0.c[ch], b.fixedA[ch][j] = i16(fixedA[ch]), b.fixedB[ch][j] = i16(fixedB[ch]);
            b.mask2[ch][j] = (e.alphaMask >> (8 * ch)) & 0xFF ? -1 : 0;
            b.level[ch][j] = m_twoBpp ? kWeights[ch] : e.valueWeights[ch];
        }
        b.centre[j] = i16(centreWeight);
        b.a1[j] = e.paletteWeights[0], b.b1[j] = e.paletteWeights[1];
        b.a2[j] = e.paletteWeights[2], b.b2[j] = e.paletteWeights[3];
        b.ends[j] = m_twoBpp && e.role == 1 ? -1 : 0;
        b.fitWeight[j] = i16(e.fitWeight), b.centreFitWeight[j] = e.centreFitWeight, b.index[j] = u8(i);
    }
    // Lanes past a run's end: zero pixels and colours, chosen like any but never read back.
    auto clearBlends = [&](int from, int to) {
        for (int j = from; j < to; ++j) {
            for (int ch = 0; ch < 4; ++ch)
                b.pixel[ch][j] = b.fixedA[ch][j] = b.fixedB[ch][j] = b.mask2[ch][j] = 0, b.level[ch][j] = 0;
            b.centre[j] = b.a1[j] = b.b1[j] = b.a2[j] = b.b2[j] = b.ends[j] = b.fitWeight[j] = 0;
            b.centreFitWeight[j] = 0, b.index[j] = 0;
        }
    };
    auto clearBetween = [&](int from, int to) {
        for (int j = from; j < to; ++j) {
            for (int ch = 0; ch < 4; ++ch)
                t.pixel[ch][j] = t.fixedA[ch][j] = t.fixedB[ch][j] = 0, t.neighbours[ch][j] = 0;
            t.centre[j] = t.fitWeight[j] = 0, t.centreFitWeight[j] = 0, t.count[j] = 1;
        }
    };
    clearBlends(m_innerCount, m_edgeStart);
    clearBlends(m_edgeStart + m_edgeCount, whole(m_edgeStart + m_edgeCount));
    if (m_twoBpp) {
        clearBetween(m_betweenInner, m_betweenEdgeStart);
        clearBetween(m_betweenEdgeStart + m_betweenEdge, whole(m_betweenEdgeStart + m_betweenEdge));
    }
}

namespace {

inline V8 Load8(const i16* p)
{
    V8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline V8 Select8(V8 mask, V8 x, V8 y) { return (mask & x) | (~mask & y); }
inline W4 Select4(W4 mask, W4 x, W4 y) { return (mask & x) | (~mask & y); }

// Pairs of i16 products added into i32 lanes.
inline W4 Madd(V8 a, V8 b)
{
#if defined(__SSE2__)
    return W4(_mm_madd_epi16(__m128i(a), __m128i(b)));
#else
    const W8 p = __builtin_convertvector(a, W8) * __builtin_convertvector(b, W8);
    return __builtin_shufflevector(p, p, 0, 2, 4, 6) + __builtin_shufflevector(p, p, 1, 3, 5, 7);
#endif
}

// Squared RGBA distances of eight pixels from their channel differences: pixels 0-3 and 4-7.
inline void SquaredDistances(const V8 d[4], W4& low, W4& high)
{
    const V8 rgLow = __builtin_shufflevector(d[0], d[1], 0, 8, 1, 9, 2, 10, 3, 11);
    const V8 baLow = __builtin_shufflevector(d[2], d[3], 0, 8, 1, 9, 2, 10, 3, 11);
    const V8 rgHigh = __builtin_shufflevector(d[0], d[1], 4, 12, 5, 13, 6, 14, 7, 15);
    const V8 baHigh = __builtin_shufflevector(d[2], d[3], 4, 12, 5, 13, 6, 14, 7, 15);
    low = Madd(rgLow, rgLow) + Madd(baLow, baLow);
    high = Madd(rgHigh, rgHigh) + Madd(baHigh, baHigh);
}

// Eight i32 masks (two halves) as eight i16 ones.
inline V8 Narrow(W4 low, W4 high)
{
    using H4 = i16 __attribute__((vector_size(8)));
    return __builtin_shufflevector(__builtin_convertvector(low, H4), __builtin_convertvector(high, H4), 0, 1, 2, 3, 4, 5,
                                   6, 7);
}

} // namespace

namespace {

// The upscaled A and B of eight pixels, channel by channel, widened as UpscaleAt does (colour from 5
// bits, alpha from 4).
inline void Upscaled(const i16* const fixedA[4], const i16* const fixedB[4], V8 centre, const V8 cutA[4],
                     const V8 cutB[4], V8 upA[4], V8 upB[4])
{
    for (int c = 0; c < 4; ++c) {
        const V8 va = Load8(fixedA[c]) + centre * cutA[c], vb = Load8(fixedB[c]) + centre * cutB[c];
        upA[c] = c < 3 ? (va >> 8) + (va >> 3) : (va >> 6) + (va >> 2);
        upB[c] = c < 3 ? (vb >> 8) + (vb >> 3) : (vb >> 6) + (vb >> 2);
    }
}

// Per pixel of eight, its four channel differences times its fit weight (products within 32 bits).
inline void FitProducts(const V8 diff[4], V8 fitWeight, W4 out[8])
{
    W4 low[4], high[4];
    for (int c = 0; c < 4; ++c) {
#if defined(__SSE2__)
        const __m128i lo = _mm_mullo_epi16(__m128i(diff[c]), __m128i(fitWeight));
        const __m128i hi = _mm_mulhi_epi16(__m128i(diff[c]), __m128i(fitWeight));
        low[c] = W4(_mm_unpacklo_epi16(lo, hi)), high[c] = W4(_mm_unpackhi_epi16(lo, hi));
#else
        const W8 p = __builtin_convertvector(diff[c], W8) * __builtin_convertvector(fitWeight, W8);
        low[c] = __builtin_shufflevector(p, p, 0, 1, 2, 3), high[c] = __builtin_shufflevector(p, p, 4, 5, 6, 7);
#endif
    }
    for (int h = 0; h < 2; ++h) {
        const W4* v = h == 0 ? low : high;
        const W4 t0 = __builtin_shufflevector(v[0], v[1], 0, 4, 1, 5), t1 = __builtin_shufflevector(v[0], v[1], 2, 6, 3, 7);
        const W4 t2 = __builtin_shufflevector(v[2], v[3], 0, 4, 1, 5), t3 = __builtin_shufflevector(v[2], v[3], 2, 6, 3, 7);
        out[4 * h + 0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        out[4 * h + 1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        out[4 * h + 2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        out[4 * h + 3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    }
}

inline u64 LaneSum(W4 v) { return u64(u32(v[0])) + u32(v[1]) + u32(v[2]) + u32(v[3]); }

} // namespace

// The blend pixels [start, start + count) of the planes, eight at a time, chosen as the per-pixel
// code below chooses; the padding lanes (zero pixels and colours) add nothing to the distances.
void CWindowModel::EvaluateBlends(int start, int count, bool edge, const V8 cutA[4], const V8 cutB[4],
                                  SWindowFit& fit, SLevelSums& sums, u8* weights) const
{
    static constexpr u8 kWeights[4] = {0, 3, 5, 8};
    const SBlendPlanes& b = m_planes;
    alignas(16) i16 values[kPlane];
    alignas(16) W4 products[kPlane];
    W4 total = W4{};
    for (int g = 0; g < count; g += 8) {
        const int k = start + g;
        V8 upA[4], upB[4], mid1[4], mid2[4], pixel[4];
        const i16* const fixedA[4] = {b.fixedA[0] + k, b.fixedA[1] + k, b.fixedA[2] + k, b.fixedA[3] + k};
        const i16* const fixedB[4] = {b.fixedB[0] + k, b.fixedB[1] + k, b.fixedB[2] + k, b.fixedB[3] + k};
        Upscaled(fixedA, fixedB, Load8(b.centre + k), cutA, cutB, upA, upB);
        const V8 a1 = Load8(b.a1 + k), b1 = Load8(b.b1 + k), a2 = Load8(b.a2 + k), b2 = Load8(b.b2 + k);
        for (int c = 0; c < 4; ++c) {
            mid1[c] = (upA[c] * a1 + upB[c] * b1) >> 3;
            mid2[c] = ((upA[c] * a2 + upB[c] * b2) >> 3) & Load8(b.mask2[c] + k);
            pixel[c] = Load8(b.pixel[c] + k);
        }
        W4 d[4][2];
        const V8* colours[4] = {upA, mid1, mid2, upB};
        for (int v = 0; v < 4; ++v) {
            V8 diff[4];
            for (int c = 0; c < 4; ++c)
                diff[c] = pixel[c] - colours[v][c];
            SquaredDistances(diff, d[v][0], d[v][1]);
        }
        const V8 ends8 = Load8(b.ends + k);
        W4 chosen[2];
        for (int h = 0; h < 2; ++h) {
            // Values 2, 1, 0, 3 in turn, a later one only when strictly nearer; the one-bit pixels
            // the nearer of 0 and 3.
            W4 v = W4{} + 2, dv = d[2][h];
            static constexpr int kOrder[3] = {1, 0, 3};
            for (int next : kOrder) {
                const W4 nearer = d[next][h] < dv;
                v = Select4(nearer, W4{} + next, v), dv = Select4(nearer, d[next][h], dv);
            }
            const W4 first = d[0][h] < d[3][h];
            // 0 or -1 in both halves of each lane.
            const W4 ends = W4(h == 0 ? __builtin_shufflevector(ends8, ends8, 0, 0, 1, 1, 2, 2, 3, 3)
                                      : __builtin_shufflevector(ends8, ends8, 4, 4, 5, 5, 6, 6, 7, 7));
            chosen[h] = Select4(ends, Select4(first, W4{}, W4{} + 3), v);
            total += Select4(ends, Select4(first, d[0][h], d[3][h]), dv);
        }
        const V8 v = Narrow(chosen[0], chosen[1]);
        std::memcpy(values + g, &v, sizeof v);
        if (edge)
            continue;
        const V8 is0 = v == 0, is1 = v == 1, is2 = v == 2;
        V8 diff[4];
        for (int c = 0; c < 4; ++c)
            diff[c] = pixel[c] - Select8(is0, upA[c], Select8(is1, mid1[c], Select8(is2, mid2[c], upB[c])));
        FitProducts(diff, Load8(b.fitWeight + k), products + g);
    }
    (edge ? fit.fixedBorder : fit.inner) += LaneSum(total);
    if (m_twoBpp)
        for (int j = 0; j < count; ++j)
            weights[b.index[start + j]] = kWeights[values[j]];
    if (!edge)
        for (int j = 0; j < count; ++j)
            sums.AddProduct(b.level[values[j]][start + j], products[j], b.centreFitWeight[start + j]);
}

// The 2 bpp pixels between stored ones [start, start + count): the rounded mean of their
// neighbours' weights, the blend at it, and its distance and sums (border pixels: the distance).
void CWindowModel::EvaluateBetween(int start, int count, bool edge, const V8 cutA[4], const V8 cutB[4],
                                   SWindowFit& fit, SLevelSums& sums, const u8* weights) const
{
    const SBetweenPlanes& b = m_between;
    alignas(16) i16 level[kPlane];
    alignas(16) W4 products[kPlane];
    for (int j = 0; j < (count + 7) / 8 * 8; ++j) {
        const int k = start + j, n = b.count[k];
        int sum = 0;
        for (int t = 0; t < n; ++t)
            sum += weights[b.neighbours[t][k]];
        level[j] = i16(j < count && n != 0 ? (sum + n / 2) / n : 0);
    }
    W4 total = W4{};
    for (int g = 0; g < count; g += 8) {
        const int k = start + g;
        V8 upA[4], upB[4], diff[4];
        const i16* const fixedA[4] = {b.fixedA[0] + k, b.fixedA[1] + k, b.fixedA[2] + k, b.fixedA[3] + k};
        const i16* const fixedB[4] = {b.fixedB[0] + k, b.fixedB[1] + k, b.fixedB[2] + k, b.fixedB[3] + k};
        Upscaled(fixedA, fixedB, Load8(b.centre + k), cutA, cutB, upA, upB);
        const V8 w = Load8(level + g);
        for (int c = 0; c < 4; ++c)
            diff[c] = Load8(b.pixel[c] + k) - ((upA[c] * (8 - w) + upB[c] * w) >> 3);
        W4 low, high;
        SquaredDistances(diff, low, high);
        total += low + high;
        if (!edge)
            FitProducts(diff, Load8(b.fitWeight + k), products + g);
    }
    (edge ? fit.border : fit.inner) += LaneSum(total);
    if (!edge)
        for (int j = 0; j < count; ++j)
            sums.AddProduct(level[j], products[j], b.centreFitWeight[start + j]);
}

void CWindowModel::Evaluate(const SRgba& a, const SRgba& b, bool withBorder, SWindowFit& fit, u8* weights) const
{
    static constexpr u8 kWeights[4] = {0, 3, 5, 8};
    const SCandidateProblem& problem = *m_problem;
    const SCutPair cut = CutPair(a, b);
    const SRgba centreA = WidenCut(cut.a), centreB = WidenCut(cut.b);

    SLevelSums sums;
    V8 cutA[4], cutB[4];
    for (int c = 0; c < 4; ++c)
        cutA[c] = V8{} + i16(cut.a[c]), cutB[c] = V8{} + i16(cut.b[c]);
    EvaluateBlends(0, m_innerCount, false, cutA, cutB, fit, sums, weights);
    if (withBorder)
        EvaluateBlends(m_edgeStart, m_edgeCount, true, cutA, cutB, fit, sums, weights);
    for (int r = 0; r < m_restCount; ++r) {
        const int i = m_rest[r];
        const SPixel& px = m_pixels[i];
        if ((m_twoBpp && px.role > 1) || (px.edge && !withBorder))
            continue;
        const SRgba& pixel = problem.window[i];
        const bool ends = m_twoBpp && px.role == 1;
        u32 distance = 0, v = 0;
        V8 difference; // pixel - chosen colour, in lanes 0-3
        // Local palettes and second palettes: the palette per pixel.
        SRgba palette[8];
        bool second = false;
        if (px.kind == kLocal) {
            for (int k = 0; k < 4; ++k)
                palette[k] = px.source[k] == 0 ? px.local[k] : px.source[k] == 1 ? centreA : centreB;
        } else {
            SCutPair nine[9];
            for (int k = 0; k < 9; ++k)
                nine[k] = IsCentre(*problem.params, k) ? cut : CutPair(problem.nine[k].a, problem.nine[k].b);
            second = PixelPalette(problem.entries[i], nine, palette);
        }
        v = ChooseModulation(pixel, palette, ends, second, distance);
        const SRgba& c = palette[v];
        difference = px.pixel - V8{i16(c.c[0]), i16(c.c[1]), i16(c.c[2]), i16(c.c[3])};
        if (m_twoBpp)
            weights[i] = kWeights[v & 3];
        if (px.edge) {
            fit.fixedBorder += distance;
            continue;
        }
        fit.inner += distance;
        sums.Add(m_twoBpp ? weights[i] : px.valueWeights[v], difference, 0, px.centreFitWeight, px.fitWeight);
    }
    if (!m_twoBpp) {
        sums.AddTo(fit);
        return;
    }
    // 2 bpp: the pixels between stored ones take the mean of their neighbours' weights inside the
    // window, as the decoder does; those on the border too are evaluated each time, since their
    // neighbours' weights depend on the centre.
    EvaluateBetween(0, m_betweenInner, false, cutA, cutB, fit, sums, weights);
    EvaluateBetween(m_betweenEdgeStart, m_betweenEdge, true, cutA, cutB, fit, sums, weights);
    sums.AddTo(fit);
}

} // namespace xqftexture::amtc
