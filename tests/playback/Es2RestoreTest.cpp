// Restoring ES 2.0 state on the host over a wrapped ES 2.0 table: snapshots built by applying
// recorded calls to a state (as the loader does) or written field by field, restored over nothing or
// over what an earlier restore left; the exact host calls are checked.
#include "Es2TestHost.h"
#include "KeptPixels.h"  // after the GL header Es2TestHost.h includes

#include "Diagnostics.h"
#include "es2/Es2Restore.h"
#include "maps/NameMaps.h"

#include <functional>

using namespace es2test;
using namespace es2calls;
using namespace es2host;

namespace {

constexpr uint16_t kCreateProgram = CallIdOf(ECallFamily::Es2, "glCreateProgram");
constexpr uint16_t kGenTextures = CallIdOf(ECallFamily::Es2, "glGenTextures");

class Es2Restore : public CEs2HostTest
{
protected:
    // Applies the calls to a fresh state; the calls are kept (the state points into their bytes).
    SEs2State Built(const std::vector<SCall>& calls)
    {
        SEs2State s;
        kept.push_back(Apply(calls, &s));
        return s;
    }
    // Restores the snapshot over `current` (null: nothing on the host yet) with every host call spied.
    void Restore(SEs2State snapshot, SEs2State* current)
    {
        spy = std::make_unique<CHostSpy>();
        SpyOnEs2(*spy);
        testing::internal::CaptureStdout();
        RestoreEs2State(snapshot, 2, current);
        out = testing::internal::GetCapturedStdout();
        restored = snapshot;
    }
    std::vector<std::string> Names() const { return spy->Names(); }

    std::vector<SApplied> kept;
    std::unique_ptr<CHostSpy> spy;
    SEs2State restored;
};

std::vector<SCall> Program(uint32_t program, uint32_t vertex, uint32_t fragment)
{
    const char* vs = "attribute vec4 p; void main() { gl_Position = p; }";
    const char* fs = "precision mediump float; uniform vec4 u_c; void main() { gl_FragColor = u_c; }";
    std::vector<SCall> calls;
    for (auto [name, type, source] : {std::tuple{vertex, 0x8B31u, vs}, std::tuple{fragment, 0x8B30u, fs}}) {
        calls.push_back(Ret(kCreateShader, name, {type}));
        calls.push_back({kShaderSource, SPayload().U32(name).U32(1).Ptr(0x300).U32(1).String(0x310, source).Ptr(0).U32(0)});
        calls.push_back(W(kCompileShader, {name}));
    }
    calls.push_back(Ret(kCreateProgram, program, {}));
    calls.push_back(W(kAttachShader, {program, vertex}));
    calls.push_back(W(kAttachShader, {program, fragment}));
    calls.push_back(W(kLinkProgram, {program}));
    return calls;
}

TEST_F(Es2Restore, AViewportOfNoSizeTakesTheSurfaceSize)
{
    Restore(SEs2State(), nullptr);
    EXPECT_EQ(spy->Count("glViewport"), 0);
    EXPECT_EQ(restored.viewport[2], 800);
    EXPECT_EQ(restored.viewport[3], 600);
}

TEST_F(Es2Restore, ImagesWithoutDataAreDefinedUnlessCompressed)
{
    SEs2State s = Built({W(kBindTexture, {kTexture2D, 3}), TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, {}),
                         W(kBindTexture, {kTexture2D, 4}),
                         {kCompressedTexImage2D, SPayload().Words({kTexture2D, 0, 0x8D64, 8, 8, 0, 32}).Ptr(0).U32(0)}});
    Restore(s, nullptr);
    ASSERT_EQ(spy->Count("glTexImage2D"), 1);
    EXPECT_EQ(spy->Of("glTexImage2D")[0].args[8], 0u) << "null data";
    EXPECT_EQ(spy->Count("glCompressedTexImage2D"), 0);
    EXPECT_EQ(spy->Of("glActiveTexture").back().args[0], s.activeTexture) << "the active unit is the snapshot's";
}

TEST_F(Es2Restore, EachImageIsUploadedUnderItsOwnAlignmentAndPaddedWhenShort)
{
    // An odd-width RGB image recorded under alignment 1, with only 10 of its 45 bytes captured.
    std::vector<uint8_t> bytes(10, 0xAB);
    SEs2State s = Built({W(kPixelStorei, {0x0CF5, 1}), W(kBindTexture, {kTexture2D, 3}),
                         TexImage(kTexture2D, 0, kRgb, 5, 3, kUbyte, bytes, 1), W(kPixelStorei, {0x0CF5, 8})});
    ASSERT_EQ(s.unpackAlignment, 8);
    CKeptPixels kept;
    CHostSpy keep;
    kept.Keep(keep, *gl, 45);
    Restore(s, nullptr);
    EXPECT_EQ(kept.alignment, 1);
    ASSERT_EQ(kept.pixels.size(), 45u);
    EXPECT_EQ(std::vector<uint8_t>(kept.pixels.begin(), kept.pixels.begin() + 10), bytes);
    EXPECT_EQ(std::vector<uint8_t>(kept.pixels.begin() + 10, kept.pixels.end()), std::vector<uint8_t>(35, 0)) << "zeros";
}

// An image past the host's largest texture size is not sent (the host library may crash on such a
// size), and no room is taken for a padded copy of gigabytes; the restore goes on.
TEST_F(Es2Restore, AnImageTheHostCannotHoldIsNotSent)
{
    SEs2State s = Built({W(kBindTexture, {kTexture2D, 3}),
                         TexImage(kTexture2D, 0, kRgba, 20000, 20000, kUbyte, std::vector<uint8_t>(16, 1)),
                         W(kBindTexture, {kTexture2D, 4}),
                         TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, std::vector<uint8_t>(16, 1))});
    testing::internal::CaptureStderr();
    Restore(s, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(spy->Count("glTexImage2D"), 1) << "the other image still is";
    EXPECT_EQ(spy->Of("glTexImage2D")[0].args[3], 2u);
    EXPECT_NE(err.find("ERROR: Restore of glTexImage2D: an image of 20000 x 20000 is above"), std::string::npos) << err;
}

// The host's largest side is the last one handed over: one more is refused here, not left for the
// host to judge.
TEST_F(Es2Restore, AnImageOneAboveTheLargestSideIsNotSent)
{
    GLint largest = 0;
    XQF_HOST(*SEs2Host::Instance(), glGetIntegerv)(GL_MAX_TEXTURE_SIZE, &largest);
    ASSERT_GT(largest, 0);
    SEs2State s = Built({W(kBindTexture, {kTexture2D, 3}),
                         TexImage(kTexture2D, 0, kRgba, largest + 1, 1, kUbyte, std::vector<uint8_t>(16, 1)),
                         W(kBindTexture, {kTexture2D, 4}),
                         TexImage(kTexture2D, 0, kRgba, largest, 1, kUbyte, std::vector<uint8_t>(16, 1))});
    testing::internal::CaptureStderr();
    Restore(s, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(spy->Count("glTexImage2D"), 1);
    EXPECT_EQ(spy->Of("glTexImage2D")[0].args[3], uint32_t(largest));
    EXPECT_NE(err.find("is above the host's largest texture size"), std::string::npos) << err;
}

TEST_F(Es2Restore, UnboundFramebuffersAndRenderbuffersGetNamesOnly)
{
    SEs2State s = Built({{kGenFramebuffers, SPayload().U32(1).Array(0x100, {5})}, {kGenRenderbuffers, SPayload().U32(1).Array(0x100, {6})}});
    Restore(s, nullptr);
    EXPECT_NE(FramebufferNameMap::Get(5), kNoHostName);
    EXPECT_NE(RenderbufferNameMap::Get(6), kNoHostName);
    EXPECT_EQ(spy->Count("glFramebufferTexture2D") + spy->Count("glFramebufferRenderbuffer"), 0);
    EXPECT_EQ(spy->Count("glRenderbufferStorage"), 0);
}

TEST_F(Es2Restore, AMultisampledRenderbufferGetsPlainStorageWithoutTheVendorEntryPoint)
{
    SEs2State s;
    s.renderbuffers[7] = SEs2Renderbuffer{7, 1, 16, 8, 0x8056, 4};
    ASSERT_EQ(gl->ext.glRenderbufferStorageMultisampleWZQ, nullptr);
    Restore(s, nullptr);
    ASSERT_EQ(spy->Count("glRenderbufferStorage"), 1);
    EXPECT_EQ(spy->Of("glRenderbufferStorage")[0].args, (std::vector<uint64_t>{GL_RENDERBUFFER, 0x8056, 16, 8}));
}

TEST_F(Es2Restore, AProgramWhoseShadersChangedIsMadeAgain)
{
    SEs2State before = Built(Program(4, 1, 2));
    Restore(before, nullptr);
    const GLuint old = ProgramNameMap::Get(4);
    ASSERT_NE(old, 0u);
    std::vector<SCall> changed = Program(4, 1, 3);
    SEs2State after = Built(changed);
    Restore(after, &before);
    EXPECT_NE(out.find("Deleting Old Program (shader Dif):" + std::to_string(old) + "\n"), std::string::npos) << out;
    EXPECT_EQ(spy->Count("glDeleteProgram"), 1);
    EXPECT_EQ(spy->Count("glCreateProgram"), 1);
    EXPECT_EQ(spy->Count("glAttachShader"), 2);
    EXPECT_EQ(spy->Count("glLinkProgram"), 1);
    EXPECT_NE(ProgramNameMap::Get(4), 0u);
}

TEST_F(Es2Restore, ShadersPairBySourceOrNameAndAReSourcedOneReplacesTheOld)
{
    // Two shaders without source pair by name: restoring twice makes and deletes nothing.
    SEs2State bare = Built({Ret(kCreateShader, 1, {0x8B31}), Ret(kCreateShader, 2, {0x8B30})});
    Restore(bare, nullptr);
    EXPECT_EQ(spy->Count("glCreateShader"), 2);
    Restore(bare, &bare);
    EXPECT_EQ(spy->Count("glCreateShader") + spy->Count("glDeleteShader"), 0);
    // Shader 1 re-sourced: the old host shader goes before the new one is made under the name.
    const GLuint old = ShaderNameMap::Get(1).host;
    SEs2State sourced = Built({Ret(kCreateShader, 1, {0x8B31}), Ret(kCreateShader, 2, {0x8B30}),
                               {kShaderSource, SPayload().U32(1).U32(1).Ptr(0x300).U32(1).String(0x310, "void main(){}").Ptr(0).U32(0)}});
    Restore(sourced, &bare);
    ASSERT_EQ(spy->Count("glDeleteShader"), 1);
    EXPECT_EQ(spy->Of("glDeleteShader")[0].args[0], old);
    EXPECT_EQ(spy->Count("glCreateShader"), 1);
    const std::vector<std::string> names = Names();
    EXPECT_LT(std::find(names.begin(), names.end(), "glDeleteShader") - names.begin(),
              std::find(names.begin(), names.end(), "glCreateShader") - names.begin());
    EXPECT_NE(ShaderNameMap::Get(1).host, 0u);
}

// A create that returned a live shader's name (a corrupt trace) takes nothing over, and a program the
// trace linked is linked on the host only with one compiled shader of each stage: an ERROR line
// otherwise, as some host libraries fault linking what no application could pair.
TEST_F(Es2Restore, AProgramIsLinkedOnlyWithOneCompiledShaderOfEachStage)
{
    const auto broken = [](uint32_t shader) {
        return SCall{kShaderSource, SPayload().U32(shader).U32(1).Ptr(0x300).U32(1).String(0x310, "not a shader").Ptr(0).U32(0)};
    };
    const struct
    {
        const char* what;
        std::vector<SCall> extra;
    } cases[] = {
        {"a fragment shader created under the vertex shader's name, attached as the second program's fragment",
         {Ret(kCreateShader, 1, {0x8B30}), Ret(kCreateShader, 5, {0x8B31}), Ret(kCreateProgram, 6, {}),
          W(kAttachShader, {6, 5}), W(kAttachShader, {6, 1}), W(kLinkProgram, {6})}},
        {"a program of a vertex shader alone",
         {Ret(kCreateProgram, 6, {}), W(kAttachShader, {6, 1}), W(kLinkProgram, {6})}},
        {"a shader that does not compile",
         {Ret(kCreateShader, 5, {0x8B31}), broken(5), W(kCompileShader, {5}), Ret(kCreateProgram, 6, {}),
          W(kAttachShader, {6, 5}), W(kAttachShader, {6, 2}), W(kLinkProgram, {6})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<SCall> calls = Program(4, 1, 2);
        calls.insert(calls.end(), c.extra.begin(), c.extra.end());
        SEs2State s = Built(calls);
        EXPECT_EQ(std::as_const(s.shaders).Get(1)->type, 0x8B31u) << "the live shader keeps its type";
        const unsigned errors = PlaybackErrorCount();
        testing::internal::CaptureStderr();
        Restore(s, nullptr);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(spy->Count("glLinkProgram"), 1) << "program 4 only";
        EXPECT_GT(PlaybackErrorCount(), errors);
        EXPECT_NE(err.find("program 6 has"), std::string::npos) << err;
        ResetNameMaps();
    }
}

TEST_F(Es2Restore, AUniformTheHostProgramLacksIsSkipped)
{
    std::vector<SCall> calls = Program(4, 1, 2);
    calls.push_back(W(kUseProgram, {4}));
    calls.push_back({kGetUniformLocation, SPayload().U32(7).U32(4).String(0x400, "u_missing")});
    calls.push_back({kGetUniformLocation, SPayload().U32(8).U32(4).String(0x410, "u_c")});
    calls.push_back({kUniform4f, SPayload().U32(7).Raw(SPayload().F(1).F(2).F(3).F(4).bytes)});
    calls.push_back({kUniform4f, SPayload().U32(8).Raw(SPayload().F(1).F(0).F(0).F(1).bytes)});
    Restore(Built(calls), nullptr);
    const GLuint program = ProgramNameMap::Get(4);
    UniformLocationMap::SetCurrentProgram(program);
    EXPECT_EQ(UniformLocationMap::Get(7), -1);
    EXPECT_NE(UniformLocationMap::Get(8), -1);
    EXPECT_EQ(UniformLocationMap::CurrentProgram(), program) << "the frame's program is in use after the restore";
}

TEST_F(Es2Restore, TheFramesProgramIsInUseAfterTheRestoreAlsoWhenItIsNone)
{
    std::vector<SCall> calls = Program(4, 1, 2);
    calls.push_back(W(kUseProgram, {4}));
    calls.push_back(W(kUseProgram, {0}));
    Restore(Built(calls), nullptr);
    EXPECT_EQ(spy->Of("glUseProgram").back().args[0], 0u);
}

} // namespace
