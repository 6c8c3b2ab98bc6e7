// Exhaustive planar search, channel by channel.
#include "EtcPlanarSearch.h"

#include "EtcTTables.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

constexpr u32 kSentinel = 1040400000u;
constexpr u32 kTableRow = 128;

// w (i - 255)² for the perceptual weights; the plain twin reads the square table.
template <u32 W>
constexpr std::array<u32, 511> kWeightedSquares = [] {
    std::array<u32, 511> t{};
    for (i32 i = 0; i < 511; ++i)
        t[i] = W * u32((i - 255) * (i - 255));
    return t;
}();

template <u32 W>
inline u32 Err(i32 pixel, i32 decoded)
{
    return kWeightedSquares<W>[pixel - decoded + 255];
}

// Decoded value: clamp((value) >> 2) through the clamp table.
inline i32 Decoded(i32 value) { return kClampTable[(value >> 2) + 255]; }

inline i32 Expand(i32 v, i32 bits) { return bits == 6 ? (v << 2) | (v >> 4) : (v << 1) | (v >> 6); }

// px(x, y): the channel's value of pixel (x, y).
template <u32 W, u32 Channel>
struct SChannel {
    static i32 Px(const u8 b[64], i32 x, i32 y) { return b[4 * (4 * y + x) + Channel]; }

    static u32 RowFirstTwo(const u8 b[64], i32 o, i32 h)
    {
        return Err<W>(Px(b, 0, 0), Decoded(4 * o + 2)) + Err<W>(Px(b, 1, 0), Decoded(3 * o + h + 2));
    }
    static u32 RowLastTwo(const u8 b[64], i32 o, i32 h)
    {
        return Err<W>(Px(b, 2, 0), Decoded(2 * o + 2 * h + 2)) + Err<W>(Px(b, 3, 0), Decoded(o + 3 * h + 2));
    }
    static u32 Row(const u8 b[64], i32 o, i32 h, u32 bound)
    {
        const u32 first = RowFirstTwo(b, o, h);
        return first > bound ? first : first + RowLastTwo(b, o, h);
    }
    static u32 Column(const u8 b[64], i32 o, i32 v)
    {
        return Err<W>(Px(b, 0, 1), Decoded(3 * o + v + 2)) + Err<W>(Px(b, 0, 2), Decoded(2 * o + 2 * v + 2)) +
               Err<W>(Px(b, 0, 3), Decoded(o + 3 * v + 2));
    }
    static u32 Diagonal(const u8 b[64], i32 h, i32 v)
    {
        return Err<W>(Px(b, 3, 1), Decoded(3 * h + v + 2)) + Err<W>(Px(b, 2, 2), Decoded(2 * h + 2 * v + 2)) +
               Err<W>(Px(b, 1, 3), Decoded(h + 3 * v + 2));
    }
    static u32 Inner(const u8 b[64], i32 o, i32 h, i32 v, u32 row, u32 column, u32 diagonal, u32 bound)
    {
        u32 sum = row + column + diagonal;
        if (sum > bound)
            return sum;
        sum += Err<W>(Px(b, 1, 1), Decoded(2 * o + h + v + 2)) + Err<W>(Px(b, 1, 2), Decoded(o + h + 2 * v + 2)) +
               Err<W>(Px(b, 2, 1), Decoded(o + 2 * h + v + 2));
        if (sum > bound)
            return sum;
        return sum + Err<W>(Px(b, 3, 3), Decoded(3 * h + 3 * v - 2 * o + 2)) +
               Err<W>(Px(b, 3, 2), Decoded(3 * h + 2 * v - o + 2)) + Err<W>(Px(b, 2, 3), Decoded(2 * h + 3 * v - o + 2));
    }
};

struct STriple {
    u32 o = 0, h = 0, v = 0;
};

// The channel's first triple of least error (starting from (0, 0, 0)) and its error.
template <u32 W, u32 Channel>
u32 SearchChannel(const u8 b[64], u32 channelBound, SPlanarTables& tables, STriple& best)
{
    using C = SChannel<W, Channel>;
    const i32 bits = Channel == 1 ? 7 : 6, levels = 1 << bits;
    u32* column = tables.column.get();
    u32* diagonal = tables.diagonal.get();
    for (i32 a = 0; a < levels; ++a)
        for (i32 v = 0; v < levels; ++v) {
            column[a * kTableRow + v] = C::Column(b, Expand(a, bits), Expand(v, bits));
            diagonal[a * kTableRow + v] = C::Diagonal(b, Expand(a, bits), Expand(v, bits));
        }
    u32 bestError = kSentinel;
    best = STriple();
    for (i32 o = 0; o < levels; ++o) {
        const i32 o8 = Expand(o, bits);
        for (i32 h = 0; h < levels; ++h) {
            const i32 h8 = Expand(h, bits);
            const u32 row = C::Row(b, o8, h8, channelBound);
            if (row > channelBound)
                continue; // no V can bring it back
            for (i32 v = 0; v < levels; ++v) {
                const u32 e = C::Inner(b, o8, h8, Expand(v, bits), row, column[o * kTableRow + v],
                                       diagonal[h * kTableRow + v], channelBound);
                if (e < bestError) {
                    bestError = e;
                    best = {u32(o), u32(h), u32(v)};
                }
            }
        }
    }
    return bestError;
}

template <u32 WR, u32 WG, u32 WB, bool Perceptual>
void Search(const u8* image, i32 width, i32 x, i32 y, u32& word1, u32& word2, u32 bound, u32 redError, u32 greenError,
            u32 blueError, SPlanarTables& tables)
{
    u8 b[64];
    GatherPlanarBlockArray(image, width, x, y, b);
    word1 = word2 = 0;
    STriple r, g, bl;
    const u32 red = SearchChannel<WR, 0>(b, std::min(redError, bound), tables, r);
    const u32 rBest = std::min(red, redError);
    if (Perceptual && rBest > bound)
        return; // no planar block within the bound: give up
    const u32 green = SearchChannel<WG, 1>(b, std::min(greenError, bound), tables, g);
    if (Perceptual && u64(rBest) + std::min(green, greenError) > bound)
        return;
    SearchChannel<WB, 2>(b, std::min(blueError, bound), tables, bl);
    word1 = (r.o & 63) << 26 | (g.o & 127) << 19 | (bl.o & 63) << 13 | (r.h & 63) << 7 | (g.h & 127);
    word2 = (bl.h & 63) << 26 | (r.v & 63) << 20 | (g.v & 127) << 13 | (bl.v & 63) << 7;
}

} // namespace

bool SPlanarTables::Allocate()
{
    column = MakeScratch<u32>(kTableRow * kTableRow);
    diagonal = MakeScratch<u32>(kTableRow * kTableRow);
    if (column && diagonal)
        return true;
    *this = SPlanarTables();
    return false;
}

void GatherPlanarBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64])
{
    for (i32 j = 0; j < 4; ++j)
        for (i32 i = 0; i < 4; ++i) {
            const u8* p = rgb + (i64(y + j) * width + x + i) * 3;
            u8* out = block + 4 * (4 * j + i);
            out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0;
        }
}

void SearchPlanarExhaustivePerceptual(const u8* image, i32 width, i32 x, i32 y, u32& word1, u32& word2, u32 bound,
                                      u32 redError, u32 greenError, u32 blueError, SPlanarTables& tables)
{
    Search<299, 587, 114, true>(image, width, x, y, word1, word2, bound, redError, greenError, blueError, tables);
}

void SearchPlanarExhaustive(const u8* image, i32 width, i32 x, i32 y, u32& word1, u32& word2, u32 bound,
                            u32 redError, u32 greenError, u32 blueError, SPlanarTables& tables)
{
    Search<1, 1, 1, false>(image, width, x, y, word1, word2, bound, redError, greenError, blueError, tables);
}

} // namespace xqftexture::etc
