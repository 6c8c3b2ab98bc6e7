// Tracked ES 2.0 state against a real implementation: 24 generated call sequences are played on
// a headless Mesa OpenGL ES 2.0 context and, as recorded calls, applied to the tracked state (a
// call Mesa rejects is recorded with its error and, as in a loaded trace, changes no tracked
// state). Then the tracked fields are compared with Mesa's glGet* answers. Fields where the
// tracker deliberately differs from GL are listed in kDeliberateDifferences with the reason.
#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "GlesContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <type_traits>

using namespace es2test;
using namespace es2calls;

namespace {

// Comparisons skipped on purpose, each with its reason.
const std::map<std::string, const char*> kDeliberateDifferences = {
    {"attachment of a deleted object",
     "GL detaches a deleted texture or renderbuffer from the bound framebuffer; the tracker keeps "
     "the attachment as recorded (it never follows deletes into framebuffers)"},
    {"cube face after a 2D attachment",
     "the tracker keeps an attachment's cube face when a later call attaches a 2D texture; GL reports 0"},
    {"stencil ref", "GL reports the reference clamped to the stencil buffer's range; the tracker keeps the recorded value"},
    {"image of a deleted texture", "the tracker keeps texture images after glDeleteTextures; GL frees them"},
    {"stencil mask bits",
     "GL reports the stencil masks cut to the stencil buffer's bits (Mesa: 8); the tracker keeps all 32 recorded bits"},
    {"initial boxes",
     "GL sets the viewport and scissor box from the first surface made current; the tracker knows no surface and "
     "starts from 0 until the trace sets them"},
};

bool Deliberate(const char* key) { return kDeliberateDifferences.count(key) != 0; }

// The GL entry points the sequences and the comparisons use.
#define XQF_GL_FUNCS(X)                                                                                   \
    X(glGetError, uint32_t (*)())                                                                        \
    X(glEnable, void (*)(uint32_t)) X(glDisable, void (*)(uint32_t))                                     \
    X(glIsEnabled, uint8_t (*)(uint32_t))                                                                \
    X(glGetIntegerv, void (*)(uint32_t, int32_t*)) X(glGetFloatv, void (*)(uint32_t, float*))            \
    X(glGetBooleanv, void (*)(uint32_t, uint8_t*))                                                       \
    X(glBlendFunc, void (*)(uint32_t, uint32_t))                                                         \
    X(glBlendFuncSeparate, void (*)(uint32_t, uint32_t, uint32_t, uint32_t))                             \
    X(glBlendEquationSeparate, void (*)(uint32_t, uint32_t))                                             \
    X(glBlendColor, void (*)(float, float, float, float))                                                \
    X(glClearColor, void (*)(float, float, float, float)) X(glClearDepthf, void (*)(float))              \
    X(glClearStencil, void (*)(int32_t)) X(glColorMask, void (*)(uint8_t, uint8_t, uint8_t, uint8_t))     \
    X(glDepthFunc, void (*)(uint32_t)) X(glDepthMask, void (*)(uint8_t))                                 \
    X(glDepthRangef, void (*)(float, float)) X(glCullFace, void (*)(uint32_t))                           \
    X(glFrontFace, void (*)(uint32_t)) X(glPolygonOffset, void (*)(float, float))                        \
    X(glSampleCoverage, void (*)(float, uint8_t))                                                        \
    X(glViewport, void (*)(int32_t, int32_t, int32_t, int32_t))                                          \
    X(glScissor, void (*)(int32_t, int32_t, int32_t, int32_t))                                           \
    X(glStencilFuncSeparate, void (*)(uint32_t, uint32_t, int32_t, uint32_t))                            \
    X(glStencilMaskSeparate, void (*)(uint32_t, uint32_t))                                               \
    X(glStencilOpSeparate, void (*)(uint32_t, uint32_t, uint32_t, uint32_t))                             \
    X(glPixelStorei, void (*)(uint32_t, int32_t)) X(glHint, void (*)(uint32_t, uint32_t))                \
    X(glActiveTexture, void (*)(uint32_t)) X(glBindTexture, void (*)(uint32_t, uint32_t))                \
    X(glDeleteTextures, void (*)(int32_t, const uint32_t*)) X(glIsTexture, uint8_t (*)(uint32_t))        \
    X(glTexImage2D, void (*)(uint32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, const void*)) \
    X(glTexSubImage2D, void (*)(uint32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, const void*)) \
    X(glTexParameteri, void (*)(uint32_t, uint32_t, int32_t))                                            \
    X(glGetTexParameteriv, void (*)(uint32_t, uint32_t, int32_t*))                                       \
    X(glBindBuffer, void (*)(uint32_t, uint32_t))                                                        \
    X(glBufferData, void (*)(uint32_t, intptr_t, const void*, uint32_t))                                 \
    X(glBufferSubData, void (*)(uint32_t, intptr_t, intptr_t, const void*))                              \
    X(glGetBufferParameteriv, void (*)(uint32_t, uint32_t, int32_t*))                                    \
    X(glBindFramebuffer, void (*)(uint32_t, uint32_t)) X(glIsFramebuffer, uint8_t (*)(uint32_t))         \
    X(glDeleteFramebuffers, void (*)(int32_t, const uint32_t*))                                          \
    X(glFramebufferTexture2D, void (*)(uint32_t, uint32_t, uint32_t, uint32_t, int32_t))                 \
    X(glFramebufferRenderbuffer, void (*)(uint32_t, uint32_t, uint32_t, uint32_t))                       \
    X(glGetFramebufferAttachmentParameteriv, void (*)(uint32_t, uint32_t, uint32_t, int32_t*))           \
    X(glCheckFramebufferStatus, uint32_t (*)(uint32_t))                                                  \
    X(glBindRenderbuffer, void (*)(uint32_t, uint32_t)) X(glIsRenderbuffer, uint8_t (*)(uint32_t))       \
    X(glDeleteRenderbuffers, void (*)(int32_t, const uint32_t*))                                         \
    X(glRenderbufferStorage, void (*)(uint32_t, uint32_t, int32_t, int32_t))                             \
    X(glGetRenderbufferParameteriv, void (*)(uint32_t, uint32_t, int32_t*))                              \
    X(glReadPixels, void (*)(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, void*))             \
    X(glCreateShader, uint32_t (*)(uint32_t)) X(glShaderSource, void (*)(uint32_t, int32_t, const char* const*, const int32_t*)) \
    X(glCompileShader, void (*)(uint32_t)) X(glCreateProgram, uint32_t (*)())                            \
    X(glAttachShader, void (*)(uint32_t, uint32_t)) X(glBindAttribLocation, void (*)(uint32_t, uint32_t, const char*)) \
    X(glLinkProgram, void (*)(uint32_t)) X(glUseProgram, void (*)(uint32_t))                             \
    X(glGetProgramiv, void (*)(uint32_t, uint32_t, int32_t*))                                            \
    X(glGetUniformLocation, int32_t (*)(uint32_t, const char*))                                          \
    X(glUniform1f, void (*)(int32_t, float)) X(glUniform1i, void (*)(int32_t, int32_t))                  \
    X(glUniform4f, void (*)(int32_t, float, float, float, float))                                        \
    X(glUniform3fv, void (*)(int32_t, int32_t, const float*))                                            \
    X(glUniformMatrix2fv, void (*)(int32_t, int32_t, uint8_t, const float*))                             \
    X(glGetUniformfv, void (*)(uint32_t, int32_t, float*)) X(glGetUniformiv, void (*)(uint32_t, int32_t, int32_t*)) \
    X(glEnableVertexAttribArray, void (*)(uint32_t)) X(glDisableVertexAttribArray, void (*)(uint32_t))   \
    X(glVertexAttribPointer, void (*)(uint32_t, int32_t, uint32_t, uint8_t, int32_t, const void*))       \
    X(glGetVertexAttribiv, void (*)(uint32_t, uint32_t, int32_t*))                                       \
    X(glDeleteProgram, void (*)(uint32_t)) X(glDeleteShader, void (*)(uint32_t))

struct SGl
{
#define XQF_DECLARE(name, type) std::type_identity_t<type> name = nullptr;
    XQF_GL_FUNCS(XQF_DECLARE)
#undef XQF_DECLARE
    bool Load(const CGlesContext& c)
    {
#define XQF_LOAD(name, type)                                                                             \
    name = c.Fn<type>(#name);                                                                             \
    if (!name)                                                                                            \
        return false;
        XQF_GL_FUNCS(XQF_LOAD)
#undef XQF_LOAD
        return true;
    }
};

constexpr uint32_t kFramebuffer = 0x8D40, kRenderbuffer = 0x8D41, kColor0 = 0x8CE0, kDepthAttachment = 0x8D00;
constexpr uint32_t kArray = 0x8892, kElement = 0x8893, kTextureCube = 0x8513;

const char* const kVertexShader =
    "attribute vec4 a0; attribute vec4 a1; uniform vec4 u_v4; uniform float u_f; uniform mat2 u_m2;\n"
    "uniform vec3 u_v3[2];\n"
    "void main() { gl_Position = a0 + a1 + u_v4 + vec4(u_f) + vec4(u_m2[0], u_m2[1]) + vec4(u_v3[0] + u_v3[1], 0.0); }\n";
const char* const kFragmentShader =
    "precision mediump float; uniform int u_i; void main() { gl_FragColor = vec4(float(u_i)); }\n";

// One generated sequence: every call is played on Mesa, recorded with Mesa's error, read back
// through the ES 2.0 factory and applied to the tracked state when its error is 0.
class CSequence
{
public:
    CSequence(SGl& gl, uint32_t seed) : m_gl(gl), m_random(seed) {}

    void Run(int steps)
    {
        SetUpProgram();
        for (int i = 0; i < steps; ++i)
            Step();
    }
    void Compare();

private:
    // Plays the call (the function returns the payload after the error) and records it.
    void Do(uint16_t id, const std::function<SPayload()>& play)
    {
        SPayload args = play();
        const uint32_t error = m_gl.glGetError();
        SPayload p;
        p.U32(error).Raw(args.bytes);
        SReadCall r = BuildCall(id, p.bytes, true);
        ASSERT_NE(r.call, nullptr) << id;
        if (error == 0)
            r.call->ApplyEffect(&m_state, 1);
        m_calls.push_back(std::move(r));
    }
    uint32_t Pick(std::initializer_list<uint32_t> values) { return values.begin()[m_random() % values.size()]; }
    float Unit() { return float(m_random() % 1001) / 1000.0f; }
    int32_t Between(int32_t lo, int32_t hi) { return lo + int32_t(m_random() % uint32_t(hi - lo + 1)); }
    std::vector<uint8_t> Bytes(size_t n)
    {
        std::vector<uint8_t> b(n);
        for (auto& x : b)
            x = uint8_t(m_random());
        return b;
    }

    void SetUpProgram();
    void Step();

    SGl& m_gl;
    std::mt19937 m_random;
    SEs2State m_state;
    std::vector<SReadCall> m_calls;
    uint32_t m_program = 0;
    std::map<std::string, int32_t> m_locations;
    std::set<uint32_t> m_deletedTextures, m_deletedRenderbuffers;
};

void CSequence::SetUpProgram()
{
    uint32_t shaders[2];
    const uint32_t types[2] = {0x8B31, 0x8B30};
    const char* sources[2] = {kVertexShader, kFragmentShader};
    for (int i = 0; i < 2; ++i) {
        Do(kCreateShader, [&] { shaders[i] = m_gl.glCreateShader(types[i]); return SPayload().U32(shaders[i]).U32(types[i]); });
        Do(kShaderSource, [&] {
            const int32_t length = int32_t(strlen(sources[i]));
            m_gl.glShaderSource(shaders[i], 1, &sources[i], &length);
            return SPayload().U32(shaders[i]).U32(1).Ptr(0x10).U32(1).String(0x20, sources[i]).Array(0x30, {uint32_t(length)});
        });
        Do(kCompileShader, [&] { m_gl.glCompileShader(shaders[i]); return SPayload().U32(shaders[i]); });
    }
    Do(CallIdOf(ECallFamily::Es2, "glCreateProgram"), [&] {
        m_program = m_gl.glCreateProgram();
        return SPayload().U32(m_program);
    });
    for (uint32_t shader : shaders)
        Do(kAttachShader, [&] { m_gl.glAttachShader(m_program, shader); return SPayload().U32(m_program).U32(shader); });
    for (uint32_t index : {0u, 1u}) {
        std::string name = "a";
        name += std::to_string(index);
        Do(kBindAttribLocation, [&] {
            m_gl.glBindAttribLocation(m_program, index, name.c_str());
            return SPayload().U32(m_program).U32(index).String(0x40, name);
        });
    }
    Do(kLinkProgram, [&] { m_gl.glLinkProgram(m_program); return SPayload().U32(m_program); });
    int32_t linked = 0;
    m_gl.glGetProgramiv(m_program, 0x8B82, &linked);
    ASSERT_EQ(linked, 1) << "the test program does not link on this Mesa";
    Do(kUseProgram, [&] { m_gl.glUseProgram(m_program); return SPayload().U32(m_program); });
    for (const char* name : {"u_v4", "u_f", "u_m2", "u_v3", "u_v3[1]", "u_i"}) {
        Do(kGetUniformLocation, [&] {
            m_locations[name] = m_gl.glGetUniformLocation(m_program, name);
            return SPayload().U32(uint32_t(m_locations[name])).U32(m_program).String(0x50, name);
        });
    }
}

void CSequence::Step()
{
    SGl& gl = m_gl;
    switch (m_random() % 26) {
    case 0:
    case 1: {
        const uint32_t cap = Pick({0x0BE2, 0x0B44, 0x0B71, 0x0BD0, 0x8037, 0x809E, 0x80A0, 0x0C11, 0x0B90});
        const bool on = m_random() % 2;
        Do(on ? kEnable : kDisable, [&] { on ? gl.glEnable(cap) : gl.glDisable(cap); return SPayload().U32(cap); });
        break;
    }
    case 2: {
        const uint32_t a = Pick({0, 1, 0x302, 0x303, 0x306}), b = Pick({0, 1, 0x300, 0x305}), c = Pick({0, 1, 0x304}),
                       d = Pick({0, 1, 0x301});
        if (m_random() % 2)
            Do(kBlendFunc, [&] { gl.glBlendFunc(a, b); return SPayload().U32(a).U32(b); });
        else
            Do(CallIdOf(ECallFamily::Es2, "glBlendFuncSeparate"), [&] {
                gl.glBlendFuncSeparate(a, b, c, d);
                return SPayload().Words({a, b, c, d});
            });
        break;
    }
    case 3: {
        const uint32_t rgb = Pick({0x8006, 0x800A, 0x800B}), alpha = Pick({0x8006, 0x800A, 0x800B});
        Do(kBlendEquationSeparate, [&] { gl.glBlendEquationSeparate(rgb, alpha); return SPayload().U32(rgb).U32(alpha); });
        break;
    }
    case 4: {
        const float v[4] = {Unit(), Unit(), Unit(), Unit()};
        const bool blend = m_random() % 2;
        Do(blend ? CallIdOf(ECallFamily::Es2, "glBlendColor") : kClearColor, [&] {
            (blend ? gl.glBlendColor : gl.glClearColor)(v[0], v[1], v[2], v[3]);
            return SPayload().F(v[0]).F(v[1]).F(v[2]).F(v[3]);
        });
        break;
    }
    case 5: {
        const uint32_t func = Pick({0x200, 0x201, 0x202, 0x203, 0x207});
        const uint32_t mask = m_random() % 2;
        const float n = Unit(), f = Unit(), clear = Unit();
        Do(kDepthFunc, [&] { gl.glDepthFunc(func); return SPayload().U32(func); });
        Do(kDepthMask, [&] { gl.glDepthMask(uint8_t(mask)); return SPayload().U32(mask); });
        Do(CallIdOf(ECallFamily::Es2, "glDepthRangef"), [&] { gl.glDepthRangef(n, f); return SPayload().F(n).F(f); });
        Do(CallIdOf(ECallFamily::Es2, "glClearDepthf"), [&] { gl.glClearDepthf(clear); return SPayload().F(clear); });
        break;
    }
    case 6: {
        const uint32_t m[4] = {uint32_t(m_random() % 2), uint32_t(m_random() % 2), uint32_t(m_random() % 2),
                               uint32_t(m_random() % 2)};
        const int32_t stencil = Between(0, 255);
        Do(kColorMask, [&] { gl.glColorMask(uint8_t(m[0]), uint8_t(m[1]), uint8_t(m[2]), uint8_t(m[3])); return SPayload().Words({m[0], m[1], m[2], m[3]}); });
        Do(CallIdOf(ECallFamily::Es2, "glClearStencil"), [&] {
            gl.glClearStencil(stencil);
            return SPayload().U32(uint32_t(stencil));
        });
        break;
    }
    case 7: {
        const uint32_t cull = Pick({0x404, 0x405, 0x408}), front = Pick({0x900, 0x901});
        const float factor = Unit() * 4 - 2, units = Unit() * 4 - 2, coverage = Unit();
        const uint32_t invert = m_random() % 2;
        Do(CallIdOf(ECallFamily::Es2, "glCullFace"), [&] { gl.glCullFace(cull); return SPayload().U32(cull); });
        Do(CallIdOf(ECallFamily::Es2, "glFrontFace"), [&] { gl.glFrontFace(front); return SPayload().U32(front); });
        Do(CallIdOf(ECallFamily::Es2, "glPolygonOffset"), [&] {
            gl.glPolygonOffset(factor, units);
            return SPayload().F(factor).F(units);
        });
        Do(CallIdOf(ECallFamily::Es2, "glSampleCoverage"), [&] {
            gl.glSampleCoverage(coverage, uint8_t(invert));
            return SPayload().F(coverage).U32(invert);
        });
        break;
    }
    case 8: {
        const int32_t box[4] = {Between(0, 50), Between(0, 50), Between(0, 200), Between(0, 200)};
        const bool viewport = m_random() % 2;
        Do(viewport ? kViewport : kScissor, [&] {
            (viewport ? gl.glViewport : gl.glScissor)(box[0], box[1], box[2], box[3]);
            return SPayload().Words({uint32_t(box[0]), uint32_t(box[1]), uint32_t(box[2]), uint32_t(box[3])});
        });
        break;
    }
    case 9: {
        const uint32_t face = Pick({0x404, 0x405, 0x408, 0x999});
        const uint32_t func = Pick({0x200, 0x202, 0x205, 0x207}), mask = uint32_t(m_random() & 0xFF);
        const int32_t ref = Between(0, 3);
        switch (m_random() % 3) {
        case 0: Do(kStencilFuncSeparate, [&] { gl.glStencilFuncSeparate(face, func, ref, mask); return SPayload().Words({face, func, uint32_t(ref), mask}); }); break;
        case 1: Do(kStencilMaskSeparate, [&] { gl.glStencilMaskSeparate(face, mask); return SPayload().U32(face).U32(mask); }); break;
        default: {
            const uint32_t a = Pick({0x1E00, 0x1E01, 0x1E02, 0x150A}), b = Pick({0x1E03, 0x1E00}), c = Pick({0x8507, 0x8508});
            Do(kStencilOpSeparate, [&] { gl.glStencilOpSeparate(face, a, b, c); return SPayload().Words({face, a, b, c}); });
        }
        }
        break;
    }
    case 10: {
        const uint32_t pname = Pick({0x0D05, 0x0CF5});
        const int32_t value = int32_t(Pick({1, 2, 4, 8}));
        Do(kPixelStorei, [&] { gl.glPixelStorei(pname, value); return SPayload().U32(pname).U32(uint32_t(value)); });
        const uint32_t mode = Pick({0x1100, 0x1101, 0x1102});
        Do(kHint, [&] { gl.glHint(0x8192, mode); return SPayload().U32(0x8192).U32(mode); });
        break;
    }
    case 11:
    case 12: {
        const uint32_t unit = kTex0 + m_random() % 4, target = m_random() % 4 ? kTexture2D : kTextureCube;
        const uint32_t name = 1 + m_random() % 4;
        Do(kActiveTexture, [&] { gl.glActiveTexture(unit); return SPayload().U32(unit); });
        Do(kBindTexture, [&] { gl.glBindTexture(target, name); return SPayload().U32(target).U32(name); });
        break;
    }
    case 13:
    case 14: {
        const int32_t w = Between(1, 4), h = Between(1, 4), level = m_random() % 4 ? 0 : 1;
        const uint32_t target = m_random() % 4 ? kTexture2D : 0x8515 + m_random() % 6;
        const int32_t align = m_state.unpackAlignment;
        const int32_t pitch = (w * 4 + align - 1) / align * align;
        const std::vector<uint8_t> px = Bytes(size_t(pitch * h));
        Do(kTexImage2D, [&] {
            gl.glTexImage2D(target, level, int32_t(kRgba), w, h, 0, kRgba, kUbyte, px.data());
            return TexImage(target, level, kRgba, w, h, kUbyte, px, align).payload;
        });
        break;
    }
    case 15: {
        const int32_t x = Between(0, 2), y = Between(0, 2), w = Between(1, 2), h = Between(1, 2);
        const int32_t align = m_state.unpackAlignment;
        const int32_t pitch = (w * 4 + align - 1) / align * align;
        const std::vector<uint8_t> px = Bytes(size_t(pitch * h));
        Do(kTexSubImage2D, [&] {
            gl.glTexSubImage2D(kTexture2D, 0, x, y, w, h, kRgba, kUbyte, px.data());
            return TexSubImage(kTexture2D, 0, x, y, w, h, kRgba, kUbyte, px, align).payload;
        });
        break;
    }
    case 16: {
        const uint32_t target = m_random() % 3 ? kTexture2D : kTextureCube;
        const uint32_t pname = Pick({0x2800, 0x2801, 0x2802, 0x2803});
        const uint32_t value = pname == 0x2800 ? Pick({0x2600, 0x2601})
                               : pname == 0x2801 ? Pick({0x2600, 0x2601, 0x2700, 0x2703})
                                                 : Pick({0x2901, 0x812F, 0x8370});
        Do(kTexParameteri, [&] { gl.glTexParameteri(target, pname, int32_t(value)); return SPayload().Words({target, pname, value}); });
        break;
    }
    case 17: {
        if (m_random() % 3)
            break;
        const uint32_t name = 1 + m_random() % 4;
        Do(kDeleteTextures, [&] { gl.glDeleteTextures(1, &name); return SPayload().U32(1).Array(0x10, {name}); });
        m_deletedTextures.insert(name);
        break;
    }
    case 18: {
        const uint32_t target = Pick({kArray, kElement}), name = 1 + m_random() % 3;
        Do(kBindBuffer, [&] { gl.glBindBuffer(target, name); return SPayload().U32(target).U32(name); });
        if (m_random() % 2) {
            const std::vector<uint8_t> data = Bytes(size_t(Between(1, 16)));
            const uint32_t usage = Pick({0x88E4, 0x88E8, 0x88E0});
            Do(kBufferData, [&] {
                gl.glBufferData(target, intptr_t(data.size()), data.data(), usage);
                return SPayload().U32(target).U32(uint32_t(data.size())).Ptr(0x10).U32(uint32_t(data.size())).Raw(data).U32(usage);
            });
        }
        break;
    }
    case 19: {
        const uint32_t target = Pick({kArray, kElement});
        const int32_t offset = Between(0, 4);
        const std::vector<uint8_t> data = Bytes(size_t(Between(1, 4)));
        Do(kBufferSubData, [&] {
            gl.glBufferSubData(target, offset, intptr_t(data.size()), data.data());
            return SPayload().U32(target).U32(uint32_t(offset)).U32(uint32_t(data.size())).Ptr(0x10).U32(uint32_t(data.size())).Raw(data);
        });
        break;
    }
    case 20: {
        const uint32_t name = m_random() % 4;
        Do(kBindFramebuffer, [&] { gl.glBindFramebuffer(kFramebuffer, name); return SPayload().U32(kFramebuffer).U32(name); });
        const uint32_t attachment = Pick({kColor0, kDepthAttachment});
        if (attachment == kColor0) {
            const uint32_t texture = 1 + m_random() % 4, textarget = m_random() % 4 ? kTexture2D : 0x8515 + m_random() % 6;
            Do(kFramebufferTexture2D, [&] {
                gl.glFramebufferTexture2D(kFramebuffer, kColor0, textarget, texture, 0);
                return SPayload().Words({kFramebuffer, kColor0, textarget, texture, 0});
            });
        } else {
            const uint32_t rb = 1 + m_random() % 2;
            Do(kFramebufferRenderbuffer, [&] {
                gl.glFramebufferRenderbuffer(kFramebuffer, attachment, kRenderbuffer, rb);
                return SPayload().Words({kFramebuffer, attachment, kRenderbuffer, rb});
            });
        }
        break;
    }
    case 21: {
        const uint32_t name = 1 + m_random() % 2;
        Do(kBindRenderbuffer, [&] { gl.glBindRenderbuffer(kRenderbuffer, name); return SPayload().U32(kRenderbuffer).U32(name); });
        const int32_t w = Between(1, 16), h = Between(1, 16);
        Do(kRenderbufferStorage, [&] {
            gl.glRenderbufferStorage(kRenderbuffer, 0x81A5, w, h);
            return SPayload().Words({kRenderbuffer, 0x81A5, uint32_t(w), uint32_t(h)});
        });
        if (m_random() % 8 == 0) {
            Do(kDeleteRenderbuffers, [&] { gl.glDeleteRenderbuffers(1, &name); return SPayload().U32(1).Array(0x10, {name}); });
            m_deletedRenderbuffers.insert(name);
        }
        break;
    }
    case 22: {
        const uint32_t program = m_random() % 6 ? m_program : 0;
        Do(kUseProgram, [&] { gl.glUseProgram(program); return SPayload().U32(program); });
        break;
    }
    case 23:
    case 24: {
        const float v[6] = {Unit(), Unit(), Unit(), Unit(), Unit(), Unit()};
        switch (m_random() % 5) {
        case 0: Do(kUniform4f, [&] { gl.glUniform4f(m_locations["u_v4"], v[0], v[1], v[2], v[3]); return SPayload().U32(uint32_t(m_locations["u_v4"])).F(v[0]).F(v[1]).F(v[2]).F(v[3]); }); break;
        case 1:
            Do(CallIdOf(ECallFamily::Es2, "glUniform1f"), [&] {
                gl.glUniform1f(m_locations["u_f"], v[0]);
                return SPayload().U32(uint32_t(m_locations["u_f"])).F(v[0]);
            });
            break;
        case 2: Do(kUniform1i, [&] { gl.glUniform1i(m_locations["u_i"], int32_t(v[0] * 100)); return SPayload().U32(uint32_t(m_locations["u_i"])).U32(uint32_t(int32_t(v[0] * 100))); }); break;
        case 3: Do(kUniformMatrix2fv, [&] { gl.glUniformMatrix2fv(m_locations["u_m2"], 1, 0, v); return SPayload().U32(uint32_t(m_locations["u_m2"])).U32(1).U32(0).Ptr(0x10).U32(1).F(v[0]).F(v[1]).F(v[2]).F(v[3]); }); break;
        default: Do(kUniform3fv, [&] { gl.glUniform3fv(m_locations["u_v3"], 2, v); SPayload p; p.U32(uint32_t(m_locations["u_v3"])).U32(2).Ptr(0x10).U32(2); for (float f : v) p.F(f); return p; });
        }
        break;
    }
    default: {
        const uint32_t index = m_random() % 3;
        switch (m_random() % 3) {
        case 0: Do(kEnableVertexAttribArray, [&] { gl.glEnableVertexAttribArray(index); return SPayload().U32(index); }); break;
        case 1:
            Do(CallIdOf(ECallFamily::Es2, "glDisableVertexAttribArray"), [&] {
                gl.glDisableVertexAttribArray(index);
                return SPayload().U32(index);
            });
            break;
        default: {
            const int32_t size = Between(1, 4), stride = Between(0, 4) * 4;
            const uint64_t offset = uint64_t(Between(0, 8)) * 4;
            Do(kVertexAttribPointer, [&] {
                gl.glVertexAttribPointer(index, size, 0x1406, 0, stride, reinterpret_cast<const void*>(offset));
                return SPayload().Words({index, uint32_t(size), 0x1406, 0, uint32_t(stride)}).Ptr(offset);
            });
        }
        }
    }
    }
}

int32_t GetInt(SGl& gl, uint32_t pname)
{
    int32_t v[4] = {};
    gl.glGetIntegerv(pname, v);
    return v[0];
}

void CSequence::Compare()
{
    SGl& gl = m_gl;
    const SEs2State& s = m_state;
    auto ints = [&](uint32_t pname, int n) {
        std::vector<int32_t> v(4);
        gl.glGetIntegerv(pname, v.data());
        v.resize(size_t(n));
        return v;
    };
    auto floats = [&](uint32_t pname, int n) {
        std::vector<float> v(4);
        gl.glGetFloatv(pname, v.data());
        v.resize(size_t(n));
        return v;
    };
    // Blend, depth, stencil, masks, clear values, boxes.
    EXPECT_EQ(GetInt(gl, 0x80C9), int32_t(s.blendSrcRgb));
    EXPECT_EQ(GetInt(gl, 0x80C8), int32_t(s.blendDstRgb));
    EXPECT_EQ(GetInt(gl, 0x80CB), int32_t(s.blendSrcAlpha));
    EXPECT_EQ(GetInt(gl, 0x80CA), int32_t(s.blendDstAlpha));
    EXPECT_EQ(GetInt(gl, 0x8009), int32_t(s.blendEquationRgb));
    EXPECT_EQ(GetInt(gl, 0x883D), int32_t(s.blendEquationAlpha));
    EXPECT_EQ(floats(0x8005, 4), std::vector<float>(s.blendColor, s.blendColor + 4));
    EXPECT_EQ(GetInt(gl, 0x0B74), int32_t(s.depthFunc));
    EXPECT_EQ(GetInt(gl, 0x0B72), int32_t(s.depthMask));
    EXPECT_EQ(floats(0x0B70, 2), std::vector<float>({s.depthRangeNear, s.depthRangeFar}));
    EXPECT_EQ(floats(0x0B73, 1)[0], s.clearDepth);
    EXPECT_EQ(floats(0x0C22, 4), std::vector<float>(s.clearColor, s.clearColor + 4));
    EXPECT_EQ(GetInt(gl, 0x0B91), s.clearStencil);
    uint8_t mask[4] = {};
    gl.glGetBooleanv(0x0C23, mask);
    EXPECT_EQ(std::vector<uint8_t>(mask, mask + 4), std::vector<uint8_t>(s.colorMask, s.colorMask + 4));
    EXPECT_EQ(GetInt(gl, 0x0B45), int32_t(s.cullFaceMode));
    EXPECT_EQ(GetInt(gl, 0x0B46), int32_t(s.frontFace));
    EXPECT_EQ(floats(0x8038, 1)[0], s.polygonOffsetFactor);
    EXPECT_EQ(floats(0x2A00, 1)[0], s.polygonOffsetUnits);
    EXPECT_EQ(floats(0x80AA, 1)[0], s.sampleCoverageValue);
    EXPECT_EQ(GetInt(gl, 0x80AB), int32_t(s.sampleCoverageInvert));
    EXPECT_EQ(GetInt(gl, 0x8192), int32_t(s.generateMipmapHint));
    EXPECT_EQ(GetInt(gl, 0x0D05), s.packAlignment);
    EXPECT_EQ(GetInt(gl, 0x0CF5), s.unpackAlignment);
    const SEs2State initial;
    if (!(Deliberate("initial boxes") && std::equal(s.viewport, s.viewport + 4, initial.viewport))) {
        EXPECT_EQ(ints(0x0BA2, 4), std::vector<int32_t>(s.viewport, s.viewport + 4));
    }
    if (!(Deliberate("initial boxes") && std::equal(s.scissorBox, s.scissorBox + 4, initial.scissorBox))) {
        EXPECT_EQ(ints(0x0C10, 4), std::vector<int32_t>(s.scissorBox, s.scissorBox + 4));
    }
    const uint32_t stencil[2][7] = {{0x0B92, 0x0B97, 0x0B93, 0x0B98, 0x0B94, 0x0B95, 0x0B96},
                                    {0x8800, 0x8CA3, 0x8CA4, 0x8CA5, 0x8801, 0x8802, 0x8803}};
    for (int f = 0; f < 2; ++f) {
        SCOPED_TRACE(f ? "back" : "front");
        const uint32_t* q = stencil[f];
        EXPECT_EQ(GetInt(gl, q[0]), int32_t(s.stencilFunc[f]));
        if (!Deliberate("stencil ref")) {
            EXPECT_EQ(GetInt(gl, q[1]), s.stencilRef[f]);
        }
        const uint32_t bits = Deliberate("stencil mask bits") ? 0xFFu : 0xFFFFFFFFu;
        EXPECT_EQ(uint32_t(GetInt(gl, q[2])) & bits, s.stencilValueMask[f] & bits);
        EXPECT_EQ(uint32_t(GetInt(gl, q[3])) & bits, s.stencilWriteMask[f] & bits);
        EXPECT_EQ(GetInt(gl, q[4]), int32_t(s.stencilFail[f]));
        EXPECT_EQ(GetInt(gl, q[5]), int32_t(s.stencilPassDepthFail[f]));
        EXPECT_EQ(GetInt(gl, q[6]), int32_t(s.stencilPassDepthPass[f]));
    }
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(gl.glIsEnabled(kEs2Capabilities[i]), s.capabilities[i]) << std::hex << kEs2Capabilities[i];

    // Bindings.
    EXPECT_EQ(GetInt(gl, 0x84E0), int32_t(s.activeTexture));
    EXPECT_EQ(GetInt(gl, 0x8894), int32_t(s.arrayBufferBinding));
    const SEs2VertexArray* va = s.vertexArrays.Get(0);
    EXPECT_EQ(GetInt(gl, 0x8895), int32_t(va ? va->elementArrayBuffer : 0));
    EXPECT_EQ(GetInt(gl, 0x8CA6), int32_t(s.framebufferBinding));
    EXPECT_EQ(GetInt(gl, 0x8CA7), int32_t(s.renderbufferBinding));
    EXPECT_EQ(GetInt(gl, 0x8B8D), int32_t(s.currentProgram.name));
    for (uint32_t u = 0; u < 4; ++u) {
        gl.glActiveTexture(kTex0 + u);
        EXPECT_EQ(GetInt(gl, 0x8069), int32_t(s.texture2DBinding[u])) << "unit " << u;
        EXPECT_EQ(GetInt(gl, 0x8514), int32_t(s.textureCubeBinding[u])) << "unit " << u;
    }
    gl.glActiveTexture(s.activeTexture);

    // Vertex attribute arrays.
    for (uint32_t i = 0; i < 3; ++i) {
        int32_t enabled = 0, size = 0, stride = 0, buffer = 0;
        gl.glGetVertexAttribiv(i, 0x8622, &enabled);
        const unsigned* flag = s.vertexAttribArrayEnabled.Get(i);
        EXPECT_EQ(enabled, flag ? int32_t(*flag & 0xFF) : 0) << "attribute " << i;
        if (const SEs2VertexAttribPointer* p = va ? va->pointers.Get(i) : nullptr) {
            gl.glGetVertexAttribiv(i, 0x8623, &size);
            gl.glGetVertexAttribiv(i, 0x8624, &stride);
            gl.glGetVertexAttribiv(i, 0x889F, &buffer);
            EXPECT_EQ(size, p->size);
            EXPECT_EQ(stride, p->stride);
            EXPECT_EQ(uint32_t(buffer), p->buffer);
        }
    }

    // Buffers: size and usage of every tracked buffer GL knows.
    for (const auto& b : s.buffers) {
        if (b.key == 0)
            continue;
        gl.glBindBuffer(kArray, b.key);
        int32_t size = 0, usage = 0;
        gl.glGetBufferParameteriv(kArray, 0x8764, &size);
        gl.glGetBufferParameteriv(kArray, 0x8765, &usage);
        EXPECT_EQ(uint32_t(size), b.record.size) << "buffer " << b.key;
        EXPECT_EQ(uint32_t(usage), b.record.usage) << "buffer " << b.key;
    }
    gl.glBindBuffer(kArray, s.arrayBufferBinding);

    // Renderbuffer storage.
    for (const auto& r : s.renderbuffers) {
        if (r.key == 0 || !gl.glIsRenderbuffer(r.key))
            continue;
        gl.glBindRenderbuffer(kRenderbuffer, r.key);
        int32_t w = 0, h = 0, format = 0;
        gl.glGetRenderbufferParameteriv(kRenderbuffer, 0x8D42, &w);
        gl.glGetRenderbufferParameteriv(kRenderbuffer, 0x8D43, &h);
        gl.glGetRenderbufferParameteriv(kRenderbuffer, 0x8D44, &format);
        EXPECT_EQ(uint32_t(w), r.record.width) << "renderbuffer " << r.key;
        EXPECT_EQ(uint32_t(h), r.record.height);
        EXPECT_EQ(uint32_t(format), r.record.internalFormat);
    }
    gl.glBindRenderbuffer(kRenderbuffer, s.renderbufferBinding);

    // Framebuffer attachments.
    for (const auto& f : s.framebuffers) {
        if (f.key == 0 || !gl.glIsFramebuffer(f.key))
            continue;
        gl.glBindFramebuffer(kFramebuffer, f.key);
        for (auto [attachment, a] : {std::pair{kColor0, &f.record.color}, std::pair{kDepthAttachment, &f.record.depth}}) {
            SCOPED_TRACE("framebuffer " + std::to_string(f.key) + " attachment " + std::to_string(attachment));
            const bool deleted = a->type == 0x1702 ? m_deletedTextures.count(a->name) != 0
                                                   : m_deletedRenderbuffers.count(a->name) != 0;
            if (deleted && Deliberate("attachment of a deleted object"))
                continue;
            int32_t type = 0, name = 0, face = 0;
            gl.glGetFramebufferAttachmentParameteriv(kFramebuffer, attachment, 0x8CD0, &type);
            EXPECT_EQ(uint32_t(type), a->type);
            if (type == 0)
                continue;
            gl.glGetFramebufferAttachmentParameteriv(kFramebuffer, attachment, 0x8CD1, &name);
            EXPECT_EQ(uint32_t(name), a->name);
            if (type == 0x1702) {
                gl.glGetFramebufferAttachmentParameteriv(kFramebuffer, attachment, 0x8CD3, &face);
                if (!(face == 0 && a->target != 0 && Deliberate("cube face after a 2D attachment"))) {
                    EXPECT_EQ(uint32_t(face), a->target);
                }
            }
        }
    }
    gl.glGetError();

    // Uniforms of the test program, read back with glGetUniform*.
    if (const auto* table = s.uniforms.Get(m_program)) {
        for (const auto& [name, location] : m_locations) {
            if (name == "u_v3[1]")
                continue;
            const SEs2Uniform* u = table->Get(uint32_t(location));
            if (!u || (u->floats.empty() && u->ints.empty()))
                continue;
            SCOPED_TRACE(name);
            if (u->kind == 0) {
                int32_t v = 0;
                gl.glGetUniformiv(m_program, location, &v);
                EXPECT_EQ(v, u->ints.at(0));
                continue;
            }
            float v[16] = {};
            gl.glGetUniformfv(m_program, location, v);
            const size_t n = std::min<size_t>(u->components, u->floats.size());
            EXPECT_EQ(std::vector<float>(v, v + n), std::vector<float>(u->floats.begin(), u->floats.begin() + long(n)));
            if (name == "u_v3") {
                // The second element of the array: set by the same call, so tracked too.
                gl.glGetUniformfv(m_program, m_locations["u_v3[1]"], v);
                const std::vector<float> second = u->floats.size() >= 6
                                                      ? std::vector<float>(u->floats.begin() + 3, u->floats.begin() + 6)
                                                      : std::vector<float>(3, 0.0f);
                EXPECT_EQ(std::vector<float>(v, v + 3), second) << "the second element of the uniform array";
            }
        }
    }

    // Texture parameters and bytes, read back through a framebuffer (level 0 of 2D textures).
    gl.glPixelStorei(0x0D05, 1);
    for (const auto& t : s.textures) {
        if (t.key == 0 || !gl.glIsTexture(t.key))
            continue;
        if (m_deletedTextures.count(t.key) && Deliberate("image of a deleted texture"))
            continue;
        const auto* level0 = t.record.Get(0);
        const STexImage* image = level0 ? level0->Get(0) : nullptr;
        if (!image || image->target != kTexture2D || image->format != kRgba || !image->data)
            continue;
        SCOPED_TRACE("texture " + std::to_string(t.key));
        gl.glBindFramebuffer(kFramebuffer, 100);
        gl.glFramebufferTexture2D(kFramebuffer, kColor0, kTexture2D, t.key, 0);
        if (gl.glCheckFramebufferStatus(kFramebuffer) != 0x8CD5)
            continue;
        std::vector<uint8_t> pixels(size_t(image->width * image->height * 4));
        gl.glReadPixels(0, 0, image->width, image->height, kRgba, kUbyte, pixels.data());
        // The tracked rows keep the unpack alignment they were uploaded with.
        const size_t row = size_t(image->width) * 4;
        const size_t pitch = (row + size_t(image->unpackAlignment) - 1) / size_t(image->unpackAlignment) *
                             size_t(image->unpackAlignment);
        std::vector<uint8_t> tracked;
        // Only the rows the state holds are compared: the rest were never given to the device.
        for (int32_t y = 0; y < image->height && y * pitch + row <= image->capturedSize; ++y)
            tracked.insert(tracked.end(), image->data.get() + y * pitch, image->data.get() + y * pitch + row);
        pixels.resize(tracked.size());
        EXPECT_EQ(pixels, tracked);
        gl.glActiveTexture(kTex0);
        gl.glBindTexture(kTexture2D, t.key);
        for (auto [pname, value] : {std::pair{0x2801u, image->minFilter}, std::pair{0x2800u, image->magFilter},
                                    std::pair{0x2802u, image->wrapS}, std::pair{0x2803u, image->wrapT}}) {
            int32_t v = 0;
            gl.glGetTexParameteriv(kTexture2D, pname, &v);
            EXPECT_EQ(uint32_t(v), value) << std::hex << pname;
        }
    }
}

TEST(Es2Differential, TrackedStateMatchesMesa)
{
    CGlesContext& context = CGlesContext::Instance();
    if (!context.Available())
        GTEST_SKIP() << context.Reason();
    SGl gl;
    ASSERT_TRUE(gl.Load(context));
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE("sequence " + std::to_string(seed));
        ASSERT_TRUE(context.FreshContext()); // GL's initial state, as a new tracked state has
        CSequence sequence(gl, seed);
        sequence.Run(150);
        sequence.Compare();
    }
}

} // namespace
