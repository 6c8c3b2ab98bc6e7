// Pixel formats, the size rules of headers and textures, and the GL mapping.
#include "Texture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace xqftexture;

namespace {

TEST(PixelFormat, BitsPerPixelAndMinimumDimensions)
{
    struct SCase {
        PixelFormat format;
        u32 bits, minX, minY;
    };
    const SCase cases[] = {
        {PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 16, 1, 1},
        {PixelFormat('r', 'g', 'b', 'a', 10, 10, 10, 2), 32, 1, 1},
        {PixelFormat('x', 'r', 'g', 'b', 8, 8, 8, 8), 32, 1, 1}, // 'x' counts like any channel
        {XQFTC_2bpp_RGB, 2, 16, 8},
        {XQFTCII_2bpp, 2, 8, 4},
        {ETC2_RGBA, 8, 4, 4},
        {BW1bpp, 1, 8, 1},
        {YUY2, 16, 2, 1},
        {14u, 0, 1, 1},
        {15u, 0, 1, 1},
        {NumCompressedFormats, 0, 1, 1},
        {28u, 0, 1, 1},
        {0xFFFFFFFFu, 0, 1, 1},
        // High word set: never a compressed id, even when the low word is one.
        {PixelFormat(0x0000000100000006ull), 1, 1, 1},
    };
    for (const SCase& c : cases) {
        u32 x = 0, y = 0, z = 0;
        GetMinDimensions(c.format, x, y, z);
        EXPECT_EQ(GetBitsPerPixel(c.format), c.bits) << std::hex << c.format.Value();
        EXPECT_EQ(x, c.minX) << std::hex << c.format.Value();
        EXPECT_EQ(y, c.minY) << std::hex << c.format.Value();
        EXPECT_EQ(z, 1u);
    }
    EXPECT_EQ(PixelFormat('l', 0, 0, 0, 8, 0, 0, 0).Value(), 0x000000080000006Cull);
    EXPECT_EQ(GetChannelCode('i'), 6u);
    EXPECT_EQ(GetChannelCode('R'), 0u);
}

TEST(PixelFormat, SignedChannelTypes)
{
    for (u32 t = 0; t < 16; ++t)
        EXPECT_EQ(IsSignedChannelType(t), t == 1 || t == 3 || t == 5 || t == 7 || t == 9 || t == 11 || t == 12) << t;
}

CTextureHeader Header(PixelFormat f, u32 w, u32 h, u32 mips = 1, u32 surfaces = 1, u32 faces = 1, u32 depth = 1)
{
    CTextureHeader header;
    header.SetPixelFormat(f);
    header.SetWidth(w);
    header.SetHeight(h);
    header.SetDepth(depth);
    header.SetNumMIPLevels(mips);
    header.SetNumSurfaces(surfaces);
    header.SetNumFaces(faces);
    return header;
}

TEST(TextureHeader, DataSizeRules)
{
    struct SCase {
        const char* what;
        CTextureHeader header;
        i32 mip;
        bool allSurfaces, allFaces;
        u64 bytes;
    };
    const SCase cases[] = {
        {"default header has no format", CTextureHeader(), -1, true, true, 0},
        {"5x3 XQFTC 4bpp counts as 8x8", Header(XQFTC_4bpp_RGBA, 5, 3), -1, true, true, 32},
        {"1x1 XQFTC 2bpp counts as 16x8", Header(XQFTC_2bpp_RGB, 1, 1), -1, true, true, 32},
        {"5x3 ETC1 rounds to 8x4", Header(ETC1, 5, 3), 0, true, true, 16},
        {"64x64 RGBA8 with 7 levels", Header(PixelFormatRGBA8888, 64, 64, 7), -1, true, true, 21844},
        {"one level of a chain", Header(PixelFormatRGBA8888, 64, 64, 7), 2, true, true, 1024},
        {"surfaces and faces multiply", Header(PixelFormatRGBA8888, 4, 4, 1, 3, 6), -1, true, true, 64 * 18},
        {"one surface, all faces", Header(PixelFormatRGBA8888, 4, 4, 1, 3, 6), 0, false, true, 64 * 6},
        {"one surface and face", Header(PixelFormatRGBA8888, 4, 4, 1, 3, 6), 0, false, false, 64},
        {"depth is never rounded", Header(ETC1, 4, 4, 1, 1, 1, 3), 0, true, true, 24},
        {"1 bpp rounds width to 8", Header(BW1bpp, 3, 2), 0, true, true, 2},
        {"sizes past 4 GiB stay exact", Header(PixelFormatRGBA32323232, 65536, 65536), -1, true, true,
         u64(65536) * 65536 * 16},
        {"width 0 has no data", Header(PixelFormatRGBA8888, 0, 4), -1, true, true, 0},
        {"no levels, no data", Header(PixelFormatRGBA8888, 4, 4, 0), -1, true, true, 0},
        {"255 levels are summed", Header(PixelFormatRGBA8888, 1, 1, 255), -1, true, true, 255 * 4},
        {"256 levels are refused", Header(PixelFormatRGBA8888, 1, 1, 256), -1, true, true, 0},
        {"levels past 32 are 1x1, not wrapped", Header(PixelFormatRGBA8888, 0x80000000u, 1, 40), 33, true, true, 4},
        {"overflowing 64 bits is refused",
         Header(PixelFormatRGBA32323232, 0xFFFFFFFFu, 0xFFFFFFFFu, 1, 0xFFFFFFFFu), -1, true, true, 0},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.header.GetDataSize(c.mip, c.allSurfaces, c.allFaces), c.bytes) << c.what;
}

TEST(TextureHeader, LevelDimensions)
{
    const CTextureHeader h = Header(PixelFormatRGBA8888, 64, 16, 3);
    EXPECT_EQ(h.GetWidth(0), 64u);
    EXPECT_EQ(h.GetWidth(2), 16u);
    EXPECT_EQ(h.GetHeight(3), 2u); // mip equal to the level count still answers
    EXPECT_EQ(h.GetWidth(4), 0u);  // one more does not
    EXPECT_EQ(Header(PixelFormatRGBA8888, 64, 16, 255).GetWidth(40), 1u);
    EXPECT_EQ(Header(PixelFormatRGBA8888, 5, 3).GetPixelCount(0, true, true), 15u);
}

TEST(Texture, LevelAddressesFollowTheLayout)
{
    CTexture t(Header(PixelFormatRGBA8888, 8, 4, 2, 2, 3));
    const u8* base = t.GetDataPtr(0, 0, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(t.GetDataPtr(0, 0, 1) - base, 128);
    EXPECT_EQ(t.GetDataPtr(0, 1, 0) - base, 128 * 3);
    EXPECT_EQ(t.GetDataPtr(1, 0, 0) - base, 128 * 6);
    EXPECT_EQ(t.GetDataPtr(1, 1, 2) - base, 128 * 6 + 32 * 3 + 32 * 2);
    EXPECT_EQ(t.GetDataPtr(2, 0, 0), nullptr);
    EXPECT_EQ(t.GetDataPtr(0, 2, 0), nullptr);
    EXPECT_EQ(t.GetDataPtr(0, 0, 3), nullptr);
    EXPECT_EQ(t.GetDataPtr(0xFFFFFFFFu, 0, 0), nullptr);
    // A header changed after the buffer was made never yields an address past the buffer.
    t.SetWidth(1024);
    EXPECT_EQ(t.GetDataPtr(1, 1, 2), nullptr);
}

TEST(Texture, CopiesOnlyTheRecordedBytesThatExist)
{
    const u8 recorded[5] = {1, 2, 3, 4, 5};
    const CTexture t(Header(PixelFormatRGBA8888, 2, 2), recorded, sizeof recorded);
    ASSERT_EQ(t.GetBufferSize(), 16u);
    const u8* p = t.GetDataPtr(0, 0, 0);
    EXPECT_EQ(std::memcmp(p, recorded, 5), 0);
    for (u32 i = 5; i < 16; ++i)
        EXPECT_EQ(p[i], 0) << i;
    CTexture copy;
    copy = t;
    EXPECT_EQ(std::memcmp(copy.GetDataPtr(0, 0, 0), p, 16), 0);
    EXPECT_EQ(CTexture().GetBufferSize(), 0u);
}

TEST(GLFormatMapping, RowsAndUnknowns)
{
    struct SCase {
        u32 internalFormat, type;
        bool known;
        PixelFormat format;
        u32 channelType, colourSpace;
    };
    const SCase cases[] = {
        {0x1908, 0x1401, true, PixelFormatRGBA8888, 0, 0},                                // GL_RGBA ubyte
        {0x1907, 0x8363, true, PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), 4, 0},           // GL_RGB 565
        {0x1908, 0x8034, true, PixelFormat('r', 'g', 'b', 'a', 5, 5, 5, 1), 4, 0},         // GL_RGBA 5551
        {0x190A, 0x1402, true, PixelFormat('l', 'a', 0, 0, 16, 16, 0, 0), 5, 0},           // GL_LUMINANCE_ALPHA short
        {0x1903, 0x1405, true, PixelFormat('r', 0, 0, 0, 32, 0, 0, 0), 8, 0},              // GL_RED uint
        {0x8D70, 0, true, PixelFormatRGBA32323232, 10, 0},                                 // GL_RGBA32UI
        {0x8D82, 0, true, PixelFormatRGBA32323232, 11, 0},                                 // GL_RGBA32I
        {0x8C43, 0, true, PixelFormatRGBA8888, 0, 1},                                      // GL_SRGB8_ALPHA8
        {0x9275, 0, true, ETC2_RGB, 0, 1},                                                 // sRGB ETC2
        {0x9271, 0, true, EAC_R11, 1, 0},                                                  // signed R11 EAC: linear
        {0x8D64, 0, true, ETC1, 0, 0},
        {0x8059, 0, true, PixelFormat('a', 'b', 'g', 'r', 2, 10, 10, 10), 8, 0},           // GL_RGB10_A2
        {0x83F1, 0, false, {}, 0, 0},                                                      // DXT1 RGBA: not mapped
        {0xDEAD, 0x1401, false, {}, 0, 0},
    };
    for (const SCase& c : cases) {
        CTextureHeader h;
        h.SetColourSpace(7);
        const bool known = h.SetFormatFromGL(c.internalFormat, 0, c.type);
        EXPECT_EQ(known, c.known) << std::hex << c.internalFormat;
        if (!c.known) {
            EXPECT_EQ(h.GetPixelFormat(), PixelFormat(NumCompressedFormats)) << std::hex << c.internalFormat;
            EXPECT_EQ(h.GetColourSpace(), 7u);
            continue;
        }
        EXPECT_EQ(h.GetPixelFormat().Value(), c.format.Value()) << std::hex << c.internalFormat;
        EXPECT_EQ(h.GetChannelType(), c.channelType) << std::hex << c.internalFormat;
        EXPECT_EQ(h.GetColourSpace(), c.colourSpace) << std::hex << c.internalFormat;
    }
}

TEST(GLFormatMapping, UnknownTypeOfABaseFormatResetsOnlyTheColourSpace)
{
    CTextureHeader h;
    h.SetPixelFormat(ETC1);
    h.SetChannelType(3);
    h.SetColourSpace(sRGB);
    EXPECT_FALSE(h.SetFormatFromGL(0x1908, 0x1908, 0x1406)); // GL_RGBA with GL_FLOAT
    EXPECT_EQ(h.GetPixelFormat(), PixelFormat(ETC1));
    EXPECT_EQ(h.GetChannelType(), 3u);
    EXPECT_EQ(h.GetColourSpace(), 0u);
}

} // namespace
