// EAC encoders.
#include "EtcEac.h"

#include "EtcPlanes.h"
#include "EtcTTables.h"
#include "XQFTextureScratch.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

#pragma GCC diagnostic ignored "-Wpsabi" // vector types stay inside this file

namespace xqftexture::etc {

namespace {

// The block's 16 alpha values in column-major pixel order (the order of the index stream).
void GatherAlpha(const u8* alpha, i32 x0, i32 y0, i32 stride, u8 values[16])
{
    for (i32 i = 0; i < 16; ++i)
        values[i] = alpha[i64(y0 + (i & 3)) * stride + x0 + (i >> 2)];
}

inline i32 Reconstruct(i32 base, i32 modifier) { return kClampTable[base + modifier + 255]; }
inline i32 Square(i32 v) { return v * v; }

// A pixel's error for one row and base: above the base the positive entries from the largest down,
// stopping at the first larger error; at or below it the negative entries from the smallest magnitude
// on, stopping at the first error that is not smaller.
i32 PixelError(i32 a, i32 base, const i32* row)
{
    if (a > base) {
        i32 best = Square(Reconstruct(base, row[7]) - a);
        for (i32 k = 6; k >= 4; --k) {
            const i32 e = Square(Reconstruct(base, row[k]) - a);
            if (e > best)
                break;
            best = e;
        }
        return best;
    }
    i32 best = Square(Reconstruct(base, row[0]) - a);
    for (i32 k = 1; k <= 3; ++k) {
        const i32 e = Square(Reconstruct(base, row[k]) - a);
        if (e >= best)
            break;
        best = e;
    }
    return best;
}

// The running sum of a candidate, abandoned (returning false) once it exceeds limit.
bool CandidateSum(const u8 values[16], i32 base, const i32* row, i32 limit, i32& sum)
{
    sum = 0;
    for (i32 i = 0; i < 16; ++i) {
        sum += PixelError(values[i], base, row);
        if (sum > limit)
            return false;
    }
    return true;
}

i32 AlphaAverage(const u8 values[16])
{
    u32 sum = 0;
    for (i32 i = 0; i < 16; ++i)
        sum += values[i];
    return i32(float(sum) * 0.0625f + 0.5f);
}

void WriteAlphaBlock(const u8 values[16], i32 base, u32 rowIndex, const i32* row, u8 out[8])
{
    out[0] = u8(base);
    out[1] = u8(rowIndex);
    u64 bits = 0;
    for (i32 i = 0; i < 16; ++i) {
        i32 best = INT_MAX;
        u32 index = 0;
        for (u32 k = 0; k < 8; ++k) {
            const i32 e = Square(Reconstruct(base, row[k]) - values[i]);
            if (e < best)
                best = e, index = k;
        }
        bits = bits << 3 | index;
    }
    for (i32 b = 0; b < 6; ++b)
        out[2 + b] = u8(bits >> (40 - 8 * b));
}

} // namespace

i32 CompressEACAlphaBlockFast(const u8* alpha, i32 x0, i32 y0, i32 stride, u32 /*height*/, u8 out[8],
                               const i32* eacAlphaTable)
{
    u8 values[16];
    GatherAlpha(alpha, x0, y0, stride, values);
    const i32 avg = AlphaAverage(values);
    i32 maxDistance = 0;
    for (u8 v : values)
        maxDistance = std::max(maxDistance, std::abs(avg - v));
    const i32 approx = std::min(maxDistance * 255 / 160 - 4, 255);
    i32 bestError = INT_MAX, bestBase = 0;
    u32 bestRow = 0;
    struct SPass {
        i32 reach, step;
    };
    static constexpr SPass kPasses[3] = {{64, 16}, {8, 4}, {2, 1}};
    for (i32 r = std::max(approx - 15, 0); r < std::min(approx + 15, 255) && bestError >= 1; ++r) {
        const i32* row = eacAlphaTable + 8 * r;
        i32 centre = avg;
        for (const SPass& pass : kPasses) {
            i32 passBest = INT_MAX, passBase = centre;
            const i32 from = std::max(centre - pass.reach, 0), to = std::min(centre + pass.reach, 255);
            for (i32 base = from; base <= to; base += pass.step) {
                i32 sum = 0;
                const bool complete = CandidateSum(values, base, row, bestError, sum);
                if (complete && sum < bestError)
                    bestError = sum, bestBase = base, bestRow = u32(r);
                if (sum < passBest) // an abandoned candidate's partial sum competes too
                    passBest = sum, passBase = base;
            }
            centre = passBase;
        }
    }
    WriteAlphaBlock(values, bestBase, bestRow, eacAlphaTable + 8 * bestRow, out);
    return bestError;
}

i32 CompressEACAlphaBlock(const u8* alpha, i32 x0, i32 y0, i32 stride, u32 /*height*/, u8 out[8],
                           const i32* eacAlphaTable)
{
    u8 values[16];
    GatherAlpha(alpha, x0, y0, stride, values);
    const i32 avg = AlphaAverage(values);
    i32 bestError = INT_MAX, bestBase = 0;
    u32 bestRow = 0;
    struct SPass {
        i32 reach, step;
    };
    static constexpr SPass kPasses[3] = {{128, 32}, {16, 4}, {4, 1}};
    for (u32 r = 0; r < 256 && bestError != 0; ++r) {
        const i32* row = eacAlphaTable + 8 * r;
        i32 centre = avg, rowBest = INT_MAX;
        for (const SPass& pass : kPasses) {
            const i32 from = std::max(centre - pass.reach, 0), to = std::min(centre + pass.reach, 255);
            for (i32 base = from; base <= to; base += pass.step) {
                i32 sum = 0;
                if (!CandidateSum(values, base, row, rowBest, sum) || sum >= rowBest)
                    continue;
                rowBest = sum;
                centre = base;
                if (sum < bestError)
                    bestError = sum, bestBase = base, bestRow = r;
            }
        }
    }
    WriteAlphaBlock(values, bestBase, bestRow, eacAlphaTable + 8 * bestRow, out);
    return bestError;
}

void BuildEAC11Table(u8 isSigned, u16* table)
{
    u64 at = 0;
    for (u32 base = 0; base < 256; ++base)
        for (u32 t = 0; t < 16; ++t)
            for (u32 m = 0; m < 16; ++m)
                for (u32 k = 0; k < 8; ++k)
                    table[at++] = DecodeEAC11Value(base, i32(t), m, i32(k), isSigned);
}

const u16* SharedEAC11Table(u8 isSigned)
{
    static std::atomic<const u16*> tables[2] = {nullptr, nullptr};
    static std::mutex building;
    std::atomic<const u16*>& slot = tables[isSigned ? 1 : 0];
    if (const u16* table = slot.load(std::memory_order_acquire))
        return table;
    std::lock_guard<std::mutex> hold(building);
    if (const u16* table = slot.load(std::memory_order_acquire))
        return table;
    u16* table = static_cast<u16*>(AllocateScratch(kEAC11TableEntries * sizeof(u16)));
    if (table == nullptr)
        return nullptr; // tried again on the next call
    BuildEAC11Table(isSigned, table);
    slot.store(table, std::memory_order_release); // kept for the life of the process
    return table;
}

double EAC11BlockError(const u16* plane, i32 x0, i32 y0, i32 stride, u32 /*height*/, u32 base, u32 table,
                       u32 multiplier, double bound, const u16* eac11Table)
{
    const u16* values = eac11Table + ((u64(base) * 16 + table) * 16 + multiplier) * 8;
    double sum = 0;
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x) {
            const i64 p = plane[i64(y0 + y) * stride + x0 + x];
            i64 best = INT64_MAX;
            for (u32 k = 0; k < 8; ++k)
                best = std::min(best, (values[k] - p) * (values[k] - p));
            sum += double(best);
            if (sum >= bound)
                return bound + 1073741824.0;
        }
    return sum;
}

namespace {

typedef i32 V8i __attribute__((vector_size(32)));
typedef i64 V8l __attribute__((vector_size(64)));

// The least squared distance of eight pixels to the eight values, summed exactly (64 bits).
[[gnu::always_inline]] inline i64 BatchError(const V8i& pixels, const u16* values)
{
    V8i nearest = V8i{} + 65536;
    for (u32 k = 0; k < 8; ++k) {
        const V8i d = pixels - i32(values[k]);
        const V8i magnitude = d < 0 ? -d : d;
        nearest = magnitude < nearest ? magnitude : nearest;
    }
    const V8l wide = __builtin_convertvector(nearest, V8l);
    const V8l squares = wide * wide;
    return squares[0] + squares[1] + squares[2] + squares[3] + squares[4] + squares[5] + squares[6] + squares[7];
}

// The search over all 65,536 choices. Its result is the first choice, in (base, table, multiplier)
// order, with the least error: the choice the bounded scan keeps. That is order-free, so bases are
// visited from the block's mean outwards, which finds a small error early; a choice is then skipped
// as soon as a lower bound of its error shows it cannot win: the distance of the block's extreme
// pixels to its value range, then the exact error of the first eight pixels.
__attribute__((target_clones("avx2", "default"))) void SearchEAC11(const i32 pixels[16], const u16* eac11Table,
                                                                   u32& bestBase, u32& bestTable, u32& bestMultiplier)
{
    V8i first, second;
    i64 lowest = 65535, highest = 0, sum = 0;
    for (i32 i = 0; i < 8; ++i)
        first[i] = pixels[i], second[i] = pixels[8 + i];
    for (i32 i = 0; i < 16; ++i) {
        lowest = std::min<i64>(lowest, pixels[i]), highest = std::max<i64>(highest, pixels[i]);
        sum += pixels[i];
    }
    i64 best = i64(1) << 40;
    u32 bestIndex = ~0u;
    // A choice may win with error e when e is below the best, or equal to it and earlier.
    auto mayWin = [&](i64 e, u32 index) { return e < best || (e == best && index < bestIndex); };
    const i32 centre = i32(std::clamp<i64>(sum / 16 / 256, 0, 255));
    for (i32 step = 0; step < 512; ++step) {
        const i32 base = step % 2 ? centre + (step + 1) / 2 : centre - step / 2;
        if (base < 0 || base > 255)
            continue;
        for (u32 table = 0; table < 16; ++table)
            for (u32 multiplier = 0; multiplier < 16; ++multiplier) {
                const u32 index = (u32(base) * 16 + table) * 16 + multiplier;
                const u16* values = eac11Table + u64(index) * 8;
                // Entry 3 holds the most negative modifier, entry 7 the most positive: the value range.
                const i64 below = std::max<i64>(values[3] - lowest, 0), above = std::max<i64>(highest - values[7], 0);
                if (!mayWin(below * below + above * above, index))
                    continue;
                const i64 half = BatchError(first, values);
                if (!mayWin(half, index))
                    continue;
                const i64 error = half + BatchError(second, values);
                if (mayWin(error, index)) {
                    best = error;
                    bestIndex = index;
                }
            }
    }
    bestBase = bestIndex >> 8, bestTable = (bestIndex >> 4) & 15, bestMultiplier = bestIndex & 15;
}

} // namespace

void CompressEAC11Block(const u16* plane, i32 x0, i32 y0, i32 stride, u32 /*height*/, u8 out[8], u8 isSigned,
                        const u16* eac11Table)
{
    i32 pixels[16];
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 4; ++x)
            pixels[4 * y + x] = plane[i64(y0 + y) * stride + x0 + x];
    u32 base = 0, table = 0, multiplier = 0;
    SearchEAC11(pixels, eac11Table, base, table, multiplier);
    out[0] = u8(isSigned ? base - 128 : base);
    out[1] = u8(multiplier << 4 | table);
    u64 bits = 0;
    for (i32 i = 0; i < 16; ++i) { // column-major
        const i64 p = pixels[4 * (i & 3) + (i >> 2)];
        i64 best = i64(65025) * 65025;
        u32 index = 0;
        for (u32 k = 0; k < 8; ++k) {
            const i64 v = DecodeEAC11Value(base, i32(table), multiplier, i32(k), isSigned);
            if ((v - p) * (v - p) < best)
                best = (v - p) * (v - p), index = k;
        }
        bits = bits << 3 | index;
    }
    for (i32 b = 0; b < 6; ++b)
        out[2 + b] = u8(bits >> (40 - 8 * b));
}

} // namespace xqftexture::etc
