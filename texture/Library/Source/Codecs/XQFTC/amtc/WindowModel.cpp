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

// The least-squares sums of one evaluation. A window's sums fit 32 bits: differences of at most 255
// times fit weights of at most 1008 over at most 153 pixels.
struct SLevelSums {
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
    void AddTo(SWindowFit& fit) const
    {
        for (int k = 0; k < 9; ++k) {
            fit.count[k] += count[k], fit.weight[k] += weight[k];
            for (int i = 0; i < 4; ++i)
                fit.difference[k][i] += difference[k][i];
        }
    }
};

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
    const AmtcParams& p = *problem.params;
    m_problem = &problem;
    m_width = p.windowWidth, m_height = p.windowHeight;
    m_twoBpp = p.mode == 2;
    SCutPair nine[9];
    for (int k = 0; k < 9; ++k)
        nine[k] = CutPair(problem.nine[k].a, problem.nine[k].b);
    for (int i = 0; i < m_width * m_height; ++i) {
        const SBlendEntry& e = problem.entries[i];
        SPixel& px = m_pixels[i];
        const SRgba& w0 = problem.window[i];
        px.pixel = V8{i16(w0.c[0]), i16(w0.c[1]), i16(w0.c[2]), i16(w0.c[3]),
                      i16(w0.c[0]), i16(w0.c[1]), i16(w0.c[2]), i16(w0.c[3])};
        px.edge = e.edge, px.role = e.role, px.second = e.secondKind != 0;
        std::memcpy(px.valueWeights, e.valueWeights, 8);
        px.fitWeight = e.fitWeight, px.centreFitWeight = e.centreFitWeight;
        if (e.secondKind != 0) {
            px.kind = kScalar; // second palettes (channel counts other than 4)
            continue;
        }
        if (e.localPalette) {
            px.kind = kLocal;
            for (int d = 0; d < 4; ++d) {
                const u8 index = e.localIndex[d];
                const int corner = e.corner[index >> 1];
                px.source[d] = IsCentre(p, corner) ? u8(1 + (index & 1)) : 0;
                px.local[d] = WidenCut(index & 1 ? nine[corner].b : nine[corner].a);
            }
            continue;
        }
        px.kind = kBlend;
        const i16 w[4] = {i16((8 - e.fx) * (8 - e.fy)), i16(e.fx * (8 - e.fy)), i16((8 - e.fx) * e.fy), i16(e.fx * e.fy)};
        px.fixed = V8{};
        px.centre = 0;
        for (int k = 0; k < 4; ++k) {
            if (IsCentre(p, e.corner[k])) {
                px.centre = i16(px.centre + w[k]);
                continue;
            }
            const SCutPair& c = nine[e.corner[k]];
            px.fixed += w[k] * V8{i16(c.a[0]), i16(c.a[1]), i16(c.a[2]), i16(c.a[3]),
                                  i16(c.b[0]), i16(c.b[1]), i16(c.b[2]), i16(c.b[3])};
        }
        const i16 a1 = e.paletteWeights[0], b1 = e.paletteWeights[1], a2 = e.paletteWeights[2], b2 = e.paletteWeights[3];
        px.wA = V8{a1, a1, a1, a1, a2, a2, a2, a2};
        px.wB = V8{b1, b1, b1, b1, b2, b2, b2, b2};
        px.mask = V8{-1, -1, -1, -1};
        for (int c = 0; c < 4; ++c)
            px.mask[4 + c] = (e.alphaMask >> (8 * c)) & 0xFF ? -1 : 0;
    }
}

void CWindowModel::Evaluate(const SRgba& a, const SRgba& b, bool withBorder, SWindowFit& fit, u8* weights) const
{
    static constexpr u8 kWeights[4] = {0, 3, 5, 8};
    const SCandidateProblem& problem = *m_problem;
    const SCutPair cut = CutPair(a, b);
    const V8 centre = {i16(cut.a[0]), i16(cut.a[1]), i16(cut.a[2]), i16(cut.a[3]),
                       i16(cut.b[0]), i16(cut.b[1]), i16(cut.b[2]), i16(cut.b[3])};
    const SRgba centreA = WidenCut(cut.a), centreB = WidenCut(cut.b);
    const int pixels = m_width * m_height;
    auto upscaled = [&](const SPixel& px) { return Widen(px.fixed + px.centre * centre); };

    SLevelSums sums;
    for (int i = 0; i < pixels; ++i) {
        const SPixel& px = m_pixels[i];
        if ((m_twoBpp && px.role > 1) || (px.edge && !withBorder))
            continue;
        const SRgba& pixel = problem.window[i];
        const bool ends = m_twoBpp && px.role == 1;
        u32 distance = 0, v = 0;
        V8 difference; // pixel - chosen colour, in lanes 0-3 (half 0) or 4-7 (half 1)
        int half = 0;
        if (px.kind == kBlend) {
            const V8 up = upscaled(px);
            const V8 lowA = __builtin_shufflevector(up, up, 0, 1, 2, 3, 0, 1, 2, 3);
            const V8 highB = __builtin_shufflevector(up, up, 4, 5, 6, 7, 4, 5, 6, 7);
            const V8 middle = ((lowA * px.wA + highB * px.wB) >> 3) & px.mask;
            u32 d[4];
            Distances(px.pixel, up, d[0], d[3]);
            Distances(px.pixel, middle, d[1], d[2]);
            if (ends) {
                v = d[0] < d[3] ? 0 : 3;
            } else {
                // Values 2, 1, 0, 3 in turn; a later one only when strictly nearer.
                v = 2;
                if (d[1] < d[v])
                    v = 1;
                if (d[0] < d[v])
                    v = 0;
                if (d[3] < d[v])
                    v = 3;
            }
            distance = d[v];
            difference = px.pixel - (v == 0 || v == 3 ? up : middle);
            half = v >= 2;
        } else {
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
        }
        if (m_twoBpp)
            weights[i] = kWeights[v & 3];
        if (px.edge) {
            fit.fixedBorder += distance;
            continue;
        }
        fit.inner += distance;
        sums.Add(m_twoBpp ? weights[i] : px.valueWeights[v], difference, half, px.centreFitWeight, px.fitWeight);
    }
    if (!m_twoBpp) {
        sums.AddTo(fit);
        return;
    }
    // 2 bpp: the pixels between stored ones take the mean of their neighbours' weights inside the
    // window, as the decoder does; those on the border too are evaluated each time, since their
    // neighbours' weights depend on the centre.
    for (int i = 0; i < pixels; ++i) {
        const SPixel& px = m_pixels[i];
        if (px.role < 2)
            continue;
        const int r = i / m_width, c = i % m_width;
        int sum = 0, n = 0;
        auto take = [&](int rr, int cc) {
            if (rr >= 0 && rr < m_height && cc >= 0 && cc < m_width)
                sum += weights[rr * m_width + cc], ++n;
        };
        if (px.role != 4)
            take(r, c - 1), take(r, c + 1);
        if (px.role != 3)
            take(r - 1, c), take(r + 1, c);
        const int w = n == 0 ? 0 : (sum + n / 2) / n;
        const V8 up = upscaled(px);
        const V8 blended = (__builtin_shufflevector(up, up, 0, 1, 2, 3, 0, 1, 2, 3) * i16(8 - w) +
                            __builtin_shufflevector(up, up, 4, 5, 6, 7, 4, 5, 6, 7) * i16(w)) >> 3;
        u32 distance, unused;
        Distances(px.pixel, blended, distance, unused);
        if (px.edge) {
            fit.border += distance;
            continue;
        }
        fit.inner += distance;
        sums.Add(w, px.pixel - blended, 0, px.centreFitWeight, px.fitWeight);
    }
    sums.AddTo(fit);
}

} // namespace xqftexture::amtc
