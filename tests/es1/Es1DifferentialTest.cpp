// Tracked ES 1.1 state against a real implementation: generated call sequences are played on a
// headless Mesa OpenGL ES 1.1 context and, as recorded calls, applied to the tracked state (a call
// Mesa rejects is recorded with its error and, as in a loaded trace, changes no tracked state).
// Then every tracked field that GL can be asked for is compared with Mesa's answer. Lights and clip
// planes are set with the model-view matrix at identity (GL keeps them in eye coordinates, the
// tracker as recorded). Where the tracker differs from GL by design, kDeliberateDifferences says
// why; a field that only differs by its initial value is compared once the sequence has set it.
#include "CallQueries.h"
#include "Es1StateCalls.h"
#include "GlesContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <type_traits>

using namespace es1calls;
using es2test::BuildCall;

namespace {

// Comparisons skipped on purpose, each with its reason.
const std::map<std::string, const char*> kDeliberateDifferences = {
    {"initial values",
     "the tracker starts from the recorder's reference state, not GL's: stencil masks 0x0FFFFFFF and stencil "
     "actions 0, every capability off (GL_DITHER and GL_MULTISAMPLE included), texture-environment values and "
     "scales 0, material specular and emission alpha 1.1, point size maximum 63.77, lights 1 to 7 all zero, "
     "texture-coordinate arrays of size 0 and type 0, viewport and scissor box 0 (GL takes them from the surface); "
     "such a field is compared once the sequence has set it"},
    {"one material for both faces", "the tracker keeps one material; GL_FRONT is compared"},
    {"GL_AMBIENT_AND_DIFFUSE", "glMaterial with GL_AMBIENT_AND_DIFFUSE changes no tracked material; GL sets both"},
    {"integer texture-environment colour",
     "glTexEnviv converts the colour's integers to floats without scaling; GL maps them to [-1, 1]"},
    {"glTexEnvfv of the combiner parameters",
     "glTexEnvfv sets GL_TEXTURE_ENV_MODE alone of the fifteen integer parameters; GL sets every one"},
    {"point-size array binding",
     "glPointSizePointerOES records its array without a buffer binding (0); GL keeps the bound array buffer"},
    {"stencil ref", "GL reports the reference clamped to the stencil buffer's range; the tracker keeps the recorded value"},
    {"GL_MATRIX_PALETTE_OES",
     "Mesa does not know the matrix palette: glEnable, glDisable and glIsEnabled of it raise GL_INVALID_ENUM "
     "(checked), so the tracked flag is checked against the expectation that a rejected call changes nothing"},
};

bool Deliberate(const char* key) { return kDeliberateDifferences.count(key) != 0; }

using GLfixed = int32_t;

// The GL entry points the sequences and the comparisons use.
#define XQF_GL1_FUNCS(X)                                                                                  \
    X(glGetError, uint32_t (*)())                                                                         \
    X(glEnable, void (*)(uint32_t)) X(glDisable, void (*)(uint32_t)) X(glIsEnabled, uint8_t (*)(uint32_t)) \
    X(glEnableClientState, void (*)(uint32_t)) X(glDisableClientState, void (*)(uint32_t))               \
    X(glGetIntegerv, void (*)(uint32_t, int32_t*)) X(glGetFloatv, void (*)(uint32_t, float*))             \
    X(glGetBooleanv, void (*)(uint32_t, uint8_t*)) X(glGetPointerv, void (*)(uint32_t, void**))           \
    X(glActiveTexture, void (*)(uint32_t)) X(glClientActiveTexture, void (*)(uint32_t))                   \
    X(glBindTexture, void (*)(uint32_t, uint32_t))                                                        \
    X(glMultiTexCoord4f, void (*)(uint32_t, float, float, float, float))                                  \
    X(glMultiTexCoord4x, void (*)(uint32_t, GLfixed, GLfixed, GLfixed, GLfixed))                          \
    X(glAlphaFunc, void (*)(uint32_t, float)) X(glAlphaFuncx, void (*)(uint32_t, GLfixed))               \
    X(glBlendFunc, void (*)(uint32_t, uint32_t))                                                          \
    X(glClearColor, void (*)(float, float, float, float)) X(glClearColorx, void (*)(GLfixed, GLfixed, GLfixed, GLfixed)) \
    X(glClearDepthf, void (*)(float)) X(glClearDepthx, void (*)(GLfixed)) X(glClearStencil, void (*)(int32_t)) \
    X(glColorMask, void (*)(uint8_t, uint8_t, uint8_t, uint8_t))                                         \
    X(glCullFace, void (*)(uint32_t)) X(glFrontFace, void (*)(uint32_t))                                  \
    X(glDepthFunc, void (*)(uint32_t)) X(glDepthMask, void (*)(uint8_t))                                 \
    X(glDepthRangef, void (*)(float, float)) X(glDepthRangex, void (*)(GLfixed, GLfixed))                 \
    X(glScissor, void (*)(int32_t, int32_t, int32_t, int32_t))                                            \
    X(glViewport, void (*)(int32_t, int32_t, int32_t, int32_t))                                           \
    X(glLineWidth, void (*)(float)) X(glLineWidthx, void (*)(GLfixed))                                    \
    X(glPointSize, void (*)(float)) X(glPointSizex, void (*)(GLfixed))                                    \
    X(glPolygonOffset, void (*)(float, float)) X(glPolygonOffsetx, void (*)(GLfixed, GLfixed))            \
    X(glSampleCoverage, void (*)(float, uint8_t)) X(glSampleCoveragex, void (*)(GLfixed, uint8_t))        \
    X(glLogicOp, void (*)(uint32_t)) X(glShadeModel, void (*)(uint32_t)) X(glHint, void (*)(uint32_t, uint32_t)) \
    X(glStencilFunc, void (*)(uint32_t, int32_t, uint32_t)) X(glStencilMask, void (*)(uint32_t))          \
    X(glStencilOp, void (*)(uint32_t, uint32_t, uint32_t)) X(glPixelStorei, void (*)(uint32_t, int32_t))  \
    X(glPointParameterf, void (*)(uint32_t, float)) X(glPointParameterx, void (*)(uint32_t, GLfixed))     \
    X(glPointParameterfv, void (*)(uint32_t, const float*)) X(glPointParameterxv, void (*)(uint32_t, const GLfixed*)) \
    X(glFogf, void (*)(uint32_t, float)) X(glFogx, void (*)(uint32_t, GLfixed))                           \
    X(glFogfv, void (*)(uint32_t, const float*)) X(glFogxv, void (*)(uint32_t, const GLfixed*))           \
    X(glLightModelf, void (*)(uint32_t, float)) X(glLightModelx, void (*)(uint32_t, GLfixed))             \
    X(glLightModelfv, void (*)(uint32_t, const float*)) X(glLightModelxv, void (*)(uint32_t, const GLfixed*)) \
    X(glLightf, void (*)(uint32_t, uint32_t, float)) X(glLightx, void (*)(uint32_t, uint32_t, GLfixed))   \
    X(glLightfv, void (*)(uint32_t, uint32_t, const float*)) X(glLightxv, void (*)(uint32_t, uint32_t, const GLfixed*)) \
    X(glGetLightfv, void (*)(uint32_t, uint32_t, float*))                                                 \
    X(glMaterialf, void (*)(uint32_t, uint32_t, float)) X(glMaterialx, void (*)(uint32_t, uint32_t, GLfixed)) \
    X(glMaterialfv, void (*)(uint32_t, uint32_t, const float*))                                           \
    X(glMaterialxv, void (*)(uint32_t, uint32_t, const GLfixed*))                                         \
    X(glGetMaterialfv, void (*)(uint32_t, uint32_t, float*))                                              \
    X(glColor4f, void (*)(float, float, float, float)) X(glColor4ub, void (*)(uint8_t, uint8_t, uint8_t, uint8_t)) \
    X(glColor4x, void (*)(GLfixed, GLfixed, GLfixed, GLfixed))                                            \
    X(glNormal3f, void (*)(float, float, float)) X(glNormal3x, void (*)(GLfixed, GLfixed, GLfixed))       \
    X(glMatrixMode, void (*)(uint32_t)) X(glPushMatrix, void (*)()) X(glPopMatrix, void (*)())            \
    X(glLoadIdentity, void (*)()) X(glLoadMatrixf, void (*)(const float*))                                \
    X(glLoadMatrixx, void (*)(const GLfixed*)) X(glMultMatrixf, void (*)(const float*))                   \
    X(glMultMatrixx, void (*)(const GLfixed*))                                                            \
    X(glOrthof, void (*)(float, float, float, float, float, float))                                      \
    X(glOrthox, void (*)(GLfixed, GLfixed, GLfixed, GLfixed, GLfixed, GLfixed))                           \
    X(glFrustumf, void (*)(float, float, float, float, float, float))                                    \
    X(glFrustumx, void (*)(GLfixed, GLfixed, GLfixed, GLfixed, GLfixed, GLfixed))                         \
    X(glRotatef, void (*)(float, float, float, float)) X(glRotatex, void (*)(GLfixed, GLfixed, GLfixed, GLfixed)) \
    X(glScalef, void (*)(float, float, float)) X(glScalex, void (*)(GLfixed, GLfixed, GLfixed))           \
    X(glTranslatef, void (*)(float, float, float)) X(glTranslatex, void (*)(GLfixed, GLfixed, GLfixed))   \
    X(glClipPlanef, void (*)(uint32_t, const float*)) X(glClipPlanex, void (*)(uint32_t, const GLfixed*)) \
    X(glGetClipPlanef, void (*)(uint32_t, float*))                                                        \
    X(glTexEnvf, void (*)(uint32_t, uint32_t, float)) X(glTexEnvi, void (*)(uint32_t, uint32_t, int32_t)) \
    X(glTexEnvx, void (*)(uint32_t, uint32_t, GLfixed))                                                   \
    X(glTexEnvfv, void (*)(uint32_t, uint32_t, const float*)) X(glTexEnviv, void (*)(uint32_t, uint32_t, const int32_t*)) \
    X(glTexEnvxv, void (*)(uint32_t, uint32_t, const GLfixed*))                                           \
    X(glGetTexEnviv, void (*)(uint32_t, uint32_t, int32_t*)) X(glGetTexEnvfv, void (*)(uint32_t, uint32_t, float*)) \
    X(glGenBuffers, void (*)(int32_t, uint32_t*)) X(glBindBuffer, void (*)(uint32_t, uint32_t))           \
    X(glBufferData, void (*)(uint32_t, intptr_t, const void*, uint32_t))                                  \
    X(glGetBufferParameteriv, void (*)(uint32_t, uint32_t, int32_t*))                                     \
    X(glVertexPointer, void (*)(int32_t, uint32_t, int32_t, const void*))                                 \
    X(glColorPointer, void (*)(int32_t, uint32_t, int32_t, const void*))                                  \
    X(glNormalPointer, void (*)(uint32_t, int32_t, const void*))                                          \
    X(glTexCoordPointer, void (*)(int32_t, uint32_t, int32_t, const void*))                               \
    X(glPointSizePointerOES, void (*)(uint32_t, int32_t, const void*))

struct SGl
{
#define XQF_DECLARE(name, type) std::type_identity_t<type> name = nullptr;
    XQF_GL1_FUNCS(XQF_DECLARE)
#undef XQF_DECLARE
    bool Load(const CGlesContext& c, std::string& missing)
    {
#define XQF_LOAD(name, type)                                                                              \
    name = c.Fn<type>(#name);                                                                              \
    if (!name) {                                                                                           \
        missing = #name;                                                                                   \
        return false;                                                                                      \
    }
        XQF_GL1_FUNCS(XQF_LOAD)
#undef XQF_LOAD
        return true;
    }
};

enum : uint16_t {
    kAlphaFunc = CallIdOf(ECallFamily::Es1, "glAlphaFunc"),
    kAlphaFuncx = CallIdOf(ECallFamily::Es1, "glAlphaFuncx"),
    kBlendFunc = CallIdOf(ECallFamily::Es1, "glBlendFunc"),
    kClearColor = CallIdOf(ECallFamily::Es1, "glClearColor"),
    kClearColorx = CallIdOf(ECallFamily::Es1, "glClearColorx"),
    kClearDepthf = CallIdOf(ECallFamily::Es1, "glClearDepthf"),
    kClearDepthx = CallIdOf(ECallFamily::Es1, "glClearDepthx"),
    kClearStencil = CallIdOf(ECallFamily::Es1, "glClearStencil"),
    kClipPlanef = CallIdOf(ECallFamily::Es1, "glClipPlanef"),
    kClipPlanex = CallIdOf(ECallFamily::Es1, "glClipPlanex"),
    kColor4f = CallIdOf(ECallFamily::Es1, "glColor4f"),
    kColor4ub = CallIdOf(ECallFamily::Es1, "glColor4ub"),
    kColor4x = CallIdOf(ECallFamily::Es1, "glColor4x"),
    kColorMask = CallIdOf(ECallFamily::Es1, "glColorMask"),
    kCullFace = CallIdOf(ECallFamily::Es1, "glCullFace"),
    kDepthFunc = CallIdOf(ECallFamily::Es1, "glDepthFunc"),
    kDepthMask = CallIdOf(ECallFamily::Es1, "glDepthMask"),
    kDepthRangef = CallIdOf(ECallFamily::Es1, "glDepthRangef"),
    kDepthRangex = CallIdOf(ECallFamily::Es1, "glDepthRangex"),
    kDisable = CallIdOf(ECallFamily::Es1, "glDisable"),
    kEnable = CallIdOf(ECallFamily::Es1, "glEnable"),
    kFogf = CallIdOf(ECallFamily::Es1, "glFogf"),
    kFogfv = CallIdOf(ECallFamily::Es1, "glFogfv"),
    kFogx = CallIdOf(ECallFamily::Es1, "glFogx"),
    kFogxv = CallIdOf(ECallFamily::Es1, "glFogxv"),
    kFrontFace = CallIdOf(ECallFamily::Es1, "glFrontFace"),
    kGenBuffers = CallIdOf(ECallFamily::Es1, "glGenBuffers"),
    kHint = CallIdOf(ECallFamily::Es1, "glHint"),
    kLightModelf = CallIdOf(ECallFamily::Es1, "glLightModelf"),
    kLightModelfv = CallIdOf(ECallFamily::Es1, "glLightModelfv"),
    kLightModelx = CallIdOf(ECallFamily::Es1, "glLightModelx"),
    kLightModelxv = CallIdOf(ECallFamily::Es1, "glLightModelxv"),
    kLightf = CallIdOf(ECallFamily::Es1, "glLightf"),
    kLightfv = CallIdOf(ECallFamily::Es1, "glLightfv"),
    kLightx = CallIdOf(ECallFamily::Es1, "glLightx"),
    kLightxv = CallIdOf(ECallFamily::Es1, "glLightxv"),
    kLineWidth = CallIdOf(ECallFamily::Es1, "glLineWidth"),
    kLineWidthx = CallIdOf(ECallFamily::Es1, "glLineWidthx"),
    kLogicOp = CallIdOf(ECallFamily::Es1, "glLogicOp"),
    kMaterialf = CallIdOf(ECallFamily::Es1, "glMaterialf"),
    kMaterialfv = CallIdOf(ECallFamily::Es1, "glMaterialfv"),
    kMaterialx = CallIdOf(ECallFamily::Es1, "glMaterialx"),
    kMaterialxv = CallIdOf(ECallFamily::Es1, "glMaterialxv"),
    kMatrixMode = CallIdOf(ECallFamily::Es1, "glMatrixMode"),
    kMultiTexCoord4f = CallIdOf(ECallFamily::Es1, "glMultiTexCoord4f"),
    kMultiTexCoord4x = CallIdOf(ECallFamily::Es1, "glMultiTexCoord4x"),
    kNormal3f = CallIdOf(ECallFamily::Es1, "glNormal3f"),
    kNormal3x = CallIdOf(ECallFamily::Es1, "glNormal3x"),
    kPointParameterf = CallIdOf(ECallFamily::Es1, "glPointParameterf"),
    kPointParameterfv = CallIdOf(ECallFamily::Es1, "glPointParameterfv"),
    kPointParameterx = CallIdOf(ECallFamily::Es1, "glPointParameterx"),
    kPointParameterxv = CallIdOf(ECallFamily::Es1, "glPointParameterxv"),
    kPointSize = CallIdOf(ECallFamily::Es1, "glPointSize"),
    kPointSizex = CallIdOf(ECallFamily::Es1, "glPointSizex"),
    kPolygonOffset = CallIdOf(ECallFamily::Es1, "glPolygonOffset"),
    kPolygonOffsetx = CallIdOf(ECallFamily::Es1, "glPolygonOffsetx"),
    kPopMatrix = CallIdOf(ECallFamily::Es1, "glPopMatrix"),
    kPushMatrix = CallIdOf(ECallFamily::Es1, "glPushMatrix"),
    kSampleCoverage = CallIdOf(ECallFamily::Es1, "glSampleCoverage"),
    kSampleCoveragex = CallIdOf(ECallFamily::Es1, "glSampleCoveragex"),
    kScissor = CallIdOf(ECallFamily::Es1, "glScissor"),
    kShadeModel = CallIdOf(ECallFamily::Es1, "glShadeModel"),
    kStencilFunc = CallIdOf(ECallFamily::Es1, "glStencilFunc"),
    kStencilMask = CallIdOf(ECallFamily::Es1, "glStencilMask"),
    kStencilOp = CallIdOf(ECallFamily::Es1, "glStencilOp"),
    kTexEnvfv = CallIdOf(ECallFamily::Es1, "glTexEnvfv"),
    kTexEnviv = CallIdOf(ECallFamily::Es1, "glTexEnviv"),
    kTexEnvxv = CallIdOf(ECallFamily::Es1, "glTexEnvxv"),
    kViewport = CallIdOf(ECallFamily::Es1, "glViewport"),
    kFrustumf = CallIdOf(ECallFamily::Es1, "glFrustumf"),
    kFrustumx = CallIdOf(ECallFamily::Es1, "glFrustumx"),
    kLoadIdentity = CallIdOf(ECallFamily::Es1, "glLoadIdentity"),
    kLoadMatrixf = CallIdOf(ECallFamily::Es1, "glLoadMatrixf"),
    kLoadMatrixx = CallIdOf(ECallFamily::Es1, "glLoadMatrixx"),
    kMultMatrixf = CallIdOf(ECallFamily::Es1, "glMultMatrixf"),
    kMultMatrixx = CallIdOf(ECallFamily::Es1, "glMultMatrixx"),
    kOrthof = CallIdOf(ECallFamily::Es1, "glOrthof"),
    kOrthox = CallIdOf(ECallFamily::Es1, "glOrthox"),
    kRotatef = CallIdOf(ECallFamily::Es1, "glRotatef"),
    kRotatex = CallIdOf(ECallFamily::Es1, "glRotatex"),
    kScalef = CallIdOf(ECallFamily::Es1, "glScalef"),
    kScalex = CallIdOf(ECallFamily::Es1, "glScalex"),
    kTranslatef = CallIdOf(ECallFamily::Es1, "glTranslatef"),
    kTranslatex = CallIdOf(ECallFamily::Es1, "glTranslatex"),
};

constexpr uint32_t kMatrixPalette = 0x8840, kLight0 = 0x4000, kClipPlane0 = 0x3000, kFrontAndBack = 0x0408;
constexpr uint32_t kPointSprite = 0x8861, kCoordReplace = 0x8862, kEnvColor = 0x2201;
constexpr int kUnits = 4;  // the units the sequences use (Mesa offers at least as many)

GLfixed ToFixed(float v) { return GLfixed(v * 65536.0f); }

// One generated sequence: every call is played on Mesa, recorded with Mesa's error, read back
// through the ES 1.1 factory and applied to the tracked state when its error is 0.
class CSequence
{
public:
    CSequence(SGl& gl, uint32_t seed) : m_gl(gl), m_random(seed) {}

    // Plays the steps, then reads the recorded calls back as one trace and applies them in order.
    void Run(int steps, const std::string& path)
    {
        Do(kGenBuffers, [&] {
            m_gl.glGenBuffers(3, m_buffers);
            return SPayload().U32(3).Array(0x10, {m_buffers[0], m_buffers[1], m_buffers[2]});
        });
        for (int i = 0; i < steps; ++i)
            Step();
        es2test::WriteTrace(path, m_records, true);
        m_calls = es2test::ReadEs2Trace(path);
        ASSERT_EQ(m_calls.size(), m_records.size());
        for (size_t i = 0; i < m_calls.size(); ++i) {
            ASSERT_NE(m_calls[i].call, nullptr) << m_calls[i].id;
            m_calls[i].call->ApplyEffect(&m_state, uint32_t(i + 1));
        }
    }
    void Compare();

private:
    // Plays the call (the function returns the payload after the error) and records it with
    // Mesa's error.
    void Do(uint16_t id, const std::function<SPayload()>& play)
    {
        SPayload args = play();
        m_lastError = m_gl.glGetError();
        SPayload p;
        p.U32(m_lastError).Raw(args.bytes);
        m_records.emplace_back(id, std::move(p.bytes));
    }
    uint32_t R(uint32_t n) { return uint32_t(m_random() % n); }
    uint32_t Pick(std::initializer_list<uint32_t> values) { return values.begin()[m_random() % values.size()]; }
    float Unit() { return float(R(1001)) / 1000.0f; }
    float Between(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    bool Coin() { return R(2) != 0; }
    static uint32_t Bits(float v)
    {
        uint32_t w;
        memcpy(&w, &v, 4);
        return w;
    }
    // A vector call's values: as floats with data, or as fixed point.
    static SPayload FloatArray(const float* v, int n)
    {
        SPayload p;
        p.Ptr(0x100).U32(uint32_t(n));
        for (int i = 0; i < n; ++i)
            p.F(v[i]);
        return p;
    }
    static SPayload FixedArray(const GLfixed* v, int n)
    {
        SPayload p;
        p.Ptr(0x100).U32(uint32_t(n));
        for (int i = 0; i < n; ++i)
            p.U32(uint32_t(v[i]));
        return p;
    }

    void Step();
    void Transform();
    void Scalars(int kind);
    void Lighting(int kind);
    void Units(int kind);
    void Arrays(int kind);

    SGl& m_gl;
    std::mt19937 m_random;
    SEs1State m_state;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> m_records;
    std::vector<SReadCall> m_calls;
    uint32_t m_lastError = 0;
    int m_activeUnit = 0;  // the unit the played calls made active
    uint32_t m_buffers[3] = {};
    bool m_ambientAndDiffuse = false;
    std::set<int> m_integerEnvColour;  // units whose colour glTexEnviv set
    std::set<std::pair<int, uint32_t>> m_floatVectorCombiner;  // unit and pname glTexEnvfv set last
};

void CSequence::Step()
{
    const int kind = int(R(40));
    if (kind < 18)
        Scalars(kind);
    else if (kind < 27)
        Lighting(kind - 18);
    else if (kind < 35)
        Units(kind - 27);
    else
        Arrays(kind - 35);
}

void CSequence::Scalars(int kind)
{
    SGl& gl = m_gl;
    switch (kind) {
    case 0:
    case 1: {
        const uint32_t cap = Pick({0x0BC0, 0x0BE2, 0x3000, 0x3003, 0x3005, 0x0BF2, 0x0B57, 0x0B44, 0x0B71, 0x0BD0, 0x0B60,
                                   0x4000, 0x4005, 0x0B50, 0x0B20, 0x809D, 0x0BA1, 0x0B10, 0x8861, 0x8037, 0x803A, 0x809E,
                                   0x809F, 0x0C11, 0x0B90, 0x0DE1, 0x80A0, kMatrixPalette});
        const bool on = Coin();
        Do(on ? kEnable : kDisable, [&] { on ? gl.glEnable(cap) : gl.glDisable(cap); return SPayload().U32(cap); });
        if (cap == kMatrixPalette) {
            EXPECT_EQ(m_lastError, 0x500u) << "Mesa knows no matrix palette";
        }
        break;
    }
    case 2: {
        const uint32_t func = Pick({0x200, 0x201, 0x203, 0x204, 0x206, 0x207});
        const float ref = Unit();
        if (Coin())
            Do(kAlphaFunc, [&] { gl.glAlphaFunc(func, ref); return SPayload().U32(func).F(ref); });
        else
            Do(kAlphaFuncx, [&] { gl.glAlphaFuncx(func, ToFixed(ref)); return SPayload().U32(func).U32(uint32_t(ToFixed(ref))); });
        break;
    }
    case 3: {
        const uint32_t src = Pick({0, 1, 0x302, 0x306, 0x308}), dst = Pick({0, 1, 0x303, 0x300, 0x999});
        Do(kBlendFunc, [&] { gl.glBlendFunc(src, dst); return SPayload().U32(src).U32(dst); });
        break;
    }
    case 4: {
        const float c[4] = {Unit(), Unit(), Unit(), Unit()};
        if (Coin())
            Do(kClearColor, [&] { gl.glClearColor(c[0], c[1], c[2], c[3]); return SPayload().F(c[0]).F(c[1]).F(c[2]).F(c[3]); });
        else
            Do(kClearColorx, [&] {
                gl.glClearColorx(ToFixed(c[0]), ToFixed(c[1]), ToFixed(c[2]), ToFixed(c[3]));
                return SPayload().Words({uint32_t(ToFixed(c[0])), uint32_t(ToFixed(c[1])), uint32_t(ToFixed(c[2])),
                                         uint32_t(ToFixed(c[3]))});
            });
        break;
    }
    case 5: {
        const float d = Unit();
        const int32_t s = int32_t(R(200));
        if (Coin())
            Do(kClearDepthf, [&] { gl.glClearDepthf(d); return SPayload().F(d); });
        else
            Do(kClearDepthx, [&] { gl.glClearDepthx(ToFixed(d)); return SPayload().U32(uint32_t(ToFixed(d))); });
        Do(kClearStencil, [&] { gl.glClearStencil(s); return SPayload().U32(uint32_t(s)); });
        break;
    }
    case 6: {
        const uint32_t m[4] = {R(2), R(2), R(2), R(2)};
        Do(kColorMask, [&] {
            gl.glColorMask(uint8_t(m[0]), uint8_t(m[1]), uint8_t(m[2]), uint8_t(m[3]));
            return SPayload().Words({m[0], m[1], m[2], m[3]});
        });
        break;
    }
    case 7: {
        const uint32_t cull = Pick({0x404, 0x405, 0x408}), front = Pick({0x900, 0x901}), shade = Pick({0x1D00, 0x1D01, 0x1234});
        Do(kCullFace, [&] { gl.glCullFace(cull); return SPayload().U32(cull); });
        Do(kFrontFace, [&] { gl.glFrontFace(front); return SPayload().U32(front); });
        Do(kShadeModel, [&] { gl.glShadeModel(shade); return SPayload().U32(shade); });
        break;
    }
    case 8: {
        const uint32_t func = Pick({0x200, 0x201, 0x202, 0x203, 0x207}), mask = R(2);
        const float n = Unit(), f = Unit();
        Do(kDepthFunc, [&] { gl.glDepthFunc(func); return SPayload().U32(func); });
        Do(kDepthMask, [&] { gl.glDepthMask(uint8_t(mask)); return SPayload().U32(mask); });
        if (Coin())
            Do(kDepthRangef, [&] { gl.glDepthRangef(n, f); return SPayload().F(n).F(f); });
        else
            Do(kDepthRangex, [&] {
                gl.glDepthRangex(ToFixed(n), ToFixed(f));
                return SPayload().U32(uint32_t(ToFixed(n))).U32(uint32_t(ToFixed(f)));
            });
        break;
    }
    case 9: {
        const int32_t b[4] = {int32_t(R(64)), int32_t(R(64)), int32_t(R(200)),
                              int32_t(R(200))};
        const uint16_t id = Coin() ? kScissor : kViewport;
        Do(id, [&] {
            (id == kScissor ? gl.glScissor : gl.glViewport)(b[0], b[1], b[2], b[3]);
            return SPayload().Words({uint32_t(b[0]), uint32_t(b[1]), uint32_t(b[2]), uint32_t(b[3])});
        });
        break;
    }
    case 10: {
        const float w = Between(0.5f, 4.0f), p = Between(0.5f, 8.0f);
        if (Coin())
            Do(kLineWidth, [&] { gl.glLineWidth(w); return SPayload().F(w); });
        else
            Do(kLineWidthx, [&] { gl.glLineWidthx(ToFixed(w)); return SPayload().U32(uint32_t(ToFixed(w))); });
        if (Coin())
            Do(kPointSize, [&] { gl.glPointSize(p); return SPayload().F(p); });
        else
            Do(kPointSizex, [&] { gl.glPointSizex(ToFixed(p)); return SPayload().U32(uint32_t(ToFixed(p))); });
        break;
    }
    case 11: {
        const float f = Between(-2, 2), u = Between(-2, 2), v = Unit();
        const uint32_t invert = R(2);
        if (Coin())
            Do(kPolygonOffset, [&] { gl.glPolygonOffset(f, u); return SPayload().F(f).F(u); });
        else
            Do(kPolygonOffsetx, [&] {
                gl.glPolygonOffsetx(ToFixed(f), ToFixed(u));
                return SPayload().U32(uint32_t(ToFixed(f))).U32(uint32_t(ToFixed(u)));
            });
        if (Coin())
            Do(kSampleCoverage, [&] { gl.glSampleCoverage(v, uint8_t(invert)); return SPayload().F(v).U32(invert); });
        else
            Do(kSampleCoveragex, [&] {
                gl.glSampleCoveragex(ToFixed(v), uint8_t(invert));
                return SPayload().U32(uint32_t(ToFixed(v))).U32(invert);
            });
        break;
    }
    case 12: {
        const uint32_t op = 0x1500 + R(17);  // 0x1510 is no logic op
        Do(kLogicOp, [&] { gl.glLogicOp(op); return SPayload().U32(op); });
        break;
    }
    case 13: {
        const uint32_t target = Pick({0x0C54, 0x8192, 0x0C52, 0x0C50, 0x0C51, 0x8B8B});
        const uint32_t mode = Pick({0x1100, 0x1101, 0x1102});
        Do(kHint, [&] { gl.glHint(target, mode); return SPayload().U32(target).U32(mode); });
        break;
    }
    case 14: {
        const uint32_t func = Pick({0x200, 0x202, 0x203, 0x207}), ref = R(256), mask = R(256);
        const uint32_t write = R(256);
        const uint32_t ops[3] = {Pick({0x1E00, 0x1E01, 0x1E02, 0x150A}), Pick({0x1E00, 0x1E03, 0x1E02}),
                                 Pick({0x1E00, 0x1E02, 0x1E03, 0x150A})};
        Do(kStencilFunc, [&] { gl.glStencilFunc(func, int32_t(ref), mask); return SPayload().Words({func, ref, mask}); });
        Do(kStencilMask, [&] { gl.glStencilMask(write); return SPayload().U32(write); });
        Do(kStencilOp, [&] { gl.glStencilOp(ops[0], ops[1], ops[2]); return SPayload().Words({ops[0], ops[1], ops[2]}); });
        break;
    }
    case 15: {
        const uint32_t pname = Pick({0x0CF5, 0x0D05});
        const int32_t align = int32_t(Pick({1, 2, 4, 8, 3}));
        Do(kPixelStorei, [&] { gl.glPixelStorei(pname, align); return SPayload().U32(pname).U32(uint32_t(align)); });
        break;
    }
    case 16: {
        // Point parameters in their four forms.
        const uint32_t pname = Pick({0x8126, 0x8127, 0x8128, 0x8129});
        float v[3] = {Between(0, 4), Between(0, 4), Between(0, 4)};
        const int n = pname == 0x8129 ? 3 : 1;
        switch (R(4)) {
        case 0:
            if (n == 1)
                Do(kPointParameterf, [&] { gl.glPointParameterf(pname, v[0]); return SPayload().U32(pname).F(v[0]); });
            break;
        case 1:
            if (n == 1)
                Do(kPointParameterx, [&] {
                    gl.glPointParameterx(pname, ToFixed(v[0]));
                    return SPayload().U32(pname).U32(uint32_t(ToFixed(v[0])));
                });
            break;
        case 2:
            Do(kPointParameterfv, [&] { gl.glPointParameterfv(pname, v); return SPayload().U32(pname).Raw(FloatArray(v, n).bytes); });
            break;
        default: {
            const GLfixed x[3] = {ToFixed(v[0]), ToFixed(v[1]), ToFixed(v[2])};
            Do(kPointParameterxv, [&] { gl.glPointParameterxv(pname, x); return SPayload().U32(pname).Raw(FixedArray(x, n).bytes); });
        }
        }
        break;
    }
    default: {
        // Matrix mode, pushes, pops and transforms: the GL limits reject what overflows or
        // underflows, GL's checks the degenerate projections.
        const uint32_t mode = Pick({0x1700, 0x1701, 0x1702, 0x1702});
        Do(kMatrixMode, [&] { gl.glMatrixMode(mode); return SPayload().U32(mode); });
        for (uint32_t n = R(6); n > 0; --n)
            Transform();
        // The top model-view matrix is always identity: lights and clip planes below are set in eye
        // space. The entries below it keep what the transforms made.
        Do(kMatrixMode, [&] { gl.glMatrixMode(0x1700); return SPayload().U32(0x1700); });
        Do(kLoadIdentity, [&] { gl.glLoadIdentity(); return SPayload(); });
    }
    }
}

// One change of the current matrix in any form, its arguments in float or fixed point.
void CSequence::Transform()
{
    SGl& gl = m_gl;
    const bool fixed = Coin();
    float v[16];
    for (float& f : v)
        f = Between(-2, 2);
    GLfixed x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = ToFixed(v[i]);
    auto args = [&](int n) {
        SPayload p;
        for (int i = 0; i < n; ++i)
            fixed ? p.U32(uint32_t(x[i])) : p.F(v[i]);
        return p;
    };
    switch (R(9)) {
    case 0: {
        const bool push = R(3) != 0;
        Do(push ? kPushMatrix : kPopMatrix, [&] { push ? gl.glPushMatrix() : gl.glPopMatrix(); return SPayload(); });
        break;
    }
    case 1: Do(kLoadIdentity, [&] { gl.glLoadIdentity(); return SPayload(); }); break;
    case 2:
    case 3: {
        const bool load = R(2) != 0;
        const uint16_t id = load ? (fixed ? kLoadMatrixx : kLoadMatrixf) : (fixed ? kMultMatrixx : kMultMatrixf);
        Do(id, [&] {
            if (fixed)
                load ? gl.glLoadMatrixx(x) : gl.glMultMatrixx(x);
            else
                load ? gl.glLoadMatrixf(v) : gl.glMultMatrixf(v);
            return SPayload().Ptr(0x100).Raw(args(16).bytes);
        });
        break;
    }
    case 4:
    case 5: {
        // Left, right, bottom, top, near, far: now and then an empty range (or a near plane at 0),
        // which GL refuses.
        const bool ortho = R(2) != 0;
        if (R(6) == 0)
            v[1] = v[0];
        else if (!ortho || R(2) == 0)
            v[4] = Between(0.1f, 1.0f), v[5] = v[4] + Between(0.5f, 4.0f);
        if (!ortho && R(6) == 0)
            v[4] = 0;
        for (int i = 0; i < 6; ++i)
            x[i] = ToFixed(v[i]);
        const uint16_t id = ortho ? (fixed ? kOrthox : kOrthof) : (fixed ? kFrustumx : kFrustumf);
        Do(id, [&] {
            if (ortho && fixed)
                gl.glOrthox(x[0], x[1], x[2], x[3], x[4], x[5]);
            else if (ortho)
                gl.glOrthof(v[0], v[1], v[2], v[3], v[4], v[5]);
            else if (fixed)
                gl.glFrustumx(x[0], x[1], x[2], x[3], x[4], x[5]);
            else
                gl.glFrustumf(v[0], v[1], v[2], v[3], v[4], v[5]);
            return args(6);
        });
        break;
    }
    case 6: {
        // About a coordinate axis either way, about any axis, or about none.
        v[0] = Between(-360, 360);
        const int axis = int(R(8));
        if (axis < 6) {
            v[1] = v[2] = v[3] = 0;
            v[1 + axis % 3] = axis < 3 ? 1.0f : -Between(0.5f, 2.0f);
        } else if (axis == 6) {
            v[1] = v[2] = v[3] = 0;
        }
        for (int i = 0; i < 4; ++i)
            x[i] = ToFixed(v[i]);
        Do(fixed ? kRotatex : kRotatef, [&] {
            fixed ? gl.glRotatex(x[0], x[1], x[2], x[3]) : gl.glRotatef(v[0], v[1], v[2], v[3]);
            return args(4);
        });
        break;
    }
    case 7:
        Do(fixed ? kScalex : kScalef, [&] {
            fixed ? gl.glScalex(x[0], x[1], x[2]) : gl.glScalef(v[0], v[1], v[2]);
            return args(3);
        });
        break;
    default:
        Do(fixed ? kTranslatex : kTranslatef, [&] {
            fixed ? gl.glTranslatex(x[0], x[1], x[2]) : gl.glTranslatef(v[0], v[1], v[2]);
            return args(3);
        });
    }
}

void CSequence::Lighting(int kind)
{
    SGl& gl = m_gl;
    const uint32_t light = kLight0 + R(8);
    switch (kind) {
    case 0: {
        // Scalar light parameters.
        const uint32_t pname = Pick({0x1205, 0x1206, 0x1207, 0x1208, 0x1209});
        const float v = pname == 0x1206 ? float(Pick({10, 45, 90, 180})) : Between(0, 2);
        if (Coin())
            Do(kLightf, [&] { gl.glLightf(light, pname, v); return SPayload().Words({light, pname}).F(v); });
        else
            Do(kLightx, [&] {
                gl.glLightx(light, pname, ToFixed(v));
                return SPayload().Words({light, pname, uint32_t(ToFixed(v))});
            });
        break;
    }
    case 1:
    case 2: {
        // Vector light parameters, each with the values it takes.
        const uint32_t pname = Pick({0x1200, 0x1201, 0x1202, 0x1203, 0x1204});
        const int n = pname == 0x1204 ? 3 : 4;
        float v[4] = {Between(-1, 1), Between(-1, 1), Between(-1, 1), Between(0, 1)};
        if (Coin()) {
            Do(kLightfv, [&] { gl.glLightfv(light, pname, v); return SPayload().Words({light, pname}).Raw(FloatArray(v, n).bytes); });
        } else {
            const GLfixed x[4] = {ToFixed(v[0]), ToFixed(v[1]), ToFixed(v[2]), ToFixed(v[3])};
            Do(kLightxv, [&] { gl.glLightxv(light, pname, x); return SPayload().Words({light, pname}).Raw(FixedArray(x, n).bytes); });
        }
        break;
    }
    case 3: {
        const float two = float(R(2));
        float ambient[4] = {Unit(), Unit(), Unit(), Unit()};
        switch (R(4)) {
        case 0: Do(kLightModelf, [&] { gl.glLightModelf(0x0B52, two); return SPayload().U32(0x0B52).F(two); }); break;
        case 1:
            Do(kLightModelx, [&] { gl.glLightModelx(0x0B52, ToFixed(two)); return SPayload().U32(0x0B52).U32(uint32_t(ToFixed(two))); });
            break;
        case 2: Do(kLightModelfv, [&] { gl.glLightModelfv(0x0B53, ambient); return SPayload().U32(0x0B53).Raw(FloatArray(ambient, 4).bytes); }); break;
        default: {
            const GLfixed x[4] = {ToFixed(ambient[0]), ToFixed(ambient[1]), ToFixed(ambient[2]), ToFixed(ambient[3])};
            Do(kLightModelxv, [&] { gl.glLightModelxv(0x0B53, x); return SPayload().U32(0x0B53).Raw(FixedArray(x, 4).bytes); });
        }
        }
        break;
    }
    case 4:
    case 5: {
        // Materials: ES 1.1 takes GL_FRONT_AND_BACK only (GL_FRONT is rejected and changes nothing).
        const uint32_t face = Pick({kFrontAndBack, kFrontAndBack, kFrontAndBack, 0x0404});
        const uint32_t pname = Pick({0x1200, 0x1201, 0x1202, 0x1600, 0x1601, 0x1602});
        const int n = pname == 0x1601 ? 1 : 4;
        float v[4] = {Unit(), Unit(), Unit(), Unit()};
        if (pname == 0x1601)
            v[0] = Between(0, 128);
        if (n == 1 && Coin()) {
            Do(kMaterialf, [&] { gl.glMaterialf(face, pname, v[0]); return SPayload().Words({face, pname}).F(v[0]); });
        } else if (n == 1 && Coin()) {
            Do(kMaterialx, [&] {
                gl.glMaterialx(face, pname, ToFixed(v[0]));
                return SPayload().Words({face, pname, uint32_t(ToFixed(v[0]))});
            });
        } else if (Coin()) {
            Do(kMaterialfv, [&] { gl.glMaterialfv(face, pname, v); return SPayload().Words({face, pname}).Raw(FloatArray(v, n).bytes); });
        } else {
            const GLfixed x[4] = {ToFixed(v[0]), ToFixed(v[1]), ToFixed(v[2]), ToFixed(v[3])};
            Do(kMaterialxv, [&] { gl.glMaterialxv(face, pname, x); return SPayload().Words({face, pname}).Raw(FixedArray(x, n).bytes); });
        }
        if (pname == 0x1602 && m_lastError == 0)
            m_ambientAndDiffuse = true;
        break;
    }
    case 6:
    case 7: {
        // Fog in its four forms; the mode as a symbolic constant.
        const uint32_t pname = Pick({0x0B65, 0x0B62, 0x0B63, 0x0B64, 0x0B66});
        float v[4] = {Unit(), Unit(), Unit(), Unit()};
        if (pname == 0x0B65)
            v[0] = float(Pick({0x0800, 0x0801, 0x2601}));
        const int n = pname == 0x0B66 ? 4 : 1;
        const bool mode = pname == 0x0B65;
        GLfixed x[4];
        for (int i = 0; i < 4; ++i)
            x[i] = mode ? GLfixed(v[i]) : ToFixed(v[i]);
        switch (R(4)) {
        case 0:
            if (n == 1)
                Do(kFogf, [&] { gl.glFogf(pname, v[0]); return SPayload().U32(pname).F(v[0]); });
            break;
        case 1:
            if (n == 1)
                Do(kFogx, [&] { gl.glFogx(pname, x[0]); return SPayload().U32(pname).U32(uint32_t(x[0])); });
            break;
        case 2: Do(kFogfv, [&] { gl.glFogfv(pname, v); return SPayload().U32(pname).Raw(FloatArray(v, n).bytes); }); break;
        default: Do(kFogxv, [&] { gl.glFogxv(pname, x); return SPayload().U32(pname).Raw(FixedArray(x, n).bytes); });
        }
        break;
    }
    default: {
        // Clip planes, with the model-view at identity.
        const uint32_t plane = kClipPlane0 + R(6);
        float eq[4] = {Between(-1, 1), Between(-1, 1), Between(-1, 1), Between(-1, 1)};
        if (Coin()) {
            Do(kClipPlanef, [&] {
                gl.glClipPlanef(plane, eq);
                return SPayload().U32(plane).Ptr(0x200).F(eq[0]).F(eq[1]).F(eq[2]).F(eq[3]);
            });
        } else {
            const GLfixed x[4] = {ToFixed(eq[0]), ToFixed(eq[1]), ToFixed(eq[2]), ToFixed(eq[3])};
            Do(kClipPlanex, [&] {
                gl.glClipPlanex(plane, x);
                return SPayload().U32(plane).Ptr(0x200).Words({uint32_t(x[0]), uint32_t(x[1]), uint32_t(x[2]), uint32_t(x[3])});
            });
        }
    }
    }
}

void CSequence::Units(int kind)
{
    SGl& gl = m_gl;
    const uint32_t unit = kTex0 + m_random() % kUnits;
    switch (kind) {
    case 0:
        Do(kActiveTexture, [&] { gl.glActiveTexture(unit); return SPayload().U32(unit); });
        m_activeUnit = int(unit - kTex0);
        break;
    case 1: Do(kClientActiveTexture, [&] { gl.glClientActiveTexture(unit); return SPayload().U32(unit); }); break;
    case 2: {
        const uint32_t name = 1 + R(4);
        Do(kBindTexture, [&] { gl.glBindTexture(kTexture2D, name); return SPayload().U32(kTexture2D).U32(name); });
        break;
    }
    case 3: {
        const float v[4] = {Between(-1, 1), Between(-1, 1), Between(-1, 1), Between(-1, 1)};
        if (Coin())
            Do(kMultiTexCoord4f, [&] {
                gl.glMultiTexCoord4f(unit, v[0], v[1], v[2], v[3]);
                return SPayload().U32(unit).F(v[0]).F(v[1]).F(v[2]).F(v[3]);
            });
        else
            Do(kMultiTexCoord4x, [&] {
                gl.glMultiTexCoord4x(unit, ToFixed(v[0]), ToFixed(v[1]), ToFixed(v[2]), ToFixed(v[3]));
                return SPayload().U32(unit).Words({uint32_t(ToFixed(v[0])), uint32_t(ToFixed(v[1])),
                                                   uint32_t(ToFixed(v[2])), uint32_t(ToFixed(v[3]))});
            });
        break;
    }
    case 4: {
        const float c[4] = {Unit(), Unit(), Unit(), Unit()};
        const float n[3] = {Between(-1, 1), Between(-1, 1), Between(-1, 1)};
        switch (R(3)) {
        case 0: Do(kColor4f, [&] { gl.glColor4f(c[0], c[1], c[2], c[3]); return SPayload().F(c[0]).F(c[1]).F(c[2]).F(c[3]); }); break;
        case 1: {
            const uint32_t b[4] = {R(256), R(256), R(256), R(256)};
            Do(kColor4ub, [&] {
                gl.glColor4ub(uint8_t(b[0]), uint8_t(b[1]), uint8_t(b[2]), uint8_t(b[3]));
                return SPayload().Words({b[0], b[1], b[2], b[3]});
            });
            break;
        }
        default:
            Do(kColor4x, [&] {
                gl.glColor4x(ToFixed(c[0]), ToFixed(c[1]), ToFixed(c[2]), ToFixed(c[3]));
                return SPayload().Words({uint32_t(ToFixed(c[0])), uint32_t(ToFixed(c[1])), uint32_t(ToFixed(c[2])),
                                         uint32_t(ToFixed(c[3]))});
            });
        }
        if (Coin())
            Do(kNormal3f, [&] { gl.glNormal3f(n[0], n[1], n[2]); return SPayload().F(n[0]).F(n[1]).F(n[2]); });
        else
            Do(kNormal3x, [&] {
                gl.glNormal3x(ToFixed(n[0]), ToFixed(n[1]), ToFixed(n[2]));
                return SPayload().Words({uint32_t(ToFixed(n[0])), uint32_t(ToFixed(n[1])), uint32_t(ToFixed(n[2]))});
            });
        break;
    }
    default: {
        // Texture environments of the active unit, in the six forms.
        const uint32_t pname = Pick({0x2200, 0x8571, 0x8572, 0x8580, 0x8589, 0x8590, 0x859A, 0x8573, 0x0D1C, kEnvColor,
                                     kCoordReplace});
        const uint32_t target = pname == kCoordReplace ? kPointSprite : kTextureEnv;
        uint32_t e = 0;
        switch (pname) {
        case 0x2200: e = Pick({0x1E01, 0x2100, 0x0BE2, 0x0104, 0x8570}); break;
        case 0x8571: e = Pick({0x1E01, 0x2100, 0x0104, 0x8574, 0x84E7, 0x86AE}); break;
        case 0x8572: e = Pick({0x1E01, 0x2100, 0x0104, 0x8574, 0x84E7}); break;
        case 0x8580: case 0x8589: e = Pick({0x1702, 0x8576, 0x8577, 0x8578}); break;
        case 0x8590: e = Pick({0x0300, 0x0301, 0x0302, 0x0303}); break;
        case 0x859A: e = Pick({0x0302, 0x0303}); break;
        case 0x8573: case 0x0D1C: e = Pick({1, 2, 4}); break;
        case kCoordReplace: e = R(2); break;
        default: break;
        }
        const bool scale = pname == 0x8573 || pname == 0x0D1C;
        float f[4] = {float(e), Unit(), Unit(), Unit()};
        if (pname == kEnvColor)
            f[0] = Unit();
        const int n = pname == kEnvColor ? 4 : 1;
        const int form = int(m_random() % (pname == kEnvColor ? 3 : 6));
        const int unitIndex = m_activeUnit;
        if (form == 0) {
            Do(kTexEnvfv, [&] { gl.glTexEnvfv(target, pname, f); return SPayload().Words({target, pname}).Raw(FloatArray(f, n).bytes); });
        } else if (form == 1) {
            const int32_t iv[4] = {int32_t(f[0]), int32_t(f[1]), int32_t(f[2]), int32_t(f[3])};
            Do(kTexEnviv, [&] {
                gl.glTexEnviv(target, pname, iv);
                SPayload p = SPayload().Words({target, pname}).Ptr(0x100).U32(uint32_t(n));
                for (int i = 0; i < n; ++i)
                    p.U32(uint32_t(iv[i]));
                return p;
            });
            if (pname == kEnvColor && m_lastError == 0)
                m_integerEnvColour.insert(unitIndex);
        } else if (form == 2) {
            GLfixed x[4];
            for (int i = 0; i < 4; ++i)
                x[i] = scale || pname == kEnvColor ? ToFixed(f[i]) : GLfixed(f[i]);
            Do(kTexEnvxv, [&] { gl.glTexEnvxv(target, pname, x); return SPayload().Words({target, pname}).Raw(FixedArray(x, n).bytes); });
        } else if (form == 3) {
            Do(kTexEnvi, [&] { gl.glTexEnvi(target, pname, int32_t(e)); return SPayload().Words({target, pname, e}); });
        } else if (form == 4) {
            Do(kTexEnvf, [&] { gl.glTexEnvf(target, pname, float(e)); return SPayload().Words({target, pname}).F(float(e)); });
        } else {
            const GLfixed x = scale ? ToFixed(float(e)) : GLfixed(e);
            Do(kTexEnvx, [&] { gl.glTexEnvx(target, pname, x); return SPayload().Words({target, pname, uint32_t(x)}); });
        }
        if (m_lastError == 0 && target == kTextureEnv) {
            const bool combiner = Es1TableIndex(kEs1TexEnvParams, pname) > 0;
            if (form == 0 && combiner)
                m_floatVectorCombiner.insert({unitIndex, pname});
            else
                m_floatVectorCombiner.erase({unitIndex, pname});
        }
    }
    }
}

void CSequence::Arrays(int kind)
{
    SGl& gl = m_gl;
    switch (kind) {
    case 0: {
        const uint32_t target = Pick({kArrayBuffer, kElementArrayBuffer});
        const uint32_t name = Pick({0, m_buffers[0], m_buffers[1], m_buffers[2]});
        Do(kBindBuffer, [&] { gl.glBindBuffer(target, name); return SPayload().U32(target).U32(name); });
        if (name && Coin()) {
            const std::vector<uint8_t> data = Bytes(16, uint8_t(m_random()));
            Do(kBufferData, [&] {
                gl.glBufferData(target, 16, data.data(), kStaticDraw);
                return SPayload().Words({target, 16}).Ptr(0x300).U32(16).Raw(data).U32(kStaticDraw);
            });
        }
        break;
    }
    case 1: {
        const uint32_t cap = Pick({0x8076, 0x8075, 0x8074, 0x8B9C, 0x8844, 0x86AD, 0x8078});
        const bool on = Coin();
        Do(on ? kEnableClientState : kDisableClientState, [&] {
            on ? gl.glEnableClientState(cap) : gl.glDisableClientState(cap);
            return SPayload().U32(cap);
        });
        break;
    }
    default: {
        // Pointer calls: a pointer value, or an offset into the bound array buffer.
        const uint32_t pointer = 0x1000 + 4 * (R(64));
        const int32_t stride = int32_t(4 * (R(8)));
        const void* p = reinterpret_cast<const void*>(uintptr_t(pointer));
        auto record = [&](std::initializer_list<uint32_t> head) { return SPayload().Words(head).U32(uint32_t(stride)).Ptr(pointer); };
        switch (R(5)) {
        case 0: {
            const int32_t size = int32_t(2 + R(3));
            const uint32_t type = Pick({kFloat, 0x1402, 0x140C, 0x1400});
            Do(kVertexPointer, [&] { gl.glVertexPointer(size, type, stride, p); return record({uint32_t(size), type}); });
            break;
        }
        case 1: {
            const uint32_t type = Pick({kFloat, kUbyte, 0x140C});
            Do(kColorPointer, [&] { gl.glColorPointer(4, type, stride, p); return record({4, type}); });
            break;
        }
        case 2: {
            const uint32_t type = Pick({kFloat, 0x1400, 0x1402, 0x140C});
            Do(kNormalPointer, [&] { gl.glNormalPointer(type, stride, p); return record({type}); });
            break;
        }
        case 3: {
            const int32_t size = int32_t(2 + R(3));
            const uint32_t type = Pick({kFloat, 0x1402, 0x140C});
            Do(kTexCoordPointer, [&] { gl.glTexCoordPointer(size, type, stride, p); return record({uint32_t(size), type}); });
            break;
        }
        default: {
            const uint32_t type = Pick({kFloat, 0x140C});
            Do(kPointSizePointer, [&] { gl.glPointSizePointerOES(type, stride, p); return record({type}); });
        }
        }
    }
    }
}

// ---- the comparison --------------------------------------------------------------------------------

#define XQF_INT(pname) ([&] { int32_t v[4] = {}; gl.glGetIntegerv(pname, v); return v[0]; }())
#define XQF_FLOATS(pname, n) ([&] { std::vector<float> v(16); gl.glGetFloatv(pname, v.data()); v.resize(n); return v; }())

std::vector<float> V(const float* f, int n) { return std::vector<float>(f, f + n); }

void CSequence::Compare()
{
    SGl& gl = m_gl;
    const SEs1State& s = m_state;
    const SEs1State initial;
    // A field still at the tracker's initial value may differ from GL's own initial value.
    auto set = [&](const auto& now, const auto& start) { return memcmp(&now, &start, sizeof now) != 0 || !Deliberate("initial values"); };
    gl.glGetError();

    EXPECT_EQ(uint32_t(XQF_INT(0x84E0)), s.activeTexture);          // GL_ACTIVE_TEXTURE
    EXPECT_EQ(uint32_t(XQF_INT(0x84E1)), s.clientActiveTexture);    // GL_CLIENT_ACTIVE_TEXTURE
    EXPECT_EQ(uint32_t(XQF_INT(0x0BC1)), s.alphaFunc);
    EXPECT_EQ(XQF_FLOATS(0x0BC2, 1), V(&s.alphaRef, 1));
    EXPECT_EQ(uint32_t(XQF_INT(0x0BE1)), s.blendSrc);
    EXPECT_EQ(uint32_t(XQF_INT(0x0BE0)), s.blendDst);
    EXPECT_EQ(XQF_FLOATS(0x0C22, 4), V(s.clearColor, 4));
    EXPECT_EQ(XQF_FLOATS(0x0B73, 1), V(&s.clearDepth, 1));
    EXPECT_EQ(XQF_INT(0x0B91), s.clearStencil);
    {
        uint8_t mask[4] = {};
        gl.glGetBooleanv(0x0C23, mask);
        EXPECT_EQ(std::vector<uint8_t>(mask, mask + 4), std::vector<uint8_t>(s.colorMask, s.colorMask + 4));
    }
    EXPECT_EQ(uint32_t(XQF_INT(0x0B45)), s.cullFaceMode);
    EXPECT_EQ(uint32_t(XQF_INT(0x0B46)), s.frontFace);
    EXPECT_EQ(uint32_t(XQF_INT(0x0B74)), s.depthFunc);
    EXPECT_EQ(uint32_t(XQF_INT(0x0B72) != 0), s.depthMask);
    EXPECT_EQ(XQF_FLOATS(0x0B70, 2), (std::vector<float>{s.depthRangeNear, s.depthRangeFar}));
    EXPECT_EQ(uint32_t(XQF_INT(0x0B92)), s.stencilFunc);
    if (s.stencilRef != XQF_INT(0x0B97) && !Deliberate("stencil ref")) {
        ADD_FAILURE() << "stencil ref";
    }
    if (set(s.stencilValueMask, initial.stencilValueMask)) {
        EXPECT_EQ(uint32_t(XQF_INT(0x0B93)) & 0xFF, s.stencilValueMask & 0xFF);
    }
    if (set(s.stencilWriteMask, initial.stencilWriteMask)) {
        EXPECT_EQ(uint32_t(XQF_INT(0x0B98)) & 0xFF, s.stencilWriteMask & 0xFF);
    }
    for (auto [pname, field, start] : {std::tuple{0x0B94u, s.stencilFail, initial.stencilFail},
                                       std::tuple{0x0B95u, s.stencilPassDepthFail, initial.stencilPassDepthFail},
                                       std::tuple{0x0B96u, s.stencilPassDepthPass, initial.stencilPassDepthPass}})
        if (set(field, start)) {
            EXPECT_EQ(uint32_t(XQF_INT(pname)), field) << std::hex << pname;
        }
    {
        int32_t box[4] = {};
        gl.glGetIntegerv(0x0C10, box);
        if (set(s.scissorBox, initial.scissorBox)) {
            EXPECT_EQ(std::vector<int32_t>(box, box + 4), std::vector<int32_t>(s.scissorBox, s.scissorBox + 4));
        }
        gl.glGetIntegerv(0x0BA2, box);
        if (set(s.viewport, initial.viewport)) {
            EXPECT_EQ(std::vector<int32_t>(box, box + 4), std::vector<int32_t>(s.viewport, s.viewport + 4));
        }
    }
    EXPECT_EQ(XQF_FLOATS(0x0B21, 1), V(&s.lineWidth, 1));
    EXPECT_EQ(XQF_FLOATS(0x0B11, 1), V(&s.pointSize, 1));
    for (int p = 0; p < 4; ++p) {
        const uint32_t pnames[4] = {0x8126, 0x8127, 0x8128, 0x8129};
        if (set(s.pointParams[p], initial.pointParams[p])) {
            EXPECT_EQ(XQF_FLOATS(pnames[p], p == 3 ? 3 : 1), V(s.pointParams[p], p == 3 ? 3 : 1)) << "point parameter " << p;
        }
    }
    EXPECT_EQ(XQF_FLOATS(0x8038, 1), V(&s.polygonOffsetFactor, 1));
    EXPECT_EQ(XQF_FLOATS(0x2A00, 1), V(&s.polygonOffsetUnits, 1));
    EXPECT_EQ(XQF_FLOATS(0x80AA, 1), V(&s.sampleCoverageValue, 1));
    EXPECT_EQ(uint32_t(XQF_INT(0x80AB) != 0), s.sampleCoverageInvert);
    EXPECT_EQ(uint32_t(XQF_INT(0x0BF0)), s.logicOp);
    EXPECT_EQ(uint32_t(XQF_INT(0x0B54)), s.shadeModel);
    for (int h = 0; h < 5; ++h) {
        EXPECT_EQ(uint32_t(XQF_INT(kEs1Hints[h])), s.hints[h]) << "hint " << h;
    }
    EXPECT_EQ(XQF_FLOATS(0x0B65, 1), V(&s.fogParams[0], 1));
    EXPECT_EQ(XQF_FLOATS(0x0B62, 1), V(&s.fogParams[1], 1));
    EXPECT_EQ(XQF_FLOATS(0x0B63, 1), V(&s.fogParams[2], 1));
    EXPECT_EQ(XQF_FLOATS(0x0B64, 1), V(&s.fogParams[3], 1));
    EXPECT_EQ(XQF_FLOATS(0x0B66, 4), V(s.fogColor, 4));
    EXPECT_EQ(uint32_t(XQF_INT(0x0B52) != 0), s.lightModelTwoSide);
    EXPECT_EQ(XQF_FLOATS(0x0B53, 4), V(s.lightModelAmbient, 4));
    EXPECT_EQ(XQF_FLOATS(0x0B00, 4), V(s.currentColor, 4));
    EXPECT_EQ(XQF_FLOATS(0x0B02, 3), V(s.currentNormal, 3));
    EXPECT_EQ(uint32_t(XQF_INT(0x0BA0)), s.matrixMode);
    EXPECT_EQ(uint32_t(XQF_INT(0x0BA3)), s.matrixStackDepth[0]);  // GL_MODELVIEW_STACK_DEPTH
    EXPECT_EQ(uint32_t(XQF_INT(0x0BA4)), s.matrixStackDepth[1]);  // GL_PROJECTION_STACK_DEPTH
    EXPECT_EQ(XQF_INT(0x0D05), s.packAlignment);
    EXPECT_EQ(XQF_INT(0x0CF5), s.unpackAlignment);
    EXPECT_EQ(uint32_t(XQF_INT(0x8894)), s.arrayBufferBinding);

    // Capabilities; the matrix palette is rejected by Mesa and its flag stays as a rejected call leaves it.
    for (int i = 0; i < 35; ++i) {
        const uint32_t cap = kEs1Capabilities[i];
        if (cap == kMatrixPalette) {
            gl.glIsEnabled(cap);
            EXPECT_EQ(gl.glGetError(), 0x500u) << "glIsEnabled(GL_MATRIX_PALETTE_OES)";
            EXPECT_EQ(s.capabilities[i], 0) << "a rejected glEnable changes nothing";
            continue;
        }
        // GL_DITHER and GL_MULTISAMPLE start enabled in GL.
        if (set(s.capabilities[i], initial.capabilities[i]) || (cap != 0x0BD0 && cap != 0x809D)) {
            EXPECT_EQ(gl.glIsEnabled(cap), s.capabilities[i]) << std::hex << cap;
        }
    }

    // Lights of every light, the front material, the clip planes.
    for (int l = 0; l < 8; ++l)
        for (int p = 0; p < 10; ++p) {
            if (l > 0 && !set(s.lights[l][p], initial.lights[l][p]))
                continue;
            const int n = p <= 3 ? 4 : p == 4 ? 3 : 1;
            std::vector<float> v(4);
            gl.glGetLightfv(kLight0 + uint32_t(l), kEs1LightParams[p], v.data());
            v.resize(size_t(n));
            EXPECT_EQ(v, V(s.lights[l][p], n)) << "light " << l << " parameter " << p;
        }
    for (int p = 0; p < 5; ++p) {
        if (!set(s.material[p], initial.material[p]) || (p <= 1 && m_ambientAndDiffuse && Deliberate("GL_AMBIENT_AND_DIFFUSE")))
            continue;
        // One material for both faces: the front one is asked for.
        const int n = p == 4 ? 1 : 4;
        std::vector<float> v(4);
        gl.glGetMaterialfv(0x0404, kEs1MaterialParams[p], v.data());
        v.resize(size_t(n));
        EXPECT_EQ(v, V(s.material[p], n)) << "material " << p;
    }
    for (int c = 0; c < 6; ++c) {
        std::vector<float> v(4);
        gl.glGetClipPlanef(kClipPlane0 + uint32_t(c), v.data());
        EXPECT_EQ(v, V(s.clipPlaneEquations[c], 4)) << "clip plane " << c;
    }

    // Per unit: bindings, 2D enables, current coordinates, environments, texture stacks.
    for (int u = 0; u < kUnits; ++u) {
        SCOPED_TRACE("unit " + std::to_string(u));
        gl.glActiveTexture(kTex0 + uint32_t(u));
        EXPECT_EQ(uint32_t(XQF_INT(0x8069)), s.texture2DBinding[u]);
        EXPECT_EQ(gl.glIsEnabled(kTexture2D), s.texture2DEnabled[u]);
        EXPECT_EQ(XQF_FLOATS(0x0B03, 4), V(s.currentTexCoord[u], 4));
        EXPECT_EQ(uint32_t(XQF_INT(0x0BA5)), s.matrixStackDepth[2 + s.paletteStackBase + uint32_t(u)]);
        for (int e = 0; e < 15; ++e) {
            if (!set(s.texEnv[u][e], initial.texEnv[u][e]) ||
                (m_floatVectorCombiner.count({u, kEs1TexEnvParams[e]}) && Deliberate("glTexEnvfv of the combiner parameters")))
                continue;
            int32_t v = 0;
            gl.glGetTexEnviv(kTextureEnv, kEs1TexEnvParams[e], &v);
            EXPECT_EQ(uint32_t(v), s.texEnv[u][e]) << "environment " << e;
        }
        for (auto [pname, i] : {std::pair{0x8573u, 0}, std::pair{0x0D1Cu, 1}}) {
            float v = 0;
            gl.glGetTexEnvfv(kTextureEnv, pname, &v);
            if (set(s.texEnvScale[u][i], initial.texEnvScale[u][i])) {
                EXPECT_EQ(v, s.texEnvScale[u][i]) << "scale " << i;
            }
        }
        if (!(m_integerEnvColour.count(u) && Deliberate("integer texture-environment colour"))) {
            std::vector<float> v(4);
            gl.glGetTexEnvfv(kTextureEnv, kEnvColor, v.data());
            EXPECT_EQ(v, V(s.texEnvColor[u], 4)) << "environment colour";
        }
        int32_t replace = 0;
        gl.glGetTexEnviv(kPointSprite, kCoordReplace, &replace);
        EXPECT_EQ(uint32_t(replace), s.coordReplace[u]);
    }
    gl.glActiveTexture(s.activeTexture);

    // Client arrays of the current vertex-array record (its defaults while none was made).
    const SEs1VertexArray defaults;
    const SEs1VertexArray* made = s.vertexArrays.Get(s.vertexArrayBinding);
    const SEs1VertexArray& a = made ? *made : defaults;
    EXPECT_EQ(uint32_t(XQF_INT(0x8895)), a.elementArrayBuffer);
    const uint32_t clientCaps[6] = {0x8076, 0x8075, 0x8074, 0x8B9C, 0x8844, 0x86AD};
    for (int i = 0; i < 6; ++i) {
        const uint8_t enabled = gl.glIsEnabled(clientCaps[i]);
        gl.glGetError();  // Mesa knows no matrix-index or weight arrays
        EXPECT_EQ(enabled, a.enabled[i]) << std::hex << clientCaps[i];
    }
    struct SArrayQuery
    {
        const char* what;
        const SEs1ClientArray* array;
        uint32_t size, type, stride, binding, pointer;  // 0: not asked
    };
    std::vector<SArrayQuery> queries = {
        {"vertex", &a.vertex, 0x807A, 0x807B, 0x807C, 0x8896, 0x808E},
        {"color", &a.color, 0x8081, 0x8082, 0x8083, 0x8898, 0x8090},
        {"normal", &a.normal, 0, 0x807E, 0x807F, 0x8897, 0x808F},
        {"point size", &a.pointSize, 0, 0x898A, 0x898B, 0x8B9F, 0x898C},
    };
    for (int u = 0; u < kUnits; ++u)
        queries.push_back({"texture coordinates", &a.texCoord[u], 0x8088, 0x8089, 0x808A, 0x889A, 0x8092});
    for (size_t q = 0; q < queries.size(); ++q) {
        const SArrayQuery& query = queries[q];
        const bool texCoord = q >= 4;
        if (texCoord)
            gl.glClientActiveTexture(kTex0 + uint32_t(q - 4));
        const SEs1ClientArray& t = *query.array;
        SCOPED_TRACE(std::string(query.what) + (texCoord ? " " + std::to_string(q - 4) : ""));
        if (texCoord && !set(t, defaults.texCoord[0]))
            continue;  // the tracker's texture-coordinate arrays start at size 0, type 0
        if (query.size) {
            EXPECT_EQ(XQF_INT(query.size), t.size);
        }
        EXPECT_EQ(uint32_t(XQF_INT(query.type)), t.type);
        EXPECT_EQ(XQF_INT(query.stride), t.stride);
        if (!(query.array == &a.pointSize && Deliberate("point-size array binding"))) {
            EXPECT_EQ(uint32_t(XQF_INT(query.binding)), t.buffer);
        }
        void* pointer = nullptr;
        gl.glGetPointerv(query.pointer, &pointer);
        EXPECT_EQ(uint64_t(uintptr_t(pointer)), t.pointer);
    }
    gl.glClientActiveTexture(s.clientActiveTexture);

    // Buffer sizes and usages of the data calls.
    for (const auto& b : s.buffers) {
        if (b.key == 0)
            continue;
        gl.glBindBuffer(kArrayBuffer, b.key);
        int32_t size = 0, usage = 0;
        gl.glGetBufferParameteriv(kArrayBuffer, 0x8764, &size);
        gl.glGetBufferParameteriv(kArrayBuffer, 0x8765, &usage);
        EXPECT_EQ(uint32_t(size), b.record.size) << "buffer " << b.key;
        EXPECT_EQ(uint32_t(usage), b.record.usage) << "buffer " << b.key;
    }
    gl.glBindBuffer(kArrayBuffer, s.arrayBufferBinding);
    gl.glGetError();

    // Last, as it empties them: every entry of the matrix stacks, read from the top down through
    // pops.
    auto stack = [&](uint32_t mode, uint32_t pname, int index, const std::string& what) {
        gl.glMatrixMode(mode);
        const SEs1MatrixStack& tracked = s.matrixStacks[index];
        std::vector<SEs1Matrix> entries = tracked.below;
        entries.push_back(tracked.top);
        ASSERT_EQ(entries.size(), s.matrixStackDepth[index]) << what;
        for (size_t e = entries.size(); e-- > 0;) {
            EXPECT_EQ(XQF_FLOATS(pname, 16), V(entries[e].data(), 16)) << what << " entry " << e;
            gl.glPopMatrix();
        }
        gl.glGetError();
    };
    stack(0x1700, 0x0BA6, 0, "model-view");  // GL_MODELVIEW_MATRIX
    stack(0x1701, 0x0BA7, 1, "projection");  // GL_PROJECTION_MATRIX
    for (int u = 0; u < kUnits; ++u) {
        gl.glActiveTexture(kTex0 + uint32_t(u));
        stack(0x1702, 0x0BA8, int(2 + s.paletteStackBase) + u, "texture " + std::to_string(u));
    }
}

#undef XQF_INT
#undef XQF_FLOATS

TEST(Es1Differential, TrackedStateMatchesMesa)
{
    CGlesContext& context = CGlesContext::Instance(1);
    if (!context.Available())
        GTEST_SKIP() << context.Reason();
    SGl gl;
    std::string missing;
    ASSERT_TRUE(gl.Load(context, missing)) << "no " << missing << " in the ES 1.1 library";
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE("sequence " + std::to_string(seed));
        ASSERT_TRUE(context.FreshContext()); // GL's initial state, as a new tracked state has
        CSequence sequence(gl, seed);
        sequence.Run(300, es2test::TempPath("sequence.xqft"));
        sequence.Compare();
    }
}

} // namespace
