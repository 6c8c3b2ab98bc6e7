// Call bases, the factory by id range and the generic call description.
#include "TraceFixture.h"
#include "record/XqftError.h"

#include "CallQueries.h"
#include "apicall/CallFactory.h"
#include "apicall/CallFamilies.h"
#include "apicall/CallInfo.h"

namespace {

// A call of any family with one enum argument, one hidden extra and an optional return value.
template <class Family>
class CTestCall : public Family
{
public:
    explicit CTestCall(CTrace* trace, bool returns = false) : Family(trace), m_returns(returns)
    {
        if (returns)
            *trace >> m_result;
        *trace >> m_target >> m_alignment;
    }
    const char* GetName() const override { return "glTest"; }
    int GetId() const override { return 2999; }
    const char* GetCategory() const override { return "Other"; }
    void ListArguments(CCallInfo* info, uint8_t verbose) override
    {
        Family::ListArguments(info, verbose);
        if (m_returns)
            info->SetReturnValue(&m_result);
        info->AddArgument("target", &m_target, 0);
        if (verbose)
            info->AddArgument("alignment", &m_alignment, 1);
    }
    TGLenum m_target;
    TintType<17> m_alignment;
    TuintType<21> m_result;
    bool m_returns;
};

// One record per payload, opened and ready for the first.
class CallTest : public testing::Test
{
protected:
    void Open(const std::vector<SBytes>& payloads)
    {
        SBytes file = Header(DefaultSizes());
        for (const SBytes& p : payloads)
            file.Record(2999, p);
        ASSERT_TRUE(m_fixture.Open(WriteFile("calls.xqft", file)));
    }
    CTrace* Next()
    {
        SRecordHeader record;
        EXPECT_TRUE(m_fixture.Next(record));
        return &m_fixture.Trace();
    }
    CTraceFixture m_fixture;
};

TEST_F(CallTest, FamilyBasesReadTheirHeaderAndDescribeThemselves)
{
    Open({SBytes().U32(0x502).U32(0x0DE1).U32(4),                       // ES2: error, target, alignment
          SBytes().U32(0).U32(0x0DE1).U32(4),                           // ES1
          SBytes().U32(0x3003).U32(0x0DE1).U32(4),                      // EGL: EGL error
          SBytes().U32(0x500).U32(2).U32(0x0DE1).U32(4),                // extension on ES 2.0
          SBytes().U32(0).U32(3).U32(0x0DE1).U32(4)});                  // extension, unknown API
    // succeeded: what the effect gate reads, one recorded error for every family (GL errors of
    // ES 1.1, ES 2.0 and extension calls; the EGL error, whose success is EGL_SUCCESS, not 0).
    struct SExpect { uint8_t kind; const char* api; const char* error; bool succeeded; };
    std::vector<std::unique_ptr<CApiCall>> calls;
    calls.emplace_back(new CTestCall<CEs2Call>(Next()));
    calls.emplace_back(new CTestCall<CEs1Call>(Next()));
    calls.emplace_back(new CTestCall<CEglCall>(Next()));
    calls.emplace_back(new CTestCall<CExtCall>(Next()));
    calls.emplace_back(new CTestCall<CExtCall>(Next()));
    const SExpect expect[] = {{4, "ES2", "GL_INVALID_OPERATION", false}, {2, "ES1", "GL_NO_ERROR", true},
                              {1, "EGL", "EGL_BAD_ALLOC", false},        {5, "ES2", "GL_INVALID_ENUM", false},
                              {0, "EGL", "GL_NO_ERROR", true}};
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        CApiCall& call = *calls[i];
        EXPECT_EQ(expect[i].kind, call.GetApiKind());
        EXPECT_STREQ(call.GetName(), call.GetNameString().CStr());
        CGenCallInfo info;
        call.ListArguments(&info, 0);
        EXPECT_STREQ("glTest", info.GetFunctionName());
        EXPECT_STREQ(expect[i].api, info.GetApi());
        ASSERT_NE(nullptr, info.GetError());
        CXQFTString error;
        info.GetError()->ToString(error, nullptr);
        EXPECT_STREQ(expect[i].error, error.CStr());
        ASSERT_NE(nullptr, info.GetArguments());
        EXPECT_EQ(1u, info.GetArguments()->size());
        EXPECT_EQ(expect[i].succeeded, call.RecordedSuccess());
    }
    EXPECT_EQ(0x502u, calls[0]->GetError()->value);
    EXPECT_EQ(0u, calls[2]->GetError()->value);
    EXPECT_EQ(0x500u, calls[3]->GetError()->value);
    // A call without an effect of its own changes nothing, even when it succeeded.
    EXPECT_FALSE(calls[1]->ApplyEffect(nullptr, 1));
    EXPECT_THROW(calls[0]->NotImplemented(), CXqftError);
}

TEST_F(CallTest, DescriptionListsVisibleArgumentsAndReturnValue)
{
    Open({SBytes().U32(0).U32(7).U32(0x8B31).U32(4)});
    CTestCall<CEs2Call> call(Next(), true);
    CGenCallInfo info;
    call.ListArguments(&info, 1);
    ASSERT_EQ(2u, info.GetArguments()->size());
    EXPECT_EQ(1u, info.GetVisibleArgumentCount());
    EXPECT_STREQ("alignment", info.GetArgumentNames()[1].CStr());
    EXPECT_EQ(&call.m_result, info.GetReturnValue());

    std::vector<CXQFTString> strings;
    info.GetStrings(strings);
    ASSERT_EQ(4u, strings.size()); // tag, name, target, return value; the hidden alignment is left out
    EXPECT_STREQ("ES2", strings[0].CStr());
    EXPECT_STREQ("glTest", strings[1].CStr());
    EXPECT_STREQ("GL_VERTEX_SHADER", strings[2].CStr());
    EXPECT_STREQ("7", strings[3].CStr());

    // Clearing drops the arguments only; adding again starts a new vector.
    info.Clear();
    EXPECT_EQ(nullptr, info.GetArguments());
    EXPECT_TRUE(info.GetArgumentNames().empty());
    EXPECT_STREQ("glTest", info.GetFunctionName());
    info.AddArgument("again", &call.m_target, 0);
    EXPECT_EQ(1u, info.GetArguments()->size());
}

TEST(CallDescription, EmptyCallGivesTagAndNameOnly)
{
    CGenCallInfo info;
    info.SetApi("EGL");
    std::vector<CXQFTString> strings;
    info.GetStrings(strings);
    ASSERT_EQ(1u, strings.size());
    EXPECT_EQ(nullptr, info.GetArguments());
    EXPECT_EQ(nullptr, info.GetReturnValue());
}

// A family's range runs from its table's first row to its last; every other id belongs to no
// family (the extension ids 4081-4088 without a function lie inside its range).
TEST(CallFactory, IdRanges)
{
    struct { uint16_t first, last; ECallFamily family; } ranges[] = {
        {0, 1000, ECallFamily::None},    {1001, 1105, ECallFamily::Egl}, {1106, 2000, ECallFamily::None},
        {2001, 2142, ECallFamily::Es2},  {2143, 3000, ECallFamily::None}, {3001, 3145, ECallFamily::Es1},
        {3146, 4000, ECallFamily::None}, {4001, 4090, ECallFamily::Ext},  {4091, 65535, ECallFamily::None},
    };
    for (const auto& r : ranges)
        for (uint32_t id = r.first; id <= r.last; ++id)
            ASSERT_EQ(r.family, CallFamilyOfId(uint16_t(id))) << id;
}

// Every id of every family makes a call of that family, or no call; none outside the ranges.
TEST_F(CallTest, FactoryMakesCallsOfTheRightFamily)
{
    std::vector<uint16_t> ids;
    for (uint32_t id = 0; id <= 4100; ++id)
        ids.push_back(uint16_t(id));
    ids.push_back(65535);
    // A payload of zeros long enough for any record; the data-included flag is 1.
    std::vector<SBytes> payloads(ids.size(), SBytes().Raw(std::vector<uint8_t>(256, 0)));
    Open(payloads);
    for (uint16_t id : ids) {
        std::unique_ptr<CApiCall> call(CreateCallById(id, Next()));
        const ECallFamily family = CallFamilyOfId(id);
        if (family == ECallFamily::None) {
            EXPECT_EQ(nullptr, call) << id;
            continue;
        }
        if (!call)
            continue;
        EXPECT_EQ(id, call->GetCallId());
        EXPECT_EQ(id, call->GetId());
        switch (family) {
        case ECallFamily::Egl: EXPECT_NE(nullptr, dynamic_cast<CEglCall*>(call.get())) << id; break;
        case ECallFamily::Es1: EXPECT_NE(nullptr, dynamic_cast<CEs1Call*>(call.get())) << id; break;
        case ECallFamily::Es2: EXPECT_NE(nullptr, dynamic_cast<CEs2Call*>(call.get())) << id; break;
        case ECallFamily::Ext: EXPECT_NE(nullptr, dynamic_cast<CExtCall*>(call.get())) << id; break;
        case ECallFamily::None: break;
        }
    }
}

} // namespace

namespace {

// What the readers outside the tables ask of an id: the traits the rows give, by function.
TEST(CallQueries, TraitsOfTheFunctionsReadersAsk)
{
    struct SCase
    {
        ECallFamily family;
        const char* function;
        uint16_t traits;
    };
    const SCase cases[] = {
        {ECallFamily::Es2, "glDrawArrays", trait::Draw},
        {ECallFamily::Es2, "glDrawElements", trait::Draw},
        {ECallFamily::Es1, "glDrawArrays", trait::Draw},
        {ECallFamily::Es1, "glDrawElements", trait::Draw},
        {ECallFamily::Egl, "eglSwapBuffers", trait::FrameEnd},
        {ECallFamily::Es2, "glTexImage2D", trait::TextureUpload},
        {ECallFamily::Es2, "glTexSubImage2D", trait::TextureUpload},
        {ECallFamily::Es2, "glCompressedTexImage2D", trait::TextureUpload},
        {ECallFamily::Es2, "glCompressedTexSubImage2D", trait::TextureUpload},
        {ECallFamily::Es1, "glTexImage2D", trait::TextureUpload},
        {ECallFamily::Es1, "glTexSubImage2D", trait::TextureUpload},
        {ECallFamily::Es1, "glCompressedTexImage2D", trait::TextureUpload},
        {ECallFamily::Es1, "glCompressedTexSubImage2D", trait::TextureUpload},
        {ECallFamily::Es2, "glBindTexture", trait::TextureBind},
        {ECallFamily::Es1, "glBindTexture", trait::TextureBind},
        {ECallFamily::Es2, "glShaderSource", trait::ShaderSource},
        {ECallFamily::Es2, "glCreateShader", trait::CreatesShader},
        {ECallFamily::Es2, "glAttachShader", trait::AttachesShader},
        {ECallFamily::Es2, "glClear", trait::Clear},
        {ECallFamily::Es1, "glClear", trait::Clear},
        {ECallFamily::Es2, "glCopyTexImage2D", trait::CopiesImage},
        {ECallFamily::Es1, "glCopyTexImage2D", trait::CopiesImage},
        {ECallFamily::Es2, "glCopyTexSubImage2D", trait::CopiesSubImage},
        {ECallFamily::Es1, "glCopyTexSubImage2D", trait::CopiesSubImage},
        {ECallFamily::Es2, "glGenerateMipmap", trait::MakesMipmaps},
        {ECallFamily::Ext, "glGenerateMipmapOES", trait::MakesMipmaps},
        {ECallFamily::Egl, "eglMakeCurrent", trait::MakesCurrent},
        {ECallFamily::Es2, "glViewport", 0},
    };
    auto idOf = [](ECallFamily family, const char* function) -> uint16_t {
        const SCallIdRange range = CallFamilyRange(family);
        for (uint32_t id = range.first; id <= range.last; ++id)
            if (const char* name = CallFunctionName(uint16_t(id)); name && std::string(name) == function)
                return uint16_t(id);
        return 0;
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.function);
        const uint16_t id = idOf(c.family, c.function);
        ASSERT_NE(id, 0);
        EXPECT_EQ(CallFamilyOfId(id), c.family);
        // Each query answers by its own trait (rows may carry further traits of other readers).
        EXPECT_EQ(IsDrawCall(id), bool(c.traits & trait::Draw));
        EXPECT_EQ(IsFrameEnd(id), bool(c.traits & trait::FrameEnd));
        EXPECT_EQ(IsTextureUpload(id), bool(c.traits & trait::TextureUpload));
        EXPECT_EQ(IsTextureBind(id), bool(c.traits & trait::TextureBind));
        EXPECT_EQ(IsShaderSource(id), bool(c.traits & trait::ShaderSource));
        EXPECT_EQ(CreatesShader(id), bool(c.traits & trait::CreatesShader));
        EXPECT_EQ(AttachesShader(id), bool(c.traits & trait::AttachesShader));
        EXPECT_EQ(IsClear(id), bool(c.traits & trait::Clear));
        EXPECT_EQ(CopiesImage(id), bool(c.traits & trait::CopiesImage));
        EXPECT_EQ(CopiesSubImage(id), bool(c.traits & trait::CopiesSubImage));
        EXPECT_EQ(MakesMipmaps(id), bool(c.traits & trait::MakesMipmaps));
        EXPECT_EQ(MakesCurrent(id), bool(c.traits & trait::MakesCurrent));
        // The loader's view of the rows agrees with the queries'.
        EXPECT_EQ(RegisteredCallTraits(id), CallTraits(id));
    }
    EXPECT_EQ(CallTraits(0), 0);
    EXPECT_EQ(CallTraits(kCallIdLimit), 0);
}

} // namespace
