// Restoring ES 1.1 state on the host over a wrapped ES 1.1 table on an ES 1.1 context: snapshots
// written field by field, restored over nothing or over what an earlier restore left; the exact host
// calls are checked, and after every restore the host reports no error.
#include "EglTestSupport.h"
#include "Es1TestHost.h"
#include "HostSpy.h"
#include "Playback.h"
#include "RunCommand.h"

#include "analysis/AnalysisPlayback.h"
#include "data/TraceReader.h"
#include "es1/Es1Restore.h"
#include "probe/StateProbe.h"
#include "host/HostContext.h"
#include "maps/NameMaps.h"
#include "state/PixelSize.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <gtest/gtest.h>

#include "KeptPixels.h"

#include <cstring>
#include <string>
#include <vector>
#include "TestPaths.h"

namespace {

SharedBytes Filled(size_t n, uint8_t value)
{
    auto block = AllocateBytes(n);
    std::memset(block.get(), value, n);
    return block;
}

STexImage Level(uint32_t texture, int32_t level, int32_t w, int32_t h, SharedBytes data, uint32_t format = GL_RGBA,
                   int32_t alignment = 4)
{
    STexImage i;
    i.texture = texture;
    i.level = level;
    i.format = i.internalFormat = format;
    i.width = w;
    i.height = h;
    i.type = GL_UNSIGNED_BYTE;
    i.unpackAlignment = alignment;
    i.size = uint32_t(GetImageSize(format, GL_UNSIGNED_BYTE, w, h, alignment, 0));
    i.capturedSize = data ? i.size : 0;
    i.data = std::move(data);
    return i;
}

SEs1Buffer Buffer(uint32_t name, uint32_t target, uint32_t size, uint32_t captured)
{
    SEs1Buffer b;
    b.name = name;
    b.target = target;
    b.size = size;
    b.capturedSize = captured;
    b.data = captured ? Filled(captured, 7) : nullptr;
    b.usage = GL_STATIC_DRAW;
    return b;
}

// What glGetString answers for GL_EXTENSIONS while a test says so.
const char* g_extensions = nullptr;
const GLubyte* (*g_hostGetString)(GLenum) = nullptr;
const GLubyte* FakeGetString(GLenum name)
{
    if (name == GL_EXTENSIONS && g_extensions)
        return reinterpret_cast<const GLubyte*>(g_extensions);
    return g_hostGetString(name);
}
GLint g_maxLights = 0;
void (*g_hostGetIntegerv)(GLenum, GLint*) = nullptr;
void FakeGetIntegerv(GLenum pname, GLint* v)
{
    g_hostGetIntegerv(pname, v);
    if (pname == GL_MAX_LIGHTS && g_maxLights)
        *v = g_maxLights;
}

class Es1Restore : public testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string why = es1host::UseEs1Context(gl); !why.empty())
            GTEST_SKIP() << why;
        ResetNameMaps();
        while (XQF_HOST(*gl, glGetError)() != GL_NO_ERROR) {
        }
        g_hostGetString = XQF_HOST(*gl, glGetString);
        g_hostGetIntegerv = XQF_HOST(*gl, glGetIntegerv);
        g_extensions = nullptr;
        g_maxLights = 0;
    }

    // Restores the snapshot over `current` (null: nothing on the host yet) with the host calls
    // spied; the host then reports no error.
    void Restore(SEs1State snapshot, SEs1State* current)
    {
        spy = std::make_unique<CHostSpy>();
        Wrap();
        RestoreEs1State(snapshot, 2, current);
        restored = snapshot;
        EXPECT_EQ(XQF_HOST(*gl, glGetError)(), GLenum(GL_NO_ERROR));
    }
    void Wrap()
    {
        CHostSpy& s = *spy;
        XQF_SPY(s, *gl, glActiveTexture);
        XQF_SPY(s, *gl, glBindBuffer);
        XQF_SPY(s, *gl, glBindTexture);
        XQF_SPY(s, *gl, glBufferData);
        XQF_SPY(s, *gl, glClipPlanef);
        XQF_SPY(s, *gl, glCompressedTexImage2D);
        XQF_SPY(s, *gl, glDisable);
        XQF_SPY(s, *gl, glEnable);
        XQF_SPY(s, *gl, glGetIntegerv, &FakeGetIntegerv);
        XQF_SPY(s, *gl, glGetString, &FakeGetString);
        XQF_SPY(s, *gl, glLightfv);
        XQF_SPY(s, *gl, glLoadIdentity);
        XQF_SPY(s, *gl, glLoadMatrixf);
        XQF_SPY(s, *gl, glMatrixMode);
        XQF_SPY(s, *gl, glMultiTexCoord4f);
        XQF_SPY(s, *gl, glPixelStorei);
        XQF_SPY(s, *gl, glTexImage2D);
        XQF_SPY(s, *gl, glTexParameteri);
    }
    // The host calls of the given functions in order; a parameter call with its parameter name.
    std::vector<std::string> Sequence(std::initializer_list<const char*> only) const
    {
        std::vector<std::string> out;
        for (const SHostCall& c : spy->calls)
            for (const char* name : only)
                if (c.name == name) {
                    // Appended in steps: g++ 12 at -O3 warns (-Wrestrict) on the one-expression form.
                    std::string entry = c.name;
                    if (c.name == "glTexParameteri") {
                        entry += ':';
                        entry += std::to_string(c.args[1]);
                    }
                    out.push_back(std::move(entry));
                }
        return out;
    }
    GLint HostInt(GLenum pname)
    {
        GLint v[4] = {};
        XQF_HOST(*gl, glGetIntegerv)(pname, v);
        return v[0];
    }

    SEs1Host* gl = nullptr;
    std::unique_ptr<CHostSpy> spy;
    SEs1State restored;
};

TEST_F(Es1Restore, TheSecondRestoreUploadsNoTextureButEveryBufferAgain)
{
    SEs1State s;
    s.textures[3][0] = Level(3, 0, 2, 2, Filled(16, 1));
    s.textures[4][0] = Level(4, 0, 1, 1, Filled(4, 2));
    s.buffers[5] = Buffer(5, GL_ARRAY_BUFFER, 64, 64);
    s.buffers[6] = Buffer(6, GL_ELEMENT_ARRAY_BUFFER, 0, 0);  // a buffer of size 0
    s.arrayBufferBinding = 9;                                 // never given data
    Restore(s, nullptr);
    EXPECT_EQ(spy->Count("glTexImage2D"), 2);
    EXPECT_EQ(spy->Count("glBufferData"), 2);
    SEs1State held = s;
    Restore(s, &held);
    EXPECT_EQ(spy->Count("glTexImage2D"), 0);
    EXPECT_EQ(spy->Count("glBufferData"), 2);
    EXPECT_EQ(spy->Count("glTexParameteri"), 10) << "the parameters of held textures are sent all the same";
    for (uint32_t name : {5u, 6u, 9u})
        EXPECT_EQ(Es1BufferNameMap::Get(name), name) << "restored buffers keep their names for later calls";
    EXPECT_EQ(HostInt(GL_ARRAY_BUFFER_BINDING), 9);
}

TEST_F(Es1Restore, LevelZeroGetsGenerateMipmapBeforeItsUploadAndItsParametersAfter)
{
    SEs1State s;
    STexImage level0 = Level(3, 0, 2, 2, Filled(16, 1));
    level0.minFilter = GL_LINEAR;
    level0.wrapS = GL_CLAMP_TO_EDGE;
    level0.generateMipmap = 1;
    s.textures[3][0] = level0;
    s.textures[3][1] = Level(3, 1, 1, 1, Filled(4, 1));
    Restore(s, nullptr);
    const std::vector<std::string> expected = {
        "glTexParameteri:" + std::to_string(GL_GENERATE_MIPMAP), "glTexImage2D",
        "glTexParameteri:" + std::to_string(GL_TEXTURE_MIN_FILTER), "glTexParameteri:" + std::to_string(GL_TEXTURE_MAG_FILTER),
        "glTexParameteri:" + std::to_string(GL_TEXTURE_WRAP_S), "glTexParameteri:" + std::to_string(GL_TEXTURE_WRAP_T),
        "glTexParameteri:" + std::to_string(GL_GENERATE_MIPMAP), "glTexImage2D"};
    EXPECT_EQ(Sequence({"glTexParameteri", "glTexImage2D"}), expected);
    const std::vector<SHostCall> p = spy->Of("glTexParameteri");
    EXPECT_EQ(p[0].args[2], 1u) << "the tracked generate-mipmap value";
    EXPECT_EQ(p[1].args[2], uint64_t(GL_LINEAR));
    EXPECT_EQ(p[3].args[2], uint64_t(GL_CLAMP_TO_EDGE));
    XQF_HOST(*gl, glBindTexture)(GL_TEXTURE_2D, 3);
    GLint min = 0;
    XQF_HOST(*gl, glGetTexParameteriv)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    EXPECT_EQ(min, GL_LINEAR);
}

// Bad snapshots: the restore sends nothing the host refuses (the fixture checks its error), nor a
// size the host would choke on, nor pads a buffer to gigabytes; each refusal has its error line.
TEST_F(Es1Restore, ShortLevelsAndBuffersArePaddedOrSkipped)
{
    SEs1State s;
    // An odd-width RGB image recorded under alignment 1 with 10 of its 15 bytes, under a snapshot
    // alignment of 8.
    STexImage rgb = Level(3, 0, 5, 1, Filled(10, 0xAB), GL_RGB, 1);
    rgb.capturedSize = 10;
    s.textures[3][0] = rgb;
    STexImage compressed = Level(4, 0, 4, 4, Filled(4, 1), GL_ETC1_RGB8_OES);
    compressed.compressed = 1;
    compressed.size = 8;
    compressed.capturedSize = 4;
    s.textures[4][0] = compressed;
    STexImage parametersOnly;
    parametersOnly.texture = 7;
    parametersOnly.magFilter = GL_NEAREST;
    s.textures[7][0] = parametersOnly;
    s.buffers[5] = Buffer(5, GL_ARRAY_BUFFER, 64, 3);
    s.buffers[8] = Buffer(8, 0, 0, 0);  // only ever written into
    s.buffers[9] = Buffer(9, GL_ARRAY_BUFFER, 0x7FFFFFFF, 16);
    s.textures[10][0] = Level(10, 0, 0x7FFFFFFF, 2, Filled(16, 1));
    s.unpackAlignment = 8;
    XQF_HOST(*gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, 2);
    CKeptPixels kept;
    CHostSpy keep;
    kept.Keep(keep, *gl, 15);
    testing::internal::CaptureStderr();
    Restore(s, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ERROR: Restore of glBufferData: buffer 9 has 2147483647 bytes of which the trace holds 16"),
              std::string::npos) << err;
    EXPECT_NE(err.find("ERROR: Restore of glTexImage2D: an image of 2147483647 x 2 is above"), std::string::npos)
        << err;
    EXPECT_EQ(kept.alignment, 1);
    ASSERT_EQ(kept.pixels.size(), 15u);
    EXPECT_EQ(std::vector<uint8_t>(kept.pixels.begin() + 10, kept.pixels.end()), std::vector<uint8_t>(5, 0)) << "zeros";
    EXPECT_EQ(HostInt(GL_UNPACK_ALIGNMENT), 8) << "the frame's alignment, not the one the host had";
    EXPECT_EQ(spy->Count("glTexImage2D"), 1) << "a level of parameters only is not uploaded";
    EXPECT_EQ(spy->Count("glCompressedTexImage2D"), 0);
    EXPECT_EQ(spy->Count("glBufferData"), 1);
    GLint mag = 0;
    XQF_HOST(*gl, glBindTexture)(GL_TEXTURE_2D, 7);
    XQF_HOST(*gl, glGetTexParameteriv)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_NEAREST);
}

TEST_F(Es1Restore, EightyLightCallsWhateverTheHostReports)
{
    for (GLint lights : {8, 16}) {
        g_maxLights = lights;
        Restore(SEs1State(), nullptr);
        EXPECT_EQ(spy->Count("glLightfv"), 80) << lights;
    }
}

TEST_F(Es1Restore, UnitsEndOnTheSnapshotsActiveUnitAndStopAtTheHostsCount)
{
    SEs1State s;
    s.textureUnitCount = 32;
    s.activeTexture = GL_TEXTURE1;
    s.texture2DBinding[1] = 4;
    s.texture2DEnabled[1] = 1;
    Restore(s, nullptr);
    const GLint units = HostInt(GL_MAX_TEXTURE_UNITS);
    EXPECT_EQ(spy->Count("glMultiTexCoord4f"), std::min(units, 32));
    EXPECT_EQ(spy->Of("glActiveTexture").back().args[0], uint64_t(GL_TEXTURE1));
    EXPECT_EQ(HostInt(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_EQ(HostInt(GL_TEXTURE_BINDING_2D), 4);
}

TEST_F(Es1Restore, TheMatrixPaletteIsSwitchedOnlyOnAHostThatListsIt)
{
    SEs1State s;
    s.capabilities[34] = 1;
    Restore(s, nullptr);
    int palette = 0;
    for (const char* name : {"glEnable", "glDisable"})
        for (const SHostCall& c : spy->Of(name))
            palette += c.args[0] == GL_MATRIX_PALETTE_OES;
    EXPECT_EQ(palette, 0);
    EXPECT_EQ(spy->Count("glEnable") + spy->Count("glDisable"), 34 + 1) << "34 capabilities and one unit";

    g_extensions = "GL_OES_point_sprite GL_OES_matrix_palette";
    SEs1State snapshot = s;
    spy = std::make_unique<CHostSpy>();
    Wrap();
    RestoreEs1State(snapshot, 2, nullptr);
    while (XQF_HOST(*gl, glGetError)() != GL_NO_ERROR) {  // Mesa refuses the capability
    }
    ASSERT_EQ(spy->Of("glEnable").back().args[0], uint64_t(GL_MATRIX_PALETTE_OES));
}

SEs1Matrix Translation(float x, float y, float z)
{
    SEs1Matrix m = kEs1Identity;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// Clip planes and lights are sent under an identity model-view; the snapshot's model-view and
// matrix mode are what the host has after.
TEST_F(Es1Restore, PlanesAndLightsAreSentInEyeCoordinatesAndTheMatricesFollow)
{
    XQF_HOST(*gl, glMatrixMode)(GL_MODELVIEW);
    XQF_HOST(*gl, glLoadIdentity)();
    XQF_HOST(*gl, glTranslatef)(7, 0, 0);
    SEs1State s;
    s.matrixStacks[0].top = Translation(5, 0, 0);
    s.matrixMode = GL_PROJECTION;
    s.clipPlaneEquations[0][0] = 1;
    s.clipPlaneEquations[0][3] = 2;
    s.lights[0][3][0] = 1;  // position (1, 0, 0, 1)
    s.lights[0][3][2] = 0;
    s.lights[0][3][3] = 1;
    Restore(s, nullptr);
    GLfloat plane[4] = {}, position[4] = {}, matrix[16] = {};
    XQF_HOST(*gl, glGetClipPlanef)(GL_CLIP_PLANE0, plane);
    XQF_HOST(*gl, glGetLightfv)(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(std::vector<float>(plane, plane + 4), (std::vector<float>{1, 0, 0, 2}));
    EXPECT_EQ(std::vector<float>(position, position + 4), (std::vector<float>{1, 0, 0, 1}));
    EXPECT_EQ(HostInt(GL_MATRIX_MODE), GL_PROJECTION);
    XQF_HOST(*gl, glGetFloatv)(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 5.0f);
    XQF_HOST(*gl, glMatrixMode)(GL_MODELVIEW);
    XQF_HOST(*gl, glLoadIdentity)();
}

// Every entry of every stack, over a host whose stacks are deeper than the snapshot's or hold
// other matrices, restored twice (the second over the first); the viewport too, and one the trace
// never set is left as the host has it.
TEST_F(Es1Restore, EveryStackEntryAndTheViewportAreRestored)
{
    XQF_HOST(*gl, glMatrixMode)(GL_MODELVIEW);
    for (int i = 0; i < 3; ++i)
        XQF_HOST(*gl, glPushMatrix)();
    XQF_HOST(*gl, glTranslatef)(9, 9, 9);
    SEs1State s;
    s.textureUnitCount = 2;
    s.matrixStackDepth[0] = 3;
    s.matrixStacks[0].below = {Translation(1, 0, 0), Translation(2, 0, 0)};
    s.matrixStacks[0].top = Translation(3, 0, 0);
    s.matrixStackDepth[1] = 2;
    s.matrixStacks[1].below = {Translation(0, 4, 0)};
    s.matrixStacks[1].top = Translation(0, 5, 0);
    const uint32_t unit1 = 2 + s.paletteStackBase + 1;
    s.matrixStackDepth[unit1] = 2;
    s.matrixStacks[unit1].below = {Translation(0, 0, 6)};
    s.matrixStacks[unit1].top = Translation(0, 0, 7);
    s.matrixMode = GL_TEXTURE;
    s.activeTexture = GL_TEXTURE1;
    s.viewport[0] = 3, s.viewport[1] = 4, s.viewport[2] = 20, s.viewport[3] = 10;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass ? "over the first restore" : "over the host's own stacks");
        Restore(s, pass ? &restored : nullptr);
        EXPECT_EQ(HostInt(GL_MATRIX_MODE), GL_TEXTURE);
        EXPECT_EQ(HostInt(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
        GLint viewport[4] = {};
        XQF_HOST(*gl, glGetIntegerv)(GL_VIEWPORT, viewport);
        EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 4, 20, 10}));
        EXPECT_EQ(HostInt(GL_MODELVIEW_STACK_DEPTH), 3);
        EXPECT_EQ(HostInt(GL_PROJECTION_STACK_DEPTH), 2);
        EXPECT_EQ(HostInt(GL_TEXTURE_STACK_DEPTH), 2);
        XQF_HOST(*gl, glActiveTexture)(GL_TEXTURE0);
        EXPECT_EQ(HostInt(GL_TEXTURE_STACK_DEPTH), 1);
        XQF_HOST(*gl, glActiveTexture)(GL_TEXTURE1);
    }
    // The entries from the top down, each stack popped to its bottom (a stack the host held deeper
    // would be left above it).
    struct SStack
    {
        GLenum mode, matrix;
        std::vector<float> expected;  // the translation column's x, y or z of each entry, top first
        int axis;
    } stacks[] = {{GL_MODELVIEW, GL_MODELVIEW_MATRIX, {3, 2, 1}, 0},
                  {GL_PROJECTION, GL_PROJECTION_MATRIX, {5, 4}, 1},
                  {GL_TEXTURE, GL_TEXTURE_MATRIX, {7, 6}, 2}};
    for (const SStack& stack : stacks) {
        XQF_HOST(*gl, glMatrixMode)(stack.mode);
        std::vector<float> got;
        for (size_t e = 0; e < stack.expected.size(); ++e) {
            GLfloat m[16] = {};
            XQF_HOST(*gl, glGetFloatv)(stack.matrix, m);
            got.push_back(m[12 + stack.axis]);
            if (e + 1 < stack.expected.size())
                XQF_HOST(*gl, glPopMatrix)();
        }
        EXPECT_EQ(got, stack.expected) << std::hex << stack.mode;
        EXPECT_EQ(XQF_HOST(*gl, glGetError)(), GLenum(GL_NO_ERROR)) << "an entry too many";
    }
    XQF_HOST(*gl, glActiveTexture)(GL_TEXTURE0);
    XQF_HOST(*gl, glMatrixMode)(GL_MODELVIEW);

    // A snapshot without a viewport keeps the host's.
    XQF_HOST(*gl, glViewport)(1, 2, 30, 40);
    Restore(SEs1State(), nullptr);
    GLint viewport[4] = {};
    XQF_HOST(*gl, glGetIntegerv)(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 30, 40}));
}

// The client-array switches follow the snapshot, whatever the host played before; texture
// coordinate arrays, whose switches are not tracked, end off.
TEST_F(Es1Restore, ClientArraySwitchesFollowTheSnapshot)
{
    XQF_HOST(*gl, glEnableClientState)(GL_COLOR_ARRAY);
    XQF_HOST(*gl, glClientActiveTexture)(GL_TEXTURE1);
    XQF_HOST(*gl, glEnableClientState)(GL_TEXTURE_COORD_ARRAY);
    SEs1State s;
    s.textureUnitCount = 2;
    s.vertexArrays[0].enabled[2] = 1;  // GL_VERTEX_ARRAY
    Restore(s, nullptr);
    EXPECT_TRUE(XQF_HOST(*gl, glIsEnabled)(GL_VERTEX_ARRAY));
    EXPECT_FALSE(XQF_HOST(*gl, glIsEnabled)(GL_COLOR_ARRAY));
    EXPECT_EQ(HostInt(GL_CLIENT_ACTIVE_TEXTURE), GL_TEXTURE0);
    XQF_HOST(*gl, glClientActiveTexture)(GL_TEXTURE1);
    EXPECT_FALSE(XQF_HOST(*gl, glIsEnabled)(GL_TEXTURE_COORD_ARRAY));
    XQF_HOST(*gl, glClientActiveTexture)(GL_TEXTURE0);
    XQF_HOST(*gl, glDisableClientState)(GL_VERTEX_ARRAY);
}

void* HostProc(const char* name)
{
    return reinterpret_cast<void*>(XQF_HOST(*SEglHost::Instance(), eglGetProcAddress)(name));
}

// Frame navigation on an ES 1.1 trace: the analysis context restores the frame over what it holds,
// so moving to the same frame again uploads no texture, sends every buffer again, and leaves the
// host in the same state with no error.
TEST_F(Es1Restore, AnalysingAFrameAgainUploadsNoTextureAndGivesTheSameState)
{
    const std::string dir = TestTemp("es1-scenes");
    ASSERT_EQ(RunCommand("mkdir -p '" + dir + "'").status, 0);
    const std::string log = dir + "/es1-multi.log", trace = dir + "/es1-multi.xqft";
    ASSERT_EQ(RunCommand(BinaryDir() + "/bin/xqft-record --scene es1-multi --out '" + dir + "'").status, 0);
    ASSERT_EQ(RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + log + "' '" + trace + "'").status,
              0);
    ASSERT_EQ(CTraceReader::Instance().LoadTrace(CXQFTString(trace.c_str()), 1), 0);
    egltest::ResetEglMaps();
    CAnalysisPlayback a;
    a.BindTrace(CTraceReader::Instance().GetTraceData());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(a.GoToFrame(3, 0, 0));
    a.SetRange(1, 0, 1);
    const std::string first = ProbeEs1State(gl->entries, &HostProc);
    CHostSpy counted;
    XQF_SPY(counted, *gl, glTexImage2D);
    XQF_SPY(counted, *gl, glBufferData);
    ASSERT_TRUE(a.GoToFrame(3, 0, 0));
    a.SetRange(1, 0, 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(counted.Count("glTexImage2D"), 0);
    EXPECT_EQ(counted.Count("glBufferData"), int(a.m_es1.buffers.Count()));
    EXPECT_GT(counted.Count("glBufferData"), 0);
    const std::string again = ProbeEs1State(gl->entries, &HostProc);
    EXPECT_EQ(again, first);
    EXPECT_NE(first.find("state error=0x0\n"), std::string::npos);
    CTraceReader::Instance().Close();
    RunCommand("rm -rf '" + dir + "'");
}

// A host offering vertex-array objects on ES 1.1 (Mesa does not: these stand in for its entry
// points): names are handed out from 40 on, each call is logged.
std::vector<std::string> g_vertexArrayCalls;
GLuint g_nextVertexArray = 40;
void FakeGenVertexArrays(GLsizei n, GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i)
        names[i] = g_nextVertexArray++;
    g_vertexArrayCalls.push_back("gen");
}
void FakeBindVertexArray(GLuint name) { g_vertexArrayCalls.push_back("bind " + std::to_string(name)); }

// Each object other than the default one is made once, bound and given its buffer-backed arrays,
// switches and element buffer; the snapshot's binding goes through the player's names. Without the
// entry points nothing is sent.
TEST_F(Es1Restore, VertexArrayObjectsAreMadeOnceAndFilled)
{
    SEs1State s;
    SEs1VertexArray& va = s.vertexArrays[5];
    va.vertex = {3, 2, GL_FLOAT, 0, 8};
    va.color = {0, 4, GL_FLOAT, 0, 0x1000};  // client memory: the player points it at each draw
    va.enabled[2] = 1;                       // GL_VERTEX_ARRAY
    va.elementArrayBuffer = 4;
    s.vertexArrayBinding = 5;
    s.arrayBufferBinding = 7;

    SEs1ExtensionState names;
    names.token = std::make_unique<uint8_t>(1);  // loaded: the fakes stay in place
    auto restoreArrays = [&] {
        spy = std::make_unique<CHostSpy>();
        Wrap();
        XQF_SPY(*spy, *gl, glVertexPointer);
        XQF_SPY(*spy, *gl, glColorPointer);
        XQF_SPY(*spy, *gl, glEnableClientState);
        XQF_SPY(*spy, *gl, glDisableClientState);
        g_vertexArrayCalls.clear();
        RestoreEs1VertexArrays(s, names);
    };
    const SHostExtensionSlots saved = gl->ext;
    gl->ext.glGenVertexArraysOES = gl->ext.glBindVertexArrayOES = nullptr;
    restoreArrays();
    EXPECT_TRUE(spy->calls.empty()) << "a host without the entry points";

    gl->ext.glGenVertexArraysOES = reinterpret_cast<void*>(&FakeGenVertexArrays);
    gl->ext.glBindVertexArrayOES = reinterpret_cast<void*>(&FakeBindVertexArray);
    g_nextVertexArray = 40;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        restoreArrays();
        using Names = std::vector<std::string>;
        EXPECT_EQ(g_vertexArrayCalls, pass == 0 ? Names({"gen", "bind 40", "bind 40"}) : Names({"bind 40", "bind 40"}));
        EXPECT_EQ(names.GetVertexArray(5), 40u);
        const std::vector<SHostCall> pointers = spy->Of("glVertexPointer");
        ASSERT_EQ(pointers.size(), 1u);
        EXPECT_EQ(pointers[0].args, (std::vector<uint64_t>{2, GL_FLOAT, 0, 8}));
        EXPECT_EQ(spy->Count("glColorPointer"), 0);
        EXPECT_EQ(spy->Of("glEnableClientState").size(), 1u);
        EXPECT_EQ(spy->Of("glEnableClientState")[0].args[0], uint64_t(GL_VERTEX_ARRAY));
        EXPECT_EQ(spy->Count("glDisableClientState"), 3) << "colour, normal, point size; no palette array";
        std::vector<std::pair<uint64_t, uint64_t>> binds;
        for (const SHostCall& c : spy->Of("glBindBuffer"))
            binds.emplace_back(c.args[0], c.args[1]);
        using Binds = std::vector<std::pair<uint64_t, uint64_t>>;
        EXPECT_EQ(binds, Binds({{GL_ARRAY_BUFFER, 3}, {GL_ELEMENT_ARRAY_BUFFER, 4}, {GL_ARRAY_BUFFER, 7}}));
    }
    gl->ext = saved;
    XQF_HOST(*gl, glDisableClientState)(GL_VERTEX_ARRAY);
    XQF_HOST(*gl, glBindBuffer)(GL_ARRAY_BUFFER, 0);
    XQF_HOST(*gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, 0);
    EXPECT_EQ(XQF_HOST(*gl, glGetError)(), GLenum(GL_NO_ERROR));
}

} // namespace
