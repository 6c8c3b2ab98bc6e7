// Packed codecs: RGB9E5, 1 bpp, RGBG/GRBG and YUV 4:2:2, through worked values and round trips.
#include "CodecTestSupport.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using namespace codectest;

u32 Rgb9e5Of(float r, float g, float b)
{
    const float in[3] = {r, g, b};
    u32 word = 0;
    EXPECT_EQ(CompressSharedExponentR9G9B9E5(in, sizeof in, &word, 1, 1), 4u);
    return word;
}

TEST(Rgb9e5, WorkedValues)
{
    float out[3];
    const u32 one = 0x80000100; // exponent 16, red mantissa 256
    ASSERT_EQ(DecompressSharedExponentR9G9B9E5(&one, 4, out, 1, 1), 12u);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 0.0f);

    EXPECT_EQ(Rgb9e5Of(1.0f, 0, 0), one);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(Rgb9e5Of(-3.0f, nan, 1.0f) & 0x07FFFFFF, 256u << 18) << "negative and NaN store mantissa 0";
    EXPECT_EQ(Rgb9e5Of(1e9f, 0, 0), 31u << 27 | 511u) << "clamped to the largest value";
    EXPECT_EQ(Rgb9e5Of(0.99999f, 0, 0), one) << "a mantissa rounding up to 512 raises the exponent";
}

TEST(Rgb9e5, RoundTripKeepsNineBitsOfTheLargestChannel)
{
    std::vector<float> in;
    for (int i = 0; i < 300; ++i) {
        const float scale = std::ldexp(1.0f, i % 30 - 14);
        in.insert(in.end(), {scale * (1 + i % 7) / 7.0f, scale * (i % 3) / 3.0f, scale * 0.5f});
    }
    const u32 n = u32(in.size() / 3);
    std::vector<u32> packed(n);
    ASSERT_EQ(CompressSharedExponentR9G9B9E5(in.data(), in.size() * 4, packed.data(), n, 1), n * 4u);
    std::vector<float> out(in.size());
    ASSERT_EQ(DecompressSharedExponentR9G9B9E5(packed.data(), packed.size() * 4, out.data(), n, 1), n * 12u);
    for (u32 i = 0; i < n; ++i) {
        const float largest = std::max({in[3 * i], in[3 * i + 1], in[3 * i + 2]});
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(out[3 * i + c], in[3 * i + c], largest / 511.0f) << i << "," << c;
    }
}

TEST(Bw1bpp, RowsStartOnAByteSoLayoutAndSizeAgree)
{
    // 3x3: each row takes one byte, the level's 8x1 rounding. Row y is white at x == y.
    std::vector<Rgba8> in(9, Rgba8{0, 0, 0, 255});
    for (u32 y = 0; y < 3; ++y)
        in[y * 3 + y] = Rgba8{200, 100, 90, 255}; // mean 130: white
    in[1] = Rgba8{200, 100, 80, 255};             // mean 126: black
    std::vector<u8> bits(3, 0xEE);
    ASSERT_EQ(CompressBW1bpp(in.data(), in.size() * 4, bits.data(), 3, 3), 3u);
    EXPECT_EQ(bits, (std::vector<u8>{0x01, 0x02, 0x04}));

    std::vector<Rgba8> out(9);
    ASSERT_EQ(DecompressBW1bpp(bits.data(), bits.size(), out.data(), 3, 3), 36u);
    for (u32 i = 0; i < 9; ++i) {
        const bool white = i % 3 == i / 3;
        EXPECT_EQ(out[i], (white ? Rgba8{255, 255, 255, 255} : Rgba8{0, 0, 0, 255})) << i;
    }
}

TEST(Bw1bpp, WideLevelsPackEightPixelsPerByteFromBitZero)
{
    const std::vector<u8> bits = {0x81, 0x01, 0x00, 0x08}; // 12x2: two bytes per row
    std::vector<Rgba8> out(24);
    ASSERT_EQ(DecompressBW1bpp(bits.data(), bits.size(), out.data(), 12, 2), 96u);
    for (u32 i = 0; i < 24; ++i) {
        const bool white = i == 0 || i == 7 || i == 8 || i == 12 + 11;
        EXPECT_EQ(out[i].r, white ? 255 : 0) << i;
    }
    EXPECT_EQ(DecompressBW1bpp(bits.data(), 3, out.data(), 12, 2), 0u) << "short data";
}

TEST(Yuv422, WorkedValuesAndByteOrder)
{
    struct {
        const char* what;
        u32 id;
        std::vector<u8> group;
        Rgba8 first, second;
    } cases[] = {
        {"UYVY black and white", 16, {128, 16, 128, 235}, {0, 0, 0, 255}, {255, 255, 255, 255}},
        {"YUY2 black and white", 17, {16, 128, 235, 128}, {0, 0, 0, 255}, {255, 255, 255, 255}},
        {"YUY2 red", 17, {82, 90, 82, 240}, {255, 1, 0, 255}, {255, 1, 0, 255}},
        {"UYVY blue", 16, {240, 41, 110, 41}, {0, 0, 255, 255}, {0, 0, 255, 255}},
    };
    for (const auto& c : cases) {
        Rgba8 out[2];
        ASSERT_EQ(DecompressYUV422(c.group.data(), 4, out, 2, 1, c.id), 8u) << c.what;
        EXPECT_EQ(out[0], c.first) << c.what;
        EXPECT_EQ(out[1], c.second) << c.what;
    }
}

TEST(PairFormats, RoundTripAndOddWidths)
{
    // 5x2: the last pixel of each row has a group of its own, and the level's 2x1 rounding sizes it.
    std::vector<Rgba8> in(10);
    for (u32 i = 0; i < 10; ++i)
        in[i] = Rgba8{u8(20 * i), u8(250 - 20 * i), u8(7 * i), 255};
    for (u32 id : {16u, 17u, 20u, 21u}) {
        const bool yuv = id < 20;
        std::vector<u8> packed(3 * 2 * 4);
        const u64 written = yuv ? CompressYUV422(in.data(), 40, packed.data(), 5, 2, id)
                                : CompressRGBG(in.data(), 40, packed.data(), 5, 2, id);
        ASSERT_EQ(written, packed.size()) << id;
        std::vector<Rgba8> out(11, Rgba8{1, 2, 3, 4});
        const u64 decoded = yuv ? DecompressYUV422(packed.data(), packed.size(), out.data(), 5, 2, id)
                                : DecompressRGBG(packed.data(), packed.size(), out.data(), 5, 2, id);
        ASSERT_EQ(decoded, 40u) << id;
        EXPECT_EQ(out[10], (Rgba8{1, 2, 3, 4})) << "written past the level";
        for (u32 i = 0; i < 10; ++i) {
            if (yuv) {
                EXPECT_LE(MaxDifference(&out[i], &in[i], 1), 90) << id << " pixel " << i; // chroma is shared
                EXPECT_NEAR(0.3 * out[i].r + 0.59 * out[i].g + 0.11 * out[i].b,
                            0.3 * in[i].r + 0.59 * in[i].g + 0.11 * in[i].b, 3.0)
                    << id << " luma of pixel " << i;
            } else {
                const Rgba8& owner = in[i - (i % 5) % 2]; // red and blue come from the pair's first pixel
                EXPECT_EQ(out[i], (Rgba8{owner.r, in[i].g, owner.b, 255})) << id << " pixel " << i;
            }
        }
    }
    // RGBG and GRBG differ only in byte order.
    const u8 group[4] = {10, 20, 30, 40};
    Rgba8 rgbg[2], grbg[2];
    DecompressRGBG(group, 4, rgbg, 2, 1, 20);
    DecompressRGBG(group, 4, grbg, 2, 1, 21);
    EXPECT_EQ(rgbg[0], (Rgba8{10, 20, 30, 255}));
    EXPECT_EQ(rgbg[1], (Rgba8{10, 40, 30, 255}));
    EXPECT_EQ(grbg[0], (Rgba8{20, 10, 40, 255}));
    EXPECT_EQ(grbg[1], (Rgba8{20, 30, 40, 255}));
}

TEST(PackedCodecs, UnknownIdsAndSizeQueries)
{
    const u8 data[8] = {};
    Rgba8 out[2];
    EXPECT_EQ(DecompressYUV422(data, 8, out, 2, 1, 20), 0u);
    EXPECT_EQ(DecompressRGBG(data, 8, out, 2, 1, 17), 0u);
    EXPECT_EQ(CompressYUV422(data, 8, out, 2, 1, 21), 0u);
    EXPECT_EQ(CompressRGBG(data, 8, out, 2, 1, 16), 0u);
    EXPECT_EQ(DecompressYUV422(nullptr, 0, nullptr, 6, 3, 16), 72u);
    EXPECT_EQ(CompressBW1bpp(nullptr, 0, nullptr, 9, 2), 4u);
    EXPECT_EQ(DecompressSharedExponentR9G9B9E5(nullptr, 0, nullptr, 2, 2), 48u);
    EXPECT_EQ(CompressDXT(nullptr, 0, nullptr, 5, 5, 5), 64u);
}

} // namespace
