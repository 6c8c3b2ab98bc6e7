// Transcoding whole textures, the dither pass, channel copies and the display entry.
#include "PixelAccessor.h"
#include "TextureHeaders.h"
#include "TextureTranscoder.h"
#include "XQFTextureCodecs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace xqftexture;

namespace {

const PixelFormat kRGB8('r', 'g', 'b', 0, 8, 8, 8, 0);
const PixelFormat kRGB565('r', 'g', 'b', 0, 5, 6, 5, 0);

using xqftexture::test::Header;

std::vector<u8> Bytes(const CTexture& t) { return {t.GetDataPtr(0, 0, 0), t.GetDataPtr(0, 0, 0) + t.GetBufferSize()}; }

TEST(ConvertTexturePixels, RGBA8ToRGB8DropsAlpha)
{
    const u8 pixels[8] = {1, 2, 3, 4, 250, 251, 252, 253};
    CTexture t(Header(PixelFormatRGBA8888, 0, 2, 1), pixels, sizeof pixels);
    ASSERT_TRUE(ConvertTexturePixels(t, kRGB8, 0, 0, 1, false));
    EXPECT_EQ(t.GetPixelFormat(), kRGB8);
    EXPECT_EQ(Bytes(t), (std::vector<u8>{1, 2, 3, 250, 251, 252}));
}

TEST(ConvertTexturePixels, RefusalsLeaveTheTextureUnchanged)
{
    struct SCase {
        const char* what;
        PixelFormat source, target;
        u32 sourceType;
    };
    const SCase cases[] = {
        {"no-format source has no data", NumCompressedFormats, kRGB8, 0},
        {"reserved id has no data", 14u, kRGB8, 0},
        {"target 'no format'", PixelFormatRGBA8888, NumCompressedFormats, 0},
        {"BC4 has no decoder: no unset memory shown as success", BC4, kRGB8, 0},
        {"BC5 has no decoder", BC5, kRGB8, 0},
        {"malformed source format", PixelFormat('r', 'r', 'g', 0, 8, 8, 8, 0), kRGB8, 0},
        {"malformed target format", PixelFormatRGBA8888, PixelFormat('r', 'g', 'b', 0, 8, 8, 0, 0), 0},
        {"unknown channel type", PixelFormatRGBA8888, kRGB8, 77},
        {"compressed target without an encoder", PixelFormatRGBA8888, BC4, 0},
    };
    for (const SCase& c : cases) {
        std::vector<u8> data(4096, 0x5A);
        CTexture t(Header(c.source, c.sourceType, 8, 8), data.data(), data.size());
        const std::vector<u8> before = t.GetBufferSize() ? Bytes(t) : std::vector<u8>{};
        EXPECT_FALSE(ConvertTexturePixels(t, c.target, 0, 0, 1, false)) << c.what;
        EXPECT_EQ(t.GetPixelFormat(), c.source) << c.what;
        if (!before.empty()) {
            EXPECT_EQ(Bytes(t), before) << c.what;
        }
    }
}

TEST(ConvertTexturePixels, DecodesEveryLevelAndSurfaceOfACompressedTexture)
{
    // ETC2 RGB, 6x5 with 3 levels (6x5, 3x2, 1x1) and 2 surfaces; every level goes through the codec.
    CTextureHeader h = Header(ETC2_RGB, 0, 6, 5, 3, 2);
    std::vector<u8> blocks(h.GetDataSize());
    std::mt19937 random(7);
    for (u8& b : blocks)
        b = u8(random());
    CTexture t(h, blocks.data(), blocks.size());
    const CTexture original(t);
    ASSERT_TRUE(ConvertTexturePixels(t, PixelFormatRGBA8888, 0, 0, 1, false));
    for (u32 s = 0; s < 2; ++s)
        for (u32 m = 0; m < 3; ++m) {
            const u32 w = h.GetWidth(m), hh = h.GetHeight(m);
            std::vector<u8> expected(u64(w) * hh * 4);
            ASSERT_EQ(DecodeETCImage(original.GetDataPtr(m, s, 0), h.GetDataSize(i32(m), false, false), expected.data(),
                                     w, hh, ETC2_RGB, 0, 0),
                      expected.size());
            EXPECT_EQ(std::memcmp(t.GetDataPtr(m, s, 0), expected.data(), expected.size()), 0) << s << " " << m;
        }
}

TEST(ConvertTexturePixels, SmallETC1LevelShowsTheTopLeftOfItsBlock)
{
    const u8 block[8] = {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0};
    u8 whole[48];
    ASSERT_EQ(DecodeETCImage(block, 8, whole, 4, 4, ETC1, 0, 0), 48u);
    CTexture t(Header(ETC1, 0, 2, 2), block, 8);
    ASSERT_TRUE(ConvertTexturePixels(t, kRGB8, 0, 0, 1, false));
    const std::vector<u8> got = Bytes(t);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(std::memcmp(got.data(), whole, 6), 0);
    EXPECT_EQ(std::memcmp(got.data() + 6, whole + 12, 6), 0);
}

TEST(ConvertTexturePixels, SignedEACIsLinearAndClampsNegativeToBlack)
{
    // Signed R11 with base -127 (all negative) and base 127 (near +1): red 0 and 255.
    const u8 blocks[16] = {0x81, 0x00, 0, 0, 0, 0, 0, 0, 0x7F, 0xF0, 0xE0, 0, 0, 0, 0, 0};
    CTextureHeader h;
    ASSERT_TRUE(h.SetFormatFromGL(0x9271, 0, 0));
    h.SetWidth(8);
    h.SetHeight(4);
    CTexture t(h, blocks, sizeof blocks);
    ASSERT_TRUE(ConvertTexturePixels(t, kRGB8, 0, 0, 1, false));
    const std::vector<u8> got = Bytes(t);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[4 * 3], 255); // pixel (4, 0): first pixel of the second block
    EXPECT_EQ(got[1], 0);
}

TEST(ConvertTexturePixels, EncodesIntoFormatsThatHaveAnEncoder)
{
    // A chain of 8x8, 4x4, 2x2 and 1x1: the two small levels are tiled to one block before encoding.
    CTextureHeader h = Header(PixelFormatRGBA8888, 0, 8, 8, 4);
    std::vector<u8> pixels(h.GetDataSize());
    for (u64 i = 0; i < pixels.size(); i += 4) {
        const bool white = ((i / 4) % 3) == 0;
        pixels[i] = pixels[i + 1] = pixels[i + 2] = white ? 255 : 0;
        pixels[i + 3] = 255;
    }
    struct SCase {
        u32 id;
        u64 bytes;
        bool exact; // black and white survive the round trip unchanged
    };
    const SCase cases[] = {{DXT1, 32 + 8 + 8 + 8, true}, {DXT5, 64 + 16 + 16 + 16, true},
                           {BW1bpp, 8 + 4 + 2 + 1, true}, {YUY2, 128 + 32 + 8 + 4, false}, {RGBG8888, 128 + 32 + 8 + 4, false}};
    for (const SCase& c : cases) {
        CTexture t(h, pixels.data(), pixels.size());
        ASSERT_TRUE(ConvertTexturePixels(t, c.id, 0, 0, 1, false)) << c.id;
        EXPECT_EQ(t.GetPixelFormat(), PixelFormat(c.id));
        EXPECT_EQ(t.GetBufferSize(), c.bytes) << c.id;
        ASSERT_TRUE(ConvertTexturePixels(t, PixelFormatRGBA8888, 0, 0, 1, false)) << c.id;
        ASSERT_EQ(t.GetBufferSize(), pixels.size());
        if (c.exact) {
            EXPECT_EQ(Bytes(t), pixels) << c.id;
        }
    }
    // Floats into RGB9E5 and back: 0.5 and 1.0 are exact in that format.
    const float rgb[6] = {0.5f, 1.0f, 0.0f, 1.0f, 0.5f, 0.25f};
    CTexture f(Header(PixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0), SignedFloat, 2, 1), rgb, sizeof rgb);
    ASSERT_TRUE(ConvertTexturePixels(f, SharedExponentR9G9B9E5, UnsignedFloat, 0, 1, false));
    EXPECT_EQ(f.GetBufferSize(), 8u);
    ASSERT_TRUE(ConvertTexturePixels(f, PixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0), SignedFloat, 0, 1, false));
    float back[6];
    std::memcpy(back, f.GetDataPtr(0, 0, 0), sizeof back);
    EXPECT_EQ(std::vector<float>(back, back + 6), std::vector<float>(rgb, rgb + 6));
}

TEST(ConvertTexturePixels, DitherSpreadsTheErrorOnlyWhenAsked)
{
    // Two pixels of grey 70 to 565: red quantises 70 -> 66 and pushes +2 right (72 -> 74).
    const u8 pixels[8] = {70, 70, 70, 255, 70, 70, 70, 255};
    CTexture plain(Header(PixelFormatRGBA8888, 0, 2, 1), pixels, 8), dithered(plain);
    ASSERT_TRUE(ConvertTexturePixels(plain, kRGB565, 4, 0, 1, false));
    ASSERT_TRUE(ConvertTexturePixels(dithered, kRGB565, 4, 0, 1, true));
    auto word = [](const CTexture& t, u32 i) {
        u16 v;
        std::memcpy(&v, t.GetDataPtr(0, 0, 0) + 2 * i, 2);
        return v;
    };
    EXPECT_EQ(word(plain, 0), 0x4A29);
    EXPECT_EQ(word(plain, 1), 0x4A29);
    EXPECT_EQ(word(dithered, 0), 0x4228);
    EXPECT_EQ(word(dithered, 1), 0x4A29);
}

TEST(ConvertTexturePixels, DitherToLuminanceGreysTheColours)
{
    const u8 pixels[4] = {255, 0, 0, 255};
    CTexture t(Header(PixelFormatRGBA8888, 0, 1, 1), pixels, 4);
    ASSERT_TRUE(ConvertTexturePixels(t, PixelFormat('l', 0, 0, 0, 4, 0, 0, 0), 0, 0, 1, true) == false);
    CTexture t2(Header(PixelFormatRGBA8888, 0, 1, 1), pixels, 4);
    ASSERT_TRUE(ConvertTexturePixels(t2, PixelFormat('l', 'a', 0, 0, 4, 4, 0, 0), 4, 0, 1, true));
    // Luminance of pure red is 54; quantised to 4 bits: (54 & 0xF0) + (54 >> 4) = 51 -> 3 of 15.
    EXPECT_EQ(Bytes(t2)[0], 0x3F);
}

TEST(CopyTextureChannels, KernelsScaleTruncateAndSaturate)
{
    const u8 pixel[4] = {255, 0, 0, 7};
    const CTexture src(Header(PixelFormatRGBA8888, 0, 1, 1), pixel, 4);
    CTexture dst8(src);
    const u32 grey[3] = {5, 5, 5}, rgb[3] = {1, 2, 3};
    ASSERT_TRUE(CopyTextureChannels(dst8, src, 3, rgb, grey));
    EXPECT_EQ(Bytes(dst8), (std::vector<u8>{54, 54, 54, 7})); // 0.2126 * 255 truncated
    CTexture dst16(Header(PixelFormatRGBA16161616, 4, 1, 1));
    const u32 all[4] = {1, 2, 3, 4};
    ASSERT_TRUE(CopyTextureChannels(dst16, src, 4, all, all));
    u16 wide[4];
    std::memcpy(wide, dst16.GetDataPtr(0, 0, 0), 8);
    EXPECT_EQ(wide[0], 65535);
    EXPECT_EQ(wide[3], 7 * 257);
    const float big[4] = {2.0f, -1.0f, 0.5f, 1.0f};
    const CTexture floats(Header(PixelFormatRGBA32323232, 12, 1, 1), big, 16);
    CTexture back(Header(PixelFormatRGBA8888, 0, 1, 1));
    ASSERT_TRUE(CopyTextureChannels(back, floats, 4, all, all));
    EXPECT_EQ(Bytes(back), (std::vector<u8>{255, 0, 127, 255}));
    CTexture other(Header(PixelFormatRGBA8888, 0, 2, 1));
    EXPECT_FALSE(CopyTextureChannels(other, src, 4, all, all));
    CTexture notStandard(Header(kRGB8, 0, 1, 1));
    EXPECT_FALSE(CopyTextureChannels(notStandard, src, 4, all, all));
}

// The shortcuts of the pixel conversion give the same bytes as the accessor, pixel for pixel.
TEST(ConvertPixels, ShortcutsMatchTheGeneralPath)
{
    struct SPair {
        PixelFormat src;
        u32 srcType;
        PixelFormat dst;
        u32 dstType;
        u32 dstSpace, srcSpace;
    };
    const SPair pairs[] = {
        {PixelFormatRGBA8888, 0, kRGB8, 0, 0, 0},
        {kRGB8, 0, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('b', 'g', 'r', 'a', 8, 8, 8, 8), 0, kRGB8, 0, 0, 0},
        {PixelFormat('l', 'a', 0, 0, 8, 8, 0, 0), 0, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('l', 0, 0, 0, 8, 0, 0, 0), 0, kRGB8, 0, 0, 0},
        {PixelFormatRGBA8888, 0, PixelFormat('l', 0, 0, 0, 8, 0, 0, 0), 0, 0, 0},
        {kRGB565, 4, kRGB8, 0, 0, 0},
        {kRGB565, 4, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4), 4, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('r', 'g', 0, 0, 8, 8, 0, 0), 1, kRGB8, 0, 0, 0},
        {kRGB8, 0, kRGB8, 0, 0, 1},
        {PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), 12, kRGB8, 0, 0, 0},
        {PixelFormat('r', 'g', 'b', 'a', 5, 5, 5, 1), 4, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('a', 'b', 'g', 'r', 2, 10, 10, 10), 8, kRGB8, 0, 0, 0},
        {PixelFormat('l', 'a', 0, 0, 16, 16, 0, 0), 4, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('r', 'g', 'b', 0, 16, 16, 16, 0), 4, kRGB8, 0, 0, 0},
        {PixelFormat('x', 'r', 'g', 'b', 8, 8, 8, 8), 0, PixelFormatRGBA8888, 0, 0, 0},
        {PixelFormat('i', 0, 0, 0, 8, 0, 0, 0), 0, PixelFormat('l', 'a', 0, 0, 8, 8, 0, 0), 0, 0, 0},
        {PixelFormat('b', 'g', 'r', 0, 5, 6, 5, 0), 4, PixelFormat('l', 0, 0, 0, 8, 0, 0, 0), 0, 0, 0},
        {PixelFormat('r', 'g', 0, 0, 8, 8, 0, 0), 2, PixelFormat('b', 'g', 'r', 'x', 8, 8, 8, 8), 0, 0, 0},
        // Intensity is the mean of the colours: for evenly spaced bytes it equals the middle one.
        {kRGB8, 0, PixelFormat('i', 0, 0, 0, 8, 0, 0, 0), 0, 0, 0},
        {PixelFormatRGBA8888, 0, PixelFormat('i', 'a', 0, 0, 8, 8, 0, 0), 0, 0, 0},
    };
    std::mt19937 random(3);
    for (const SPair& p : pairs) {
        const CTextureHeader srcHeader = Header(p.src, p.srcType, 257, 301);
        std::vector<u8> data(srcHeader.GetDataSize());
        for (u8& b : data)
            b = u8(random());
        CTexture src(srcHeader, data.data(), data.size());
        src.SetColourSpace(p.srcSpace);
        CTexture dst(Header(p.dst, p.dstType, 257, 301));
        CPixelAccessor sa(p.src, p.srcType), da(p.dst, p.dstType);
        ASSERT_EQ(ConvertPixels(src, dst, sa, da, p.dstSpace, p.srcSpace), u64(257) * 301 * da.GetPixelBytes());
        const u32 inBytes = sa.GetPixelBytes(), outBytes = da.GetPixelBytes();
        for (u64 i = 0; i < u64(257) * 301; ++i) {
            sa.LoadPixel(data.data() + i * inBytes);
            da.ConvertFrom(sa);
            da.ApplyColourSpace(p.dstSpace, p.srcSpace);
            ASSERT_EQ(std::memcmp(dst.GetDataPtr(0, 0, 0) + i * outBytes, da.GetPixelData(), outBytes), 0)
                << std::hex << p.src.Value() << " -> " << p.dst.Value() << " pixel " << std::dec << i;
        }
    }
}

TEST(DisplayEntry, DecodesARecordedLevelToRGB8)
{
    const u8 rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    std::vector<u8> rgb;
    ASSERT_TRUE(TranscodeGLImageToRGB8(0x1908, 0x1908, 0x1401, 2, 2, rgba, sizeof rgba, rgb));
    EXPECT_EQ(rgb, (std::vector<u8>{1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}));
    const u8 etc[8] = {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0};
    ASSERT_TRUE(TranscodeGLImageToRGB8(0x8D64, 0, 0, 3, 3, etc, 8, rgb));
    EXPECT_EQ(rgb.size(), 27u);
}

// The display entry runs the transcoder's steps on its own buffers: same bytes as converting a
// texture of the level with ConvertTexturePixels.
TEST(DisplayEntry, MatchesConvertTexturePixels)
{
    const u32 internalFormats[][2] = {{0x1908, 0x1401}, {0x1907, 0x8363}, {0x190A, 0x1401}, {0x8C41, 0},
                                      {0x881A, 0},      {0x8814, 0},      {0x8D64, 0},      {0x9279, 0},
                                      {0x9273, 0},      {0x9270, 0},      {0x9276, 0},      {0x8C3A, 0}};
    std::mt19937 random(8);
    for (const auto& [internalFormat, type] : internalFormats) {
        CTextureHeader h;
        ASSERT_TRUE(h.SetFormatFromGL(internalFormat, 0, type));
        h.SetWidth(67);
        h.SetHeight(65);
        std::vector<u8> data(h.GetDataSize());
        for (u8& b : data)
            b = u8(random());
        std::vector<u8> shown;
        ASSERT_TRUE(TranscodeToRGB8(h, data.data(), data.size(), shown)) << std::hex << internalFormat;
        CTexture t(h, data.data(), data.size());
        ASSERT_TRUE(ConvertTexturePixels(t, kRGB8, 0, 0, 1, false));
        EXPECT_EQ(shown, Bytes(t)) << std::hex << internalFormat;
    }
}

TEST(DisplayEntry, FailuresLeaveNothingToShow)
{
    const std::vector<u8> data(64, 0x11);
    std::vector<u8> rgb(5, 1);
    EXPECT_FALSE(TranscodeGLImageToRGB8(0x1908, 0x1908, 0x1401, 4, 4, data.data(), 63, rgb)); // short
    EXPECT_TRUE(rgb.empty());
    EXPECT_FALSE(TranscodeGLImageToRGB8(0x1908, 0x1908, 0x1406, 2, 2, data.data(), 64, rgb)); // unknown type
    EXPECT_FALSE(TranscodeGLImageToRGB8(0x83F1, 0, 0, 4, 4, data.data(), 64, rgb));           // unmapped
    EXPECT_FALSE(TranscodeGLImageToRGB8(0x1908, 0x1908, 0x1401, 0, 4, data.data(), 64, rgb)); // empty
    EXPECT_FALSE(TranscodeGLImageToRGB8(0x1908, 0x1908, 0x1401, 2, 2, nullptr, 64, rgb));
    CTextureHeader bc4;
    bc4.SetPixelFormat(BC4);
    bc4.SetWidth(4);
    bc4.SetHeight(4);
    EXPECT_FALSE(TranscodeToRGB8(bc4, data.data(), 64, rgb)); // no decoder: black, not garbage
}

} // namespace
