// `xqft-dump load` from the shell side: the first line and the frame lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "LoadFixture.h"
#include "TestPaths.h"

namespace {
// A path quoted for the shell.
std::string Quoted(const std::string& path)
{
    std::string quoted(1, '\'');
    quoted += path;
    quoted += '\'';
    return quoted;
}

std::string RunDump(const std::string& args)
{
    const std::string cmd = BinaryDir() + "/bin/xqft-dump load " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}
}  // namespace

TEST(DumpLoad, FirstLineAndFrames)
{
    struct SCase
    {
        const char* gen;
        std::string out;
    };
    const SCase cases[] = {
        {"egl-frames --frames 3",
         "result=0 frames=3 calls=3\nframe=1 first=1 calls=1\nframe=2 first=2 calls=1\nframe=3 first=3 calls=1\n"},
        {"egl-frames --header-only", "result=4 frames=0 calls=0\n"},
        {"egl-frames --frames 3 --cut 2", "result=3 frames=2 calls=2\n"},
        {"egl-frames --frames 3 --image 2x2 --oversize-block",
         "result=2 frames=0 calls=0\nerror=Size readed from memmory is greater than blocksize\n"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.gen);
        const std::string out = RunDump(Quoted(GenerateTrace("t.xqft", c.gen)));
        EXPECT_EQ(out.substr(0, c.out.size()), c.out);
    }
    EXPECT_EQ(RunDump(Quoted(TempPath("absent.xqft"))).substr(0, 26), "result=4 frames=0 calls=0\n");
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
