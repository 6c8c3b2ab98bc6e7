// Loading traces whose bulk is captured bytes. The loader keeps captured blocks in the trace file
// (a view of its mapping); the copying load of before stays behind CTraceReader::SetCopyBelow, and
// both run here side by side, warm (the file in the page cache) and cold (its pages dropped with
// posix_fadvise first). Each load runs in a process of its own, so its memory peaks are its own.
//  1. image-heavy: 2,000 frames, each with a 512x512 RGBA frame image (2 GiB)
//  2. blob-heavy: ES 2.0 frames each with a 256x256 RGBA texture upload, a 64 KiB buffer and four
//     draws with two 48 KiB client arrays each (560 MB)
// Printed for each: load time, MB/s of the file, calls/s, peak private and resident memory, and
// the time of a plain sequential read() of the same file. Goals: the blob-heavy load at least 4x
// faster than the copying load; peak private memory at most 200 B/call beyond what the state
// effects had to copy (these traces' effects copy nothing); the first frame's textures shown (the
// statistics pass, which lists the uploads, and frame 1's textures decoded to RGB) within 50 ms of
// the end of the load.
//  3. The copy threshold: a call-heavy mixed ES 2.0 trace (the one of bench_es2, smaller), loaded
//     with blocks below N bytes copied: load time and private memory per call.
// The traces are written to $TMPDIR (or /tmp) and removed afterwards.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchLoad.h"
#include "BenchTraceWriter.h"
#include "TextureImages.h"
#include "TraceStatistics.h"
#include "data/TraceData.h"

namespace {
using namespace xqft::bench;

struct SRun
{
    int result = -1;
    double seconds = 0;
    uint32_t calls = 0;
    long long privateKiB = 0;   // peak private memory during the load, beyond that before it
    long long residentKiB = 0;  // peak resident memory during the load, beyond that before it
    double texturesMs = -1;     // the statistics pass and frame 1's textures decoded, after the load
    uint32_t textures = 0;
};

// Drops the file's pages from the page cache (a cold start).
void DropCache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

uint64_t FileBytes(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return 0;
    std::fseek(f, 0, SEEK_END);
    const uint64_t n = uint64_t(std::ftell(f));
    std::fclose(f);
    return n;
}

// A plain sequential read() of the whole file, 1 MiB at a time.
double ReadSeconds(const std::string& path, bool cold)
{
    if (cold)
        DropCache(path);
    std::vector<char> buffer(1 << 20);
    const auto t0 = Clock::now();
    const int fd = open(path.c_str(), O_RDONLY);
    while (fd >= 0 && read(fd, buffer.data(), buffer.size()) > 0) {
    }
    if (fd >= 0)
        close(fd);
    return Seconds(t0, Clock::now());
}

// The first frame's textures as the viewer shows them after an open.
void ShowFirstFrameTextures(CTraceData& trace, SRun& run)
{
    const auto t0 = Clock::now();
    CTraceStatistics statistics(&trace);
    statistics.Compute();
    const STraceFrame* first = trace.GetFrame(1);
    for (const STextureUpload& upload : *statistics.GetTextureUploads()) {
        if (!first || upload.callNumber > first->endCall)
            break;
        STextureRecord record;
        STextureImage image;
        if (ExtractTexture(trace, upload, record, image) && image.kind == STextureImage::kDecoded)
            ++run.textures;
    }
    run.texturesMs = Seconds(t0, Clock::now()) * 1e3;
}

// One load in a child process.
SRun Load(const std::string& path, uint32_t copyBelow, bool cold, bool textures)
{
    if (cold)
        DropCache(path);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        CTraceReader& reader = CTraceReader::Instance();
        FILE* sink = std::fopen("/dev/null", "w");
        reader.SetLog(sink, sink);
        reader.SetCopyBelow(copyBelow);
        const SMeasuredLoad load = MeasuredLoad(path);
        SRun run;
        run.result = load.result;
        run.seconds = load.seconds;
        run.privateKiB = load.privatePeakDeltaKiB;
        run.residentKiB = load.peakDeltaKiB;
        if (CTraceData* trace = reader.GetTraceData()) {
            run.calls = trace->GetCallCount();
            if (textures)
                ShowFirstFrameTextures(*trace, run);
        }
        const ssize_t written = write(pipeFds[1], &run, sizeof run);
        _exit(written == ssize_t(sizeof run) ? 0 : 1);
    }
    close(pipeFds[1]);
    SRun run;
    if (read(pipeFds[0], &run, sizeof run) != ssize_t(sizeof run))
        run = SRun();
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return run;
}

// Best of a few runs (by time), the peaks of the fastest.
SRun BestOf(const std::string& path, uint32_t copyBelow, bool cold, bool textures, int runs)
{
    SRun best = Load(path, copyBelow, cold, textures);
    for (int i = 1; i < runs; ++i) {
        const SRun r = Load(path, copyBelow, cold, textures);
        if (r.seconds < best.seconds)
            best = r;
    }
    return best;
}

void Report(const char* name, const std::string& path, bool textures, int runs)
{
    const double bytes = double(FileBytes(path));
    std::printf("== %s: %.0f MB\n", name, bytes / 1e6);
    for (const bool cold : {false, true}) {
        const double readS = ReadSeconds(path, cold);
        const SRun kept = BestOf(path, CTraceReader::kDefaultCopyBelow, cold, textures, runs);
        const SRun copied = BestOf(path, CTraceReader::kCopyAllCaptured, cold, false, runs);
        const char* temperature = cold ? "cold" : "warm";
        std::printf("  %s read(): %.3f s, %.0f MB/s\n", temperature, readS, bytes / 1e6 / readS);
        for (const auto& [how, r] : {std::pair<const char*, const SRun&>{"kept in the file", kept},
                                     std::pair<const char*, const SRun&>{"copied (before)", copied}}) {
            std::printf("  %s load, bytes %s: result %d, %u calls in %.3f s: %.0f MB/s, %.0f calls/s, %.2fx read(); "
                        "peak private +%.1f MiB (%.0f B/call), peak resident +%.1f MiB\n",
                        temperature, how, r.result, r.calls, r.seconds, bytes / 1e6 / r.seconds,
                        r.calls / r.seconds, r.seconds / readS, r.privateKiB / 1024.0,
                        r.calls ? r.privateKiB * 1024.0 / r.calls : 0.0, r.residentKiB / 1024.0);
        }
        std::printf("  %s: kept in the file loads %.1fx faster than copied (goal >= 4 for the blob-heavy trace); "
                    "private %.0f B/call (goal <= 200)\n",
                    temperature, copied.seconds / kept.seconds, kept.calls ? kept.privateKiB * 1024.0 / kept.calls : 0.0);
        if (textures)
            std::printf("  %s: first frame's %u textures shown %.1f ms after the load (goal <= 50 ms)\n", temperature,
                        kept.textures, kept.texturesMs);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string dir = TempDir() + "/bench_captured_" + std::to_string(getpid());
    const std::string images = dir + "_images.xqft", blobs = dir + "_blobs.xqft", mixed = dir + "_mixed.xqft";

    {
        const uint32_t side = 512;
        CWriter w(images);
        std::vector<uint8_t> image(size_t(side) * side * 4);
        for (uint32_t frame = 1; frame <= 2000; ++frame) {
            std::memset(image.data(), int(frame & 0xFF), image.size());
            w.SwapBuffers(frame, side, side, image);
        }
    }
    Report("image-heavy trace (2,000 frames of 512x512 frame images)", images, false, runs);
    std::remove(images.c_str());

    {
        CWriter w(blobs);
        for (uint32_t frame = 1; frame <= 800; ++frame) {
            std::vector<uint8_t> p;
            CWriter::Words(p, {0x0DE1, 1 + frame % 8});
            w.Es2("glBindTexture", p);
            p.clear();
            // 256x256 RGBA, unsigned bytes, unpack alignment 4
            CWriter::Words(p, {0x0DE1, 0, 0x1908, 256, 256, 0, 0x1908, 0x1401});
            CWriter::Block(p, 0x10000, 256 * 256 * 4, uint8_t(frame));
            CWriter::Words(p, {4});
            w.Es2("glTexImage2D", p);
            p.clear();
            CWriter::Words(p, {0x8892, 65536});
            CWriter::Block(p, 0x20000, 65536, uint8_t(frame + 1));
            CWriter::Words(p, {0x88E4});
            w.Es2("glBufferData", p);
            for (int draw = 0; draw < 4; ++draw) {
                p.clear();
                CWriter::Words(p, {4, 0, 4096});
                CWriter::Block(p, 0x30000, 49152, uint8_t(draw));
                CWriter::Block(p, 0x40000, 49152, uint8_t(draw + 1));
                w.Es2("glDrawArrays", p);
            }
            w.SwapBuffers(frame, 0, 0, {});
        }
    }
    Report("blob-heavy trace (800 frames: a 256x256 texture, a 64 KiB buffer, four draws of 2 x 48 KiB arrays)",
           blobs, true, runs);
    std::remove(blobs.c_str());

    const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + mixed +
                                " --calls 500000 --frames 1250 --last-frame-calls 400 > /dev/null";
    if (std::system(command.c_str()) == 0) {
        std::printf("== copy threshold: mixed ES 2.0 trace, %.0f MB, warm\n", FileBytes(mixed) / 1e6);
        for (const uint32_t below : {1u, 16u, 64u, 256u, 4096u, CTraceReader::kCopyAllCaptured}) {
            const SRun r = BestOf(mixed, below, false, false, runs);
            if (below == CTraceReader::kCopyAllCaptured)
                std::printf("  every block copied:");
            else
                std::printf("  blocks below %5u bytes copied:", below);
            std::printf(" %.3f s, %.0f calls/s, peak private %.0f B/call\n", r.seconds, r.calls / r.seconds,
                        r.calls ? r.privateKiB * 1024.0 / r.calls : 0.0);
        }
    }
    std::remove(mixed.c_str());
    std::remove((mixed + ".info").c_str());
    return 0;
}
