// `xqft-dump load` from the shell side: the first line and the frame lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "LoadFixture.h"
#include "RunCommand.h"
#include "TestPaths.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace {
// A path quoted for the shell.
std::string Quoted(const std::string& path)
{
    std::string quoted(1, '\'');
    quoted += path;
    quoted += '\'';
    return quoted;
}

std::string RunDump(const std::string& args, int* status = nullptr)
{
    const std::string cmd = BinaryDir() + "/bin/xqft-dump load " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        const int st = pclose(p);
        if (status)
            *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    return out;
}

// Runs argv with its output thrown away; its exit status and peak resident size (KiB).
int RunForPeak(const std::vector<std::string>& argv, long& peakKiB)
{
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return -1;
    peakKiB = usage.ru_maxrss;
    return WEXITSTATUS(status);
}
}  // namespace

TEST(DumpLoad, FirstLineAndFrames)
{
    struct SCase
    {
        const char* gen;
        std::string out;
        int status;
    };
    const SCase cases[] = {
        {"egl-frames --frames 3",
         "result=0 frames=3 calls=3\nframe=1 first=1 calls=1\nframe=2 first=2 calls=1\nframe=3 first=3 calls=1\n", 0},
        {"egl-frames --header-only", "result=4 frames=0 calls=0\n", 0},
        {"egl-frames --frames 3 --cut 2", "result=3 frames=2 calls=2\n", 3},
        {"egl-frames --frames 3 --image 2x2 --oversize-block",
         "result=2 frames=0 calls=0\nerror=Size readed from memmory is greater than blocksize\n", 2},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.gen);
        int status = -1;
        const std::string out = RunDump(Quoted(GenerateTrace("t.xqft", c.gen)), &status);
        EXPECT_EQ(out.substr(0, c.out.size()), c.out);
        EXPECT_EQ(status, c.status);
    }
    int status = -1;
    EXPECT_EQ(RunDump(Quoted(TempPath("absent.xqft")), &status).substr(0, 26), "result=4 frames=0 calls=0\n");
    EXPECT_EQ(status, 1);
    const std::string progress = RunDump(Quoted(GenerateTrace("p.xqft", "egl-frames --frames 1")) + " --progress");
    EXPECT_NE(progress.find("progress=File Read\n"), std::string::npos) << progress;
    EXPECT_NE(progress.find("progress=Trace Processed\n"), std::string::npos) << progress;
}

// On a trace whose bulk is captured images, the walk's progress advances by bytes of the file:
// about one percent at a time (a record may hold more), up to the end.
TEST(DumpLoad, ProgressMovesByBytesOfTheFile)
{
    const std::string path = GenerateTrace("images.xqft", "egl-frames --frames 300 --image 64x64");
    const std::string out = RunDump(Quoted(path) + " --progress");
    uint64_t total = 0, last = 0, steps = 0, biggestStep = 0;
    for (size_t at = 0; (at = out.find("progress=Frame:", at)) != std::string::npos; ++at) {
        const size_t bytes = out.find("progress-bytes=", at);
        ASSERT_NE(bytes, std::string::npos);
        uint64_t done = 0;
        ASSERT_EQ(std::sscanf(out.c_str() + bytes, "progress-bytes=%lu/%lu", &done, &total), 2);
        ASSERT_GT(done, last) << "progress goes forward";
        biggestStep = std::max(biggestStep, done - last);
        last = done;
        ++steps;
    }
    const uint64_t record = 64 * 64 * 4 + 64;  // one frame's record, at most
    ASSERT_GT(total, 300 * 64 * 64 * 4);
    EXPECT_GE(steps, 50u) << out.substr(0, 400);
    EXPECT_LE(biggestStep, total / 100 + record);
    EXPECT_GE(last + total / 100 + record, total);
}

// The commands that print or export what a load read exit as `records` does when the load did not
// read the whole trace: 3 for a record running past the end, 4 for a record framed wrongly or a
// file cut while it was read; what they print or write comes all the same.
TEST(DumpLoad, CommandsOfAnIncompleteTraceExitWithTheLoadsStatus)
{
    const std::string out = TempPath("status-out");
    const char* swap = "1022:0000000001000000";
    struct STrace
    {
        const char* what;
        std::string gen;
        int status;
    };
    const STrace traces[] = {
        {"whole", "egl-frames --frames 3", 0},
        {"cut inside the last record", "egl-frames --frames 3 --cut 2", 3},
        {"a marker with payload", std::string("raw --record ") + swap + " --record " + swap + " --record 2:00 --record " +
                                      swap, 4},
    };
    const char* commands[] = {"load FILE", "export-text FILE OUT.txt", "export-csv FILE OUT.f.csv OUT.c.csv",
                              "calls FILE --all", "calls FILE --frame 1", "records FILE", "summary FILE --frame 1",
                              "search FILE eglSwapBuffers", "replay FILE --frame 3 OUT.ppm",
                              "analyse FILE --frame 3 OUT.ppm", "host-state FILE --frame 3"};
    for (const STrace& t : traces) {
        const std::string path = GenerateTrace("status.xqft", t.gen);
        ASSERT_FALSE(path.empty()) << t.what;
        for (const char* c : commands) {
            SCOPED_TRACE(std::string(t.what) + ": " + c);
            std::string command = c;
            command.replace(command.find("FILE"), 4, Quoted(path));
            if (const size_t at = command.find("OUT"); at != std::string::npos)
                command.replace(at, 3, out);
            if (const size_t at = command.find("OUT"); at != std::string::npos)
                command.replace(at, 3, out);
            const SRunResult r = RunCommand(BinaryDir() + "/bin/xqft-dump " + command + " >/dev/null");
            EXPECT_EQ(r.status, t.status) << r.err;
            if (t.status != 0) {
                EXPECT_NE(r.err.find("ERROR"), std::string::npos) << r.err;
            }
        }
    }
    // Cut to a third while the load walks it (a trace long enough to report progress midway).
    const std::string path = GenerateTrace("cut-while.xqft", "egl-frames --frames 60 --image 64x64");
    ASSERT_FALSE(path.empty());
    const std::string cut = std::to_string(std::filesystem::file_size(path) / 3);
    for (const char* c : {"load FILE", "replay FILE --frame 60 OUT.ppm", "analyse FILE --frame 60 OUT.ppm",
                          "host-state FILE --frame 60", "summary FILE --frame 1"}) {
        SCOPED_TRACE(c);
        const std::string copy = path + ".copy";  // each command cuts its own
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        std::string command = c;
        command.replace(command.find("FILE"), 4, Quoted(copy));
        if (const size_t at = command.find("OUT"); at != std::string::npos)
            command.replace(at, 3, out);
        const SRunResult r = RunCommand("XQFT_DUMP_CUT_DURING_LOAD=" + cut + " XQFT_PLAYBACK_WINDOWS=headless " +
                                        BinaryDir() + "/bin/xqft-dump " + command + " >/dev/null");
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_NE(r.err.find("ERROR: the trace file was cut or changed while it was read"), std::string::npos) << r.err;
    }
}

// The loader's memory guard (lowered for the test) stops a load with an ERROR line and its own exit
// status, in every command; a frame past the stop is one the load never got to, not one the trace
// lacks.
TEST(DumpLoad, TheMemoryLimitStopsEveryCommandWithItsOwnStatus)
{
    const std::string path = GenerateTrace("limit.xqft", "egl-frames --frames 400000");
    ASSERT_FALSE(path.empty());
    const std::string out = TempPath("limit-out");
    for (const char* c : {"load FILE", "summary FILE --frame 1", "replay FILE --frame 399999 OUT.ppm",
                          "analyse FILE --frame 399999 OUT.ppm", "export-text FILE OUT.txt"}) {
        SCOPED_TRACE(c);
        std::string command = c;
        command.replace(command.find("FILE"), 4, Quoted(path));
        if (const size_t at = command.find("OUT"); at != std::string::npos)
            command.replace(at, 3, out);
        const SRunResult r = RunCommand("XQFT_DUMP_MEMORY_LIMIT_KIB=1 XQFT_PLAYBACK_WINDOWS=headless " + BinaryDir() +
                                        "/bin/xqft-dump " + command + " >/dev/null");
        EXPECT_EQ(r.status, 6) << r.err;
        EXPECT_NE(r.err.find("ERROR: the memory limit"), std::string::npos) << r.err;
        if (command.find("399999") != std::string::npos) {
            EXPECT_NE(r.err.find("frame 399999 was not read: the load stopped early"), std::string::npos) << r.err;
        }
    }
}

// `calls --all` lists the records one call at a time: its peak memory is the same for a trace ten
// times as long (the listing once held every call and its description: 290 MB for 266,000 calls).
TEST(DumpCalls, ListingAllCallsHoldsFlatMemory)
{
    long peak[2] = {0, 0};
    const int calls[2] = {15000, 150000};
    for (int i = 0; i < 2; ++i) {
        const std::string path =
            GenerateTrace("listing-" + std::to_string(i) + ".xqft", "es2-mixed --calls " + std::to_string(calls[i]));
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(RunForPeak({BinaryDir() + "/bin/xqft-dump", "calls", path, "--all"}, peak[i]), 0);
    }
    EXPECT_LT(peak[1], peak[0] + 16 * 1024) << "peak " << peak[0] << " KiB for " << calls[0] << " calls, " << peak[1]
                                            << " KiB for " << calls[1];
}
