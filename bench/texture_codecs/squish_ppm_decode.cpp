// squish-ppm-decode: the plain way to turn bare DXT1 blocks into a binary PPM with libsquish, the
// yardstick of bench_texcodec_decode. Reads the whole file, decodes it with DecompressImage into
// RGBA, drops alpha and writes the PPM in one go.
//
//   squish-ppm-decode WIDTH HEIGHT IN OUT
#include <squish.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5)
        return std::fprintf(stderr, "usage: squish-ppm-decode WIDTH HEIGHT IN OUT\n"), 2;
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    if (width <= 0 || height <= 0)
        return std::fprintf(stderr, "squish-ppm-decode: bad size\n"), 2;
    const size_t pixels = size_t(width) * size_t(height);
    std::vector<unsigned char> blocks(size_t(squish::GetStorageRequirements(width, height, squish::kDxt1)));
    FILE* in = std::fopen(argv[3], "rb");
    const bool read = in != nullptr && std::fread(blocks.data(), 1, blocks.size(), in) == blocks.size();
    if (in != nullptr)
        std::fclose(in);
    if (!read)
        return std::fprintf(stderr, "squish-ppm-decode: cannot read %s\n", argv[3]), 1;
    std::vector<unsigned char> rgba(pixels * 4);
    squish::DecompressImage(rgba.data(), width, height, blocks.data(), squish::kDxt1);
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<unsigned char> ppm(header.begin(), header.end());
    ppm.resize(header.size() + pixels * 3);
    unsigned char* rgb = ppm.data() + header.size();
    for (size_t p = 0; p < pixels; ++p)
        rgb[3 * p] = rgba[4 * p], rgb[3 * p + 1] = rgba[4 * p + 1], rgb[3 * p + 2] = rgba[4 * p + 2];
    FILE* out = std::fopen(argv[4], "wb");
    const bool written = out != nullptr && std::fwrite(ppm.data(), 1, ppm.size(), out) == ppm.size();
    if (out == nullptr || std::fclose(out) != 0 || !written)
        return std::fprintf(stderr, "squish-ppm-decode: cannot write %s\n", argv[4]), 1;
    return 0;
}
