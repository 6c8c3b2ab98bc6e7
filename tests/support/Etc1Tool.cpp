#include "Etc1Tool.h"

#include "ImageFiles.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace xqft::test {

namespace {

// A temporary folder removed with everything in it when the run ends.
struct STempFolder {
    std::string path;
    STempFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/xqft-etc1tool-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~STempFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

// Runs etc1tool with its input and output file and times the whole run.
SEtc1ToolRun Run(const std::string& in, const char* mode, const std::string& out)
{
    SEtc1ToolRun run;
    const std::string command = "etc1tool '" + in + "' " + mode + " -o '" + out + "' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.ok = status == 0;
    if (!run.ok)
        run.why = "etc1tool " + std::string(mode) + " failed with status " + std::to_string(status);
    return run;
}

} // namespace

bool Etc1ToolAvailable() { return std::system("command -v etc1tool >/dev/null 2>&1") == 0; }

SEtc1ToolRun Etc1ToolEncode(const uint8_t* rgb, uint32_t width, uint32_t height, std::vector<uint8_t>& blocks)
{
    STempFolder folder;
    if (folder.path.empty())
        return {false, "no temporary folder", 0};
    const std::string png = folder.path + "/in.png", pkm = folder.path + "/out.pkm";
    if (!WritePngRgb(png, rgb, width, height))
        return {false, "cannot write " + png, 0};
    SEtc1ToolRun run = Run(png, "--encode", pkm);
    uint32_t w = 0, h = 0;
    if (run.ok && !(ReadPkm(pkm, blocks, w, h) && w == width && h == height))
        run = {false, "etc1tool wrote no PKM of " + std::to_string(width) + "x" + std::to_string(height), run.seconds};
    return run;
}

SEtc1ToolRun Etc1ToolDecodeFile(const std::string& pkmPath, std::vector<uint8_t>& rgb, uint32_t& width,
                                uint32_t& height)
{
    STempFolder folder;
    if (folder.path.empty())
        return {false, "no temporary folder", 0};
    const std::string png = folder.path + "/out.png";
    SEtc1ToolRun run = Run(pkmPath, "--decode", png);
    if (run.ok && !ReadPngRgb(png, rgb, width, height))
        run = {false, "etc1tool wrote no readable PNG for " + pkmPath, run.seconds};
    return run;
}

SEtc1ToolRun Etc1ToolDecode(const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height,
                            std::vector<uint8_t>& rgb)
{
    STempFolder folder;
    if (folder.path.empty())
        return {false, "no temporary folder", 0};
    const std::string pkm = folder.path + "/in.pkm";
    if (!WritePkm(pkm, blocks, width, height))
        return {false, "cannot write " + pkm, 0};
    uint32_t w = 0, h = 0;
    SEtc1ToolRun run = Etc1ToolDecodeFile(pkm, rgb, w, h);
    if (run.ok && (w != width || h != height))
        run = {false, "etc1tool decoded " + std::to_string(w) + "x" + std::to_string(h), run.seconds};
    return run;
}

} // namespace xqft::test
