// Whole DXT blocks decoded with byte shuffles. Fetching texel by texel costs a table look-up and a
// 4-byte store per texel; here the palette of a block is built once in a register and each 16-byte
// block row is one shuffle of it (plus one for alpha), several times faster.
// The build targets plain x86-64, so the kernels (DxtRunKernels.h) are compiled twice with their own
// target, for SSSE3 (one block at a time) and AVX2 (two), and run only where the processor reports
// that instruction set; elsewhere the runs decode nothing and the walker fetches texel by texel.
// A level larger than the last-level cache cannot stay in it: its rows are written with streaming
// stores, which skip reading each cache line before overwriting it (a quarter faster here).
#include "DxtBlocks.h"

#include <unistd.h>

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace xqftexture::dxt {
namespace {

// Shuffle masks of one block row: entry v picks, for each of the 4 texels, the 4 bytes of the palette
// entry that the row's index byte v names.
struct SRowMasks {
    alignas(16) u8 masks[256][16];
    constexpr SRowMasks() : masks()
    {
        for (u32 v = 0; v < 256; ++v)
            for (u32 t = 0; t < 4; ++t)
                for (u32 k = 0; k < 4; ++k)
                    masks[v][4 * t + k] = u8(4 * ((v >> (2 * t)) & 3) + k);
    }
};
constexpr SRowMasks kRowMasks;

inline const __m128i* RowMask(u8 indices) { return reinterpret_cast<const __m128i*>(kRowMasks.masks[indices]); }

namespace ssse3 {
#define XQFT_TARGET __attribute__((target("ssse3")))
using V = __m128i;
constexpr u32 kLanes = 1;
XQFT_TARGET inline V Lanes(__m128i c) { return c; }
XQFT_TARGET inline V Zero() { return _mm_setzero_si128(); }
XQFT_TARGET inline V And(V a, V b) { return _mm_and_si128(a, b); }
XQFT_TARGET inline V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
XQFT_TARGET inline V Or(V a, V b) { return _mm_or_si128(a, b); }
XQFT_TARGET inline V Add16(V a, V b) { return _mm_add_epi16(a, b); }
XQFT_TARGET inline V SubSat16(V a, V b) { return _mm_subs_epu16(a, b); }
XQFT_TARGET inline V MulLo16(V a, V b) { return _mm_mullo_epi16(a, b); }
XQFT_TARGET inline V MulHi16(V a, V b) { return _mm_mulhi_epu16(a, b); }
XQFT_TARGET inline V CmpEq16(V a, V b) { return _mm_cmpeq_epi16(a, b); }
XQFT_TARGET inline V CmpGt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }
XQFT_TARGET inline V Srl16(V a, int n) { return _mm_srli_epi16(a, n); }
XQFT_TARGET inline V Sll16(V a, int n) { return _mm_slli_epi16(a, n); }
XQFT_TARGET inline V PackUs16(V a, V b) { return _mm_packus_epi16(a, b); }
XQFT_TARGET inline V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
XQFT_TARGET inline V UnpackLo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
XQFT_TARGET inline V UnpackHi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
XQFT_TARGET inline V Shuffle8(V a, V b) { return _mm_shuffle_epi8(a, b); }
template <int kOrder>
XQFT_TARGET inline V Shuffle32(V a) { return _mm_shuffle_epi32(a, kOrder); }
// Reads exactly `bytes` bytes: an 8-byte block must not be loaded as 16.
XQFT_TARGET inline V LoadBlocks(const u8* b, u32 bytes)
{
    return bytes == 8 ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b))
                      : _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
}
XQFT_TARGET inline V RowMasks(const u8* b, u32, u32 at) { return _mm_load_si128(RowMask(b[at])); }
template <bool kStream>
XQFT_TARGET inline void Store(Rgba8* out, V row)
{
    if constexpr (kStream)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), row);
    else
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), row);
}
#include "DxtRunKernels.h"
#undef XQFT_TARGET
} // namespace ssse3

namespace avx2 {
#define XQFT_TARGET __attribute__((target("avx2")))
using V = __m256i;
constexpr u32 kLanes = 2;
XQFT_TARGET inline V Lanes(__m128i c) { return _mm256_broadcastsi128_si256(c); }
XQFT_TARGET inline V Zero() { return _mm256_setzero_si256(); }
XQFT_TARGET inline V And(V a, V b) { return _mm256_and_si256(a, b); }
XQFT_TARGET inline V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
XQFT_TARGET inline V Or(V a, V b) { return _mm256_or_si256(a, b); }
XQFT_TARGET inline V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
XQFT_TARGET inline V SubSat16(V a, V b) { return _mm256_subs_epu16(a, b); }
XQFT_TARGET inline V MulLo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
XQFT_TARGET inline V MulHi16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
XQFT_TARGET inline V CmpEq16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
XQFT_TARGET inline V CmpGt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
XQFT_TARGET inline V Srl16(V a, int n) { return _mm256_srli_epi16(a, n); }
XQFT_TARGET inline V Sll16(V a, int n) { return _mm256_slli_epi16(a, n); }
XQFT_TARGET inline V PackUs16(V a, V b) { return _mm256_packus_epi16(a, b); }
XQFT_TARGET inline V UnpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
XQFT_TARGET inline V UnpackLo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
XQFT_TARGET inline V UnpackHi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
XQFT_TARGET inline V Shuffle8(V a, V b) { return _mm256_shuffle_epi8(a, b); }
template <int kOrder>
XQFT_TARGET inline V Shuffle32(V a) { return _mm256_shuffle_epi32(a, kOrder); }
// Two blocks, one per 128-bit lane.
XQFT_TARGET inline V LoadBlocks(const u8* b, u32 bytes)
{
    if (bytes == 8)
        return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b))),
                                       _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + 8)), 1);
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
}
XQFT_TARGET inline V RowMasks(const u8* b, u32 bytes, u32 at)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_load_si128(RowMask(b[at]))),
                                   _mm_load_si128(RowMask(b[bytes + at])), 1);
}
// A row of the two blocks: 8 texels side by side. Streamed as two halves, which need only the 16-byte
// alignment that allocators give.
template <bool kStream>
XQFT_TARGET inline void Store(Rgba8* out, V row)
{
    if constexpr (kStream) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(row));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + 4), _mm256_extracti128_si256(row, 1));
    } else {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), row);
    }
}
#include "DxtRunKernels.h"
#undef XQFT_TARGET
} // namespace avx2

// Another library's static constructor may decode before the processor model is read: read it first.
const bool kCpuSsse3 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}();
const bool kCpuAvx2 = __builtin_cpu_supports("avx2");
bool gUseSsse3 = kCpuSsse3;
bool gUseAvx2 = kCpuAvx2;

template <int kMode, bool kStream>
u64 Runs(const u8* b, u64 count, Rgba8* out, u64 width)
{
    constexpr u32 kBytes = kMode == 1 ? 8 : 16;
    u64 done = gUseAvx2 ? avx2::Run<kMode, kStream>(b, count, out, width) : 0;
    if (gUseSsse3)
        done += ssse3::Run<kMode, kStream>(b + done * kBytes, count - done, out + 4 * done, width);
    if constexpr (kStream)
        _mm_sfence(); // streamed rows are seen before whatever the caller stores next
    return done;
}

template <int kMode>
u64 Runs(const u8* b, u64 count, Rgba8* out, u64 width, bool stream)
{
    return stream ? Runs<kMode, true>(b, count, out, width) : Runs<kMode, false>(b, count, out, width);
}

// The last-level cache one core can fill. The C library may report the caches of all the package's
// core groups together (384 MiB where a core sees 32), so the answer is capped at 32 MiB.
u64 LastLevelCacheBytes()
{
    const u64 cap = u64(32) << 20;
    const long bytes = sysconf(_SC_LEVEL3_CACHE_SIZE);
    return bytes > 0 && u64(bytes) < cap ? u64(bytes) : cap;
}
const u64 kStreamAbove = LastLevelCacheBytes();

} // namespace

bool StreamRuns(const void* out, u32 width, u32 height)
{
    return gUseSsse3 && reinterpret_cast<uintptr_t>(out) % 16 == 0 && width % 4 == 0 &&
           u64(width) * height * 4 > kStreamAbove;
}
void LimitRunInstructions(int level)
{
    gUseSsse3 = kCpuSsse3 && level >= 1;
    gUseAvx2 = kCpuAvx2 && level >= 2;
}
u64 DecodeDxt1Run(const u8* b, u64 count, Rgba8* out, u64 width, bool stream) { return Runs<1>(b, count, out, width, stream); }
u64 DecodeDxt3Run(const u8* b, u64 count, Rgba8* out, u64 width, bool stream) { return Runs<3>(b, count, out, width, stream); }
u64 DecodeDxt5Run(const u8* b, u64 count, Rgba8* out, u64 width, bool stream) { return Runs<5>(b, count, out, width, stream); }

} // namespace xqftexture::dxt

#else

namespace xqftexture::dxt {
void LimitRunInstructions(int) {}
bool StreamRuns(const void*, u32, u32) { return false; }
u64 DecodeDxt1Run(const u8*, u64, Rgba8*, u64, bool) { return 0; }
u64 DecodeDxt3Run(const u8*, u64, Rgba8*, u64, bool) { return 0; }
u64 DecodeDxt5Run(const u8*, u64, Rgba8*, u64, bool) { return 0; }
} // namespace xqftexture::dxt

#endif
