// Every uncompressed GL format the mapping knows reaches the display as Mesa decodes the same upload.
#include "MesaTest.h"
#include "SmallFloat.h"
#include "TextureTranscoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace xqftexture;
using ESampler = xqft::test::SMesaUpload::ESampler;

namespace {

enum class EData { Bytes, Floats, Halves, SmallFloats };
enum class ESwizzle { RGBA, Alpha, Luminance, LuminanceAlpha };
// How Mesa's texel maps to the displayed value: normalised already, or an integer to normalise.
enum class EValue { Normalised, UnsignedInt, SignedInt };

struct SRow {
    const char* name;
    u32 internalFormat, format, type;             // the recorded upload
    u32 mesaInternalFormat, mesaFormat, mesaType; // the same bytes as Mesa is given them
    EData data;
    ESwizzle swizzle;
    EValue value;
    u32 intBits;   // integer formats: channel width
    i32 tolerance; // sRGB and float within 1
    ESampler sampler = ESampler::Float;
};

constexpr u32 kByte = 0x1400, kUByte = 0x1401, kShort = 0x1402, kUShort = 0x1403, kInt = 0x1404, kUInt = 0x1405,
              kFloat = 0x1406, kHalf = 0x140B, k4444 = 0x8033, k5551 = 0x8034, k565 = 0x8363, k2101010Rev = 0x8368,
              k10f11f11fRev = 0x8C3B;
constexpr u32 kRed = 0x1903, kRG = 0x8227, kAlpha = 0x1906, kRGB = 0x1907, kRGBA = 0x1908, kLum = 0x1909,
              kLumAlpha = 0x190A, kRedInt = 0x8D94, kRGInt = 0x8228, kRGBInt = 0x8D98, kRGBAInt = 0x8D99;

using D = EData;
using S = ESwizzle;
using V = EValue;

// The unsized base formats, one row per type: Mesa gets the sized format holding the same bits
// (32-bit normalised integers go to float formats, which GL fills with the normalised values).
#define XQF_BASE(name, gl, mesaFmt, swz, r8, r8s, r16, r16s, r32f)                                                  \
    {name " ubyte", gl, gl, kUByte, r8, mesaFmt, kUByte, D::Bytes, swz, V::Normalised, 0, 0},                     \
    {name " byte", gl, gl, kByte, r8s, mesaFmt, kByte, D::Bytes, swz, V::Normalised, 0, 0},                       \
    {name " ushort", gl, gl, kUShort, r16, mesaFmt, kUShort, D::Bytes, swz, V::Normalised, 0, 0},                 \
    {name " short", gl, gl, kShort, r16s, mesaFmt, kShort, D::Bytes, swz, V::Normalised, 0, 0},                   \
    {name " uint", gl, gl, kUInt, r32f, mesaFmt, kUInt, D::Bytes, swz, V::Normalised, 0, 1},                      \
    {name " int", gl, gl, kInt, r32f, mesaFmt, kInt, D::Bytes, swz, V::Normalised, 0, 1}

const SRow kRows[] = {
    XQF_BASE("GL_RED", kRed, kRed, S::RGBA, 0x8229, 0x8F94, 0x822A, 0x8F98, 0x822E),
    XQF_BASE("GL_RG", kRG, kRG, S::RGBA, 0x822B, 0x8F95, 0x822C, 0x8F99, 0x8230),
    XQF_BASE("GL_ALPHA", kAlpha, kRed, S::Alpha, 0x8229, 0x8F94, 0x822A, 0x8F98, 0x822E),
    XQF_BASE("GL_RGB", kRGB, kRGB, S::RGBA, 0x8051, 0x8F96, 0x8054, 0x8F9A, 0x8815),
    XQF_BASE("GL_RGBA", kRGBA, kRGBA, S::RGBA, 0x8058, 0x8F97, 0x805B, 0x8F9B, 0x8814),
    XQF_BASE("GL_LUMINANCE", kLum, kRed, S::Luminance, 0x8229, 0x8F94, 0x822A, 0x8F98, 0x822E),
    XQF_BASE("GL_LUMINANCE_ALPHA", kLumAlpha, kRG, S::LuminanceAlpha, 0x822B, 0x8F95, 0x822C, 0x8F99, 0x8230),
    {"GL_RGB 565", kRGB, kRGB, k565, 0x8D62, kRGB, k565, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA 4444", kRGBA, kRGBA, k4444, 0x8056, kRGBA, k4444, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA 5551", kRGBA, kRGBA, k5551, 0x8057, kRGBA, k5551, D::Bytes, S::RGBA, V::Normalised, 0, 0},

    {"GL_RGB8", 0x8051, kRGB, kUByte, 0x8051, kRGB, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA4", 0x8056, kRGBA, k4444, 0x8056, kRGBA, k4444, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGB5_A1", 0x8057, kRGBA, k5551, 0x8057, kRGBA, k5551, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA8", 0x8058, kRGBA, kUByte, 0x8058, kRGBA, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGB10_A2", 0x8059, kRGBA, k2101010Rev, 0x8059, kRGBA, k2101010Rev, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_R8", 0x8229, kRed, kUByte, 0x8229, kRed, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RG8", 0x822B, kRG, kUByte, 0x822B, kRG, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_R16F", 0x822D, kRed, kHalf, 0x822D, kRed, kHalf, D::Halves, S::RGBA, V::Normalised, 0, 1},
    {"GL_R32F", 0x822E, kRed, kFloat, 0x822E, kRed, kFloat, D::Floats, S::RGBA, V::Normalised, 0, 1},
    {"GL_RG16F", 0x822F, kRG, kHalf, 0x822F, kRG, kHalf, D::Halves, S::RGBA, V::Normalised, 0, 1},
    {"GL_RG32F", 0x8230, kRG, kFloat, 0x8230, kRG, kFloat, D::Floats, S::RGBA, V::Normalised, 0, 1},
    {"GL_R8I", 0x8231, kRedInt, kByte, 0x8231, kRedInt, kByte, D::Bytes, S::RGBA, V::SignedInt, 8, 0, ESampler::Signed},
    {"GL_R8UI", 0x8232, kRedInt, kUByte, 0x8232, kRedInt, kUByte, D::Bytes, S::RGBA, V::UnsignedInt, 8, 0, ESampler::Unsigned},
    {"GL_R16I", 0x8233, kRedInt, kShort, 0x8233, kRedInt, kShort, D::Bytes, S::RGBA, V::SignedInt, 16, 0, ESampler::Signed},
    {"GL_R16UI", 0x8234, kRedInt, kUShort, 0x8234, kRedInt, kUShort, D::Bytes, S::RGBA, V::UnsignedInt, 16, 0, ESampler::Unsigned},
    {"GL_R32I", 0x8235, kRedInt, kInt, 0x8235, kRedInt, kInt, D::Bytes, S::RGBA, V::SignedInt, 32, 1, ESampler::Signed},
    {"GL_R32UI", 0x8236, kRedInt, kUInt, 0x8236, kRedInt, kUInt, D::Bytes, S::RGBA, V::UnsignedInt, 32, 1, ESampler::Unsigned},
    {"GL_RG8I", 0x8237, kRGInt, kByte, 0x8237, kRGInt, kByte, D::Bytes, S::RGBA, V::SignedInt, 8, 0, ESampler::Signed},
    {"GL_RG8UI", 0x8238, kRGInt, kUByte, 0x8238, kRGInt, kUByte, D::Bytes, S::RGBA, V::UnsignedInt, 8, 0, ESampler::Unsigned},
    {"GL_RG16I", 0x8239, kRGInt, kShort, 0x8239, kRGInt, kShort, D::Bytes, S::RGBA, V::SignedInt, 16, 0, ESampler::Signed},
    {"GL_RG16UI", 0x823A, kRGInt, kUShort, 0x823A, kRGInt, kUShort, D::Bytes, S::RGBA, V::UnsignedInt, 16, 0, ESampler::Unsigned},
    {"GL_RG32I", 0x823B, kRGInt, kInt, 0x823B, kRGInt, kInt, D::Bytes, S::RGBA, V::SignedInt, 32, 1, ESampler::Signed},
    {"GL_RG32UI", 0x823C, kRGInt, kUInt, 0x823C, kRGInt, kUInt, D::Bytes, S::RGBA, V::UnsignedInt, 32, 1, ESampler::Unsigned},
    {"GL_RGBA32F", 0x8814, kRGBA, kFloat, 0x8814, kRGBA, kFloat, D::Floats, S::RGBA, V::Normalised, 0, 1},
    {"GL_RGB32F", 0x8815, kRGB, kFloat, 0x8815, kRGB, kFloat, D::Floats, S::RGBA, V::Normalised, 0, 1},
    {"GL_RGBA16F", 0x881A, kRGBA, kHalf, 0x881A, kRGBA, kHalf, D::Halves, S::RGBA, V::Normalised, 0, 1},
    {"GL_RGB16F", 0x881B, kRGB, kHalf, 0x881B, kRGB, kHalf, D::Halves, S::RGBA, V::Normalised, 0, 1},
    {"GL_R11F_G11F_B10F", 0x8C3A, kRGB, k10f11f11fRev, 0x8C3A, kRGB, k10f11f11fRev, D::SmallFloats, S::RGBA, V::Normalised, 0, 1},
    {"GL_SRGB8", 0x8C41, kRGB, kUByte, 0x8C41, kRGB, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 1},
    {"GL_SRGB8_ALPHA8", 0x8C43, kRGBA, kUByte, 0x8C43, kRGBA, kUByte, D::Bytes, S::RGBA, V::Normalised, 0, 1},
    {"GL_RGB565", 0x8D62, kRGB, k565, 0x8D62, kRGB, k565, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA32UI", 0x8D70, kRGBAInt, kUInt, 0x8D70, kRGBAInt, kUInt, D::Bytes, S::RGBA, V::UnsignedInt, 32, 1, ESampler::Unsigned},
    {"GL_RGB32UI", 0x8D71, kRGBInt, kUInt, 0x8D71, kRGBInt, kUInt, D::Bytes, S::RGBA, V::UnsignedInt, 32, 1, ESampler::Unsigned},
    {"GL_RGBA16UI", 0x8D76, kRGBAInt, kUShort, 0x8D76, kRGBAInt, kUShort, D::Bytes, S::RGBA, V::UnsignedInt, 16, 0, ESampler::Unsigned},
    {"GL_RGB16UI", 0x8D77, kRGBInt, kUShort, 0x8D77, kRGBInt, kUShort, D::Bytes, S::RGBA, V::UnsignedInt, 16, 0, ESampler::Unsigned},
    {"GL_RGBA8UI", 0x8D7C, kRGBAInt, kUByte, 0x8D7C, kRGBAInt, kUByte, D::Bytes, S::RGBA, V::UnsignedInt, 8, 0, ESampler::Unsigned},
    {"GL_RGB8UI", 0x8D7D, kRGBInt, kUByte, 0x8D7D, kRGBInt, kUByte, D::Bytes, S::RGBA, V::UnsignedInt, 8, 0, ESampler::Unsigned},
    {"GL_RGBA32I", 0x8D82, kRGBAInt, kInt, 0x8D82, kRGBAInt, kInt, D::Bytes, S::RGBA, V::SignedInt, 32, 1, ESampler::Signed},
    {"GL_RGB32I", 0x8D83, kRGBInt, kInt, 0x8D83, kRGBInt, kInt, D::Bytes, S::RGBA, V::SignedInt, 32, 1, ESampler::Signed},
    {"GL_RGBA16I", 0x8D88, kRGBAInt, kShort, 0x8D88, kRGBAInt, kShort, D::Bytes, S::RGBA, V::SignedInt, 16, 0, ESampler::Signed},
    {"GL_RGB16I", 0x8D89, kRGBInt, kShort, 0x8D89, kRGBInt, kShort, D::Bytes, S::RGBA, V::SignedInt, 16, 0, ESampler::Signed},
    {"GL_RGBA8I", 0x8D8E, kRGBAInt, kByte, 0x8D8E, kRGBAInt, kByte, D::Bytes, S::RGBA, V::SignedInt, 8, 0, ESampler::Signed},
    {"GL_RGB8I", 0x8D8F, kRGBInt, kByte, 0x8D8F, kRGBInt, kByte, D::Bytes, S::RGBA, V::SignedInt, 8, 0, ESampler::Signed},
    {"GL_R8_SNORM", 0x8F94, kRed, kByte, 0x8F94, kRed, kByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RG8_SNORM", 0x8F95, kRG, kByte, 0x8F95, kRG, kByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGB8_SNORM", 0x8F96, kRGB, kByte, 0x8F96, kRGB, kByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGBA8_SNORM", 0x8F97, kRGBA, kByte, 0x8F97, kRGBA, kByte, D::Bytes, S::RGBA, V::Normalised, 0, 0},
    {"GL_RGB10_A2UI", 0x906F, kRGBAInt, k2101010Rev, 0x906F, kRGBAInt, k2101010Rev, D::Bytes, S::RGBA, V::UnsignedInt, 10, 0, ESampler::Unsigned},
};
#undef XQF_BASE

void PrintTo(const SRow& r, std::ostream* os) { *os << r.name; }

// Values of the source data: random bytes, or floats mostly around 0..1 with a few out of range.
std::vector<u8> MakeData(const SRow& row, u64 bytes, std::mt19937& random)
{
    std::vector<u8> data(bytes);
    std::uniform_real_distribution<float> around(-0.25f, 1.25f);
    switch (row.data) {
    case EData::Bytes:
        for (u8& b : data)
            b = u8(random());
        break;
    case EData::Floats:
        for (u64 i = 0; i + 4 <= bytes; i += 4) {
            const float v = around(random);
            std::memcpy(&data[i], &v, 4);
        }
        break;
    case EData::Halves:
        for (u64 i = 0; i + 2 <= bytes; i += 2) {
            const u16 v = FloatToHalf(around(random));
            std::memcpy(&data[i], &v, 2);
        }
        break;
    case EData::SmallFloats:
        for (u64 i = 0; i + 4 <= bytes; i += 4) {
            auto small = [&](u32 mantissaBits) { return FloatToUnsignedSmallFloat(std::fabs(around(random)), mantissaBits); };
            const u32 v = small(6) | small(6) << 11 | small(5) << 22;
            std::memcpy(&data[i], &v, 4);
        }
        break;
    }
    return data;
}

// The 8-bit value the display should show for one of Mesa's texel components.
i32 Expected(float v, const SRow& row)
{
    double n = v;
    if (row.value == EValue::UnsignedInt)
        n = double(v) / (std::ldexp(1.0, i32(row.intBits)) - 1.0);
    else if (row.value == EValue::SignedInt)
        n = double(v) / (std::ldexp(1.0, i32(row.intBits) - 1) - 1.0);
    if (std::isnan(n))
        return 0;
    n = std::clamp(n, 0.0, 1.0);
    return i32(n * 255.0 + 0.5);
}

using UncompressedAgainstMesa = xqft::test::CMesaRowTest<SRow>;

TEST_P(UncompressedAgainstMesa, DisplayMatchesMesa)
{
    xqft::test::CMesaTexture& mesa = Mesa();
    const SRow& row = GetParam();
    if (!mesa.IsDesktopGL() && row.value == EValue::Normalised && (row.type == kInt || row.type == kUInt))
        GTEST_SKIP() << "OpenGL ES cannot upload normalised 32-bit integers; desktop GL checks this row";
    const u32 width = 13, height = 7;
    CTextureHeader header;
    ASSERT_TRUE(header.SetFormatFromGL(row.internalFormat, row.format, row.type));
    header.SetWidth(width);
    header.SetHeight(height);
    std::mt19937 random(row.internalFormat * 31 + row.type);
    const std::vector<u8> data = MakeData(row, header.GetDataSize(), random);

    std::vector<u8> ours;
    ASSERT_TRUE(TranscodeGLImageToRGB8(row.internalFormat, row.format, row.type, width, height, data.data(),
                                       data.size(), ours));
    std::vector<float> theirs;
    ASSERT_TRUE(mesa.FetchTexels({.internalFormat = row.mesaInternalFormat, .width = width, .height = height,
                                  .data = data.data(), .size = data.size(), .format = row.mesaFormat,
                                  .type = row.mesaType, .sampler = row.sampler},
                                 theirs))
        << mesa.Reason();
    u32 reported = 0;
    for (u32 i = 0; i < width * height && reported < 8; ++i) {
        float r = theirs[4 * i], g = theirs[4 * i + 1], b = theirs[4 * i + 2];
        if (row.swizzle == ESwizzle::Alpha)
            r = g = b = 0.0f;
        else if (row.swizzle != ESwizzle::RGBA)
            g = b = r;
        const float rgb[3] = {r, g, b};
        for (u32 c = 0; c < 3; ++c) {
            const i32 expected = Expected(rgb[c], row), actual = ours[3 * i + c];
            if (std::abs(expected - actual) > row.tolerance) {
                ADD_FAILURE() << row.name << " pixel " << i << " channel " << c << ": ours " << actual << ", Mesa "
                              << expected << " (" << rgb[c] << ")";
                ++reported;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMappedFormat, UncompressedAgainstMesa, ::testing::ValuesIn(kRows),
                         xqft::test::SRowName());

} // namespace
