// prefs-tool drives the store from the shell: values set there read back, and the exit status is
// the store's result code.
#include "PrefsFixture.h"

#include "RunCommand.h"

namespace {

SRunResult Tool(const std::string& args)
{
    return RunCommand(std::string(XQFT_BINARY_DIR) + "/bin/prefs-tool " + args);
}

using PrefsTool = PrefsFixture;

TEST_F(PrefsTool, SetGetDump)
{
    struct SRow { std::string args; int status; std::string output; };
    const SRow rows[] = {
        {"set Tool Window/Width integer 640", 0, ""},
        {"set Tool Name string 'two words'", 0, ""},
        {"set Tool Recent array a.xqft b.xqft", 0, ""},
        {"set Tool Flag bool true", 0, ""},
        {"set Tool Blob data aGVsbG8=", 0, ""},
        {"get Tool Window/Width", 0, "640\n"},
        {"get Tool Name", 0, "two words\n"},
        {"get Tool Recent", 0, "a.xqft\nb.xqft\n"},
        {"get Tool Flag", 0, "true\n"},
        {"get Tool Blob", 0, "aGVsbG8=\n"},
        {"get Tool Missing", 1, ""},
        {"set Tool / integer 1", 2, ""},
        {"get Tool Window", 3, ""},
        {"set Tool Window string x", 3, ""},
        {"set Tool Name/Sub integer 1", 4, ""},
        {"set Tool Width integer -1", 64, ""},
        {"frobnicate Tool", 64, ""},
    };
    for (const SRow& row : rows) {
        SRunResult run = Tool(row.args);
        EXPECT_EQ(run.status, row.status) << row.args;
        EXPECT_EQ(run.out, row.output) << row.args;
    }
    SRunResult dump = Tool("dump Tool");
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, ReadFile(PathOf("Tool")));
}

TEST_F(PrefsTool, ReadingAFileThatDoesNotParseReportsItAndChangesNothing)
{
    const std::string broken = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n"
                               "<key>A</key><string>kept</string>\n</plist>\n";
    WriteFile(PathOf("Broken"), broken);
    for (const char* args : {"dump Broken", "get Broken A"}) {
        SRunResult run = Tool(args);
        EXPECT_EQ(run.status, 4) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("does not parse: [3:0]: "), std::string::npos) << args << ": " << run.err;
        EXPECT_NE(run.err.find("Line number=3"), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_EQ(ReadFile(PathOf("Broken")), broken);
    EXPECT_FALSE(std::filesystem::exists(PathOf("Broken") + ".bak"));
}

} // namespace

