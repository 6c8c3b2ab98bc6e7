// A load from a cold page cache beside `apitrace info` on the same workload: what each reads from
// disk and how long it takes, as whole processes. The workload is the harness's `long` scene, shaped
// like the recordings of real applications (600 small setup calls, then 160 frames of about 230
// calls, each ending in an 800 x 600 frame image, and a 1024 x 1024 RGBA texture image every 16th
// frame: about 350 MB, of which about 2 MB are records). It is recorded with xqft-record and, when
// `apitrace` is installed, the same rendering is traced by `apitrace trace` (no frame images there;
// its texture bytes are noise, which its compression cannot shrink, as with photographs or
// compressed texture formats).
//   xqft-dump load FILE     the load (goal: reads at most twice the record bytes)
//   apitrace info TRACE     (goal: the load takes less time)
//   cat FILE                the whole file read, for scale (what a load reading every byte costs)
// Then a trace of the layout whose runs of records cannot be found ahead (tools/xqftgen.py es2-real:
// 2,702 frame images of 230 KB, each after a run of about 96 small records): where a run begins is
// known only once the run before it has been read, so the load is set beside the limit for the
// layout, the same record bytes read with one pread a run, one run after the other (the runs found
// beforehand, each run's block header and the block's first bytes included, as the load reads
// them: `bench_cold_load --pread-runs TRACE RUNS` is that reader). `bench_cold_load --frame-images`
// runs this part alone.
// Cold: before each run the trace file's pages are dropped from the page cache (posix_fadvise, no
// root needed; the programs and libraries stay cached, for both alike). Runs are interleaved, best
// of kRounds shown with the bytes the process read from disk (its getrusage) and the pages of the
// trace file the run brought into the cache.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchSupport.h"

namespace {
using namespace xqft::bench;

constexpr int kRounds = 5;
// The captured bytes of the `long` scene, which a load steps over: its frame images and textures.
constexpr double kSceneBlockBytes = 160.0 * 800 * 600 * 4 + 10.0 * 1024 * 1024 * 4;

struct SRun
{
    double seconds = -1;
    long long readBytes = 0;   // by the whole process, from its rusage
    long long fileBytes = -1;  // of the trace file: its pages in the page cache after the run
};

struct SCommand
{
    const char* what;
    std::vector<std::string> argv;
    std::string file;  // the trace it reads
    SRun best[2];      // cold, warm
    bool failed = false;
};

long long FileSize(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// Bytes of the file in the page cache.
long long CachedBytes(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    const long long size = FileSize(path);
    if (fd < 0 || size <= 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    void* at = mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (at == MAP_FAILED)
        return -1;
    const long page = sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident((size_t(size) + size_t(page) - 1) / size_t(page));
    long long bytes = -1;
    if (mincore(at, size_t(size), resident.data()) == 0) {
        bytes = 0;
        for (unsigned char r : resident)
            bytes += (r & 1) ? page : 0;
    }
    munmap(at, size_t(size));
    return bytes;
}

// Drops the file's pages from the page cache; true when none is left.
bool DropFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    fdatasync(fd);  // dirty pages are not dropped
    const bool ok = posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    close(fd);
    return ok && CachedBytes(path) == 0;
}

// Runs argv with its output thrown away: wall time and the bytes it read from disk; seconds < 0
// when it failed.
SRun RunCommand(const std::vector<std::string>& argv)
{
    SChildRun child;
    SRun run;
    if (!RunChild(argv, -1, nullptr, child))
        return run;
    run.seconds = child.wall;
    run.readBytes = static_cast<long long>(child.usage.ru_inblock) * 512;
    return run;
}

void Print(const SCommand& c, int warm, double recordBytes)
{
    const SRun& run = c.best[warm];
    if (c.failed || run.seconds < 0) {
        std::printf("  %-22s failed\n", c.what);
        return;
    }
    std::printf("  %-22s %.3f s, the process read %.2f MB", c.what, run.seconds, run.readBytes / 1e6);
    if (!warm && run.fileBytes >= 0)
        std::printf(", its trace's pages read %.2f MB (%.2fx our record bytes)", run.fileBytes / 1e6,
                    run.fileBytes / recordBytes);
    std::printf("\n");
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// Records of this many payload bytes and more are the blocks a load steps over (those of
// stream/RecordReadAhead.h), and the bytes read with a block's header.
constexpr uint32_t kBlockRecordBytes = 64 * 1024;
constexpr uint64_t kBlockFieldBytes = 512;

// The runs of records between blocks, [begin, end) pairs, found by reading the record headers.
std::vector<uint64_t> FindRuns(const std::string& path, uint64_t first)
{
    std::vector<uint64_t> runs;
    const int fd = open(path.c_str(), O_RDONLY);
    const long long size = FileSize(path);
    uint64_t at = first, runStart = first;
    uint8_t h[6];
    while (fd >= 0 && at + 6 <= uint64_t(size) && pread(fd, h, 6, off_t(at)) == 6) {
        const uint32_t payload = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
        if (payload >= kBlockRecordBytes) {
            runs.push_back(runStart);
            runs.push_back(std::min<uint64_t>(at + 6 + kBlockFieldBytes, uint64_t(size)));
            runStart = at + 6 + payload;
        }
        at += 6 + uint64_t(payload);
    }
    if (runStart < uint64_t(size)) {
        runs.push_back(runStart);
        runs.push_back(uint64_t(size));
    }
    if (fd >= 0)
        close(fd);
    return runs;
}

// The limit reader: one pread a run, in file order (no read-around, as the load asks).
int PreadRuns(const char* trace, const char* runsFile)
{
    std::vector<uint64_t> runs;
    if (FILE* f = std::fopen(runsFile, "rb")) {
        uint64_t v;
        while (std::fread(&v, sizeof v, 1, f) == 1)
            runs.push_back(v);
        std::fclose(f);
    }
    const int fd = open(trace, O_RDONLY);
    if (fd < 0 || runs.empty())
        return 1;
    posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    std::vector<uint8_t> buffer;
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < runs.size(); i += 2) {
        buffer.resize(size_t(runs[i + 1] - runs[i]));
        if (pread(fd, buffer.data(), buffer.size(), off_t(runs[i])) != ssize_t(buffer.size()))
            return 1;
        sum += buffer[0];
    }
    close(fd);
    return sum == 0xFFFFFFFFu;  // the bytes are used
}

// The load of a trace with a frame image in every frame, cold, beside the one-pread-a-run limit.
void FrameImageLayout(const std::string& dir)
{
    const std::string trace = dir + "/real.xqft", runsFile = dir + "/real.runs";
    if (std::system(("python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-real " + Quoted(trace)).c_str()) != 0) {
        std::printf("es2-real: the trace could not be written\n");
        return;
    }
    // The header's size: the record stream starts after it (xqft-dump prints it).
    uint64_t first = 0;
    if (FILE* p = popen((Quoted(BinDir() + "/xqft-dump") + " header " + Quoted(trace)).c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, p))
            if (std::strncmp(line, "first_record_offset=", 20) == 0)
                first = std::strtoull(line + 20, nullptr, 10);
        pclose(p);
    }
    const std::vector<uint64_t> runs = FindRuns(trace, first);
    double recordBytes = 0;
    for (size_t i = 0; i + 1 < runs.size(); i += 2)
        recordBytes += double(runs[i + 1] - runs[i]);
    if (FILE* f = std::fopen(runsFile.c_str(), "wb")) {
        std::fwrite(runs.data(), sizeof(uint64_t), runs.size(), f);
        std::fclose(f);
    }
    std::printf("\nes2-real trace: %.1f MB, %zu runs of records (%.2f MB with their blocks' headers)\n",
                double(FileSize(trace)) / 1e6, runs.size() / 2, recordBytes / 1e6);
    std::vector<SCommand> commands = {
        {"xqft-dump load", {BinDir() + "/xqft-dump", "load", trace}, trace, {}},
        {"one pread a run", {BinDir() + "/bench_cold_load", "--pread-runs", trace, runsFile}, trace, {}}};
    if (!DropFile(trace)) {
        std::printf("cold: the trace's pages cannot be dropped from the page cache: skipped\n");
        return;
    }
    for (int round = 0; round < kRounds; ++round) {
        for (SCommand& c : commands) {
            DropFile(c.file);
            SRun run = RunCommand(c.argv);
            run.fileBytes = CachedBytes(c.file);
            c.failed |= run.seconds < 0;
            SRun& best = c.best[0];
            if (run.seconds >= 0 && (best.seconds < 0 || run.seconds < best.seconds))
                best = run;
        }
    }
    std::printf("cold page cache, interleaved, best of %d:\n", kRounds);
    for (const SCommand& c : commands)
        Print(c, 0, recordBytes);
    if (!commands[0].failed && !commands[1].failed)
        std::printf("  load / one pread a run: %.2fx its time (the limit of this layout: 1)\n",
                    commands[0].best[0].seconds / commands[1].best[0].seconds);
    // What the load takes without waiting for the disk at all: the floor of its cold figure.
    SRun& warm = commands[0].best[1];
    for (int round = 0; round < kRounds; ++round) {
        const SRun run = RunCommand(commands[0].argv);
        if (run.seconds >= 0 && (warm.seconds < 0 || run.seconds < warm.seconds))
            warm = run;
    }
    std::printf("warm page cache, best of %d:\n", kRounds);
    Print(commands[0], 1, recordBytes);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--pread-runs")
        return PreadRuns(argv[2], argv[3]);
    const std::string dir = TempDir() + "/xqft-bench-cold-" + std::to_string(getpid());
    if (argc == 2 && std::string(argv[1]) == "--frame-images") {
        std::system(("mkdir -p " + Quoted(dir)).c_str());
        FrameImageLayout(dir);
        std::system(("rm -rf " + Quoted(dir)).c_str());
        return 0;
    }

    if (!RecordSceneTrace(dir, "long"))
        return Fail("the long scene could not be recorded (is xqft-record built?)");
    const std::string ours = dir + "/long.xqft", theirs = dir + "/long.trace";
    std::system(("rm -f " + Quoted(dir) + "/long.f*.ppm " + Quoted(dir) + "/long.log").c_str());
    bool apitrace = std::system("command -v apitrace >/dev/null 2>&1") == 0;
    if (apitrace)
        apitrace = std::system(("apitrace trace --api egl -o " + Quoted(theirs) + " " + Quoted(BinDir() + "/xqft-record") +
                                " --scene long --out " + Quoted(dir) + " --play-only >/dev/null 2>&1")
                                   .c_str()) == 0;
    const double fileBytes = double(FileSize(ours)), recordBytes = fileBytes - kSceneBlockBytes;
    std::printf("xqft trace: %.1f MB, of which %.2f MB records and %.1f MB frame images and textures\n",
                fileBytes / 1e6, recordBytes / 1e6, kSceneBlockBytes / 1e6);
    if (apitrace)
        std::printf("apitrace trace of the same rendering: %.1f MB\n", double(FileSize(theirs)) / 1e6);
    else
        std::printf("apitrace is not installed or could not trace the scene: no comparison\n");

    std::vector<SCommand> commands = {{"xqft-dump load", {BinDir() + "/xqft-dump", "load", ours}, ours, {}}};
    if (apitrace)
        commands.push_back({"apitrace info", {"apitrace", "info", theirs}, theirs, {}});
    commands.push_back({"cat (the whole file)", {"cat", ours}, ours, {}});

    bool cold = true;
    for (const SCommand& c : commands)
        cold = cold && DropFile(c.file);
    if (!cold)
        std::printf("cold: the trace files' pages cannot be dropped from the page cache: cold figures skipped\n");
    for (int warm = cold ? 0 : 1; warm < 2; ++warm) {
        for (int round = 0; round < kRounds; ++round) {
            for (SCommand& c : commands) {
                if (!warm)
                    DropFile(c.file);
                SRun run = RunCommand(c.argv);
                if (!warm)
                    run.fileBytes = CachedBytes(c.file);
                c.failed |= run.seconds < 0;
                SRun& best = c.best[warm];
                if (run.seconds >= 0 && (best.seconds < 0 || run.seconds < best.seconds))
                    best = run;
            }
        }
        std::printf("%s page cache, interleaved, best of %d:\n", warm ? "warm" : "cold", kRounds);
        for (const SCommand& c : commands)
            Print(c, warm, recordBytes);
        const SRun& l = commands[0].best[warm];
        if (apitrace && !commands[0].failed && !commands[1].failed)
            std::printf("  load / apitrace info: %.2fx its time (goal < 1)\n", l.seconds / commands[1].best[warm].seconds);
        if (!warm && !commands[0].failed)
            std::printf("  the load reads %.2fx the record bytes of its trace (goal <= 2)\n", l.fileBytes / recordBytes);
    }
    FrameImageLayout(dir);
    std::system(("rm -rf " + Quoted(dir)).c_str());
    return 0;
}
