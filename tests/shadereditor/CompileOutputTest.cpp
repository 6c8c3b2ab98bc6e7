// Parsing what compilers print and write: messages, profile files, performance figures, banners,
// and the whole-file reader's messages.
#include "CompileMessages.h"
#include "CompileOutputParser.h"
#include "ShaderTestSupport.h"
#include "WholeFile.h"

#include <gtest/gtest.h>

#include <QVariant>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::vector<int> Cycles(const SCompileResult& r)
{
    return std::vector<int>(r.lineCycles.data, r.lineCycles.data + r.lineCycles.size);
}

std::string Output(const SCompileResult& r)
{
    return std::string(r.output.CStr(), r.output.Length());
}

CXQFTString Bytes(const std::string& s)
{
    return CXQFTString(s.data(), s.size());
}

} // namespace

TEST(CompileMessages, LinesMoveByTheOffsetAfterTheMarker)
{
    struct SCase
    {
        const char* what;
        std::string log;
        const char* marker;
        uint32_t offset;
        std::string expected;
    };
    const SCase cases[] = {
        {"error moved by 20", "Compile failed.\nERROR: 0:7: x\n", "Compile failed.\n", 20, "ERROR: 0:27: x\n"},
        {"warning unchanged at offset 0", "Success.\nWARNING: 3:1: y\n", "Success.\n", 0, "WARNING: 3:1: y\n"},
        {"source-string number kept, several messages",
         "Success.\nWARNING: 2:1: a ERROR: 0:5 b\nERROR: 1:9: c\n", "Success.\n", 10,
         "WARNING: 2:11: a ERROR: 0:5 b\nERROR: 1:19: c\n"},
        {"text before the marker is dropped", "ERROR: 0:1: early\nSuccess.\nrest", "Success.\n", 5, "rest"},
        {"marker absent: nothing", "Compile failed.", "Compile failed.\n", 3, ""},
        {"second marker stays in the text", "Success.\nA\nSuccess.\nB", "Success.\n", 0, "A\nSuccess.\nB"},
        {"a number that does not fit stays", "Success.\nERROR: 0:99999999999999999999: x", "Success.\n", 4,
         "ERROR: 0:99999999999999999999: x"},
        {"a number pushed past 32 bits stays", "Success.\nERROR: 0:4294967290: x", "Success.\n", 6,
         "ERROR: 0:4294967290: x"},
        {"NUL and invalid UTF-8 bytes pass through", std::string("Success.\n\0\xff\xfe" "ERROR: 0:1: \xc3(\n", 24),
         "Success.\n", 1, std::string("\0\xff\xfe" "ERROR: 0:2: \xc3(\n", 15)},
        {"empty log", "", "Success.\n", 0, ""},
    };
    for (const SCase& c : cases) {
        SCompileResult r;
        r.output = "head\n";
        ParseCompileMessages(r, c.marker, c.offset, Bytes(c.log));
        EXPECT_EQ(Output(r), "head\n" + c.expected) << c.what;
    }
}

// The marks and the one-line result come from the output as the editor keeps it: the label and
// marker line first, then the compiler's messages with their lines already moved.
TEST(CompileMessages, LocatedMessagesAndTheOneLineResult)
{
    struct SCase
    {
        const char* what;
        uint32_t status;
        std::string output;
        std::vector<std::pair<uint32_t, bool>> marks;   // line, warning
        const char* summary;
    };
    const SCase cases[] = {
        {"clean", SCompileResult::kSuccess, "Fragment Shader: Compile succeeded.\n", {}, "Compiled"},
        {"two errors on one line and a warning",
         SCompileResult::kFailed,
         "Fragment Shader: Compile failed.\nWARNING: 0:1: '#extension' : not supported\n"
         "ERROR: 0:14: 'brightness' : undeclared identifier\nERROR: 0:14: '' : compilation terminated\n"
         "ERROR: 2 compilation errors.  No code generated.\n",
         {{1, true}, {14, false}, {14, false}},
         "2 errors, 1 warning"},
        {"one error, the rest no messages", SCompileResult::kFailed,
         "ERROR: 0:3: x\nERROR:0:4: no blank\nerror: 0:5: lower case\nERROR: 0:6 no colon\n  ERROR: 0:7: indented",
         {{3, false}}, "1 error"},
        {"warnings only", SCompileResult::kSuccess, "Success.\nWARNING: 2:8: a\nWARNING: 0:9: b\n",
         {{8, true}, {9, true}}, "Compiled, 2 warnings"},
        {"a line past 32 bits is no line", SCompileResult::kFailed, "ERROR: 0:99999999999: x\n", {{0, false}},
         "1 error"},
        {"failed without a located error", SCompileResult::kFailed, "Compile failed.\nsomething odd\n", {},
         "Compile failed"},
        {"the compiler did not run", SCompileResult::kUnusable,
         "ERROR: Failed to execute compiler. Please check the path is valid.\n", {},
         "Not compiled: Failed to execute compiler. Please check the path is valid."},
        {"NUL and invalid bytes", SCompileResult::kFailed, std::string("ERROR: 0:2: \xff\0x\n", 15), {{2, false}},
         "1 error"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        SCompileResult r;
        r.status = c.status;
        r.output = Bytes(c.output);
        const SCompileMessages m = ParseCompileMessageLines(r.output);
        std::vector<std::pair<uint32_t, bool>> marks;
        for (const SCompileMessage& message : m.list)
            marks.emplace_back(message.line, message.warning);
        EXPECT_EQ(marks, c.marks);
        EXPECT_EQ(CompileSummary(r).toStdString(), c.summary);
    }
    // A flood keeps the first kMaxKept and counts them all.
    std::string flood;
    for (int i = 0; i < 3000; ++i)
        flood += "ERROR: 0:1: x\n";
    const SCompileMessages m = ParseCompileMessageLines(Bytes(flood));
    EXPECT_EQ(m.list.size(), SCompileMessages::kMaxKept);
    EXPECT_EQ(m.errors, 3000u);
}

TEST(CompileProfile, LineCyclesTotalsAndBounds)
{
    struct SCase
    {
        const char* what;
        std::string text;
        uint32_t offset;
        uint32_t textLines;
        std::vector<int> before;
        std::vector<int> cycles;
        int total;
        int instructions;
    };
    const SCase cases[] = {
        {"gaps are -1", "line: 3, count: 5\nline: 1, count: 2\n", 0, 10, {}, {2, -1, 5}, 7, -1},
        {"a repeated line keeps its first count", "line: 2, count: 4\nline: 2, count: 9\nline: 1, count: 1", 0, 10,
         {}, {1, 4}, 5, -1},
        {"the line equal to the size is the last entry", "line: 3, count: 8\n", 0, 10, {1, 2, 3}, {1, 2, 3}, 0, -1},
        {"offset moves the lines", "line: 1, count: 6\n", 2, 10, {}, {-1, -1, 6}, 6, -1},
        {"line 0 and lines past the text are dropped",
         "line: 0, count: 1\nline: 4294967295, count: 1\nline: 99999999999999999999, count: 1\nline: 4, count: 3\nline: 5, count: 9",
         0, 4, {}, {-1, -1, -1, 3}, 3, -1},
        {"a count beyond int is dropped", "line: 1, count: 2147483648\nline: 2, count: 2147483647\n", 0, 4, {},
         {-1, 2147483647}, 2147483647, -1},
        {"the total saturates", "line: 1, count: 2147483647\nline: 2, count: 2147483647\n", 0, 4, {},
         {2147483647, 2147483647}, 2147483647, -1},
        {"instructions", "line: 1, count: 1\nUSC generated instructions = 42\n", 0, 4, {}, {1}, 1, 42},
        {"instructions that overflow", "USC generated instructions = 99999999999\n", 0, 4, {}, {}, 0, -1},
        {"CRLF", "line: 1, count: 2\r\nline: 2, count: 3\r\n", 0, 4, {}, {2, 3}, 5, -1},
    };
    for (const SCase& c : cases) {
        SCompileResult r;
        for (int v : c.before)
            r.lineCycles.Append(v);
        TCompileProfileMap profiles;
        ParseProfileText(r, profiles, c.text.data(), c.text.size(), c.offset, 0, c.textLines);
        EXPECT_EQ(Cycles(r), c.cycles) << c.what;
        EXPECT_EQ(profiles[0].lineCyclesTotal, c.total) << c.what;
        EXPECT_EQ(profiles[0].instructions, c.instructions) << c.what;
        EXPECT_EQ(Output(r), "") << c.what;
    }
}

TEST(CompileProfile, TwoEffectShadersFillDisjointParts)
{
    SCompileResult r;
    TCompileProfileMap profiles;
    const std::string first = "line: 1, count: 3\nline: 2, count: 4\n";
    const std::string second = "line: 1, count: 7\n";
    ParseProfileText(r, profiles, first.data(), first.size(), 10, 0, 2);
    ParseProfileText(r, profiles, second.data(), second.size(), 40, 1, 1);
    std::vector<int> expected(41, -1);
    expected[10] = 3, expected[11] = 4, expected[40] = 7;
    EXPECT_EQ(Cycles(r), expected);
    EXPECT_EQ(profiles[0].lineCyclesTotal, 7);
    EXPECT_EQ(profiles[1].lineCyclesTotal, 7);
}

TEST(CompileProfile, FilesAndTheirFailures)
{
    CTempFolder dir;
    std::string prof = dir.Write("a.prof", "line: 2, count: 5\n");
    std::string disasm = dir.Write("a.disasm", std::string("mov r0, r1\n\0tail", 16));
    SCompileResult r;
    TCompileProfileMap profiles;
    ParseProfileOutput(r, profiles, prof.c_str(), 0, 3, 10);
    ParseDisassemblyFile(r, profiles, disasm.c_str(), 3);
    EXPECT_EQ(Cycles(r), (std::vector<int>{-1, 5}));
    EXPECT_EQ(std::string(profiles[3].disassembly.CStr(), profiles[3].disassembly.Length()),
              std::string("mov r0, r1\n\0tail", 16));

    const std::string missing = dir.File("missing.prof");
    ParseProfileOutput(r, profiles, missing.c_str(), 0, 4, 10);
    ParseDisassemblyFile(r, profiles, dir.Path().c_str(), 4);   // a directory
    EXPECT_EQ(Output(r), "Failed to open file: " + missing + "\nReason: " + strerror(ENOENT) + "\n" +
                             "Failed to open file: " + dir.Path() + "\nReason: " + strerror(EISDIR) + "\n");
    EXPECT_EQ(profiles[4].cycles, -1.0f);
    EXPECT_EQ(profiles[4].lineCyclesTotal, -1);
}

TEST(CompilePerformance, FiguresOfTheEstimate)
{
    struct SCase
    {
        const char* what;
        const char* log;
        float cycles, worst;
        int temporaries, attributes, reads;
    };
    const SCase cases[] = {
        {"exact cycle count wins",
         "Performance estimate\nCycle count:                9\nAverage cycle count:        12\n"
         "Temporary registers used:   3\nPrimary attributes used:    2\nNon-dependent texture reads:1\n",
         9, -1, 3, 2, 1},
        {"average and worst without a cycle count",
         "Performance estimate\nAverage cycle count:        12\nWorst   cycle count:        30\n", 12, 30, -1, -1, -1},
        {"the blanks are exact", "Performance estimate\nCycle count: 9\nTemporary registers used: 3\n", -1, -1, -1, -1, -1},
        {"the first occurrence wins", "Cycle count:                4\nCycle count:                5\n", 4, -1, -1, -1, -1},
        {"figures that overflow are ignored",
         "Temporary registers used:   99999999999\n"
         "Average cycle count:        9999999999999999999999999999999999999999999999999999999999999999"
         "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999\n",
         -1, -1, -1, -1, -1},
    };
    for (const SCase& c : cases) {
        TCompileProfileMap profiles;
        ParsePerformanceEstimate(profiles, CXQFTString(c.log), 2);
        const SCompileResult::SProfile& p = profiles[2];
        EXPECT_EQ(p.cycles, c.cycles) << c.what;
        EXPECT_EQ(p.worstCycles, c.worst) << c.what;
        EXPECT_EQ(p.temporaryRegisters, c.temporaries) << c.what;
        EXPECT_EQ(p.primaryAttributes, c.attributes) << c.what;
        EXPECT_EQ(p.nonDependentTextureReads, c.reads) << c.what;
        EXPECT_EQ(p.firstFigure, -1.0f) << c.what;
    }
}

TEST(CompilerHelp, BannersAndOptionLists)
{
    struct SCase
    {
        const char* what;
        const char* help;
        bool ok;
        const char* name;
        const char* version;
        std::vector<std::string> options;
    };
    const SCase cases[] = {
        {"pattern 1, OpenCL", "XQF OpenCL 1.2 Embedded compiler. Version 3 build rel_1.5@221\n"
                              "Control options are:\n -cl-opt-disable : x\n -w: y\n",
         true, "OpenCL 1.2 Embedded", "rel_1.5@221", {"cl-opt-disable", "w"}},
        {"pattern 2", "Offline compiler for Series6. Version 2.9.1@123\nOPTIONS are:\n -v : vertex\n -profile : p\n",
         true, "Series6", "2.9.1@123", {"v", "profile"}},
        {"pattern 3", "Compiler for SGX rev 544 built with hxtddk v1.10@99\nOPTIONS are:\n", true, "SGX rev 544",
         "v1.10@99", {}},
        {"pattern 4", "Compiler for SGX rev 543 built with hxtddk 7 beta_2@17\nOPTIONS are:\n", true, "SGX rev 543",
         "beta_2@17", {}},
        {"pattern 5", "Compiler for SGX rev 530 (test) Version 1.4.2 final\nOPTIONS are:\n", true, "SGX rev 530",
         "1.4.2", {}},
        {"pattern 2, the dot takes a line feed", "Compiler for Rogue\n Version 1.0@5\nOPTIONS are:\n -f \n", true, "Rogue", "1.0@5", {"f"}},
        {"no pattern", "some tool\nOPTIONS are:\n -a -b \n", true, "Unknown", "Unknown", {"a"}},
        {"no option header", "Offline compiler for Series6. Version 2.9.1@123\n", false, "Series6", "2.9.1@123", {}},
        {"empty", "", false, "Unknown", "Unknown", {}},
    };
    for (const SCase& c : cases) {
        CXQFTString name, version;
        CXQFTArray<QString> options;
        EXPECT_EQ(ParseCompilerHelp(CXQFTString(c.help), &name, &version, &options), c.ok) << c.what;
        EXPECT_STREQ(name.CStr(), c.name) << c.what;
        EXPECT_STREQ(version.CStr(), c.version) << c.what;
        std::vector<std::string> got;
        for (uint32_t i = 0; i < options.size; ++i)
            got.push_back(options[i].toStdString());
        EXPECT_EQ(got, c.options) << c.what;
    }
}

TEST(CompilerHelp, HugeBannerWithoutMatchIsUnknown)
{
    std::string banner;
    banner.reserve(10u << 20);
    while (banner.size() < (10u << 20))
        banner += "compiler for version rev XQF OpenCL 1 the quick brown fox\n";
    CXQFTString name, version;
    CXQFTArray<QString> options;
    EXPECT_FALSE(ParseCompilerHelp(Bytes(banner), &name, &version, &options));
    EXPECT_STREQ(name.CStr(), "Unknown");
}

TEST(WholeFile, ReadsWritesAndRefusesWhatIsNotARegularFile)
{
    CTempFolder dir;
    std::string path = dir.File("data.bin");
    const std::string bytes("a\0b\nc", 5);
    CXQFTString error;
    ASSERT_TRUE(WriteWholeFile(path.c_str(), bytes.data(), bytes.size(), &error));
    char* buffer = nullptr;
    size_t size = 99;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), &buffer, &size, &error));
    EXPECT_EQ(std::string(buffer, size), bytes);
    EXPECT_EQ(buffer[size], '\0');
    free(buffer);

    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.File("big");
    ASSERT_EQ(truncate(dir.Write("big", "").c_str(), off_t(300) << 20), 0);
    struct SCase
    {
        std::string path;
        std::string message;
    };
    const SCase cases[] = {
        {dir.File("missing"), "Failed to open file: " + dir.File("missing") + "\nReason: " + strerror(ENOENT)},
        {dir.Path(), "Failed to open file: " + dir.Path() + "\nReason: " + strerror(EISDIR)},
        {fifo, "Failed to open file: " + fifo + "\nReason: " + strerror(EINVAL)},
        {big, "Not enough memory to load file."},
    };
    for (const SCase& c : cases) {
        buffer = nullptr;
        size = 7;
        error.Clear();
        EXPECT_FALSE(ReadWholeFile(c.path.c_str(), &buffer, &size, &error)) << c.path;
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(size, 0u);
        EXPECT_STREQ(error.CStr(), c.message.c_str());
    }
    EXPECT_FALSE(WriteWholeFile(dir.File("no/such/dir").c_str(), "x", 1, &error));
    EXPECT_EQ(std::string(error.CStr()),
              "Failed to save file: " + dir.File("no/such/dir") + "\nReason: " + strerror(ENOENT));
    EXPECT_FALSE(WriteWholeFile(fifo.c_str(), "x", 1, &error));   // no reader: refused, not blocked
}

TEST(CompileResult, TravelsAsARegisteredMetaTypeByValue)
{
    RegisterCompileResultMetaType();
    const QMetaType type = QMetaType::fromName("SCompileResult");
    ASSERT_TRUE(type.isValid());
    SCompileResult r;
    r.status = SCompileResult::kFailed;
    r.output = "x";
    r.lineCycles.Append(4);
    r.profiles.Append(SCompileResult::SProfile());
    QVariant v = QVariant::fromValue(r);
    SCompileResult back = v.value<SCompileResult>();
    EXPECT_EQ(back.status, 1u);
    EXPECT_STREQ(back.output.CStr(), "x");
    EXPECT_EQ(back.lineCycles[0], 4);
    EXPECT_EQ(back.profiles[0].cycles, -1.0f);
    EXPECT_EQ(back.profiles[0].lineCyclesTotal, -1);
}
