// ETC/EAC blocks: the mode rules whose corners random blocks rarely hit, and the image entry's sizes.
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "ETC/EtcPlanes.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

using namespace xqftexture;

namespace {

using Block = std::array<u8, 8>;

Block FromWords(u32 high, u32 low)
{
    return {u8(high >> 24), u8(high >> 16), u8(high >> 8), u8(high), u8(low >> 24), u8(low >> 16), u8(low >> 8), u8(low)};
}

// Low word giving every pixel the same 2-bit index value.
u32 AllIndices(u32 index) { return (index & 2 ? 0xFFFF0000u : 0) | (index & 1 ? 0x0000FFFFu : 0); }

std::vector<u8> DecodeRgba(const Block& b, u32 id)
{
    std::vector<u8> out(64);
    EXPECT_EQ(DecodeETCImage(b.data(), b.size(), out.data(), 4, 4, id, 0, 0), 64u);
    return out;
}

std::array<u8, 4> Pixel(const std::vector<u8>& rgba, u32 i) { return {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]}; }

// A T-mode block: 4-bit colours, distance index, with the unused bits set so that red overflows.
u32 PackT(u32 r1, u32 g1, u32 b1, u32 r2, u32 g2, u32 b2, u32 dist)
{
    const u32 a = r1 >> 2, b = r1 & 3;
    u32 high = a << 27 | b << 24 | g1 << 20 | b1 << 16 | r2 << 12 | g2 << 8 | b2 << 4 | (dist >> 1) << 2 | 2 | (dist & 1);
    high |= a + b >= 4 ? 7u << 29 : 1u << 26;
    return high;
}

// An H-mode block: the unused bits set so that green overflows and red does not.
u32 PackH(u32 r1, u32 g1, u32 b1, u32 r2, u32 g2, u32 b2, u32 da, u32 db)
{
    u32 high = r1 << 27 | (g1 >> 1) << 24 | (g1 & 1) << 20 | (b1 >> 3) << 19 | (b1 & 7) << 15 | r2 << 11 | g2 << 7 |
               b2 << 3 | da << 2 | 2 | db;
    if (!((high >> 30) & 1))
        high |= 1u << 31; // bit 63 = NOT bit 62
    const u32 a = (high >> 19) & 3, b = (high >> 16) & 3;
    high |= a + b >= 4 ? 7u << 21 : 1u << 18;
    return high;
}

TEST(EtcBlocks, ColourModes)
{
    // Individual mode, flip 0: left columns colour 1 (0x1 -> 17), right columns colour 2 (0xE -> 238); table 0.
    const u32 individual = 0x1E1E1E00u;
    auto out = DecodeRgba(FromWords(individual, AllIndices(0)), ETC2_RGB); // +small = +2
    EXPECT_EQ(Pixel(out, 0), (std::array<u8, 4>{19, 19, 19, 255}));
    EXPECT_EQ(Pixel(out, 3), (std::array<u8, 4>{240, 240, 240, 255}));
    out = DecodeRgba(FromWords(individual | 1, AllIndices(3)), ETC2_RGB); // flipped; -large = -8
    EXPECT_EQ(Pixel(out, 3), (std::array<u8, 4>{9, 9, 9, 255}));       // top rows colour 1
    EXPECT_EQ(Pixel(out, 12), (std::array<u8, 4>{230, 230, 230, 255})); // bottom rows colour 2

    // Differential: 5-bit 16 (-> 132) with delta +3 (19 -> 156), table 7 (+/-47, +/-183), clamped.
    const u32 diff = (16u << 27 | 3u << 24) | (16u << 19 | 3u << 16) | (16u << 11 | 3u << 8) | 7u << 5 | 7u << 2 | 2;
    out = DecodeRgba(FromWords(diff, AllIndices(1)), ETC2_RGB);
    EXPECT_EQ(Pixel(out, 0), (std::array<u8, 4>{255, 255, 255, 255}));
    out = DecodeRgba(FromWords(diff, AllIndices(2)), ETC2_RGB);
    EXPECT_EQ(Pixel(out, 0), (std::array<u8, 4>{85, 85, 85, 255}));
    EXPECT_EQ(Pixel(out, 3), (std::array<u8, 4>{109, 109, 109, 255}));
}

TEST(EtcBlocks, TModeWhenRedOverflows)
{
    // Paint 0 is colour 1; 1 is colour 2 + d; 3 is colour 2 - d (clamped); distance index 5 -> 32.
    for (u32 r1 : {0u, 15u, 5u}) { // red sums below 0 and above 31 both mean T
        const u32 high = PackT(r1, 2, 3, 15, 1, 8, 5);
        EXPECT_EQ(Pixel(DecodeRgba(FromWords(high, AllIndices(0)), ETC2_RGB), 5),
                  (std::array<u8, 4>{u8(17 * r1), 34, 51, 255}))
            << r1;
        EXPECT_EQ(Pixel(DecodeRgba(FromWords(high, AllIndices(1)), ETC2_RGB), 5), (std::array<u8, 4>{255, 49, 168, 255}));
        EXPECT_EQ(Pixel(DecodeRgba(FromWords(high, AllIndices(3)), ETC2_RGB), 5), (std::array<u8, 4>{223, 0, 104, 255}));
    }
}

TEST(EtcBlocks, HModeDistanceBitFollowsColourOrder)
{
    // da = 1, db = 0: distance index 4 + order bit -> 23 (colour 1 < colour 2) or 32 (colour 1 >= colour 2).
    const auto first = [](u32 high) { return Pixel(DecodeRgba(FromWords(high, AllIndices(0)), ETC2_RGB), 0); };
    EXPECT_EQ(first(PackH(2, 4, 6, 3, 4, 6, 1, 0)), (std::array<u8, 4>{34 + 23, 68 + 23, 102 + 23, 255}));
    EXPECT_EQ(first(PackH(3, 4, 6, 2, 4, 6, 1, 0)), (std::array<u8, 4>{51 + 32, 68 + 32, 102 + 32, 255}));
    EXPECT_EQ(first(PackH(3, 4, 6, 3, 4, 6, 1, 0)), (std::array<u8, 4>{51 + 32, 68 + 32, 102 + 32, 255})); // equal
}

TEST(EtcBlocks, PlanarMode)
{
    // All of O, H, V zero except RH = 63: red grows with x only, (x * 255 + 2) >> 2.
    u32 high = 0x02u | 31u << 2 | 1u; // RH = 63 (bits 6..2 and 0), diff bit set
    high |= 1u << 31;                 // bit 63 = NOT bit 62: no red overflow
    high |= 1u << 23;                 // bit 55 = NOT bit 54: no green overflow
    high |= 1u << 10;                 // a + b < 4: bits 47..45 = 0, bit 42 = 1: blue overflows
    const auto out = DecodeRgba(FromWords(high, 0), ETC2_RGB);
    for (u32 x = 0; x < 4; ++x)
        EXPECT_EQ(out[4 * x], u8((x * 255 + 2) >> 2)) << x;
}

TEST(EtcBlocks, PunchThroughAlpha)
{
    const u32 diff = (16u << 27) | (16u << 19) | (16u << 11) | 7u << 5 | 7u << 2; // opaque flag 0
    auto out = DecodeRgba(FromWords(diff, AllIndices(2)), ETC2_RGB_A1);
    EXPECT_EQ(Pixel(out, 7), (std::array<u8, 4>{0, 0, 0, 0}));
    out = DecodeRgba(FromWords(diff, AllIndices(0)), ETC2_RGB_A1); // the small modifier is dropped
    EXPECT_EQ(Pixel(out, 7), (std::array<u8, 4>{132, 132, 132, 255}));
    out = DecodeRgba(FromWords(diff | 2, AllIndices(2)), ETC2_RGB_A1); // opaque: plain differential
    EXPECT_EQ(Pixel(out, 7), (std::array<u8, 4>{85, 85, 85, 255}));
    out = DecodeRgba(FromWords(PackT(1, 2, 3, 4, 5, 6, 0) & ~2u, AllIndices(2)), ETC2_RGB_A1);
    EXPECT_EQ(Pixel(out, 7), (std::array<u8, 4>{0, 0, 0, 0}));
}

TEST(EtcBlocks, EacValues)
{
    struct SCase {
        const char* what;
        Block block;
        u32 id;
        bool isSigned;
        i32 first; // decoded value of pixel (0, 0)
    };
    const SCase cases[] = {
        {"R11 base 255, multiplier 15, largest modifier saturates", {255, 0xF0, 0xE0, 0, 0, 0, 0, 0}, EAC_R11, false, 65535},
        {"R11 base 0, most negative modifier clamps at 0", {0, 0xF0, 0x60, 0, 0, 0, 0, 0}, EAC_R11, false, 0},
        {"R11 multiplier 0 uses the bare modifier", {128, 0x00, 0x80, 0, 0, 0, 0, 0}, EAC_R11, false,
         ((128 * 8 + 4 + 2) << 5) + ((128 * 8 + 4 + 2) >> 6)},
        {"signed R11 base -128 acts as -127", {0x80, 0x00, 0x00, 0, 0, 0, 0, 0}, EAC_R11, true,
         -(((127 * 8 + 3) << 5) + ((127 * 8 + 3) >> 5))},
        {"signed R11 saturates at +1023", {0x7F, 0xF0, 0xE0, 0, 0, 0, 0, 0}, EAC_R11, true, 32767},
        {"alpha with multiplier 0 is the base", {77, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ETC2_RGBA, false, 77},
    };
    for (const SCase& c : cases) {
        std::vector<u8> src(c.block.begin(), c.block.end());
        if (c.id == ETC2_RGBA)
            src.resize(16, 0);
        std::vector<u8> out(64);
        ASSERT_NE(DecodeETCImage(src.data(), src.size(), out.data(), 4, 4, c.id, c.isSigned, 0), 0u) << c.what;
        i32 value;
        if (c.id == ETC2_RGBA)
            value = out[3];
        else
            value = c.isSigned ? i32(i16(u16(out[0] | out[1] << 8))) : i32(u16(out[0] | out[1] << 8));
        EXPECT_EQ(value, c.first) << c.what;
    }
}

TEST(EtcImage, SizesQueriesAndRefusals)
{
    std::vector<u8> src(16, 0x55);
    std::vector<u8> out(64, 0xEE);
    // 5x3 ETC1: two blocks read (padded 8x4), 45 bytes written.
    EXPECT_EQ(DecodeETCImage(src.data(), 16, out.data(), 5, 3, ETC1, 0, 0), 45u);
    EXPECT_EQ(out[45], 0xEE);
    EXPECT_EQ(DecodeETCImage(src.data(), 15, out.data(), 5, 3, ETC1, 0, 0), 0u); // one byte short
    EXPECT_EQ(DecodeETCImage(nullptr, 0, nullptr, 7, 5, EAC_RG11, 1, 0), 7u * 5 * 4); // size query
    EXPECT_EQ(DecodeETCImage(src.data(), 16, nullptr, 4, 4, ETC2_RGB, 0, 0), 64u);
    EXPECT_EQ(DecodeETCImage(src.data(), 16, out.data(), 0, 4, ETC1, 0, 0), 0u);
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(DecodeETCImage(src.data(), 16, out.data(), 4, 4, DXT1, 0, 0), 0u);
    EXPECT_EQ(out[0], 0xEE);
}

TEST(EtcImage, EdgeBlocksAreClippedNotWrittenPast)
{
    struct SFormat {
        u32 id, blockBytes, pixelBytes;
    };
    const SFormat formats[] = {{ETC1, 8, 3}, {ETC2_RGB, 8, 4}, {ETC2_RGBA, 16, 4}, {ETC2_RGB_A1, 8, 4},
                               {EAC_R11, 8, 2}, {EAC_RG11, 16, 4}};
    const std::pair<u32, u32> sizes[] = {{1, 1}, {5, 3}, {3, 7}, {6, 6}, {9, 1}};
    for (const SFormat& f : formats)
        for (auto [w, h] : sizes) {
            const u64 blocks = u64((w + 3) / 4) * ((h + 3) / 4);
            std::vector<u8> src(blocks * f.blockBytes);
            for (u64 i = 0; i < src.size(); ++i)
                src[i] = u8(i * 37 + 11);
            const u64 bytes = u64(w) * h * f.pixelBytes;
            std::vector<u8> out(bytes + 32, 0xEE);
            EXPECT_EQ(DecodeETCImage(src.data(), src.size(), out.data(), w, h, f.id, 0, 0), bytes);
            for (u64 i = bytes; i < out.size(); ++i)
                ASSERT_EQ(out[i], 0xEE) << "id " << f.id << " " << w << "x" << h;
            // Each texel of the crop equals the texel of the whole-block decode.
            std::vector<u8> whole(u64((w + 3) / 4 * 4) * ((h + 3) / 4 * 4) * f.pixelBytes);
            DecodeETCImage(src.data(), src.size(), whole.data(), (w + 3) / 4 * 4, (h + 3) / 4 * 4, f.id, 0, 0);
            for (u32 y = 0; y < h; ++y)
                for (u32 x = 0; x < w; ++x)
                    for (u32 c = 0; c < f.pixelBytes; ++c)
                        ASSERT_EQ(out[(u64(y) * w + x) * f.pixelBytes + c],
                                  whole[(u64(y) * ((w + 3) / 4 * 4) + x) * f.pixelBytes + c]);
        }
}

} // namespace

namespace {

using namespace xqftexture::etc;

// One block through the image decoder, as RGBA rows.
std::vector<u8> ImageDecode(u32 high, u32 low, u32 id) { return DecodeRgba(FromWords(high, low), id); }

std::vector<u8> PlaneToRgba(const u8* rgb, const u8* alpha)
{
    std::vector<u8> out(64);
    for (u32 i = 0; i < 16; ++i) {
        out[4 * i] = rgb[3 * i];
        out[4 * i + 1] = rgb[3 * i + 1];
        out[4 * i + 2] = rgb[3 * i + 2];
        out[4 * i + 3] = alpha ? alpha[i] : 255;
    }
    return out;
}

// The T and H modes: an unpacked layout of layoutBits bits, packed into the block's high word.
struct SLayoutMode {
    u32 layoutBits;
    u32 (*pack)(u32 layout);
    u32 (*unpack)(u32 high);
    void (*decode)(u32 layout, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0);
    void (*decodeAlpha)(u32 layout, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0);
};
const SLayoutMode kLayoutModes[] = {
    {27, PackTBlockHigh, UnpackTLayout, DecodeETC2TBlock, DecodeETC2TAlphaBlock},
    {26, PackHBlockHigh, UnpackHLayout, DecodeETC2HBlock, DecodeETC2HAlphaBlock},
};

TEST(EtcPlanes, UnpackedLayoutsPackIntoBlocksOfTheirMode)
{
    std::mt19937 random(99);
    for (u32 round = 0; round < 2000; ++round) {
        const u32 low = random();
        u8 rgb[48], alpha[16];
        for (const SLayoutMode& mode : kLayoutModes) {
            const u32 layout = random() & ((1u << mode.layoutBits) - 1);
            const u32 high = mode.pack(layout);
            EXPECT_EQ(mode.unpack(high), layout);
            mode.decode(layout, low, rgb, 4, 0, 0);
            ASSERT_EQ(PlaneToRgba(rgb, nullptr), ImageDecode(high, low, ETC2_RGB)) << std::hex << layout;
            mode.decodeAlpha(layout, low, rgb, alpha, 4, 0, 0);
            ASSERT_EQ(PlaneToRgba(rgb, alpha), ImageDecode(high & ~2u, low, ETC2_RGB_A1)) << std::hex << layout;
        }

        const u32 p57a = random(), p57b = random() & ~0x7Fu;
        u32 pHigh = 0, pLow = 0, a = 0, b = 0;
        PackPlanarBlock(p57a, p57b, pHigh, pLow);
        UnpackPlanarLayout(pHigh, pLow, a, b);
        EXPECT_EQ(a, p57a);
        EXPECT_EQ(b, p57b);
        DecodeETC2PlanarBlock(p57a, p57b, rgb, 4, 0, 0);
        ASSERT_EQ(PlaneToRgba(rgb, nullptr), ImageDecode(pHigh, pLow, ETC2_RGB)) << std::hex << p57a;
    }
}

TEST(EtcPlanes, PlaneDecodersMatchTheImageDecoder)
{
    std::mt19937 random(5);
    for (u32 round = 0; round < 500; ++round) {
        const u32 high = random(), low = random();
        u8 rgb[8 * 8 * 3] = {}, alpha[64] = {};
        // Written at block origin (4, 4) of an 8x8 plane; the rest stays untouched.
        DecodeETC2RGBBlock(high, low, rgb, 8, 4, 4);
        const std::vector<u8> expected = ImageDecode(high, low, ETC2_RGB);
        for (u32 i = 0; i < 16; ++i)
            for (u32 c = 0; c < 3; ++c)
                ASSERT_EQ(rgb[((4 + i / 4) * 8 + 4 + i % 4) * 3 + c], expected[4 * i + c]);
        EXPECT_EQ(rgb[0], 0);
        DecodeETC2PunchThroughBlock(high, low, rgb, alpha, 8, 0, 0);
        const std::vector<u8> punch = ImageDecode(high, low, ETC2_RGB_A1);
        for (u32 i = 0; i < 16; ++i)
            ASSERT_EQ(alpha[(i / 4) * 8 + i % 4], punch[4 * i + 3]);
        if ((high & 2) == 0) { // individual mode: the ETC1 decoder agrees
            u8 etc1[48];
            DecodeETC1Block(high, low, etc1, 4, 0, 0);
            ASSERT_EQ(PlaneToRgba(etc1, nullptr), expected);
        }
        Block eac{};
        for (u8& v : eac)
            v = u8(random());
        u16 plane[16];
        for (u8 isSigned : {0, 1}) {
            DecodeEAC11Block(eac.data(), plane, 4, 4, 0, 0, isSigned);
            u16 image[16];
            ASSERT_EQ(DecodeETCImage(eac.data(), 8, image, 4, 4, EAC_R11, isSigned, 0), 32u);
            for (u32 i = 0; i < 16; ++i) // the plane keeps the offset form of signed values
                ASSERT_EQ(u16(plane[i] ^ (isSigned ? 0x8000 : 0)), image[i]);
            const u32 k = (u32(eac[2]) >> 5) & 7; // index of pixel (0, 0)
            ASSERT_EQ(DecodeEAC11Value(isSigned ? u32(i8(eac[0]) + 128) : eac[0], eac[1] & 15, eac[1] >> 4, i32(k), isSigned),
                      plane[0]);
        }
    }
}

TEST(EtcPlanes, TablesIndicesAndPatterns)
{
    EXPECT_EQ(RasterToETCIndices(0x80000000u), 1u << 16); // pixel (0, 0): high bit only
    EXPECT_EQ(RasterToETCIndices(0x00000001u), 1u << 15); // pixel (3, 3): low bit
    std::vector<i32> table(256 * 8);
    BuildEACAlphaTable(0, table.data());
    EXPECT_EQ(table[8 * 0x10], -3);     // multiplier 1, row 0
    EXPECT_EQ(table[8 * 0xF0 + 3], -225); // multiplier 15 x -15
    EXPECT_EQ(table[8 * 0x0F + 7], 0);  // multiplier 0
    const u8 colours[6] = {250, 10, 128, 0, 255, 64};
    u8 paint[12] = {};
    ASSERT_TRUE(ComputeHPaintColours(2, 0, colours, paint));
    EXPECT_EQ(std::vector<u8>(paint, paint + 12),
              (std::vector<u8>{255, 21, 139, 239, 0, 117, 11, 255, 75, 0, 244, 53}));
    u8 untouched[12] = {7};
    EXPECT_FALSE(ComputeHPaintColours(2, 1, colours, untouched)); // refused, not fatal
    EXPECT_EQ(untouched[0], 7);
}

} // namespace
