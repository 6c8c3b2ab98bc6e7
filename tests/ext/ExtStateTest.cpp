// The state effects of the extension records, on the state of the API each call was made on (its
// selector). On an ES 1.1 state: the vertex-array binding, the current palette matrix and the
// palette pointer calls' arrays (the pointer calls also through XXXYYYPointer on a scratch state).
// On either state: vertex-array, framebuffer and renderbuffer objects, as the loader tracks them.
// On the ES 2.0 state: the multisample render-to-texture pair. Every one behind the recorded-error
// gate.
#include "ExtRecords.h"
#include "Es2TestSupport.h"

#include "CallQueries.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include "ExtTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace es2test;

namespace {

using exttest::Id;

constexpr uint32_t kFramebuffer = 0x8D40, kTexture = 0x1702, kTexture2D = 0x0DE1, kCubeNegX = 0x8516;
constexpr uint32_t kColor0 = 0x8CE0, kColor1 = 0x8CE1, kDepth = 0x8D00, kStencil = 0x8D20, kRgba4 = 0x8056;

// An extension call on the given selector: its payload after the error and the selector. A core
// ES 2.0 call of the sequence has no function and gives its id instead.
struct SExt
{
    const char* function;
    SPayload payload;
    uint32_t error = 0;
    uint32_t selector = 2;
    uint16_t coreId = 0;
};

SReadCall Build(const SExt& c)
{
    SPayload p(c.payload.pointerWidth);
    p.U32(c.error).U32(c.selector).Raw(c.payload.bytes);
    SReadCall r = BuildCall(Id(c.function), p.bytes, true, c.payload.pointerWidth);
    EXPECT_NE(r.call, nullptr) << c.function;
    return r;
}

SExt PalettePointer(const char* function, int32_t size, uint32_t type, int32_t stride, uint64_t pointer,
                    uint32_t error = 0)
{
    return {function, SPayload(8).Words({uint32_t(size), type, uint32_t(stride)}).Ptr(pointer), error, 1};
}

// ---- ES 1.1 hooks -----------------------------------------------------------------------------

struct SEs1Case
{
    const char* what;
    std::vector<SExt> calls;
    std::function<void(const SEs1State&)> check;
};

const SEs1ClientArray& MatrixIndex(const SEs1State& s) { return s.vertexArrays.Get(s.vertexArrayBinding)->matrixIndex; }
const SEs1ClientArray& Weight(const SEs1State& s) { return s.vertexArrays.Get(s.vertexArrayBinding)->weight; }

const SEs1Case kEs1Cases[] = {
    {"binding a vertex array sets the binding the client arrays are found under",
     {{"glBindVertexArrayOES", SPayload().U32(5)}},
     [](const SEs1State& s) {
         EXPECT_EQ(s.vertexArrayBinding, 5u);
         ASSERT_NE(s.vertexArrays.Get(5), nullptr);
         EXPECT_EQ(s.vertexArrays.Get(5)->vertex.size, 4);
     }},
    {"the current palette matrix", {{"glCurrentPaletteMatrixOES", SPayload().U32(9)}},
     [](const SEs1State& s) { EXPECT_EQ(s.currentPaletteMatrix, 9u); }},
    {"a matrix-index pointer without a record for the binding adds one with the defaults",
     {{"glBindVertexArrayOES", SPayload().U32(3)},
      PalettePointer("glMatrixIndexPointerOES", 2, 0x1401, 8, 0x123456789AULL)},
     [](const SEs1State& s) {
         ASSERT_NE(s.vertexArrays.Get(3), nullptr);
         const SEs1ClientArray& a = MatrixIndex(s);
         EXPECT_EQ(a.buffer, 0u);
         EXPECT_EQ(a.size, 2);
         EXPECT_EQ(a.type, 0x1401u);
         EXPECT_EQ(a.stride, 8);
         EXPECT_EQ(a.pointer, 0x123456789AULL);  // the whole recorded pointer
         EXPECT_EQ(Weight(s).size, SEs1VertexArray{}.weight.size);
         EXPECT_EQ(s.vertexArrays.Get(3)->color.size, 4);
     }},
    {"a weight pointer leaves the matrix-index array and the enabled flags alone",
     {PalettePointer("glMatrixIndexPointerOES", 3, 0x1401, 0, 0x10),
      PalettePointer("glWeightPointerOES", 4, 0x1406, 16, 0x20)},
     [](const SEs1State& s) {
         EXPECT_EQ(MatrixIndex(s).size, 3);
         EXPECT_EQ(MatrixIndex(s).pointer, 0x10u);
         EXPECT_EQ(Weight(s).size, 4);
         EXPECT_EQ(Weight(s).type, 0x1406u);
         EXPECT_EQ(Weight(s).stride, 16);
         EXPECT_EQ(Weight(s).pointer, 0x20u);
         for (uint8_t enabled : s.vertexArrays.Get(0)->enabled)
             EXPECT_EQ(enabled, 0);
     }},
};

class ExtEs1Hook : public testing::TestWithParam<SEs1Case> {};

TEST_P(ExtEs1Hook, ChangesTheStateItIsGiven)
{
    SEs1State state;
    std::vector<SReadCall> calls;
    for (const SExt& c : GetParam().calls) {
        calls.push_back(Build(c));
        auto* ext = dynamic_cast<CExtCall*>(calls.back().call.get());
        ASSERT_NE(ext, nullptr);
        EXPECT_TRUE(ext->UpdateEs1State(&state, 1)) << c.function;
    }
    GetParam().check(state);
}

INSTANTIATE_TEST_SUITE_P(Calls, ExtEs1Hook, testing::ValuesIn(kEs1Cases),
                         [](const auto& info) { return CaseName(info.param.what); });

// The pointer calls reach their hook through XXXYYYPointer on a scratch state, and the ES 1.1
// state through ApplyEffect, both behind the recorded-error gate.
TEST(ExtEs1Hook, PointerCallsApplyOnlyWhenTheyRecordedSuccess)
{
    for (const char* function : {"glMatrixIndexPointerOES", "glWeightPointerOES"}) {
        SCOPED_TRACE(function);
        for (uint32_t error : {0u, 0x501u}) {
            SReadCall r = Build(PalettePointer(function, 2, 0x1401, 0, 0x40, error));
            auto* mixin = dynamic_cast<XXXYYYPointer*>(r.call.get());
            ASSERT_NE(mixin, nullptr);
            EXPECT_EQ(mixin->ApplyToTempState(), error == 0);
            EXPECT_EQ(r.call->GetStateKind(), kApiEs1);
            SEs1State es1;
            EXPECT_EQ(r.call->ApplyEffect(&es1, 1), error == 0);
            EXPECT_EQ(Describe(*r.call, 1),
                      std::string(function) + "(size=2, type=GL_UNSIGNED_BYTE, stride=0, pointer=0x40, "
                                              "!pointerPlayback=0x40) ==> -");
            delete r.call.release();  // through the CApiCall part: the whole object goes
        }
    }
}

// ---- fixed-point matrix functions ------------------------------------------------------------

// An extension matrix call and its core fixed-point form, with the payload both record after the
// error (and, for the extension, the selector).
struct SMatrixCase
{
    const char* ext;
    const char* core;
    SPayload payload;
};

// Numbers in 16.16 fixed point, after the array pointer when one is given.
SPayload Fixeds(std::initializer_list<float> values, uint64_t pointer = 0)
{
    SPayload p;
    if (pointer)
        p.Ptr(pointer);
    for (float v : values)
        p.U32(uint32_t(int32_t(v * 65536)));
    return p;
}

// The id of a core ES 1.1 function by its name.
uint16_t Es1Id(const char* function)
{
    for (const SCallRow& row : callrows::kEs1)
        if (std::string_view(row.function) == function)
            return row.id;
    ADD_FAILURE() << function;
    return 0;
}

const SMatrixCase kMatrixCases[] = {
    {"glFrustumxOES", "glFrustumx", Fixeds({-1, 2, -0.5f, 1.5f, 1, 10})},
    {"glOrthoxOES", "glOrthox", Fixeds({-2, 1, -1, 3, -1, 5})},
    {"glLoadMatrixxOES", "glLoadMatrixx", Fixeds({2, 0.5f, 0, 0, -1, 3, 0, 0, 0, 0, 1, 0, 4, -2, 1, 1}, 0x100)},
    {"glMultMatrixxOES", "glMultMatrixx", Fixeds({2, 0.5f, 0, 0, -1, 3, 0, 0, 0, 0, 1, 0, 4, -2, 1, 1}, 0x100)},
    {"glRotatexOES", "glRotatex", Fixeds({30, 1, 2, 3})},
    {"glScalexOES", "glScalex", Fixeds({2, -3, 0.5f})},
    {"glTranslatexOES", "glTranslatex", Fixeds({1.5f, -2, 4})},
};

// A model-view matrix with no symmetry, so that a product in the wrong order shows.
SEs1State StartState()
{
    SEs1State s;
    for (int k = 0; k < 16; ++k)
        s.matrixStacks[0].top[k] = float(k % 5) - 1.5f + float(k) / 8;
    return s;
}

// On ES 1.1 each changes the current matrix exactly as its core form; on ES 2.0 it changes nothing.
TEST(ExtMatrix, EachGivesTheMatrixOfItsCoreFixedForm)
{
    for (const SMatrixCase& c : kMatrixCases) {
        SCOPED_TRACE(c.ext);
        SEs1State viaCore = StartState(), viaExt = StartState();
        SPayload core;
        core.U32(0).Raw(c.payload.bytes);
        SReadCall coreCall = BuildCall(Es1Id(c.core), core.bytes, true);
        ASSERT_NE(coreCall.call, nullptr);
        ASSERT_TRUE(coreCall.call->ApplyEffect(&viaCore, 1));
        ASSERT_NE(viaCore.matrixStacks[0].top, StartState().matrixStacks[0].top);

        SReadCall ext = Build({c.ext, c.payload, 0, 1});
        ASSERT_NE(ext.call, nullptr);
        EXPECT_EQ(ext.call->GetStateKind(), kApiEs1);
        EXPECT_TRUE(ext.call->ApplyEffect(&viaExt, 1));
        EXPECT_EQ(viaExt.matrixStacks[0].top, viaCore.matrixStacks[0].top);

        SReadCall onEs2 = Build({c.ext, c.payload, 0, 2});
        SEs2State es2;
        EXPECT_FALSE(onEs2.call->ApplyEffect(&es2, 1));
    }
}

// A trace of the given extension calls, after one core call of the API the first one was made on
// (so that API's state exists).
CTraceData* LoadExtCalls(const std::string& path, const std::vector<SExt>& calls)
{
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> records;
    const bool es1 = !calls.empty() && calls[0].selector == 1;
    if (es1)
        records.emplace_back(CallIdOf(ECallFamily::Es1, "glEnableClientState"), SPayload().Words({0, 0x8074}).bytes);
    else
        records.emplace_back(CallIdOf(ECallFamily::Es2, "glViewport"), SPayload().Words({0, 0, 0, 8, 8}).bytes);
    for (const SExt& c : calls) {
        SPayload p(c.payload.pointerWidth);
        p.U32(c.error).U32(c.selector).Raw(c.payload.bytes);
        records.emplace_back(Id(c.function), p.bytes);
    }
    WriteTrace(path, records, true);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    EXPECT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), kLoadOk);
    CTraceData* data = reader.GetTraceData();
    EXPECT_NE(data, nullptr);
    if (data) {
        EXPECT_EQ(data->GetCallCount(), uint32_t(calls.size() + 1));
    }
    return data;
}

// Loaded as a trace, the ES 1.1 calls change the ES 1.1 state, and no ES 2.0 state is made.
TEST(ExtEs1Hook, TheLoaderAppliesThemToTheEs1State)
{
    CTraceData* data =
        LoadExtCalls(TempPath("es1_hooks.xqft"),
                     {{"glBindVertexArrayOES", SPayload().U32(5), 0, 1},
                      {"glCurrentPaletteMatrixOES", SPayload().U32(9), 0, 1},
                      {"glMatrixIndexPointerOES", SPayload().Words({2, 0x1401, 0}).Ptr(0x40), 0, 1},
                      {"glCurrentPaletteMatrixOES", SPayload().U32(4), 0x500, 1}});  // recorded with an error
    ASSERT_NE(data, nullptr);
    const SEs1State& s = data->RunningEs1State();
    EXPECT_EQ(s.vertexArrayBinding, 5u);
    EXPECT_EQ(s.currentPaletteMatrix, 9u);
    ASSERT_NE(s.vertexArrays.Get(5), nullptr);
    EXPECT_EQ(s.vertexArrays.Get(5)->matrixIndex.pointer, 0x40u);
    EXPECT_FALSE(data->HasEs2());
    CTraceReader::Instance().Close();
}

// ---- objects of either API: vertex arrays, framebuffers and renderbuffers ---------------------------

constexpr uint32_t kRenderbuffer = 0x8D41, kDepth16 = 0x81A5;

// One sequence of object calls made on the API of the selector; a bind recorded with an error and a
// generate without data in the middle change nothing.
std::vector<SExt> ObjectCalls(uint32_t selector)
{
    auto ext = [&](const char* function, SPayload payload, uint32_t error = 0) {
        return SExt{function, std::move(payload), error, selector};
    };
    return {
        ext("glGenVertexArraysOES", SPayload().U32(2).Array(0x10, {3, 4})),
        ext("glBindVertexArrayOES", SPayload().U32(3)),
        ext("glBindVertexArrayOES", SPayload().U32(4)),
        ext("glDeleteVertexArraysOES", SPayload().U32(1).Array(0x10, {3})),
        ext("glGenFramebuffersOES", SPayload().U32(2).Array(0x10, {6, 10})),
        ext("glBindFramebufferOES", SPayload().Words({kFramebuffer, 6})),
        ext("glBindFramebufferOES", SPayload().Words({kFramebuffer, 8}), 0x502),
        ext("glGenRenderbuffersOES", SPayload().U32(1).Array(0x10, {7})),
        ext("glBindRenderbufferOES", SPayload().Words({kRenderbuffer, 7})),
        ext("glRenderbufferStorageOES", SPayload().Words({kRenderbuffer, kDepth16, 32, 16})),
        ext("glFramebufferRenderbufferOES", SPayload().Words({kFramebuffer, kDepth, kRenderbuffer, 7})),
        ext("glFramebufferTexture2DOES", SPayload().Words({kFramebuffer, kColor0, kTexture2D, 9, 1})),
        ext("glDeleteFramebuffersOES", SPayload().U32(1).Array(0x10, {10})),
    };
}

template <class State>
void CheckObjects(const State& s)
{
    EXPECT_EQ(s.vertexArrayBinding, 4u);
    EXPECT_NE(s.vertexArrays.Get(4), nullptr);
    EXPECT_EQ(s.vertexArrays.Get(3), nullptr);
    EXPECT_EQ(s.framebufferBinding, 6u);
    EXPECT_EQ(s.framebuffers.Get(8), nullptr);
    EXPECT_EQ(s.framebuffers.Get(10), nullptr);
    const SEs2Framebuffer* f = s.framebuffers.Get(6);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->bound & 0xFF, 1u);
    EXPECT_EQ(f->depth.type, kRenderbuffer);
    EXPECT_EQ(f->depth.name, 7u);
    EXPECT_EQ(f->color.type, kTexture);
    EXPECT_EQ(f->color.name, 9u);
    EXPECT_EQ(f->color.level, 1u);
    EXPECT_EQ(s.renderbufferBinding, 7u);
    const SEs2Renderbuffer* r = s.renderbuffers.Get(7);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->bound & 0xFF, 1u);
    EXPECT_EQ(r->width, 32u);
    EXPECT_EQ(r->height, 16u);
    EXPECT_EQ(r->internalFormat, kDepth16);
}

TEST(ExtObjects, TheLoaderTracksThemInTheStateOfTheirApi)
{
    for (uint32_t selector : {1u, 2u}) {
        SCOPED_TRACE(selector);
        CTraceData* data = LoadExtCalls(TempPath("objects.xqft"), ObjectCalls(selector));
        ASSERT_NE(data, nullptr);
        if (selector == 1) {
            CheckObjects(data->RunningEs1State());
            EXPECT_FALSE(data->HasEs2());
        } else {
            CheckObjects(data->RunningEs2State());
            EXPECT_FALSE(data->HasEs1());
        }
        CTraceReader::Instance().Close();
    }
}

// The ES 2.0 switches of attribute arrays belong to the bound vertex-array object: the default
// object keeps its own.
TEST(ExtObjects, AttributeArraySwitchesBelongToTheBoundVertexArray)
{
    SEs2State state;
    std::vector<SReadCall> calls;
    auto apply = [&](SReadCall r) {
        calls.push_back(std::move(r));
        EXPECT_TRUE(calls.back().call->ApplyEffect(&state, 1));
    };
    auto core = [&](uint16_t id, SPayload payload) {
        apply(BuildCall(id, SPayload().U32(0).Raw(payload.bytes).bytes, true));
    };
    const uint16_t enable = CallIdOf(ECallFamily::Es2, "glEnableVertexAttribArray");
    core(enable, SPayload().U32(0));
    apply(Build({"glBindVertexArrayOES", SPayload().U32(2)}));
    core(enable, SPayload().U32(1));
    core(CallIdOf(ECallFamily::Es2, "glBindBuffer"), SPayload().Words({0x8893, 12}));
    apply(Build({"glBindVertexArrayOES", SPayload().U32(0)}));
    ASSERT_NE(state.vertexArrays.Get(2), nullptr);
    const SEs2VertexArray& bound = *state.vertexArrays.Get(2);
    EXPECT_EQ(bound.elementArrayBuffer, 12u);
    ASSERT_NE(bound.enabled.Get(1), nullptr);
    EXPECT_EQ(*bound.enabled.Get(1) & 0xFF, 1u);
    EXPECT_FALSE(bound.enabled.Contains(0));
    EXPECT_TRUE(state.vertexAttribArrayEnabled.Contains(0));
    EXPECT_FALSE(state.vertexAttribArrayEnabled.Contains(1));
    EXPECT_EQ(state.vertexArrays[0].elementArrayBuffer, 0u);
}

// ---- ES 2.0: the multisample render-to-texture pair ------------------------------------------------

SExt Storage(uint32_t target, int32_t samples, uint32_t format, int32_t w, int32_t h, uint32_t error = 0)
{
    return {"glRenderbufferStorageMultisampleWZQ", SPayload().Words({target, uint32_t(samples), format, uint32_t(w),
                                                                      uint32_t(h)}),
            error};
}

SExt TextureMs(uint32_t target, uint32_t attachment, uint32_t textarget, uint32_t texture, int32_t level,
               int32_t samples)
{
    return {"glFramebufferTexture2DMultisampleWZQ",
            SPayload().Words({target, attachment, textarget, texture, uint32_t(level), uint32_t(samples)})};
}

// Binds a renderbuffer or framebuffer in the ES 2.0 state (their own effects are the ES 2.0 family's).
SExt Bind(bool framebuffer, uint32_t name)
{
    return {nullptr, SPayload().Words({framebuffer ? kFramebuffer : 0x8D41u, name}), 0, 0,
            framebuffer ? CallIdOf(ECallFamily::Es2, "glBindFramebuffer") : CallIdOf(ECallFamily::Es2, "glBindRenderbuffer")};
}

struct SEs2Case
{
    const char* what;
    std::vector<SExt> calls;
    std::vector<bool> results;
    std::function<void(const SEs2State&)> check;
};

const SEs2Framebuffer& Fb(const SEs2State& s, uint32_t name)
{
    static const SEs2Framebuffer kNone;
    const SEs2Framebuffer* f = s.framebuffers.Get(name);
    EXPECT_NE(f, nullptr) << name;
    return f ? *f : kNone;
}

const SEs2Case kEs2Cases[] = {
    {"multisample storage without a record for binding 0 adds it", {Storage(0x8D41, 4, kRgba4, 64, 32)}, {true},
     [](const SEs2State& s) {
         const SEs2Renderbuffer* r = s.renderbuffers.Get(0);
         ASSERT_NE(r, nullptr);
         EXPECT_EQ(r->width, 64u);
         EXPECT_EQ(r->height, 32u);
         EXPECT_EQ(r->internalFormat, kRgba4);
         EXPECT_EQ(r->samples, 4u);
     }},
    {"multisample storage goes to the bound renderbuffer whatever the target",
     {Bind(false, 7), Storage(0x1234, 2, kRgba4, 8, 8)}, {true, true},
     [](const SEs2State& s) {
         ASSERT_NE(s.renderbuffers.Get(7), nullptr);
         EXPECT_EQ(s.renderbuffers.Get(7)->samples, 2u);
         EXPECT_EQ(s.renderbuffers.Get(0), nullptr);
     }},
    {"a texture attachment on another target than GL_FRAMEBUFFER changes nothing",
     {TextureMs(0x8CA9, kColor0, kTexture2D, 3, 0, 4)}, {false},
     [](const SEs2State& s) { EXPECT_EQ(s.framebuffers.Count(), 0); }},
    {"the colour attachment takes the texture, its level and cube face, the framebuffer the samples",
     {Bind(true, 2), TextureMs(kFramebuffer, kColor0, kCubeNegX, 3, 1, 4)}, {true, true},
     [](const SEs2State& s) {
         const SEs2Framebuffer& f = Fb(s, 2);
         EXPECT_EQ(f.samples, 4u);
         EXPECT_EQ(f.color.type, kTexture);
         EXPECT_EQ(f.color.name, 3u);
         EXPECT_EQ(f.color.level, 1u);
         EXPECT_EQ(f.color.target, kCubeNegX);
         EXPECT_EQ(f.depth.name, 0u);
     }},
    {"a 2D texture keeps the cube face the attachment had",
     {TextureMs(kFramebuffer, kColor0, kCubeNegX, 3, 0, 2), TextureMs(kFramebuffer, kColor0, kTexture2D, 4, 0, 2)},
     {true, true},
     [](const SEs2State& s) {
         EXPECT_EQ(Fb(s, 0).color.name, 4u);
         EXPECT_EQ(Fb(s, 0).color.target, kCubeNegX);
     }},
    {"depth and stencil attachments take their own fields",
     {TextureMs(kFramebuffer, kDepth, kTexture2D, 5, 2, 1), TextureMs(kFramebuffer, kStencil, kTexture2D, 6, 3, 8)},
     {true, true},
     [](const SEs2State& s) {
         const SEs2Framebuffer& f = Fb(s, 0);
         EXPECT_EQ(f.depth.name, 5u);
         EXPECT_EQ(f.depth.level, 2u);
         EXPECT_EQ(f.stencil.name, 6u);
         EXPECT_EQ(f.stencil.level, 3u);
         EXPECT_EQ(f.stencil.type, kTexture);
         EXPECT_EQ(f.samples, 8u);
         EXPECT_EQ(f.color.type, 0u);
     }},
    {"another colour attachment changes the samples alone", {TextureMs(kFramebuffer, kColor1, kTexture2D, 3, 0, 4)},
     {true},
     [](const SEs2State& s) {
         const SEs2Framebuffer& f = Fb(s, 0);
         EXPECT_EQ(f.samples, 4u);
         EXPECT_EQ(f.color.type, 0u);
         EXPECT_EQ(f.color.name, 0u);
     }},
};

class ExtEs2Effect : public testing::TestWithParam<SEs2Case> {};

TEST_P(ExtEs2Effect, ChangesTheEs2State)
{
    SEs2State state;
    std::vector<SReadCall> calls;
    std::vector<bool> results;
    for (const SExt& c : GetParam().calls) {
        if (c.coreId)
            calls.push_back(BuildCall(c.coreId, SPayload().U32(0).Raw(c.payload.bytes).bytes, true));
        else
            calls.push_back(Build(c));
        results.push_back(calls.back().call->ApplyEffect(&state, 1));
    }
    EXPECT_EQ(std::vector<bool>(results.begin() + (results.size() - GetParam().results.size()), results.end()),
              GetParam().results);
    GetParam().check(state);
}

INSTANTIATE_TEST_SUITE_P(Calls, ExtEs2Effect, testing::ValuesIn(kEs2Cases),
                         [](const auto& info) { return CaseName(info.param.what); });

// A multisample call recorded with GL_INVALID_VALUE lists its error and changes nothing: not the
// running state, not the next frame's snapshot, not the state at a later call of its frame. The
// same call recorded without error shows in all three.
TEST(ExtEs2Effect, ACallRecordedWithAnErrorChangesNoState)
{
    const uint16_t viewport = CallIdOf(ECallFamily::Es2, "glViewport");
    for (uint32_t error : {0x501u, 0u}) {
        SCOPED_TRACE(error);
        const SExt storage = Storage(0x8D41, 4, kRgba4, 16, 16, error);
        SExt texture = TextureMs(kFramebuffer, kColor0, kTexture2D, 3, 0, 4);
        texture.error = error;
        std::vector<std::pair<uint16_t, std::vector<uint8_t>>> records;
        records.emplace_back(viewport, SPayload().Words({0, 0, 0, 8, 8}).bytes);
        for (const SExt& c : {storage, texture})
            records.emplace_back(Id(c.function), SPayload().U32(c.error).U32(2).Raw(c.payload.bytes).bytes);
        records.emplace_back(viewport, SPayload().Words({0, 0, 0, 4, 4}).bytes);
        const SCall swap = SwapBuffers(1);
        records.emplace_back(swap.id, swap.payload.bytes);
        records.emplace_back(viewport, SPayload().Words({0, 0, 0, 2, 2}).bytes);
        const std::string path = TempPath("errors.xqft");
        WriteTrace(path, records, true);

        CTraceReader& reader = CTraceReader::Instance();
        reader.SetLog(nullptr, nullptr);
        ASSERT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), kLoadOk);
        CTraceData* data = reader.GetTraceData();
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(data->GetCallCount(), 6u);
        CGenCallInfo info;
        data->GetCall(2)->call->ListArguments(&info, 0);
        EXPECT_EQ(Text(info.GetError()), error ? "GL_INVALID_VALUE" : "GL_NO_ERROR");

        SEs2State atCall, snapshot;
        ASSERT_TRUE(data->GetEs2StateAtCall(3, &atCall));  // the viewport after both
        ASSERT_TRUE(data->GetFrameEs2State(2, &snapshot));
        const SEs2State* states[] = {&atCall, &snapshot, &data->RunningEs2State()};
        for (const SEs2State* s : states) {
            const SEs2Renderbuffer* r = s->renderbuffers.Get(0);
            const SEs2Framebuffer* f = s->framebuffers.Get(0);
            EXPECT_EQ(r == nullptr, error != 0);
            EXPECT_EQ(f == nullptr, error != 0);
            if (!error && r && f) {
                EXPECT_EQ(r->samples, 4u);
                EXPECT_EQ(f->color.name, 3u);
            }
        }
        reader.Close();
    }
}

} // namespace
