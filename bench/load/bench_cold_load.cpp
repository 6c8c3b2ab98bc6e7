// A load from a cold page cache: what it reads from disk and how long it takes, as whole processes.
// The trace is shaped like the recordings of real applications: 600 small records of setup, then
// 320 frames of 400 small ES 2.0 records each ending in a 640x360 frame image, with a 1024x1024
// texture upload every 16th frame (about 380 MB, of which about 4 MB are records; the rest are the
// blocks the load steps over).
//   xqft-dump load FILE     the load (goal: reads at most twice the record bytes)
//   cat FILE                the whole file read, for scale (what a load reading every byte costs)
//   apitrace info TRACE     when XQFT_BENCH_APITRACE names a trace of that tool (goal: the load
//                           takes less time)
// Each is run three times after the page cache is dropped, best time shown with the bytes the
// process read from disk (its program and libraries too) and the pages of the trace file read.
// Dropping the cache needs root; without it the cold figures are skipped and the warm ones shown.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTraceWriter.h"

namespace {
using namespace xqft::bench;

struct SRun
{
    double seconds = 0;
    long long readBytes = 0;   // by the whole process (its program and libraries included)
    long long fileBytes = -1;  // of the trace file: its pages in the page cache afterwards
    bool ok = false;
};

// Bytes of the file in the page cache.
long long CachedBytes(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat st{};
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_size == 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    void* at = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (at == MAP_FAILED)
        return -1;
    const long page = sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident((size_t(st.st_size) + size_t(page) - 1) / size_t(page));
    long long bytes = -1;
    if (mincore(at, size_t(st.st_size), resident.data()) == 0) {
        bytes = 0;
        for (unsigned char r : resident)
            bytes += (r & 1) ? page : 0;
    }
    munmap(at, size_t(st.st_size));
    return bytes;
}

bool DropPageCache()
{
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = write(fd, "3", 1) == 1;
    close(fd);
    return ok;
}

// Runs argv with its output thrown away: wall time and the bytes it read from disk.
SRun RunProcess(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return {};
    SRun run;
    run.seconds = Seconds(t0, Clock::now());
    run.readBytes = static_cast<long long>(usage.ru_inblock) * 512;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

SRun BestOf(const std::vector<std::string>& argv, bool cold, const std::string& file)
{
    SRun best;
    for (int round = 0; round < 3; ++round) {
        if (cold)
            DropPageCache();
        SRun run = RunProcess(argv);
        if (cold)
            run.fileBytes = CachedBytes(file);
        if (!run.ok)
            return run;
        if (!best.ok || run.seconds < best.seconds)
            best = run;
    }
    return best;
}

void WriteTrace(const std::string& path, long long& blockBytes)
{
    CWriter w(path);
    std::mt19937 random(7);
    const auto noise = [&](std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); i += 4) {
            const uint32_t v = random();
            for (size_t k = 0; k < 4 && i + k < bytes.size(); ++k)
                bytes[i + k] = uint8_t(v >> (8 * k));
        }
    };
    // Small records of 14 to 42 bytes, as a frame's state changes and draws are.
    uint32_t step = 0;
    const auto small = [&] {
        std::vector<uint8_t> p;
        switch (step++ % 6) {
        case 0: CWriter::Words(p, {0x0DE1, step % 8}); w.Es2("glBindTexture", p); break;
        case 1: CWriter::Words(p, {step % 16, 0x3F800000, 0, 0, 0x3F800000}); w.Es2("glUniform4f", p); break;
        case 2: CWriter::Words(p, {0x0BE2}); w.Es2("glEnable", p); break;
        case 3: CWriter::Words(p, {step % 16, 1, 0x1000, 1, 0, 0, 0, 0x3F800000}); w.Es2("glUniform4fv", p); break;
        case 4: CWriter::Words(p, {step % 4}); w.Es2("glUseProgram", p); break;
        default: CWriter::Words(p, {4, 0, 6}); w.Es2("glDrawArrays", p); break;
        }
    };
    w.MakeCurrent();
    for (int i = 0; i < 600; ++i)
        small();
    std::vector<uint8_t> image(640 * 360 * 4), texture(1024 * 1024 * 4);
    noise(image);
    noise(texture);
    blockBytes = 0;
    for (uint32_t frame = 1; frame <= 320; ++frame) {
        for (int i = 0; i < 400; ++i)
            small();
        if (frame % 16 == 0) {
            std::vector<uint8_t> p;
            CWriter::Words(p, {0x0DE1, 0, 0x1908, 1024, 1024, 0, 0x1908, 0x1401});
            CWriter::Block(p, 0x1000, uint32_t(texture.size()), 0);
            std::copy(texture.begin(), texture.end(), p.end() - long(texture.size()));
            CWriter::Words(p, {4});
            w.Es2("glTexImage2D", p);
            blockBytes += long(texture.size());
        }
        image[frame % image.size()] ^= 0xFF;
        w.SwapBuffers(frame, 640, 360, image);
        blockBytes += long(image.size());
    }
}

void Print(const char* what, const SRun& run, double recordBytes)
{
    if (!run.ok) {
        std::printf("  %-24s failed\n", what);
        return;
    }
    std::printf("  %-24s %.3f s, the process read %.1f MB", what, run.seconds, run.readBytes / 1e6);
    if (run.fileBytes >= 0)
        std::printf(", of its trace %.2f MB (%.2fx the record bytes)", run.fileBytes / 1e6,
                    recordBytes > 0 ? run.fileBytes / recordBytes : 0.0);
    std::printf("\n");
}

} // namespace

int main()
{
    const std::string path = TempDir() + "/bench_cold_load_" + std::to_string(getpid()) + ".xqft";
    long long blockBytes = 0;
    WriteTrace(path, blockBytes);
    FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long long fileBytes = std::ftell(f);
    std::fclose(f);
    const double recordBytes = double(fileBytes - blockBytes);
    std::printf("trace: %.1f MB, of which %.2f MB records and %.1f MB blocks (frame images, textures)\n",
                fileBytes / 1e6, recordBytes / 1e6, blockBytes / 1e6);

    const std::vector<std::string> load = {BinDir() + "/xqft-dump", "load", path};
    const std::vector<std::string> whole = {"cat", path};
    const char* apitraceTrace = std::getenv("XQFT_BENCH_APITRACE");
    const bool apitrace = apitraceTrace && *apitraceTrace && std::system("command -v apitrace >/dev/null 2>&1") == 0;

    const bool cold = getuid() == 0 && DropPageCache();
    if (!cold)
        std::printf("cold: the page cache cannot be dropped (needs root): cold figures skipped\n");
    for (const bool c : {true, false}) {
        if (c && !cold)
            continue;
        std::printf("%s page cache, best of 3:\n", c ? "cold" : "warm");
        const SRun l = BestOf(load, c, path);
        Print("xqft-dump load", l, recordBytes);
        const SRun w = BestOf(whole, c, path);
        Print("cat (the whole file)", w, recordBytes);
        if (apitrace) {
            const SRun a = BestOf({"apitrace", "info", apitraceTrace}, c, apitraceTrace);
            Print("apitrace info", a, recordBytes);
            if (a.ok && l.ok)
                std::printf("  load / apitrace info: %.2fx time (goal < 1)\n", l.seconds / a.seconds);
        }
        if (c && l.ok)
            std::printf("  the load reads %.2fx the record bytes of its trace (goal <= 2)\n", l.fileBytes / recordBytes);
    }
    std::remove(path.c_str());
    return 0;
}
