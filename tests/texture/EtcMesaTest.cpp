// Random ETC2 and EAC blocks decode bit for bit as Mesa decodes them.
#include "MesaTest.h"
#include "XQFTextureCodecs.h"
#include "PixelFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace xqftexture;

namespace {

struct SEtcFormat {
    const char* name;
    u32 id;
    u32 glInternalFormat;
    u32 blockBytes;
    bool isSigned;
    u32 channels;    // decoded channels
    u32 channelBits; // 8 or 16
};

const SEtcFormat kFormats[] = {
    {"ETC2 RGB8", ETC2_RGB, 0x9274, 8, false, 4, 8},
    {"ETC2 RGBA8", ETC2_RGBA, 0x9278, 16, false, 4, 8},
    {"ETC2 RGB8 punch-through", ETC2_RGB_A1, 0x9276, 8, false, 4, 8},
    {"EAC R11", EAC_R11, 0x9270, 8, false, 1, 16},
    {"EAC R11 signed", EAC_R11, 0x9271, 8, true, 1, 16},
    {"EAC RG11", EAC_RG11, 0x9272, 16, false, 2, 16},
    {"EAC RG11 signed", EAC_RG11, 0x9273, 16, true, 2, 16},
};

void PrintTo(const SEtcFormat& f, std::ostream* os) { *os << f.name; }

// Mesa's float texel back to the integer it was made from.
i32 FromFloat(float f, const SEtcFormat& fmt)
{
    if (fmt.channelBits == 8)
        return i32(std::lround(f * 255.0f));
    return fmt.isSigned ? i32(std::lround(f * 32767.0f)) : i32(std::lround(f * 65535.0f));
}

i32 OurValue(const std::vector<u8>& out, u64 texel, u32 channel, const SEtcFormat& fmt)
{
    if (fmt.channelBits == 8)
        return out[texel * fmt.channels + channel];
    u16 v;
    std::memcpy(&v, &out[(texel * fmt.channels + channel) * 2], 2);
    return fmt.isSigned ? i32(i16(v)) : i32(v);
}

using EtcAgainstMesa = xqft::test::CMesaRowTest<SEtcFormat>;

TEST_P(EtcAgainstMesa, TenThousandRandomBlocksDecodeAsMesaDoes)
{
    xqft::test::CMesaTexture& mesa = Mesa();
    const SEtcFormat& fmt = GetParam();
    const u32 blocksX = 100, blocksY = 100, width = 4 * blocksX, height = 4 * blocksY;
    std::vector<u8> blocks(u64(blocksX) * blocksY * fmt.blockBytes);
    std::mt19937 random(fmt.glInternalFormat);
    for (u8& b : blocks)
        b = u8(random());

    const u64 outBytes = u64(width) * height * fmt.channels * fmt.channelBits / 8;
    std::vector<u8> ours(outBytes);
    ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), ours.data(), width, height, fmt.id, fmt.isSigned, 0),
              outBytes);

    std::vector<float> theirs;
    ASSERT_TRUE(mesa.FetchTexels({.internalFormat = fmt.glInternalFormat, .width = width, .height = height,
                                  .data = blocks.data(), .size = blocks.size(), .compressed = true},
                                 theirs))
        << mesa.Reason();
    u32 mismatches = 0;
    for (u64 texel = 0; texel < u64(width) * height && mismatches < 10; ++texel)
        for (u32 c = 0; c < fmt.channels; ++c) {
            const i32 expected = FromFloat(theirs[texel * 4 + c], fmt), actual = OurValue(ours, texel, c, fmt);
            if (expected != actual) {
                const u64 x = texel % width, y = texel / width, block = (y / 4) * blocksX + x / 4;
                ADD_FAILURE() << fmt.name << " texel (" << x << ", " << y << ") channel " << c << ": ours " << actual
                              << ", Mesa " << expected << ", block " << block;
                ++mismatches;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EtcAgainstMesa, ::testing::ValuesIn(kFormats), xqft::test::SRowName());

} // namespace
