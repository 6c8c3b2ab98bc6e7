// The extension player. Mesa offers neither the matrix palette nor the vendor multisampled
// render-to-texture pair, so the cases are checked over wrapped host tables: fake extension entry
// points that record what reaches them, on real ES 1.1 and ES 2.0 contexts. Then, on Mesa itself,
// the calls it lacks are reported without leaving a host error behind.
#include "Es2TestSupport.h"
#include "HostSpy.h"
#include "Playback.h"

#include "CallQueries.h"
#include "data/TraceData.h"
#include "host/HostContext.h"
#include "host/HostCurrent.h"
#include "maps/NameMaps.h"

#include <EGL/egl.h>
#include <GLES/gl.h>
#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using es2test::SPayload;

namespace {

#define EXT_ID(fn) CallIdOf(ECallFamily::Ext, #fn)

constexpr GLenum kMaxSamples = 0x9135, kBufferMapped = 0x88BC;

// ---- fake extension entry points ---------------------------------------------------------------

struct SFakes
{
    static inline std::vector<SHostCall> calls;
    static inline GLuint nextName = 100;        // names the generating fakes hand out
    static inline GLint mapped = 1;             // what the buffer query answers
    static inline GLint bufferSize = 8;
    static inline uint8_t buffer[16] = {};      // the mapping: bufferSize bytes, then a guard
    static inline GLint maxSamples = 4;

    static void Log(const char* name, std::vector<uint64_t> args) { calls.push_back({name, std::move(args)}); }
    static std::vector<uint64_t> Names(GLsizei n, const GLuint* names)
    {
        std::vector<uint64_t> out{uint64_t(n)};
        for (GLsizei i = 0; i < n; ++i)
            out.push_back(names[i]);
        return out;
    }
};

#define FAKE(fn, params, ...) reinterpret_cast<void*>(+[] params { __VA_ARGS__; })

// Puts fakes into the extension slots of both hosts (null where a test says the host lacks one)
// and the slots back when it goes.
class CFakeExtensions
{
public:
    CFakeExtensions()
    {
        m_saved1 = SEs1Host::Instance()->ext;
        m_saved2 = SEs2Host::Instance()->ext;
        SFakes::calls.clear();
        SFakes::nextName = 100;
        SFakes::mapped = 1;
        SFakes::bufferSize = 8;
        std::memset(SFakes::buffer, 0xEE, sizeof SFakes::buffer);
        for (SHostExtensionSlots* s : {&SEs1Host::Instance()->ext, &SEs2Host::Instance()->ext})
            Fill(*s);
        SEs2Host::Instance()->ext.glCurrentPaletteMatrixOES = nullptr;  // an ES 1.1 extension
    }
    ~CFakeExtensions()
    {
        SEs1Host::Instance()->ext = m_saved1;
        SEs2Host::Instance()->ext = m_saved2;
    }

private:
    static void Fill(SHostExtensionSlots& s)
    {
        using F = SFakes;
        s.glDiscardFramebufferEXT = FAKE(glDiscardFramebufferEXT, (GLenum t, GLsizei n, const GLenum* a),
                                         F::Log("glDiscardFramebufferEXT", {t, uint64_t(n), n > 0 ? a[n - 1] : 0}));
        s.glMultiDrawArraysEXT = FAKE(glMultiDrawArraysEXT, (), F::Log("glMultiDrawArraysEXT", {}));
        s.glMultiDrawElementsEXT = FAKE(glMultiDrawElementsEXT, (), F::Log("glMultiDrawElementsEXT", {}));
        s.glMapBufferOES = reinterpret_cast<void*>(+[](GLenum t, GLenum a) -> void* {
            F::Log("glMapBufferOES", {t, a});
            return F::buffer;
        });
        s.glUnmapBufferOES = reinterpret_cast<void*>(+[](GLenum t) -> GLboolean {
            F::Log("glUnmapBufferOES", {t});
            return 1;
        });
        s.glGetBufferPointervOES = FAKE(glGetBufferPointervOES, (GLenum t, GLenum pname, void** p),
                                        F::Log("glGetBufferPointervOES", {t, pname}); *p = F::buffer);
        s.glBindVertexArrayOES = FAKE(glBindVertexArrayOES, (GLuint a), F::Log("glBindVertexArrayOES", {a}));
        s.glDeleteVertexArraysOES = FAKE(glDeleteVertexArraysOES, (GLsizei n, const GLuint* a),
                                         F::Log("glDeleteVertexArraysOES", F::Names(n, a)));
        s.glGenVertexArraysOES = FAKE(glGenVertexArraysOES, (GLsizei n, GLuint* a),
                                      for (GLsizei i = 0; i < n; ++i) a[i] = F::nextName++;
                                      F::Log("glGenVertexArraysOES", F::Names(n, a)));
        s.glIsVertexArrayOES = FAKE(glIsVertexArrayOES, (GLuint a), F::Log("glIsVertexArrayOES", {a}));
        s.glCurrentPaletteMatrixOES = FAKE(glCurrentPaletteMatrixOES, (GLuint i), F::Log("glCurrentPaletteMatrixOES", {i}));
        s.glLoadPaletteFromModelViewMatrixOES =
            FAKE(glLoadPaletteFromModelViewMatrixOES, (), F::Log("glLoadPaletteFromModelViewMatrixOES", {}));
        s.glMatrixIndexPointerOES = FAKE(glMatrixIndexPointerOES, (GLint n, GLenum t, GLsizei s, const void* p),
                                         F::Log("glMatrixIndexPointerOES", {uint64_t(n), t, uint64_t(s), uint64_t(uintptr_t(p))}));
        s.glWeightPointerOES = FAKE(glWeightPointerOES, (GLint n, GLenum t, GLsizei s, const void* p),
                                    F::Log("glWeightPointerOES", {uint64_t(n), t, uint64_t(s), uint64_t(uintptr_t(p))}));
        s.glIsFramebufferOES = FAKE(glIsFramebufferOES, (GLuint f), F::Log("glIsFramebufferOES", {f}));
        s.glBindFramebufferOES = FAKE(glBindFramebufferOES, (GLenum t, GLuint f), F::Log("glBindFramebufferOES", {t, f}));
        s.glDeleteFramebuffersOES = FAKE(glDeleteFramebuffersOES, (GLsizei n, const GLuint* a),
                                         F::Log("glDeleteFramebuffersOES", F::Names(n, a)));
        s.glGenFramebuffersOES = FAKE(glGenFramebuffersOES, (GLsizei n, GLuint* a),
                                      for (GLsizei i = 0; i < n; ++i) a[i] = F::nextName++;
                                      F::Log("glGenFramebuffersOES", F::Names(n, a)));
        s.glDeleteRenderbuffersOES = FAKE(glDeleteRenderbuffersOES, (GLsizei n, const GLuint* a),
                                          F::Log("glDeleteRenderbuffersOES", F::Names(n, a)));
        s.glFramebufferTexture2DOES = FAKE(glFramebufferTexture2DOES, (GLenum t, GLenum a, GLenum tt, GLuint x, GLint l),
                                           F::Log("glFramebufferTexture2DOES", {t, a, tt, x, uint64_t(l)}));
        s.glRenderbufferStorageMultisampleWZQ =
            FAKE(glRenderbufferStorageMultisampleWZQ, (GLenum t, GLsizei s, GLenum f, GLsizei w, GLsizei h),
                 F::Log("glRenderbufferStorageMultisampleWZQ", {t, uint64_t(s), f, uint64_t(w), uint64_t(h)}));
        s.glFramebufferTexture2DMultisampleWZQ =
            FAKE(glFramebufferTexture2DMultisampleWZQ, (GLenum t, GLenum a, GLenum tt, GLuint x, GLint l, GLsizei s),
                 F::Log("glFramebufferTexture2DMultisampleWZQ", {t, a, tt, x, uint64_t(l), uint64_t(s)}));
    }

    SHostExtensionSlots m_saved1, m_saved2;
};

// ---- recorded calls ------------------------------------------------------------------------------

struct SExt
{
    uint16_t id;
    uint32_t selector;
    SPayload payload;  // after the GL error and the selector
    uint32_t error = 0;
    int pointerWidth = 4;
};

SExt Es1(uint16_t id, SPayload p = SPayload()) { return {id, 1, std::move(p)}; }
SExt Es2(uint16_t id, SPayload p = SPayload()) { return {id, 2, std::move(p)}; }

std::unique_ptr<STraceCall> Entry(const SExt& c, bool data)
{
    SPayload p;
    p.U32(c.error).U32(c.selector);
    p.bytes.insert(p.bytes.end(), c.payload.bytes.begin(), c.payload.bytes.end());
    es2test::SReadCall r = es2test::BuildCall(c.id, p.bytes, data, c.pointerWidth);
    EXPECT_NE(r.call, nullptr) << c.id;
    return std::make_unique<STraceCall>(1, std::move(r.call), 0);
}

// A counted array of n names (n given apart from the names it holds).
SPayload Names(uint32_t n, std::initializer_list<uint32_t> names)
{
    SPayload p;
    p.U32(n);
    if (names.size() == 0)
        p.Ptr(0);
    else
        p.Array(0x100, names);
    return p;
}

// ---- the fixture: one context of each API, made once ---------------------------------------------

class ExtPlayer : public testing::Test
{
protected:
    void SetUp() override
    {
        if (SEglHost::Instance()->IsFailed())
            GTEST_SKIP() << "no host EGL library";
        SEs1Host* gl1 = SEs1Host::Instance();
        if (!gl1 || gl1->IsFailed())
            GTEST_SKIP() << "no host ES 1.1 library";
        SNativeWindowFuncs windows;
        InitNativeWindowFunctions(windows);
        static SHostContext es1, es2;
        if (!es2.context && !es2.Make(2, windows, 0x900, SEglSurfaceWindow{0x902, 32, 32}))
            GTEST_SKIP() << es2.error;
        if (!es1.context && !es1.Make(1, windows, 0x900, SEglSurfaceWindow{0x901, 32, 32}))
            GTEST_SKIP() << es1.error;
        m_contexts[0] = &es1;
        m_contexts[1] = &es2;
        CPlayback::s_hostEglInitialised = true;
        playback = std::make_unique<CPlayback>();
        ResetNameMaps();
        ResetEs1Names(playback->m_es1Extensions);
    }

    // Makes the context of an API current and drains its errors.
    void Current(uint32_t api)
    {
        SHostContext& c = *m_contexts[api == 1 ? 0 : 1];
        HostMakeCurrent(c.display, c.surface, c.surface, c.context);
        while (HostError(api) != GL_NO_ERROR) {
        }
    }
    static GLenum HostError(uint32_t api)
    {
        return api == 1 ? XQF_HOST(*SEs1Host::Instance(), glGetError)() : XQF_HOST(*SEs2Host::Instance(), glGetError)();
    }

    // Loads the extension entry points of both APIs as a first call would, so that fakes put in
    // afterwards stay.
    void LoadBoth()
    {
        Current(1);
        playback->m_es1Extensions.LoadExtensionsOnce();
        Current(2);
        LoadEs2ExtensionsOnce();
    }

    // Plays the calls (each on the context of its API); keeps what was printed.
    std::vector<int> Play(const std::vector<SExt>& calls, bool data = true)
    {
        std::vector<int> results;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        errorReads.clear();
        for (const SExt& c : calls) {
            if (c.selector == 1 || c.selector == 2)
                Current(c.selector);
            entries.push_back(Entry(c, data));
            CHostSpy errors;  // which host's error the call reads
            errors.Wrap<SEs1Host, HostSlot(SEs1Host::kNames, "glGetError"), decltype(&::glGetError)>(
                *SEs1Host::Instance(), "ES1");
            errors.Wrap<SEs2Host, HostSlot(SEs2Host::kNames, "glGetError"), decltype(&::glGetError)>(
                *SEs2Host::Instance(), "ES2");
            results.push_back(playback->PlayCall(entries.back().get(), 1));
            for (const SHostCall& read : errors.calls)
                errorReads.push_back(read.name);
        }
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return results;
    }

public:
    std::unique_ptr<CPlayback> playback;
    std::vector<std::unique_ptr<STraceCall>> entries;
    std::string out, err;
    std::vector<std::string> errorReads;  // the hosts whose error the calls played last read, in order

private:
    SHostContext* m_contexts[2] = {};
};

std::vector<std::string> Called()
{
    std::vector<std::string> names;
    for (const SHostCall& c : SFakes::calls)
        names.push_back(c.name);
    return names;
}
std::vector<uint64_t> ArgsOf(const char* name, size_t nth = 0)
{
    for (const SHostCall& c : SFakes::calls)
        if (c.name == name && nth-- == 0)
            return c.args;
    return {};
}

const char* const kNotAvailable = "The extension function '%s' is not available on this platform";
std::string NotAvailable(const char* fn)
{
    char text[160];
    std::snprintf(text, sizeof text, kNotAvailable, fn);
    return std::string("WARNING: ") + text;
}

// ---- the cases over fake entry points ---------------------------------------------------------------

struct SCase
{
    const char* what;
    std::vector<SExt> calls;
    std::vector<int> results;
    std::vector<std::string> reached;  // the fake entry points reached, in order
    std::function<void(ExtPlayer&)> check;
    bool data = true;
};

const std::vector<SCase>& Cases()
{
    static const std::vector<SCase> cases = {
        {"a call recorded with an error prints nothing, reaches nothing and counts as played",
         {{EXT_ID(glBindVertexArrayOES), 2, SPayload().U32(3), 0x502},
          {EXT_ID(glCurrentPaletteMatrixOES), 2, SPayload().U32(1), 0x501}},
         {1, 1},
         {},
         [](ExtPlayer& t) {
             EXPECT_EQ(t.out + t.err, "");
             EXPECT_TRUE(t.errorReads.empty());
         }},
        {"the palette call recorded on ES 2.0 is not available there",
         {Es2(EXT_ID(glCurrentPaletteMatrixOES), SPayload().U32(1))},
         {1},
         {},
         [](ExtPlayer& t) { EXPECT_NE(t.err.find(NotAvailable("glCurrentPaletteMatrixOES")), std::string::npos) << t.err; }},
        {"selectors of no API make every case not available",
         {{EXT_ID(glBindVertexArrayOES), 0, SPayload().U32(3)}, {EXT_ID(glMapBufferOES), 3, SPayload().Words({1, 2})},
          {EXT_ID(glGenerateMipmapOES), 255, SPayload().U32(0x0DE1)}},
         {1, 1, 1},
         {},
         [](ExtPlayer& t) {
             EXPECT_NE(t.err.find(NotAvailable("glBindVertexArrayOES")), std::string::npos);
             EXPECT_NE(t.err.find(NotAvailable("glGenerateMipmapOES")), std::string::npos);
         }},
        {"ids without a case answer 0, and PlayCall names them",
         {Es2(EXT_ID(glEGLImageTargetRenderbufferStorageOES), SPayload().Words({0x8D41, 7})),
          Es1(EXT_ID(glLineWidthxOES), SPayload().U32(0x10000))},
         {0, 0},
         {},
         [](ExtPlayer& t) {
             EXPECT_NE(t.out.find("Error call:glEGLImageTargetRenderbufferStorageOES 4040"), std::string::npos) << t.out;
             EXPECT_EQ(t.err, "");
         }},
        {"queries make no host call but read the host error of their API",
         {Es1(EXT_ID(glIsFramebufferOES), SPayload().U32(1).U32(5)), Es2(EXT_ID(glIsVertexArrayOES), SPayload().U32(1).U32(5)),
          Es1(EXT_ID(glGetBufferPointervOES), SPayload().Words({0x8892, 0x88BD}).Ptr(0))},
         {1, 1, 1},
         {},
         [](ExtPlayer& t) {
             EXPECT_EQ(t.out + t.err, "");
             EXPECT_EQ(t.errorReads, (std::vector<std::string>{"ES1", "ES2", "ES1"}));
             EXPECT_STREQ(t.playback->m_callName.CStr(), "glGetBufferPointervOES");
         }},
        {"a query of no API reads the EGL host's error",
         {{EXT_ID(glIsRenderbufferOES), 0, SPayload().U32(1).U32(5)}},
         {1},
         {},
         [](ExtPlayer& t) {
             EXPECT_TRUE(t.errorReads.empty());
             EXPECT_EQ(t.playback->m_lastHostError, uint32_t(EGL_SUCCESS));
         }},
        {"vertex arrays on ES 2.0: generated pairs enter the map, binds and deletes translate",
         {Es2(EXT_ID(glGenVertexArraysOES), Names(2, {5, 6})), Es2(EXT_ID(glBindVertexArrayOES), SPayload().U32(6)),
          Es2(EXT_ID(glBindVertexArrayOES), SPayload().U32(9)), Es2(EXT_ID(glDeleteVertexArraysOES), Names(2, {5, 9})),
          Es2(EXT_ID(glBindVertexArrayOES), SPayload().U32(5))},
         {1, 1, 1, 1, 1},
         {"glGenVertexArraysOES", "glBindVertexArrayOES", "glBindVertexArrayOES", "glDeleteVertexArraysOES",
          "glBindVertexArrayOES"},
         [](ExtPlayer&) {
             EXPECT_EQ(ArgsOf("glBindVertexArrayOES", 0), std::vector<uint64_t>{101});  // 6: the second name
             EXPECT_EQ(ArgsOf("glBindVertexArrayOES", 1), std::vector<uint64_t>{0});    // never generated
             EXPECT_EQ(ArgsOf("glDeleteVertexArraysOES"), (std::vector<uint64_t>{2, 100, 0}));
             EXPECT_EQ(ArgsOf("glBindVertexArrayOES", 2), std::vector<uint64_t>{0});    // erased by the delete
             EXPECT_EQ(VertexArrayNameMap::Get(6), 101u);
         }},
        {"vertex arrays on ES 1.1 use the playback's own table, not the ES 2.0 map",
         {Es1(EXT_ID(glGenVertexArraysOES), Names(1, {5})), Es1(EXT_ID(glBindVertexArrayOES), SPayload().U32(5))},
         {1, 1},
         {"glGenVertexArraysOES", "glBindVertexArrayOES"},
         [](ExtPlayer& t) {
             EXPECT_EQ(ArgsOf("glBindVertexArrayOES"), std::vector<uint64_t>{100});
             EXPECT_EQ(t.playback->m_es1Extensions.GetVertexArray(5), 100u);
             EXPECT_EQ(VertexArrayNameMap::Get(5), 0u);
         }},
        {"the matrix palette on ES 1.1: index, load, and both pointers at the low 32 bits of the playback pointer",
         {Es1(EXT_ID(glCurrentPaletteMatrixOES), SPayload().U32(7)), Es1(EXT_ID(glLoadPaletteFromModelViewMatrixOES)),
          {EXT_ID(glMatrixIndexPointerOES), 1, SPayload(8).Words({3, GL_UNSIGNED_BYTE, 4}).Ptr(0x1234'0000'5678ull), 0, 8},
          {EXT_ID(glWeightPointerOES), 1, SPayload(8).Words({2, GL_FLOAT, 8}).Ptr(0xFFFF'FFFF'8000'0010ull), 0, 8}},
         {1, 1, 1, 1},
         {"glCurrentPaletteMatrixOES", "glLoadPaletteFromModelViewMatrixOES", "glMatrixIndexPointerOES",
          "glWeightPointerOES"},
         [](ExtPlayer&) {
             EXPECT_EQ(ArgsOf("glCurrentPaletteMatrixOES"), std::vector<uint64_t>{7});
             EXPECT_EQ(ArgsOf("glMatrixIndexPointerOES"), (std::vector<uint64_t>{3, GL_UNSIGNED_BYTE, 4, 0x5678}));
             EXPECT_EQ(ArgsOf("glWeightPointerOES"), (std::vector<uint64_t>{2, GL_FLOAT, 8, 0x8000'0010u}));
         }},
        {"framebuffer objects on ES 1.1 pass every name as recorded; generated names are not kept",
         {Es1(EXT_ID(glGenFramebuffersOES), Names(1, {7})), Es1(EXT_ID(glBindFramebufferOES), SPayload().Words({0x8D40, 7})),
          Es1(EXT_ID(glFramebufferTexture2DOES), SPayload().Words({0x8D40, 0x8CE0, 0x0DE1, 3, 0})),
          Es1(EXT_ID(glDeleteFramebuffersOES), Names(1, {7})), Es2(EXT_ID(glBindFramebufferOES), SPayload().Words({0x8D40, 7}))},
         {1, 1, 1, 1, 1},
         {"glGenFramebuffersOES", "glBindFramebufferOES", "glFramebufferTexture2DOES", "glDeleteFramebuffersOES"},
         [](ExtPlayer& t) {
             EXPECT_EQ(ArgsOf("glBindFramebufferOES"), (std::vector<uint64_t>{0x8D40, 7}));
             EXPECT_EQ(ArgsOf("glFramebufferTexture2DOES"), (std::vector<uint64_t>{0x8D40, 0x8CE0, 0x0DE1, 3, 0}));
             EXPECT_EQ(ArgsOf("glDeleteFramebuffersOES"), (std::vector<uint64_t>{1, 7}));
             EXPECT_NE(t.err.find(NotAvailable("glBindFramebufferOES")), std::string::npos);  // the ES 2.0 one
         }},
        {"discard hands over its attachments; multi-draw reaches nothing and prints nothing",
         {Es2(EXT_ID(glDiscardFramebufferEXT), SPayload().Words({0x8D40, 2}).Array(0x100, {0x1800, 0x1801})),
          Es1(EXT_ID(glMultiDrawArraysEXT)), Es2(EXT_ID(glMultiDrawElementsEXT))},
         {1, 1, 1},
         {"glDiscardFramebufferEXT"},
         [](ExtPlayer& t) {
             EXPECT_EQ(ArgsOf("glDiscardFramebufferEXT"), (std::vector<uint64_t>{0x8D40, 2, 0x1801}));
             EXPECT_EQ(t.err, "");
         }},
        {"counts above the names or attachments held are refused: an error line, nothing sent, result 1",
         {Es2(EXT_ID(glDiscardFramebufferEXT), SPayload().Words({0x8D40, 3}).Array(0x100, {0x1800})),
          Es2(EXT_ID(glGenVertexArraysOES), Names(3, {5, 6})), Es1(EXT_ID(glDeleteVertexArraysOES), Names(1, {})),
          Es1(EXT_ID(glDeleteRenderbuffersOES), Names(2, {1})), Es1(EXT_ID(glDeleteFramebuffersOES), Names(0x7FFFFFFF, {1})),
          Es1(EXT_ID(glGenFramebuffersOES), Names(2, {1}))},
         {1, 1, 1, 1, 1, 1},
         {},
         [](ExtPlayer& t) {
             for (const char* fn : {"glDiscardFramebufferEXT", "glGenVertexArraysOES", "glDeleteVertexArraysOES",
                                    "glDeleteRenderbuffersOES", "glDeleteFramebuffersOES", "glGenFramebuffersOES"})
                 EXPECT_NE(t.err.find(std::string("ERROR: ") + fn + ":"), std::string::npos) << fn;
             EXPECT_NE(t.err.find("holds 1 values of the 3"), std::string::npos) << t.err;
             EXPECT_NE(t.err.find("holds 0 values of the 1"), std::string::npos) << t.err;  // pointer 0 with a count
             EXPECT_EQ(VertexArrayNameMap::Get(5), 0u);
         }},
        {"a trace without data holds no names: a non-zero count is refused, a count of 0 plays",
         {Es2(EXT_ID(glGenVertexArraysOES), SPayload().U32(1).Ptr(0x100)),
          Es2(EXT_ID(glDeleteVertexArraysOES), SPayload().U32(0).Ptr(0x100))},
         {1, 1},
         {"glDeleteVertexArraysOES"},
         [](ExtPlayer& t) { EXPECT_NE(t.err.find("ERROR: glGenVertexArraysOES:"), std::string::npos) << t.err; },
         false},
    };
    return cases;
}

TEST_F(ExtPlayer, CasesOverFakeEntryPoints)
{
    for (const SCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        SetUp();
        LoadBoth();
        CFakeExtensions fakes;
        EXPECT_EQ(Play(c.calls, c.data), c.results);
        EXPECT_EQ(Called(), c.reached);
        if (c.check)
            c.check(*this);
    }
}

TEST_F(ExtPlayer, DiscardOnAHostWithoutItIsNotAvailable)
{
    LoadBoth();
    CFakeExtensions fakes;
    SEs2Host::Instance()->ext.glDiscardFramebufferEXT = nullptr;
    EXPECT_EQ(Play({Es2(EXT_ID(glDiscardFramebufferEXT), SPayload().Words({0x8D40, 1}).Array(0x100, {0x1800}))}),
              std::vector<int>{1});
    EXPECT_TRUE(SFakes::calls.empty());
    EXPECT_EQ(err, NotAvailable("glDiscardFramebufferEXT") + "\n");
    EXPECT_EQ(out, "\n");
}

// The multisample pair on a host whose maximum is 4: samples at or above it are set to it with a
// line saying so; 4090's texture goes through the texture map.
TEST_F(ExtPlayer, MultisampleSamplesAreClampedToTheHostsMaximum)
{
    LoadBoth();
    CFakeExtensions fakes;
    CHostSpy spy;
    XQF_SPY(spy, *SEs2Host::Instance(), glGetIntegerv, +[](GLenum pname, GLint* v) {
        *v = pname == kMaxSamples ? SFakes::maxSamples : 0;
    });
    TextureNameMap::Set(3, 33);
    struct SSamples
    {
        uint32_t samples;
        uint64_t used;
        const char* line;  // the clamp line's numbers, or null for none
    } cases[] = {{8, 4, "(8), set to 4"}, {4, 4, "(4), set to 4"}, {2, 2, nullptr}};
    for (const SSamples& s : cases) {
        SCOPED_TRACE(s.samples);
        SFakes::calls.clear();
        EXPECT_EQ(Play({Es2(EXT_ID(glRenderbufferStorageMultisampleWZQ), SPayload().Words({0x8D41, s.samples, 0x8056, 16, 8})),
                        Es2(EXT_ID(glFramebufferTexture2DMultisampleWZQ),
                            SPayload().Words({0x8D40, 0x8CE0, 0x0DE1, 3, 0, s.samples})),
                        Es2(EXT_ID(glFramebufferTexture2DMultisampleWZQ),
                            SPayload().Words({0x8D40, 0x8CE0, 0x0DE1, 9, 1, s.samples}))}),
                  (std::vector<int>{1, 1, 1}));
        EXPECT_EQ(ArgsOf("glRenderbufferStorageMultisampleWZQ"), (std::vector<uint64_t>{0x8D41, s.used, 0x8056, 16, 8}));
        EXPECT_EQ(ArgsOf("glFramebufferTexture2DMultisampleWZQ", 0),
                  (std::vector<uint64_t>{0x8D40, 0x8CE0, 0x0DE1, 33, 0, s.used}));
        EXPECT_EQ(ArgsOf("glFramebufferTexture2DMultisampleWZQ", 1)[3], 0u);  // texture 9 is not mapped
        if (s.line) {
            const std::string line = std::string("  Requested samples is not supported ") + s.line + "\n\n";
            EXPECT_EQ(out, "ID_EXT_glRenderbufferStorageMultisampleWZQ:" + line + "glFramebufferTexture2DMultisampleWZQ:" +
                               line + "glFramebufferTexture2DMultisampleWZQ:" + line);
        } else {
            EXPECT_EQ(out, "");
        }
        EXPECT_EQ(err, "");
    }
    // A host without the pair: not available, and its maximum is never asked.
    SEs2Host::Instance()->ext.glRenderbufferStorageMultisampleWZQ = nullptr;
    spy.calls.clear();
    EXPECT_EQ(Play({Es2(EXT_ID(glRenderbufferStorageMultisampleWZQ), SPayload().Words({0x8D41, 8, 0x8056, 16, 8}))}),
              std::vector<int>{1});
    EXPECT_EQ(spy.Count("glGetIntegerv"), 0);
    EXPECT_EQ(out, "\n");
    EXPECT_EQ(err, NotAvailable("glRenderbufferStorageMultisampleWZQ") + "\n");
}

// The fixed-point matrix functions reach the core entry points of the ES 1.1 host with the recorded
// values (the matrices through fakes that keep them); a matrix the trace does not hold is refused
// and sends nothing, and on ES 2.0 none of them is available.
TEST_F(ExtPlayer, FixedMatrixCallsPlayThroughTheEs1CoreEntryPoints)
{
    LoadBoth();
    static std::vector<std::vector<GLfixed>> matrices;
    matrices.clear();
    CHostSpy spy;
    SEs1Host& gl = *SEs1Host::Instance();
    XQF_SPY(spy, gl, glLoadMatrixx, +[](const GLfixed* m) { matrices.emplace_back(m, m + 16); });
    XQF_SPY(spy, gl, glMultMatrixx, +[](const GLfixed* m) { matrices.emplace_back(m, m + 16); });
    XQF_SPY(spy, gl, glFrustumx);
    XQF_SPY(spy, gl, glOrthox);
    XQF_SPY(spy, gl, glRotatex);
    XQF_SPY(spy, gl, glScalex);
    XQF_SPY(spy, gl, glTranslatex);

    std::vector<uint32_t> load(16), mult(16);
    SPayload loadPayload, multPayload;
    loadPayload.Ptr(0x100);
    multPayload.Ptr(0x200);
    for (uint32_t k = 0; k < 16; ++k) {
        loadPayload.U32(load[k] = 0x10000 * k + 3);
        multPayload.U32(mult[k] = 0x8000 + k);
    }
    const std::vector<uint64_t> box{0x10000, 0x20000, 0x18000, 0x30000, 0x10000, 0xA0000};
    auto words = [](const std::vector<uint64_t>& v) {
        SPayload p;
        for (uint64_t w : v)
            p.U32(uint32_t(w));
        return p;
    };
    struct SMatrixCall
    {
        uint16_t id;
        SPayload payload;
        const char* core;
        std::vector<uint64_t> args;  // what the core entry point is given, the matrices aside
    } calls[] = {
        {EXT_ID(glFrustumxOES), words(box), "glFrustumx", box},
        {EXT_ID(glLoadMatrixxOES), loadPayload, "glLoadMatrixx", {}},
        {EXT_ID(glMultMatrixxOES), multPayload, "glMultMatrixx", {}},
        {EXT_ID(glOrthoxOES), words(box), "glOrthox", box},
        {EXT_ID(glRotatexOES), words({0x1E0000, 0, 0, 0x10000}), "glRotatex", {0x1E0000, 0, 0, 0x10000}},
        {EXT_ID(glScalexOES), words({0x20000, 0x8000, 0x30000}), "glScalex", {0x20000, 0x8000, 0x30000}},
        {EXT_ID(glTranslatexOES), words({0x10000, 0x20000, 0x40000}), "glTranslatex", {0x10000, 0x20000, 0x40000}},
    };
    for (const SMatrixCall& c : calls) {
        SCOPED_TRACE(c.core);
        spy.calls.clear();
        EXPECT_EQ(Play({Es1(c.id, c.payload)}), std::vector<int>{1});
        ASSERT_EQ(spy.calls.size(), 1u);
        EXPECT_EQ(spy.calls[0].name, c.core);
        if (!c.args.empty()) {
            EXPECT_EQ(spy.calls[0].args, c.args);
        }
        EXPECT_EQ(err, "");
        EXPECT_EQ(errorReads, std::vector<std::string>{"ES1"});
    }
    ASSERT_EQ(matrices.size(), 2u);
    EXPECT_EQ(matrices[0], std::vector<GLfixed>(load.begin(), load.end()));
    EXPECT_EQ(matrices[1], std::vector<GLfixed>(mult.begin(), mult.end()));

    // Without its values (a trace without data, or a null pointer) a matrix is refused.
    for (const char* fn : {"glLoadMatrixxOES", "glMultMatrixxOES"}) {
        SCOPED_TRACE(fn);
        const uint16_t id = std::string(fn) == "glLoadMatrixxOES" ? EXT_ID(glLoadMatrixxOES) : EXT_ID(glMultMatrixxOES);
        spy.calls.clear();
        EXPECT_EQ(Play({Es1(id, multPayload)}, false), std::vector<int>{1});
        EXPECT_NE(err.find(std::string("ERROR: ") + fn + ": m: holds 0 values of the 16"), std::string::npos) << err;
        EXPECT_EQ(Play({Es1(id, SPayload().Ptr(0))}), std::vector<int>{1});
        EXPECT_NE(err.find("m: holds 0 values of the 16"), std::string::npos) << err;
        EXPECT_TRUE(spy.calls.empty());
        EXPECT_TRUE(errorReads.empty());
    }

    spy.calls.clear();
    EXPECT_EQ(Play({Es2(EXT_ID(glTranslatexOES), words({0x10000, 0, 0}))}), std::vector<int>{1});
    EXPECT_TRUE(spy.calls.empty());
    EXPECT_EQ(err, NotAvailable("glTranslatexOES") + "\n");
}

// Unmapping copies the recorded bytes into the host's mapping, never more than the buffer holds,
// on the host of the call's API; an unmapped buffer gets no copy, only the unmap.
TEST_F(ExtPlayer, UnmappingCopiesAtMostTheBuffersSize)
{
    LoadBoth();
    CFakeExtensions fakes;
    CHostSpy spy1, spy2;
    auto query = +[](GLenum, GLenum pname, GLint* v) {
        *v = pname == kBufferMapped ? SFakes::mapped : pname == GL_BUFFER_SIZE ? SFakes::bufferSize : 0;
    };
    XQF_SPY(spy1, *SEs1Host::Instance(), glGetBufferParameteriv, query);
    XQF_SPY(spy2, *SEs2Host::Instance(), glGetBufferParameteriv, query);
    auto unmap = [](uint32_t selector, uint32_t bytes) {
        SPayload p;
        p.U32(0x8892).Block(0x4000, bytes);
        return SExt{EXT_ID(glUnmapBufferOES), selector, p};
    };
    struct SUnmap
    {
        uint32_t selector, bytes;
        GLint mapped, size;
        size_t copied;
        bool cut;
    } cases[] = {{2, 6, 1, 8, 6, false}, {1, 8, 1, 8, 8, false}, {2, 12, 1, 8, 8, true},
                 {1, 12, 1, 0, 0, true}, {2, 6, 0, 8, 0, false}, {1, 0, 1, 8, 0, false}};
    for (const SUnmap& u : cases) {
        SCOPED_TRACE(testing::Message() << "api " << u.selector << ", " << u.bytes << " bytes into " << u.size);
        std::memset(SFakes::buffer, 0xEE, sizeof SFakes::buffer);
        SFakes::calls.clear();
        SFakes::mapped = u.mapped;
        SFakes::bufferSize = u.size;
        EXPECT_EQ(Play({unmap(u.selector, u.bytes)}), std::vector<int>{1});
        for (size_t i = 0; i < sizeof SFakes::buffer; ++i)
            ASSERT_EQ(SFakes::buffer[i], i < u.copied ? uint8_t(i) : 0xEE) << i;
        EXPECT_EQ(Called(), u.mapped ? (std::vector<std::string>{"glGetBufferPointervOES", "glUnmapBufferOES"})
                                     : std::vector<std::string>{"glUnmapBufferOES"});
        EXPECT_EQ(err.find("WARNING: glUnmapBufferOES: the recorded") != std::string::npos, u.cut) << err;
    }
    EXPECT_GT(spy1.Count("glGetBufferParameteriv"), 0);  // ES 1.1 calls ask the ES 1.1 host
    // A host without the mapping functions: not available.
    SEs1Host::Instance()->ext.glGetBufferPointervOES = nullptr;
    EXPECT_EQ(Play({unmap(1, 4)}), std::vector<int>{1});
    EXPECT_EQ(err, NotAvailable("glUnmapBufferOES") + "\n");
}

// ---- Mesa itself -----------------------------------------------------------------------------------

// Mesa has neither the matrix palette nor the vendor multisample pair: each call is reported, counts
// as played and leaves no host error (the maximum is not asked, which would raise one).
TEST_F(ExtPlayer, OnMesaTheMissingExtensionsAreReportedAndLeaveNoError)
{
    const std::vector<SExt> calls = {
        Es1(EXT_ID(glCurrentPaletteMatrixOES), SPayload().U32(1)),
        Es1(EXT_ID(glLoadPaletteFromModelViewMatrixOES)),
        Es1(EXT_ID(glMatrixIndexPointerOES), SPayload().Words({3, GL_UNSIGNED_BYTE, 0}).Ptr(0x5000)),
        Es1(EXT_ID(glWeightPointerOES), SPayload().Words({3, GL_FLOAT, 0}).Ptr(0x5000)),
        Es2(EXT_ID(glRenderbufferStorageMultisampleWZQ), SPayload().Words({0x8D41, 8, 0x8056, 16, 8})),
        Es2(EXT_ID(glFramebufferTexture2DMultisampleWZQ), SPayload().Words({0x8D40, 0x8CE0, 0x0DE1, 3, 0, 8})),
    };
    for (const SExt& c : calls) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(Play({c}), std::vector<int>{1});
        EXPECT_NE(err.find("WARNING: The extension function '"), std::string::npos) << err;
        EXPECT_EQ(HostError(c.selector), GLenum(GL_NO_ERROR));
        EXPECT_EQ(playback->m_lastHostError, 0u);
    }
}

// What Mesa offers plays there: a vertex array generated, bound and deleted on ES 2.0 leaves no error.
// (Mesa's ES 1.1 contexts list the extension but answer its functions with GL_INVALID_OPERATION.)
TEST_F(ExtPlayer, OnMesaVertexArraysPlayOnEs2)
{
    EXPECT_EQ(Play({Es2(EXT_ID(glGenVertexArraysOES), Names(1, {5})), Es2(EXT_ID(glBindVertexArrayOES), SPayload().U32(5)),
                    Es2(EXT_ID(glBindVertexArrayOES), SPayload().U32(0)),
                    Es2(EXT_ID(glDeleteVertexArraysOES), Names(1, {5}))}),
              (std::vector<int>{1, 1, 1, 1}));
    if (err.find("not available") != std::string::npos)
        GTEST_SKIP() << "a Mesa without the extension";
    EXPECT_EQ(err, "");
    EXPECT_EQ(playback->m_lastHostError, 0u);
    EXPECT_EQ(VertexArrayNameMap::Get(5), 0u);
}

} // namespace
