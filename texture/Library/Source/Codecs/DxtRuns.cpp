// Whole DXT blocks decoded with SSSE3 byte shuffles. Fetching texel by texel costs a table look-up
// and a 4-byte store per texel; here the palette of a block is built once in a register and each
// 16-byte block row is one shuffle of it (plus one for alpha), which runs several times faster.
// The build targets plain x86-64, so these functions carry their own target and run only where the
// processor reports SSSE3; elsewhere they decode nothing and the walker fetches texel by texel.
// The results are bit-exact with the Texel functions of DxtBlocks.h.
#include "DxtBlocks.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define XQFT_DXT_SHUFFLES 1
#endif

namespace xqftexture::dxt {

#ifdef XQFT_DXT_SHUFFLES
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

#define XQFT_SSSE3 __attribute__((target("ssse3")))

// The four palette entries, 'r','g','b','a' bytes each, in one register. DXT1 blocks are opaque and
// have three colours when colour0 <= colour1; the colour block of DXT2-5 has alpha 0 and four colours.
template <bool kDxt1>
XQFT_SSSE3 inline __m128i Palette(const u8* b)
{
    // Lanes 0-3: colour0 as r, g, b, a; lanes 4-7: colour1.
    const __m128i words = _mm_cvtsi32_si128(int(ReadLE32(b)));
    const __m128i c = _mm_shuffle_epi32(_mm_unpacklo_epi16(words, words), _MM_SHUFFLE(1, 1, 0, 0));
    // Each field moved to the top of its lane, then widened by bit replication: f8 = y >> 8 | y >> (8 + bits).
    const __m128i top = _mm_and_si128(_mm_mullo_epi16(c, _mm_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0)),
                                      _mm_setr_epi16(-2048, -1024, -2048, 0, -2048, -1024, -2048, 0));
    const __m128i alpha = kDxt1 ? _mm_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255) : _mm_setzero_si128();
    const __m128i e01 = _mm_or_si128(
        _mm_or_si128(_mm_srli_epi16(top, 8), _mm_mulhi_epu16(top, _mm_setr_epi16(8, 4, 8, 0, 8, 4, 8, 0))), alpha);
    const __m128i e10 = _mm_shuffle_epi32(e01, _MM_SHUFFLE(1, 0, 3, 2));
    // (2 e0 + e1) / 3 and (e0 + 2 e1) / 3; x * 21846 >> 16 is x / 3 for every x <= 765.
    const __m128i e23 = _mm_mulhi_epu16(_mm_add_epi16(_mm_add_epi16(e01, e01), e10), _mm_set1_epi16(21846));
    if constexpr (!kDxt1)
        return _mm_packus_epi16(e01, e23);
    // (e0 + e1) / 2 and transparent black, chosen without a branch: random blocks would mispredict half.
    const __m128i three = _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(e01, e10), 1), _mm_setr_epi16(-1, -1, -1, -1, 0, 0, 0, 0));
    const __m128i pick = _mm_set1_epi16(short(-short(ReadLE16(b) <= ReadLE16(b + 2))));
    return _mm_packus_epi16(e01, _mm_or_si128(_mm_and_si128(pick, three), _mm_andnot_si128(pick, e23)));
}

XQFT_SSSE3 inline void StoreRow(Rgba8* out, __m128i row) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), row); }

XQFT_SSSE3 inline __m128i ColourRow(__m128i palette, u32 indices, u32 row)
{
    return _mm_shuffle_epi8(palette,
                            _mm_load_si128(reinterpret_cast<const __m128i*>(kRowMasks.masks[(indices >> (8 * row)) & 255])));
}

// Moves the alphas of texels 4 row .. 4 row + 3 (one byte each, in texel order) to the alpha bytes.
XQFT_SSSE3 inline __m128i AlphaRow(__m128i alphas, u32 row)
{
    const char n = char(0x80), r = char(4 * row);
    return _mm_shuffle_epi8(alphas, _mm_setr_epi8(n, n, n, r, n, n, n, char(r + 1), n, n, n, char(r + 2), n, n, n,
                                                  char(r + 3)));
}

XQFT_SSSE3 u64 Dxt1Rows(const u8* b, u64 count, Rgba8* out, u64 width)
{
    for (u64 i = 0; i < count; ++i, b += 8, out += 4) {
        const __m128i palette = Palette<true>(b);
        const u32 indices = ReadLE32(b + 4);
        for (u32 y = 0; y < 4; ++y)
            StoreRow(out + y * width, ColourRow(palette, indices, y));
    }
    return count;
}

XQFT_SSSE3 u64 Dxt3Rows(const u8* b, u64 count, Rgba8* out, u64 width)
{
    for (u64 i = 0; i < count; ++i, b += 16, out += 4) {
        const __m128i palette = Palette<false>(b + 8);
        const u32 indices = ReadLE32(b + 12);
        // Nibbles to bytes in texel order, widened as a * 17.
        const __m128i packed = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b));
        const __m128i low = _mm_set1_epi8(15);
        const __m128i nibbles = _mm_unpacklo_epi8(_mm_and_si128(packed, low), _mm_and_si128(_mm_srli_epi16(packed, 4), low));
        const __m128i alphas = _mm_or_si128(nibbles, _mm_slli_epi16(nibbles, 4));
        for (u32 y = 0; y < 4; ++y)
            StoreRow(out + y * width, _mm_or_si128(ColourRow(palette, indices, y), AlphaRow(alphas, y)));
    }
    return count;
}

// The eight-entry alpha table of a DXT5 block in the low 8 bytes. x * 9363 >> 16 is x / 7 for every
// x <= 1785, x * 13108 >> 16 is x / 5 for every x <= 1275.
XQFT_SSSE3 inline __m128i AlphaTable(u32 a0, u32 a1)
{
    const __m128i first = _mm_set1_epi16(short(a0)), second = _mm_set1_epi16(short(a1));
    const __m128i sevenths = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(first, _mm_setr_epi16(7, 0, 6, 5, 4, 3, 2, 1)),
                                                           _mm_mullo_epi16(second, _mm_setr_epi16(0, 7, 1, 2, 3, 4, 5, 6))),
                                             _mm_set1_epi16(9363));
    const __m128i fifths = _mm_or_si128(
        _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(first, _mm_setr_epi16(5, 0, 4, 3, 2, 1, 0, 0)),
                                      _mm_mullo_epi16(second, _mm_setr_epi16(0, 5, 1, 2, 3, 4, 0, 0))),
                        _mm_set1_epi16(13108)),
        _mm_setr_epi16(0, 0, 0, 0, 0, 0, 0, 255));
    return _mm_packus_epi16(a0 > a1 ? sevenths : fifths, _mm_setzero_si128());
}

// The sixteen 3-bit alpha indices of a DXT5 block (bits 16..63), one byte each in texel order: texel i
// starts at bit 16 + 3 i; the two bytes around it are gathered into a 16-bit lane and shifted with a
// multiply (lanes have no per-lane shift before AVX2).
XQFT_SSSE3 inline __m128i AlphaIndices(__m128i block)
{
    const __m128i low = _mm_shuffle_epi8(block, _mm_setr_epi8(2, 3, 2, 3, 2, 3, 3, 4, 3, 4, 3, 4, 4, 5, 4, 5));
    const __m128i high = _mm_shuffle_epi8(block, _mm_setr_epi8(5, 6, 5, 6, 5, 6, 6, 7, 6, 7, 6, 7, 7, 8, 7, 8));
    // Bit offsets within the lanes: 0 3 6 1 4 7 2 5, for both halves; multiplying by 2^(8 - offset)
    // brings each index to bits 8..10.
    const __m128i shifts = _mm_setr_epi16(256, 32, 4, 128, 16, 2, 64, 8);
    const __m128i words =
        _mm_packus_epi16(_mm_srli_epi16(_mm_mullo_epi16(low, shifts), 8), _mm_srli_epi16(_mm_mullo_epi16(high, shifts), 8));
    return _mm_and_si128(words, _mm_set1_epi8(7));
}

XQFT_SSSE3 u64 Dxt5Rows(const u8* b, u64 count, Rgba8* out, u64 width)
{
    for (u64 i = 0; i < count; ++i, b += 16, out += 4) {
        const __m128i palette = Palette<false>(b + 8);
        const u32 indices = ReadLE32(b + 12);
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        const __m128i alphas = _mm_shuffle_epi8(AlphaTable(b[0], b[1]), AlphaIndices(block));
        for (u32 y = 0; y < 4; ++y)
            StoreRow(out + y * width, _mm_or_si128(ColourRow(palette, indices, y), AlphaRow(alphas, y)));
    }
    return count;
}

const bool kHaveShuffles = __builtin_cpu_supports("ssse3");

} // namespace

u64 DecodeDxt1Run(const u8* blocks, u64 count, Rgba8* out, u64 width)
{
    return kHaveShuffles ? Dxt1Rows(blocks, count, out, width) : 0;
}
u64 DecodeDxt3Run(const u8* blocks, u64 count, Rgba8* out, u64 width)
{
    return kHaveShuffles ? Dxt3Rows(blocks, count, out, width) : 0;
}
u64 DecodeDxt5Run(const u8* blocks, u64 count, Rgba8* out, u64 width)
{
    return kHaveShuffles ? Dxt5Rows(blocks, count, out, width) : 0;
}

#else

u64 DecodeDxt1Run(const u8*, u64, Rgba8*, u64) { return 0; }
u64 DecodeDxt3Run(const u8*, u64, Rgba8*, u64) { return 0; }
u64 DecodeDxt5Run(const u8*, u64, Rgba8*, u64) { return 0; }

#endif

} // namespace xqftexture::dxt
