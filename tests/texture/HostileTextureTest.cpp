// Hostile inputs to the texture library: truncated sources, absurd dimensions and level counts,
// malformed formats, unknown ids, NaN and infinities. Run under ASan/UBSan as well.
#include "TextureHeaders.h"
#include "TextureTranscoder.h"
#include "XQFTextureCodecs.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <memory>
#include <random>
#include <vector>

using namespace xqftexture;

namespace {

struct SEtcFormat {
    u32 id, blockBytes, pixelBytes;
};
const SEtcFormat kEtcFormats[] = {{ETC1, 8, 3}, {ETC2_RGB, 8, 4}, {ETC2_RGBA, 16, 4}, {ETC2_RGB_A1, 8, 4},
                                  {EAC_R11, 8, 2}, {EAC_RG11, 16, 4}};

TEST(HostileEtc, EveryTruncationIsRefusedWithoutReading)
{
    for (const SEtcFormat& f : kEtcFormats)
        for (auto [w, h] : {std::pair<u32, u32>{1, 1}, {5, 3}, {12, 9}}) {
            const u64 needed = u64((w + 3) / 4) * ((h + 3) / 4) * f.blockBytes;
            std::vector<u8> out(u64(w) * h * f.pixelBytes);
            for (u64 size = 0; size < needed; ++size) {
                // Exactly size bytes (never null, which would be a size query): ASan sees any read past them.
                std::unique_ptr<u8[]> src(new u8[size]);
                std::fill_n(src.get(), size, 0xA5);
                EXPECT_EQ(DecodeETCImage(src.get(), size, out.data(), w, h, f.id, 1, 0), 0u) << f.id << " " << size;
            }
            std::vector<u8> src(needed, 0xA5);
            EXPECT_EQ(DecodeETCImage(src.data(), needed, out.data(), w, h, f.id, 1, 1), out.size());
        }
}

TEST(HostileEtc, AbsurdDimensionsAndIdsAreRefusedQuickly)
{
    std::vector<u8> src(64, 0), out(64, 0);
    for (const SEtcFormat& f : kEtcFormats) {
        EXPECT_EQ(DecodeETCImage(src.data(), src.size(), out.data(), 0xFFFFFFFFu, 0xFFFFFFFFu, f.id, 0, 0), 0u);
        EXPECT_EQ(DecodeETCImage(src.data(), src.size(), out.data(), 0, 0xFFFFFFFFu, f.id, 0, 0), 0u);
        EXPECT_EQ(DecodeETCImage(src.data(), std::numeric_limits<u64>::max(), nullptr, 65536, 65537, f.id, 0, 0),
                  u64(65536) * 65537 * f.pixelBytes); // size query past 32 bits
    }
    for (u32 id : {0u, 5u, 7u, 21u, 27u, 28u, 0xFFFFFFFFu})
        EXPECT_EQ(DecodeETCImage(src.data(), src.size(), out.data(), 4, 4, id, 0, 0), 0u) << id;
}

TEST(HostileEtc, RandomBlocksOfRandomSizes)
{
    std::mt19937 random(11);
    for (u32 round = 0; round < 300; ++round) {
        const SEtcFormat& f = kEtcFormats[random() % 6];
        const u32 w = 1 + random() % 37, h = 1 + random() % 23;
        std::vector<u8> src(u64((w + 3) / 4) * ((h + 3) / 4) * f.blockBytes);
        for (u8& b : src)
            b = u8(random());
        std::vector<u8> out(u64(w) * h * f.pixelBytes);
        EXPECT_EQ(DecodeETCImage(src.data(), src.size(), out.data(), w, h, f.id, random() & 1, 0), out.size());
    }
}

using xqftexture::test::Header;

TEST(HostileDisplay, RecordedDataShorterThanTheHeaderClaims)
{
    const std::vector<u8> data(256, 0x42);
    std::vector<u8> rgb;
    struct SCase {
        const char* what;
        u32 internalFormat, type, width, height;
        u64 size;
        bool shown;
    };
    const SCase cases[] = {
        {"1x1 RGBA", 0x1908, 0x1401, 1, 1, 4, true},
        {"5x3 ETC1", 0x8D64, 0, 5, 3, 16, true},
        {"5x3 ETC1 one byte short", 0x8D64, 0, 5, 3, 15, false},
        {"5x3 RGB565", 0x1907, 0x8363, 5, 3, 30, true},
        {"size past 32 bits, tiny data", 0x1908, 0x1401, 70000, 70000, 256, false},
        {"size past 64 bits", 0x8814, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 256, false},
        {"zero width", 0x1908, 0x1401, 0, 16, 256, false},
        {"zero height", 0x9274, 0, 16, 0, 256, false},
        {"huge ETC2 with a few blocks", 0x9278, 0, 0xFFFFFFF0u, 8, 256, false},
        {"unknown internal format", 0x1234, 0x1401, 4, 4, 256, false},
    };
    for (const SCase& c : cases) {
        const bool shown = TranscodeGLImageToRGB8(c.internalFormat, 0, c.type, c.width, c.height, data.data(), c.size, rgb);
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_EQ(rgb.size(), c.shown ? u64(c.width) * c.height * 3 : 0u) << c.what;
    }
}

TEST(HostileTexture, MIPLevelCounts)
{
    // 256 levels: refused (no runaway level counter); 255 levels of 1x1: fine.
    CTexture refused(Header(PixelFormatRGBA8888, 0, 1, 1, 256));
    EXPECT_EQ(refused.GetBufferSize(), 0u);
    EXPECT_EQ(refused.GetDataPtr(0, 0, 0), nullptr);
    EXPECT_FALSE(ConvertTexturePixels(refused, PixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0), 0, 0, 1, false));
    CTexture many(Header(PixelFormatRGBA8888, 0, 1, 1, 255));
    EXPECT_TRUE(ConvertTexturePixels(many, PixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0), 0, 0, 1, false));
    EXPECT_EQ(many.GetBufferSize(), 255u * 3);
    CTexture huge(Header(PixelFormatRGBA8888, 0, 1, 1, 0xFFFFFFFFu));
    EXPECT_EQ(huge.GetBufferSize(), 0u);
    EXPECT_EQ(huge.GetDataPtr(300, 0, 0), nullptr);
}

TEST(HostileTexture, MalformedFormatsAndChannelTypes)
{
    std::mt19937_64 random(5);
    const PixelFormat rgb8('r', 'g', 'b', 0, 8, 8, 8, 0);
    u32 converted = 0;
    for (u32 round = 0; round < 3000; ++round) {
        // Random names drawn mostly from real channel letters, random small widths.
        const char names[] = "rgbalix\0q";
        PixelFormat f(names[random() % 9], names[random() % 9], names[random() % 9], names[random() % 9],
                      u8(random() % 40), u8(random() % 40), u8(random() % 40), u8(random() % 40));
        if (round % 7 == 0)
            f = PixelFormat(random() | (u64(1) << 40)); // anything with a non-zero high word
        const u32 type = u32(random() % 16);
        const CTextureHeader h = Header(f, type, 3, 2);
        const u64 size = h.GetDataSize();
        if (size == 0 || size > 4096)
            continue;
        std::vector<u8> data(size);
        for (u8& b : data)
            b = u8(random());
        // Every channel of the accessor read and written on its own, whatever its flags say.
        CPixelAccessor accessor(f, type);
        accessor.LoadPixel(data.data());
        for (u32 code = 0; code <= 8; ++code) {
            const float v = accessor.ReadChannel(code) - 0.7f;
            accessor.WriteUnsigned(code, &v);
            accessor.WriteSigned(code, &v);
            accessor.WriteFloat(code, &v);
            accessor.WritePackedFloat(code, &v);
            accessor.WriteChannel(code, v);
        }
        CTexture t(h, data.data(), data.size());
        converted += ConvertTexturePixels(t, rgb8, 0, 0, 1, round & 1);
        CTexture back(Header(rgb8, 0, 3, 2), data.data(), data.size());
        ConvertTexturePixels(back, f, type, u32(random() % 3), 1, round & 2);
    }
    EXPECT_GT(converted, 0u);
}

TEST(HostileTexture, NaNAndInfinitiesEverywhere)
{
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::denorm_min(), 1e30f, -0.0f, 1.0f, 0.5f, -2.0f};
    std::vector<float> data;
    for (float a : specials)
        for (float b : specials)
            data.insert(data.end(), {a, b, a, b});
    const u32 w = u32(data.size() / 4);
    const PixelFormat targets[] = {PixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0), PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0),
                                   PixelFormat('r', 'g', 'b', 'a', 16, 16, 16, 16),
                                   PixelFormat('b', 'g', 'r', 0, 10, 11, 11, 0), PixelFormat('r', 'g', 0, 0, 8, 8, 0, 0),
                                   PixelFormat('l', 'a', 0, 0, 16, 16, 0, 0), PixelFormatRGBA32323232};
    const u32 types[] = {0, 4, 12, 13, 1, 5, 8};
    for (u32 i = 0; i < 7; ++i)
        for (u32 space : {0u, 1u}) {
            CTexture t(Header(PixelFormatRGBA32323232, SignedFloat, w, 1), data.data(), data.size() * 4);
            EXPECT_TRUE(ConvertTexturePixels(t, targets[i], types[i], space, 1, i == 1)) << i;
        }
    // Half floats: every one of the 65536 patterns converts without trouble.
    std::vector<u16> halves(65536);
    for (u32 v = 0; v < 65536; ++v)
        halves[v] = u16(v);
    CTexture h(Header(PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), SignedFloat, 256, 256), halves.data(), 131072);
    EXPECT_TRUE(ConvertTexturePixels(h, PixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0), 0, 1, 1, false));
    CTexture h2(Header(PixelFormat('r', 0, 0, 0, 16, 0, 0, 0), SignedFloat, 256, 256), halves.data(), 131072);
    EXPECT_TRUE(ConvertTexturePixels(h2, PixelFormat('r', 0, 0, 0, 10, 0, 0, 0), 13, 0, 1, false) == false);
}

TEST(HostileTexture, UnknownCompressedIds)
{
    for (u32 id : {12u, 13u, 14u, 15u, 27u, 28u, 1000u, 0xFFFFFFFFu}) {
        CTexture t(Header(id, 0, 8, 8), nullptr, 0);
        EXPECT_FALSE(ConvertTexturePixels(t, PixelFormatRGBA8888, 0, 0, 1, false)) << id;
        CTexture rgba(Header(PixelFormatRGBA8888, 0, 8, 8));
        EXPECT_FALSE(ConvertTexturePixels(rgba, id, 0, 0, 1, false)) << id;
        EXPECT_EQ(rgba.GetPixelFormat(), PixelFormatRGBA8888);
    }
}

} // namespace
