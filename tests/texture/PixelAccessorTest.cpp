// The generic pixel accessor: layouts, conversions, saturation, small floats and sRGB.
#include "PixelAccessor.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace xqftexture;

namespace {

// Converts one pixel given as bytes from (srcFormat, srcType) to (dstFormat, dstType).
std::vector<u8> Convert(PixelFormat srcFormat, u32 srcType, std::vector<u8> in, PixelFormat dstFormat, u32 dstType,
                        u32 dstSpace = 0, u32 srcSpace = 0)
{
    CPixelAccessor src(srcFormat, srcType), dst(dstFormat, dstType);
    src.LoadPixel(in.data());
    dst.ConvertFrom(src);
    dst.ApplyColourSpace(dstSpace, srcSpace);
    return std::vector<u8>(dst.GetPixelData(), dst.GetPixelData() + dst.GetPixelBytes());
}

const PixelFormat kRGB8('r', 'g', 'b', 0, 8, 8, 8, 0);
const PixelFormat kL8('l', 0, 0, 0, 8, 0, 0, 0);

TEST(PixelAccessor, ConversionCases)
{
    struct SCase {
        const char* what;
        PixelFormat srcFormat;
        u32 srcType;
        std::vector<u8> in;
        PixelFormat dstFormat;
        u32 dstType;
        std::vector<u8> out;
    };
    const SCase cases[] = {
        {"luminance spreads to RGB", kL8, 0, {128}, kRGB8, 0, {128, 128, 128}},
        {"RGB to luminance uses the Rec. 709 weights", kRGB8, 0, {255, 0, 0}, kL8, 0, {54}},
        {"RGB to intensity is the mean", kRGB8, 0, {30, 60, 90}, PixelFormat('i', 0, 0, 0, 8, 0, 0, 0), 0, {60}},
        {"missing alpha reads opaque", kRGB8, 0, {1, 2, 3}, PixelFormatRGBA8888, 0, {1, 2, 3, 255}},
        {"alpha is dropped", PixelFormatRGBA8888, 0, {9, 8, 7, 6}, kRGB8, 0, {9, 8, 7}},
        {"4444 packs red in the top bits", PixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4), 4, {0x0F, 0xF0},
         PixelFormatRGBA8888, 0, {255, 0, 0, 255}},
        {"565 red in bits 11-15", PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, {0x1F, 0xF8}, kRGB8, 0,
         {255, 0, 255}},
        {"16-bit elements are little-endian", PixelFormat('r', 'g', 0, 0, 16, 16, 0, 0), 4, {0xFF, 0xFF, 0, 0x80},
         kRGB8, 0, {255, 128, 0}},
        {"2_10_10_10_REV layout: red in the low bits", PixelFormat('a', 'b', 'g', 'r', 2, 10, 10, 10), 8,
         {0xFF, 0x03, 0x00, 0xC0}, PixelFormatRGBA8888, 0, {255, 0, 0, 255}},
        {"signed bytes: negative saturates to 0", PixelFormat('r', 'g', 0, 0, 8, 8, 0, 0), 1, {0x7F, 0x81}, kRGB8, 0,
         {255, 0, 0}},
        {"half floats", PixelFormat('r', 'g', 'b', 0, 16, 16, 16, 0), 12, {0x00, 0x38, 0x00, 0x3C, 0x00, 0x00},
         kRGB8, 0, {128, 255, 0}},
        {"half float above 1 saturates, not wraps", PixelFormat('r', 'g', 0, 0, 16, 16, 0, 0), 12,
         {0x00, 0x40, 0x00, 0x00}, PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, {0x00, 0xF8}},
        {"float infinities and NaN", PixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0), 12,
         {0, 0, 0x80, 0x7F, 0, 0, 0x80, 0xFF, 0, 0, 0xC0, 0x7F}, kRGB8, 0, {255, 0, 0}},
        {"repeated channel converts nothing", PixelFormat('r', 'r', 'b', 0, 8, 8, 8, 0), 0, {1, 2, 3}, kRGB8, 0,
         {0, 0, 0}},
        {"12-bit pixel converts nothing", PixelFormat('r', 'g', 'b', 0, 4, 4, 4, 0), 4, {0xFF, 0x0F}, kRGB8, 0,
         {0, 0, 0}},
        {"gap before a channel converts nothing", PixelFormat('r', 0, 'b', 0, 8, 0, 8, 0), 0, {1, 2}, kRGB8, 0,
         {0, 0, 0}},
        {"unknown channel type converts nothing", kRGB8, 99, {1, 2, 3}, kRGB8, 0, {0, 0, 0}},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(Convert(c.srcFormat, c.srcType, c.in, c.dstFormat, c.dstType), c.out) << c.what;
}

TEST(PixelAccessor, FlagsNameTheFault)
{
    EXPECT_EQ(CPixelAccessor(PixelFormat('r', 'r', 0, 0, 8, 8, 0, 0), 0).GetFlags(), CPixelAccessor::FlagRepeatedChannel);
    EXPECT_EQ(CPixelAccessor(PixelFormat('r', 'g', 0, 0, 8, 0, 0, 0), 0).GetFlags() & CPixelAccessor::FlagNameWithoutWidth,
              CPixelAccessor::FlagNameWithoutWidth);
    EXPECT_NE(CPixelAccessor(PixelFormat('r', 0, 0, 0, 8, 8, 0, 0), 0).GetFlags() & CPixelAccessor::FlagWidthWithoutName, 0u);
    EXPECT_NE(CPixelAccessor(PixelFormat('r', 'g', 'b', 0, 4, 4, 4, 0), 4).GetFlags() & CPixelAccessor::FlagNotWholeBytes, 0u);
    EXPECT_NE(CPixelAccessor(ETC1, 0).GetFlags(), 0u);
    EXPECT_EQ(CPixelAccessor(PixelFormatRGBA32323232, 12).GetFlags(), 0u); // 128-bit pixels are fine
    // Wider than 128 bits: refused, and loading reads nothing.
    CPixelAccessor wide(PixelFormat('r', 'g', 'b', 'a', 255, 255, 255, 255), 12);
    EXPECT_NE(wide.GetFlags(), 0u);
    EXPECT_EQ(wide.GetPixelBytes(), 0);
    const u8 one = 1;
    wide.LoadPixel(&one);
    EXPECT_EQ(wide.ReadChannel(ChannelAlpha), 0.0f);
    wide.WriteChannel(ChannelAlpha, 1.0f);
    CPixelAccessor farFloat(PixelFormat('r', 'g', 'b', 'a', 32, 32, 32, 200), 12); // element past the pixel
    farFloat.WriteChannel(ChannelAlpha, 1.0f);
    EXPECT_EQ(farFloat.ReadChannel(ChannelAlpha), 0.0f);
}

TEST(PixelAccessor, ReadsHalfAndSmallFloats)
{
    struct SCase {
        PixelFormat format;
        u32 type;
        u32 bits;
        float value;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const SCase cases[] = {
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0x3C00, 1.0f},
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0xC000, -2.0f},
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0x0001, std::ldexp(1.0f, -24)}, // smallest denormal
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0x7C00, inf},
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0x7BFF, 65504.0f},
        {PixelFormat('b', 'g', 'r', 0, 10, 11, 11, 0), 13, 0x3C0, 1.0f}, // 11-bit: exponent 15 in red
        {PixelFormat('b', 'g', 'r', 0, 10, 11, 11, 0), 13, 0x7C0, inf},
    };
    for (const SCase& c : cases) {
        CPixelAccessor a(c.format, c.type);
        u8 bytes[4];
        std::memcpy(bytes, &c.bits, 4);
        a.LoadPixel(bytes);
        EXPECT_EQ(a.ReadChannel(ChannelRed), c.value) << std::hex << c.bits;
    }
    CPixelAccessor nan(PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12);
    const u8 nanBits[2] = {0x01, 0x7C};
    nan.LoadPixel(nanBits);
    EXPECT_TRUE(std::isnan(nan.ReadChannel(ChannelRed)));
}

TEST(PixelAccessor, WritesSaturateToTheChannelWidth)
{
    struct SCase {
        PixelFormat format;
        u32 type;
        float value;
        u64 expected;
    };
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const SCase cases[] = {
        {PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, 2.0f, 0xF800},  // green and blue untouched
        {PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, -1.0f, 0x0000},
        {PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, inf, 0xF800},
        {PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, nan, 0x0000},
        {PixelFormat('r', 0, 0, 0, 8, 0, 0, 0), 1, 5.0f, 0x7F},         // signed: +1 is 127
        {PixelFormat('r', 0, 0, 0, 8, 0, 0, 0), 1, -5.0f, 0x81},        // -1 is -127
        {PixelFormat('r', 0, 0, 0, 32, 0, 0, 0), 8, 1.0f, 0xFFFFFFFF},
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 1e6f, 0x7C00},     // half overflow is infinity
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, 0.1f, 0x2E66},     // round to nearest
        {PixelFormat('b', 'g', 'r', 0, 10, 11, 11, 0), 13, -3.0f, 0},   // unsigned floats clamp at 0
        {PixelFormat('b', 'g', 'r', 0, 10, 11, 11, 0), 13, 1.0f, 0x3C0},
    };
    for (const SCase& c : cases) {
        CPixelAccessor a(c.format, c.type);
        a.WriteChannel(ChannelRed, c.value);
        u64 bits = 0;
        std::memcpy(&bits, a.GetPixelData(), a.GetPixelBytes());
        EXPECT_EQ(bits, c.expected) << std::hex << c.format.Value() << " " << c.value;
    }
}

TEST(PixelAccessor, SRGBTransfer)
{
    // Linear 0.5 is about 0.7352 in sRGB, stored as 187.
    EXPECT_EQ(Convert(kRGB8, 0, {128, 0, 255}, kRGB8, 0, sRGB, LinearRGB), (std::vector<u8>{188, 0, 255}));
    EXPECT_NEAR(LinearToSRGB(0.5f), 0.7352f, 1e-4f);
    EXPECT_EQ(Convert(kRGB8, 0, {187, 10, 255}, kRGB8, 0, LinearRGB, sRGB), (std::vector<u8>{127, 1, 255}));
    // Alpha never changes; unknown colour spaces change nothing.
    EXPECT_EQ(Convert(PixelFormatRGBA8888, 0, {128, 128, 128, 128}, PixelFormatRGBA8888, 0, sRGB, LinearRGB)[3], 128);
    EXPECT_EQ(Convert(kRGB8, 0, {128, 0, 0}, kRGB8, 0, 5, 0)[0], 128);
    for (int i = 0; i <= 255; ++i)
        EXPECT_NEAR(SRGBToLinear(LinearToSRGB(float(i) / 255.0f)) * 255.0f, float(i), 0.5f) << i;
}

} // namespace
