// `xqft-texcodec decode` of a 4096 x 4096 DXT1 level into a PPM beside squish-ppm-decode, a plain
// libsquish driver writing the same PPM, as whole processes pinned to one CPU: the best of several
// runs each, the runs taking turns. xqft-texcodec runs on the machine's widest vector path and on
// SSE2 (XQFT_SIMD=sse2). The blocks are random, so every block mode occurs; the two PPMs are
// compared byte for byte.
//
//   bench_texcodec_decode [--size N] [--runs N] [--cpu N] [--tool PATH]
//
// --cpu picks the CPU (default: the first this process may run on); --tool runs another build's
// xqft-texcodec (the one beside this program by default).
#include "BenchProcess.h"
#include "BenchSupport.h"
#include "XQFTextureSimd.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using xqft::bench::PrintProcessTimes;
using xqft::bench::RunProcess;
using xqft::bench::SProcessTimes;

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

int FirstAllowedCpu()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &set))
                return c;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned size = 4096, runs = 7;
    int cpu = FirstAllowedCpu();
    std::string tool = xqft::bench::BinDir() + "/xqft-texcodec";
    const std::string squish = xqft::bench::BinDir() + "/squish-ppm-decode";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size") == 0)
            size = unsigned(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1u, unsigned(std::atoi(argv[i + 1])));
        else if (std::strcmp(argv[i], "--cpu") == 0)
            cpu = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--tool") == 0)
            tool = argv[i + 1];
    }
    size = std::max(4u, size / 4 * 4);
    char dir[4096];
    std::snprintf(dir, sizeof dir, "%s/xqft-texdecode-XXXXXX", xqft::bench::TempDir().c_str());
    if (mkdtemp(dir) == nullptr)
        return xqft::bench::Fail("cannot make a temporary folder");
    const std::string base = std::string(dir) + "/level";
    std::vector<char> blocks(size_t(size) * size / 2);
    std::mt19937 random(7);
    for (char& b : blocks)
        b = char(random());
    std::ofstream(base + ".dxt1", std::ios::binary).write(blocks.data(), std::streamsize(blocks.size()));

    const xqftexture::ESimdPath widest = xqftexture::SimdPathSupported(xqftexture::ESimdPath::kAvx2)
                                             ? xqftexture::ESimdPath::kAvx2
                                             : xqftexture::ESimdPath::kSse2;
    static char sse2[] = "XQFT_SIMD=sse2";
    const std::string dims = std::to_string(size);
    const std::vector<std::string> ours = {tool, "decode", "--format", "7", "--size", dims + "x" + dims,
                                           base + ".dxt1", base + ".ours.ppm"};
    const std::vector<std::string> theirs = {squish, dims, dims, base + ".dxt1", base + ".squish.ppm"};
    SProcessTimes wide, narrow, plain;
    for (unsigned r = 0; r < runs; ++r) {
        RunProcess(ours, cpu, nullptr, wide);
        if (widest != xqftexture::ESimdPath::kSse2)
            RunProcess(ours, cpu, sse2, narrow);
        RunProcess(theirs, cpu, nullptr, plain);
    }
    std::printf("DXT1 %u x %u into a PPM, whole processes on CPU %d, best of %u runs\n", size, size, cpu, runs);
    PrintProcessTimes((std::string("xqft-texcodec decode, ") + xqftexture::SimdPathName(widest)).c_str(), 34, wide);
    if (widest != xqftexture::ESimdPath::kSse2)
        PrintProcessTimes("xqft-texcodec decode, sse2", 34, narrow);
    PrintProcessTimes("squish-ppm-decode (libsquish)", 34, plain);
    const bool same = wide.ok && plain.ok && ReadAll(base + ".ours.ppm") == ReadAll(base + ".squish.ppm");
    std::printf("  same PPM: %s\n", same ? "yes" : "NO");
    if (wide.ok && plain.ok)
        std::printf("  time / libsquish's (wall): %.2f; (CPU): %.2f (goal below 1)%s\n", wide.wall / plain.wall,
                    wide.cpu / plain.cpu, wide.wall < plain.wall ? "" : "  NOT met");
    std::system((std::string("rm -rf ") + dir).c_str());
    return 0;
}
