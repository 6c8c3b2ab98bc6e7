// Every format of these codecs reaches the 8-bit RGB road the views use: a flat colour, encoded or
// hand-built at a size that is not whole blocks, shows as that colour.
#include "CodecTestSupport.h"
#include "TextureHeader.h"
#include "TextureTranscoder.h"
#include "XQFTextureEncoders.h"

namespace {

using namespace codectest;

constexpr u32 kWidth = 5, kHeight = 3;
constexpr Rgba8 kOrange{255, 128, 0, 255};

u64 LevelSize(u32 id)
{
    CTextureHeader header;
    header.SetPixelFormat(PixelFormat(u64(id)));
    header.SetWidth(kWidth);
    header.SetHeight(kHeight);
    return header.GetDataSize();
}

// The level's data: the encoder's output of a flat orange image where there is an encoder here, or
// XQFTC blocks whose colours A and B are both orange.
std::vector<u8> OrangeLevel(u32 id)
{
    std::vector<u8> data(LevelSize(id));
    const std::vector<Rgba8> image(kWidth * kHeight, kOrange);
    const u64 imageBytes = image.size() * 4;
    u64 written = 0;
    if (id <= 5) {
        // Opaque orange: red 31, green 16 (A: 5 bits, B: 5 bits), blue 0; XQFTC-II has one opacity flag.
        const u32 colour = id >= 4 ? 1u << 31 | 31u << 26 | 16u << 21 | 31u << 10 | 16u << 5
                                   : 1u << 31 | 31u << 26 | 16u << 21 | 1u << 15 | 31u << 10 | 16u << 5;
        for (u64 at = 0; at + 8 <= data.size(); at += 8)
            for (int i = 0; i < 4; ++i)
                data[at + 4 + i] = u8(colour >> (8 * i));
        return data;
    }
    if (id >= 7 && id <= 11)
        written = CompressDXT(image.data(), imageBytes, data.data(), kWidth, kHeight, id - 6);
    else if (id == 16 || id == 17)
        written = CompressYUV422(image.data(), imageBytes, data.data(), kWidth, kHeight, id);
    else if (id == 20 || id == 21)
        written = CompressRGBG(image.data(), imageBytes, data.data(), kWidth, kHeight, id);
    else if (id == 18)
        written = CompressBW1bpp(image.data(), imageBytes, data.data(), kWidth, kHeight);
    else if (id == 19) {
        std::vector<float> orange(kWidth * kHeight * 3, 0.0f);
        for (u32 i = 0; i < kWidth * kHeight; ++i)
            orange[3 * i] = 1.0f, orange[3 * i + 1] = 128.0f / 255.0f;
        written = CompressSharedExponentR9G9B9E5(orange.data(), orange.size() * 4, data.data(), kWidth, kHeight);
    }
    EXPECT_EQ(written, data.size()) << "id " << id;
    return data;
}

TEST(DisplayRoad, EveryFormatShowsItsColour)
{
    const u32 ids[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 16, 17, 18, 19, 20, 21};
    for (u32 id : ids) {
        CTextureHeader header;
        header.SetPixelFormat(PixelFormat(u64(id)));
        header.SetWidth(kWidth);
        header.SetHeight(kHeight);
        const std::vector<u8> data = OrangeLevel(id);
        std::vector<u8> rgb;
        ASSERT_TRUE(TranscodeToRGB8(header, data.data(), data.size(), rgb)) << "id " << id;
        ASSERT_EQ(rgb.size(), kWidth * kHeight * 3u) << "id " << id;
        // 1 bpp keeps only light and dark (orange, of mean 127, is dark), XQFTC's 5-bit green gives
        // 132 for 16, 5:6:5 and video-range YUV land within a few steps.
        const int expected[3] = {id == 18 ? 0 : 255, id == 18 ? 0 : 128, 0};
        const int tolerance = id <= 5 ? 4 : 2;
        for (u32 i = 0; i < rgb.size(); ++i)
            EXPECT_NEAR(rgb[i], expected[i % 3], tolerance) << "id " << id << " byte " << i;
    }
}

} // namespace
