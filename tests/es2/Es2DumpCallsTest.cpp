// `xqft-dump calls --all` over a trace of every ES 2.0, every ES 1.1 and every extension record,
// loaded as the viewer loads them: each line must show the API, the function and the visible
// arguments the layouts give.
#include "CallQueries.h"
#include "Es2StateText.h"
#include "Es2TestSupport.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "state/Es2State.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include "TestPaths.h"

using namespace es2test;

namespace {

std::vector<std::string> Lines(const std::string& command)
{
    std::vector<std::string> out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    std::string line;
    for (int c; (c = fgetc(p)) != EOF;) {
        if (c == '\n') {
            out.push_back(line);
            line.clear();
        } else {
            line += char(c);
        }
    }
    pclose(p);
    return out;
}

// The generator command of every record of a family, and the family's API tag.
struct SFamily
{
    const char* command;
    const char* api;
};
const SFamily kFamilies[] = {{"es2-all", "ES2"}, {"es1-all", "ES1"}, {"ext-all --selector 1", "ES1"}};

// "API name(arg=text, ...) ==> ret" from an expectation line of the generator ("-" for the API of
// a call described by its name alone).
std::string ExpectedLine(const std::string& api, const std::vector<std::string>& f)
{
    const bool nameAlone = CallTraits(uint16_t(std::stoi(f[0]))) & trait::ListsNothing;
    std::string line = (nameAlone ? "-" : api) + " " + f[1] + "(";
    bool first = true;
    for (size_t i = 5; i < f.size(); ++i) {
        if (f[i][0] == '!')
            continue;
        line += (first ? "" : ", ") + f[i];
        first = false;
    }
    line += ")";
    if (f[4] != "-")
        line += " ==> " + f[4];
    return line;
}

TEST(Es2DumpCalls, ListsEveryRecordOfBothDataModes)
{
    for (const SFamily& family : kFamilies) {
        for (const char* options : {"", "--no-data"}) {
            SCOPED_TRACE(std::string(family.command) + " " + options);
            const std::string trace = TempPath("dump.xqft"), expect = TempPath("dump.txt");
            Generate(std::string(family.command) + " " + trace + " --expect " + expect + " " + options);
            std::vector<std::string> want;
            for (const auto& fields : ReadExpectations(expect))
                want.push_back(ExpectedLine(family.api, fields));
            const auto got = Lines(BinaryDir() + "/bin/xqft-dump calls " + trace + " --all 2>/dev/null");
            EXPECT_EQ(got, want);
        }
    }
}

// `records --consumed` builds every call object as the loader does: each line shows the bytes the
// generator says the call reads (all of a record but the draws' trailers), and the older
// `records-consumed` spelling prints the same.
TEST(Es2DumpCalls, RecordsConsumedMatchesTheGenerator)
{
    for (const SFamily& family : kFamilies) {
        SCOPED_TRACE(family.command);
        const std::string trace = TempPath("consumed.xqft"), expect = TempPath("consumed.txt");
        Generate(std::string(family.command) + " " + trace + " --expect " + expect);
        std::vector<std::string> want;
        for (const auto& f : ReadExpectations(expect))
            want.push_back("consumed=" + f[3] + " name=" + f[1]);
        const auto got = Lines(BinaryDir() + "/bin/xqft-dump records --consumed " + trace + " 2>/dev/null");
        ASSERT_EQ(got.size(), want.size() + 1);
        for (size_t i = 0; i < want.size(); ++i) {
            const size_t at = got[i].find(" consumed=");
            EXPECT_EQ(at == std::string::npos ? got[i] : got[i].substr(at + 1), want[i]);
        }
        EXPECT_EQ(got.back().rfind("records=" + std::to_string(want.size()) + " short=", 0), 0u) << got.back();
        EXPECT_EQ(Lines(BinaryDir() + "/bin/xqft-dump records-consumed " + trace + " 2>/dev/null"), got);
        std::remove(trace.c_str());
        std::remove(expect.c_str());
    }
}

// `state FILE --call N` prints the tracked state just before call N, as the trace gives it at
// that call; a call outside the trace is refused with no state printed.
TEST(Es2DumpCalls, StatePrintsTheStateBeforeTheCall)
{
    const std::string trace = TempPath("dump_state.xqft");
    Generate("es2-state-random " + trace + " --calls 300 --frames 3 --seed 5");
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    ASSERT_EQ(reader.LoadTrace(CXQFTString(trace.c_str()), 1), 0);
    CTraceData* data = reader.GetTraceData();
    const uint32_t count = data->GetCallCount();
    std::vector<std::pair<uint32_t, std::string>> expected;
    for (uint32_t call : {1u, 150u, count}) {
        SEs2State state;
        ASSERT_TRUE(data->GetEs2StateAtCall(int32_t(call - 1), &state));
        expected.emplace_back(call, DescribeEs2State(state));
    }
    reader.Close();
    for (const auto& [call, text] : expected) {
        SCOPED_TRACE("call " + std::to_string(call));
        std::string got;
        for (const std::string& line : Lines(BinaryDir() + "/bin/xqft-dump state " + trace + " --call " +
                                             std::to_string(call) + " 2>/dev/null"))
            got += line + "\n";
        EXPECT_EQ(got, text);
    }
    EXPECT_TRUE(expected[1].second.find("viewport: ") != std::string::npos);
    for (uint32_t call : {0u, count + 1})
        EXPECT_TRUE(Lines(BinaryDir() + "/bin/xqft-dump state " + trace + " --call " + std::to_string(call) +
                          " 2>/dev/null")
                        .empty())
            << call;
    std::remove(trace.c_str());
}

} // namespace
