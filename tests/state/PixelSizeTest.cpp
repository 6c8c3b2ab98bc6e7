// Pixel, image and material-parameter sizes, and the one-pixel conversions.
#include <gtest/gtest.h>

#include "state/PixelSize.h"

namespace {
enum : uint32_t {
    kUByte = 0x1401, kFixed = 0x140C, k4444 = 0x8033, k5551 = 0x8034, k565 = 0x8363, k4444Rev = 0x8365,
    kHalf = 0x8D61, kAlpha = 0x1906, kRgb = 0x1907, kRgba = 0x1908, kLum = 0x1909, kLumAlpha = 0x190A, kBgra = 0x80E1,
    kUShort = 0x1403, kUInt = 0x1405, k2101010Rev = 0x8368, k248 = 0x84FA, kDepth = 0x1902, kDepthStencil = 0x84F9,
    kRed = 0x1903, kRg = 0x8227,
};
}

TEST(PixelSize, PixelAndImageSizes)
{
    struct Case { uint32_t format, type; int pixel; };
    const Case pixels[] = {
        {kBgra, k4444Rev, 2}, {kRgba, k4444Rev, 0}, {kRgb, kFixed, 12}, {kRgb, k565, 2},
        {kRgba, k565, 8},     // a packed type with another format counts 2 bytes per component
        {kLumAlpha, kUByte, 2}, {kRgba, kHalf, 8}, {0x1234, kUByte, 0},
        // Pairs the host takes beyond the core ones: depth, depth-stencil, 10-bit, one and two channels.
        {kDepth, kUShort, 2}, {kDepth, kUInt, 4}, {kDepthStencil, k248, 4}, {kRgba, k2101010Rev, 4},
        {kRgb, k2101010Rev, 4}, {kRed, kHalf, 2}, {kRg, kUByte, 2},
        {kDepth, kUByte, 0}, {kLum, k248, 0}, {kDepthStencil, kUInt, 0},
    };
    for (const Case& c : pixels)
        EXPECT_EQ(GetPixelSize(c.format, c.type), c.pixel) << std::hex << c.format << " " << c.type;
    EXPECT_EQ(GetTypeComponentSize(k4444Rev), 0);

    EXPECT_EQ(GetImageSize(kRgb, kUByte, 3, 2, 4, 0), 24);   // rows of 9 bytes round up to 12
    EXPECT_EQ(GetImageSize(kRgba, kUByte, 2, 2, 4, 1), 64);  // 4 x 4 with the border
    EXPECT_EQ(GetImageSize(kRgb, kUByte, 3, 2, 0, 0), 18);   // alignment 0: no rounding
    // Sizes that overflow 32 bits stay exact; negative extents are refused.
    EXPECT_EQ(GetImageSize(kRgba, kFixed, 65536, 65536, 4, 0), int64_t(16) << 32);
    EXPECT_EQ(GetImageSize(kRgba, kUByte, -5, 2, 4, 0), -1);
    // A pair not known here is unknown, never 0 bytes (which would let any declared size through).
    EXPECT_EQ(GetImageSize(kDepth, kUByte, 1024, 1024, 4, 0), -1);
    EXPECT_EQ(GetImageSize(0x1234, kUByte, 0, 0, 4, 0), -1);
    EXPECT_EQ(GetImageSize(kDepth, kUInt, 1024, 1024, 4, 0), 4 << 20);

    EXPECT_EQ(GetMaterialParamCount(0x1602), 4);  // GL_AMBIENT_AND_DIFFUSE
    EXPECT_EQ(GetMaterialParamCount(0x1601), 1);  // GL_SHININESS
}

TEST(PixelSize, ConvertPixel)
{
    uint8_t out[4] = {};
    const uint8_t white565[2] = {0xFF, 0xFF};
    ASSERT_TRUE(ConvertPixel(k565, kRgb, white565, kUByte, kRgba, out));
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 255);
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out[3], 255);

    const uint8_t lum[1] = {0x80};
    ASSERT_TRUE(ConvertPixel(kUByte, kLum, lum, k4444, kRgba, out));
    EXPECT_EQ(out[0] | out[1] << 8, 0x888F);

    const uint8_t faint[4] = {0, 0, 0, 1};
    ASSERT_TRUE(ConvertPixel(kUByte, kRgba, faint, k5551, kRgba, out));
    EXPECT_EQ(out[0] & 1, 1);  // any alpha sets the bit

    const uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_FALSE(ConvertPixel(kUByte, kRgb, px, kUByte, kRgba, out));   // equal types
    EXPECT_FALSE(ConvertPixel(k565, kRgba, px, kUByte, kRgba, out));    // pair not handled
}

TEST(PixelSize, ConvertImageSkipsTheBorderRing)
{
    // A 1 x 1 image with a border of 1 is a 3 x 3 grid; only the centre pixel is converted.
    uint8_t src[3 * 3 * 2] = {};
    src[8] = 0xFF;  // centre: row 1 (6 bytes a row) + column 1 (2 bytes a pixel), 5_6_5 white
    src[9] = 0xFF;
    uint8_t dst[3 * 3 * 4];
    std::fill(std::begin(dst), std::end(dst), 0xEE);
    ASSERT_TRUE(ConvertImage(1, 1, 1, k565, kRgb, 1, src, kUByte, kRgba, 4, dst));
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(dst[i], (i >= 16 && i < 20) ? 0xFF : 0xEE) << i;
    EXPECT_TRUE(ConvertImage(0, 0, 0, k565, kRgb, 1, src, kUByte, kRgba, 4, dst));
    EXPECT_FALSE(ConvertImage(1, 1, 0, kUByte, kRgb, 1, src, kUByte, kRgba, 4, dst));  // equal types
    EXPECT_FALSE(ConvertImage(1, 1, -1, k565, kRgb, 1, src + 8, kUByte, kRgba, 4, dst + 16));  // would read before src
}
