// State effects of the ES 1.1 fixed-function records: per-fragment tests, clear values, the
// rasteriser, capabilities and hints, the matrix stacks, lights, materials, fog, current
// attributes, point parameters and vector texture environments. One small overload per EFFECT row of Es1Calls.def;
// the rules of Es1Effects.cpp hold here too. Besides: a light or clip plane outside the tracked
// ones changes nothing, and a vector effect recorded with fewer values than its parameter takes
// changes nothing (as if it had recorded none).
#include "Es1EffectSupport.h"
#include "Es1MatrixEffects.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "state/PixelSize.h"

namespace xqft::es1 {

namespace {

constexpr uint32_t kClipPlane0 = 0x3000, kLight0 = 0x4000;
constexpr uint32_t kFogMode = 0x0B65, kFogColor = 0x0B66;
constexpr uint32_t kLightModelTwoSide = 0x0B52, kLightModelAmbient = 0x0B53;
constexpr uint32_t kSpotDirection = 0x1204, kPointDistanceAttenuation = 0x8129;
constexpr int kLights = 8, kClipPlanes = 6;

// Values of a recorded vector argument, converted to float. Fixed-point ones divide by 65536;
// GLint ones convert as numbers.
template <class Array>
struct TValues
{
    const Array& a;
    size_t Count() const { return a.ElementCount(); }
    float operator[](size_t i) const
    {
        using Element = typename Array::Element;
        if constexpr (std::is_same_v<Element, TGLfixed>)
            return Fixed(a[i].value);
        else
            return float(a[i].value);
    }
    // The value as an integer: float values truncated, fixed and integer ones as recorded.
    int32_t Integer(size_t i) const
    {
        using Element = typename Array::Element;
        if constexpr (std::is_same_v<Element, TGLfloat>)
            return FloatToInt(a[i].value);
        else
            return int32_t(a[i].value);
    }
};

template <class Call>
auto ValuesOf(const Call& c)
{
    const auto& params = c.template Item<"params">().data;
    return TValues<std::remove_cvref_t<decltype(params)>>{params};
}

// Copies the first n values (n at most the count) into out.
template <class Values>
void CopyValues(const Values& v, size_t n, float* out)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = v[i];
}

// The index of a light, clip plane or texture unit from its enum, or -1 outside the tracked ones.
int IndexFrom(uint32_t value, uint32_t first, int count)
{
    const uint32_t i = value - first;
    return i < uint32_t(count) ? int(i) : -1;
}

// How many values a light parameter takes.
size_t LightValues(uint32_t pname)
{
    if (pname == kSpotDirection)
        return 3;
    return pname >= 0x1200 && pname <= 0x1203 ? 4 : 1;
}

// The effect overloads of two forms of one function, both running Effect(call, state, frame).
#define XQF_FORMS(Effect, FloatForm, FixedForm)                                                            \
    bool Es1Effect(const FloatForm& c, SEs1State& s, uint32_t frame) { return Effect(c, s, frame); }      \
    bool Es1Effect(const FixedForm& c, SEs1State& s, uint32_t frame) { return Effect(c, s, frame); }

} // namespace

// ---- per-fragment tests, clear values, rasteriser ----------------------------------------------

namespace {

template <class Call>
bool AlphaFunc(const Call& c, SEs1State& s, uint32_t)
{
    s.alphaFunc = c.template Item<"func">().Value();
    s.alphaRef = Num(c.template Item<"ref">());
    return true;
}

template <class Call>
bool ClearColor(const Call& c, SEs1State& s, uint32_t)
{
    Nums<"red", "green", "blue", "alpha">(c, s.clearColor);
    return true;
}

template <class Call>
bool ClearDepth(const Call& c, SEs1State& s, uint32_t)
{
    return s.clearDepth = Num(c.template Item<"depth">()), true;
}

template <class Call>
bool LineWidth(const Call& c, SEs1State& s, uint32_t)
{
    return s.lineWidth = Num(c.template Item<"width">()), true;
}

template <class Call>
bool PointSize(const Call& c, SEs1State& s, uint32_t)
{
    return s.pointSize = Num(c.template Item<"size">()), true;
}

template <class Call>
bool PolygonOffset(const Call& c, SEs1State& s, uint32_t)
{
    s.polygonOffsetFactor = Num(c.template Item<"factor">());
    s.polygonOffsetUnits = Num(c.template Item<"units">());
    return true;
}

template <class Call>
bool SampleCoverage(const Call& c, SEs1State& s, uint32_t)
{
    s.sampleCoverageValue = Num(c.template Item<"value">());
    s.sampleCoverageInvert = uint8_t(c.template Item<"invert">().Value());
    return true;
}

template <class Call>
bool ClipPlane(const Call& c, SEs1State& s, uint32_t)
{
    const uint32_t plane = c.template Item<"plane">().Value();
    const int i = IndexFrom(plane, kClipPlane0, kClipPlanes);
    if (i < 0)
        return false;
    s.clipPlane = plane;
    const auto& equation = c.template Item<"equation">().value;  // zeros when the pointer was null
    for (int k = 0; k < 4; ++k) {
        const auto v = equation.elements[k].value;
        s.clipPlaneEquations[i][k] = std::is_floating_point_v<decltype(v)> ? float(v) : Fixed(int32_t(v));
    }
    return true;
}

} // namespace

XQF_FORMS(AlphaFunc, CEs1_glAlphaFunc_v1, CEs1_glAlphaFuncx_v1)
XQF_FORMS(ClearColor, CEs1_glClearColor_v1, CEs1_glClearColorx_v1)
XQF_FORMS(ClearDepth, CEs1_glClearDepthf_v1, CEs1_glClearDepthx_v1)
XQF_FORMS(LineWidth, CEs1_glLineWidth_v1, CEs1_glLineWidthx_v1)
XQF_FORMS(PointSize, CEs1_glPointSize_v1, CEs1_glPointSizex_v1)
XQF_FORMS(PolygonOffset, CEs1_glPolygonOffset_v1, CEs1_glPolygonOffsetx_v1)
XQF_FORMS(SampleCoverage, CEs1_glSampleCoverage_v1, CEs1_glSampleCoveragex_v1)
XQF_FORMS(ClipPlane, CEs1_glClipPlanef_v1, CEs1_glClipPlanex_v1)

bool Es1Effect(const CEs1_glBlendFunc_v1& c, SEs1State& s, uint32_t)
{
    s.blendSrc = c.Item<"sfactor">().Value();
    s.blendDst = c.Item<"dfactor">().Value();
    return true;
}

bool Es1Effect(const CEs1_glClearStencil_v1& c, SEs1State& s, uint32_t) { return s.clearStencil = c.Item<"s">().Value(), true; }

bool Es1Effect(const CEs1_glColorMask_v1& c, SEs1State& s, uint32_t)
{
    s.colorMask[0] = uint8_t(c.Item<"red">().Value());
    s.colorMask[1] = uint8_t(c.Item<"green">().Value());
    s.colorMask[2] = uint8_t(c.Item<"blue">().Value());
    s.colorMask[3] = uint8_t(c.Item<"alpha">().Value());
    return true;
}

bool Es1Effect(const CEs1_glCullFace_v1& c, SEs1State& s, uint32_t) { return s.cullFaceMode = c.Item<"mode">().Value(), true; }
bool Es1Effect(const CEs1_glFrontFace_v1& c, SEs1State& s, uint32_t) { return s.frontFace = c.Item<"mode">().Value(), true; }
bool Es1Effect(const CEs1_glDepthFunc_v1& c, SEs1State& s, uint32_t) { return s.depthFunc = c.Item<"func">().Value(), true; }
bool Es1Effect(const CEs1_glDepthMask_v1& c, SEs1State& s, uint32_t)
{
    return s.depthMask = uint8_t(c.Item<"flag">().Value()), true;
}
bool Es1Effect(const CEs1_glLogicOp_v1& c, SEs1State& s, uint32_t) { return s.logicOp = c.Item<"opcode">().Value(), true; }
bool Es1Effect(const CEs1_glShadeModel_v1& c, SEs1State& s, uint32_t) { return s.shadeModel = c.Item<"mode">().Value(), true; }
bool Es1Effect(const CEs1_glScissor_v1& c, SEs1State& s, uint32_t)
{
    s.scissorBox[0] = c.Item<"x">().Value();
    s.scissorBox[1] = c.Item<"y">().Value();
    s.scissorBox[2] = c.Item<"width">().Value();
    s.scissorBox[3] = c.Item<"height">().Value();
    return true;
}

bool Es1Effect(const CEs1_glStencilFunc_v1& c, SEs1State& s, uint32_t)
{
    s.stencilFunc = c.Item<"func">().Value();
    s.stencilRef = c.Item<"ref">().Value();
    s.stencilValueMask = c.Item<"mask">().Value();
    return true;
}

bool Es1Effect(const CEs1_glStencilMask_v1& c, SEs1State& s, uint32_t) { return s.stencilWriteMask = c.Item<"mask">().Value(), true; }

bool Es1Effect(const CEs1_glStencilOp_v1& c, SEs1State& s, uint32_t)
{
    s.stencilFail = c.Item<"fail">().Value();
    s.stencilPassDepthFail = c.Item<"zfail">().Value();
    s.stencilPassDepthPass = c.Item<"zpass">().Value();
    return true;
}

// ---- capabilities and hints ------------------------------------------------------------------------

namespace {

bool SetCapability(SEs1State& s, uint32_t cap, uint8_t on, uint32_t frame)
{
    if (cap == kTexture2D) {
        const uint32_t unit = ActiveUnit(s);
        if (unit == kNoUnit)
            return false;
        s.textureBindStamp = frame;
        s.texture2DEnabled[unit] = on;
        return true;
    }
    s.capabilityStamp = frame;
    const int i = Es1TableIndex(kEs1Capabilities, cap);
    if (i >= 0)
        s.capabilities[i] = on;
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glEnable_v1& c, SEs1State& s, uint32_t frame)
{
    return SetCapability(s, c.Item<"cap">().Value(), 1, frame);
}

bool Es1Effect(const CEs1_glDisable_v1& c, SEs1State& s, uint32_t frame)
{
    return SetCapability(s, c.Item<"cap">().Value(), 0, frame);
}

bool Es1Effect(const CEs1_glHint_v1& c, SEs1State& s, uint32_t)
{
    const int i = Es1TableIndex(kEs1Hints, c.Item<"target">().Value());
    if (i >= 0)
        s.hints[i] = c.Item<"mode">().Value();
    return true;
}

// ---- matrices, viewport, depth range -------------------------------------------------------------

bool Es1Effect(const CEs1_glMatrixMode_v1& c, SEs1State& s, uint32_t) { return s.matrixMode = c.Item<"mode">().Value(), true; }

// A stack keeps the contents of depth - 1 entries below its top, up to kEs1MatrixStackLimit; past
// that (or after a pop at depth 1 that got through) the depth counts on alone.
bool Es1Effect(const CEs1_glPushMatrix_v1&, SEs1State& s, uint32_t)
{
    const int i = StackIndex(s);
    if (i < 0)
        return false;
    SEs1MatrixStack& stack = s.matrixStacks[i];
    if (stack.below.size() + 1 == s.matrixStackDepth[i] && stack.below.size() < kEs1MatrixStackLimit)
        stack.below.push_back(stack.top);
    ++s.matrixStackDepth[i];
    return true;
}

// A pop at depth 0 (a recorded failure that got through) leaves 0 rather than wrapping.
bool Es1Effect(const CEs1_glPopMatrix_v1&, SEs1State& s, uint32_t)
{
    const int i = StackIndex(s);
    if (i < 0)
        return false;
    SEs1MatrixStack& stack = s.matrixStacks[i];
    uint32_t& depth = s.matrixStackDepth[i];
    if (!stack.below.empty() && stack.below.size() + 1 == depth) {
        stack.top = stack.below.back();
        stack.below.pop_back();
    }
    if (depth > 0)
        --depth;
    return true;
}

bool Es1Effect(const CEs1_glLoadIdentity_v1&, SEs1State& s, uint32_t)
{
    SEs1Matrix* top = CurrentMatrix(s);
    if (!top)
        return false;
    *top = kEs1Identity;
    return true;
}

XQF_FORMS(LoadMatrix, CEs1_glLoadMatrixf_v6, CEs1_glLoadMatrixx_v6)
XQF_FORMS(MultMatrix, CEs1_glMultMatrixf_v1, CEs1_glMultMatrixx_v1)
XQF_FORMS(OrthoCall, CEs1_glOrthof_v1, CEs1_glOrthox_v1)
XQF_FORMS(FrustumCall, CEs1_glFrustumf_v1, CEs1_glFrustumx_v1)
XQF_FORMS(RotateCall, CEs1_glRotatef_v1, CEs1_glRotatex_v1)
XQF_FORMS(ScaleCall, CEs1_glScalef_v1, CEs1_glScalex_v1)
XQF_FORMS(TranslateCall, CEs1_glTranslatef_v1, CEs1_glTranslatex_v1)

bool Es1Effect(const CEs1_glViewport_v1& c, SEs1State& s, uint32_t)
{
    s.viewport[0] = c.Item<"x">().Value();
    s.viewport[1] = c.Item<"y">().Value();
    s.viewport[2] = c.Item<"width">().Value();
    s.viewport[3] = c.Item<"height">().Value();
    return true;
}

// ---- current attributes --------------------------------------------------------------------------

bool Es1Effect(const CEs1_glColor4ub_v1& c, SEs1State& s, uint32_t)
{
    s.currentColor[0] = float(c.Item<"red">().Value()) / 255.0f;
    s.currentColor[1] = float(c.Item<"green">().Value()) / 255.0f;
    s.currentColor[2] = float(c.Item<"blue">().Value()) / 255.0f;
    s.currentColor[3] = float(c.Item<"alpha">().Value()) / 255.0f;
    return true;
}

// ---- fog -----------------------------------------------------------------------------------------

namespace {

template <class Call>
bool FogVector(const Call& c, SEs1State& s, bool fixedPoint)
{
    const auto v = ValuesOf(c);
    const uint32_t pname = c.template Item<"pname">().Value();
    if (v.Count() < (pname == kFogColor ? 4u : 1u))
        return false;
    if (pname == kFogColor) {
        CopyValues(v, 4, s.fogColor);
        return true;
    }
    const int i = Es1TableIndex(kEs1FogParams, pname);
    if (i >= 0)
        s.fogParams[i] = fixedPoint && pname == kFogMode ? float(v.Integer(0)) : v[0];
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glFogfv_v1& c, SEs1State& s, uint32_t) { return FogVector(c, s, false); }
bool Es1Effect(const CEs1_glFogxv_v1& c, SEs1State& s, uint32_t) { return FogVector(c, s, true); }

// ---- lights and materials ------------------------------------------------------------------------

namespace {

template <class Call>
bool LightVector(const Call& c, SEs1State& s, uint32_t frame)
{
    const auto v = ValuesOf(c);
    const uint32_t pname = c.template Item<"pname">().Value();
    const int light = IndexFrom(c.template Item<"light">().Value(), kLight0, kLights);
    if (v.Count() < LightValues(pname) || light < 0)
        return false;
    s.lightingStamp = frame;
    const int i = Es1TableIndex(kEs1LightParams, pname);
    if (i >= 0)
        CopyValues(v, std::min<size_t>(v.Count(), 4), s.lights[light][i]);
    return true;
}

// A light model vector effect. Recorded without (enough) values the fixed-point form still writes
// the lighting stamp, the float form nothing; both say true.
template <class Call>
bool LightModelVector(const Call& c, SEs1State& s, uint32_t frame, bool fixedForm)
{
    const auto v = ValuesOf(c);
    const uint32_t pname = c.template Item<"pname">().Value();
    if (v.Count() < (pname == kLightModelAmbient ? 4u : 1u)) {
        if (fixedForm)
            s.lightingStamp = frame;
        return true;
    }
    s.lightingStamp = frame;
    if (pname == kLightModelTwoSide)
        s.lightModelTwoSide = v[0] != 0.0f;
    else if (pname == kLightModelAmbient)
        CopyValues(v, 4, s.lightModelAmbient);
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glLightfv_v1& c, SEs1State& s, uint32_t frame) { return LightVector(c, s, frame); }
bool Es1Effect(const CEs1_glLightxv_v1& c, SEs1State& s, uint32_t frame) { return LightVector(c, s, frame); }

bool Es1Effect(const CEs1_glLightModelfv_v1& c, SEs1State& s, uint32_t frame) { return LightModelVector(c, s, frame, false); }
bool Es1Effect(const CEs1_glLightModelxv_v1& c, SEs1State& s, uint32_t frame) { return LightModelVector(c, s, frame, true); }

namespace {

template <class Call>
bool MaterialVector(const Call& c, SEs1State& s)
{
    const auto v = ValuesOf(c);
    const uint32_t pname = c.template Item<"pname">().Value();
    const size_t n = size_t(GetMaterialParamCount(pname));
    const int i = Es1TableIndex(kEs1MaterialParams, pname);
    if (i >= 0 && v.Count() >= n)
        CopyValues(v, n, s.material[i]);
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glMaterialfv_v1& c, SEs1State& s, uint32_t) { return MaterialVector(c, s); }
bool Es1Effect(const CEs1_glMaterialxv_v1& c, SEs1State& s, uint32_t) { return MaterialVector(c, s); }

// ---- point parameters ----------------------------------------------------------------------------

namespace {

template <class Call>
bool PointVector(const Call& c, SEs1State& s)
{
    const auto v = ValuesOf(c);
    const uint32_t pname = c.template Item<"pname">().Value();
    const int i = Es1TableIndex(kEs1PointParams, pname);
    if (i >= 0 && v.Count() >= (pname == kPointDistanceAttenuation ? 3u : 1u))
        CopyValues(v, std::min<size_t>(v.Count(), 3), s.pointParams[i]);
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glPointParameterfv_v1& c, SEs1State& s, uint32_t) { return PointVector(c, s); }
bool Es1Effect(const CEs1_glPointParameterxv_v1& c, SEs1State& s, uint32_t) { return PointVector(c, s); }

// ---- the scalar forms of attributes, fog, lights, materials and point parameters ----------------

namespace {

template <class Call>
bool DepthRange(const Call& c, SEs1State& s, uint32_t)
{
    s.depthRangeNear = Num(c.template Item<"zNear">());
    s.depthRangeFar = Num(c.template Item<"zFar">());
    return true;
}

template <class Call>
bool Color(const Call& c, SEs1State& s, uint32_t)
{
    Nums<"red", "green", "blue", "alpha">(c, s.currentColor);
    return true;
}

template <class Call>
bool Normal(const Call& c, SEs1State& s, uint32_t)
{
    Nums<"nx", "ny", "nz">(c, s.currentNormal);
    return true;
}

// Only the float form stamps the texture bindings.
template <class Call>
bool TexCoord(const Call& c, SEs1State& s, uint32_t frame)
{
    const int unit = IndexFrom(c.template Item<"target">().Value(), kTexture0, kEs1Units);
    if (unit < 0)
        return false;
    if constexpr (std::is_same_v<Call, CEs1_glMultiTexCoord4f_v1>)
        s.textureBindStamp = frame;
    Nums<"s", "t", "r", "q">(c, s.currentTexCoord[unit]);
    return true;
}

// The fog mode is a symbolic constant: the fixed form's integer value, held as a float.
template <class Call>
bool Fog(const Call& c, SEs1State& s, uint32_t)
{
    const uint32_t pname = c.template Item<"pname">().Value();
    const auto& param = c.template Item<"param">();
    const int i = Es1TableIndex(kEs1FogParams, pname);
    if (i >= 0)
        s.fogParams[i] = pname == kFogMode ? float(param.Value()) : Num(param);
    return true;
}

// The scalar light parameters set the first of their slot's four floats.
template <class Call>
bool Light(const Call& c, SEs1State& s, uint32_t frame)
{
    const int light = IndexFrom(c.template Item<"light">().Value(), kLight0, kLights);
    if (light < 0)
        return false;
    s.lightingStamp = frame;
    const int i = Es1TableIndex(kEs1LightParams, c.template Item<"pname">().Value());
    if (i >= 0)
        s.lights[light][i][0] = Num(c.template Item<"param">());
    return true;
}

// The pname is not consulted: any light-model scalar sets two-sided lighting.
template <class Call>
bool LightModel(const Call& c, SEs1State& s, uint32_t frame)
{
    s.lightingStamp = frame;
    s.lightModelTwoSide = Num(c.template Item<"param">()) != 0.0f;
    return true;
}

// One material for both faces: face is not consulted; GL_AMBIENT_AND_DIFFUSE is not an entry.
template <class Call>
bool Material(const Call& c, SEs1State& s, uint32_t)
{
    const int i = Es1TableIndex(kEs1MaterialParams, c.template Item<"pname">().Value());
    if (i >= 0)
        s.material[i][0] = Num(c.template Item<"param">());
    return true;
}

template <class Call>
bool PointParameter(const Call& c, SEs1State& s, uint32_t)
{
    const int i = Es1TableIndex(kEs1PointParams, c.template Item<"pname">().Value());
    if (i >= 0)
        s.pointParams[i][0] = Num(c.template Item<"param">());
    return true;
}

} // namespace

XQF_FORMS(DepthRange, CEs1_glDepthRangef_v1, CEs1_glDepthRangex_v1)
XQF_FORMS(Color, CEs1_glColor4f_v1, CEs1_glColor4x_v1)
XQF_FORMS(Normal, CEs1_glNormal3f_v1, CEs1_glNormal3x_v1)
XQF_FORMS(TexCoord, CEs1_glMultiTexCoord4f_v1, CEs1_glMultiTexCoord4x_v1)
XQF_FORMS(Fog, CEs1_glFogf_v1, CEs1_glFogx_v1)
XQF_FORMS(Light, CEs1_glLightf_v1, CEs1_glLightx_v1)
XQF_FORMS(LightModel, CEs1_glLightModelf_v1, CEs1_glLightModelx_v1)
XQF_FORMS(Material, CEs1_glMaterialf_v1, CEs1_glMaterialx_v1)
XQF_FORMS(PointParameter, CEs1_glPointParameterf_v1, CEs1_glPointParameterx_v1)

// ---- vector texture environments -----------------------------------------------------------------

namespace {

// glTexEnvfv takes only the mode of the fifteen integer parameters; glTexEnviv and glTexEnvxv take
// all fifteen. Scales and colour: floats as recorded, integers converted without scaling,
// fixed-point values / 65536.
template <class Call>
bool TexEnvVector(const Call& c, SEs1State& s, bool everyInteger)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit)
        return false;
    const auto v = ValuesOf(c);
    const uint32_t target = c.template Item<"target">().Value(), pname = c.template Item<"pname">().Value();
    if (v.Count() < (pname == kTextureEnvColor ? 4u : 1u))
        return true;
    if (target == kPointSprite && pname == kCoordReplace) {
        s.coordReplace[unit] = uint32_t(v.Integer(0));
        return true;
    }
    if (target != kTextureEnv)
        return true;
    const int i = Es1TableIndex(kEs1TexEnvParams, pname);
    if (i >= 0 && (everyInteger || i == 0))
        s.texEnv[unit][i] = uint32_t(v.Integer(0));
    else if (pname == kRgbScale)
        s.texEnvScale[unit][0] = v[0];
    else if (pname == kAlphaScale)
        s.texEnvScale[unit][1] = v[0];
    else if (pname == kTextureEnvColor)
        CopyValues(v, 4, s.texEnvColor[unit]);
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glTexEnvfv_v1& c, SEs1State& s, uint32_t) { return TexEnvVector(c, s, false); }
bool Es1Effect(const CEs1_glTexEnviv_v1& c, SEs1State& s, uint32_t) { return TexEnvVector(c, s, true); }
bool Es1Effect(const CEs1_glTexEnvxv_v1& c, SEs1State& s, uint32_t) { return TexEnvVector(c, s, true); }

// ---- texture names ---------------------------------------------------------------------------------

// A deleted texture's images go, and the units that bound it bind 0 (as GL does): a texture made
// again under the name starts empty.
bool Es1Effect(const CEs1_glDeleteTextures_v1& c, SEs1State& s, uint32_t frame)
{
    if (!c.IsDataIncluded())
        return false;
    bool changed = false;
    objects::ForRecordedNames(c.Item<"textures">().data, c.Item<"n">().Value(), [&](uint32_t name) {
        if (name == 0)
            return;
        for (uint32_t u = 0; u < kEs1Units; ++u)
            if (s.texture2DBinding[u] == name) {
                s.texture2DBinding[u] = 0;
                s.textureBindStamp = frame;
                changed = true;
            }
        if (std::as_const(s.textures).Contains(name)) {
            s.textures.Erase(name);
            s.textureImageStamp = frame;
            changed = true;
        }
    });
    return changed;
}

// ---- texture parameters -------------------------------------------------------------------------

namespace {

// Sets a sampling parameter of the active unit's bound 2D texture, kept on its level 0 (added
// empty when the texture has no level 0 yet). value: the parameter as GL stores it, an integer.
bool SetTexParameter(SEs1State& s, uint32_t frame, uint32_t target, uint32_t pname, int32_t value)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit)
        return false;
    if (target != kTexture2D)
        return true;
    uint32_t STexImage::*field = nullptr;
    switch (pname) {
    case 0x2801: field = &STexImage::minFilter; break;       // GL_TEXTURE_MIN_FILTER
    case 0x2800: field = &STexImage::magFilter; break;       // GL_TEXTURE_MAG_FILTER
    case 0x2802: field = &STexImage::wrapS; break;           // GL_TEXTURE_WRAP_S
    case 0x2803: field = &STexImage::wrapT; break;           // GL_TEXTURE_WRAP_T
    case 0x8191: field = &STexImage::generateMipmap; break;  // GL_GENERATE_MIPMAP
    default: return true;
    }
    const uint32_t texture = s.texture2DBinding[unit];
    STexImage& level0 = s.textures[texture][0];
    level0.texture = texture;
    level0.*field = uint32_t(value);
    s.textureImageStamp = frame;
    return true;
}

// The vector forms: the first value, nothing when the call recorded none.
template <class Call>
bool TexParameterVector(const Call& c, SEs1State& s, uint32_t frame)
{
    const auto values = ValuesOf(c);
    if (values.Count() == 0)
        return ActiveUnit(s) != kNoUnit;
    return SetTexParameter(s, frame, c.template Item<"target">().Value(), c.template Item<"pname">().Value(),
                           values.Integer(0));
}

} // namespace

bool Es1Effect(const CEs1_glTexParameterf_v1& c, SEs1State& s, uint32_t frame)
{
    return SetTexParameter(s, frame, c.Item<"target">().Value(), c.Item<"pname">().Value(),
                           FloatToInt(c.Item<"param">().Value()));
}
// A fixed-point parameter of an enumerated value is that value, as glTexEnvx takes it.
bool Es1Effect(const CEs1_glTexParameterx_v1& c, SEs1State& s, uint32_t frame)
{
    return SetTexParameter(s, frame, c.Item<"target">().Value(), c.Item<"pname">().Value(), c.Item<"param">().Value());
}
bool Es1Effect(const CEs1_glTexParameteri_v1& c, SEs1State& s, uint32_t frame)
{
    return SetTexParameter(s, frame, c.Item<"target">().Value(), c.Item<"pname">().Value(), c.Item<"param">().Value());
}
bool Es1Effect(const CEs1_glTexParameterfv_v1& c, SEs1State& s, uint32_t frame) { return TexParameterVector(c, s, frame); }
bool Es1Effect(const CEs1_glTexParameteriv_v1& c, SEs1State& s, uint32_t frame) { return TexParameterVector(c, s, frame); }
bool Es1Effect(const CEs1_glTexParameterxv_v1& c, SEs1State& s, uint32_t frame) { return TexParameterVector(c, s, frame); }

} // namespace xqft::es1
