// The ES 1.1 page of the state tree, through its row table and without widgets, on traces written
// call by call: the default page, what each kind of change marks red (and what it must not mark),
// a float that is NaN, 32 units in use; and `xqft-dump state-page` on a trace of both APIs (the
// ES 1.1 page keeps only its own groups) and on one of EGL calls only.
#include "CallQueries.h"
#include "Es1StateCalls.h"
#include "Es1StateRows.h"
#include "StateAtCall.h"
#include "StatePageSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include "TestPaths.h"

using namespace statepage;
using es1calls::W;
using es1calls::F;

namespace {

const es2test::SCall kClear = W(CallIdOf(ECallFamily::Es1, "glClear"), {0x4000});

// The ES 1.1 page shown for call `now` after the page of call `before` (0: frame 1's start).
std::string Page(CTraceData& trace, int now, int before = 0)
{
    SEs1State shown, previous;
    EXPECT_TRUE(Es1StateShownAt(trace, now, shown)) << now;
    EXPECT_TRUE(before ? Es1StateShownAt(trace, before, previous) : trace.GetFrameEs1State(1, &previous));
    return DumpStatePage(BuildEs1Page(shown, previous));
}

std::vector<std::string> Headers(const std::string& page)
{
    std::vector<std::string> out;
    for (size_t at = 0; at < page.size(); at = page.find('\n', at) + 1)
        if (page[at] != ' ')
            out.push_back(page.substr(at, page.find('\n', at) - at));
    return out;
}

TEST(Es1StatePage, DefaultPageHasOneUnitAndNothingMarked)
{
    CTraceData& trace = Load({kClear, es2test::SwapBuffers()});
    const std::string page = Page(trace, 1);
    EXPECT_TRUE(Marked(page).empty()) << page;
    EXPECT_EQ(Headers(page), (std::vector<std::string>{"Bind", "Enabled", "Hints", "TexEnv", "Blend", "Stencil",
                                                        "Lights", "Fog", "Misc", "ClipPlanes", "Matrices"}));
    EXPECT_EQ(Group(page, "Matrices"), "  Viewport: { X:0 Y:0 W:0 H:0 }\n"
                                       "  Matrix Mode: GL_MODELVIEW\n"
                                       "  GL_MODELVIEW (1): 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n"
                                       "  GL_PROJECTION (1): 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n"
                                       "  GL_TEXTURE0 (1): 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n"
                                       "  GL_MATRIX_PALETTE_OES 0 (1): 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n");
    EXPECT_EQ(Group(page, "Bind"), "  VAO : 0\n"
                                   "  FBO : 0\n"
                                   "  RBO : 0\n"
                                   "  Buffer(Array) : 0\n"
                                   "  TEXTURE0: GL_NONE (GL_FALSE)\n"
                                   "  Active Texture: GL_TEXTURE0\n");
    EXPECT_EQ(Group(page, "Enabled"), "");
    EXPECT_EQ(Group(page, "Blend"), "");
    EXPECT_EQ(Group(page, "Fog"), "  Fog Color: 0.000000,0.000000,0.000000,0.000000\n"
                                  "  GL_FOG_END 1.000000\n"
                                  "  GL_FOG_START 0.000000\n"
                                  "  GL_FOG_DENSITY 1.000000\n"
                                  "  GL_FOG_MODE 2048.000000\n");
    const std::string planes = Group(page, "ClipPlanes");
    EXPECT_TRUE(planes.starts_with("  5# 0.000000,0.000000,0.000000,0.000000\n  4# ")) << planes;
    EXPECT_TRUE(planes.ends_with("  0# 0.000000,0.000000,0.000000,0.000000\n  Clip Plane: GL_NONE\n")) << planes;
    const std::string texEnv = Group(page, "TexEnv");
    EXPECT_TRUE(texEnv.starts_with("  GL_TEXTURE_ENV_COLOR: 0.000000,0.000000,0.000000,0.000000\n"
                                   "  GL_ALPHA_SCALE: GL_NONE\n  GL_RGB_SCALE: GL_NONE\n"
                                   "  GL_OPERAND2_ALPHA: GL_NONE\n")) << texEnv;
    EXPECT_TRUE(texEnv.ends_with("  GL_TEXTURE_ENV_MODE: GL_NONE\n  GL_TEXTURE_ENV\n  GL_COORD_REPLACE_OES: GL_NONE\n"
                                 "  TEXTURE0\n")) << texEnv;
    const std::string lights = Group(page, "Lights");
    EXPECT_TRUE(lights.starts_with("  GL_LIGHT_0\n    GL_QUADRATIC_ATTENUATION 0.000000\n")) << lights;
    EXPECT_NE(lights.find("    GL_SPOT_CUTOFF 180.000000\n"), std::string::npos);
    EXPECT_NE(lights.find("  GL_LIGHT_7\n"), std::string::npos);
}

TEST(Es1StatePage, ChangesMarkTheirRowAndHeaderAndNothingElse)
{
    // 1 clear, 2 enable GL_ALPHA_TEST, 3 fog hint, 4 fog density, 5 plane 2, 6 depth function, 7 spot
    // cutoff of light 3, 8 a NaN fog density, 9 clear, 10 an OES framebuffer bound on this ES 1.1
    // context (selector 1), 11 clear.
    CTraceData& trace = Load(
        {kClear,
         W(CallIdOf(ECallFamily::Es1, "glEnable"), {0x0BC0}),
         W(CallIdOf(ECallFamily::Es1, "glHint"), {0x0C54, 0x1102}),
         W(CallIdOf(ECallFamily::Es1, "glFogf"), {0x0B62, F(0.25f)}),
         {CallIdOf(ECallFamily::Es1, "glClipPlanef"), es2test::SPayload().U32(0x3002).Ptr(0x10).F(1).F(2).F(3).F(4)},
         W(CallIdOf(ECallFamily::Es1, "glDepthFunc"), {0x0203}),
         W(CallIdOf(ECallFamily::Es1, "glLightf"), {0x4003, 0x1206, F(45)}),
         W(CallIdOf(ECallFamily::Es1, "glFogf"), {0x0B62, 0x7FC00000}),
         kClear,
         W(CallIdOf(ECallFamily::Ext, "glBindFramebufferOES"), {1, 0x8D40, 5}),
         kClear,
         es2test::SwapBuffers()});
    struct SCase
    {
        const char* what;
        int now, before;
        std::vector<std::string> marked;
    } cases[] = {
        {"GL_ALPHA_TEST enabled", 2, 1, {"Enabled", "GL_ALPHA_TEST"}},
        {"the fog hint", 3, 2, {"Hints", "GL_FOG_HINT GL_NICEST"}},
        {"a fog density: the four parameter rows, not the colour",
         4, 3, {"Fog", "GL_FOG_END 1.000000", "GL_FOG_START 0.000000", "GL_FOG_DENSITY 0.250000", "GL_FOG_MODE 2048.000000"}},
        {"plane 2", 5, 4, {"ClipPlanes", "2# 1.000000,2.000000,3.000000,4.000000", "Clip Plane: GL_CLIP_PLANE2"}},
        {"the depth function marks Misc and not Stencil", 6, 5, {"Misc", "Depth Func: GL_LEQUAL"}},
        {"a light parameter marks Lights and its row, not the light's item", 7, 6, {"Lights", "GL_SPOT_CUTOFF 45.000000"}},
        {"the same call twice marks nothing", 7, 7, {}},
        {"a NaN fog density is red at every refill", 9, 9,
         {"Fog", "GL_FOG_END 1.000000", "GL_FOG_START 0.000000", "GL_FOG_DENSITY nan", "GL_FOG_MODE 2048.000000"}},
        {"an extension call made on ES 1.1 reaches the ES 1.1 page (the NaN stays red)", 10, 9,
         {"Bind", "FBO : 5", "Fog", "GL_FOG_END 1.000000", "GL_FOG_START 0.000000", "GL_FOG_DENSITY nan",
          "GL_FOG_MODE 2048.000000"}},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(Marked(Page(trace, c.now, c.before)), c.marked) << c.what;

    // 1 clear, 2 a translation in fixed point, 3 a push, 4 the viewport.
    CTraceData& matrices = Load({kClear, W(CallIdOf(ECallFamily::Es1, "glTranslatex"), {0x10000, 0x20000, 0x8000}),
                                 W(CallIdOf(ECallFamily::Es1, "glPushMatrix"), {}),
                                 W(CallIdOf(ECallFamily::Es1, "glViewport"), {1, 2, 30, 40}), es2test::SwapBuffers()});
    const SCase matrixCases[] = {
        {"a translation marks the model-view's top", 2, 1, {"Matrices", "GL_MODELVIEW (1): 1,0,0,0,0,1,0,0,0,0,1,0,1,2,0.5,1"}},
        {"a push marks its stack's depth", 3, 2, {"Matrices", "GL_MODELVIEW (2): 1,0,0,0,0,1,0,0,0,0,1,0,1,2,0.5,1"}},
        {"the viewport", 4, 3, {"Matrices", "Viewport: { X:1 Y:2 W:30 H:40 }"}},
    };
    for (const SCase& c : matrixCases)
        EXPECT_EQ(Marked(Page(matrices, c.now, c.before)), c.marked) << c.what;
}

TEST(Es1StatePage, ThirtyTwoUnitsInUseGiveThirtyTwoBlocks)
{
    CTraceData& trace =
        Load({W(CallIdOf(ECallFamily::Es1, "glActiveTexture"), {0x84C0 + 31}), kClear, es2test::SwapBuffers()});
    const std::string page = Page(trace, 2);
    const std::string texEnv = Group(page, "TexEnv"), bind = Group(page, "Bind");
    size_t blocks = 0, units = 0;
    for (size_t at = 0; (at = texEnv.find("  GL_TEXTURE_ENV\n", at)) != std::string::npos; ++at)
        ++blocks;
    for (size_t at = 0; (at = bind.find("  TEXTURE", at)) != std::string::npos; ++at)
        ++units;
    EXPECT_EQ(blocks, 32u);
    EXPECT_EQ(units, 32u);
    EXPECT_EQ(bind.find("  TEXTURE31: GL_NONE (GL_FALSE)\n"), bind.find("  TEXTURE"));
}

std::string DumpPage(const std::string& path, int call)
{
    return es2test::CommandOutput(BinaryDir() + "/bin/xqft-dump state-page " + path + " --call " +
                                  std::to_string(call) + " 2>/dev/null");
}

TEST(Es1StatePage, BesideEs2TheEs1PageKeepsItsOwnGroups)
{
    const std::string both = es2test::TempPath("both.xqft");
    es2test::WriteCalls(both, {kClear, W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}), es2test::SwapBuffers()});
    EXPECT_EQ(Headers(DumpPage(both, 2)),
              (std::vector<std::string>{"TexEnv", "Lights", "Fog", "ClipPlanes", "Matrices", "Bind", "Enabled", "Hints", "Program",
                                        "Blend", "Misc", "Stencil"}));
    const std::string egl = es2test::TempPath("egl.xqft");
    es2test::WriteCalls(egl, {es2test::SwapBuffers(), es2test::SwapBuffers(2)});
    EXPECT_EQ(DumpPage(egl, 1), "");
}

} // namespace
