#pragma once
// Runs Debian's etc1tool as a user would: the test writes the input file (PNG to encode, PKM to
// decode) into a temporary folder, runs the tool on it and reads the file the tool wrote back.
#include <cstdint>
#include <string>
#include <vector>

namespace xqft::test {

struct SEtc1ToolRun {
    bool ok = false;
    std::string why;      // what failed, when not ok
    double seconds = 0;   // the tool's whole run, its file reading and writing included
};

bool Etc1ToolAvailable();

// ETC1 blocks of width x height RGB pixels (rows of width pixels), as etc1tool --encode makes them.
SEtc1ToolRun Etc1ToolEncode(const uint8_t* rgb, uint32_t width, uint32_t height, std::vector<uint8_t>& blocks);
// RGB pixels of ETC1 blocks, as etc1tool --decode gives them.
SEtc1ToolRun Etc1ToolDecode(const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height,
                            std::vector<uint8_t>& rgb);
// RGB pixels of a PKM file written by someone else, as etc1tool --decode gives them.
SEtc1ToolRun Etc1ToolDecodeFile(const std::string& pkmPath, std::vector<uint8_t>& rgb, uint32_t& width,
                                uint32_t& height);

} // namespace xqft::test
