// Random DXT1/3/5 blocks and RGB9E5 texels decode as Mesa decodes them (softpipe: bit for bit).
#include "CodecTestSupport.h"
#include "MesaTexture.h"
#include "XQFTextureCodecs.h"

#include <cmath>
#include <random>

namespace {

using namespace codectest;

xqft::test::CMesaTexture* Mesa()
{
    xqft::test::CMesaTexture& mesa = xqft::test::CMesaTexture::Instance();
    return mesa.Available() ? &mesa : nullptr;
}

TEST(DxtMesa, RandomBlocksDecodeAsMesaDecodesThem)
{
    if (!Mesa())
        GTEST_SKIP() << "no Mesa context: " << xqft::test::CMesaTexture::Instance().Reason();
    struct {
        u32 mode, glInternalFormat, blockBytes;
    } formats[] = {{1, 0x83F1, 8}, {3, 0x83F2, 16}, {5, 0x83F3, 16}}; // the RGBA DXT1, DXT3, DXT5 enums
    const u32 blocksX = 64, blocksY = 64, width = 4 * blocksX, height = 4 * blocksY;
    for (const auto& f : formats) {
        std::vector<u8> blocks(u64(blocksX) * blocksY * f.blockBytes);
        std::mt19937 random(f.mode);
        for (u8& b : blocks)
            b = u8(random());
        // Every other block gets its colour endpoints swapped, so both orders are well covered.
        for (u64 at = f.blockBytes - 8; at < blocks.size(); at += 2 * f.blockBytes)
            std::swap_ranges(blocks.begin() + at, blocks.begin() + at + 2, blocks.begin() + at + 2);

        std::vector<Rgba8> ours(u64(width) * height);
        ASSERT_EQ(DecompressDXT(blocks.data(), blocks.size(), ours.data(), width, height, f.mode), ours.size() * 4);
        std::vector<float> theirs;
        ASSERT_TRUE(Mesa()->FetchTexels({.internalFormat = f.glInternalFormat, .width = width, .height = height,
                                         .data = blocks.data(), .size = blocks.size(), .compressed = true},
                                        theirs))
            << Mesa()->Reason();
        u32 mismatches = 0;
        for (u64 texel = 0; texel < ours.size() && mismatches < 10; ++texel) {
            const float* t = &theirs[4 * texel];
            const Rgba8 expected{u8(std::lround(t[0] * 255)), u8(std::lround(t[1] * 255)), u8(std::lround(t[2] * 255)),
                                 u8(std::lround(t[3] * 255))};
            if (!(ours[texel] == expected)) {
                ADD_FAILURE() << "dxt" << f.mode << " texel (" << texel % width << ", " << texel / width
                              << "): ours " << ours[texel] << ", Mesa " << expected;
                ++mismatches;
            }
        }
    }
}

TEST(Rgb9e5Mesa, RandomTexelsDecodeAsMesaDecodesThem)
{
    if (!Mesa())
        GTEST_SKIP() << "no Mesa context: " << xqft::test::CMesaTexture::Instance().Reason();
    const u32 width = 64, height = 64;
    std::vector<u32> words(width * height);
    std::mt19937 random(19);
    for (u32& w : words)
        w = u32(random());
    std::vector<float> ours(words.size() * 3);
    ASSERT_EQ(DecompressSharedExponentR9G9B9E5(words.data(), words.size() * 4, ours.data(), width, height),
              ours.size() * 4);
    std::vector<float> theirs;
    ASSERT_TRUE(Mesa()->FetchTexels({.internalFormat = 0x8C3D, .width = width, .height = height, .data = words.data(),
                                     .size = words.size() * 4, .format = 0x1907, .type = 0x8C3E}, // GL_RGB9_E5
                                    theirs))
        << Mesa()->Reason();
    u32 mismatches = 0;
    for (u64 texel = 0; texel < words.size() && mismatches < 10; ++texel)
        for (int c = 0; c < 3; ++c)
            if (ours[3 * texel + c] != theirs[4 * texel + c]) {
                ADD_FAILURE() << "texel " << texel << " word 0x" << std::hex << words[texel] << std::dec << " channel "
                              << c << ": ours " << ours[3 * texel + c] << ", Mesa " << theirs[4 * texel + c];
                ++mismatches;
            }
}

} // namespace
