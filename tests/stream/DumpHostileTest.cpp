// Inputs that are not sound traces: xqft-dump gives a clear message and an error status.
#include "DumpCli.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include "TestPaths.h"

TEST(DumpHostile, RejectedHeaders)
{
    struct Case
    {
        const char* what;
        const char* genArgs; // nullptr: an empty file
        int cut;             // bytes to drop from the end
        int status;
        const char* message;
    } cases[] = {
        {"empty file", nullptr, 0, 1, "empty file"},
        {"7-byte file", "", -7, 2, "Unrecognized file type."},
        {"wrong magic", "--magic XQFTracf", 0, 2, "Unrecognized file type."},
        {"unknown byte-order mark", "--byte-order 0x12345678", 0, 2, "Unsupported trace endianness."},
        {"byte-order mark cut", "", -10, 2, "Unsupported trace endianness."},
        {"version older than the oldest", "--version 6", 0, 2, "Unsupported file format version..."},
        {"version 0", "--version 0", 0, 2, "Unsupported file format version..."},
        {"table count 0", "--version 8 --table-count 0", 0, 2, "Empty type-size table."},
        {"file ends inside the table", "--version 11", 5, 2, "Truncated trace header."},
        {"file ends before the count", "--version 9", 31, 2, "Truncated trace header."},
    };
    for (const auto& c : cases) {
        CTempFile file;
        if (c.genArgs) {
            std::string cut = c.cut < 0 ? " --cut-to " + std::to_string(-c.cut) : " --cut " + std::to_string(c.cut);
            ASSERT_EQ(Gen("raw " + file.Path() + " " + c.genArgs + cut).status, 0) << c.what;
        }
        for (const char* command : {"header", "records"}) {
            SRunResult r = Dump(command, file.Path());
            EXPECT_EQ(r.status, c.status) << c.what << " / " << command << "\n" << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << "\n" << r.err;
            EXPECT_EQ(r.out, "") << c.what;
        }
    }
}

TEST(DumpHostile, BadRecords)
{
    struct Case
    {
        const char* what;
        const char* records;
        int status;
        const char* lastLine;
    } cases[] = {
        {"record size 0xFFFFFFFF", "--record 2001:00 --record 2002:size=0xFFFFFFFF", 3, "end=truncated\n"},
        {"record size beyond the end", "--record 2001:size=100:0102", 3, "end=truncated\n"},
        {"record header cut", "--record 2001:00 --record 2002:z4 --cut 8", 3, "end=truncated\n"},
        {"marker with payload", "--record 2 --record 3:00 --record 2001", 4, "end=malformed\n"},
        {"64-bit record of 2 bytes", "--record 1:0000", 4, "end=malformed\n"},
    };
    for (const auto& c : cases) {
        CTempFile file;
        ASSERT_EQ(Gen("raw " + file.Path() + " " + c.records).status, 0) << c.what;
        SRunResult r = Dump("records", file.Path());
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
        ASSERT_GE(r.out.size(), strlen(c.lastLine)) << c.what;
        EXPECT_EQ(r.out.substr(r.out.size() - strlen(c.lastLine)), c.lastLine) << c.what;
        EXPECT_NE(r.err.find("ERROR: "), std::string::npos) << c.what;
    }
}

TEST(DumpHostile, NotATraceFile)
{
    SRunResult r = Dump("header", "/tmp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is a directory"), std::string::npos) << r.err;
    r = Dump("records", "/nonexistent/trace.xqft");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No such file"), std::string::npos) << r.err;
    r = RunCommand(BinaryDir() + "/bin/xqft-dump nosuchcommand x");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("usage"), std::string::npos) << r.err;
}

// A number on the command line that is malformed or past what it counts is refused before the trace
// is read, never cut down to another frame or call that exists, and an unknown function name does not
// quietly filter nothing.
TEST(DumpHostile, MalformedNumbersAndNamesAreUsageErrors)
{
    CTempFile file;
    ASSERT_EQ(Gen("egl-frames " + file.Path() + " --frames 3").status, 0);
    const std::string trace = "'" + file.Path() + "'";
    const std::string out = "'" + file.Path() + ".ppm'";
    const std::string commands[] = {
        "calls " + trace + " --frame 4294967298",  // 2 once cut to 32 bits
        "calls " + trace + " --frame 2x",
        "egl-state " + trace + " --frame 4294967297",
        "state-page " + trace + " --call 1 --since 1x",
        "search " + trace + " egl --frame 1x",
        "search " + trace + " egl --limit 4294967296",  // 0, no limit, once cut
        "analyse " + trace + " --frame 1 " + out + " --budget 4294967296",
        "analyse " + trace + " --frame 1 " + out + " --skip-id glNoSuchCall",
    };
    for (const std::string& command : commands) {
        SRunResult r = RunCommand(BinaryDir() + "/bin/xqft-dump " + command);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "") << command;
        const std::string name = command.substr(0, command.find(' '));
        EXPECT_EQ(r.err.rfind("usage: xqft-dump " + name + " ", 0), 0u) << command << "\n" << r.err;
    }
}
