#pragma once
// The image files of xqft-texcodec: binary PPM (P6) and PAM (P7) with 8- or 16-bit samples, and PKM
// (ETC1 blocks behind a 16-byte header, as etc1tool reads and writes them).
#include <cstdint>
#include <string>
#include <vector>

struct SImageFile {
    uint32_t width = 0, height = 0;
    uint32_t channels = 0;       // samples per pixel, 1 to 4
    uint32_t bytesPerSample = 1; // 1 (maxval up to 255) or 2 (maxval up to 65535)
    std::vector<uint8_t> samples; // rows of width pixels; 16-bit samples in the machine's byte order
};

// Reads a P6 or P7 file; false with the reason in why for anything else or anything malformed.
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
