// DXT against libsquish: random blocks decode as libsquish decodes them, and the encoder's output
// reaches at least the quality of libsquish's range fit on the encoder test bench's images.
#include "CodecTestSupport.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "ImageSet.h"
#include "Psnr.h"

#include <squish.h>

#include <cmath>
#include <random>

namespace {

using namespace codectest;

struct SMode {
    u32 mode;
    int squishFlags;
    u32 blockBytes;
};
constexpr SMode kModes[] = {{1, squish::kDxt1, 8}, {3, squish::kDxt3, 16}, {5, squish::kDxt5, 16}};

TEST(DxtSquish, RandomBlocksDecodeAsLibsquishDecodesThem)
{
    std::mt19937 random(12);
    for (const SMode& m : kModes) {
        for (int n = 0; n < 4000; ++n) {
            u8 block[16];
            for (u8& b : block)
                b = u8(random());
            if (n % 4 == 0) // equal endpoints and endpoints in both orders turn up often enough
                std::memcpy(block + m.blockBytes - 6, block + m.blockBytes - 8, 2);
            Rgba8 ours[16], theirs[16];
            ASSERT_EQ(DecompressDXT(block, m.blockBytes, ours, 4, 4, m.mode), 64u);
            squish::Decompress(reinterpret_cast<u8*>(theirs), block, m.squishFlags);
            ASSERT_EQ(MaxDifference(ours, theirs, 16), 0) << "dxt" << m.mode << " block " << n;
        }
    }
}

TEST(DxtSquish, EncoderReachesRangeFitQuality)
{
    const u32 size = 64;
    float uniform[3] = {1, 1, 1};
    for (const SMode& m : kModes)
        for (const xqft::test::SColourImage& source : xqft::test::ColourImages(size, size)) {
            std::vector<Rgba8> image(size * size);
            std::memcpy(image.data(), source.rgba.data(), source.rgba.size());
            if (m.mode == 1) // DXT1 transparency thresholds differ (alpha 0 here, below 128 in libsquish)
                for (Rgba8& p : image)
                    p.a = 255;
            std::vector<u8> ours(size * size * m.blockBytes / 16), theirs(ours.size());
            ASSERT_EQ(CompressDXT(image.data(), image.size() * 4, ours.data(), size, size, m.mode), ours.size());
            squish::CompressImage(reinterpret_cast<const u8*>(image.data()), size, size, theirs.data(),
                                  m.squishFlags | squish::kColourRangeFit, uniform);
            std::vector<Rgba8> oursDecoded(image.size()), theirsDecoded(image.size());
            ASSERT_EQ(DecompressDXT(ours.data(), ours.size(), oursDecoded.data(), size, size, m.mode),
                      image.size() * 4);
            squish::DecompressImage(reinterpret_cast<u8*>(theirsDecoded.data()), size, size, theirs.data(),
                                    m.squishFlags);
            auto psnr = [&](const std::vector<Rgba8>& decoded, bool alpha) {
                const u8* a = reinterpret_cast<const u8*>(image.data());
                const u8* b = reinterpret_cast<const u8*>(decoded.data());
                return alpha ? xqft::test::PsnrAlpha(a, 4, b, 4, image.size()) : xqft::test::PsnrRgb(a, 4, b, 4, image.size());
            };
            const double colourOurs = psnr(oursDecoded, false), colourTheirs = psnr(theirsDecoded, false);
            EXPECT_GE(colourOurs, colourTheirs) << "dxt" << m.mode << " " << source.name;
            if (m.mode != 1 && source.hasAlpha) {
                const double alphaOurs = psnr(oursDecoded, true), alphaTheirs = psnr(theirsDecoded, true);
                EXPECT_GE(alphaOurs, alphaTheirs) << "dxt" << m.mode << " alpha of " << source.name;
                std::printf("dxt%u %s: alpha PSNR %.2f dB (libsquish %.2f)\n", m.mode, source.name.c_str(), alphaOurs,
                            alphaTheirs);
            }
            std::printf("dxt%u %s: colour PSNR %.2f dB (libsquish range fit %.2f)\n", m.mode, source.name.c_str(),
                        colourOurs, colourTheirs);
        }
}

} // namespace
