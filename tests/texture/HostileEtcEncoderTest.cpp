// Hostile inputs to the ETC encoder: absurd dimensions, short sources, null pointers, bad qualities,
// signs and ids, and images of one colour. Run under ASan/UBSan as well.
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureScratch.h"
#include "XQFTextureThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
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
    // The largest level's source bytes do not fit 64 bits: no encode can run, so no size is given.
    const SCase cases[] = {{0, 0, 0}, {65536, 65536, 65536ull * 65536 / 2}, {0xFFFFFFFFu, 1, (1ull << 30) * 8},
                           {0xFFFFFFFFu, 0xFFFFFFFFu, 0}};
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

// Encodes and decodes w x h pixels of one format; the decoded bytes, empty when either step failed.
std::vector<u8> RoundTrip(const std::vector<u8>& in, u32 w, u32 h, u32 id, i32 quality, u32 isSigned = 0)
{
    std::vector<u8> blocks(EncodeETCImage(nullptr, 0, nullptr, w, h, id, 0, 0)), out(in.size());
    if (EncodeETCImage(in.data(), in.size(), blocks.data(), w, h, id, quality, isSigned) != blocks.size() ||
        DecodeETCImage(blocks.data(), blocks.size(), out.data(), w, h, id, isSigned, 0) != out.size())
        out.clear();
    return out;
}

TEST(HostileEtcEncoder, Etc2ColourAndAlphaExtremes)
{
    struct SCase {
        const char* what;
        std::array<u8, 4> a, b; // pixels alternate a and b (a only when equal)
        int worstColour;        // the largest colour difference after decoding, over opaque pixels
    };
    const SCase cases[] = {
        {"uniform grey", {128, 128, 128, 255}, {128, 128, 128, 255}, 2},
        {"black and white", {0, 0, 0, 255}, {255, 255, 255, 255}, 0},
        {"255 and 0 in single channels", {255, 0, 0, 255}, {0, 0, 255, 255}, 0},
        {"alpha 0 and 255", {10, 200, 30, 0}, {240, 20, 90, 255}, 8},
        {"alpha 127 and 128", {90, 90, 90, 127}, {90, 90, 90, 128}, 2},
        {"all transparent", {50, 60, 70, 0}, {200, 10, 10, 0}, 255},
    };
    for (const SCase& c : cases)
        for (u32 id : {ETC2_RGB, ETC2_RGBA, ETC2_RGB_A1})
            for (i32 quality : {0, 1})
                for (auto [w, h] : {std::pair<u32, u32>{1, 1}, {8, 5}}) {
                    std::vector<u8> in(u64(w) * h * 4);
                    for (u64 p = 0; p < u64(w) * h; ++p)
                        std::copy_n(((p + p / w) % 2 ? c.b : c.a).data(), 4, &in[4 * p]);
                    const std::vector<u8> out = RoundTrip(in, w, h, id, quality);
                    ASSERT_EQ(out.size(), in.size()) << c.what << " id " << id;
                    int worst = 0;
                    for (u64 p = 0; p < u64(w) * h; ++p) {
                        const u8 expectedAlpha = id == ETC2_RGB ? 255 : id == ETC2_RGB_A1 ? (in[4 * p + 3] < 128 ? 0 : 255)
                                                                                           : in[4 * p + 3];
                        if (id != ETC2_RGBA) { // the EAC alpha of RGBA8 is checked for exact steps below
                            EXPECT_EQ(out[4 * p + 3], expectedAlpha) << c.what << " id " << id << " pixel " << p;
                        }
                        if (id == ETC2_RGB_A1 && expectedAlpha == 0)
                            continue;
                        for (u32 ch = 0; ch < 3; ++ch)
                            worst = std::max(worst, std::abs(int(in[4 * p + ch]) - out[4 * p + ch]));
                    }
                    if (c.worstColour < 255) {
                        EXPECT_LE(worst, c.worstColour) << c.what << " id " << id << " quality " << quality;
                    }
                    if (id == ETC2_RGBA && c.a[3] % 255 == 0 && c.b[3] % 255 == 0) {
                        for (u64 p = 0; p < u64(w) * h; ++p)
                            EXPECT_EQ(out[4 * p + 3], in[4 * p + 3]) << c.what << " alpha of pixel " << p;
                    }
                }
}

TEST(HostileEtcEncoder, EacExtremes)
{
    struct SCase {
        const char* what;
        u16 a, b;
        bool isSigned;
    };
    const SCase cases[] = {{"65535 everywhere", 65535, 65535, false}, {"0 everywhere", 0, 0, false},
                           {"0 and 65535", 0, 65535, false},       {"signed -32768 and 32767", 0x8000, 0x7FFF, true},
                           {"signed -32768", 0x8000, 0x8000, true}, {"signed 0", 0, 0, true}};
    for (const SCase& c : cases)
        for (u32 id : {EAC_R11, EAC_RG11})
            for (auto [w, h] : {std::pair<u32, u32>{1, 1}, {6, 5}}) {
                const u32 channels = id == EAC_R11 ? 1 : 2;
                std::vector<u16> values(u64(w) * h * channels);
                for (u64 i = 0; i < values.size(); ++i)
                    values[i] = (i / channels + i) % 2 ? c.b : c.a;
                std::vector<u8> in(values.size() * 2);
                std::memcpy(in.data(), values.data(), in.size());
                const std::vector<u8> out = RoundTrip(in, w, h, id, 3, c.isSigned);
                ASSERT_EQ(out.size(), in.size()) << c.what;
                for (u64 i = 0; i < values.size(); ++i) {
                    u16 v;
                    std::memcpy(&v, &out[2 * i], 2);
                    // Signed -32768 comes back as -32767, the most negative value the format holds.
                    const int expected = c.isSigned ? std::max(int(i16(values[i])), -32767) : values[i];
                    EXPECT_EQ(c.isSigned ? int(i16(v)) : int(v), expected) << c.what << " value " << i;
                }
            }
}

} // namespace

namespace {

// Makes the scratch allocation numbered g_failAt (from 1) fail; counts them all.
std::atomic<u32> g_allocations{0}, g_failAt{0};
bool CountingHook(u64)
{
    return ++g_allocations != g_failAt.load();
}

TEST(HostileEtcEncoder, InjectedAllocationFailuresGiveZero)
{
    const std::vector<u8> rgba = [] {
        std::vector<u8> v(4 * 4 * 4);
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = u8(i * 37);
        return v;
    }();
    std::vector<u8> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgb.insert(rgb.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 3);
    SetThreadLimit(1); // one worker: its tables are allocated in a fixed order
    struct SCase {
        u32 id;
        i32 quality;
        const std::vector<u8>& in;
    };
    // ETC1 needs the differential tables, ETC2 all of them (the sanitizer build is slow at these
    // qualities: one ETC2 case).
    for (const SCase& c : {SCase{ETC1, 2, rgb}, SCase{ETC2_RGBA, 3, rgba}}) {
        std::vector<u8> out(EncodeETCImage(nullptr, 0, nullptr, 4, 4, c.id, 0, 0));
        g_allocations = 0;
        g_failAt = 0;
        SetScratchAllocHook(CountingHook);
        ASSERT_EQ(EncodeETCImage(c.in.data(), c.in.size(), out.data(), 4, 4, c.id, c.quality, 0), out.size());
        const u32 total = g_allocations.load();
        EXPECT_GE(total, c.id == ETC1 ? 4u : 15u) << "one allocation a table";
        for (u32 failAt = 1; failAt <= total; ++failAt) {
            g_allocations = 0;
            g_failAt = failAt;
            EXPECT_EQ(EncodeETCImage(c.in.data(), c.in.size(), out.data(), 4, 4, c.id, c.quality, 0), 0u)
                << "id " << c.id << " quality " << c.quality << ", allocation " << failAt << " of " << total;
        }
        SetScratchAllocHook(nullptr);
        if (c.id == ETC1) {
            EXPECT_EQ(EncodeETCImage(c.in.data(), c.in.size(), out.data(), 4, 4, c.id, c.quality, 0), out.size())
                << "the next call works again";
        }
    }
    SetThreadLimit(0);
}

TEST(HostileEtcEncoder, ExhaustiveQualitiesOnExtremeBlocks)
{
    struct SCase {
        const char* what;
        std::array<u8, 3> a, b;
    };
    const SCase cases[] = {{"black and white", {0, 0, 0}, {255, 255, 255}},
                           {"uniform 255", {255, 255, 255}, {255, 255, 255}},
                           {"channels at 0 and 255", {255, 0, 255}, {0, 255, 0}},
                           {"exact for the fast path", {17, 34, 51}, {17, 34, 51}}};
    for (const SCase& c : cases)
        for (u32 id : {ETC1, ETC2_RGB, ETC2_RGBA})
            for (i32 quality : {2, 3}) {
                const u32 channels = id == ETC1 ? 3 : 4;
                const u32 w = quality == 3 ? 1 : 4, h = quality == 3 ? 1 : 4; // 1 x 1 at quality 3
                std::vector<u8> in(u64(w) * h * channels, 255);
                for (u32 p = 0; p < w * h; ++p)
                    std::copy_n((p % 3 ? c.b : c.a).data(), 3, &in[p * channels]);
                const std::vector<u8> out = RoundTrip(in, w, h, id, quality);
                ASSERT_EQ(out.size(), in.size()) << c.what << " id " << id << " quality " << quality;
                int worst = 0;
                for (u32 p = 0; p < w * h; ++p)
                    for (u32 ch = 0; ch < 3; ++ch)
                        worst = std::max(worst, std::abs(int(in[p * channels + ch]) - out[p * channels + ch]));
                if (id != ETC1 || c.a == c.b) { // ETC1 cannot hold black and white in one half exactly
                    EXPECT_LE(worst, c.a == c.b ? 2 : 0) << c.what << " id " << id << " quality " << quality;
                }
            }
}

} // namespace
