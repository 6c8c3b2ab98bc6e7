#pragma once
// The image files of xqft-texcodec: binary PPM (P6) and PAM (P7) with 8- or 16-bit samples, and PKM
// (ETC1 blocks behind a 16-byte header, as etc1tool reads and writes them).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Bytes of their own; those to be overwritten whole start uninitialised, so that no thread first
// fills megabytes of zeros that a file's samples then replace.
class CBytes {
public:
    uint8_t* data() { return m_bytes.get(); }
    const uint8_t* data() const { return m_bytes.get(); }
    size_t size() const { return m_size; }
    uint8_t& operator[](size_t i) { return m_bytes[i]; }
    const uint8_t& operator[](size_t i) const { return m_bytes[i]; }
    // n bytes of zero, or (ForOverwrite) uninitialised; what was held before is dropped.
    void Assign(size_t n) { m_bytes = std::make_unique<uint8_t[]>(n), m_size = n; }
    void AssignForOverwrite(size_t n) { m_bytes = std::make_unique_for_overwrite<uint8_t[]>(n), m_size = n; }

private:
    std::unique_ptr<uint8_t[]> m_bytes;
    size_t m_size = 0;
};

struct SImageFile {
    uint32_t width = 0, height = 0;
    uint32_t channels = 0;       // samples per pixel, 1 to 4
    uint32_t bytesPerSample = 1; // 1 (maxval up to 255) or 2 (maxval up to 65535)
    CBytes samples;              // rows of width pixels; 16-bit samples in the machine's byte order
};

// Reads a P6 or P7 file; false with the reason in why for anything else or anything malformed. The
// samples of a regular file are read in parts on the texture library's threads.
bool ReadPnm(const std::string& path, SImageFile& image, std::string& why);
// Writes P6 when the path ends in ".ppm" (8-bit, 3 channels: a fourth is dropped), else P7.
bool WritePnm(const std::string& path, const SImageFile& image, std::string& why);

bool ReadPkm(const std::string& path, std::vector<uint8_t>& blocks, uint32_t& width, uint32_t& height,
             std::string& why);
bool WritePkm(const std::string& path, const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height,
              std::string& why);

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& why);
bool WriteWholeFile(const std::string& path, const uint8_t* bytes, size_t size, std::string& why);
bool EndsWith(const std::string& text, const char* suffix);
