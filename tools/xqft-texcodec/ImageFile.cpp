#include "ImageFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct SFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, SFileCloser>;

// Reads the next whitespace-separated token of a PNM header, skipping # comments.
bool NextToken(const std::vector<uint8_t>& b, size_t& at, std::string& token)
{
    token.clear();
    while (at < b.size()) {
        if (b[at] == '#') {
            while (at < b.size() && b[at] != '\n')
                ++at;
        } else if (std::isspace(b[at])) {
            ++at;
        } else {
            break;
        }
    }
    while (at < b.size() && !std::isspace(b[at]) && token.size() < 64)
        token.push_back(char(b[at++]));
    return !token.empty();
}

bool ToNumber(const std::string& token, uint64_t max, uint32_t& value)
{
    if (token.empty() || token.size() > 10 || token.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const uint64_t v = std::stoull(token);
    if (v > max)
        return false;
    value = uint32_t(v);
    return true;
}

void PutBE16(std::string& s, uint32_t v)
{
    s.push_back(char(v >> 8));
    s.push_back(char(v));
}

} // namespace

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& why)
{
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return why = "cannot open " + path, false;
    // Read straight into the buffer, sized once from the file's size where it has one (one byte
    // more, to meet the end without growing); a pipe or a file that grows doubles it as it goes.
    struct stat st {};
    const bool sized = fstat(fileno(f.get()), &st) == 0 && S_ISREG(st.st_mode);
    bytes.resize(std::max<size_t>(sized ? size_t(st.st_size) + 1 : 0, 1 << 16));
    size_t have = 0, n;
    while ((n = std::fread(bytes.data() + have, 1, bytes.size() - have, f.get())) > 0)
        if ((have += n) == bytes.size())
            bytes.resize(2 * bytes.size());
    bytes.resize(have);
    if (std::ferror(f.get()))
        return why = "cannot read " + path, false;
    return true;
}

bool WriteWholeFile(const std::string& path, const uint8_t* bytes, size_t size, std::string& why)
{
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f || std::fwrite(bytes, 1, size, f.get()) != size || std::fflush(f.get()) != 0)
        return why = "cannot write " + path, false;
    return true;
}

bool ReadPnm(const std::string& path, SImageFile& image, std::string& why)
{
    std::vector<uint8_t> b;
    if (!ReadWholeFile(path, b, why))
        return false;
    size_t at = 2;
    std::string token;
    uint32_t maxval = 0;
    if (b.size() >= 2 && b[0] == 'P' && b[1] == '6') {
        image.channels = 3;
        if (!NextToken(b, at, token) || !ToNumber(token, 0xFFFFFFFF, image.width) || !NextToken(b, at, token) ||
            !ToNumber(token, 0xFFFFFFFF, image.height) || !NextToken(b, at, token) || !ToNumber(token, 65535, maxval))
            return why = path + ": malformed PPM header", false;
    } else if (b.size() >= 2 && b[0] == 'P' && b[1] == '7') {
        image.channels = 0;
        for (;;) {
            if (!NextToken(b, at, token))
                return why = path + ": PAM header without ENDHDR", false;
            if (token == "ENDHDR")
                break;
            std::string value;
            if (token == "TUPLTYPE") {
                while (at < b.size() && b[at] != '\n')
                    ++at; // free text
                continue;
            }
            if (!NextToken(b, at, value))
                return why = path + ": PAM header field " + token + " without a value", false;
            bool ok = true;
            if (token == "WIDTH")
                ok = ToNumber(value, 0xFFFFFFFF, image.width);
            else if (token == "HEIGHT")
                ok = ToNumber(value, 0xFFFFFFFF, image.height);
            else if (token == "DEPTH")
                ok = ToNumber(value, 4, image.channels);
            else if (token == "MAXVAL")
                ok = ToNumber(value, 65535, maxval);
            if (!ok)
                return why = path + ": bad PAM " + token + " " + value, false;
        }
    } else {
        return why = path + ": not a binary PPM (P6) or PAM (P7) file", false;
    }
    if (image.width == 0 || image.height == 0 || image.channels == 0 || maxval == 0)
        return why = path + ": empty image or missing header field", false;
    ++at; // the single whitespace character before the samples
    image.bytesPerSample = maxval > 255 ? 2 : 1;
    uint64_t bytes = 0;
    if (__builtin_mul_overflow(uint64_t(image.width) * image.height, image.channels * image.bytesPerSample, &bytes) ||
        at > b.size() || b.size() - at < bytes)
        return why = path + ": fewer samples than the header promises", false;
    // The samples moved to the front of the file's bytes, which become the image's (no second buffer).
    std::memmove(b.data(), b.data() + at, bytes);
    b.resize(bytes);
    image.samples = std::move(b);
    if (image.bytesPerSample == 2) // big-endian in the file
        for (size_t i = 0; i < bytes; i += 2) {
            const uint16_t v = uint16_t(image.samples[i] << 8 | image.samples[i + 1]);
            std::memcpy(&image.samples[i], &v, 2);
        }
    return true;
}

bool WritePnm(const std::string& path, const SImageFile& image, std::string& why)
{
    const bool ppm = EndsWith(path, ".ppm");
    if (ppm && (image.bytesPerSample != 1 || image.channels < 3))
        return why = "a .ppm file holds 8-bit RGB only; write a .pam file", false;
    const uint32_t channels = ppm ? 3 : image.channels;
    std::string header;
    if (ppm) {
        header = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    } else {
        static const char* kTypes[5] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
        header = "P7\nWIDTH " + std::to_string(image.width) + "\nHEIGHT " + std::to_string(image.height) + "\nDEPTH " +
                 std::to_string(channels) + "\nMAXVAL " + (image.bytesPerSample == 2 ? "65535" : "255") +
                 "\nTUPLTYPE " + kTypes[channels] + "\nENDHDR\n";
    }
    std::string out = header;
    const size_t pixels = size_t(image.width) * image.height;
    out.reserve(header.size() + pixels * channels * image.bytesPerSample);
    for (size_t p = 0; p < pixels; ++p)
        for (uint32_t c = 0; c < channels; ++c) {
            const size_t i = (p * image.channels + c) * image.bytesPerSample;
            if (image.bytesPerSample == 2) {
                uint16_t v;
                std::memcpy(&v, &image.samples[i], 2);
                PutBE16(out, v);
            } else {
                out.push_back(char(image.samples[i]));
            }
        }
    return WriteWholeFile(path, reinterpret_cast<const uint8_t*>(out.data()), out.size(), why);
}

bool ReadPkm(const std::string& path, std::vector<uint8_t>& blocks, uint32_t& width, uint32_t& height,
             std::string& why)
{
    std::vector<uint8_t> b;
    if (!ReadWholeFile(path, b, why))
        return false;
    if (b.size() < 16 || std::memcmp(b.data(), "PKM 10", 6) != 0 || (b[6] << 8 | b[7]) != 0)
        return why = path + ": not an ETC1 PKM file", false;
    width = uint32_t(b[12] << 8 | b[13]);
    height = uint32_t(b[14] << 8 | b[15]);
    const size_t needed = size_t((width + 3) / 4) * ((height + 3) / 4) * 8;
    if (width == 0 || height == 0 || b.size() - 16 < needed)
        return why = path + ": fewer blocks than the header promises", false;
    blocks.assign(b.begin() + 16, b.begin() + 16 + long(needed));
    return true;
}

bool WritePkm(const std::string& path, const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height,
              std::string& why)
{
    if (width > 0xFFFF || height > 0xFFFF)
        return why = "PKM files hold at most 65535 x 65535 pixels", false;
    std::string pkm = "PKM 10";
    PutBE16(pkm, 0); // ETC1 without MIP levels
    PutBE16(pkm, (width + 3) & ~3u);
    PutBE16(pkm, (height + 3) & ~3u);
    PutBE16(pkm, width);
    PutBE16(pkm, height);
    pkm.append(reinterpret_cast<const char*>(blocks.data()), blocks.size());
    return WriteWholeFile(path, reinterpret_cast<const uint8_t*>(pkm.data()), pkm.size(), why);
}
