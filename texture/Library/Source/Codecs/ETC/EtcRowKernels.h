#pragma once
// The inner loops of the T- and H-mode table builders: one table row for the 16 pixels of a block at
// once (GCC vector extensions; each lane does exactly one pixel's integer arithmetic, so the entries
// are those of a pixel-by-pixel loop on any instruction set).
#include "EtcTTables.h"
#include "EtcTables.h"

#include <algorithm>

#pragma GCC diagnostic ignored "-Wpsabi" // the vector types stay inside the including file

namespace xqftexture::etc::kernels {

typedef i32 V16i __attribute__((vector_size(64)));

// The red, green and blue of the 16 records of a block array.
struct SBlockPixels {
    V16i c[3];
    explicit SBlockPixels(const u8 block[64])
    {
        for (u32 p = 0; p < 16; ++p)
            for (u32 ch = 0; ch < 3; ++ch)
                c[ch][p] = block[4 * p + ch];
    }
};

// Weighted error of every pixel against one colour, over the first Channels channels.
template <u32 WR, u32 WG, u32 WB, u32 Channels>
[[gnu::always_inline]] inline V16i Errors(const SBlockPixels& px, const i32 colour[3])
{
    const V16i dr = px.c[0] - colour[0];
    V16i e = i32(WR) * dr * dr;
    if constexpr (Channels >= 2) {
        const V16i dg = px.c[1] - colour[1];
        e += i32(WG) * dg * dg;
    }
    if constexpr (Channels >= 3) {
        const V16i db = px.c[2] - colour[2];
        e += i32(WB) * db * db;
    }
    return e;
}

[[gnu::always_inline]] inline V16i Min(const V16i& a, const V16i& b) { return a < b ? a : b; }

[[gnu::always_inline]] inline void Store(const V16i& v, u32* out)
{
    for (u32 p = 0; p < 16; ++p)
        out[p] = u32(v[p]);
}

// Row of colour q (8-bit channels): for each distance index k, entries 16k..16k+15 are each pixel's
// least error over the paint colours q - d and q + d (channels clamped on their own), and q itself
// when WithBase (the T split colour; the H colours have no base paint).
template <u32 WR, u32 WG, u32 WB, u32 Channels, bool WithBase>
[[gnu::always_inline]] inline void PaintMinimaRow(const SBlockPixels& px, const i32 q[3], u32* row)
{
    const V16i base = Errors<WR, WG, WB, Channels>(px, q);
    for (u32 k = 0; k < 8; ++k) {
        const i32 d = ETC2DistanceTable[k];
        const i32 minus[3] = {kClampTable[q[0] - d + 255], kClampTable[q[1] - d + 255], kClampTable[q[2] - d + 255]};
        const i32 plus[3] = {kClampTable[q[0] + d + 255], kClampTable[q[1] + d + 255], kClampTable[q[2] + d + 255]};
        V16i least = Min(Errors<WR, WG, WB, Channels>(px, minus), Errors<WR, WG, WB, Channels>(px, plus));
        if constexpr (WithBase)
            least = Min(least, base);
        Store(least, row + 16 * k);
    }
}

// The least over the 8 distances of the 16-pixel sums of min(a[16k + p], b[p or 16k + p]): a pair's
// error from two table rows (LoneShared: b is a lone row of 16 entries, the T tables; else a row of
// 128, the H tables). All sums are complete, so below any bound this is exactly the value the bounded
// evaluators return; at or above it only "not below" matters to the searches.
template <bool LoneShared>
[[gnu::always_inline]] inline u32 PairError(const u32* a, const u32* b)
{
    V16i lone;
    if constexpr (LoneShared)
        __builtin_memcpy(&lone, b, sizeof lone);
    i32 best = 1040400000;
    for (u32 k = 0; k < 8; ++k) {
        V16i split, other;
        __builtin_memcpy(&split, a + 16 * k, sizeof split);
        if constexpr (!LoneShared)
            __builtin_memcpy(&other, b + 16 * k, sizeof other);
        const V16i m = Min(split, LoneShared ? lone : other);
        typedef i32 V8i __attribute__((vector_size(32)));
        typedef i32 V4i __attribute__((vector_size(16)));
        const V8i eight = __builtin_shufflevector(m, m, 0, 1, 2, 3, 4, 5, 6, 7) +
                          __builtin_shufflevector(m, m, 8, 9, 10, 11, 12, 13, 14, 15);
        const V4i four = __builtin_shufflevector(eight, eight, 0, 1, 2, 3) + __builtin_shufflevector(eight, eight, 4, 5, 6, 7);
        best = std::min(best, four[0] + four[1] + four[2] + four[3]);
    }
    return u32(best);
}

// Every row (colours 0..4095) of a full-colour table, compiled for AVX2 where the processor has it.
template <u32 WR, u32 WG, u32 WB, bool WithBase>
__attribute__((target_clones("avx2", "default"))) void PaintMinimaTable(const u8 block[64], u32* table)
{
    const SBlockPixels px(block);
    for (u32 c = 0; c < 4096; ++c) {
        const i32 q[3] = {i32(c >> 8) * 17, i32((c >> 4) & 15) * 17, i32(c & 15) * 17};
        PaintMinimaRow<WR, WG, WB, 3, WithBase>(px, q, table + c * 128);
    }
}

} // namespace xqftexture::etc::kernels
