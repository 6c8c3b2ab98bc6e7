// The ES 2.0 factory: the id range, the file version, and the one id with two record layouts.
#include "CallQueries.h"
#include "Es2Records.h"
#include "Es2TestSupport.h"

#include "Es2Factory.h"

#include <gtest/gtest.h>

using namespace es2test;

namespace {

TEST(Es2Factory, GivesNoRecordOutsideTheRangeOrForVersionZero)
{
    CTrace trace(11, 1, nullptr, 0);
    EXPECT_EQ(CreateCallById(2000, &trace), nullptr);
    EXPECT_EQ(CreateCallById(2143, &trace), nullptr);
    SReadCall r = BuildCall(CallIdOf(ECallFamily::Es2, "glFinish"), {0, 0, 0, 0}, true, 4, /*version=*/0);
    EXPECT_EQ(r.call, nullptr);
}

TEST(Es2Factory, PicksTheDrawElementsLayoutByVersion)
{
    const std::vector<uint8_t> payload(4 * 4 + 4, 0); // error, mode, count, type, pointer
    for (uint32_t version : {1u, 6u, 7u, 11u}) {
        SReadCall r = BuildCall(CallIdOf(ECallFamily::Es2, "glDrawElements"), payload, false, 4, version);
        ASSERT_NE(r.call, nullptr);
        const bool v7 = dynamic_cast<CEs2_glDrawElements_v7*>(r.call.get()) != nullptr;
        EXPECT_EQ(v7, version >= 7) << version;
        EXPECT_STREQ(r.call->GetName(), "glDrawElements");
    }
}

TEST(Es2Factory, CallsWithoutArgumentsHoldTheErrorAlone)
{
    for (uint16_t id : {CallIdOf(ECallFamily::Es2, "glFinish"), CallIdOf(ECallFamily::Es2, "glFlush"),
                        CallIdOf(ECallFamily::Es2, "glReleaseShaderCompiler")}) {
        SReadCall r = BuildCall(id, {0x02, 0x05, 0, 0}, true);
        ASSERT_NE(r.call, nullptr);
        EXPECT_EQ(r.consumed, 4u);
        EXPECT_EQ(r.call->GetError()->value, 0x502u);
        CGenCallInfo info;
        r.call->ListArguments(&info, 1);
        EXPECT_EQ(info.GetArguments(), nullptr);
        EXPECT_EQ(info.GetReturnValue(), nullptr);
    }
}

} // namespace
