// The T-mode search tables: one row per call, in the metric of the builder.
#include "EtcTTables.h"

#include "EtcRowKernels.h"
#include "EtcTables.h"

#include <algorithm>

namespace xqftexture::etc {

namespace {

struct SPerceptualWeights {
    static constexpr u32 kR = 299, kG = 587, kB = 114;
};
struct SPlainWeights {
    static constexpr u32 kR = 1, kG = 1, kB = 1;
};

// Channels: 1 red, 2 red and green, 3 all. The row colour's 8-bit channels from the colour value.
template <u32 Channels>
void RowColour(u32 colour, i32 q[3])
{
    q[0] = i32((colour >> 8) & 15) * 17;
    q[1] = Channels >= 2 ? i32((colour >> 4) & 15) * 17 : 0;
    q[2] = Channels >= 3 ? i32(colour & 15) * 17 : 0;
}

template <u32 Channels>
constexpr u32 RowOf(u32 colour)
{
    return Channels == 1 ? colour >> 8 : Channels == 2 ? colour >> 4 : colour;
}

// Weighted squared difference of a pixel record and a colour over the level's channels; the squares
// come from the square table, which covers every difference of two bytes.
template <class W, u32 Channels>
u32 Weighted(const u8* pixel, const i32 q[3])
{
    u32 e = W::kR * kSquareTable[pixel[0] - q[0] + 255];
    if constexpr (Channels >= 2)
        e += W::kG * kSquareTable[pixel[1] - q[1] + 255];
    if constexpr (Channels >= 3)
        e += W::kB * kSquareTable[pixel[2] - q[2] + 255];
    return e;
}

template <class W, u32 Channels>
void BuildSplit(const u8 block[64], u32 colour, u32* table)
{
    i32 q[3];
    RowColour<Channels>(colour, q);
    const kernels::SBlockPixels px(block);
    kernels::PaintMinimaRow<W::kR, W::kG, W::kB, Channels, true>(px, q, table + RowOf<Channels>(colour) * kSplitEntries);
}

template <class W, u32 Channels>
void BuildLone(const u8 block[64], u32 colour, u32* table)
{
    i32 q[3];
    RowColour<Channels>(colour, q);
    u32* row = table + RowOf<Channels>(colour) * kLoneEntries;
    for (u32 p = 0; p < 16; ++p)
        row[p] = Weighted<W, Channels>(block + 4 * p, q);
}

} // namespace

void GatherBlockArray(const u8* rgb, i32 width, i32 x, i32 y, u8 block[64])
{
    for (i32 i = 0; i < 4; ++i)
        for (i32 j = 0; j < 4; ++j) {
            const u8* p = rgb + (i64(y + j) * width + x + i) * 3;
            u8* record = block + 4 * (4 * i + j);
            record[0] = p[0], record[1] = p[1], record[2] = p[2], record[3] = 0;
        }
}

void BuildTColourSplitTablePerceptual(const u8 block[64], u32 colour, u32* table)
{
    BuildSplit<SPerceptualWeights, 3>(block, colour, table);
}
void BuildTColourSplitTable(const u8 block[64], u32 colour, u32* table) { BuildSplit<SPlainWeights, 3>(block, colour, table); }
void BuildTColourLoneTablePerceptual(const u8 block[64], u32 colour, u32* table)
{
    BuildLone<SPerceptualWeights, 3>(block, colour, table);
}
void BuildTColourLoneTable(const u8 block[64], u32 colour, u32* table) { BuildLone<SPlainWeights, 3>(block, colour, table); }
void BuildTRedGreenSplitTablePerceptual(const u8 block[64], u32 colour, u32* table)
{
    BuildSplit<SPerceptualWeights, 2>(block, colour, table);
}
void BuildTRedGreenSplitTable(const u8 block[64], u32 colour, u32* table)
{
    BuildSplit<SPlainWeights, 2>(block, colour, table);
}
void BuildTRedGreenLoneTablePerceptual(const u8 block[64], u32 colour, u32* table)
{
    BuildLone<SPerceptualWeights, 2>(block, colour, table);
}
void BuildTRedGreenLoneTable(const u8 block[64], u32 colour, u32* table) { BuildLone<SPlainWeights, 2>(block, colour, table); }
void BuildTRedSplitTablePerceptual(const u8 block[64], u32 colour, u32* table)
{
    BuildSplit<SPerceptualWeights, 1>(block, colour, table);
}
void BuildTRedSplitTable(const u8 block[64], u32 colour, u32* table) { BuildSplit<SPlainWeights, 1>(block, colour, table); }

} // namespace xqftexture::etc
