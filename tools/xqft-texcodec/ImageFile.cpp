#include "ImageFile.h"

#include "XQFTextureThreads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
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

namespace {

// The header of a P6 or P7 file at the start of b: the image's size, channels and sample width, and
// at, where the samples start. False with the reason in why.
bool ParseHeader(const std::vector<uint8_t>& b, const std::string& path, SImageFile& image, size_t& at,
                 std::string& why)
{
    at = 2;
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
    return true;
}

// The bytes the header promises, when they fit in what the file holds past at.
bool SampleBytes(const SImageFile& image, uint64_t fileSize, size_t at, uint64_t& bytes)
{
    return !__builtin_mul_overflow(uint64_t(image.width) * image.height, image.channels * image.bytesPerSample, &bytes) &&
           at <= fileSize && fileSize - at >= bytes;
}

void SwapSamples(SImageFile& image)
{
    if (image.bytesPerSample == 2) // big-endian in the file
        for (size_t i = 0; i < image.samples.size(); i += 2) {
            const uint16_t v = uint16_t(image.samples[i] << 8 | image.samples[i + 1]);
            std::memcpy(&image.samples[i], &v, 2);
        }
}

struct SFdCloser {
    int fd;
    ~SFdCloser()
    {
        if (fd >= 0)
            close(fd);
    }
};

// pread until n bytes are in or the file ends or fails.
bool ReadAt(int fd, uint8_t* to, uint64_t n, uint64_t offset)
{
    while (n > 0) {
        const ssize_t got = pread(fd, to, size_t(std::min<uint64_t>(n, 1u << 30)), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got, n -= uint64_t(got), offset += uint64_t(got);
    }
    return true;
}

// A regular file whose header lies in its first 64 KiB: the samples straight from the file into the
// image's bytes, a part per item on the library's threads, each faulting in and filling its own
// pages. False (why untouched) where the whole file is to be read instead.
bool ReadPnmInParts(const std::string& path, SImageFile& image, bool& failed, std::string& why)
{
    const SFdCloser file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (file.fd < 0 || fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const uint64_t fileSize = uint64_t(st.st_size);
    std::vector<uint8_t> head(std::min<uint64_t>(fileSize, 1u << 16));
    size_t at = 0;
    std::string ignored;
    // A header that reaches the end of the bytes read may go on past them.
    if (!ReadAt(file.fd, head.data(), head.size(), 0) || !ParseHeader(head, path, image, at, ignored) ||
        (at > head.size() && head.size() < fileSize))
        return false;
    uint64_t bytes = 0;
    if (!SampleBytes(image, fileSize, at, bytes))
        return failed = true, why = path + ": fewer samples than the header promises", false;
    image.samples.AssignForOverwrite(size_t(bytes));
    constexpr uint64_t kPart = 1u << 16;
    const uint64_t parts = (bytes + kPart - 1) / kPart;
    if (parts > 0xFFFFFFFFu)
        return false;
    const bool read = xqftexture::RunWorkers(uint32_t(parts), [&](uint32_t part, uint32_t) {
        const uint64_t first = part * kPart, n = std::min(kPart, bytes - first);
        return ReadAt(file.fd, image.samples.data() + first, n, at + first);
    });
    if (!read)
        return failed = true, why = "cannot read " + path, false;
    SwapSamples(image);
    return true;
}

} // namespace

bool ReadPnm(const std::string& path, SImageFile& image, std::string& why)
{
    bool failed = false;
    if (ReadPnmInParts(path, image, failed, why))
        return true;
    if (failed)
        return false;
    image = SImageFile{};
    std::vector<uint8_t> b;
    if (!ReadWholeFile(path, b, why))
        return false;
    size_t at = 0;
    if (!ParseHeader(b, path, image, at, why))
        return false;
    uint64_t bytes = 0;
    if (!SampleBytes(image, b.size(), at, bytes))
        return why = path + ": fewer samples than the header promises", false;
    image.samples.AssignForOverwrite(size_t(bytes));
    std::memcpy(image.samples.data(), b.data() + at, size_t(bytes));
    SwapSamples(image);
    return true;
}

namespace {

// One row of the image as the file holds it: channels samples a pixel (the image's first ones),
// 16-bit samples big-endian.
void PackRow(const SImageFile& image, uint32_t channels, size_t row, uint8_t* out)
{
    const size_t width = image.width, stride = size_t(image.channels) * image.bytesPerSample;
    const uint8_t* in = image.samples.data() + row * width * stride;
    if (image.bytesPerSample == 1 && channels == image.channels) {
        std::memcpy(out, in, width * channels);
    } else if (image.bytesPerSample == 1 && channels == 3 && image.channels == 4) {
        for (size_t p = 0; p < width; ++p, in += 4, out += 3)
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
    } else {
        for (size_t p = 0; p < width; ++p, in += stride)
            for (uint32_t c = 0; c < channels; ++c)
                if (image.bytesPerSample == 2) {
                    uint16_t v;
                    std::memcpy(&v, in + 2 * c, 2);
                    *out++ = uint8_t(v >> 8), *out++ = uint8_t(v);
                } else {
                    *out++ = in[c];
                }
    }
}

} // namespace

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
    FilePtr f(std::fopen(path.c_str(), "wb"));
    bool ok = f && std::fwrite(header.data(), 1, header.size(), f.get()) == header.size();
    const size_t rowBytes = size_t(image.width) * channels * image.bytesPerSample;
    if (ok && image.bytesPerSample == 1 && channels == image.channels) {
        // The samples are the file's bytes already: one write.
        ok = std::fwrite(image.samples.data(), 1, image.samples.size(), f.get()) == image.samples.size();
    } else if (ok) {
        // Rows packed a band at a time into a buffer of about 1 MiB, each band one write.
        const size_t bandRows = std::max<size_t>(1, (size_t(1) << 20) / std::max<size_t>(rowBytes, 1));
        CBytes band;
        band.AssignForOverwrite(std::min<size_t>(bandRows, image.height) * rowBytes);
        for (size_t row = 0; ok && row < image.height; row += bandRows) {
            const size_t rows = std::min<size_t>(bandRows, image.height - row);
            for (size_t r = 0; r < rows; ++r)
                PackRow(image, channels, row + r, band.data() + r * rowBytes);
            ok = std::fwrite(band.data(), 1, rows * rowBytes, f.get()) == rows * rowBytes;
        }
    }
    if (!ok || std::fflush(f.get()) != 0)
        return why = "cannot write " + path, false;
    return true;
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
