// DXT against libsquish: random blocks decode as libsquish decodes them, and the encoder's output
// reaches at least the quality of libsquish's range fit on a fixed set of synthetic images.
#include "CodecTestSupport.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

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

// Synthetic 64 x 64 images: smooth ramps, ramps with noise, flat shapes with hard edges, noise, and
// an alpha ramp for the modes that carry alpha.
std::vector<Rgba8> MakeImage(int kind, u32 size)
{
    std::mt19937 random(100 + kind);
    std::vector<Rgba8> image(size * size);
    for (u32 y = 0; y < size; ++y)
        for (u32 x = 0; x < size; ++x) {
            Rgba8& p = image[y * size + x];
            const float fx = float(x) / size, fy = float(y) / size;
            switch (kind) {
            case 0: // diagonal colour ramp
                p = {u8(255 * fx), u8(255 * fy), u8(255 * (1 - fx) * fy), 255};
                break;
            case 1: // ramp with noise
                p = {u8(std::clamp(200 * fx + int(random() % 31) - 15.0f, 0.0f, 255.0f)),
                     u8(std::clamp(120 + 100 * fy + int(random() % 31) - 15.0f, 0.0f, 255.0f)),
                     u8(std::clamp(60 + int(random() % 31) - 15.0f, 0.0f, 255.0f)), 255};
                break;
            case 2: { // flat discs and stripes with hard edges, colours 5:6:5 cannot hold
                const float dx = fx - 0.4f, dy = fy - 0.5f;
                if (dx * dx + dy * dy < 0.08f)
                    p = {203, 61, 47, 255};
                else if ((x / 7 + y / 5) % 3 == 0)
                    p = {30, 144, 221, 255};
                else
                    p = {241, 229, 97, 255};
                break;
            }
            case 3: // noise
                p = {u8(random()), u8(random()), u8(random()), 255};
                break;
            default: // sinusoidal bands with an alpha ramp
                p = {u8(127 + 120 * std::sin(fx * 9)), u8(127 + 120 * std::sin(fy * 7 + 1)),
                     u8(127 + 120 * std::sin((fx + fy) * 5)), u8(255 * fx * fy + 0.5f)};
                break;
            }
        }
    return image;
}

double Psnr(const std::vector<Rgba8>& a, const std::vector<Rgba8>& b, bool alpha)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (alpha) {
            sum += std::pow(a[i].a - b[i].a, 2.0);
        } else {
            sum += std::pow(a[i].r - b[i].r, 2.0) + std::pow(a[i].g - b[i].g, 2.0) + std::pow(a[i].b - b[i].b, 2.0);
        }
    }
    const double mse = sum / (a.size() * (alpha ? 1 : 3));
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(DxtSquish, EncoderReachesRangeFitQuality)
{
    const u32 size = 64;
    float uniform[3] = {1, 1, 1};
    for (const SMode& m : kModes)
        for (int kind = 0; kind < 5; ++kind) {
            std::vector<Rgba8> image = MakeImage(kind, size);
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
            const double colourOurs = Psnr(image, oursDecoded, false), colourTheirs = Psnr(image, theirsDecoded, false);
            EXPECT_GE(colourOurs, colourTheirs) << "dxt" << m.mode << " image " << kind;
            if (m.mode != 1 && kind == 4) { // the image with alpha
                const double alphaOurs = Psnr(image, oursDecoded, true), alphaTheirs = Psnr(image, theirsDecoded, true);
                EXPECT_GE(alphaOurs, alphaTheirs) << "dxt" << m.mode << " alpha of image " << kind;
                std::printf("dxt%u image %d: alpha PSNR %.2f dB (libsquish %.2f)\n", m.mode, kind, alphaOurs, alphaTheirs);
            }
            std::printf("dxt%u image %d: colour PSNR %.2f dB (libsquish range fit %.2f)\n", m.mode, kind, colourOurs,
                        colourTheirs);
        }
}

} // namespace
