#include "ImageFiles.h"

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace xqft::test {

namespace {

void PutBE(std::string& s, uint32_t v, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        s.push_back(char(v >> shift));
}

uint32_t GetBE(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out.flush());
}

} // namespace

bool WritePngRgb(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height)
{
    std::string raw;
    raw.reserve((size_t(width) * 3 + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        raw.append(reinterpret_cast<const char*>(rgb + size_t(y) * width * 3), size_t(width) * 3);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  uLong(raw.size()), 1) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string png = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char* type, const std::string& body) {
        PutBE(png, uint32_t(body.size()), 4);
        const std::string typed = std::string(type) + body;
        png += typed;
        PutBE(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))), 4);
    };
    std::string header;
    PutBE(header, width, 4);
    PutBE(header, height, 4);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", "");
    return WriteFile(path, png);
}

bool ReadPngRgb(const std::string& path, std::vector<uint8_t>& rgb, uint32_t& width, uint32_t& height)
{
    const std::string file = ReadFile(path);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.data());
    if (file.size() < 8 + 25 || file.compare(1, 3, "PNG") != 0)
        return false;
    std::string idat;
    width = height = 0;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = GetBE(p + at, 4);
        if (at + 12 + uint64_t(length) > file.size())
            return false;
        const std::string type = file.substr(at + 4, 4);
        if (type == "IHDR" && length >= 13) {
            width = GetBE(p + at + 8, 4);
            height = GetBE(p + at + 12, 4);
            if (p[at + 16] != 8 || p[at + 17] != 2 || p[at + 20] != 0)
                return false;
        } else if (type == "IDAT") {
            idat += file.substr(at + 8, length);
        }
        at += 12 + uint64_t(length);
    }
    if (width == 0 || height == 0 || uint64_t(width) * height > (uint64_t(1) << 28))
        return false;
    const size_t stride = size_t(width) * 3;
    std::vector<uint8_t> raw((stride + 1) * height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), uLong(idat.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    rgb.assign(stride * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* line = &raw[y * (stride + 1) + 1];
        uint8_t* out = &rgb[y * stride];
        const uint8_t* up = y ? &rgb[(y - 1) * stride] : nullptr;
        for (size_t i = 0; i < stride; ++i) {
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
            out[i] = uint8_t(line[i] + predictor);
        }
    }
    return true;
}

bool WritePpm(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height)
{
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    ppm.append(reinterpret_cast<const char*>(rgb), size_t(width) * height * 3);
    return WriteFile(path, ppm);
}

bool WritePkm(const std::string& path, const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height)
{
    if (width > 0xFFFF || height > 0xFFFF)
        return false;
    std::string pkm = "PKM 10";
    PutBE(pkm, 0, 2); // ETC1, no MIP levels
    PutBE(pkm, (width + 3) & ~3u, 2);
    PutBE(pkm, (height + 3) & ~3u, 2);
    PutBE(pkm, width, 2);
    PutBE(pkm, height, 2);
    pkm.append(reinterpret_cast<const char*>(blocks.data()), blocks.size());
    return WriteFile(path, pkm);
}

bool ReadPkm(const std::string& path, std::vector<uint8_t>& blocks, uint32_t& width, uint32_t& height)
{
    const std::string file = ReadFile(path);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.data());
    if (file.size() < 16 || file.compare(0, 6, "PKM 10") != 0 || GetBE(p + 6, 2) != 0)
        return false;
    width = GetBE(p + 12, 2);
    height = GetBE(p + 14, 2);
    const size_t needed = size_t((width + 3) / 4) * ((height + 3) / 4) * 8;
    if (file.size() - 16 < needed)
        return false;
    blocks.assign(p + 16, p + 16 + needed);
    return true;
}

} // namespace xqft::test
