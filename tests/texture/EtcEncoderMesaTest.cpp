// What the ETC encoder writes for the image set decodes in Mesa to the pixels our decoder gives.
#include "ImageSet.h"
#include "MesaTest.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace xqftexture;

namespace {

struct SEncoderRow {
    const char* name;
    u32 id;
    i32 quality;
    u32 glInternalFormat;
};

void PrintTo(const SEncoderRow& r, std::ostream* os) { *os << r.name; }

// ETC1 goes up as ETC2 RGB8, which decodes ETC1 data alike (desktop GL has no ETC1 format); that
// our ETC1 output never takes an ETC2 mode is etc1tool's test.
const SEncoderRow kRows[] = {
    {"ETC1 quality 0", ETC1, 0, 0x9274},
    {"ETC1 quality 1", ETC1, 1, 0x9274},
};

using EtcEncoderAgainstMesa = xqft::test::CMesaRowTest<SEncoderRow>;

TEST_P(EtcEncoderAgainstMesa, ImageSetOutputDecodesAsMesaDecodesIt)
{
    const SEncoderRow& row = GetParam();
    for (auto [w, h] : {std::pair<u32, u32>{64, 64}, {37, 21}})
        for (const xqft::test::SColourImage& image : xqft::test::ColourImages(w, h)) {
            const std::vector<u8> rgb = image.Rgb();
            std::vector<u8> blocks(EncodeETCImage(nullptr, 0, nullptr, w, h, row.id, 0, 0));
            ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), blocks.data(), w, h, row.id, row.quality, 0), blocks.size());
            std::vector<u8> ours(u64(w) * h * 3);
            ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), ours.data(), w, h, row.id, 0, 0), ours.size());
            std::vector<float> theirs;
            ASSERT_TRUE(Mesa().FetchTexels({.internalFormat = row.glInternalFormat, .width = w, .height = h,
                                            .data = blocks.data(), .size = blocks.size(), .compressed = true},
                                           theirs))
                << Mesa().Reason();
            u32 mismatches = 0;
            for (u64 p = 0; p < u64(w) * h && mismatches < 5; ++p)
                for (u32 c = 0; c < 3; ++c)
                    if (std::lround(theirs[p * 4 + c] * 255.0f) != ours[p * 3 + c]) {
                        ADD_FAILURE() << row.name << ", " << image.name << " " << w << "x" << h << ": pixel " << p
                                      << " channel " << c;
                        ++mismatches;
                    }
        }
}

INSTANTIATE_TEST_SUITE_P(EncodedImages, EtcEncoderAgainstMesa, ::testing::ValuesIn(kRows), xqft::test::SRowName());

} // namespace
