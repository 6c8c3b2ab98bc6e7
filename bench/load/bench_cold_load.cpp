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

} // namespace

int main()
{
    const std::string dir = TempDir() + "/xqft-bench-cold-" + std::to_string(getpid());
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
    std::system(("rm -rf " + Quoted(dir)).c_str());
    return 0;
}
