#pragma once
// The image files the encoder tests exchange with outside tools: 8-bit RGB PNG (what etc1tool reads
// and writes), binary PPM (what xqft-texcodec reads) and PKM (ETC1 blocks behind a 16-byte header: "PKM 10", format 0, the padded width and
// height, then the image's width and height, all big-endian 16-bit).
#include <cstdint>
#include <string>
#include <vector>

namespace xqft::test {

// rgb holds width x height pixels, R, G, B, rows of width pixels.
bool WritePngRgb(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height);
// An 8-bit RGB, non-interlaced PNG, any of the five row filters; false for anything else.
bool ReadPngRgb(const std::string& path, std::vector<uint8_t>& rgb, uint32_t& width, uint32_t& height);

// A binary PPM (P6) of width x height RGB pixels.
bool WritePpm(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height);

// blocks: ((width + 3) / 4) x ((height + 3) / 4) ETC1 blocks of 8 bytes.
bool WritePkm(const std::string& path, const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height);
// Checks the header and that the file holds every block its dimensions need.
bool ReadPkm(const std::string& path, std::vector<uint8_t>& blocks, uint32_t& width, uint32_t& height);

} // namespace xqft::test
