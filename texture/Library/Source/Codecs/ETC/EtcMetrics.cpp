// The half-block averages, the half-block table search in its six members and the block errors.
#include "EtcMetrics.h"

#include "EtcTables.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

// The vector types below stay inside this file (and are inlined), so the note that passing them
// changes with AVX does not concern any interface.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace xqftexture::etc {

namespace {

// Eight pixels side by side (GCC vector extensions): every lane does exactly the arithmetic of one
// pixel, so the results are those of a pixel-by-pixel loop, on any instruction set.
typedef i32 V8i __attribute__((vector_size(32)));
typedef u32 V8u __attribute__((vector_size(32)));
typedef float V8f __attribute__((vector_size(32)));
typedef double V8d __attribute__((vector_size(64)));

// The members differ in the half-block's shape and in the metric; the metric types fix the
// arithmetic of each member (what is summed in which precision and order).
struct SPlain {
    using Sum = i32;
    using Vector = V8i;
    static constexpr u8 kId = 0;
    static constexpr bool kInteger = true;
    static constexpr i32 kWeights[3] = {1, 1, 1};
    static constexpr Sum kSentinel = kMaxPlainError;
    [[gnu::always_inline]] static Vector Error(const V8i& dr, const V8i& dg, const V8i& db) { return dr * dr + dg * dg + db * db; }
};
struct SPerceptual {
    using Sum = u32;
    using Vector = V8u;
    static constexpr u8 kId = 1;
    static constexpr bool kInteger = true;
    static constexpr i32 kWeights[3] = {299, 587, 114};
    static constexpr Sum kSentinel = kMaxPerceptualError;
    [[gnu::always_inline]] static Vector Error(const V8i& dr, const V8i& dg, const V8i& db)
    {
        return 299u * V8u(dr * dr) + 587u * V8u(dg * dg) + 114u * V8u(db * db);
    }
};
// The single-precision weights.
constexpr float kWeightR = 0.299f, kWeightG = 0.587f, kWeightB = 0.114f;
// 2 x 4 halves: the red term in double precision (the single-precision weight widened), green and
// blue in single precision, added in double precision as green, red, blue, then rounded to single.
struct SPerceptualFloat2x4 {
    using Sum = float;
    using Vector = V8f;
    static constexpr u8 kId = 2;
    static constexpr bool kInteger = false; // rounding: no shortcut, every candidate is tried
    static constexpr i32 kWeights[3] = {0, 0, 0};
    static constexpr Sum kSentinel = kMaxPerceptualFloatError;
    [[gnu::always_inline]] static Vector Error(const V8i& dr, const V8i& dg, const V8i& db)
    {
        const V8d red = __builtin_convertvector(dr * dr, V8d) * double(kWeightR);
        const V8f green = kWeightG * __builtin_convertvector(dg * dg, V8f);
        const V8f blue = kWeightB * __builtin_convertvector(db * db, V8f);
        return __builtin_convertvector(
            __builtin_convertvector(green, V8d) + red + __builtin_convertvector(blue, V8d), V8f);
    }
};
// 4 x 2 halves: everything in single precision, (red + green) + blue.
struct SPerceptualFloat4x2 {
    using Sum = float;
    using Vector = V8f;
    static constexpr u8 kId = 3;
    static constexpr bool kInteger = false; // rounding: no shortcut, every candidate is tried
    static constexpr i32 kWeights[3] = {0, 0, 0};
    static constexpr Sum kSentinel = kMaxPerceptualFloatError;
    [[gnu::always_inline]] static Vector Error(const V8i& dr, const V8i& dg, const V8i& db)
    {
        return kWeightR * __builtin_convertvector(dr * dr, V8f) + kWeightG * __builtin_convertvector(dg * dg, V8f) +
               kWeightB * __builtin_convertvector(db * db, V8f);
    }
};

inline i32 Clamp255(i32 v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Sum of the lanes: integer sums in any order (a tree), float sums in lane order (the order of the
// pixels), which their result depends on.
inline i32 SumLanes(const V8i& v)
{
    typedef i32 V4i __attribute__((vector_size(16)));
    const V4i half = __builtin_shufflevector(v, v, 0, 1, 2, 3) + __builtin_shufflevector(v, v, 4, 5, 6, 7);
    return half[0] + half[1] + half[2] + half[3];
}
inline u32 SumLanes(const V8u& v) { return u32(SumLanes(V8i(v))); }
inline float SumLanes(const V8f& v)
{
    float sum = 0;
    for (i32 i = 0; i < 8; ++i)
        sum += v[i];
    return sum;
}

// The table search over the eight pixels of a half-block (lanes in visiting order): for each table
// each pixel takes its least error over the four candidate colours, the first candidate winning
// ties; a table is accepted when its sum is strictly below the best so far. Returns the best sum;
// table and column (the chosen candidate of each pixel) belong to it.
template <class Metric>
__attribute__((target_clones("avx2", "default"))) typename Metric::Sum
SearchTables(const u8 base[3], const V8i& r, const V8i& g, const V8i& b, u32& table, V8i& column)
{
    const V8i dr = base[0] - r, dg = base[1] - g, db = base[2] - b;
    // Integer metrics: where no candidate colour of a table clamps, a pixel's error with modifier m
    // is D2 + m (2 S + W m), with d = base - pixel, S = sum of w d, D2 = sum of w d² and W the sum of
    // the weights. That is a parabola in m, so the first least candidate is found by comparing 2 S
    // with the three midpoints between neighbouring modifiers: the same choice and the same error as
    // trying all four, in exact integer arithmetic.
    V8i twoS{}, d2{};
    constexpr i32 kW = Metric::kInteger ? Metric::kWeights[0] + Metric::kWeights[1] + Metric::kWeights[2] : 0;
    if constexpr (Metric::kInteger) {
        twoS = 2 * (Metric::kWeights[0] * dr + Metric::kWeights[1] * dg + Metric::kWeights[2] * db);
        d2 = Metric::kWeights[0] * dr * dr + Metric::kWeights[1] * dg * dg + Metric::kWeights[2] * db * db;
    }
    const i32 lowest = std::min({base[0], base[1], base[2]}), highest = std::max({base[0], base[1], base[2]});
    typename Metric::Sum best = Metric::kSentinel;
    for (u32 t = 0; t < 8; ++t) {
        const i32* modifiers = ETCModifierTable[2 * t];
        typename Metric::Vector minima;
        V8i chosen;
        const i32 large = modifiers[3];
        if (Metric::kInteger && lowest >= large && highest + large <= 255) {
            const V8i first = twoS < -kW * (modifiers[0] + modifiers[1]), second = twoS < -kW * (modifiers[1] + modifiers[2]),
                      third = twoS < -kW * (modifiers[2] + modifiers[3]);
            // A true comparison is all ones; each one passed implies the ones before it.
            chosen = -(first + second + third);
            const V8i m = modifiers[0] + (first & (modifiers[1] - modifiers[0])) +
                          (second & (modifiers[2] - modifiers[1])) + (third & (modifiers[3] - modifiers[2]));
            minima = typename Metric::Vector(d2 + m * (twoS + kW * m));
        } else {
            i32 candidates[4][3]; // the four clamped colours of this table
            for (u32 c = 0; c < 4; ++c)
                for (u32 ch = 0; ch < 3; ++ch)
                    candidates[c][ch] = Clamp255(base[ch] + modifiers[c]);
            // Every pixel's least error is below the sentinel, so its first candidate is always taken.
            minima = Metric::Error(candidates[0][0] - r, candidates[0][1] - g, candidates[0][2] - b);
            chosen = V8i{};
            for (i32 c = 1; c < 4; ++c) {
                const typename Metric::Vector e =
                    Metric::Error(candidates[c][0] - r, candidates[c][1] - g, candidates[c][2] - b);
                const V8i better = e < minima;
                minima = better ? e : minima;
                chosen = better ? V8i{} + c : chosen;
            }
        }
        const typename Metric::Sum sum = SumLanes(minima);
        if (sum < best) {
            best = sum;
            table = t;
            column = chosen;
        }
    }
    return best;
}

// The last searches of this thread: the fast compressors search the same half-block around the same
// colour often (the rounded and the balanced colour of a half agree in most channels), and a
// repeated search is answered from here. Keyed by everything the result depends on.
struct SSearchMemo {
    struct SEntry {
        u8 key[28]; // member, base colour, the half-block's 24 bytes in visiting order
        i32 error;
        u32 table, msb, lsb;
    };
    static constexpr u32 kEntries = 8;
    SEntry entries[kEntries];
    u32 used = 0, next = 0;

    const SEntry* Find(const u8 (&key)[28]) const
    {
        for (u32 i = 0; i < used; ++i)
            if (std::memcmp(entries[i].key, key, sizeof key) == 0)
                return &entries[i];
        return nullptr;
    }
    void Add(const u8 (&key)[28], i32 error, u32 table, u32 msb, u32 lsb)
    {
        SEntry& e = entries[next];
        std::memcpy(e.key, key, sizeof key);
        e.error = error, e.table = table, e.msb = msb, e.lsb = lsb;
        next = (next + 1) % kEntries;
        used = std::max(used, next == 0 ? kEntries : next);
    }
};
thread_local SSearchMemo t_searchMemo;

template <i32 Columns, i32 Rows, class Metric>
i32 FindHalfBlockTable(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3], u32& table,
                       u32& indexMSB, u32& indexLSB)
{
    // The half-block's pixels in visiting order (column by column), and their bit positions.
    u8 key[28];
    key[0] = u8(Columns * 16 + Metric::kId);
    std::memcpy(key + 1, base, 3);
    for (i32 x = 0, i = 0; x < Columns; ++x)
        for (i32 y = 0; y < Rows; ++y, ++i)
            std::memcpy(key + 4 + 3 * i, pixels + (i64(startY + y) * width + startX + x) * 3, 3);
    if (const SSearchMemo::SEntry* known = t_searchMemo.Find(key)) {
        table = known->table, indexMSB = known->msb, indexLSB = known->lsb;
        return known->error;
    }
    V8i r, g, b;
    for (i32 i = 0; i < 8; ++i)
        r[i] = key[4 + 3 * i], g[i] = key[5 + 3 * i], b[i] = key[6 + 3 * i];
    V8i column = V8i{};
    const typename Metric::Sum best = SearchTables<Metric>(base, r, g, b, table, column);
    u32 msb = 0, lsb = 0;
    for (i32 x = 0, i = 0; x < Columns; ++x)
        for (i32 y = 0; y < Rows; ++y, ++i) {
            const u32 value = ETCScramble[column[i]], bit = u32(4 * x + y);
            msb |= (value >> 1) << bit;
            lsb |= (value & 1) << bit;
        }
    indexMSB = msb;
    indexLSB = lsb;
    const i32 error = i32(best); // the float members truncate toward zero
    t_searchMemo.Add(key, error, table, msb, lsb);
    return error;
}

template <i32 Columns, i32 Rows>
void AverageColour(const u8* pixels, i32 width, i32 startX, i32 startY, float avg[3])
{
    u32 sum[3] = {0, 0, 0};
    for (i32 y = 0; y < Rows; ++y)
        for (i32 x = 0; x < Columns; ++x)
            for (u32 c = 0; c < 3; ++c)
                sum[c] += pixels[(i64(startY + y) * width + startX + x) * 3 + c];
    for (u32 c = 0; c < 3; ++c)
        avg[c] = float(sum[c] * 0.125);
}

} // namespace

void ComputeAverageColour2x4(const u8* pixels, i32 width, i32 startX, i32 startY, float avg[3])
{
    AverageColour<2, 4>(pixels, width, startX, startY, avg);
}

void ComputeAverageColour4x2(const u8* pixels, i32 width, i32 startX, i32 startY, float avg[3])
{
    AverageColour<4, 2>(pixels, width, startX, startY, avg);
}

i32 FindHalfBlockTable2x4(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3], u32& table,
                          u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<2, 4, SPlain>(pixels, width, startX, startY, base, table, indexMSB, indexLSB);
}

i32 FindHalfBlockTable4x2(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3], u32& table,
                          u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<4, 2, SPlain>(pixels, width, startX, startY, base, table, indexMSB, indexLSB);
}

i32 FindHalfBlockTable2x4Perceptual(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                    u32& table, u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<2, 4, SPerceptual>(pixels, width, startX, startY, base, table, indexMSB, indexLSB);
}

i32 FindHalfBlockTable4x2Perceptual(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                    u32& table, u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<4, 2, SPerceptual>(pixels, width, startX, startY, base, table, indexMSB, indexLSB);
}

i32 FindHalfBlockTable2x4PerceptualFloat(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                         u32& table, u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<2, 4, SPerceptualFloat2x4>(pixels, width, startX, startY, base, table, indexMSB,
                                                         indexLSB);
}

i32 FindHalfBlockTable4x2PerceptualFloat(const u8* pixels, i32 width, i32 startX, i32 startY, const u8 base[3],
                                         u32& table, u32& indexMSB, u32& indexLSB)
{
    return FindHalfBlockTable<4, 2, SPerceptualFloat4x2>(pixels, width, startX, startY, base, table, indexMSB,
                                                         indexLSB);
}

double ComputeBlockErrorPlain(const u8* rgb, const u8* decodedRgb, i32 stride, i32 x0, i32 y0)
{
    double error = 0;
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            const i64 at = (i64(y0 + y) * stride + x0 + x) * 3;
            const i32 dr = rgb[at] - decodedRgb[at], dg = rgb[at + 1] - decodedRgb[at + 1],
                      db = rgb[at + 2] - decodedRgb[at + 2];
            error += double(dr * dr + dg * dg + db * db);
        }
    return error;
}

double ComputeBlockErrorPerceptual(const u8* rgb, const u8* decodedRgb, i32 stride, i32 x0, i32 y0)
{
    double error = 0;
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            const i64 at = (i64(y0 + y) * stride + x0 + x) * 3;
            const i32 dr = rgb[at] - decodedRgb[at], dg = rgb[at + 1] - decodedRgb[at + 1],
                      db = rgb[at + 2] - decodedRgb[at + 2];
            error += 0.299 * (dr * dr) + 0.587 * (dg * dg) + 0.114 * (db * db);
        }
    return error;
}

} // namespace xqftexture::etc
