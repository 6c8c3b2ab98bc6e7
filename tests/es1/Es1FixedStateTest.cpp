// The ES 1.1 fixed-function state effects (per-fragment tests, clear values, capabilities, hints,
// matrices, lights, materials, fog, current attributes, point parameters, vector texture
// environments) as a table of (call sequence, expected fields), with the decisions they keep:
// lights, planes and units outside the tracked ones change nothing, a vector call with fewer values
// than its parameter takes changes nothing, stacks are indexed alike by push and pop.
#include "CallQueries.h"
#include "Es1StateCalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace es1calls;

namespace {

enum : uint16_t {
    kAlphaFuncx = CallIdOf(ECallFamily::Es1, "glAlphaFuncx"),
    kClearColorx = CallIdOf(ECallFamily::Es1, "glClearColorx"),
    kClipPlanef = CallIdOf(ECallFamily::Es1, "glClipPlanef"),
    kColor4ub = CallIdOf(ECallFamily::Es1, "glColor4ub"),
    kColor4x = CallIdOf(ECallFamily::Es1, "glColor4x"),
    kBindTexture = CallIdOf(ECallFamily::Es1, "glBindTexture"),
    kDeleteTextures = CallIdOf(ECallFamily::Es1, "glDeleteTextures"),
    kDepthRangex = CallIdOf(ECallFamily::Es1, "glDepthRangex"),
    kEnable = CallIdOf(ECallFamily::Es1, "glEnable"),
    kFogf = CallIdOf(ECallFamily::Es1, "glFogf"),
    kFogfv = CallIdOf(ECallFamily::Es1, "glFogfv"),
    kFogx = CallIdOf(ECallFamily::Es1, "glFogx"),
    kGenTextures = CallIdOf(ECallFamily::Es1, "glGenTextures"),
    kGetString = CallIdOf(ECallFamily::Es1, "glGetString"),
    kHint = CallIdOf(ECallFamily::Es1, "glHint"),
    kLightModelf = CallIdOf(ECallFamily::Es1, "glLightModelf"),
    kLightModelfv = CallIdOf(ECallFamily::Es1, "glLightModelfv"),
    kLightModelxv = CallIdOf(ECallFamily::Es1, "glLightModelxv"),
    kLightf = CallIdOf(ECallFamily::Es1, "glLightf"),
    kLightfv = CallIdOf(ECallFamily::Es1, "glLightfv"),
    kMaterialf = CallIdOf(ECallFamily::Es1, "glMaterialf"),
    kMaterialfv = CallIdOf(ECallFamily::Es1, "glMaterialfv"),
    kMatrixMode = CallIdOf(ECallFamily::Es1, "glMatrixMode"),
    kMultiTexCoord4f = CallIdOf(ECallFamily::Es1, "glMultiTexCoord4f"),
    kMultiTexCoord4x = CallIdOf(ECallFamily::Es1, "glMultiTexCoord4x"),
    kPointParameterf = CallIdOf(ECallFamily::Es1, "glPointParameterf"),
    kPopMatrix = CallIdOf(ECallFamily::Es1, "glPopMatrix"),
    kPushMatrix = CallIdOf(ECallFamily::Es1, "glPushMatrix"),
    kSampleCoveragex = CallIdOf(ECallFamily::Es1, "glSampleCoveragex"),
    kTexEnvfv = CallIdOf(ECallFamily::Es1, "glTexEnvfv"),
    kTexEnviv = CallIdOf(ECallFamily::Es1, "glTexEnviv"),
    kTranslatef = CallIdOf(ECallFamily::Es1, "glTranslatef"),
    kFrustumf = CallIdOf(ECallFamily::Es1, "glFrustumf"),
    kLoadIdentity = CallIdOf(ECallFamily::Es1, "glLoadIdentity"),
    kLoadMatrixf = CallIdOf(ECallFamily::Es1, "glLoadMatrixf"),
    kLoadMatrixx = CallIdOf(ECallFamily::Es1, "glLoadMatrixx"),
    kMultMatrixx = CallIdOf(ECallFamily::Es1, "glMultMatrixx"),
    kOrthox = CallIdOf(ECallFamily::Es1, "glOrthox"),
    kScalex = CallIdOf(ECallFamily::Es1, "glScalex"),
    kTranslatex = CallIdOf(ECallFamily::Es1, "glTranslatex"),
    kLoadPaletteFromModelView = CallIdOf(ECallFamily::Ext, "glLoadPaletteFromModelViewMatrixOES"),
};

constexpr uint32_t kLight0 = 0x4000, kClipPlane0 = 0x3000, kModelView = 0x1700, kProjection = 0x1701,
                   kTexture = 0x1702, kPalette = 0x8840;

std::vector<SCall> Repeat(const SCall& call, int n) { return std::vector<SCall>(size_t(n), call); }

std::vector<SCall> Join(std::initializer_list<std::vector<SCall>> parts)
{
    std::vector<SCall> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const SCall kPush{kPushMatrix, SPayload()}, kPop{kPopMatrix, SPayload()};

std::vector<float> Top(const SEs1State& s, int stack)
{
    return std::vector<float>(s.matrixStacks[stack].top.begin(), s.matrixStacks[stack].top.end());
}

const std::vector<float> kIdentity(kEs1Identity.begin(), kEs1Identity.end());

// A 4x4 matrix call's values after its pointer.
SCall MatrixCall(uint16_t id, std::initializer_list<uint32_t> values)
{
    return {id, SPayload().Ptr(0x100).Words(values)};
}

const SStateCase kCases[] = {
    // ---- fixed-point forms, clear values, coverage
    {"fixed-point colour, alpha reference, clear colour and coverage divide by 65536",
     {W(kColor4x, {65536, 65536, 65536, 65536}), W(kAlphaFuncx, {0x0201, 32768}),
      W(kClearColorx, {65536, 0, 32768, 65536}), W(kSampleCoveragex, {32768, 1}), W(kDepthRangex, {0, 65536})},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(std::vector<float>(s.currentColor, s.currentColor + 4), (std::vector<float>{1, 1, 1, 1}));
         EXPECT_EQ(s.alphaFunc, 0x0201u);
         EXPECT_EQ(s.alphaRef, 0.5f);
         EXPECT_EQ(std::vector<float>(s.clearColor, s.clearColor + 4), (std::vector<float>{1, 0, 0.5f, 1}));
         EXPECT_EQ(s.sampleCoverageValue, 0.5f);
         EXPECT_EQ(s.sampleCoverageInvert, 1);
         EXPECT_EQ(s.depthRangeNear, 0.0f);
         EXPECT_EQ(s.depthRangeFar, 1.0f);
     }},
    {"glColor4ub divides by 255",
     {W(kColor4ub, {255, 0, 128, 255})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(std::vector<float>(s.currentColor, s.currentColor + 4), (std::vector<float>{1, 0, 128 / 255.0f, 1}));
     }},
    // ---- capabilities and hints
    {"GL_TEXTURE_2D sets the active unit's flag and the binding stamp, not the enable stamp",
     {W(kActiveTexture, {kTex0 + 1}), W(kEnable, {kTexture2D})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.texture2DEnabled[1], 1);
         EXPECT_EQ(s.texture2DEnabled[0], 0);
         EXPECT_EQ(s.textureBindStamp, 2u);
         EXPECT_EQ(s.capabilityStamp, 0u);
     }},
    {"GL_SAMPLE_COVERAGE has no flag: the enable stamp alone",
     {W(kEnable, {0x80A0}), W(kEnable, {0x0BC0})}, true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(std::count(s.capabilities, s.capabilities + 35, 1), 1);
         EXPECT_EQ(s.capabilities[0], 1);
         EXPECT_EQ(s.capabilityStamp, 2u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true}));
     }},
    {"a hint target outside the table changes nothing",
     {W(kHint, {0x0C54, 0x1102}), W(kHint, {0x8B8B, 0x1101})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.hints[0], 0x1102u);
         EXPECT_EQ(std::count(s.hints, s.hints + 5, 0x1100u), 4);
     }},
    {"a scalar point parameter sets the first of its floats only",
     {W(kPointParameterf, {0x8129, F(2.0f)})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(std::vector<float>(s.pointParams[3], s.pointParams[3] + 3), (std::vector<float>{2, 0, 0}));
     }},
    // ---- matrices
    {"a push keeps the top below it, a pop brings it back; each stack keeps its own",
     {W(kTranslatef, {F(1), F(2), F(3)}), kPush, W(kTranslatef, {F(4), 0, 0}), W(kMatrixMode, {kProjection}),
      W(kTranslatef, {F(9), 0, 0}), W(kMatrixMode, {kModelView})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.matrixStackDepth[0], 2u);
         ASSERT_EQ(s.matrixStacks[0].below.size(), 1u);
         EXPECT_EQ(s.matrixStacks[0].below[0][12], 1.0f);
         EXPECT_EQ(Top(s, 0), (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 2, 3, 1}));
         EXPECT_EQ(Top(s, 1)[12], 9.0f);
         EXPECT_EQ(run.results, std::vector<bool>(6, true));
     }},
    {"a pop puts the entry below back as the top",
     {W(kTranslatef, {F(1), 0, 0}), kPush, W(kTranslatef, {F(4), 0, 0}), kPop},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.matrixStackDepth[0], 1u);
         EXPECT_TRUE(s.matrixStacks[0].below.empty());
         EXPECT_EQ(Top(s, 0)[12], 1.0f);
     }},
    {"the fixed-point forms divide by 65536 and compose in call order",
     {MatrixCall(kLoadMatrixx, {0x20000, 0, 0, 0, 0, 0x20000, 0, 0, 0, 0, 0x10000, 0, 0, 0, 0, 0x10000}),
      W(kTranslatex, {0x8000, 0, 0}), W(kScalex, {0x30000, 0x10000, 0x10000}),
      MatrixCall(kMultMatrixx, {0x10000, 0, 0, 0, 0, 0x10000, 0, 0, 0, 0, 0x10000, 0, 0, 0x10000, 0, 0x10000})},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Top(s, 0), (std::vector<float>{6, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 1, 2, 0, 1}));
     }},
    {"projections GL refuses change nothing; an orthographic one in fixed point",
     {W(kMatrixMode, {kProjection}), W(kFrustumf, {F(-1), F(1), F(-1), F(1), 0, F(10)}),
      W(kFrustumf, {F(1), F(1), F(-1), F(1), F(1), F(10)}), W(kOrthox, {0, 0, 0, 0x10000, 0, 0x10000}),
      W(kOrthox, {0, 0x20000, 0, 0x20000, 0, 0x10000})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(run.results, (std::vector<bool>{true, false, false, false, true}));
         EXPECT_EQ(Top(s, 1), (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, 0, -1, -1, -1, 1}));
     }},
    {"the texture stack of the active unit; glLoadIdentity ends it",
     {W(kActiveTexture, {kTex0 + 1}), W(kMatrixMode, {kTexture}), W(kTranslatef, {F(1), 0, 0}),
      W(kActiveTexture, {kTex0 + 2}), W(kTranslatef, {F(2), 0, 0}), W(kLoadIdentity, {})},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Top(s, 2 + 1 + 1)[12], 1.0f);
         EXPECT_EQ(Top(s, 2 + 1 + 2), kIdentity);
     }},
    {"the palette load takes the model-view's top into the current palette matrix",
     {W(kTranslatef, {F(3), 0, 0}), W(kLoadPaletteFromModelView, {1})},  // selector 1: an ES 1.1 call
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(Top(s, 2)[12], 3.0f);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true}));
     }},
    {"a push in a mode outside the four changes nothing",
     {W(kMatrixMode, {0x1234}), kPush, kPop}, true,
     [](const SEs1State& s, const SRun& run) {
         for (uint32_t d : s.matrixStackDepth)
             EXPECT_EQ(d, 1u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, false, false}));
     }},
    {"push and pop use one index: texture stacks after the palette stack, per active unit",
     {W(kActiveTexture, {kTex0 + 2}), W(kMatrixMode, {kTexture}), kPush, kPush, kPop, W(kMatrixMode, {kPalette}),
      kPush, kPush, W(kMatrixMode, {kProjection}), kPush},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.matrixStackDepth[2 + 1 + 2], 2u);  // 2 + paletteStackBase + unit
         EXPECT_EQ(s.matrixStackDepth[2], 3u);          // 2 + current palette matrix 0
         EXPECT_EQ(s.matrixStackDepth[1], 2u);
         EXPECT_EQ(s.matrixStackDepth[0], 1u);
     }},
    {"a hundred pushes in each mode count on; pops below 1 stop at 0",
     Join({Repeat(kPush, 100), {W(kMatrixMode, {kProjection})}, Repeat(kPop, 3), {W(kMatrixMode, {kTexture})},
           Repeat(kPush, 100), {W(kMatrixMode, {kPalette})}, Repeat(kPop, 3)}),
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.matrixStackDepth[0], 101u);
         EXPECT_EQ(s.matrixStacks[0].below.size(), kEs1MatrixStackLimit) << "contents kept up to the limit";
         EXPECT_EQ(s.matrixStackDepth[1], 0u);
         EXPECT_EQ(s.matrixStackDepth[3], 101u);
         EXPECT_EQ(s.matrixStackDepth[2], 0u);
     }},
    {"a palette matrix at or above the texture stacks changes nothing",
     {W(kMatrixMode, {kPalette}), kPush, kPop}, true,
     [](const SEs1State& s, const SRun& run) {
         for (uint32_t d : s.matrixStackDepth)
             EXPECT_EQ(d, 1u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, false, false}));
     },
     [](SEs1State& s) { s.currentPaletteMatrix = 40; }},
    // ---- lights, materials, fog
    {"a scalar light parameter sets the first float of its slot and the lighting stamp",
     {W(kLightf, {kLight0 + 1, 0x1206, F(45.0f)})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(std::vector<float>(s.lights[1][6], s.lights[1][6] + 4), (std::vector<float>{45, 0, 0, 0}));
         EXPECT_EQ(s.lightingStamp, 1u);
     }},
    {"a light at GL_LIGHT0 + 9 changes nothing",
     {W(kLightf, {kLight0 + 9, 0x1206, F(45.0f)}), {kLightfv, Values(SPayload().Words({kLight0 + 8, 0x1200}), {F(1), F(1), F(1), F(1)})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.lightingStamp, 0u);
         EXPECT_EQ(run.results, (std::vector<bool>{false, false}));
     }},
    {"light vectors take the values their parameter takes: a spot direction three",
     {{kLightfv, Values(SPayload().Words({kLight0 + 2, 0x1204}), {F(1), F(2), F(3)})},
      {kLightfv, Values(SPayload().Words({kLight0 + 2, 0x1201}), {F(1), F(2), F(3)})},
      {kLightfv, Values(SPayload().Words({kLight0 + 2, 0x1202}), {})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(std::vector<float>(s.lights[2][4], s.lights[2][4] + 4), (std::vector<float>{1, 2, 3, 0}));
         EXPECT_EQ(std::vector<float>(s.lights[2][1], s.lights[2][1] + 4), (std::vector<float>{0, 0, 0, 0}));
         EXPECT_EQ(run.results, (std::vector<bool>{true, false, false}));
         EXPECT_EQ(s.lightingStamp, 1u);
     }},
    {"the light model scalar sets two-sided lighting whatever the pname",
     {W(kLightModelf, {0x0B53, F(0.5f)})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.lightModelTwoSide, 1);
         EXPECT_EQ(s.lightingStamp, 1u);
     }},
    {"light model vectors without values: the float form changes nothing, the fixed form writes the stamp",
     {{kLightModelfv, Values(SPayload().U32(0x0B53), {})}, {kLightModelxv, Values(SPayload().U32(0x0B53), {})},
      {kLightModelfv, Values(SPayload().U32(0x0B53), {F(1), F(1)})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.lightModelTwoSide, 0);
         EXPECT_EQ(std::vector<float>(s.lightModelAmbient, s.lightModelAmbient + 4),
                   (std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}));
         EXPECT_EQ(s.lightingStamp, 2u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true}));
     }},
    {"one material for both faces; GL_AMBIENT_AND_DIFFUSE and short vectors change nothing",
     {W(kMaterialf, {0x0405, 0x1601, F(10.0f)}),
      {kMaterialfv, Values(SPayload().Words({0x0408, 0x1602}), {F(1), F(1), F(1), F(1)})},
      {kMaterialfv, Values(SPayload().Words({0x0408, 0x1200}), {F(1), F(1)})},
      {kMaterialfv, Values(SPayload().Words({0x0408, 0x1600}), {F(0.5f), F(0.25f), F(0), F(1)})},
      {kMaterialfv, Values(SPayload().Words({0x0408, 0x1201}), {})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.material[4][0], 10.0f);
         EXPECT_EQ(std::vector<float>(s.material[0], s.material[0] + 4), (std::vector<float>{0.2f, 0.2f, 0.2f, 1}));
         EXPECT_EQ(std::vector<float>(s.material[1], s.material[1] + 4), (std::vector<float>{0.8f, 0.8f, 0.8f, 1}));
         EXPECT_EQ(std::vector<float>(s.material[3], s.material[3] + 4), (std::vector<float>{0.5f, 0.25f, 0, 1}));
         EXPECT_EQ(run.results, std::vector<bool>(5, true));
     }},
    {"fog: the colour is no scalar; the fixed mode is its integer; a colour of two values changes nothing",
     {W(kFogf, {0x0B66, F(0.5f)}), W(kFogx, {0x0B65, 0x2601}), W(kFogx, {0x0B62, 32768}),
      {kFogfv, Values(SPayload().U32(0x0B66), {F(0.5f), F(0.5f)})},
      {kFogfv, Values(SPayload().U32(0x0B63), {F(3.0f)})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(std::vector<float>(s.fogParams, s.fogParams + 4), (std::vector<float>{9729, 0.5f, 3, 1}));
         EXPECT_EQ(std::vector<float>(s.fogColor, s.fogColor + 4), (std::vector<float>{0, 0, 0, 0}));
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true, false, true}));
     }},
    // ---- clip planes
    {"clip planes: a null equation writes zeros, GL_CLIP_PLANE0 + 7 changes nothing",
     {{kClipPlanef, SPayload().U32(kClipPlane0 + 2).Ptr(0x500).F(1).F(2).F(3).F(4)},
      {kClipPlanef, SPayload().U32(kClipPlane0 + 1).Ptr(0)},
      {kClipPlanef, SPayload().U32(kClipPlane0 + 7).Ptr(0x500).F(9).F(9).F(9).F(9)}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.clipPlane, kClipPlane0 + 1);
         EXPECT_EQ(std::vector<float>(s.clipPlaneEquations[2], s.clipPlaneEquations[2] + 4),
                   (std::vector<float>{1, 2, 3, 4}));
         EXPECT_EQ(std::vector<float>(s.clipPlaneEquations[1], s.clipPlaneEquations[1] + 4),
                   (std::vector<float>{0, 0, 0, 0}));
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, false}));
     }},
    // ---- current attributes and vector environments
    {"texture coordinates: only the float form stamps; units outside the tracked ones change nothing",
     {W(kMultiTexCoord4x, {kTex0 + 3, 65536, 0, 0, 65536}), W(kMultiTexCoord4f, {kTex0 + 40, F(1), F(1), F(1), F(1)})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(std::vector<float>(s.currentTexCoord[3], s.currentTexCoord[3] + 4), (std::vector<float>{1, 0, 0, 1}));
         EXPECT_EQ(s.textureBindStamp, 0u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, false}));
     }},
    {"glTexEnvfv sets the mode alone of the integer parameters; glTexEnviv sets every one",
     {{kTexEnvfv, Values(SPayload().Words({kTextureEnv, 0x8571}), {F(260.0f)})},
      {kTexEnvfv, Values(SPayload().Words({kTextureEnv, 0x2200}), {F(8448.0f)})},
      {kTexEnviv, Values(SPayload().Words({kTextureEnv, 0x8572}), {0x8574})},
      {kTexEnviv, Values(SPayload().Words({kTextureEnv, 0x2201}), {1, 2, 3, 4})}},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.texEnv[0][1], 0u);
         EXPECT_EQ(s.texEnv[0][0], 8448u);
         EXPECT_EQ(s.texEnv[0][2], 0x8574u);
         EXPECT_EQ(std::vector<float>(s.texEnvColor[0], s.texEnvColor[0] + 4), (std::vector<float>{1, 2, 3, 4}));
     }},
    // ---- texture names
    {"deleting a bound texture unbinds it and drops its images; deleting or generating unknown names says false",
     {{kBindTexture, SPayload().U32(0x0DE1).U32(5)}, {kDeleteTextures, SPayload().U32(1).Array(0x10, {5})},
      {kDeleteTextures, SPayload().U32(1).Array(0x10, {9})}, {kGenTextures, SPayload().U32(1).Array(0x10, {6})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, false, false}));
         EXPECT_EQ(s.texture2DBinding[0], 0u);
         EXPECT_FALSE(s.textures.Contains(5));
     }},
    {"a recorded string query changes nothing",
     {{kGetString, SPayload().String(0x10, "Mesa").U32(0x1F00)}}, true,
     [](const SEs1State& s, const SRun& run) { EXPECT_EQ(run.results, (std::vector<bool>{false})); }},
};

class Es1FixedState : public testing::TestWithParam<SStateCase> {};

TEST_P(Es1FixedState, AppliesTheSequence) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, Es1FixedState, testing::ValuesIn(kCases),
                         [](const auto& info) { return es2test::CaseName(info.param.what); });

// A matrix call recorded without its data changes no matrix.
TEST(Es1FixedState, MatrixCallsWithoutDataChangeNothing)
{
    SEs1State s;
    const SRun run = ApplyAll({{kLoadMatrixf, SPayload().Ptr(0x100)}, W(kTranslatef, {F(1), 0, 0})}, s, false);
    EXPECT_EQ(run.results, (std::vector<bool>{false, true}));
    EXPECT_EQ(Top(s, 0)[12], 1.0f);
}

// A NaN recorded as a clear colour is kept as recorded.
TEST(Es1FixedState, NanClearColourIsKept)
{
    SEs1State s;
    ApplyAll({W(CallIdOf(ECallFamily::Es1, "glClearColor"), {0x7FC00000, 0, 0, 0})}, s);
    EXPECT_TRUE(std::isnan(s.clearColor[0]));
}

} // namespace
