// The compressor's model of the decoder: blend entries, pixel palettes and the block words they
// lead to, checked against the library's XQFTC and XQFTC-II decoders; the restart toggles.
#include "AmtcTestSupport.h"
#include "BlendEntries.h"
#include "PixelPalette.h"

#include <gtest/gtest.h>

namespace {

using namespace amtctest;

std::string Describe(bool twoBpp, bool second, u32 id) { return (second ? "XQFTC-II " : "XQFTC ") + std::string(twoBpp ? "2bpp" : "4bpp") + " id " + std::to_string(id); }

// Every window pixel's palette entry for value v is what the decoder shows there when the pixel's
// block stores v (through the local-palette translation where the pixel uses one). The 3 x 3
// neighbourhood sits at blocks (0..2, 0..2) of a 4 x 4 grid with random endpoints and ids.
TEST(AmtcPalette, EveryCandidatesPaletteIsWhatTheDecoderShows)
{
    std::mt19937 rng(7);
    for (const bool twoBpp : {false, true})
        for (const bool second : {false, true}) {
            const std::vector<u32> ids = CandidateIds(twoBpp, second);
            AmtcParams params;
            params.mode = twoBpp ? 2 : 4;
            params.blockWidth = twoBpp ? 8 : 4, params.blockHeight = 4;
            params.windowWidth = u8(2 * params.blockWidth + 1), params.windowHeight = 9;
            params.isXQFTCII = second;
            const int bw = params.blockWidth, width = params.windowWidth;
            for (const u32 centre : ids)
                for (int trial = 0; trial < 12; ++trial) {
                    SCOPED_TRACE(Describe(twoBpp, second, centre) + " trial " + std::to_string(trial));
                    u32 blockId[4][4];
                    SWordPair words[4][4];
                    for (int by = 0; by < 4; ++by)
                        for (int bx = 0; bx < 4; ++bx) {
                            blockId[by][bx] = by == 1 && bx == 1 ? centre : ids[rng() % ids.size()];
                            words[by][bx] = RandomWordPair(rng, blockId[by][bx], second);
                            // The colour word is what the packer writes for these endpoints.
                            ASSERT_EQ(ColourWord(params, words[by][bx].a, words[by][bx].b, blockId[by][bx]),
                                      words[by][bx].word);
                        }
                    u32 nineIds[9];
                    SCutPair nine[9];
                    for (int k = 0; k < 9; ++k) {
                        nineIds[k] = blockId[k / 3][k % 3];
                        nine[k] = CutPair(words[k / 3][k % 3].a, words[k / 3][k % 3].b);
                    }
                    std::vector<SBlendEntry> entries(width * 9);
                    ASSERT_TRUE(CreateBlendEntries(nineIds, params, entries.data()));

                    for (u32 v = 0; v < 4; ++v) {
                        // Every pixel stores v; the window's local-palette pixels store its translation.
                        std::vector<u8> values(16 * 32, u8(v));
                        auto valueAt = [&](int x, int y) -> u8& {
                            return values[(y / 4 * 4 + x / bw) * 32 + (y % 4) * bw + x % bw];
                        };
                        for (int r = 0; r < 9; ++r)
                            for (int c = 0; c < width; ++c)
                                if (entries[r * width + c].localPalette) {
                                    const int x = bw / 2 + c, y = 2 + r;
                                    valueAt(x, y) = LocalPaletteStoredValue((y % 4) * 4 + x % 4, v);
                                }
                        SGrid grid(4, 4, twoBpp, second);
                        for (int by = 0; by < 4; ++by)
                            for (int bx = 0; bx < 4; ++bx) {
                                const u8* mine = &values[(by * 4 + bx) * 32];
                                const u32 id = blockId[by][bx];
                                const u32 mod = !twoBpp ? ModulationWord4(mine)
                                                : (id & 3) == 0 ? ModulationWord2Direct(mine)
                                                                : ModulationWord2Interpolated(id, mine);
                                grid.Set(bx, by, mod, words[by][bx].word);
                            }
                        const std::vector<Rgba8> decoded = grid.Decode();
                        for (int r = 0; r < 9; ++r)
                            for (int c = 0; c < width; ++c) {
                                const SBlendEntry& e = entries[r * width + c];
                                if (twoBpp && (e.role > 1 || (e.role == 1 && v != 0 && v != 3)))
                                    continue; // interpolated pixels and values a one-bit pixel cannot hold
                                SRgba palette[8];
                                PixelPalette(e, nine, palette);
                                const SRgba shown = ToRgba(decoded[(2 + r) * grid.Width() + bw / 2 + c]);
                                ASSERT_EQ(palette[v], shown) << "window pixel (" << c << ", " << r << ") value " << v;
                            }
                    }
                }
        }
}

TEST(AmtcPalette, RestartSevenTogglesTheThreeUpperLeftNeighbours)
{
    AmtcParams four, two;
    two.mode = 2;
    struct {
        const AmtcParams& params;
        u32 restart;
        u32 before[9], after[9];
    } cases[] = {
        {four, 7, {0, 1, 2, 3, 0, 1, 0, 1, 0}, {2, 3, 2, 1, 0, 1, 0, 1, 0}},
        {four, 2, {0, 1, 0, 1, 0, 1, 0, 1, 0}, {0, 3, 0, 1, 0, 1, 0, 1, 0}},
        {two, 7, {8, 9, 8, 13, 8, 8, 8, 8, 8}, {12, 13, 8, 9, 8, 8, 8, 8, 8}},
        {two, 0, {8, 9, 8, 13, 8, 8, 8, 8, 8}, {8, 9, 8, 13, 8, 8, 8, 8, 8}},
    };
    for (auto& c : cases) {
        ApplyRestartToggles(c.restart, c.params, c.before);
        EXPECT_TRUE(std::equal(c.before, c.before + 9, c.after)) << "restart " << c.restart;
    }
}

} // namespace
