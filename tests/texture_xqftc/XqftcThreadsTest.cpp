// XQFTC compression on worker threads: the same bytes under every thread limit and when threads
// are refused, for both compressors; and the transcoding switch.
#include "ImageSet.h"
#include "PixelFormat.h"
#include "TextureHeaders.h"
#include "Texture.h"
#include "TextureTranscoder.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace xqftexture;

std::vector<u8> Encode(const std::vector<u8>& rgba, u32 w, u32 h, bool twoBpp, bool second, u32 quality)
{
    std::vector<u8> out(CompressXQFTCImage(nullptr, 0, nullptr, w, h, true, twoBpp, second, quality));
    if (CompressXQFTCImage(rgba.data(), rgba.size(), out.data(), w, h, true, twoBpp, second, quality) != out.size())
        out.clear();
    return out;
}

struct SCase {
    const char* image;
    u32 width, height;
    bool twoBpp, second;
    u32 quality;
};
// The class compressor (64 regions), amtc without and with restarts, and the 67-row grid whose
// edge row moves to row 0's worker.
constexpr SCase kCases[] = {
    {"sine-noise", 64, 64, false, false, 0}, {"edges", 64, 32, true, false, 0},
    {"strokes", 16, 16, false, false, 2},    {"alpha-steps", 32, 16, true, true, 1},
    {"gradient", 16, 8, false, true, 2},     {"sine-noise", 8, 268, false, false, 1},
};

bool Refuse(u32) { return false; }

TEST(XqftcThreads, EveryThreadLimitAndRefusedThreadsGiveTheSameBytes)
{
    for (const SCase& c : kCases) {
        const std::vector<u8> rgba = xqft::test::ColourImage(c.image, c.width, c.height).rgba;
        SetThreadLimit(1);
        const std::vector<u8> one = Encode(rgba, c.width, c.height, c.twoBpp, c.second, c.quality);
        ASSERT_FALSE(one.empty()) << c.image;
        for (const u32 limit : {2u, 8u, 0u}) {
            SetThreadLimit(limit);
            EXPECT_EQ(Encode(rgba, c.width, c.height, c.twoBpp, c.second, c.quality), one)
                << c.image << " " << c.width << "x" << c.height << " limit " << limit;
        }
        SetThreadLimit(8);
        SetThreadStartHook(Refuse);
        EXPECT_EQ(Encode(rgba, c.width, c.height, c.twoBpp, c.second, c.quality), one) << c.image << " refused";
        SetThreadStartHook(nullptr);
    }
    SetThreadLimit(0);
}

// ConvertTexturePixels to an XQFTC id: level by level the bytes of CompressXQFTCImage, with levels
// below the format's minimum tiled up to it first.
TEST(XqftcTranscode, EveryLevelIsEncodedAsTheEntryEncodesIt)
{
    const PixelFormat rgba8('r', 'g', 'b', 'a', 8, 8, 8, 8);
    const u32 levels = 6; // 32 x 32 down to 1 x 1
    const CTextureHeader h = xqftexture::test::Header(rgba8, 0, 32, 32, levels);
    const xqft::test::SColourImage image = xqft::test::ColourImage("alpha-ramp", 32, 32);
    std::vector<u8> data;
    for (u32 m = 0; m < levels; ++m) { // crops of the image
        const u32 size = 32 >> m;
        for (u32 y = 0; y < size; ++y)
            data.insert(data.end(), image.rgba.begin() + y * 32 * 4, image.rgba.begin() + (y * 32 + size) * 4);
    }
    ASSERT_EQ(data.size(), h.GetDataSize());
    struct {
        u32 id, quality;
    } targets[] = {{XQFTC_4bpp_RGBA, 0}, {XQFTC_2bpp_RGBA, 1}, {XQFTCII_4bpp, 1}, {XQFTCII_2bpp, 0}};
    for (auto& t : targets) {
        CTexture texture(h, data.data(), data.size());
        ASSERT_TRUE(ConvertTexturePixels(texture, PixelFormat(u64(t.id)), 0, 0, t.quality, false)) << t.id;
        u32 mw = 1, mh = 1, md = 1;
        GetMinDimensions(PixelFormat(u64(t.id)), mw, mh, md);
        u64 at = 0;
        for (u32 m = 0; m < levels; ++m) {
            const u32 size = 32 >> m, w = std::max(size, mw), hh = std::max(size, mh);
            std::vector<u8> level(u64(w) * hh * 4);
            for (u32 y = 0; y < hh; ++y)
                for (u32 x = 0; x < w; ++x)
                    std::memcpy(&level[(u64(y) * w + x) * 4], &data[at + (u64(y % size) * size + x % size) * 4], 4);
            at += u64(size) * size * 4;
            const bool twoBpp = t.id == 1 || t.id == 4, second = t.id >= 4;
            const std::vector<u8> expected = Encode(level, w, hh, twoBpp, second, t.quality);
            ASSERT_FALSE(expected.empty()) << t.id << " level " << m;
            EXPECT_EQ(std::vector<u8>(texture.GetDataPtr(m, 0, 0), texture.GetDataPtr(m, 0, 0) + expected.size()),
                      expected)
                << "id " << t.id << " level " << m;
        }
    }
}

} // namespace
