// One round trip over every ES 1.1 record: tools/xqftgen.py writes each layout from its own copy
// of the layouts, with distinct values and the listing the viewer must show; every record is read
// back through the factory and its name, category, argument names in order (the players take
// arguments by position), texts and bytes consumed are compared.
#include "Es2TestSupport.h"
#include "CallQueries.h"
#include "apicall/CallInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace es2test;

namespace {

struct SMode
{
    const char* name;
    const char* options;
    size_t ids;  // distinct ids the trace holds
};

std::vector<std::vector<std::string>> ReadExpectations(const std::string& path)
{
    std::vector<std::vector<std::string>> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream s(line);
        for (std::string f; std::getline(s, f, '\t');)
            fields.push_back(f);
        out.push_back(fields);
    }
    return out;
}

class Es1RoundTrip : public testing::TestWithParam<SMode> {};

TEST_P(Es1RoundTrip, EveryRecordReadsAndListsItsLayout)
{
    const std::string trace = TempPath(std::string(GetParam().name) + ".xqft");
    const std::string expect = TempPath(std::string(GetParam().name) + ".txt");
    Generate("es1-all " + trace + " --expect " + expect + " " + GetParam().options);
    const auto expected = ReadExpectations(expect);
    const auto calls = ReadEs2Trace(trace);
    ASSERT_EQ(calls.size(), expected.size());

    std::set<int> ids;
    for (size_t i = 0; i < calls.size(); ++i) {
        const auto& want = expected[i];
        const SReadCall& got = calls[i];
        SCOPED_TRACE(want[0] + " " + want[1]);
        ASSERT_NE(got.call, nullptr);
        EXPECT_EQ(got.call->GetId(), std::stoi(want[0]));
        EXPECT_STREQ(got.call->GetName(), want[1].c_str());
        EXPECT_STREQ(got.call->GetCategory(), want[2].c_str());
        EXPECT_STREQ(CallFunctionName(uint16_t(got.call->GetId())), want[1].c_str());
        EXPECT_EQ(got.consumed, std::stoull(want[3]));
        ids.insert(got.call->GetId());

        CGenCallInfo info;
        got.call->ListArguments(&info, 1);
        EXPECT_STREQ(info.GetApi(), "ES1");
        EXPECT_EQ(Text(info.GetError()), "GL_NO_ERROR");
        EXPECT_EQ(Text(info.GetReturnValue()), want[4]);
        std::vector<std::string> listed;
        const auto* values = info.GetArguments();
        for (size_t a = 0; values && a < values->size(); ++a)
            listed.push_back(std::string(a >= info.GetVisibleArgumentCount() ? "!" : "") +
                             info.GetArgumentNames()[a].CStr() + "=" + Text((*values)[a]));
        EXPECT_EQ(listed, std::vector<std::string>(want.begin() + 5, want.end()));

        // Without verbose only the visible arguments are listed.
        CGenCallInfo brief;
        got.call->ListArguments(&brief, 0);
        const size_t visible = brief.GetArguments() ? brief.GetArguments()->size() : 0;
        EXPECT_EQ(visible, info.GetVisibleArgumentCount());
        EXPECT_EQ(brief.GetVisibleArgumentCount(), info.GetVisibleArgumentCount());
    }
    EXPECT_EQ(ids.size(), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(DataModes, Es1RoundTrip,
                         testing::Values(SMode{"with_data", "", 145}, SMode{"without_data", "--no-data", 145},
                                         SMode{"with_data_ptr8", "--pointer-size 8", 145},
                                         SMode{"without_data_ptr8", "--no-data --pointer-size 8", 145},
                                         SMode{"version7", "--version 7", 145}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
