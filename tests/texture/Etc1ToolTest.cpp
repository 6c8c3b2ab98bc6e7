// ETC1 images encoded by Debian's etc1tool decode to the pixels that `etc1tool --decode` gives.
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace xqftexture;

namespace {

struct SImage {
    u32 width = 0, height = 0;
    std::vector<u8> rgb;
};

void PutBE32(std::string& s, u32 v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        s.push_back(char(v >> shift));
}

u32 GetBE32(const u8* p) { return u32(p[0]) << 24 | u32(p[1]) << 16 | u32(p[2]) << 8 | u32(p[3]); }

bool WritePng(const std::string& path, const SImage& image)
{
    std::string raw;
    for (u32 y = 0; y < image.height; ++y) {
        raw.push_back(0); // filter: none
        raw.append(reinterpret_cast<const char*>(&image.rgb[u64(y) * image.width * 3]), image.width * 3);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                 uLong(raw.size())) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string png = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char* type, const std::string& body) {
        PutBE32(png, u32(body.size()));
        const std::string typed = std::string(type) + body;
        png += typed;
        PutBE32(png, u32(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
    };
    std::string header;
    PutBE32(header, image.width);
    PutBE32(header, image.height);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", "");
    std::ofstream(path, std::ios::binary) << png;
    return true;
}

// Reads an 8-bit RGB, non-interlaced PNG (what etc1tool writes).
bool ReadPng(const std::string& path, SImage& image)
{
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const u8* p = reinterpret_cast<const u8*>(file.data());
    if (file.size() < 8 + 25 || file.compare(1, 3, "PNG") != 0)
        return false;
    std::string idat;
    for (size_t at = 8; at + 12 <= file.size();) {
        const u32 length = GetBE32(p + at);
        if (at + 12 + u64(length) > file.size())
            return false;
        const std::string type = file.substr(at + 4, 4);
        if (type == "IHDR") {
            image.width = GetBE32(p + at + 8);
            image.height = GetBE32(p + at + 12);
            if (p[at + 16] != 8 || p[at + 17] != 2 || p[at + 20] != 0)
                return false;
        } else if (type == "IDAT") {
            idat += file.substr(at + 8, length);
        }
        at += 12 + u64(length);
    }
    const u64 stride = u64(image.width) * 3;
    std::vector<u8> raw((stride + 1) * image.height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), uLong(idat.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    image.rgb.assign(stride * image.height, 0);
    for (u32 y = 0; y < image.height; ++y) {
        const u8 filter = raw[y * (stride + 1)];
        const u8* line = &raw[y * (stride + 1) + 1];
        u8* out = &image.rgb[y * stride];
        const u8* up = y ? &image.rgb[(y - 1) * stride] : nullptr;
        for (u64 i = 0; i < stride; ++i) {
            const int a = i >= 3 ? out[i - 3] : 0, b = up ? up[i] : 0, c = (up && i >= 3) ? up[i - 3] : 0;
            int predictor = 0;
            switch (filter) {
            case 1: predictor = a; break;
            case 2: predictor = b; break;
            case 3: predictor = (a + b) / 2; break;
            case 4: {
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                predictor = (pa <= pb && pa <= pc) ? a : pb <= pc ? b : c;
                break;
            }
            default: break;
            }
            out[i] = u8(line[i] + predictor);
        }
    }
    return true;
}

TEST(Etc1Tool, DecodesAsEtc1ToolDoes)
{
    if (std::system("command -v etc1tool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "etc1tool is not installed (Debian package etc1tool)";
    char dirTemplate[] = "/tmp/xqft-etc1-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    std::mt19937 random(21);
    // Smooth gradients with noise (every mode and table gets used), sizes on and off the block grid.
    for (auto [w, h] : {std::pair<u32, u32>{64, 64}, {37, 21}, {1, 1}, {5, 3}, {130, 67}}) {
        SImage source{w, h, std::vector<u8>(u64(w) * h * 3)};
        for (u32 y = 0; y < h; ++y)
            for (u32 x = 0; x < w; ++x)
                for (u32 c = 0; c < 3; ++c)
                    source.rgb[(u64(y) * w + x) * 3 + c] =
                        u8(std::clamp(int((x * (c + 1) * 255) / std::max(w, 1u) + y * 3 - c * 40) + int(random() % 61) - 30, 0, 255));
        const std::string png = dir + "/in.png", pkm = dir + "/in.pkm", back = dir + "/back.png";
        ASSERT_TRUE(WritePng(png, source));
        ASSERT_EQ(std::system(("etc1tool " + png + " --encode -o " + pkm + " >/dev/null 2>&1").c_str()), 0);
        ASSERT_EQ(std::system(("etc1tool " + pkm + " --decode -o " + back + " >/dev/null 2>&1").c_str()), 0);
        std::ifstream in(pkm, std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(file.size(), 16u);
        ASSERT_EQ(file.substr(0, 6), "PKM 10");
        SImage expected;
        ASSERT_TRUE(ReadPng(back, expected));
        ASSERT_EQ(expected.width, w);
        ASSERT_EQ(expected.height, h);
        std::vector<u8> ours(u64(w) * h * 3);
        ASSERT_EQ(DecodeETCImage(file.data() + 16, file.size() - 16, ours.data(), w, h, ETC1, 0, 0), ours.size());
        EXPECT_EQ(ours, expected.rgb) << w << "x" << h;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
