// Hostile inputs to the ETC encoder: absurd dimensions, short sources, null pointers, bad qualities,
// signs and ids, and images of one colour. Run under ASan/UBSan as well.
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace xqftexture;

namespace {

TEST(HostileEtcEncoder, DimensionsAndShortSources)
{
    std::vector<u8> src(64 * 3, 0x42), dst(64, 0xEE);
    struct SCase {
        u32 w, h;
        u64 size; // the size query's answer
    };
    const SCase cases[] = {{0, 0, 0}, {65536, 65536, 65536ull * 65536 / 2}, {0xFFFFFFFFu, 1, (1ull << 30) * 8},
                           {0xFFFFFFFFu, 0xFFFFFFFFu, (1ull << 60) * 8}};
    for (const SCase& c : cases) {
        EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, c.w, c.h, ETC1, 0, 0), c.size) << c.w << "x" << c.h;
        EXPECT_EQ(EncodeETCImage(src.data(), 0, nullptr, c.w, c.h, ETC1, 0, 0), c.size) << "null dst";
        // A source far shorter than the dimensions: refused before anything is read or allocated.
        EXPECT_EQ(EncodeETCImage(src.data(), src.size(), dst.data(), c.w, c.h, ETC1, 0, 0), 0u) << c.w << "x" << c.h;
    }
    EXPECT_EQ(dst, std::vector<u8>(64, 0xEE));

    // Every shorter source is refused; the exact size is read to its end and no further (ASan).
    for (auto [w, h] : {std::pair<u32, u32>{1, 1}, {1, 7}, {7, 1}, {5, 3}}) {
        const u64 needed = u64(w) * h * 3, out = EncodeETCImage(nullptr, 0, nullptr, w, h, ETC1, 0, 0);
        std::vector<u8> blocks(out);
        for (u64 size = 0; size <= needed; ++size) {
            std::unique_ptr<u8[]> exact(new u8[size]);
            std::fill_n(exact.get(), size, u8(size * 37));
            EXPECT_EQ(EncodeETCImage(exact.get(), size, blocks.data(), w, h, ETC1, 0, 0), size == needed ? out : 0)
                << w << "x" << h << " from " << size << " bytes";
        }
    }
}

TEST(HostileEtcEncoder, BadQualitiesSignsAndIds)
{
    const std::vector<u8> src(16 * 8, 0x42);
    std::vector<u8> dst(32, 0xEE);
    for (i32 quality : {-1, 6, 255, -2147483647 - 1, 2147483647})
        EXPECT_EQ(EncodeETCImage(src.data(), src.size(), dst.data(), 4, 4, ETC1, quality, 0), 0u) << quality;
    EXPECT_EQ(EncodeETCImage(src.data(), src.size(), dst.data(), 4, 4, ETC1, 0, 1), 0u) << "signed ETC1";
    EXPECT_EQ(EncodeETCImage(src.data(), src.size(), dst.data(), 4, 4, ETC1, 1, 0xFFFFFFFFu), 0u) << "signed ETC1";
    for (u32 id : {0u, 5u, 7u, 21u, 27u, 0xFFFFFFFFu}) {
        EXPECT_EQ(EncodeETCImage(src.data(), src.size(), dst.data(), 4, 4, id, 0, 0), 0u) << id;
        EXPECT_EQ(EncodeETCImage(nullptr, 0, nullptr, 4, 4, id, 0, 0), 0u) << "size query of id " << id;
    }
    EXPECT_EQ(dst, std::vector<u8>(32, 0xEE));
}

TEST(HostileEtcEncoder, ImagesOfOneColour)
{
    struct SCase {
        const char* what;
        u8 r, g, b;
        int worst; // the largest channel difference after decoding
    };
    // White and black are held exactly; a channel at 255 alone is 2 off at worst (table 0's -2 step).
    const SCase cases[] = {{"black", 0, 0, 0, 0}, {"white", 255, 255, 255, 0}, {"red only", 255, 0, 0, 2},
                           {"green only", 0, 255, 0, 2}, {"blue only", 0, 0, 255, 2}};
    for (const SCase& c : cases)
        for (i32 quality : {0, 1})
            for (auto [w, h] : {std::pair<u32, u32>{1, 1}, {13, 6}}) {
                std::vector<u8> src(u64(w) * h * 3), back(src.size());
                for (u64 i = 0; i < src.size(); i += 3)
                    src[i] = c.r, src[i + 1] = c.g, src[i + 2] = c.b;
                std::vector<u8> blocks(EncodeETCImage(nullptr, 0, nullptr, w, h, ETC1, 0, 0));
                ASSERT_EQ(EncodeETCImage(src.data(), src.size(), blocks.data(), w, h, ETC1, quality, 0), blocks.size());
                ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), back.data(), w, h, ETC1, 0, 0), back.size());
                int worst = 0;
                for (u64 i = 0; i < src.size(); ++i)
                    worst = std::max(worst, std::abs(int(src[i]) - back[i]));
                EXPECT_LE(worst, c.worst) << c.what << " quality " << quality << " " << w << "x" << h;
            }
}

} // namespace
