// The class compressors' kernels for SSE2 and AVX2, and the scalar steps they share.
#include "XQFTCKernels.h"

#include <cstring>
#include <memory>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace xqftexture {
namespace {

u32 WrapIndex(i64 v, u32 n) { return u32(((v % i64(n)) + i64(n)) % i64(n)); }

// The blend of the upper and lower block rows per window column, and a row of windows, on the
// stack for images up to 4096 pixels wide.
struct SRowScratch {
    static constexpr u32 kColumns = 4096 / 4 + 8, kPixels = 4096 + 16;
    alignas(32) u32 fixedRG[kColumns], fixedBA[kColumns];
    alignas(32) SPixel4 fixedRow[kPixels];
    std::unique_ptr<u32[]> heapC;
    std::unique_ptr<SPixel4[]> heapRow;
    u32 *crg, *cba;
    SPixel4* row;

    SRowScratch(u32 columns, u32 pixels)
    {
        crg = fixedRG, cba = fixedBA, row = fixedRow;
        if (columns > kColumns) {
            heapC.reset(new u32[2 * u64(columns)]);
            crg = heapC.get(), cba = heapC.get() + columns;
        }
        if (pixels > kPixels) {
            heapRow.reset(new SPixel4[pixels]);
            row = heapRow.get();
        }
    }
};

constexpr u8 kStoredWeights[4] = {0, 3, 5, 8};

// Rounded means (sum + n / 2) / n for n = 1 to 4 and sums up to 4 x 8.
struct SMeans {
    u8 of[5][33];
    constexpr SMeans() : of()
    {
        for (u32 n = 1; n <= 4; ++n)
            for (u32 sum = 0; sum <= 32; ++sum)
                of[n][sum] = u8((sum + n / 2) / n);
    }
};
constexpr SMeans kMeans;

// The stored weights' sums left and right (h) and above and below (v) of each pixel between stored
// ones, and how many such neighbours lie inside the block.
struct SNeighbourSums {
    u8 h[32], v[32], nh[32], nv[32];
};

void NeighbourSums(const SBlock2bpp& block, SNeighbourSums& s)
{
    u8 w[32];
    for (u32 p = 0; p < 32; ++p)
        w[p] = kStoredWeights[block.stored[p] & 3];
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = (y & 1) ^ 1; x < 8; x += 2) {
            const u32 p = 8 * y + x;
            s.h[p] = u8((x > 0 ? w[p - 1] : 0) + (x < 7 ? w[p + 1] : 0));
            s.nh[p] = u8((x > 0) + (x < 7));
            s.v[p] = u8((y > 0 ? w[p - 8] : 0) + (y < 3 ? w[p + 8] : 0));
            s.nv[p] = u8((y > 0) + (y < 3));
        }
}

#if defined(__x86_64__) || defined(__i386__)

namespace sse2 {
#define XQFT_TARGET
constexpr u32 G = 4;
using VU = u32 __attribute__((vector_size(16)));
using VI = i32 __attribute__((vector_size(16)));
using VS = i16 __attribute__((vector_size(16)));
inline VI Madd(VS a, VS b) { return VI(_mm_madd_epi16(__m128i(a), __m128i(b))); }
inline VU LoadRows4(const SPixel4* p, u64) { return VU(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }
using V4 = VI;
inline V4 Fold(VI v) { return v; }
inline i32 Sum(VI v)
{
    const VI s = v + __builtin_shufflevector(v, v, 2, 3, 0, 1);
    return (s + __builtin_shufflevector(s, s, 1, 0, 3, 2))[0];
}
inline void StoreBytes(u8* out, VI v)
{
    const __m128i w = _mm_packs_epi32(__m128i(v), __m128i(v));
    const i32 b = _mm_cvtsi128_si32(_mm_packus_epi16(w, w));
    std::memcpy(out, &b, 4);
}
inline VU LoadWeights(const u8* k)
{
    i32 b;
    std::memcpy(&b, k, 4);
    const __m128i w = _mm_unpacklo_epi8(_mm_cvtsi32_si128(b), _mm_setzero_si128());
    return VU(_mm_unpacklo_epi16(w, _mm_setzero_si128()));
}
inline VU SpreadHalves(const u32* c) { return VU{} + c[0]; } // a vector never spans two windows here
// Lane i: the lane before (after) it in the pair of vectors (prev, cur) ((cur, next)).
inline VI FromLeft(VI prev, VI cur) { return __builtin_shufflevector(prev, cur, 3, 4, 5, 6); }
inline VI FromRight(VI cur, VI next) { return __builtin_shufflevector(cur, next, 1, 2, 3, 4); }
#include "XQFTCKernelBodies.h"
#undef XQFT_TARGET
} // namespace sse2

namespace avx2 {
#define XQFT_TARGET __attribute__((target("avx2")))
constexpr u32 G = 8;
using VU = u32 __attribute__((vector_size(32)));
using VI = i32 __attribute__((vector_size(32)));
using VS = i16 __attribute__((vector_size(32)));
XQFT_TARGET inline VI Madd(VS a, VS b) { return VI(_mm256_madd_epi16(__m256i(a), __m256i(b))); }
XQFT_TARGET inline VU LoadRows4(const SPixel4* p, u64 stride)
{
    const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i bottom = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + stride));
    return VU(_mm256_inserti128_si256(_mm256_castsi128_si256(top), bottom, 1));
}
using V4 = i32 __attribute__((vector_size(16)));
XQFT_TARGET inline V4 Fold(VI v) { return __builtin_shufflevector(v, v, 0, 1, 2, 3) + __builtin_shufflevector(v, v, 4, 5, 6, 7); }
XQFT_TARGET inline i32 Sum(VI v)
{
    const V4 f = Fold(v), s = f + __builtin_shufflevector(f, f, 2, 3, 0, 1);
    return (s + __builtin_shufflevector(s, s, 1, 0, 3, 2))[0];
}
XQFT_TARGET inline void StoreBytes(u8* out, VI v)
{
    const __m128i w = _mm_packs_epi32(_mm256_castsi256_si128(__m256i(v)), _mm256_extracti128_si256(__m256i(v), 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(w, w));
}
XQFT_TARGET inline VU LoadWeights(const u8* k)
{
    return VU(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(k))));
}
// c[0] in the low four lanes, c[1] in the high four.
XQFT_TARGET inline VU SpreadHalves(const u32* c)
{
    return VU(_mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set1_epi32(i32(c[0]))), _mm_set1_epi32(i32(c[1])), 1));
}
XQFT_TARGET inline VI FromLeft(VI prev, VI cur) { return __builtin_shufflevector(prev, cur, 7, 8, 9, 10, 11, 12, 13, 14); }
XQFT_TARGET inline VI FromRight(VI cur, VI next) { return __builtin_shufflevector(cur, next, 1, 2, 3, 4, 5, 6, 7, 8); }
#include "XQFTCKernelBodies.h"
#undef XQFT_TARGET
} // namespace avx2

const SClassKernels kSse2 = sse2::MakeKernels();
const SClassKernels kAvx2 = avx2::MakeKernels();

#else
#error "the class compressors' kernels are written for x86"
#endif

} // namespace

const SClassKernels& ClassKernels(ESimdPath path)
{
    return path == ESimdPath::kAvx2 && SimdPathSupported(ESimdPath::kAvx2) ? kAvx2 : kSse2;
}

void PredictModeWeights2bpp(const SBlock2bpp& block, u32 mode, u8 weights[32])
{
    if (mode == 0) {
        for (u32 p = 0; p < 32; ++p)
            weights[p] = block.direct[p] == 3 ? 8 : 0;
        return;
    }
    SNeighbourSums s;
    NeighbourSums(block, s);
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 8; ++x) {
            const u32 p = 8 * y + x;
            if (((x + y) & 1) == 0)
                weights[p] = kStoredWeights[block.stored[p] & 3];
            else if (mode == 1)
                weights[p] = kMeans.of[s.nh[p] + s.nv[p]][s.h[p] + s.v[p]];
            else if (mode == 2)
                weights[p] = kMeans.of[s.nh[p]][s.h[p]];
            else
                weights[p] = kMeans.of[s.nv[p]][s.v[p]];
        }
}

void SolveRefinement(SPixel4& lowA, SPixel4& lowB, const SRefineSums& sums, u32 n, float threshold)
{
    // The sums are exact in float (multiples of 1/64 below 2^19), so they equal the float sums
    // pixel by pixel in any order.
    const float scale = 1.0f / float(n);
    float mw = float(sums.sumK) * 0.125f, mww = float(sums.sumKK) * 0.015625f, me[4], mew[4];
    for (int c = 0; c < 4; ++c)
        me[c] = float(sums.sumE[c]) * 0.125f, mew[c] = float(sums.sumEK[c]) * 0.015625f;
    mw *= scale, mww *= scale;
    float energy = 0;
    for (int c = 0; c < 4; ++c) {
        me[c] *= scale, mew[c] *= scale;
        energy += me[c] * me[c];
    }
    if (energy < threshold)
        return; // the endpoints already explain the block on average
    auto clamp = [](float v, float lo, float hi) { return v < lo ? lo : v > hi ? hi : v; };
    const float var = mww - mw * mw;
    for (int c = 0; c < 4; ++c) {
        const float a = float(lowA.c[c]), b = float(lowB.c[c]);
        if (var >= 1e-10f) {
            const float slope = (mew[c] - me[c] * mw) / var, intercept = me[c] - slope * mw;
            lowA.c[c] = u8(clamp(a + clamp(intercept, -100.0f, 100.0f), 0.0f, 255.0f));
            lowB.c[c] = u8(clamp(b + clamp(intercept + slope, -100.0f, 100.0f), 0.0f, 255.0f));
        } else {
            // Every weight at m: move both ends by the mean residual, then halve their distance
            // about the blend at m, which stays where it is.
            const float m = mw;
            const float a1 = clamp(a + (1.0f - m) * me[c], 0.0f, 255.0f), b1 = clamp(b + m * me[c], 0.0f, 255.0f);
            float d = b1 - a1;
            if (d > -1.0f && d < 1.0f)
                d = 0.0f;
            lowA.c[c] = u8(clamp(a1 + 0.5f * m * d, 0.0f, 255.0f));
            lowB.c[c] = u8(clamp(b1 - 0.5f * (1.0f - m) * d, 0.0f, 255.0f));
        }
    }
}

} // namespace xqftexture
