// Host libraries opened by name, with fake and renamed libraries: each case runs host-lib-probe in
// a process of its own (the tables are process-wide) and reads what it printed.
#include "RunCommand.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include "TestPaths.h"

namespace {

SRunResult Probe(const std::string& args) { return RunCommand(std::string(XQFT_HOST_LIB_PROBE) + " " + args); }

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(HostLib, ALibraryLoadedAtOnceIsReportedOnceUnderItsName)
{
    const SRunResult r = Probe("es1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count(r.out, "Host Library Loaded: libGLESv1_CM.so.1\n"), 1u) << r.out;
    EXPECT_EQ(Count(r.out, "Error loading library"), 0u);
    EXPECT_NE(r.out.find("table loaded=1 failed=0 entries=145"), std::string::npos) << r.out;
}

TEST(HostLib, ANameLessItsLastCharacterIsTriedAndTheFullNameReported)
{
    // "libGLESv1_CM.so.1." does not exist (a trailing dot is a legal file name); the retry finds the library.
    const SRunResult r = Probe("es1 es1=libGLESv1_CM.so.1.");
    EXPECT_NE(r.out.find("Host Library Loaded: libGLESv1_CM.so.1.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("table loaded=1 failed=0 entries=145"), std::string::npos) << r.out;
}

TEST(HostLib, AMissingEntryPointIsReportedLeftEmptyAndFailsTheLibrary)
{
    const SRunResult r = Probe("getproc glDrawArrays es2=" XQFT_FAKE_GLES);
    EXPECT_NE(r.out.find("Error loading library glDrawArrays\nmissing=null failed=1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("present=set failed=1\n"), std::string::npos) << "a later lookup does not clear the flag";
    EXPECT_NE(r.out.find("loaded=0\n"), std::string::npos) << "freeing twice is harmless";
}

TEST(HostLib, AnEs2LibraryWithoutOneEntryPointThrows)
{
    const SRunResult r = Probe("es2 es2=" XQFT_FAKE_GLES);
    EXPECT_EQ(Count(r.out, "Error loading library "), 1u) << "glDrawArrays; the optional switch is no error\n" << r.out;
    EXPECT_NE(r.out.find("Error loading library glDrawArrays\n"), std::string::npos);
    EXPECT_NE(r.out.find("XQFTrace ES2 - ERROR: failed to load entry points from host library\n"
                         "Please check library paths in xqftrace.cfg\n\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Could not load Host library OGLES2. Please check library paths in xqftrace.cfg\n"
                         "threw Missing Mirbex Libraries\n"),
              std::string::npos)
        << r.out;
}

TEST(HostLib, AFailedEs1TableIsReturnedAllTheSame)
{
    SRunResult r = Probe("es1 es1=" XQFT_FAKE_GLES);
    EXPECT_NE(r.out.find("XQFTrace ES1 - ERROR: failed to load entry points"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Could not load Host library OGLES1. Please check library paths in xqftrace.cfg if you "
                         "are not using Extensions.Ignored..\ntable loaded=0 failed=1 entries=0\n"),
              std::string::npos)
        << "freed, with no entry point left into it\n"
        << r.out;

    r = Probe("es1 es1=libxqft-none.so");
    EXPECT_EQ(Count(r.out, "Error loading library"), 0u) << "a library that is not there resolves nothing";
    EXPECT_NE(r.out.find("table loaded=0 failed=1 entries=0"), std::string::npos) << r.out;
}

TEST(HostLib, Es1CallsPlayedWithoutTheEs1LibraryFail)
{
    const SRunResult r = Probe("es1-play es1=libxqft-none.so");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Error call:glFinish 3040\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("played=0\n"), std::string::npos) << r.out;
}

TEST(HostLib, AMissingEs2LibraryReportsEveryEntryPointAndThrows)
{
    const SRunResult r = Probe("es2 es2=libxqft-none.so");
    EXPECT_EQ(Count(r.out, "Host Library Loaded"), 0u);
    EXPECT_EQ(Count(r.out, "Error loading library "), 142u) << "the 142 entry points; the optional switch is no error";
    EXPECT_NE(r.out.find("threw Missing Mirbex Libraries"), std::string::npos);
}

// Without the ES 2.0 library an analysis ends in result 0 (the restore's exception is the caller's
// to catch, as the dock's render sequence does), never in a crash.
TEST(HostLib, AnAnalysisWithoutTheEs2LibraryFailsCleanly)
{
    const std::string trace = "/tmp/xqft-hostlib-" + std::to_string(getpid()) + ".xqft";
    ASSERT_EQ(RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py egl-session '" + trace + "'").status, 0);
    const SRunResult r = Probe("analyse es2=libxqft-none.so " + trace);
    std::remove(trace.c_str());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("bound=1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("result=0"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Missing Mirbex Libraries"), std::string::npos) << r.err;
}

// Without the ES 1.1 library a frame of an ES 1.1 trace is restored through the table's empty
// slots, which do nothing, and its pass ends in result 0 at the first call the player turns down.
TEST(HostLib, AnEs1FrameAnalysedWithoutTheEs1LibraryFailsCleanly)
{
    const std::string dir = "/tmp/xqft-hostlib-es1-" + std::to_string(getpid());
    ASSERT_EQ(RunCommand("mkdir -p '" + dir + "' && " + BinaryDir() + "/bin/xqft-record --scene es1-textured --out '" +
                         dir + "' && python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + dir +
                         "/es1-textured.log' '" + dir + "/es1-textured.xqft'")
                  .status,
              0);
    const SRunResult r = Probe("analyse es1=libxqft-none.so " + dir + "/es1-textured.xqft");
    RunCommand("rm -rf '" + dir + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("bound=1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("result=0"), std::string::npos) << r.out;
}

TEST(HostLib, TwoInstanceCallsBuildOneTable)
{
    const SRunResult r = Probe("twice");
    EXPECT_EQ(Count(r.out, "Host Library Loaded: libGLESv1_CM.so.1"), 1u) << r.out;
    EXPECT_NE(r.out.find("same=1"), std::string::npos);
}

} // namespace
