// DXT1-DXT5: hand-built blocks per colour and alpha mode, edge clipping, and the encoder's exact cases.
#include "CodecTestSupport.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

namespace {

using namespace codectest;

constexpr Rgba8 kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

// Colour block whose texel i uses index i & 3.
std::vector<u8> ColourBlock(u16 c0, u16 c1)
{
    std::vector<u8> b;
    PutLE(b, c0, 2);
    PutLE(b, c1, 2);
    PutLE(b, 0xE4E4E4E4u, 4);
    return b;
}

std::vector<u8> Concat(std::vector<u8> a, const std::vector<u8>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// DXT5 alpha block with endpoints a0, a1 and texel i using index i & 7.
std::vector<u8> AlphaBlock(u8 a0, u8 a1)
{
    u64 indices = 0;
    for (u32 i = 0; i < 16; ++i)
        indices |= u64(i & 7) << (3 * i);
    std::vector<u8> b{a0, a1};
    PutLE(b, indices, 6);
    return b;
}

struct SBlockCase {
    const char* what;
    u32 mode;
    std::vector<u8> block;
    std::array<Rgba8, 4> palette;     // expected colour of indices 0..3
    std::array<u8, 8> alphaOfTexel;   // expected alpha of texel i is alphaOfTexel[i & 7] (modes 4, 5)
};

std::array<Rgba8, 16> Decode(const SBlockCase& c)
{
    std::array<Rgba8, 16> out{};
    EXPECT_EQ(DecompressDXT(c.block.data(), c.block.size(), out.data(), 4, 4, c.mode), 64u) << c.what;
    return out;
}

TEST(Dxt, BlockModesDecodeToTheirPalettes)
{
    const std::vector<u8> dxt3Alpha = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}; // texel i: alpha i
    const SBlockCase cases[] = {
        {"dxt1 four colours (c0 > c1)", 1, ColourBlock(0xF800, 0x001F),
         {kRed, kBlue, Rgba8{170, 0, 85, 255}, Rgba8{85, 0, 170, 255}}, {}},
        {"dxt1 three colours (c0 < c1): half way and transparent black", 1, ColourBlock(0x001F, 0xF800),
         {kBlue, kRed, Rgba8{127, 0, 127, 255}, Rgba8{0, 0, 0, 0}}, {}},
        {"dxt1 equal endpoints are three-colour", 1, ColourBlock(0x07E0, 0x07E0),
         {Rgba8{0, 255, 0, 255}, Rgba8{0, 255, 0, 255}, Rgba8{0, 255, 0, 255}, Rgba8{0, 0, 0, 0}}, {}},
        {"dxt3 colour block is four-colour even with c0 < c1", 3, Concat(dxt3Alpha, ColourBlock(0x001F, 0xF800)),
         {kBlue, kRed, Rgba8{85, 0, 170, 0}, Rgba8{170, 0, 85, 0}}, {}},
        {"dxt5 seven-step alpha, four colours with c0 < c1", 5, Concat(AlphaBlock(255, 0), ColourBlock(0x001F, 0xF800)),
         {kBlue, kRed, Rgba8{85, 0, 170, 0}, Rgba8{170, 0, 85, 0}}, {255, 0, 218, 182, 145, 109, 72, 36}},
        {"dxt5 five-step alpha with 0 and 255", 5, Concat(AlphaBlock(0, 255), ColourBlock(0xF800, 0x001F)),
         {kRed, kBlue, Rgba8{170, 0, 85, 0}, Rgba8{85, 0, 170, 0}}, {0, 255, 51, 102, 153, 204, 0, 255}},
        {"dxt4 decodes as dxt5 (no premultiplication undone)", 4,
         Concat(AlphaBlock(255, 0), ColourBlock(0xF800, 0x001F)),
         {kRed, kBlue, Rgba8{170, 0, 85, 0}, Rgba8{85, 0, 170, 0}}, {255, 0, 218, 182, 145, 109, 72, 36}},
    };
    for (const SBlockCase& c : cases) {
        const std::array<Rgba8, 16> texels = Decode(c);
        for (u32 i = 0; i < 16; ++i) {
            Rgba8 expected = c.palette[i & 3];
            if (c.mode == 2 || c.mode == 3)
                expected.a = u8(17 * i);
            if (c.mode >= 4)
                expected.a = c.alphaOfTexel[i & 7];
            EXPECT_EQ(texels[i], expected) << c.what << ", texel " << i;
        }
    }
}

TEST(Dxt, LevelsThatAreNotWholeBlocksAreClipped)
{
    // Two blocks side by side: red on the left, blue on the right, each with index 0 everywhere.
    std::vector<u8> data;
    for (u16 c : {u16(0xF800), u16(0x001F)}) {
        PutLE(data, c, 2);
        PutLE(data, 0, 6);
    }
    for (u32 width : {2u, 5u, 7u}) {
        std::vector<Rgba8> out(width * 3 + 1, Rgba8{1, 2, 3, 4});
        ASSERT_EQ(DecompressDXT(data.data(), data.size(), out.data(), width, 3, 1), u64(width) * 3 * 4);
        for (u32 y = 0; y < 3; ++y)
            for (u32 x = 0; x < width; ++x)
                EXPECT_EQ(out[y * width + x], x < 4 ? kRed : kBlue) << width << " wide, " << x << "," << y;
        EXPECT_EQ(out.back(), (Rgba8{1, 2, 3, 4})) << "written past the level";
    }
}

TEST(DxtEncoder, ExactBlocksRoundTripAndKeepTheirLayout)
{
    // A uniform colour 5:6:5 holds exactly: colour1 0 and every index 0.
    std::vector<Rgba8> uniform(16, Rgba8{255, 0, 0, 255});
    u8 block[8];
    ASSERT_EQ(CompressDXT(uniform.data(), uniform.size() * 4, block, 4, 4, 1), 8u);
    EXPECT_EQ(block[0] | block[1] << 8, 0xF800);
    EXPECT_EQ(block[2] | block[3] << 8, 0);
    EXPECT_EQ(block[4] | block[5] | block[6] | block[7], 0);

    // Two exact colours, a transparent texel in DXT1, and explicit and interpolated alpha: the
    // decoded texels are the source texels.
    std::vector<Rgba8> pattern(16);
    for (u32 i = 0; i < 16; ++i)
        pattern[i] = (i * 7) % 3 ? kRed : Rgba8{0, 255, 255, 255};
    std::vector<Rgba8> holed = pattern;
    holed[5] = Rgba8{0, 0, 0, 0};
    std::vector<Rgba8> alpha = pattern, twoAlphas = pattern;
    for (u32 i = 0; i < 16; ++i)
        alpha[i].a = u8(17 * i);
    twoAlphas[5].a = 0;
    struct {
        const char* what;
        u32 mode;
        const std::vector<Rgba8>& source;
    } cases[] = {{"two colours", 1, pattern}, {"transparent texel", 1, holed}, {"4-bit alpha", 3, alpha},
                 {"two-level alpha", 5, twoAlphas}};
    for (const auto& c : cases) {
        std::vector<u8> encoded(16);
        ASSERT_EQ(CompressDXT(c.source.data(), 64, encoded.data(), 4, 4, c.mode), c.mode == 1 ? 8u : 16u) << c.what;
        std::vector<Rgba8> decoded(16);
        ASSERT_EQ(DecompressDXT(encoded.data(), encoded.size(), decoded.data(), 4, 4, c.mode), 64u);
        EXPECT_EQ(MaxDifference(decoded.data(), c.source.data(), 16), 0) << c.what;
    }
}

TEST(DxtEncoder, OpaqueDxt1BlocksOfOneColourAlsoTryTheThreeColourPalette)
{
    // DXT1 has the four-colour palette of DXT5 plus the three-colour one with its 1/2 mix, so no
    // uniform colour may come out worse, and some come out better.
    u64 errorDxt1 = 0, errorDxt5 = 0;
    for (u32 v = 0; v < 256; ++v) {
        const Rgba8 colour{u8(v), u8(255 - v), u8(v * 7), 255};
        std::vector<Rgba8> uniform(16, colour), decoded1(16), decoded5(16);
        u8 block1[8], block5[16];
        ASSERT_EQ(CompressDXT(uniform.data(), 64, block1, 4, 4, 1), 8u);
        ASSERT_EQ(CompressDXT(uniform.data(), 64, block5, 4, 4, 5), 16u);
        ASSERT_EQ(DecompressDXT(block1, 8, decoded1.data(), 4, 4, 1), 64u);
        ASSERT_EQ(DecompressDXT(block5, 16, decoded5.data(), 4, 4, 5), 64u);
        auto error = [&](const Rgba8& t) {
            EXPECT_EQ(t.a, 255) << v;
            return u64((t.r - colour.r) * (t.r - colour.r) + (t.g - colour.g) * (t.g - colour.g) +
                       (t.b - colour.b) * (t.b - colour.b));
        };
        const u64 e1 = error(decoded1[0]), e5 = error(decoded5[0]);
        EXPECT_LE(e1, e5) << "colour " << v;
        errorDxt1 += e1, errorDxt5 += e5;
    }
    EXPECT_LT(errorDxt1, errorDxt5);
}

TEST(DxtEncoder, AlphaBlockPicksTheNearestStep)
{
    struct {
        const char* what;
        std::array<u8, 16> alphas;
        int worst; // largest error allowed
    } cases[] = {
        {"seven steps across the whole range",
         {0, 255, 36, 37, 218, 200, 128, 100, 0, 0, 0, 0, 255, 255, 255, 255}, 18},
        {"five steps inside, 0 and 255 exact", {0, 255, 100, 110, 120, 130, 140, 0, 255, 100, 140, 120, 0, 0, 0, 0}, 5},
        {"one value", {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77}, 0},
    };
    for (const auto& c : cases) {
        u8 pixels[16 * 4] = {};
        for (int i = 0; i < 16; ++i)
            pixels[4 * i + 3] = c.alphas[i];
        u8 out[8];
        EncodeDXTAlphaBlock(pixels, out, 4);
        std::vector<u8> block(out, out + 8);
        PutLE(block, 0, 8);
        std::vector<Rgba8> decoded(16);
        ASSERT_EQ(DecompressDXT(block.data(), 16, decoded.data(), 4, 4, 5), 64u);
        for (int i = 0; i < 16; ++i)
            EXPECT_LE(std::abs(decoded[i].a - c.alphas[i]), c.worst) << c.what << ", texel " << i;
    }
}

TEST(DxtEncoder, EdgeBlocksOfOddLevelsRepeatTheLastTexels)
{
    // 5 x 5: four blocks; the right and bottom ones repeat column 4 and row 4.
    std::vector<Rgba8> source(25);
    for (u32 i = 0; i < 25; ++i)
        source[i] = (i % 5 == 4 || i / 5 == 4) ? kBlue : kRed;
    std::vector<u8> encoded(4 * 8);
    ASSERT_EQ(CompressDXT(source.data(), source.size() * 4, encoded.data(), 5, 5, 1), encoded.size());
    std::vector<Rgba8> decoded(25);
    ASSERT_EQ(DecompressDXT(encoded.data(), encoded.size(), decoded.data(), 5, 5, 1), 100u);
    EXPECT_EQ(MaxDifference(decoded.data(), source.data(), 25), 0);
}

} // namespace
