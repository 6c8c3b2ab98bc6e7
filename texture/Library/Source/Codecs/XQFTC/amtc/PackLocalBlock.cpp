// Packing of one block.
#include "PackLocalBlock.h"

#include "AmtcSupport.h"
#include "BlendEntries.h"
#include "BlockWords.h"
#include "PixelPalette.h"

namespace xqftexture::amtc {
namespace {

void PutWord(u8* out, u32 word)
{
    for (int i = 0; i < 4; ++i)
        out[i] = u8(word >> (8 * i));
}

} // namespace

i64 PackLocalBlock(const CAmtcLevel& level, u32 by, u32 bx, SBlendEntry* entries, SRgba* window, u8* out)
{
    const AmtcParams& p = level.Params();
    if (p.mode != 2 && p.mode != 4) {
        LogFprintf(stderr, "Exiting! 1BPP mode not yet implemented (PackLocalBlock)\n");
        return -1;
    }
    level.CopyWindow(by, bx, window);
    AmtcBlockRecord* nb[9];
    level.Neighbourhood(by, bx, nb);
    SCutPair nine[9];
    for (int k = 0; k < 9; ++k) {
        const AmtcColourPair& pair = SelectedPair(*nb[k]);
        nine[k] = CutPair(pair.a, pair.b);
    }
    const AmtcBlockRecord& block = *nb[4];
    const u32 id = block.selected;
    CreateBlendingAndUpdateWeights(id, nb, 0, p, entries);

    const int bw = p.blockWidth, bh = p.blockHeight, width = p.windowWidth, height = p.windowHeight;
    const int top = bh / 2, left = bw / 2;
    // Channel counts 1 and 2 keep a 16-bit field of extra per-pixel bits in the colour word.
    const bool extraField = p.channels < 3;
    i64 error = 0;
    u8 values[32];
    u32 mod = 0, extra = 0;
    if (p.mode == 4) {
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int i = (top + y) * width + left + x;
                SRgba palette[8];
                const bool second = PixelPalette(entries[i], nine, palette);
                u32 distance;
                u32 v = ChooseModulation(window[i], palette, false, second, distance);
                if (entries[i].localPalette && entries[i].secondKind == 0)
                    v = LocalPaletteStoredValue(4 * y + x, v);
                values[4 * y + x] = u8(v);
                extra |= (v >> 2 & 1) << (4 * y + x); // a second palette's values 4 to 7
                error += distance;
            }
        mod = ModulationWord4(values);
    } else if ((id & 3) == 0) {
        // Direct: colour B when it is not farther than A. With an extra field, every value is
        // chosen and the 2 x 2 groups are coded by their best level pair: 48 bits from the top of
        // the modulation word on, the last 16 in the extra field.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                const int i = (top + y) * width + left + x;
                SRgba palette[8];
                PixelPalette(entries[i], nine, palette);
                u32 distance;
                values[8 * y + x] = u8(ChooseModulation(window[i], palette, !extraField, false, distance));
                error += distance;
            }
        if (extraField) {
            u64 stream = 0;
            for (int gy = 0; gy < 2; ++gy)
                for (int gx = 0; gx < 4; ++gx) {
                    const u8 group[4] = {values[16 * gy + 2 * gx], values[16 * gy + 2 * gx + 1],
                                         values[16 * gy + 8 + 2 * gx], values[16 * gy + 8 + 2 * gx + 1]};
                    stream = stream << 6 | PartitionModVals(group);
                }
            mod = u32(stream >> 16);
            extra = u32(stream & 0xFFFF);
        } else {
            mod = ModulationWord2Direct(values);
        }
    } else {
        // Interpolated: every stored pixel of the window chooses its value (the pixels between the
        // block's and its neighbours' stored pixels need their weights); the block's own pixels in
        // between take the mean of their neighbours' weights.
        static constexpr u8 kWeights[4] = {0, 3, 5, 8};
        u8 weight[kMaxWindowPixels] = {};
        for (int r = 0; r < height; ++r)
            for (int c = r & 1; c < width; c += 2) {
                const int i = r * width + c;
                SRgba palette[8];
                PixelPalette(entries[i], nine, palette);
                u32 distance;
                const u32 v = ChooseModulation(window[i], palette, entries[i].role == 1, false, distance);
                weight[i] = kWeights[v];
                const int x = c - left, y = r - top;
                if (x >= 0 && x < bw && y >= 0 && y < bh) {
                    values[8 * y + x] = u8(v);
                    error += distance;
                }
            }
        const u32 interpolation = id & 3;
        for (int y = 0; y < 4; ++y)
            for (int x = (y + 1) & 1; x < 8; x += 2) {
                const int r = top + y, c = left + x, i = r * width + c;
                const int l = weight[i - 1], rt = weight[i + 1], u = weight[i - width], d = weight[i + width];
                const int w = interpolation == 1 ? (l + rt + u + d + 2) >> 2
                              : interpolation == 2 ? (l + rt + 1) >> 1
                                                   : (u + d + 1) >> 1;
                SRgba a, b;
                UpscaleAt(entries[i], nine, a, b);
                error += ColourDistanceSq(window[i], BlendColours(a, b, u32(8 - w), u32(w)));
                values[8 * y + x] = 0;
            }
        mod = ModulationWord2Interpolated(id, values);
    }
    const AmtcColourPair& pair = SelectedPair(block);
    PutWord(out, mod);
    const u32 colour = ColourWord(p, pair.a, pair.b, id);
    PutWord(out + 4, extraField ? PlaceExtraBits(colour, extra) : colour);
    return error;
}

} // namespace xqftexture::amtc
