// XQFTC and XQFTC-II: hand-built blocks whose colours and modulation give known pixels, for every
// modulation mode, both colour layouts, the block orders and the grids that are padded or not
// powers of two.
#include "CodecTestSupport.h"
#include "XQFTCBlock.h"
#include "XQFTextureCodecs.h"

#include <functional>

namespace {

using namespace codectest;

// Colour words. Opaque A: 5-bit red, green, 4-bit blue; opaque B: 5 bits each. Translucent A:
// 3-bit alpha, 4-bit red, green, 3-bit blue; translucent B: 3-bit alpha, 4 bits each.
u32 OpaqueA(u32 r, u32 g, u32 b4) { return 1u << 15 | r << 10 | g << 5 | b4 << 1; }
u32 OpaqueB(u32 r, u32 g, u32 b) { return 1u << 31 | r << 26 | g << 21 | b << 16; }
u32 TranslucentA(u32 a, u32 r, u32 g, u32 b3) { return a << 12 | r << 8 | g << 4 | b3 << 1; }
u32 TranslucentB(u32 a, u32 r, u32 g, u32 b) { return a << 28 | r << 24 | g << 20 | b << 16; }
// XQFTC-II keeps one opacity flag (bit 31) for both colours and uses bit 15 for hard transitions.
u32 OpaqueII(u32 aR, u32 aG, u32 aB4, u32 bR, u32 bG, u32 bB, bool hard = false)
{
    return (OpaqueA(aR, aG, aB4) & 0x7FFF) | OpaqueB(bR, bG, bB) | u32(hard) << 15;
}
constexpr u32 kModeFlag = 1;

constexpr Rgba8 kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

// A level's blocks, stored in the order the decoder reads them.
struct SLevel {
    u32 width, height;
    bool twoBpp, second;
    u32 nx, ny;
    bool linear;
    std::vector<u8> data;

    SLevel(u32 w, u32 h, bool twoBpp, bool second) : width(w), height(h), twoBpp(twoBpp), second(second)
    {
        const u32 bw = twoBpp ? 8 : 4, minW = second ? bw : 2 * bw, minH = second ? 4 : 8;
        nx = std::max((w + bw - 1) / bw, minW / bw);
        ny = std::max((h + 3) / 4, minH / 4);
        linear = second || !IsPowerOfTwo(nx) || !IsPowerOfTwo(ny);
        // As much data as the level's size rule gives: whole minimum units.
        const u64 unitsX = (w + minW - 1) / minW, unitsY = (h + minH - 1) / minH;
        data.assign(unitsX * minW * unitsY * minH / (twoBpp ? 4 : 2), 0);
    }
    void Set(u32 bx, u32 by, u32 mod, u32 colour)
    {
        const u64 at = 8 * u64(BlockOrderIndex(ny, nx, by, bx, linear));
        ASSERT_LE(at + 8, data.size());
        for (int i = 0; i < 4; ++i)
            data[at + i] = u8(mod >> (8 * i)), data[at + 4 + i] = u8(colour >> (8 * i));
    }
    void Fill(u32 mod, u32 colour)
    {
        for (u32 by = 0; by < ny; ++by)
            for (u32 bx = 0; bx < nx; ++bx)
                Set(bx, by, mod, colour);
    }
    std::vector<Rgba8> Decode() const
    {
        std::vector<Rgba8> out(u64(width) * height);
        EXPECT_EQ(DecompressXQFTCImage(data.data(), data.size(), out.data(), width, height, twoBpp, second),
                  out.size() * 4);
        return out;
    }
};

TEST(Xqftc, BlockOrderIndexIsMortonOverTheSmallerDimension)
{
    struct {
        u32 nx, ny, x, y;
        bool linear;
        u32 index;
    } cases[] = {
        {2, 2, 1, 0, false, 2},  {2, 2, 0, 1, false, 1}, {2, 2, 1, 1, false, 3},
        {4, 4, 2, 1, false, 9},  {2, 8, 1, 5, false, 11}, // tall grid: high bits of y above
        {8, 2, 5, 1, false, 11}, // wide grid: high bits of x above
        {3, 2, 2, 1, true, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlockOrderIndex(c.ny, c.nx, c.y, c.x, c.linear), c.index)
            << c.nx << "x" << c.ny << " block " << c.x << "," << c.y;
}

// The centre of every block shows the block's own colour A when its modulation is 0; each block
// gets a different A, so a block read from the wrong place shows.
TEST(Xqftc, EveryBlockCentreShowsItsOwnBlock)
{
    struct {
        const char* what;
        u32 width, height;
        bool twoBpp, second;
    } grids[] = {
        {"2 bpp 16x8, 2x2 Morton", 16, 8, true, false},
        {"2 bpp 8x8 decodes 16 wide", 8, 8, true, false},
        {"4 bpp 8x32, tall Morton", 8, 32, false, false},
        {"4 bpp 32x8, wide Morton", 32, 8, false, false},
        {"4 bpp 12x8, 3x2 grid stored row by row", 12, 8, false, false},
        {"4 bpp 11x9, padded to 12x12", 11, 9, false, false},
        {"2 bpp 24x8, 3x2 grid", 24, 8, true, false},
        {"II 4 bpp 4x8, one block wide", 4, 8, false, true},
        {"II 2 bpp 8x4, one block", 8, 4, true, true},
        {"II 4 bpp 6x6, padded to 8x8", 6, 6, false, true},
        {"II 2 bpp 24x12, 3x3 grid", 24, 12, true, true},
    };
    for (const auto& g : grids) {
        SLevel level(g.width, g.height, g.twoBpp, g.second);
        for (u32 by = 0; by < level.ny; ++by)
            for (u32 bx = 0; bx < level.nx; ++bx)
                level.Set(bx, by, 0, g.second ? OpaqueII(bx, by, 5, 0, 0, 0) : OpaqueA(bx, by, 5) | OpaqueB(0, 0, 0));
        const std::vector<Rgba8> out = level.Decode();
        const u32 bw = g.twoBpp ? 8 : 4;
        for (u32 by = 0; by < level.ny; ++by)
            for (u32 bx = 0; bx < level.nx; ++bx) {
                const u32 x = bx * bw + bw / 2, y = by * 4 + 2;
                if (x >= g.width || y >= g.height)
                    continue;
                // Blue 5 widens to 10 (5 bits), then to 82.
                const Rgba8 expected{u8(bx << 3 | bx >> 2), u8(by << 3 | by >> 2), 82, 255};
                EXPECT_EQ(out[y * g.width + x], expected) << g.what << ", block " << bx << "," << by;
            }
    }
}

TEST(Xqftc, ColoursBlendBilinearlyBetweenBlockCentresAndWrapAround)
{
    // 4 bpp 2x2 grid: the left blocks are red, the right ones blue; modulation 0 shows colour A.
    SLevel level(8, 8, false, false);
    for (u32 by = 0; by < 2; ++by) {
        level.Set(0, by, 0, OpaqueA(31, 0, 0) | OpaqueB(0, 0, 0));
        level.Set(1, by, 0, OpaqueA(0, 0, 15) | OpaqueB(0, 0, 0));
    }
    const std::vector<Rgba8> out = level.Decode();
    // Column 0 lies half way between the right column's centre (wrapped) and the left one's.
    const Rgba8 row[8] = {{127, 0, 127, 255}, {191, 0, 63, 255}, kRed, {191, 0, 63, 255},
                          {127, 0, 127, 255}, {63, 0, 191, 255}, kBlue, {63, 0, 191, 255}};
    for (u32 y = 0; y < 8; ++y)
        for (u32 x = 0; x < 8; ++x)
            EXPECT_EQ(out[y * 8 + x], row[x]) << x << "," << y;
}

// Uniform grids of one block: every pixel shows the modulation of its place in the block.
struct SModulationCase {
    const char* what;
    bool twoBpp, second;
    u32 mod, colour;
    std::function<Rgba8(u32 x, u32 y)> expected; // by the pixel's place in its block
};

Rgba8 RedToBlue(u32 weight, u8 alpha = 255)
{
    return {u8(255 * (8 - weight) / 8), 0, u8(255 * weight / 8), alpha};
}

TEST(Xqftc, ModulationModesGiveTheirWeights)
{
    const u32 redBlue = OpaqueA(31, 0, 0) | OpaqueB(0, 0, 31);
    const u32 redBlueII = OpaqueII(31, 0, 0, 0, 0, 31);
    // 2 bpp interpolated: stored pixels of even block rows hold 3, of odd rows 0; pixel (0, 0) stores 2
    // (bit 0 clear) for the two-way mode and 3 for the one-way modes; bit 20 picks the direction, and
    // the pixel (4, 2) that shares it reads bit 21 twice.
    auto interpolatedMod = [](int mode) {
        u32 mod = 0, bit = 0;
        for (u32 j = 0; j < 4; ++j)
            for (u32 i = j & 1; i < 8; i += 2, bit += 2)
                mod |= (j % 2 == 0 ? 3u : 0u) << bit;
        if (mode == 1)
            mod &= ~1u;
        if (mode == 2)
            mod &= ~(1u << 20);
        return mod;
    };
    auto interpolated = [](int mode) {
        return [mode](u32 x, u32 y) {
            if ((x + y) % 2 == 0)
                return RedToBlue(y % 2 == 0 ? 8 : 0);
            if (mode == 1)
                return RedToBlue(4);
            const bool alongRow = mode == 2;
            return RedToBlue((y % 2 == 0) == alongRow ? 8 : 0);
        };
    };
    const SModulationCase cases[] = {
        {"4 bpp mode 0: weights 0, 3, 5, 8", false, false, 0xE4E4E4E4, redBlue,
         [](u32 x, u32) { return RedToBlue((u32[]){0, 3, 5, 8}[x]); }},
        {"4 bpp mode 1: weights 0, 4, punch-through, 8", false, false, 0xE4E4E4E4, redBlue | kModeFlag,
         [](u32 x, u32) { return x == 2 ? RedToBlue(4, 0) : RedToBlue((u32[]){0, 4, 4, 8}[x]); }},
        {"II 4 bpp mode 1: punch-through is transparent black", false, true, 0xE4E4E4E4, redBlueII | kModeFlag,
         [](u32 x, u32) { return x == 2 ? Rgba8{0, 0, 0, 0} : RedToBlue((u32[]){0, 4, 4, 8}[x]); }},
        {"2 bpp direct: one bit per pixel", true, false, 0xAAAAAAAA, redBlue,
         [](u32 x, u32) { return RedToBlue(x % 2 ? 8 : 0); }},
        {"2 bpp interpolated both ways", true, false, interpolatedMod(1), redBlue | kModeFlag, interpolated(1)},
        {"2 bpp interpolated along the row", true, false, interpolatedMod(2), redBlue | kModeFlag, interpolated(2)},
        {"2 bpp interpolated down the column", true, false, interpolatedMod(3), redBlue | kModeFlag, interpolated(3)},
        {"II 2 bpp interpolated along the row", true, true, interpolatedMod(2), redBlueII | kModeFlag, interpolated(2)},
    };
    for (const SModulationCase& c : cases) {
        SLevel level(c.twoBpp ? 16 : 8, 8, c.twoBpp, c.second);
        level.Fill(c.mod, c.colour);
        const std::vector<Rgba8> out = level.Decode();
        const u32 bw = c.twoBpp ? 8 : 4;
        for (u32 y = 0; y < level.height; ++y)
            for (u32 x = 0; x < level.width; ++x)
                EXPECT_EQ(out[y * level.width + x], c.expected(x % bw, y % 4)) << c.what << " at " << x << "," << y;
    }
}

TEST(Xqftc, ColourLayoutsWidenToEightBits)
{
    // Modulation 0 shows colour A everywhere, 0xFFFFFFFF (4 bpp, mode 0: weight 8) colour B.
    struct {
        const char* what;
        bool second;
        u32 colour, mod;
        Rgba8 expected;
    } cases[] = {
        {"translucent A", false, TranslucentA(5, 15, 8, 5), 0, {255, 140, 181, 170}},
        {"opaque A, 4-bit blue", false, OpaqueA(1, 2, 9), 0, {8, 16, 156, 255}},
        {"translucent B, alpha 0", false, TranslucentB(0, 15, 8, 1), 0xFFFFFFFF, {255, 140, 16, 0}},
        {"opaque B", false, OpaqueB(31, 16, 1), 0xFFFFFFFF, {255, 132, 8, 255}},
        {"II translucent B has an odd alpha", true, TranslucentB(0, 15, 8, 1), 0xFFFFFFFF, {255, 140, 16, 17}},
        {"II translucent A follows the opacity of bit 31", true, TranslucentA(5, 15, 8, 5), 0, {255, 140, 181, 170}},
    };
    for (const auto& c : cases) {
        SLevel level(8, 8, false, c.second);
        level.Fill(c.mod, c.colour);
        const std::vector<Rgba8> out = level.Decode();
        for (const Rgba8& t : out)
            ASSERT_EQ(t, c.expected) << c.what;
    }
}

TEST(XqftcII, HardTransitionStopsBlendingAtTheBlockEdge)
{
    // Two blocks side by side, red and blue, modulation 0: with the flag each pixel keeps its own
    // block's colour; without it the pixels between the centres blend.
    for (bool twoBpp : {true, false}) {
        for (bool hard : {true, false}) {
            const u32 bw = twoBpp ? 8 : 4;
            SLevel level(2 * bw, 4, twoBpp, true);
            level.Set(0, 0, 0, OpaqueII(31, 0, 0, 31, 0, 0, hard));
            level.Set(1, 0, 0, OpaqueII(0, 0, 15, 0, 0, 31, hard));
            const std::vector<Rgba8> out = level.Decode();
            for (u32 y = 0; y < 4; ++y)
                for (u32 x = 0; x < 2 * bw; ++x) {
                    const Rgba8 own = x < bw ? kRed : kBlue;
                    if (hard) {
                        EXPECT_EQ(out[y * 2 * bw + x], own) << x << "," << y;
                    } else if (x == bw - 1) {
                        EXPECT_NE(out[y * 2 * bw + x], own) << "interpolated blocks blend";
                    }
                }
        }
    }
}

TEST(XqftcII, HardTransitionModeOneUsesTheLocalPalette)
{
    // 4 bpp, 2x2 grid, every block hard and in mode 1. Block (0, 0) is P of the window whose first
    // pixel is image (2, 2): that pixel (value 1) blends P's own colours with weight 3; the next one,
    // image (3, 2) with value 2, takes colour A of Q unblended.
    SLevel level(8, 8, false, true);
    level.Set(0, 0, 1u << 20 | 2u << 22, OpaqueII(31, 0, 0, 0, 31, 0, true) | kModeFlag);
    level.Set(1, 0, 0, OpaqueII(0, 0, 15, 0, 0, 0, true) | kModeFlag);
    level.Set(0, 1, 0, OpaqueII(0, 31, 0, 0, 0, 0, true) | kModeFlag);
    level.Set(1, 1, 0, OpaqueII(31, 31, 0, 0, 0, 0, true) | kModeFlag);
    const std::vector<Rgba8> out = level.Decode();
    EXPECT_EQ(out[2 * 8 + 2], (Rgba8{159, 95, 0, 255}));
    EXPECT_EQ(out[2 * 8 + 3], kBlue);
}

TEST(Xqftc, SmallLevelsDecodeThroughTheMinimumGrid)
{
    // 1x1 at 4 bpp decodes as 8x8 and keeps the top-left pixel; with one colour everywhere that pixel
    // is the colour whatever the wrap-around mixes.
    for (bool twoBpp : {false, true})
        for (bool second : {false, true}) {
            SLevel level(1, 1, twoBpp, second);
            level.Fill(0, second ? OpaqueII(31, 0, 0, 0, 0, 0) : OpaqueA(31, 0, 0) | OpaqueB(0, 0, 0));
            const std::vector<Rgba8> out = level.Decode();
            EXPECT_EQ(out[0], kRed) << "2 bpp " << twoBpp << ", II " << second;
        }
}

} // namespace
