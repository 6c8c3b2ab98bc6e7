// Block set-up: colour boxes, segmentation and smoothness, start pairs and the first selected
// candidate, on windows made to show each case, and on grids whose windows wrap onto themselves.
#include "AmtcTestSupport.h"
#include "AmtcSupport.h"
#include "BlockSetUp.h"
#include "Quantise.h"

#include <gtest/gtest.h>

namespace {

using namespace amtctest;

AmtcParams Params(u32 mode, bool second)
{
    AmtcParams p;
    p.mode = u8(mode);
    p.blockWidth = mode == 2 ? 8 : 4, p.blockHeight = 4;
    p.windowWidth = u8(2 * p.blockWidth + 1), p.windowHeight = 9;
    p.isXQFTCII = second;
    return p;
}

TEST(AmtcSetUp, OneColourWindowGivesPointBoxesAndSplitPairs)
{
    for (const u32 mode : {2u, 4u})
        for (const bool second : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + (second ? " XQFTC-II" : ""));
            SImage image(32, 16);
            image.Fill([](u32, u32) { return SRgba{{90, 160, 30, 255}}; });
            CAmtcLevel level;
            ASSERT_TRUE(SetUpLevel(level, image, mode, second));
            const AmtcBlockRecord& block = level.Block(1, 1);
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(block.boxes[k].point, 1u) << "box " << k + 1;
                EXPECT_EQ(block.boxes[k].mean, (SRgba{{90, 160, 30, 255}})) << "box " << k + 1;
            }
            EXPECT_EQ(block.smooth, 1u);
            u8 ids[8];
            const int n = CandidateList(level.Params(), true, ids);
            for (int k = 0; k < n; ++k) {
                const AmtcCandidate& slot = block.slots[k];
                EXPECT_EQ(slot.id, ids[k]);
                if (ids[k] == 3)
                    continue; // the local palette starts from its own clustering
                EXPECT_EQ(slot.count, 2) << "id " << int(ids[k]);
                EXPECT_EQ(slot.flag, 1u) << "id " << int(ids[k]);
                EXPECT_EQ(slot.pairs[0].error, kUnevaluated);
            }
            EXPECT_EQ(block.selected, mode == 2 ? 9u : 0u);
        }
}

TEST(AmtcSetUp, SegmentationFindsRegionsAndSmoothness)
{
    const AmtcParams p = Params(4, false);
    SRgba window[81];
    // Every pixel differs from all eight neighbours, and no three in a row or column form a ramp:
    // a checkerboard of four colours.
    static constexpr u8 kLevels[4] = {0, 200, 50, 150};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const u8 v = kLevels[(c + 2 * r) % 4];
            window[r * 9 + c] = {{v, v, v, 255}};
        }
    u8 labels[81], order[81];
    EXPECT_EQ(SegmentWindow(window, p, labels, order), 81);

    for (SRgba& px : window)
        px = {{10, 20, 30, 40}};
    EXPECT_EQ(SegmentWindow(window, p, labels, order), 1);
    for (int i = 0; i < 81; ++i)
        ASSERT_EQ(labels[i], 0);

    // A steep ramp: every pixel is far from its neighbours, but the ramp is flat across and down,
    // which joins it into one region.
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            window[r * 9 + c] = {{u8(25 * c), u8(20 * r), 0, 255}};
    EXPECT_EQ(SegmentWindow(window, p, labels, order), 1);

    // The same images through the set-up: the checkerboard is not smooth, the uniform image is.
    SImage checker(16, 16), uniform(16, 16);
    checker.Fill([](u32 x, u32 y) {
        const u8 v = kLevels[(x + 2 * y) % 4];
        return SRgba{{v, v, v, 255}};
    });
    uniform.Fill([](u32, u32) { return SRgba{{1, 2, 3, 4}}; });
    CAmtcLevel a, b;
    ASSERT_TRUE(SetUpLevel(a, checker, 4, false));
    ASSERT_TRUE(SetUpLevel(b, uniform, 4, false));
    EXPECT_EQ(a.Block(2, 1).smooth, 0u);
    EXPECT_EQ(b.Block(2, 1).smooth, 1u);
}

TEST(AmtcSetUp, TransparentOwnPixelSelectsPunchThroughWithXQFTCII)
{
    struct {
        bool second;
        u8 alpha;       // of one pixel of block (1, 1)
        bool black;     // that pixel is (0, 0, 0, alpha)
        u32 transparent, selected;
    } cases[] = {
        {true, 0, true, 1, 1},   // XQFTC-II: a transparent-black pixel
        {true, 0, false, 0, 0},  // alpha 0 with colour is not transparent for XQFTC-II
        {false, 0, false, 1, 0}, // XQFTC: alpha 0 counts, but the first candidate stays selected
        {true, 1, true, 0, 0},
    };
    for (auto& c : cases) {
        SImage image(16, 16);
        image.Fill([](u32 x, u32 y) { return SRgba{{u8(16 * x), u8(16 * y), 100, 255}}; });
        image.At(5, 6) = c.black ? SRgba{{0, 0, 0, c.alpha}} : SRgba{{40, 50, 60, c.alpha}};
        CAmtcLevel level;
        ASSERT_TRUE(SetUpLevel(level, image, 4, c.second));
        EXPECT_EQ(level.Block(1, 1).transparent, c.transparent) << c.second << int(c.alpha) << c.black;
        EXPECT_EQ(level.Block(1, 1).selected, c.selected) << c.second << int(c.alpha) << c.black;
        EXPECT_EQ(level.Block(0, 0).selected, 0u);
    }
}

// Start pairs of a two-colour window lie on the two colours, and every start pair is one the
// colour word holds (quantising it again changes nothing).
TEST(AmtcSetUp, StartPairsOfTwoColoursAreTheColoursAndRepresentable)
{
    for (const u32 mode : {2u, 4u})
        for (const bool second : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + (second ? " XQFTC-II" : ""));
            SImage image(32, 16);
            image.Fill([](u32 x, u32) { return x % 8 < 4 ? SRgba{{255, 0, 0, 255}} : SRgba{{0, 0, 255, 255}}; });
            CAmtcLevel level;
            ASSERT_TRUE(SetUpLevel(level, image, mode, second));
            const AmtcBlockRecord& block = level.Block(1, 1);
            const AmtcCandidate& first = block.slots[0];
            ASSERT_EQ(first.count, 4);
            EXPECT_EQ(first.flag, 0u);
            const SRgba red{{255, 0, 0, 255}}, blue{{0, 0, 255, 255}};
            const AmtcColourPair& fit = first.pairs[0];
            EXPECT_TRUE((fit.a == red && fit.b == blue) || (fit.a == blue && fit.b == red));
            for (const AmtcCandidate& slot : block.slots)
                for (int k = 0; k < slot.count; ++k) {
                    SRgba a, b;
                    QuantisePairNearest(second, slot.pairs[k].a, slot.pairs[k].b, a, b);
                    EXPECT_EQ(a, slot.pairs[k].a) << "id " << int(slot.id) << " pair " << k;
                    EXPECT_EQ(b, slot.pairs[k].b) << "id " << int(slot.id) << " pair " << k;
                }
        }
}

// Degenerate windows (all transparent, alpha 0 with colour, the extremes, alpha steps) leave no box
// without finite, ordered bounds on every axis.
TEST(AmtcSetUp, DegenerateWindowsGiveFiniteBoxes)
{
    const std::vector<std::pair<const char*, SRgba (*)(u32, u32)>> images = {
        {"all transparent", [](u32, u32) { return SRgba{{0, 0, 0, 0}}; }},
        {"alpha 0 with colour", [](u32 x, u32 y) { return SRgba{{u8(x * 9), u8(y * 13), 255, 0}}; }},
        {"black and white", [](u32 x, u32 y) { return (x + y) % 2 ? SRgba{{255, 255, 255, 255}} : SRgba{{0, 0, 0, 255}}; }},
        {"alpha steps", [](u32 x, u32) { return SRgba{{200, 100, 0, u8(x < 3 ? 0 : x < 6 ? 127 : 255)}}; }},
    };
    for (const auto& [name, colour] : images)
        for (const u32 mode : {2u, 4u})
            for (const bool second : {false, true}) {
                SCOPED_TRACE(std::string(name) + " mode " + std::to_string(mode) + (second ? " II" : ""));
                SImage image(16, 8);
                image.Fill(colour);
                CAmtcLevel level;
                ASSERT_TRUE(SetUpLevel(level, image, mode, second));
                for (u32 by = 0; by < level.Params().blocksY; ++by)
                    for (u32 bx = 0; bx < level.Params().blocksX; ++bx)
                        for (const SBoxRecord& box : level.Block(by, bx).boxes)
                            for (int i = 0; i < 4; ++i) {
                                ASSERT_TRUE(std::isfinite(box.box.minimum[i]) && std::isfinite(box.box.maximum[i]));
                                ASSERT_LE(box.box.minimum[i], box.box.maximum[i]);
                            }
            }
}

// A grid one block wide or high (and 1 x 1) wraps every window onto the block itself.
TEST(AmtcSetUp, WindowsOfOneBlockGridsWrapOntoTheBlock)
{
    for (const auto& [w, h] : {std::pair<u32, u32>{4, 4}, {4, 12}, {12, 4}}) {
        SImage image(w, h);
        image.Fill([](u32 x, u32 y) { return SRgba{{u8(x * 20), u8(y * 20), 7, 255}}; });
        CAmtcLevel level;
        ASSERT_TRUE(SetUpLevel(level, image, 4, false));
        SRgba window[81];
        level.CopyWindow(0, 0, window);
        for (int r = 0; r < 9; ++r)
            for (int c = 0; c < 9; ++c)
                ASSERT_EQ(window[r * 9 + c], image.At(u32(c + 2 + 4 * w - 4) % w, u32(r + 2 + 4 * h - 4) % h));
        AmtcBlockRecord* nb[9];
        level.Neighbourhood(0, 0, nb);
        if (w == 4 && h == 4) {
            for (AmtcBlockRecord* b : nb)
                EXPECT_EQ(b, &level.Block(0, 0));
        }
    }
}

} // namespace
