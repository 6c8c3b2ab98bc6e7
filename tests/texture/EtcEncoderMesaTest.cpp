// What the ETC encoder writes for the image set decodes in Mesa to the pixels our decoder gives.
#include "ImageSet.h"
#include "MesaTest.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace xqftexture;

namespace {

struct SEncoderRow {
    const char* name;
    u32 id;
    i32 quality;
    u32 glInternalFormat;
    bool isSigned;
};

void PrintTo(const SEncoderRow& r, std::ostream* os) { *os << r.name; }

// ETC1 goes up as ETC2 RGB8, which decodes ETC1 data alike (desktop GL has no ETC1 format); that
// our ETC1 output never takes an ETC2 mode is etc1tool's test.
const SEncoderRow kRows[] = {
    {"ETC1 quality 0", ETC1, 0, 0x9274, false},
    {"ETC1 quality 1", ETC1, 1, 0x9274, false},
    {"ETC2 RGB8 quality 0", ETC2_RGB, 0, 0x9274, false},
    {"ETC2 RGB8 quality 1", ETC2_RGB, 1, 0x9274, false},
    {"ETC2 RGBA8 quality 0", ETC2_RGBA, 0, 0x9278, false},
    {"ETC2 RGBA8 quality 1", ETC2_RGBA, 1, 0x9278, false},
    {"ETC2 punch-through", ETC2_RGB_A1, 0, 0x9276, false},
    {"EAC R11", EAC_R11, 0, 0x9270, false},
    {"EAC R11 signed", EAC_R11, 0, 0x9271, true},
    {"EAC RG11", EAC_RG11, 0, 0x9272, false},
    {"EAC RG11 signed", EAC_RG11, 0, 0x9273, true},
    {"ETC1 quality 2", ETC1, 2, 0x9274, false},
    {"ETC1 quality 3", ETC1, 3, 0x9274, false},
    {"ETC2 RGB8 quality 2", ETC2_RGB, 2, 0x9274, false},
    {"ETC2 RGB8 quality 3", ETC2_RGB, 3, 0x9274, false},
    {"ETC2 RGBA8 quality 2", ETC2_RGBA, 2, 0x9278, false},
    {"ETC2 RGBA8 quality 3", ETC2_RGBA, 3, 0x9278, false},
};

// One input of a row: the image's name and its pixels in the encoder's input layout.
struct SInput {
    std::string name;
    std::vector<u8> bytes;
};

std::vector<SInput> Inputs(const SEncoderRow& row, u32 w, u32 h)
{
    std::vector<SInput> inputs;
    if (row.id == EAC_R11 || row.id == EAC_RG11) {
        for (const xqft::test::SImage16& image : xqft::test::Images16(w, h)) {
            if (image.isSigned != row.isSigned)
                continue;
            const std::vector<u16> values = row.id == EAC_R11 ? image.Channel(0) : image.rg;
            inputs.push_back({image.name, std::vector<u8>(values.size() * 2)});
            std::memcpy(inputs.back().bytes.data(), values.data(), values.size() * 2);
        }
    } else {
        for (const xqft::test::SColourImage& image : xqft::test::ColourImages(w, h))
            inputs.push_back({image.name, row.id == ETC1 ? image.Rgb() : image.rgba});
    }
    return inputs;
}

using EtcEncoderAgainstMesa = xqft::test::CMesaRowTest<SEncoderRow>;

TEST_P(EtcEncoderAgainstMesa, ImageSetOutputDecodesAsMesaDecodesIt)
{
    const SEncoderRow& row = GetParam();
    const bool eac = row.id == EAC_R11 || row.id == EAC_RG11;
    const u32 channels = row.id == ETC1 ? 3 : row.id == EAC_R11 ? 1 : row.id == EAC_RG11 ? 2 : 4;
    // The exhaustive qualities take milliseconds a block: small images for them.
    const std::vector<std::pair<u32, u32>> sizes =
        row.quality >= 2 ? std::vector<std::pair<u32, u32>>{{8, 7}} : std::vector<std::pair<u32, u32>>{{32, 32}, {37, 21}};
    for (auto [w, h] : sizes)
        for (const SInput& input : Inputs(row, w, h)) {
            std::vector<u8> blocks(EncodeETCImage(nullptr, 0, nullptr, w, h, row.id, 0, 0));
            ASSERT_EQ(EncodeETCImage(input.bytes.data(), input.bytes.size(), blocks.data(), w, h, row.id, row.quality,
                                     row.isSigned),
                      blocks.size());
            std::vector<u8> ours(u64(w) * h * channels * (eac ? 2 : 1));
            ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), ours.data(), w, h, row.id, row.isSigned, 0), ours.size());
            std::vector<float> theirs;
            ASSERT_TRUE(Mesa().FetchTexels({.internalFormat = row.glInternalFormat, .width = w, .height = h,
                                            .data = blocks.data(), .size = blocks.size(), .compressed = true},
                                           theirs))
                << Mesa().Reason();
            u32 mismatches = 0;
            for (u64 p = 0; p < u64(w) * h && mismatches < 5; ++p)
                for (u32 c = 0; c < channels; ++c) {
                    i32 mine, mesa;
                    if (eac) {
                        u16 v;
                        std::memcpy(&v, &ours[(p * channels + c) * 2], 2);
                        mine = row.isSigned ? i32(i16(v)) : i32(v);
                        mesa = i32(std::lround(theirs[p * 4 + c] * (row.isSigned ? 32767.0f : 65535.0f)));
                    } else {
                        mine = ours[p * channels + c];
                        mesa = i32(std::lround(theirs[p * 4 + c] * 255.0f));
                    }
                    if (mine != mesa) {
                        ADD_FAILURE() << row.name << ", " << input.name << " " << w << "x" << h << ": pixel " << p
                                      << " channel " << c << ": ours " << mine << ", Mesa " << mesa;
                        ++mismatches;
                    }
                }
        }
}

INSTANTIATE_TEST_SUITE_P(EncodedImages, EtcEncoderAgainstMesa, ::testing::ValuesIn(kRows), xqft::test::SRowName());

} // namespace
