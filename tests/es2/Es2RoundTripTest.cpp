// One round trip over every ES 2.0, ES 1.1 and extension record: tools/xqftgen.py writes each
// layout from its own copy of the layouts, with distinct values and the listing the viewer must show;
// every record is read back through the factory and its name, category, argument names in order
// (the players take arguments by position), texts and bytes consumed are compared.
#include "Es2TestSupport.h"
#include "CallQueries.h"

#include <gtest/gtest.h>

#include <set>

using namespace es2test;

namespace {

struct SMode
{
    const char* name;
    const char* command;  // the generator of the family's records
    const char* options;
    const char* api;      // the API tag of the family's calls
    size_t ids;           // every id of the family
};

class RecordRoundTrip : public testing::TestWithParam<SMode> {};

TEST_P(RecordRoundTrip, EveryRecordReadsAndListsItsLayout)
{
    const SMode& mode = GetParam();
    const std::string trace = TempPath(std::string(mode.name) + ".xqft");
    const std::string expect = TempPath(std::string(mode.name) + ".txt");
    Generate(std::string(mode.command) + " " + trace + " --expect " + expect + " " + mode.options);
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
        EXPECT_STREQ(info.GetFunctionName(), want[1].c_str());
        if (CallTraits(uint16_t(got.call->GetId())) & trait::ListsNothing) {
            EXPECT_EQ(info.GetApi(), nullptr);
            EXPECT_EQ(info.GetError(), nullptr);
        } else {
            EXPECT_STREQ(info.GetApi(), mode.api);
            EXPECT_EQ(Text(info.GetError()), "GL_NO_ERROR");
        }
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
    EXPECT_EQ(ids.size(), mode.ids) << "every id of the family";
}

INSTANTIATE_TEST_SUITE_P(
    DataModes, RecordRoundTrip,
    testing::Values(SMode{"es2_with_data", "es2-all", "", "ES2", 142},
                    SMode{"es2_without_data", "es2-all", "--no-data", "ES2", 142},
                    SMode{"es2_with_data_ptr8", "es2-all", "--pointer-size 8", "ES2", 142},
                    SMode{"es2_without_data_ptr8", "es2-all", "--no-data --pointer-size 8", "ES2", 142},
                    SMode{"es2_version7", "es2-all", "--version 7", "ES2", 142},
                    SMode{"es1_with_data", "es1-all", "", "ES1", 145},
                    SMode{"es1_without_data", "es1-all", "--no-data", "ES1", 145},
                    SMode{"es1_with_data_ptr8", "es1-all", "--pointer-size 8", "ES1", 145},
                    SMode{"es1_without_data_ptr8", "es1-all", "--no-data --pointer-size 8", "ES1", 145},
                    SMode{"es1_version7", "es1-all", "--version 7", "ES1", 145},
                    // Version 7 holds neither the records of version 8 nor the EGL-image records
                    // (its type-size table lacks their type): 82 - 5 ids.
                    SMode{"ext_es1_with_data", "ext-all", "--selector 1", "ES1", 82},
                    SMode{"ext_es2_without_data", "ext-all", "--selector 2 --no-data", "ES2", 82},
                    SMode{"ext_es1_without_data_ptr8", "ext-all", "--selector 1 --no-data --pointer-size 8", "ES1", 82},
                    SMode{"ext_es2_with_data_ptr8", "ext-all", "--selector 2 --pointer-size 8", "ES2", 82},
                    SMode{"ext_es2_version7", "ext-all", "--selector 2 --version 7", "ES2", 77},
                    SMode{"ext_es1_version8", "ext-all", "--selector 1 --version 8 --no-data", "ES1", 82}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
