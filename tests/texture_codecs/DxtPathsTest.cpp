// Every DXT decode path (AVX2, SSSE3, streaming stores) gives the bytes of the texel-by-texel path,
// on sizes with odd block counts, clipped edges and a level larger than the last-level cache.
#include "../../texture/Library/Source/Codecs/DxtBlocks.h"
#include "CodecTestSupport.h"
#include "XQFTextureCodecs.h"

#include <random>

namespace {

using namespace xqftexture;

struct SPathCase { u32 width, height; };

std::vector<u8> RandomBlocks(u32 width, u32 height, u32 mode, u32 seed)
{
    const u64 blocks = u64((width + 3) / 4) * ((height + 3) / 4);
    std::vector<u8> data(blocks * (mode == 1 ? 8 : 16));
    std::mt19937 rng(seed);
    for (u8& b : data)
        b = u8(rng());
    return data;
}

std::vector<u8> Decode(const std::vector<u8>& src, u32 width, u32 height, u32 mode, int level)
{
    dxt::LimitRunInstructions(level);
    std::vector<u8> out(u64(width) * height * 4, 0xCD);
    const u64 n = DecompressDXT(src.data(), src.size(), out.data(), width, height, mode);
    dxt::LimitRunInstructions(2);
    EXPECT_EQ(n, out.size());
    return out;
}

TEST(DxtPaths, EveryInstructionSetMatchesTheTexelPath)
{
    const SPathCase cases[] = {{1, 1}, {4, 4}, {5, 3}, {36, 8}, {68, 20}, {132, 9}, {4104, 12}};
    for (u32 mode : {1u, 3u, 5u})
        for (const SPathCase& c : cases) {
            const std::vector<u8> src = RandomBlocks(c.width, c.height, mode, c.width * 31 + mode);
            const std::vector<u8> reference = Decode(src, c.width, c.height, mode, 0);
            for (int level : {1, 2})
                EXPECT_EQ(Decode(src, c.width, c.height, mode, level), reference)
                    << "mode " << mode << ", " << c.width << "x" << c.height << ", level " << level;
        }
}

TEST(DxtPaths, LevelLargerThanTheCacheIsStreamedWithTheSameBytes)
{
    const u32 width = 4096, height = 2304;                   // 36 MiB of output, past any capped cache
    const std::vector<u8> src = RandomBlocks(width, height, 5, 7);
    std::vector<u8> reference = Decode(src, width, height, 5, 0);
    const std::vector<u8> streamed = Decode(src, width, height, 5, 2);
    EXPECT_TRUE(streamed == reference);
    const std::vector<u8> src1 = RandomBlocks(width, height, 1, 8);
    reference = Decode(src1, width, height, 1, 0);
    EXPECT_TRUE(Decode(src1, width, height, 1, 1) == reference);
}

} // namespace
