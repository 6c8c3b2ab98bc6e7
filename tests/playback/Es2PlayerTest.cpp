// The ES 2.0 player over a wrapped ES 2.0 table: for each recorded call sequence, the exact host
// calls made (names, and the arguments that matter) and the results; then the calls whose recorded
// data is shorter than what the host would read, which are refused.
#include "Es2TestHost.h"
#include "record/XqftError.h"

#include "Es2DrawItems.h"
#include "Es2Records.h"
#include "host/DrawIndices.h"

#include <cstring>
#include <functional>
#include <stdexcept>

using namespace es2test;
using namespace es2calls;
using namespace es2host;

namespace {

constexpr uint16_t kCreateProgram = CallIdOf(ECallFamily::Es2, "glCreateProgram");
constexpr uint16_t kDrawArrays = CallIdOf(ECallFamily::Es2, "glDrawArrays");
constexpr uint16_t kDrawElements = CallIdOf(ECallFamily::Es2, "glDrawElements");
constexpr uint16_t kFinish = CallIdOf(ECallFamily::Es2, "glFinish");
constexpr uint16_t kGenBuffers = CallIdOf(ECallFamily::Es2, "glGenBuffers");
constexpr uint16_t kGenTextures = CallIdOf(ECallFamily::Es2, "glGenTextures");
constexpr uint16_t kGetError = CallIdOf(ECallFamily::Es2, "glGetError");
constexpr uint16_t kIsEnabled = CallIdOf(ECallFamily::Es2, "glIsEnabled");
constexpr uint16_t kReadPixels = CallIdOf(ECallFamily::Es2, "glReadPixels");
constexpr uint16_t kValidateProgram = CallIdOf(ECallFamily::Es2, "glValidateProgram");
constexpr uint16_t kUniform4fv = CallIdOf(ECallFamily::Es2, "glUniform4fv");
constexpr uint16_t kShaderBinary = CallIdOf(ECallFamily::Es2, "glShaderBinary");
constexpr uint16_t kTexParameteriv = CallIdOf(ECallFamily::Es2, "glTexParameteriv");
constexpr uint16_t kCompressedSub = CallIdOf(ECallFamily::Es2, "glCompressedTexSubImage2D");
constexpr uint16_t kDisableVertexAttribArray = CallIdOf(ECallFamily::Es2, "glDisableVertexAttribArray");
constexpr uint32_t kArray = 0x8892, kElement = 0x8893, kFloat = 0x1406, kFramebuffer = 0x8D40;

SPayload Floats(std::initializer_list<float> values)
{
    SPayload p;
    for (float v : values)
        p.F(v);
    return p;
}

// glDrawArrays with its captured blocks (and the trailer the reader keeps them by).
SCall DrawArrays(uint32_t first, uint32_t count, std::initializer_list<uint32_t> blockSizes)
{
    SPayload p;
    p.Words({4, first, count});
    uint64_t pointer = 0x5000;
    for (uint32_t size : blockSizes)
        p.Block(pointer += 0x100, size);
    p.Raw(std::vector<uint8_t>(40));
    return {kDrawArrays, p};
}

// glDrawElements (format 7): the index bytes, the offset into an element buffer, the blocks.
SCall DrawElements(uint32_t count, uint32_t type, const std::vector<uint8_t>& indices, uint32_t offset,
                   std::initializer_list<uint32_t> blockSizes)
{
    SPayload p;
    p.Words({4, count, type}).Ptr(indices.empty() ? offset : 0x4000).U32(uint32_t(indices.size())).Raw(indices).Ptr(offset);
    uint64_t pointer = 0x6000;
    for (uint32_t size : blockSizes)
        p.Block(pointer += 0x100, size);
    p.Raw(std::vector<uint8_t>(8));
    return {kDrawElements, p};
}

SCall AttribPointer(uint32_t index, uint32_t pointer) { return W(kVertexAttribPointer, {index, 2, kFloat, 0, 0, pointer}); }

struct SCase
{
    const char* what;
    std::vector<SCall> setup;  // played first, not looked at
    std::vector<SCall> calls;
    uint8_t checkErrors;
    std::vector<std::string> host;  // the host calls the calls make (of those the spy wraps), in order
    std::vector<int> results;
    std::function<void(const CHostSpy&, CEs2HostTest&)> check;
};

using Fixture = CEs2HostTest;

const std::vector<SCase>& Cases()
{
    static const std::vector<SCase> cases = {
        {"glBindBuffer of an unknown name makes one host buffer; the second reuses it",
         {},
         {W(kBindBuffer, {kArray, 7}), W(kBindBuffer, {kArray, 7})},
         0,
         {"glGenBuffers", "glBindBuffer", "glBindBuffer"},
         {1, 1},
         [](const CHostSpy& s, Fixture&) {
             EXPECT_NE(BufferNameMap::Get(7), kNoHostName);
             EXPECT_EQ(s.Of("glBindBuffer")[0].args[1], BufferNameMap::Get(7));
             EXPECT_EQ(s.Of("glBindBuffer")[1].args[1], BufferNameMap::Get(7));
         }},
        {"glBindTexture of 0 binds host texture 0 and makes nothing",
         {},
         {W(kBindTexture, {kTexture2D, 0})},
         0,
         {"glBindTexture"},
         {1},
         [](const CHostSpy& s, Fixture&) { EXPECT_EQ(s.calls[0].args[1], 0u); }},
        {"glBindFramebuffer of all bits binds the first call's framebuffer; of 0 binds host 0",
         {},
         {W(kBindFramebuffer, {kFramebuffer, 0xFFFFFFFF}), W(kBindFramebuffer, {kFramebuffer, 0})},
         0,
         {"glBindFramebuffer", "glBindFramebuffer"},
         {1, 1},
         [](const CHostSpy& s, Fixture& f) {
             EXPECT_EQ(s.calls[0].args[1], f.playback->m_defaultFramebuffer);
             EXPECT_EQ(s.calls[1].args[1], 0u);
         }},
        {"glGenTextures whose first name is known makes nothing; glGenBuffers then still makes and maps",
         {{kGenTextures, SPayload().U32(1).Array(0x100, {5})}},
         {{kGenTextures, SPayload().U32(1).Array(0x100, {5})}, {kGenBuffers, SPayload().U32(1).Array(0x100, {6})}},
         0,
         {"glGenBuffers"},
         {1, 1},
         nullptr},
        {"a gen or create call handing out a live name is refused and makes nothing",
         {{kGenBuffers, SPayload().U32(1).Array(0x100, {6})}, Ret(kCreateShader, 3, {0x8B31}),
          Ret(kCreateProgram, 4, {})},
         {{kGenBuffers, SPayload().U32(2).Array(0x100, {7, 6})}, Ret(kCreateShader, 3, {0x8B30}),
          Ret(kCreateProgram, 4, {})},
         0,
         {},
         {0, 0, 0},
         [](const CHostSpy&, Fixture& f) {
             EXPECT_NE(f.err.find("ERROR: glGenBuffers: buffers: holds name 6, which is live already"),
                       std::string::npos);
             EXPECT_NE(f.err.find("ERROR: glCreateShader: it returned name 3, which is live already"), std::string::npos);
         }},
        {"glDeleteShader of an attached shader keeps it pending; glDetachShader then forgets it",
         {Ret(kCreateShader, 3, {0x8B31}), Ret(kCreateProgram, 4, {}), W(kAttachShader, {4, 3})},
         {W(kDeleteShader, {3}), W(kDetachShader, {4, 3})},
         0,
         {"glDeleteShader", "glDetachShader"},
         {1, 1},
         [](const CHostSpy&, Fixture&) { EXPECT_EQ(ShaderNameMap::Get(3).host, 0u); }},
        {"glUniform4fv at a location the current program does not know passes -1",
         {},
         {{kUniform4fv, SPayload().U32(9).U32(1).Ptr(0x200).U32(1).Raw(Floats({1, 2, 3, 4}).bytes)}},
         0,
         {"glUniform4fv"},
         {1},
         [](const CHostSpy& s, Fixture&) { EXPECT_EQ(int32_t(s.calls[0].args[0]), -1); }},
        {"glViewport beyond the default framebuffer's surface is cut to it; on another framebuffer it is not",
         {},
         {W(kViewport, {0, 0, 4096, 4096}), W(kBindFramebuffer, {kFramebuffer, 3}), W(kViewport, {0, 0, 4096, 4096})},
         0,
         {"glViewport", "glGenFramebuffers", "glBindFramebuffer", "glViewport"},
         {1, 1, 1},
         [](const CHostSpy& s, Fixture&) {
             EXPECT_EQ(s.Of("glViewport")[0].args, (std::vector<uint64_t>{0, 0, 800, 600}));
             EXPECT_EQ(s.Of("glViewport")[1].args, (std::vector<uint64_t>{0, 0, 4096, 4096}));
         }},
        {"glDrawArrays points client arrays 0 and 2 at blocks 0 and 1, sizes the buffer of array 1 and rebinds it",
         {W(kBindBuffer, {kArray, 7}), {kBufferData, SPayload().Words({kArray, 64}).Block(0x700, 64).U32(0x88E4)},
          AttribPointer(1, 0), W(kEnableVertexAttribArray, {1}), W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000),
          AttribPointer(2, 0x2000), W(kEnableVertexAttribArray, {0}), W(kEnableVertexAttribArray, {2}),
          W(kBindBuffer, {kArray, 7})},
         {DrawArrays(0, 3, {24, 24})},
         0,
         {"glBindBuffer", "glVertexAttribPointer", "glBindBuffer", "glBindBuffer", "glVertexAttribPointer",
          "glBindBuffer", "glDrawArrays"},
         {1},
         [](const CHostSpy& s, Fixture& f) {
             const auto* blocks = CapturedBlocksOf(f.entries.back()->call.get());
             ASSERT_NE(blocks, nullptr);
             const auto pointers = s.Of("glVertexAttribPointer");
             EXPECT_EQ(pointers[0].args[0], 0u);
             EXPECT_EQ(pointers[0].args[4], 0u) << "stride 0";
             EXPECT_EQ(pointers[0].args[5], reinterpret_cast<uintptr_t>(blocks->At(0).bytes));
             EXPECT_EQ(pointers[1].args[0], 2u);
             EXPECT_EQ(pointers[1].args[5], reinterpret_cast<uintptr_t>(blocks->At(1).bytes));
             EXPECT_EQ(s.Of("glBindBuffer")[0].args[1], 0u);
             EXPECT_EQ(s.Of("glBindBuffer")[1].args[1], BufferNameMap::Get(7)) << "bound for its size";
             EXPECT_EQ(s.Of("glBindBuffer").back().args[1], BufferNameMap::Get(7)) << "rebound before the draw";
         }},
        {"glDrawElements with one block for two client arrays disables the second and draws",
         {W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), AttribPointer(1, 0x2000), W(kEnableVertexAttribArray, {0}),
          W(kEnableVertexAttribArray, {1})},
         {DrawElements(3, 0x1401, {0, 1, 2}, 0, {24})},
         0,
         {"glBindBuffer", "glVertexAttribPointer", "glDisableVertexAttribArray", "glBindBuffer", "glDrawElements"},
         {1},
         [](const CHostSpy& s, Fixture&) {
             EXPECT_EQ(s.Of("glDisableVertexAttribArray")[0].args[0], 1u);
             EXPECT_NE(s.Of("glDrawElements")[0].args[3], 0u) << "the captured index bytes";
         }},
        {"glDrawElements with an element buffer passes the recorded offset",
         {W(kBindBuffer, {kElement, 8}), {kBufferData, SPayload().Words({kElement, 16}).Block(0x800, 16).U32(0x88E4)},
          W(kDisableVertexAttribArray, {0}), W(kDisableVertexAttribArray, {1})},
         {DrawElements(3, 0x1403, {}, 4, {})},
         0,
         {"glBindBuffer", "glBindBuffer", "glDrawElements"},
         {1},
         [](const CHostSpy& s, Fixture&) { EXPECT_EQ(s.Of("glDrawElements")[0].args[3], 4u); }},
        {"glReadPixels, glIsEnabled and glValidateProgram reach no host function, also with error checks",
         {},
         {{kReadPixels, SPayload().Words({0, 0, 1, 1, 0x1908, 0x1401}).Ptr(0).U32(0).U32(4)},
          Ret(kIsEnabled, 1, {0x0BE2}), W(kValidateProgram, {4})},
         1,
         {},
         {1, 1, 1},
         nullptr},
    };
    return cases;
}

class Es2Player : public CEs2HostTest
{
};

TEST_F(Es2Player, EachCallMakesTheHostCallsItShould)
{
    for (const SCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        Fresh();
        Play(c.setup);
        CHostSpy spy;
        SpyOnEs2(spy);
        const std::vector<int> results = Play(c.calls, c.checkErrors);
        EXPECT_EQ(spy.Names(), c.host);
        EXPECT_EQ(results, c.results) << out << err;
        if (c.check)
            c.check(spy, *this);
    }
}

// glDrawArrays with more enabled client arrays than captured blocks throws the vector subscript
// error the frame loops catch and report; glDrawElements (above) disables the array instead.
TEST_F(Es2Player, DrawArraysWithAMissingBlockThrows)
{
    Play({W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), AttribPointer(1, 0x2000),
          W(kEnableVertexAttribArray, {0}), W(kEnableVertexAttribArray, {1})});
    CHostSpy spy;
    SpyOnEs2(spy);
    EXPECT_THROW(Play({DrawArrays(0, 3, {24})}), CXqftError);
    EXPECT_EQ(spy.Count("glDrawArrays"), 0);
}

// Image sizes past what a device or the host takes are refused before the host sees them, with or
// without recorded bytes (no size arithmetic wraps, and the host never meets a size it would choke
// on).
TEST_F(Es2Player, ImageSizesPastTheLimitsAreRefused)
{
    struct SSize
    {
        const char* what;
        int32_t width, height;
        std::vector<uint8_t> pixels;
        const char* printed;
    };
    const SSize sizes[] = {
        {"16384 x 16384 with a few bytes recorded", 16384, 16384, std::vector<uint8_t>(64), "Error call:"},
        {"-1 x 4 with bytes recorded", -1, 4, std::vector<uint8_t>(16), "Error call:"},
        {"0x7FFFFFFF square with bytes recorded", 0x7FFFFFFF, 0x7FFFFFFF, std::vector<uint8_t>(16), "Error call:"},
        {"65536 x 4 without bytes", 65536, 4, {}, "ERROR: glTexImage2D: an image of 65536 x 4 is above"},
        {"-1 x 4 without bytes", -1, 4, {}, "ERROR: glTexImage2D: an image of -1 x 4 has a negative size"},
    };
    for (const SSize& c : sizes) {
        SCOPED_TRACE(c.what);
        Fresh();
        CHostSpy spy;
        SpyOnEs2(spy);
        EXPECT_EQ(Play({TexImage(kTexture2D, 0, kRgba, c.width, c.height, kUbyte, c.pixels)}, 1), std::vector<int>{0});
        EXPECT_EQ(spy.Count("glTexImage2D"), 0);
        EXPECT_NE((out + err).find(c.printed), std::string::npos) << out << err;
    }
}

// The text the host's glShaderSource was given, kept before the host takes it.
std::string g_source;
void (*g_hostShaderSource)(GLuint, GLsizei, const GLchar* const*, const GLint*) = nullptr;
void KeepSource(GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths)
{
    g_source = count != 1 ? "" : lengths ? std::string(strings[0], size_t(lengths[0])) : std::string(strings[0]);
    g_hostShaderSource(shader, count, strings, lengths);
}

// Each string as far as its length (a negative one: to its NUL), as the restore compiles the source.
TEST_F(Es2Player, ShaderSourceJoinsTheRecordedStringsCutToTheirLengths)
{
    Play({Ret(kCreateShader, 3, {0x8B30})});
    g_hostShaderSource = XQF_HOST(*gl, glShaderSource);
    CHostSpy spy;
    XQF_SPY(spy, *gl, glShaderSource, &KeepSource);
    EXPECT_EQ(Play({{kShaderSource, SPayload().U32(3).U32(3).Ptr(0x300).U32(3).String(0x310, "aX").String(0x320, "bc")
                                        .String(0x330, "dY").Array(0x340, {1, 0xFFFFFFFFu, 1})}}),
              std::vector<int>{1});
    ASSERT_EQ(spy.Count("glShaderSource"), 1);
    EXPECT_EQ(spy.calls[0].args[0], ShaderNameMap::Get(3).host);
    EXPECT_EQ(g_source, "abcd");
}

TEST_F(Es2Player, ACallRecordedWithAnErrorReachesNothingAndCountsAsPlayed)
{
    CHostSpy spy;
    SpyOnEs2(spy);
    EXPECT_EQ(Play({{kFinish, SPayload()}}, 1, 0x502), std::vector<int>{1});
    EXPECT_EQ(spy.calls.size(), 0u);
    EXPECT_EQ(out, "Es2 Call:Error. (Recorded GL_ERROR)\n");
}

// In a trace without data the names array is a bare pointer: a count of none plays as nothing.
TEST_F(Es2Player, NoNamesGeneratedOrDeletedWithoutDataPlayAsNothing)
{
    CHostSpy spy;
    SpyOnEs2(spy);
    const std::vector<es2test::SCall> calls = {{kGenBuffers, SPayload().U32(0).Ptr(0x100)},
                                               {kDeleteTextures, SPayload().U32(0).Ptr(0x100)}};
    EXPECT_EQ(playertest::PlayCalls(*playback, calls, 0, 0, false, entries, out, err), (std::vector<int>{1, 1}));
    EXPECT_EQ(spy.calls.size(), 0u);
}

TEST_F(Es2Player, NothingIsPlayedBeforeAHostDisplayIsInitialised)
{
    CPlayback::s_hostEglInitialised = false;
    CHostSpy spy;
    SpyOnEs2(spy);
    EXPECT_EQ(Play({{kFinish, SPayload()}}, 0), std::vector<int>{0});
    EXPECT_EQ(spy.calls.size(), 0u);
    EXPECT_NE(out.find("Es2 Call:Error. Invalid context\n"), std::string::npos);
    CPlayback::s_hostEglInitialised = true;
}

// An error is charged to the call that raised it, never to the next one: glUseProgram of a name the
// host refuses fails itself, and the call after it plays clean.
TEST_F(Es2Player, UseProgramIsChargedTheErrorItRaises)
{
    ProgramNameMap::Set(77, 999999);  // no program on the host: GL_INVALID_VALUE
    EXPECT_EQ(Play({W(kUseProgram, {77})}, 1), std::vector<int>{0});
    EXPECT_NE(out.find("OGLES2 Error Code: 0x501, Call= glUseProgram"), std::string::npos) << out;
    EXPECT_EQ(Play({{kFinish, SPayload()}}, 1), std::vector<int>{1});
    EXPECT_EQ(out.find("Error Code"), std::string::npos) << out;
    ProgramNameMap::Erase(77);
    XQF_HOST(*gl, glEnable)(0x1234);  // GL_INVALID_ENUM, pending
    EXPECT_EQ(Play({{kGetError, SPayload().U32(0)}}, 1), std::vector<int>{0}) << "glGetError answers the error check";
    EXPECT_NE(out.find("OGLES2 Error Code: 0x500, Call= glGetError"), std::string::npos) << out;
}

// Calls whose recorded data holds fewer values or bytes than the host would read.
struct SShort
{
    const char* what;
    std::vector<SCall> setup;
    SCall call;
    const char* host;     // the host function that must not be called, the call's own
    const char* refusal;  // what the refusal says after the function: the argument at fault and why
};

const std::vector<SShort>& Shortages()
{
    static const std::vector<SShort> cases = {
        {"buffer data", {W(kBindBuffer, {kArray, 7})},
         {kBufferData, SPayload().Words({kArray, 64}).Block(0x700, 8).U32(0x88E4)},
         "glBufferData", "data: holds 8 bytes of the 64"},
        {"buffer sub-data", {W(kBindBuffer, {kArray, 7})},
         {kBufferSubData, SPayload().Words({kArray, 0, 16}).Block(0x700, 4)},
         "glBufferSubData", "data: holds 4 bytes of the 16"},
        {"a texture image", {}, TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, std::vector<uint8_t>(10)),
         "glTexImage2D", "pixels: holds 10 bytes of the 64"},
        {"an odd-width RGB image under alignment 4", {W(kPixelStorei, {0x0CF5, 4})},
         TexImage(kTexture2D, 0, kRgb, 5, 3, kUbyte, std::vector<uint8_t>(45), 1),
         "glTexImage2D", "pixels: holds 45 bytes of the 48"},
        {"a sub-image without pixels", {TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, {})},
         {kTexSubImage2D, SPayload().Words({kTexture2D, 0, 0, 0, 2, 2, kRgba, kUbyte}).Ptr(0).U32(0).U32(4)},
         "glTexSubImage2D", "pixels: holds 0 bytes of the 16"},
        {"a sub-image without pixels of a type not known here", {TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, {})},
         {kTexSubImage2D, SPayload().Words({kTexture2D, 0, 0, 0, 2, 2, kRgba, 0x1234}).Ptr(0).U32(0).U32(4)},
         "glTexSubImage2D", "pixels: is of a format and type not known here"},
        {"a compressed image", {},
         {kCompressedTexImage2D, SPayload().Words({kTexture2D, 0, 0x8D64, 8, 8, 0, 32}).Block(0x900, 8)},
         "glCompressedTexImage2D", "data: holds 8 bytes of the 32"},
        {"a compressed sub-image", {},
         {kCompressedSub, SPayload().Words({kTexture2D, 0, 0, 0, 4, 4, 0x8D64, 8}).Block(0x900, 4)},
         "glCompressedTexSubImage2D", "data: holds 4 bytes of the 8"},
        {"a client array shorter than the vertices drawn",
         {W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), W(kEnableVertexAttribArray, {0})},
         DrawArrays(0, 3, {8}), "glDrawArrays", "the client array of attribute 0 holds 8 bytes of the 24"},
        {"a client array one vertex short of first + count",
         {W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), W(kEnableVertexAttribArray, {0})},
         DrawArrays(2, 3, {32}), "glDrawArrays", "the client array of attribute 0 holds 32 bytes of the 40"},
        {"a client array one vertex short of the largest index",
         {W(kBindBuffer, {kArray, 0}), W(kBindBuffer, {kElement, 0}), AttribPointer(0, 0x1000),
          W(kEnableVertexAttribArray, {0})},
         DrawElements(3, 0x1401, {0, 1, 3}, 0, {24}),
         "glDrawElements", "the client array of attribute 0 holds 24 bytes of the 32"},
        {"client indices shorter than the count",
         {W(kDisableVertexAttribArray, {0})}, DrawElements(6, 0x1403, {0, 0, 1, 0}, 0, {}),
         "glDrawElements", "indices: holds 4 bytes of the 12"},
        {"an index past the vertices captured",
         {W(kBindBuffer, {kArray, 0}), W(kBindBuffer, {kElement, 0}), AttribPointer(0, 0x1000),
          W(kEnableVertexAttribArray, {0})},
         DrawElements(3, 0x1401, {0, 1, 9}, 0, {24}),
         "glDrawElements", "the client array of attribute 0 holds 24 bytes of the 80"},
        {"more strings counted than recorded", {Ret(kCreateShader, 3, {0x8B30})},
         {kShaderSource, SPayload().U32(3).U32(3).Ptr(0x300).U32(1).String(0x310, "a").Array(0x340, {1})},
         "glShaderSource", "string: holds 1 strings of the 3"},
        {"more names generated than recorded", {}, {kGenBuffers, SPayload().U32(5).Array(0x100, {1})},
         "glGenBuffers", "buffers: holds 1 names of the 5"},
        {"more names deleted than recorded", {}, {kDeleteTextures, SPayload().U32(3).Array(0x100, {1})},
         "glDeleteTextures", "textures: holds 1 names of the 3"},
        {"a uniform array shorter than its count", {},
         {kUniform4fv, SPayload().U32(0).U32(2).Ptr(0x200).U32(1).Raw(Floats({1, 2, 3, 4}).bytes)},
         "glUniform4fv", "v: holds 4 values of the 8"},
        {"a uniform array without values", {}, {kUniform4fv, SPayload().U32(0).U32(1).Ptr(0).U32(0)},
         "glUniform4fv", "v: holds 0 values of the 4"},
        {"a texture parameter array without values", {},
         {kTexParameteriv, SPayload().Words({kTexture2D, 0x2801}).Ptr(0).U32(0)},
         "glTexParameteriv", "params: holds 0 values of the 1"},
        {"shader binaries for more shaders than recorded", {},
         {kShaderBinary, SPayload().U32(2).Array(0x100, {3}).U32(0x1234).Block(0x200, 8).U32(8)},
         "glShaderBinary", "shaders: holds 1 names of the 2"},
        {"generic attribute values not recorded", {}, {kVertexAttrib2fv, SPayload().U32(1).Ptr(0)},
         "glVertexAttrib2fv", "values: holds 0 bytes of the 8"},
        {"an attribute name without text", {Ret(kCreateProgram, 4, {})},
         {kBindAttribLocation, SPayload().U32(4).U32(0).Ptr(0).U32(0)},
         "glBindAttribLocation", "name: was recorded without its text"},
        {"a uniform name without text", {Ret(kCreateProgram, 4, {})},
         {kGetUniformLocation, SPayload().U32(0).U32(4).Ptr(0).U32(0)},
         "glGetUniformLocation", "name: was recorded without its text"},
    };
    return cases;
}

TEST_F(Es2Player, CallsWithShortRecordedDataAreRefused)
{
    for (const SShort& c : Shortages()) {
        SCOPED_TRACE(c.what);
        Fresh();
        Play(c.setup);
        CHostSpy spy;
        SpyOnEs2(spy);
        EXPECT_EQ(Play({c.call}), std::vector<int>{0});
        EXPECT_EQ(spy.Count(c.host), 0);
        EXPECT_NE(err.find(std::string("ERROR: ") + c.host + ": " + c.refusal), std::string::npos) << err;
        EXPECT_NE(err.find("; the call is not played\n"), std::string::npos) << err;
        EXPECT_NE(out.find("Error call:"), std::string::npos) << out;
    }
}

// Values that would take the host past what it holds: the vertices a draw reads against its array
// and element buffers, a sub-image region against its level (sums in 64 bits). Reads and writes
// that end on the last byte or texel are played; one further, or a hostile value, is refused.
TEST_F(Es2Player, DrawsAndSubImagesStayWithinTheHostsBuffersAndLevels)
{
    auto sub = [](int32_t x, int32_t y) {
        return SCall{kTexSubImage2D, SPayload()
                                         .Words({kTexture2D, 0, uint32_t(x), uint32_t(y), 2, 2, kRgba, kUbyte})
                                         .Block(0x700, 16)
                                         .U32(4)};
    };
    const std::vector<uint8_t> indices{0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0};
    const std::vector<SCall> setup{
        TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, std::vector<uint8_t>(64)),
        W(kBindBuffer, {kArray, 7}),
        {kBufferData, SPayload().Words({kArray, 48}).Block(0x700, 48).U32(0x88E4)},
        AttribPointer(0, 0),
        W(kEnableVertexAttribArray, {0}),
        W(kBindBuffer, {kElement, 8}),
        {kBufferData, SPayload().Words({kElement, 12}).Ptr(0x800).U32(12).Raw(indices).U32(0x88E4)},
    };
    struct SBound
    {
        const char* what;
        SCall call;
        const char* host;
        bool played;
    };
    const SBound cases[] = {
        {"6 vertices of a 48-byte buffer", DrawArrays(0, 6, {}), "glDrawArrays", true},
        {"7 vertices of a 48-byte buffer", DrawArrays(0, 7, {}), "glDrawArrays", false},
        {"first 2^28", DrawArrays(1u << 28, 6, {}), "glDrawArrays", false},
        {"count 2^31-1", DrawArrays(0, 0x7FFFFFFF, {}), "glDrawArrays", false},
        {"6 indices, the whole element buffer", DrawElements(6, 0x1403, {}, 0, {}), "glDrawElements", true},
        {"7 indices of a 12-byte element buffer", DrawElements(7, 0x1403, {}, 0, {}), "glDrawElements", false},
        {"count 2^31-1 indices", DrawElements(0x7FFFFFFF, 0x1403, {}, 0, {}), "glDrawElements", false},
        {"a sub-image ending on the level's corner", sub(2, 2), "glTexSubImage2D", true},
        {"a sub-image one texel past the level", sub(3, 2), "glTexSubImage2D", false},
        {"a sub-image at x 2^31-1", sub(0x7FFFFFFF, 0), "glTexSubImage2D", false},
        {"a sub-image at y -1", sub(0, -1), "glTexSubImage2D", false},
    };
    for (const SBound& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        Play(setup);
        CHostSpy spy;
        SpyOnEs2(spy);
        EXPECT_EQ(Play({c.call}), std::vector<int>{c.played ? 1 : 0}) << err;
        EXPECT_EQ(spy.Count(c.host), c.played ? 1 : 0);
        EXPECT_EQ(err.find("ERROR: ") != std::string::npos, !c.played) << err;
    }
}

// The vertices an element buffer's range reads are found once, and found again once a buffer's
// contents change (data, a part of it, a deletion): a client block is never held to a stale range.
TEST_F(Es2Player, ChangedElementBufferIndicesAreCheckedAgain)
{
    const std::vector<uint8_t> indices{0, 0, 1, 0, 2, 0};
    const std::vector<SCall> setup{
        W(kBindBuffer, {kElement, 8}),
        {kBufferData, SPayload().Words({kElement, 6}).Ptr(0x800).U32(6).Raw(indices).U32(0x88E4)},
        W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), W(kEnableVertexAttribArray, {0})};
    const SCall far{kBufferSubData, SPayload().Words({kElement, 4, 2}).Block(0x800, 2)};
    Play(setup);
    EXPECT_EQ(Play({DrawElements(3, 0x1403, {}, 0, {24})}), std::vector<int>{1}) << err;
    EXPECT_EQ(Play({DrawElements(3, 0x1403, {}, 0, {24})}), std::vector<int>{1}) << err;
    // The block's bytes 0, 1 make the third index 256: the draw reads 257 vertices.
    EXPECT_EQ(Play({far, DrawElements(3, 0x1403, {}, 0, {24})}), (std::vector<int>{1, 0})) << err;
    EXPECT_NE(err.find("ERROR: glDrawElements: the client array of attribute 0 holds"), std::string::npos) << err;
}

// A draw whose client arrays are sized by an element buffer's indices cannot check them when that
// buffer cannot be read (here: it is mapped already); the host must not read the blocks unchecked.
TEST_F(Es2Player, IndexedDrawOverUnreadableElementBufferIsRefused)
{
    using MapRange = void* (*)(uint32_t, intptr_t, intptr_t, uint32_t);
    using Unmap = uint8_t (*)(uint32_t);
    const auto map = reinterpret_cast<MapRange>(HostGlProc("glMapBufferRange"));
    const auto unmap = reinterpret_cast<Unmap>(HostGlProc("glUnmapBuffer"));
    if (!map || !unmap)
        GTEST_SKIP() << "the host has no buffer mapping";
    Play({W(kBindBuffer, {kElement, 8}),
          {kBufferData, SPayload().Words({kElement, 6}).Block(0x800, 6).U32(0x88E4)},
          W(kBindBuffer, {kArray, 0}), AttribPointer(0, 0x1000), W(kEnableVertexAttribArray, {0})});
    ASSERT_NE(map(kElement, 0, 6, 0x0001 /* GL_MAP_READ_BIT */), nullptr);
    CHostSpy spy;
    SpyOnEs2(spy);
    EXPECT_EQ(Play({DrawElements(3, 0x1403, {}, 0, {24})}), std::vector<int>{0});
    EXPECT_EQ(spy.Count("glDrawElements"), 0);
    EXPECT_NE(err.find("cannot be read"), std::string::npos) << err;
    unmap(kElement);
}

} // namespace
