// Hostile input for the DXT, packed and XQFTC codecs: every level size from 1x1 up, including sizes
// that are not whole blocks, odd widths of the pair formats and 1 bpp widths that are not a multiple
// of 8. Each decoder accepts exactly the bytes the level's size rule gives, refuses one byte less
// without writing, and never writes past the level; each encoder writes exactly that size.
// Buffers are exact-size heap blocks so that the sanitizers see any read past them.
#include "CodecTestSupport.h"
#include "TextureHeader.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <functional>
#include <memory>
#include <random>

namespace {

using namespace codectest;

using Entry = std::function<u64(const void* src, u64 size, void* dst, u32 width, u32 height)>;

struct SCodec {
    const char* name;
    u32 id;
    u32 decodedBytes; // per pixel
    Entry decode;
    Entry encode; // empty when there is no encoder here
};

std::vector<SCodec> Codecs()
{
    std::vector<SCodec> codecs;
    for (u32 mode = 1; mode <= 5; ++mode)
        codecs.push_back({"DXT", 6 + mode, 4,
                          [mode](auto s, u64 n, auto d, u32 w, u32 h) { return DecompressDXT(s, n, d, w, h, mode); },
                          [mode](auto s, u64 n, auto d, u32 w, u32 h) { return CompressDXT(s, n, d, w, h, mode); }});
    for (u32 id = 0; id <= 5; ++id)
        codecs.push_back({"XQFTC", id, 4, [id](auto s, u64 n, auto d, u32 w, u32 h) {
                              return DecompressXQFTCImage(s, n, d, w, h, id == 0 || id == 1 || id == 4, id >= 4);
                          }, nullptr});
    for (u32 id : {16u, 17u})
        codecs.push_back({"YUV 4:2:2", id, 4,
                          [id](auto s, u64 n, auto d, u32 w, u32 h) { return DecompressYUV422(s, n, d, w, h, id); },
                          [id](auto s, u64 n, auto d, u32 w, u32 h) { return CompressYUV422(s, n, d, w, h, id); }});
    for (u32 id : {20u, 21u})
        codecs.push_back({"RGBG", id, 4,
                          [id](auto s, u64 n, auto d, u32 w, u32 h) { return DecompressRGBG(s, n, d, w, h, id); },
                          [id](auto s, u64 n, auto d, u32 w, u32 h) { return CompressRGBG(s, n, d, w, h, id); }});
    codecs.push_back({"1 bpp", 18, 4, DecompressBW1bpp, CompressBW1bpp});
    codecs.push_back({"RGB9E5", 19, 12, DecompressSharedExponentR9G9B9E5, CompressSharedExponentR9G9B9E5});
    return codecs;
}

u64 LevelSize(u32 id, u32 width, u32 height)
{
    CTextureHeader header;
    header.SetPixelFormat(PixelFormat(u64(id)));
    header.SetWidth(width);
    header.SetHeight(height);
    return header.GetDataSize(0, false, false);
}

// An exact-size heap copy of random bytes.
std::unique_ptr<u8[]> RandomBytes(u64 size, std::mt19937& random)
{
    std::unique_ptr<u8[]> bytes(new u8[size ? size : 1]);
    for (u64 i = 0; i < size; ++i)
        bytes[i] = u8(random());
    return bytes;
}

const std::pair<u32, u32> kSizes[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 7}, {1, 9}, {7, 1}, {9, 2},
                                      {17, 3}, {13, 6}, {16, 8}, {8, 32}, {3, 17}, {33, 5}, {12, 12}};
constexpr u8 kUnset = 0xCD;

TEST(CodecHostile, DecodersTakeExactlyTheLevelSizeAndRefuseLess)
{
    std::mt19937 random(7);
    for (const SCodec& c : Codecs())
        for (auto [w, h] : kSizes) {
            const u64 need = LevelSize(c.id, w, h), outBytes = u64(w) * h * c.decodedBytes;
            ASSERT_GT(need, 0u) << c.name << " " << c.id;
            const std::string what = std::string(c.name) + " id " + std::to_string(c.id) + " " + std::to_string(w) +
                                     "x" + std::to_string(h);
            std::vector<u8> out(outBytes + 64, kUnset);

            auto exact = RandomBytes(need, random);
            EXPECT_EQ(c.decode(exact.get(), need, out.data(), w, h), outBytes) << what;
            EXPECT_EQ(std::count(out.begin() + outBytes, out.end(), kUnset), 64) << what << ": wrote past the level";

            std::fill(out.begin(), out.end(), kUnset);
            auto shorter = RandomBytes(need - 1, random);
            EXPECT_EQ(c.decode(shorter.get(), need - 1, out.data(), w, h), 0u) << what << ": short data";
            EXPECT_EQ(std::count(out.begin(), out.end(), kUnset), i64(out.size())) << what << ": wrote on refusal";

            EXPECT_EQ(c.decode(exact.get(), need, out.data(), 0, h), 0u) << what << ": zero width";
            EXPECT_EQ(c.decode(exact.get(), need, out.data(), w, 0), 0u) << what << ": zero height";
        }
}

TEST(CodecHostile, HugeDimensionsWithLittleDataAreRefused)
{
    std::mt19937 random(8);
    auto data = RandomBytes(4096, random);
    std::vector<u8> out(64, kUnset);
    for (const SCodec& c : Codecs())
        for (auto [w, h] : {std::pair<u32, u32>{0xFFFFFFFF, 0xFFFFFFFF}, {0xFFFFFFFF, 1}, {1, 0x80000000}}) {
            EXPECT_EQ(c.decode(data.get(), 4096, out.data(), w, h), 0u)
                << c.name << " " << c.id << " " << w << "x" << h;
            if (c.encode) {
                EXPECT_EQ(c.encode(data.get(), 4096, out.data(), w, h), 0u) << c.name << " " << c.id;
            }
        }
    EXPECT_EQ(std::count(out.begin(), out.end(), kUnset), 64);
}

TEST(CodecHostile, EncodersWriteTheLevelSizeAndRefuseShortInput)
{
    std::mt19937 random(9);
    for (const SCodec& c : Codecs()) {
        if (!c.encode)
            continue;
        for (auto [w, h] : kSizes) {
            const std::string what = std::string(c.name) + " id " + std::to_string(c.id) + " " + std::to_string(w) +
                                     "x" + std::to_string(h);
            const u64 inBytes = u64(w) * h * c.decodedBytes, need = LevelSize(c.id, w, h);
            auto in = RandomBytes(inBytes, random);
            std::unique_ptr<u8[]> encoded(new u8[need]);
            ASSERT_EQ(c.encode(in.get(), inBytes, encoded.get(), w, h), need) << what;
            std::vector<u8> decoded(inBytes);
            EXPECT_EQ(c.decode(encoded.get(), need, decoded.data(), w, h), inBytes) << what << ": round trip";
            EXPECT_EQ(c.encode(in.get(), inBytes - 1, encoded.get(), w, h), 0u) << what << ": short input";
        }
    }
}

} // namespace
