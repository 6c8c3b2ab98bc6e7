// The ES 1.1 player over a wrapped ES 1.1 table on an ES 1.1 context: for each recorded call
// sequence the exact host calls made (names, and the arguments that matter) and the results; the
// client-array walk of the draws; then the calls whose recorded data is shorter than what the host
// would read, which are refused before the host reads anything.
#include "HostSpy.h"
#include "Es1TestHost.h"
#include "record/XqftError.h"
#include "PlayerTestSupport.h"

#include "CallQueries.h"
#include "data/TraceData.h"
#include "host/HostContext.h"
#include "es1/Es1Restore.h"
#include "maps/NameMaps.h"
#include "record/CapturedBlocks.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using es2test::SCall;
using es2test::SPayload;

namespace {

#define ES1_ID(fn) CallIdOf(ECallFamily::Es1, #fn)

constexpr uint32_t kTex2D = GL_TEXTURE_2D, kArray = GL_ARRAY_BUFFER, kElement = GL_ELEMENT_ARRAY_BUFFER;

SCall W(uint16_t id, std::initializer_list<uint32_t> words) { return {id, SPayload().Words(words)}; }

SPayload Floats(std::initializer_list<float> values)
{
    SPayload p;
    for (float v : values)
        p.F(v);
    return p;
}

// A pointer call with a size (colour, texture coordinates, vertex) or without (normal, point size).
SCall Pointer(uint16_t id, uint32_t size, uint32_t type, uint32_t pointer)
{
    return {id, SPayload().Words({size, type, 0}).Ptr(pointer)};
}
SCall Pointer(uint16_t id, uint32_t type, uint32_t pointer) { return {id, SPayload().Words({type, 0}).Ptr(pointer)}; }

// glDrawArrays with its captured blocks and the 40-byte trailer no reader takes as a block.
SCall DrawArrays(uint32_t mode, uint32_t first, uint32_t count, std::initializer_list<uint32_t> blockSizes)
{
    SPayload p;
    p.Words({mode, first, count});
    uint64_t pointer = 0x5000;
    for (uint32_t size : blockSizes)
        p.Block(pointer += 0x100, size);
    p.Raw(std::vector<uint8_t>(40));
    return {ES1_ID(glDrawArrays), p};
}

// glDrawElements of a trace with data: the index bytes, the offset into an element buffer, blocks.
SCall DrawElements(uint32_t count, uint32_t type, const std::vector<uint8_t>& indices, uint32_t offset,
                   std::initializer_list<uint32_t> blockSizes)
{
    SPayload p;
    p.Words({GL_TRIANGLES, count, type}).Ptr(indices.empty() ? 0 : 0x4000).U32(uint32_t(indices.size())).Raw(indices);
    p.Ptr(offset);
    uint64_t pointer = 0x6000;
    for (uint32_t size : blockSizes)
        p.Block(pointer += 0x100, size);
    p.Raw(std::vector<uint8_t>(40));
    return {ES1_ID(glDrawElements), p};
}

SCall GenBuffers(std::initializer_list<uint32_t> names)
{
    return {ES1_ID(glGenBuffers), SPayload().U32(uint32_t(names.size())).Array(0x100, names)};
}

// The arguments of the nth host call of a function (none when there was no such call), and one of
// them (0 when missing).
std::vector<uint64_t> Args(const CHostSpy& spy, const char* name, size_t nth = 0)
{
    const std::vector<SHostCall> calls = spy.Of(name);
    return nth < calls.size() ? calls[nth].args : std::vector<uint64_t>{};
}
uint64_t Arg(const CHostSpy& spy, const char* name, size_t k, size_t nth = 0)
{
    const std::vector<uint64_t> args = Args(spy, name, nth);
    return k < args.size() ? args[k] : 0;
}

SCall Enable(uint32_t array) { return W(ES1_ID(glEnableClientState), {array}); }

// Wraps the ES 1.1 functions the player calls for recorded calls (not the walk's queries and unit
// switches).
void SpyOnEs1(CHostSpy& spy, SEs1Host& gl)
{
    XQF_SPY(spy, gl, glBindBuffer);
    XQF_SPY(spy, gl, glBindTexture);
    XQF_SPY(spy, gl, glBufferData);
    XQF_SPY(spy, gl, glBufferSubData);
    XQF_SPY(spy, gl, glColorPointer);
    XQF_SPY(spy, gl, glCompressedTexImage2D);
    XQF_SPY(spy, gl, glCompressedTexSubImage2D);
    XQF_SPY(spy, gl, glDeleteBuffers);
    XQF_SPY(spy, gl, glDeleteTextures);
    XQF_SPY(spy, gl, glDrawArrays);
    XQF_SPY(spy, gl, glDrawElements);
    XQF_SPY(spy, gl, glEnable);
    XQF_SPY(spy, gl, glFogfv);
    XQF_SPY(spy, gl, glGenBuffers);
    XQF_SPY(spy, gl, glGenTextures);
    XQF_SPY(spy, gl, glGetError);
    XQF_SPY(spy, gl, glGetFloatv);
    XQF_SPY(spy, gl, glLightfv);
    XQF_SPY(spy, gl, glLoadMatrixf);
    XQF_SPY(spy, gl, glMaterialfv);
    XQF_SPY(spy, gl, glNormalPointer);
    XQF_SPY(spy, gl, glPointSizePointerOES);
    XQF_SPY(spy, gl, glReadPixels);
    XQF_SPY(spy, gl, glTexCoordPointer);
    XQF_SPY(spy, gl, glTexEnvfv);
    XQF_SPY(spy, gl, glTexImage2D);
    XQF_SPY(spy, gl, glTexSubImage2D);
    XQF_SPY(spy, gl, glVertexPointer);
}

class Es1Player : public testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string why = es1host::UseEs1Context(gl); !why.empty())
            GTEST_SKIP() << why;
        Fresh();
    }

    // A new playback, empty name maps, and a host with no client array enabled, no buffer bound
    // and unit 0 selected (the context is shared by every case).
    void Fresh()
    {
        playback = std::make_unique<CPlayback>();
        ResetNameMaps();
        ResetEs1Names(playback->m_es1Extensions);
        for (GLenum array : {GLenum(GL_COLOR_ARRAY), GLenum(GL_NORMAL_ARRAY), GLenum(GL_VERTEX_ARRAY),
                             GLenum(GL_POINT_SIZE_ARRAY_OES)})
            XQF_HOST(*gl, glDisableClientState)(array);
        for (GLenum unit = 0; unit < 2; ++unit) {
            XQF_HOST(*gl, glClientActiveTexture)(GL_TEXTURE0 + unit);
            XQF_HOST(*gl, glDisableClientState)(GL_TEXTURE_COORD_ARRAY);
        }
        XQF_HOST(*gl, glClientActiveTexture)(GL_TEXTURE0);
        XQF_HOST(*gl, glBindBuffer)(GL_ARRAY_BUFFER, 0);
        XQF_HOST(*gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, 0);
        while (XQF_HOST(*gl, glGetError)() != GL_NO_ERROR) {
        }
    }

    // Plays the calls in order; returns the results and keeps what was printed.
    std::vector<int> Play(const std::vector<SCall>& calls, uint8_t checkErrors = 0, bool data = true,
                          uint32_t error = 0)
    {
        return playertest::PlayCalls(*playback, calls, checkErrors, error, data, entries, out, err);
    }

public:
    GLint HostInt(GLenum pname)
    {
        GLint v = 0;
        XQF_HOST(*gl, glGetIntegerv)(pname, &v);
        return v;
    }
    // The address of block i of the last call played.
    uint64_t Block(uint32_t i) const
    {
        const xqft::CCapturedBlocks* blocks = CapturedBlocksOf(entries.back()->call.get());
        return blocks && i < blocks->Count() ? reinterpret_cast<uintptr_t>(blocks->At(i).bytes) : 0;
    }

    SEs1Host* gl = nullptr;
    std::unique_ptr<CPlayback> playback;
    std::vector<std::unique_ptr<STraceCall>> entries;  // the calls must outlive their replay
    std::string out, err;
};

struct SCase
{
    const char* what;
    std::vector<SCall> setup;  // played first, not looked at
    std::vector<SCall> calls;
    uint8_t checkErrors;
    std::vector<std::string> host;  // the wrapped host functions the calls reach, in order
    std::vector<int> results;
    std::function<void(const CHostSpy&, Es1Player&)> check;
};

using Fixture = Es1Player;

const std::vector<SCase>& Cases()
{
    static const std::vector<SCase> cases = {
        {"texture names are used as recorded: glGenTextures reaches nothing, texture 7 binds host texture 7",
         {},
         {{ES1_ID(glGenTextures), SPayload().U32(1).Array(0x100, {7})}, W(ES1_ID(glBindTexture), {kTex2D, 7})},
         0,
         {"glBindTexture"},
         {1, 1},
         [](const CHostSpy& s, Fixture&) { EXPECT_EQ(Args(s, "glBindTexture"), (std::vector<uint64_t>{kTex2D, 7})); }},
        {"queries, getters and texture names make no host call, also with error checks",
         {},
         {{ES1_ID(glGetFloatv), SPayload().U32(GL_LINE_WIDTH).Ptr(0x100).U32(1).F(1.0f)},
          {ES1_ID(glIsEnabled), SPayload().U32(1).U32(GL_BLEND)},
          {ES1_ID(glGetError), SPayload().U32(0)},
          {ES1_ID(glGenTextures), SPayload().U32(1).Array(0x100, {3})},
          {ES1_ID(glGetIntegerv), SPayload().U32(GL_VIEWPORT).Ptr(0x100).U32(4).Words({0, 0, 64, 48})}},
         1,
         {},
         {1, 1, 1, 1, 1},
         nullptr},
        {"the recorded scalars and arrays reach the host function of the same id as recorded",
         {},
         {W(ES1_ID(glEnable), {GL_FOG}),
          {ES1_ID(glFogfv), SPayload().U32(GL_FOG_COLOR).Ptr(0x100).U32(4).Raw(Floats({0.1f, 0.2f, 0.3f, 1}).bytes)},
          {ES1_ID(glMaterialfv), SPayload().Words({GL_FRONT_AND_BACK, GL_SHININESS}).Ptr(0x100).U32(1).F(8.0f)},
          {ES1_ID(glDeleteTextures), SPayload().U32(2).Array(0x100, {4, 9})}},
         1,
         {"glEnable", "glGetError", "glFogfv", "glGetError", "glMaterialfv", "glGetError", "glDeleteTextures",
          "glGetError"},
         {1, 1, 1, 1},
         [](const CHostSpy& s, Fixture&) {
             const uint64_t color = Arg(s, "glFogfv", 1), names = Arg(s, "glDeleteTextures", 1);
             ASSERT_TRUE(color && names);
             EXPECT_EQ(reinterpret_cast<const float*>(color)[2], 0.3f);
             EXPECT_EQ(reinterpret_cast<const uint32_t*>(names)[1], 9u);
             EXPECT_EQ(Arg(s, "glDeleteTextures", 0), 2u);
         }},
        {"a host error with error checks on fails the call and stays in the last host error",
         {},
         {W(ES1_ID(glEnable), {0x1234})},
         1,
         {"glEnable", "glGetError"},
         {0},
         [](const CHostSpy&, Fixture& f) { EXPECT_EQ(f.playback->m_lastHostError, uint32_t(GL_INVALID_ENUM)); }},
        {"glVertexPointer's own host error is taken before the error check",
         {},
         {Pointer(ES1_ID(glVertexPointer), 7, GL_FLOAT, 0x2000)},
         1,
         {"glGetError", "glVertexPointer", "glGetError", "glGetError"},
         {1},
         nullptr},
        {"client colour and vertex from blocks 0 and 1, normals from their buffer (sized), the array buffer put back",
         {GenBuffers({5}), W(ES1_ID(glBindBuffer), {kArray, 5}),
          {ES1_ID(glBufferData), SPayload().Words({kArray, 36}).Block(0x700, 36).U32(GL_STATIC_DRAW)},
          Pointer(ES1_ID(glNormalPointer), GL_FLOAT, 0), W(ES1_ID(glBindBuffer), {kArray, 0}),
          Pointer(ES1_ID(glColorPointer), 4, GL_UNSIGNED_BYTE, 0x1000),
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_COLOR_ARRAY), Enable(GL_NORMAL_ARRAY),
          Enable(GL_VERTEX_ARRAY), W(ES1_ID(glBindBuffer), {kArray, 5})},
         {DrawArrays(GL_TRIANGLES, 0, 3, {12, 24})},
         0,
         {"glBindBuffer", "glBindBuffer", "glBindBuffer", "glColorPointer", "glVertexPointer", "glBindBuffer",
          "glDrawArrays"},
         {1},
         [](const CHostSpy& s, Fixture& f) {
             const auto color = Args(s, "glColorPointer"), vertex = Args(s, "glVertexPointer");
             EXPECT_EQ(color, (std::vector<uint64_t>{4, GL_UNSIGNED_BYTE, 0, f.Block(0)}));
             EXPECT_EQ(vertex, (std::vector<uint64_t>{2, GL_FLOAT, 0, f.Block(1)}));
             EXPECT_EQ(Arg(s, "glBindBuffer", 1), 0u);
             EXPECT_EQ(Arg(s, "glBindBuffer", 1, 1), CPlayback::GetEs1HostBuffer(5)) << "bound for its size";
             EXPECT_EQ(Arg(s, "glBindBuffer", 1, 3), CPlayback::GetEs1HostBuffer(5)) << "put back before the draw";
             EXPECT_EQ(f.HostInt(GL_ARRAY_BUFFER_BINDING), GLint(CPlayback::GetEs1HostBuffer(5)));
         }},
        {"glDrawElements with an element buffer bound draws from the recorded offset",
         {GenBuffers({8}), W(ES1_ID(glBindBuffer), {kElement, 8}),
          {ES1_ID(glBufferData), SPayload().Words({kElement, 12}).Block(0x800, 12).U32(GL_STATIC_DRAW)}},
         {DrawElements(3, GL_UNSIGNED_SHORT, {}, 4, {})},
         0,
         {"glBindBuffer", "glBindBuffer", "glDrawElements"},
         {1},
         [](const CHostSpy& s, Fixture&) { EXPECT_EQ(Arg(s, "glDrawElements", 3), 4u); }},
        {"glDrawElements without one draws from the recorded index bytes; extra blocks are left",
         {Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)},
         {DrawElements(3, GL_UNSIGNED_BYTE, {0, 2, 1}, 0, {24, 16, 16})},
         0,
         {"glBindBuffer", "glVertexPointer", "glBindBuffer", "glDrawElements"},
         {1},
         [](const CHostSpy& s, Fixture& f) {
             const auto* indices = reinterpret_cast<const uint8_t*>(Arg(s, "glDrawElements", 3));
             ASSERT_NE(indices, nullptr);
             EXPECT_EQ(indices[1], 2);
             EXPECT_EQ(Arg(s, "glVertexPointer", 3), f.Block(0));
         }},
        {"a draw of nothing from an array without bytes passes",
         {Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)},
         {DrawArrays(GL_TRIANGLES, 0, 0, {0})},
         1,
         {"glBindBuffer", "glVertexPointer", "glBindBuffer", "glDrawArrays", "glGetError"},
         {1},
         nullptr},
        {"glReadPixels reads into a block of its own, never into the record",
         {},
         {{ES1_ID(glReadPixels), SPayload().Words({0, 0, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE}).Block(0x900, 64).U32(4)}},
         1,
         {"glReadPixels", "glGetError"},
         {1},
         [](const CHostSpy& s, Fixture& f) {
             EXPECT_NE(Arg(s, "glReadPixels", 6), 0u);
             EXPECT_EQ(f.err, "");
         }},
        {"glReadPixels larger than its recorded image is not replayed",
         {},
         {{ES1_ID(glReadPixels), SPayload().Words({0, 0, 8, 8, GL_RGBA, GL_UNSIGNED_BYTE}).Block(0x900, 64).U32(4)}},
         1,
         {},
         {1},
         [](const CHostSpy&, Fixture& f) { EXPECT_NE(f.err.find("WARNING: glReadPixels"), std::string::npos); }},
    };
    return cases;
}

TEST_F(Es1Player, EachCallMakesTheHostCallsItShould)
{
    for (const SCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        Fresh();
        Play(c.setup);
        CHostSpy spy;
        SpyOnEs1(spy, *gl);
        const std::vector<int> results = Play(c.calls, c.checkErrors);
        EXPECT_EQ(spy.Names(), c.host);
        EXPECT_EQ(results, c.results) << out << err;
        if (c.check)
            c.check(spy, *this);
    }
}

TEST_F(Es1Player, ACallRecordedWithAnErrorReachesNothingAndCountsAsPlayed)
{
    CHostSpy spy;
    SpyOnEs1(spy, *gl);
    EXPECT_EQ(Play({W(ES1_ID(glBindTexture), {kTex2D, 7})}, 1, true, GL_INVALID_ENUM), std::vector<int>{1});
    EXPECT_EQ(spy.calls.size(), 0u);
    EXPECT_EQ(out + err, "");
}

// Buffer names: the host's own, paired with the recorded ones by glGenBuffers; deleted one at a
// time, the pairs kept.
void GenerateOneAndTwo(GLsizei n, GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i)
        names[i] = GLuint(i + 1);
}

TEST_F(Es1Player, BufferNamesGoThroughTheMap)
{
    CHostSpy spy;
    XQF_SPY(spy, *gl, glGenBuffers, &GenerateOneAndTwo);
    XQF_SPY(spy, *gl, glBindBuffer);
    XQF_SPY(spy, *gl, glDeleteBuffers);
    EXPECT_EQ(Play({GenBuffers({5, 9}), W(ES1_ID(glBindBuffer), {kArray, 9}), W(ES1_ID(glBindBuffer), {kArray, 4}),
                    {ES1_ID(glDeleteBuffers), SPayload().U32(2).Array(0x100, {5, 9})}},
                   1),
              (std::vector<int>{1, 1, 1, 1}));
    const auto binds = spy.Of("glBindBuffer");
    ASSERT_EQ(binds.size(), 2u);
    EXPECT_EQ(binds[0].args[1], 2u);
    EXPECT_EQ(binds[1].args[1], 0u) << "a name never generated binds host buffer 0";
    const auto deletes = spy.Of("glDeleteBuffers");
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_EQ(deletes[0].args[0], 1u);
    EXPECT_EQ(deletes[1].args[0], 1u);
    EXPECT_EQ(CPlayback::GetEs1HostBuffer(5), 1u) << "deleting keeps the map's entry";
    EXPECT_EQ(CPlayback::GetEs1HostBuffer(9), 2u);
}

// The host name each glDeleteBuffers call was handed (read while the call runs).
std::vector<GLuint> g_deleted;
void KeepDeleted(GLsizei n, const GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i)
        g_deleted.push_back(names[i]);
}

TEST_F(Es1Player, DeletedBuffersGoOneCallEachInOrder)
{
    CHostSpy spy;
    XQF_SPY(spy, *gl, glGenBuffers, &GenerateOneAndTwo);
    XQF_SPY(spy, *gl, glDeleteBuffers, &KeepDeleted);
    g_deleted.clear();
    Play({GenBuffers({5, 9}), {ES1_ID(glDeleteBuffers), SPayload().U32(2).Array(0x100, {5, 9})}});
    EXPECT_EQ(g_deleted, (std::vector<GLuint>{1, 2}));
}

TEST_F(Es1Player, LoadMatrixHandsOverTheSameRecordedArrayEachTime)
{
    SPayload matrix;
    matrix.Ptr(0x300);
    for (int i = 0; i < 16; ++i)
        matrix.F(i % 5 == 0 ? 1.0f : 0.0f);
    CHostSpy spy;
    XQF_SPY(spy, *gl, glLoadMatrixf);
    std::unique_ptr<STraceCall> entry = playertest::Entry({ES1_ID(glLoadMatrixf), matrix});
    EXPECT_EQ(playback->PlayCall(entry.get(), 1), 1);
    EXPECT_EQ(playback->PlayCall(entry.get(), 1), 1);
    ASSERT_EQ(spy.calls.size(), 2u);
    EXPECT_EQ(spy.calls[0].args[0], spy.calls[1].args[0]);
    const float* m = reinterpret_cast<const float*>(spy.calls[0].args[0]);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[5], 1.0f);
    EXPECT_EQ(m[1], 0.0f);
}

// What a two-unit host answers for its unit count; everything else from Mesa.
void (*g_getIntegerv)(GLenum, GLint*) = nullptr;
void TwoUnits(GLenum pname, GLint* v)
{
    if (pname == GL_MAX_TEXTURE_UNITS)
        *v = 2;
    else
        g_getIntegerv(pname, v);
}

// On a host of two units: unit 1's client array takes the block after the vertices while unit 0's
// is off, units 2 to 7 are never selected, and the client active unit is put back.
TEST_F(Es1Player, TextureUnitsTakeBlocksAfterTheOtherArraysOnTheUnitsTheHostHas)
{
    Play({W(ES1_ID(glClientActiveTexture), {GL_TEXTURE1}), Pointer(ES1_ID(glTexCoordPointer), 2, GL_FLOAT, 0x3000),
          Enable(GL_TEXTURE_COORD_ARRAY), W(ES1_ID(glClientActiveTexture), {GL_TEXTURE0}),
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)});
    g_getIntegerv = XQF_HOST(*gl, glGetIntegerv);
    CHostSpy spy;
    XQF_SPY(spy, *gl, glGetIntegerv, &TwoUnits);
    XQF_SPY(spy, *gl, glClientActiveTexture);
    XQF_SPY(spy, *gl, glVertexPointer);
    XQF_SPY(spy, *gl, glTexCoordPointer);
    XQF_SPY(spy, *gl, glDrawArrays);
    EXPECT_EQ(Play({DrawArrays(GL_TRIANGLES, 0, 3, {24, 24})}, 1), std::vector<int>{1});
    std::vector<std::string> names;
    std::vector<uint64_t> units;
    for (const SHostCall& c : spy.calls)
        if (c.name != "glGetIntegerv") {
            names.push_back(c.name);
            if (c.name == "glClientActiveTexture")
                units.push_back(c.args[0] - GL_TEXTURE0);
        }
    const std::vector<std::string> expected = {
        "glClientActiveTexture", "glClientActiveTexture", "glClientActiveTexture", "glVertexPointer",
        "glClientActiveTexture", "glTexCoordPointer",     "glClientActiveTexture", "glDrawArrays"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(units, (std::vector<uint64_t>{0, 1, 0, 1, 0}));
    EXPECT_EQ(Arg(spy, "glVertexPointer", 3), Block(0));
    EXPECT_EQ(Arg(spy, "glTexCoordPointer", 3), Block(1));
    EXPECT_EQ(HostInt(GL_CLIENT_ACTIVE_TEXTURE), GL_TEXTURE0);
}

// The indices read from an element buffer are read again once a buffer's contents change.
TEST_F(Es1Player, ChangedElementBufferIndicesAreCheckedAgain)
{
    Play({GenBuffers({8}), W(ES1_ID(glBindBuffer), {kElement, 8}),
          {ES1_ID(glBufferData), SPayload().Words({kElement, 6}).Ptr(0x800).U32(6).Raw({0, 0, 1, 0, 2, 0})
                                     .U32(GL_STATIC_DRAW)},
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)});
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {24})}), std::vector<int>{1}) << err;
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {24})}), std::vector<int>{1}) << err;
    EXPECT_EQ(Play({{ES1_ID(glBufferSubData), SPayload().Words({kElement, 4, 2}).Ptr(0x800).U32(2).Raw({9, 0})},
                    DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {24})}),
              (std::vector<int>{1, 0}))
        << "index 9 reads ten vertices";
    EXPECT_NE(err.find("ERROR: glDrawElements: the client vertex array holds 24 bytes of the 80"), std::string::npos)
        << err;
}

// A restore fills the host's buffers anew: the index ranges found before it are read again.
TEST_F(Es1Player, ARestoredElementBufferIsCheckedAgain)
{
    Play({GenBuffers({8}), W(ES1_ID(glBindBuffer), {kElement, 8}),
          {ES1_ID(glBufferData), SPayload().Words({kElement, 6}).Ptr(0x800).U32(6).Raw({0, 0, 1, 0, 2, 0})
                                     .U32(GL_STATIC_DRAW)},
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)});
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {24})}), std::vector<int>{1}) << err;
    const auto host = uint32_t(HostInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    SEs1State snapshot;
    SEs1Buffer& b = snapshot.buffers[host];
    b.name = host;
    b.target = GL_ELEMENT_ARRAY_BUFFER;
    b.size = b.capturedSize = 6;
    b.usage = GL_STATIC_DRAW;
    auto indices = AllocateBytes(6);
    const uint8_t far[6] = {9, 0, 1, 0, 2, 0};
    std::memcpy(indices.get(), far, sizeof far);
    b.data = std::move(indices);
    snapshot.vertexArrays[snapshot.vertexArrayBinding].elementArrayBuffer = host;
    snapshot.vertexArrays[snapshot.vertexArrayBinding].enabled[2] = 1;  // GL_VERTEX_ARRAY, as played
    RestoreEs1State(snapshot, 2, nullptr);
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {24})}), std::vector<int>{0})
        << "index 9 reads ten vertices";
    EXPECT_NE(err.find("ERROR: glDrawElements: the client vertex array holds 24 bytes of the 80"), std::string::npos)
        << err;
}

TEST_F(Es1Player, MoreEnabledArraysThanBlocksThrowsBeforeAnyArrayMoves)
{
    Play({Pointer(ES1_ID(glColorPointer), 4, GL_UNSIGNED_BYTE, 0x1000),
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_COLOR_ARRAY), Enable(GL_VERTEX_ARRAY)});
    CHostSpy spy;
    SpyOnEs1(spy, *gl);
    EXPECT_THROW(Play({DrawArrays(GL_TRIANGLES, 0, 3, {12})}), CXqftError);
    EXPECT_EQ(spy.Count("glColorPointer") + spy.Count("glDrawArrays"), 0);
    EXPECT_EQ(HostInt(GL_ARRAY_BUFFER_BINDING), 0);
}

TEST_F(Es1Player, AnIndexedDrawOfATraceWithoutDataFailsBeforeAnyHostCall)
{
    CHostSpy spy;
    SpyOnEs1(spy, *gl);
    XQF_SPY(spy, *gl, glGetIntegerv);
    const SCall noData{ES1_ID(glDrawElements), SPayload().Words({GL_TRIANGLES, 3, GL_UNSIGNED_SHORT}).Ptr(0x4000)};
    EXPECT_THROW(Play({noData}, 1, false), CXqftError);
    EXPECT_EQ(spy.calls.size(), 0u);
}

// A call played as recorded, one written by hand and a draw (whose walk would call functions the
// host has): nothing is called, a warning names the function, and the call counts as played.
TEST_F(Es1Player, AHostWithoutAnEntryPointWarnsAndGoesOn)
{
    Play({Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)});
    const std::vector<std::pair<const char*, SCall>> cases = {
        {"glLogicOp", W(ES1_ID(glLogicOp), {GL_XOR})},
        {"glBufferData", {ES1_ID(glBufferData), SPayload().Words({kArray, 4}).Block(0x700, 4).U32(GL_STATIC_DRAW)}},
        {"glDrawArrays", DrawArrays(GL_TRIANGLES, 0, 3, {24})},
    };
    for (const auto& [name, call] : cases) {
        SCOPED_TRACE(name);
        CHostSpy spy;
        SpyOnEs1(spy, *gl);
        XQF_SPY(spy, *gl, glIsEnabled);
        XQF_SPY(spy, *gl, glGetIntegerv);
        void*& slot = gl->entries[size_t(call.id - kEs1HostFirstId)];
        void* const wrapped = slot;
        slot = nullptr;
        const std::vector<int> results = Play({call}, 1);
        slot = wrapped;  // the spy puts back what it wrapped
        EXPECT_EQ(results, std::vector<int>{1});
        EXPECT_EQ(spy.calls.size(), 0u);
        EXPECT_NE(err.find(std::string("WARNING: The extension function '") + name +
                           "' is not available on this platform"),
                  std::string::npos)
            << err;
    }
}

// Matrix-palette arrays, which Mesa does not have: fake setters in the extension slots, and a host
// that answers for the two arrays as if it had them.
std::vector<std::pair<GLint, const void*>> g_matrixIndex, g_weight;
void MatrixIndexPointer(GLint size, GLenum, GLsizei, const void* p) { g_matrixIndex.push_back({size, p}); }
void WeightPointer(GLint size, GLenum, GLsizei, const void* p) { g_weight.push_back({size, p}); }
GLboolean (*g_isEnabled)(GLenum) = nullptr;
void (*g_getPointerv)(GLenum, void**) = nullptr;
GLboolean PaletteEnabled(GLenum cap) { return cap == 0x8844 || cap == 0x86AD ? GL_TRUE : g_isEnabled(cap); }
void PaletteInt(GLenum pname, GLint* v)
{
    switch (pname) {
    case 0x8846: *v = 2; break;                  // matrix-index size
    case 0x8847: *v = GL_UNSIGNED_BYTE; break;   // its type
    case 0x86AB: *v = 3; break;                  // weight size
    case 0x86A9: *v = GL_FLOAT; break;           // its type
    case 0x8B9E: case 0x889E: *v = 0; break;     // no buffers
    default: g_getIntegerv(pname, v);
    }
}
void PalettePointer(GLenum pname, void** p)
{
    if (pname == 0x8849 || pname == 0x86AC)
        *p = reinterpret_cast<void*>(uintptr_t(0x7000));
    else
        g_getPointerv(pname, p);
}

class Es1PalettePlayer : public Es1Player
{
protected:
    void SetUp() override
    {
        Es1Player::SetUp();
        if (IsSkipped())
            return;
        m_saved = {gl->ext.glMatrixIndexPointerOES, gl->ext.glWeightPointerOES};
        gl->ext.glMatrixIndexPointerOES = reinterpret_cast<void*>(&MatrixIndexPointer);
        gl->ext.glWeightPointerOES = reinterpret_cast<void*>(&WeightPointer);
        playback->m_es1Extensions.token = std::make_unique<uint8_t>(1);  // the probe would empty the slots
        g_matrixIndex.clear();
        g_weight.clear();
        g_isEnabled = XQF_HOST(*gl, glIsEnabled);
        g_getIntegerv = XQF_HOST(*gl, glGetIntegerv);
        g_getPointerv = XQF_HOST(*gl, glGetPointerv);
        Play({Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)});
    }
    void TearDown() override
    {
        if (gl) {
            gl->ext.glMatrixIndexPointerOES = m_saved.first;
            gl->ext.glWeightPointerOES = m_saved.second;
        }
    }
    void FakePalette(CHostSpy& spy)
    {
        XQF_SPY(spy, *gl, glIsEnabled, &PaletteEnabled);
        XQF_SPY(spy, *gl, glGetIntegerv, &PaletteInt);
        XQF_SPY(spy, *gl, glGetPointerv, &PalettePointer);
        XQF_SPY(spy, *gl, glGetError);
    }

    std::pair<void*, void*> m_saved;
};

TEST_F(Es1PalettePlayer, MatrixIndexAndWeightArraysTakeTheirBlocksInBothDraws)
{
    CHostSpy spy;
    FakePalette(spy);
    EXPECT_EQ(Play({DrawArrays(GL_TRIANGLES, 0, 3, {24, 6, 36})}), std::vector<int>{1});
    EXPECT_EQ(spy.Count("glGetError"), 1) << "glDrawArrays fetches the error once the matrix-index array is enabled";
    ASSERT_EQ(g_matrixIndex.size(), 1u);
    ASSERT_EQ(g_weight.size(), 1u);
    EXPECT_EQ(g_matrixIndex[0], std::make_pair(2, reinterpret_cast<const void*>(Block(1))));
    EXPECT_EQ(g_weight[0], std::make_pair(3, reinterpret_cast<const void*>(Block(2))));

    spy.calls.clear();
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_BYTE, {0, 1, 2}, 0, {24, 6, 36})}), std::vector<int>{1});
    EXPECT_EQ(spy.Count("glGetError"), 0) << "glDrawElements fetches no error in the walk";
    EXPECT_EQ(g_matrixIndex.size(), 2u);
    EXPECT_EQ(g_weight.size(), 2u);
}

TEST_F(Es1PalettePlayer, AnErrorOfTheWalksQueriesFailsTheErrorCheck)
{
    // Mesa knows no matrix-palette arrays: asking whether they are enabled raises GL_INVALID_ENUM.
    EXPECT_EQ(Play({DrawElements(3, GL_UNSIGNED_BYTE, {0, 1, 2}, 0, {24})}, 1), std::vector<int>{0});
    EXPECT_EQ(playback->m_lastHostError, uint32_t(GL_INVALID_ENUM));
    EXPECT_EQ(Play({DrawArrays(GL_TRIANGLES, 0, 3, {24})}, 1), std::vector<int>{0});
}

// Calls whose recorded data holds fewer values or bytes than the host would read (each one short).
struct SShort
{
    const char* what;
    std::vector<SCall> setup;
    SCall call;
    std::vector<const char*> untouched;  // host functions the call must not reach
    const char* refusal = "";            // what the refusal says after the function: the argument and why
};

// An image call: its words, a block of `bytes` bytes, and an alignment after it where it has one.
SCall Image(uint16_t id, std::initializer_list<uint32_t> words, uint32_t bytes, bool alignment)
{
    SPayload p;
    p.Words(words).Block(0x900, bytes);
    if (alignment)
        p.U32(4);
    return SCall{id, p};
}

// g++ 12 at -O3 takes elements of long braced tables of vectors for uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
const std::vector<SShort>& Shortages()
{
    static const std::vector<SShort> cases = {
        {"buffer data", {GenBuffers({7}), W(ES1_ID(glBindBuffer), {kArray, 7})},
         {ES1_ID(glBufferData), SPayload().Words({kArray, 64}).Block(0x700, 63).U32(GL_STATIC_DRAW)},
         {"glBufferData"}, "data: holds 63 bytes of the 64"},
        {"buffer sub-data", {GenBuffers({7}), W(ES1_ID(glBindBuffer), {kArray, 7})},
         {ES1_ID(glBufferSubData), SPayload().Words({kArray, 0, 16}).Block(0x700, 15)},
         {"glBufferSubData"}, "data: holds 15 bytes of the 16"},
        {"a texture image", {},
         Image(ES1_ID(glTexImage2D), {kTex2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE}, 63, true),
         {"glTexImage2D"}, "pixels: holds 63 bytes of the 64"},
        {"an odd-width RGB image under the host's alignment 4", {W(ES1_ID(glPixelStorei), {GL_UNPACK_ALIGNMENT, 4})},
         Image(ES1_ID(glTexImage2D), {kTex2D, 0, GL_RGB, 5, 3, 0, GL_RGB, GL_UNSIGNED_BYTE}, 47, true),
         {"glTexImage2D"}, "pixels: holds 47 bytes of the 48"},
        {"a sub-image", {},
         Image(ES1_ID(glTexSubImage2D), {kTex2D, 0, 0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE}, 15, true),
         {"glTexSubImage2D"}, "pixels: holds 15 bytes of the 16"},
        {"a compressed image", {},
         Image(ES1_ID(glCompressedTexImage2D), {kTex2D, 0, 0x8D64, 8, 8, 0, 32}, 31, false),
         {"glCompressedTexImage2D"}, "data: holds 31 bytes of the 32"},
        {"a compressed sub-image", {},
         Image(ES1_ID(glCompressedTexSubImage2D), {kTex2D, 0, 0, 0, 4, 4, 0x8D64, 8}, 7, false),
         {"glCompressedTexSubImage2D"}, "data: holds 7 bytes of the 8"},
        {"a light position of three values", {},
         {ES1_ID(glLightfv), SPayload().Words({GL_LIGHT0, GL_POSITION}).Ptr(0x100).U32(3).Raw(Floats({1, 2, 3}).bytes)},
         {"glLightfv"}, "params: holds 3 values of the 4"},
        {"a fog colour of three values", {},
         {ES1_ID(glFogfv), SPayload().U32(GL_FOG_COLOR).Ptr(0x100).U32(3).Raw(Floats({1, 2, 3}).bytes)},
         {"glFogfv"}, "params: holds 3 values of the 4"},
        {"a material without values", {},
         {ES1_ID(glMaterialfv), SPayload().Words({GL_FRONT_AND_BACK, GL_SHININESS}).Ptr(0x100).U32(0)},
         {"glMaterialfv"}, "params: holds 0 values of the 1"},
        {"an environment colour of three values", {},
         {ES1_ID(glTexEnvfv), SPayload().Words({GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR}).Ptr(0x100).U32(3)
                                  .Raw(Floats({1, 2, 3}).bytes)},
         {"glTexEnvfv"}, "params: holds 3 values of the 4"},
        {"a parameter not known here with three values", {},
         {ES1_ID(glTexEnvfv),
          SPayload().Words({GL_TEXTURE_ENV, 0x1234}).Ptr(0x100).U32(3).Raw(Floats({1, 2, 3}).bytes)},
         {"glTexEnvfv"}, "params: holds 3 values of the 4"},
        {"more textures deleted than recorded", {},
         {ES1_ID(glDeleteTextures), SPayload().U32(3).Array(0x100, {1, 2})},
         {"glDeleteTextures"}, "textures: holds 2 values of the 3"},
        {"more buffers generated than recorded", {}, {ES1_ID(glGenBuffers), SPayload().U32(10).Array(0x100, {1, 2})},
         {"glGenBuffers"}, "buffers: holds 2 names of the 10"},
        {"more buffers deleted than recorded", {GenBuffers({1, 2})},
         {ES1_ID(glDeleteBuffers), SPayload().U32(3).Array(0x100, {1, 2})},
         {"glDeleteBuffers"}, "buffers: holds 2 names of the 3"},
        {"a client array shorter than the vertices drawn",
         {Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)},
         DrawArrays(GL_TRIANGLES, 1, 3, {31}),
         {"glVertexPointer", "glDrawArrays"}, "the client vertex array holds 31 bytes of the 32"},
        {"a client array shorter than the largest client index",
         {Pointer(ES1_ID(glColorPointer), 4, GL_UNSIGNED_BYTE, 0x1000),
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000),
          Enable(GL_COLOR_ARRAY), Enable(GL_VERTEX_ARRAY)},
         DrawElements(3, GL_UNSIGNED_SHORT, {0, 0, 4, 0, 1, 0}, 0, {20, 39}),
         {"glColorPointer", "glVertexPointer", "glDrawElements"}, "the client vertex array holds 39 bytes of the 40"},
        {"a client array shorter than the largest index of the element buffer",
         {GenBuffers({8}), W(ES1_ID(glBindBuffer), {kElement, 8}),
          {ES1_ID(glBufferData), SPayload().Words({kElement, 6}).Ptr(0x800).U32(6).Raw({0, 0, 1, 0, 9, 0})
                                     .U32(GL_STATIC_DRAW)},
          Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)},
         DrawElements(3, GL_UNSIGNED_SHORT, {}, 0, {79}),
         {"glVertexPointer", "glDrawElements"}, "the client vertex array holds 79 bytes of the 80"},
        {"an enabled client array at a null address",
         {Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0), Enable(GL_VERTEX_ARRAY)},
         DrawArrays(GL_TRIANGLES, 0, 3, {}),
         {"glDrawArrays"}, "an enabled client array has no buffer and a null address"},
        {"a block without bytes for a draw of three vertices",
         {Pointer(ES1_ID(glVertexPointer), 2, GL_FLOAT, 0x2000), Enable(GL_VERTEX_ARRAY)},
         DrawArrays(GL_TRIANGLES, 0, 3, {0}),
         {"glVertexPointer", "glDrawArrays"}, "the client vertex array holds 0 bytes of the 24"},
        {"client indices short of the count", {}, DrawElements(3, GL_UNSIGNED_SHORT, {0, 0, 1, 0, 2}, 0, {}),
         {"glDrawElements"}, "indices: holds 5 bytes of the 6"},
    };
    return cases;
}

// The same calls in a trace recorded without data: their arguments hold pointer values only.
const std::vector<SShort>& WithoutData()
{
    static const std::vector<SShort> cases = {
        {"a light position", {}, {ES1_ID(glLightfv), SPayload().Words({GL_LIGHT0, GL_POSITION}).Ptr(0x100)},
         {"glLightfv"}, "params: was recorded without its data"},
        {"a matrix", {}, {ES1_ID(glLoadMatrixf), SPayload().Ptr(0x300)},
         {"glLoadMatrixf"}, "m: was recorded without its data"},
        {"buffer data", {}, {ES1_ID(glBufferData), SPayload().Words({kArray, 64}).Ptr(0x700).U32(GL_STATIC_DRAW)},
         {"glBufferData"}, "data: was recorded without its data"},
        {"buffer names", {}, {ES1_ID(glGenBuffers), SPayload().U32(1).Ptr(0x100)},
         {"glGenBuffers"}, "buffers: was recorded without its data"},
        {"deleted buffer names", {}, {ES1_ID(glDeleteBuffers), SPayload().U32(1).Ptr(0x100)},
         {"glDeleteBuffers"}, "buffers: was recorded without its data"},
        {"deleted texture names", {}, {ES1_ID(glDeleteTextures), SPayload().U32(1).Ptr(0x100)},
         {"glDeleteTextures"}, "textures: was recorded without its data"},
        {"buffer sub-data", {}, {ES1_ID(glBufferSubData), SPayload().Words({kArray, 0, 16}).Ptr(0x700)},
         {"glBufferSubData"}, "data: was recorded without its data"},
        {"a texture image", {},
         {ES1_ID(glTexImage2D),
          SPayload().Words({kTex2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE}).Ptr(0x900).U32(4)},
         {"glTexImage2D"}, "pixels: was recorded without its data"},
        {"a sub-image", {},
         {ES1_ID(glTexSubImage2D),
          SPayload().Words({kTex2D, 0, 0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE}).Ptr(0x900).U32(4)},
         {"glTexSubImage2D"}, "pixels: was recorded without its data"},
        {"a compressed image", {},
         {ES1_ID(glCompressedTexImage2D), SPayload().Words({kTex2D, 0, 0x8D64, 8, 8, 0, 32}).Ptr(0x900)},
         {"glCompressedTexImage2D"}, "data: was recorded without its data"},
    };
    return cases;
}
#pragma GCC diagnostic pop

TEST_F(Es1Player, CallsWithShortRecordedDataAreRefused)
{
    for (bool data : {true, false})
        for (const SShort& c : data ? Shortages() : WithoutData()) {
            SCOPED_TRACE(std::string(c.what) + (data ? "" : " without data"));
            Fresh();
            Play(c.setup, 0, data);
            CHostSpy spy;
            SpyOnEs1(spy, *gl);
            EXPECT_EQ(Play({c.call}, 1, data), std::vector<int>{0});
            for (const char* name : c.untouched)
                EXPECT_EQ(spy.Count(name), 0) << name;
            const std::string named = std::string("ERROR: ") + CallFunctionName(c.call.id) + ": " + c.refusal;
            EXPECT_NE(err.find(named), std::string::npos) << err;
            EXPECT_NE(out.find("Error call:"), std::string::npos) << out;
        }
}

TEST_F(Es1Player, NullDataARecordMayHoldIsPassedOn)
{
    Play({GenBuffers({7}), W(ES1_ID(glBindBuffer), {kArray, 7})});
    CHostSpy spy;
    SpyOnEs1(spy, *gl);
    EXPECT_EQ(Play({{ES1_ID(glBufferData), SPayload().Words({kArray, 64}).Ptr(0).U32(GL_STATIC_DRAW)},
                    {ES1_ID(glTexImage2D), SPayload().Words({kTex2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE})
                                               .Ptr(0).U32(4)}},
                   1, false),
              (std::vector<int>{1, 1}))
        << err;
    EXPECT_EQ(Arg(spy, "glBufferData", 2), 0u);
    EXPECT_EQ(Arg(spy, "glTexImage2D", 8), 0u);
}

TEST_F(Es1Player, ANegativeGenBuffersCountIsAnAllocationFailure)
{
    EXPECT_THROW(Play({{ES1_ID(glGenBuffers), SPayload().U32(0xFFFFFFFFu).Array(0x100, {1})}}), std::bad_alloc);
}

} // namespace
