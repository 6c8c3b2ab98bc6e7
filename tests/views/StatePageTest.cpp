// The ES 2.0 page of the state tree, through the row table and without widgets, on traces written
// call by call and loaded by the reader: the default page as a whole, and what each kind of change
// marks red (and what it must not mark).
#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "Es2StateRows.h"
#include "StateAtCall.h"
#include "StatePageSupport.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace es2test;
using namespace es2calls;
using namespace statepage;

namespace {

SCall Swap() { return SwapBuffers(); }

const uint32_t kBlend = 0x0BE2, kClearBit = 0x4000, kCubeMap = 0x8513;
SCall Clear() { return W(CallIdOf(ECallFamily::Es2, "glClear"), {kClearBit}); }

// The page shown for call `now` after the page of call `before` (0: frame 1's start).
std::string Page(CTraceData& trace, int now, int before = 0)
{
    SEs2State shown, previous;
    EXPECT_TRUE(Es2StateShownAt(trace, now, shown)) << now;
    EXPECT_TRUE(before ? Es2StateShownAt(trace, before, previous) : trace.GetFrameEs2State(1, &previous));
    return DumpStatePage(BuildEs2Page(shown, previous));
}

TEST(Es2StatePage, DefaultStateReadsAsTheInitialGlState)
{
    CTraceData& trace = Load({Clear(), Swap()});
    EXPECT_EQ(Page(trace, 1),
              "Bind\n"
              "  Buffer(Elements) : 0\n"
              "  VAO : 0\n"
              "  FBO : 0\n"
              "  Buffer(Array) : 0\n"
              "  Active Texture: GL_TEXTURE0\n"
              "Enabled\n"
              "  GL_DITHER\n"
              "Hints\n"
              "  GL_GENERATE_MIPMAP_HINT GL_DONT_CARE\n"
              "Program\n"
              "  Uniforms\n"
              "  Attribs\n"
              "  Fragment Shader: GL_NONE\n"
              "  Vertex Shader: GL_NONE\n"
              "  Linked: GL_FALSE\n"
              "  Program: GL_NONE\n"
              "  Delete Used Program: GL_FALSE\n"
              "  Shader Compiler Released: GL_TRUE\n"
              "Blend\n"
              "  Color Mask: GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE\n"
              "  Clear Depth: 1.000000\n"
              "  Clear Color: 0.0, 0.0, 0.0, 0.0\n"
              "  Blend Function Alpha: GL_ONE, GL_ZERO\n"
              "  Blend Funtion RGB: GL_ONE, GL_ZERO\n"
              "  Blend Equation RGB: GL_FUNC_ADD\n"
              "  Blend Equation Alpha: GL_FUNC_ADD\n"
              "  Blend Color: 0.0, 0.0, 0.0, 0.0\n"
              "Misc\n"
              "  VertexAttrib: NONE\n"
              "  Depth Range: 0.000000, 1.000000\n"
              "  Depth Mask: GL_TRUE\n"
              "  Depth Func: GL_LESS\n"
              "  Cull Face Mode: GL_BACK\n"
              "  Scissor: { X:0 Y:0 W:0 H:0 }\n"
              "  Sample Coverage Inv: GL_NONE\n"
              "  Sample Coverage: 1.000000\n"
              "  Polygon OffSet: 0.000000\n"
              "  Polygon OffSet Unit: 0.000000\n"
              "  Pixel UPack Align: 4\n"
              "  Pixel Pack Align: 4\n"
              "  Pixel UPack Row Length: 0\n"
              "  Pixel UPack Skip Rows: 0\n"
              "  Pixel UPack Skip Pixels: 0\n"
              "Stencil\n"
              "  Clear Stencil: 0\n"
              "  Stencil OpZ Pass: GL_KEEP GL_KEEP\n"
              "  Stencil OpZ Fail: GL_KEEP GL_KEEP\n"
              "  Stencil Op Fail: GL_KEEP GL_KEEP\n"
              "  Stencil Mask: 4294967295 4294967295\n"
              "  Stencil Func Mask: 0xffffffff 0xffffffff\n"
              "  Stencil Func Ref: 0x0 0x0\n"
              "  Stencil Func: 0x207 0x207\n");
}

TEST(Es2StatePage, ChangesMarkTheirRowAndHeaderAndNothingElse)
{
    // 1 clear, 2 enable blend, 3 clear, 4 disable blend, 5 unit 1, 6 cube 5 on unit 1, 7 cube 0,
    // 8 depth func, 9 clear colour, 10 both blend functions.
    CTraceData& trace = Load({Clear(), W(kEnable, {kBlend}), Clear(), W(kDisable, {kBlend}),
                              W(kActiveTexture, {kTex0 + 1}), W(kBindTexture, {kCubeMap, 5}),
                              W(kBindTexture, {kCubeMap, 0}), W(kDepthFunc, {0x0203}),
                              {kClearColor, SPayload().F(0.5f).F(0).F(0).F(1)}, W(kBlendFunc, {0x302, 0x303}),
                              Swap()});
    struct SCase {
        const char* what;
        int now, before;
        std::vector<std::string> marked;
    } cases[] = {
        {"enabling a capability: its row and the header", 2, 1, {"Enabled", "GL_BLEND"}},
        {"the same call twice: nothing", 2, 2, {}},
        {"no change between the calls: nothing", 3, 2, {}},
        {"disabling it: its row goes, the header stays black", 4, 3, {}},
        {"the active unit", 5, 4, {"Bind", "Active Texture: GL_TEXTURE1"}},
        {"a cube binding", 6, 5, {"Bind", "CUBETEXTURE1: 5"}},
        {"a binding back to 0: the header without a row", 7, 6, {"Bind"}},
        {"depth function: Misc only, Stencil stays black", 8, 7, {"Misc", "Depth Func: GL_LEQUAL"}},
        {"a 16-byte value", 9, 8, {"Blend", "Clear Color: 0.5, 0.0, 0.0, 1.0"}},
        {"two rows of one call", 10, 9,
         {"Blend", "Blend Function Alpha: GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA",
          "Blend Funtion RGB: GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string page = Page(trace, c.now, c.before);
        EXPECT_EQ(Marked(page), c.marked) << page;
    }
    EXPECT_EQ(Group(Page(trace, 4, 3), "Enabled"), "  GL_DITHER\n");
    EXPECT_EQ(Group(Page(trace, 2, 1), "Enabled"), "  GL_DITHER\n  *GL_BLEND\n");  // last capability first
}

TEST(Es2StatePage, BindRowsListUnitsFromTheLastDownWithCubeAboveTwoD)
{
    std::vector<SCall> calls;
    for (uint32_t u = 0; u < 32; ++u) {
        calls.push_back(W(kActiveTexture, {kTex0 + u}));
        calls.push_back(W(kBindTexture, {kTexture2D, 100 + u}));
    }
    calls.push_back(W(kBindTexture, {kCubeMap, 7}));
    calls.push_back(Swap());
    CTraceData& trace = Load(calls);
    const std::string bind = Group(Page(trace, int(calls.size()) - 1, int(calls.size()) - 2), "Bind");
    std::string expected = "  Buffer(Elements) : 0\n  VAO : 0\n  FBO : 0\n  Buffer(Array) : 0\n"
                           "  *CUBETEXTURE31: 7\n";
    for (int u = 31; u >= 0; --u)
        expected += "  2DTEXTURE" + std::to_string(u) + ": " + std::to_string(100 + u) + "\n";
    expected += "  Active Texture: GL_TEXTURE31\n";
    EXPECT_EQ(bind, expected);
}

TEST(Es2StatePage, ProgramRowsShowTheProgramItsShadersUniformsAndAttributes)
{
    const uint32_t vs = 1, fs = 2, program = 3;
    CTraceData& trace = Load({
        Ret(kCreateShader, vs, {0x8B31}), Ret(kCreateShader, fs, {0x8B30}),
        Ret(CallIdOf(ECallFamily::Es2, "glCreateProgram"), program, {}),
        W(kAttachShader, {program, vs}), W(kAttachShader, {program, fs}),
        {kBindAttribLocation, SPayload().U32(program).U32(4).String(0x10, "a_pos")},
        W(kLinkProgram, {program}), W(kUseProgram, {program}),
        {kGetUniformLocation, SPayload().U32(2).U32(program).String(0x10, "u_vec")},
        {kGetUniformLocation, SPayload().U32(5).U32(program).String(0x10, "u_mixed")},
        // Two vec3 (six values), then an integer after floats: the record keeps both.
        {kUniform3fv, SPayload().U32(2).U32(2).Ptr(0x10).U32(2).F(1).F(2).F(3).F(4).F(5).F(6)},
        {kUniform2f, SPayload().U32(5).F(1.5f).F(2.5f)}, W(kUniform1i, {5, 9}),
        {kVertexAttrib2fv, SPayload().U32(4).Ptr(0x10).F(0.5f).F(0.25f)},
        Swap(),
    });
    const std::string program_ = Group(Page(trace, 14, 13), "Program");
    EXPECT_EQ(program_, "  Uniforms\n"
                        "    u_mixed (5) { 1.500000 2.500000 9 }\n"
                        "    u_vec (2) { 1.000000 2.000000 3.000000 4.000000 5.000000 6.000000 }\n"
                        "  Attribs\n"
                        "    a_pos (4) { 0.500000 0.250000 }\n"
                        "  Fragment Shader: 2\n"
                        "  Vertex Shader: 1\n"
                        "  Linked: GL_TRUE\n"
                        "  Program: 3\n"
                        "  Delete Used Program: GL_FALSE\n"
                        "  Shader Compiler Released: GL_TRUE\n")
        << "(the attribute row is never marked: only the listed compared rows are)";
}

TEST(Es2StatePage, VertexAttribArraysAreNamedByIndexAndMarkedWhenSwitched)
{
    CTraceData& trace =
        Load({W(kEnableVertexAttribArray, {3}), W(kEnableVertexAttribArray, {0}),
              W(CallIdOf(ECallFamily::Es2, "glDisableVertexAttribArray"), {3}),
              Swap()});
    EXPECT_EQ(Group(Page(trace, 2, 1), "Misc").rfind(
                  "  *VertexAttrib: \n    (Attrib<3>: Enabled)\n    (Attrib<0>: Enabled)\n  Depth Range", 0),
              0u);
    EXPECT_EQ(Marked(Page(trace, 3, 2)), (std::vector<std::string>{"Misc", "VertexAttrib: "}));
    EXPECT_EQ(Marked(Page(trace, 3, 3)), std::vector<std::string>{});
}

// The switches shown are those of the bound vertex-array object (bound through the extension on
// this ES 2.0 context, selector 2): binding another object changes what the row lists.
TEST(Es2StatePage, VertexAttribArraysAreTheBoundVertexArrays)
{
    constexpr uint16_t kBindVertexArray = CallIdOf(ECallFamily::Ext, "glBindVertexArrayOES");
    CTraceData& trace = Load({W(kEnableVertexAttribArray, {0}), W(kBindVertexArray, {2, 5}),
                              W(kEnableVertexAttribArray, {1}), W(kBindVertexArray, {2, 0}), Swap()});
    const auto row = [&](int call) {
        const std::string misc = Group(Page(trace, call, 1), "Misc");
        return misc.substr(0, misc.find("  Depth Range"));
    };
    EXPECT_EQ(row(1), "  VertexAttrib: \n    (Attrib<0>: Enabled)\n");
    EXPECT_EQ(row(2), "  *VertexAttrib: NONE\n");
    EXPECT_EQ(row(3), "  *VertexAttrib: \n    (Attrib<1>: Enabled)\n");
    EXPECT_EQ(row(4), "  VertexAttrib: \n    (Attrib<0>: Enabled)\n");
}

TEST(Es2StatePage, StencilRowsPrintTheirThirtyTwoBitValues)
{
    CTraceData& trace = Load({W(kStencilFuncSeparate, {0x0404, 0x0200, 0xFFFFFFFFu, 0x80000000u}),
                              W(kStencilMaskSeparate, {0x0405, 0xFF}), Swap()});
    const std::string stencil = Group(Page(trace, 2, 0), "Stencil");
    EXPECT_NE(stencil.find("  *Stencil Mask: 4294967295 255\n"), std::string::npos) << stencil;
    EXPECT_NE(stencil.find("  *Stencil Func Mask: 0x80000000 0xffffffff\n"), std::string::npos) << stencil;
    EXPECT_NE(stencil.find("  *Stencil Func Ref: 0xffffffff 0x0\n"), std::string::npos) << stencil;
    EXPECT_NE(stencil.find("  *Stencil Func: 0x200 0x207\n"), std::string::npos) << stencil;
}

TEST(Es2StatePage, StateShownAtTheLastCallAndNoneBeyondItOrWithoutEs2)
{
    CTraceData& trace = Load({Clear(), W(kEnable, {kBlend})});
    SEs2State state;
    ASSERT_TRUE(Es2StateShownAt(trace, 2, state));  // the last call: the state after it
    EXPECT_EQ(state.capabilities[0], 1);
    ASSERT_TRUE(Es2StateShownAt(trace, 1, state));
    EXPECT_EQ(state.capabilities[0], 0);
    EXPECT_FALSE(Es2StateShownAt(trace, 3, state));
    EXPECT_FALSE(Es2StateShownAt(trace, -1, state));

    CTraceData& egl = Load({Swap(), Swap()});
    EXPECT_FALSE(Es2StateShownAt(egl, 1, state));
    EXPECT_FALSE(Es2StateShownAt(egl, 2, state));
}

TEST(Es2StatePage, EveryRowBelongsToAGroupOfThePageInTheGroupsOrder)
{
    // The table's rows stand group by group in page order: the page is built by walking it once.
    int group = 0;
    for (const SEs2StateRow& row : Es2StateRows()) {
        while (group < int(std::size(kEs2PageGroups)) && kEs2PageGroups[group] != row.group)
            ++group;
        ASSERT_LT(group, int(std::size(kEs2PageGroups))) << row.format;
        EXPECT_TRUE((row.text != nullptr) != (row.expand != nullptr)) << row.format;
    }
}

} // namespace
