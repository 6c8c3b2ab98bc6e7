#include "Es1StateQueries.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <array>
#include <cstdio>
#include <iterator>
#include <utility>
#include <string>

namespace {
using statequeries::One;
using statequeries::Values;
// One row; `field` is an expression of the state `s`.
#define XQF_Q(label, pname, count, kind, field)                                                           \
    SEs1StateQuery{label, pname, count, EQueryKind::kind, [](const SEs1State& s) { return field; }}

// Capabilities GL can be asked for: kEs1Capabilities but the last, the matrix palette (a host
// without it refuses the question).
constexpr size_t kCapabilities = std::size(kEs1Capabilities) - 1;
static_assert(kEs1Capabilities[kCapabilities] == 0x8840);  // GL_MATRIX_PALETTE_OES

template <size_t I>
std::vector<double> Capability(const SEs1State& s)
{
    return {double(s.capabilities[I])};
}
using Reader = std::vector<double> (*)(const SEs1State&);
template <size_t... I>
constexpr std::array<Reader, sizeof...(I)> CapabilityReaders(std::index_sequence<I...>)
{
    return {&Capability<I>...};
}
} // namespace

const std::vector<SEs1StateQuery>& Es1StateQueries()
{
    static const std::vector<SEs1StateQuery> queries = [] {
        std::vector<SEs1StateQuery> q = {
            XQF_Q("active_texture", GL_ACTIVE_TEXTURE, 1, Integer, One(s.activeTexture)),
            XQF_Q("client_active_texture", GL_CLIENT_ACTIVE_TEXTURE, 1, Integer, One(s.clientActiveTexture)),
            XQF_Q("alpha_func", GL_ALPHA_TEST_FUNC, 1, Integer, One(s.alphaFunc)),
            XQF_Q("alpha_ref", GL_ALPHA_TEST_REF, 1, Float, One(s.alphaRef)),
            XQF_Q("blend_src", GL_BLEND_SRC, 1, Integer, One(s.blendSrc)),
            XQF_Q("blend_dst", GL_BLEND_DST, 1, Integer, One(s.blendDst)),
            XQF_Q("clear_color", GL_COLOR_CLEAR_VALUE, 4, Float, Values(s.clearColor, 4)),
            XQF_Q("clear_depth", GL_DEPTH_CLEAR_VALUE, 1, Float, One(s.clearDepth)),
            XQF_Q("clear_stencil", GL_STENCIL_CLEAR_VALUE, 1, Integer, One(s.clearStencil)),
            XQF_Q("color_mask", GL_COLOR_WRITEMASK, 4, Boolean, Values(s.colorMask, 4)),
            XQF_Q("cull_face", GL_CULL_FACE_MODE, 1, Integer, One(s.cullFaceMode)),
            XQF_Q("front_face", GL_FRONT_FACE, 1, Integer, One(s.frontFace)),
            XQF_Q("depth_func", GL_DEPTH_FUNC, 1, Integer, One(s.depthFunc)),
            XQF_Q("depth_mask", GL_DEPTH_WRITEMASK, 1, Boolean, One(s.depthMask)),
            XQF_Q("depth_range", GL_DEPTH_RANGE, 2, Float, (std::vector<double>{s.depthRangeNear, s.depthRangeFar})),
            XQF_Q("stencil_func", GL_STENCIL_FUNC, 1, Integer, One(s.stencilFunc)),
            XQF_Q("stencil_ref", GL_STENCIL_REF, 1, Integer, One(s.stencilRef)),
            XQF_Q("stencil_value_mask", GL_STENCIL_VALUE_MASK, 1, Integer, One(s.stencilValueMask)),
            XQF_Q("stencil_writemask", GL_STENCIL_WRITEMASK, 1, Integer, One(s.stencilWriteMask)),
            XQF_Q("stencil_fail", GL_STENCIL_FAIL, 1, Integer, One(s.stencilFail)),
            XQF_Q("stencil_pass_depth_fail", GL_STENCIL_PASS_DEPTH_FAIL, 1, Integer, One(s.stencilPassDepthFail)),
            XQF_Q("stencil_pass_depth_pass", GL_STENCIL_PASS_DEPTH_PASS, 1, Integer, One(s.stencilPassDepthPass)),
            XQF_Q("scissor_box", GL_SCISSOR_BOX, 4, Integer, Values(s.scissorBox, 4)),
            XQF_Q("viewport", GL_VIEWPORT, 4, Integer, Values(s.viewport, 4)),
            XQF_Q("line_width", GL_LINE_WIDTH, 1, Float, One(s.lineWidth)),
            XQF_Q("point_size", GL_POINT_SIZE, 1, Float, One(s.pointSize)),
            XQF_Q("point_size_min", GL_POINT_SIZE_MIN, 1, Float, One(s.pointParams[0][0])),
            XQF_Q("point_size_max", GL_POINT_SIZE_MAX, 1, Float, One(s.pointParams[1][0])),
            XQF_Q("point_fade_threshold", GL_POINT_FADE_THRESHOLD_SIZE, 1, Float, One(s.pointParams[2][0])),
            XQF_Q("point_distance_attenuation", GL_POINT_DISTANCE_ATTENUATION, 3, Float, Values(s.pointParams[3], 3)),
            XQF_Q("polygon_offset_factor", GL_POLYGON_OFFSET_FACTOR, 1, Float, One(s.polygonOffsetFactor)),
            XQF_Q("polygon_offset_units", GL_POLYGON_OFFSET_UNITS, 1, Float, One(s.polygonOffsetUnits)),
            XQF_Q("sample_coverage_value", GL_SAMPLE_COVERAGE_VALUE, 1, Float, One(s.sampleCoverageValue)),
            XQF_Q("sample_coverage_invert", GL_SAMPLE_COVERAGE_INVERT, 1, Boolean, One(s.sampleCoverageInvert)),
            XQF_Q("logic_op", GL_LOGIC_OP_MODE, 1, Integer, One(s.logicOp)),
            XQF_Q("shade_model", GL_SHADE_MODEL, 1, Integer, One(s.shadeModel)),
            XQF_Q("hint_fog", GL_FOG_HINT, 1, Integer, One(s.hints[0])),
            XQF_Q("hint_generate_mipmap", GL_GENERATE_MIPMAP_HINT, 1, Integer, One(s.hints[1])),
            XQF_Q("hint_line_smooth", GL_LINE_SMOOTH_HINT, 1, Integer, One(s.hints[2])),
            XQF_Q("hint_perspective_correction", GL_PERSPECTIVE_CORRECTION_HINT, 1, Integer, One(s.hints[3])),
            XQF_Q("hint_point_smooth", GL_POINT_SMOOTH_HINT, 1, Integer, One(s.hints[4])),
            XQF_Q("fog_mode", GL_FOG_MODE, 1, Integer, One(s.fogParams[0])),
            XQF_Q("fog_density", GL_FOG_DENSITY, 1, Float, One(s.fogParams[1])),
            XQF_Q("fog_start", GL_FOG_START, 1, Float, One(s.fogParams[2])),
            XQF_Q("fog_end", GL_FOG_END, 1, Float, One(s.fogParams[3])),
            XQF_Q("fog_color", GL_FOG_COLOR, 4, Float, Values(s.fogColor, 4)),
            XQF_Q("light_model_two_side", GL_LIGHT_MODEL_TWO_SIDE, 1, Boolean, One(s.lightModelTwoSide)),
            XQF_Q("light_model_ambient", GL_LIGHT_MODEL_AMBIENT, 4, Float, Values(s.lightModelAmbient, 4)),
            XQF_Q("current_color", GL_CURRENT_COLOR, 4, Float, Values(s.currentColor, 4)),
            XQF_Q("current_normal", GL_CURRENT_NORMAL, 3, Float, Values(s.currentNormal, 3)),
            XQF_Q("matrix_mode", GL_MATRIX_MODE, 1, Integer, One(s.matrixMode)),
            XQF_Q("modelview_stack_depth", GL_MODELVIEW_STACK_DEPTH, 1, Integer, One(s.matrixStackDepth[0])),
            XQF_Q("projection_stack_depth", GL_PROJECTION_STACK_DEPTH, 1, Integer, One(s.matrixStackDepth[1])),
            XQF_Q("modelview_matrix", GL_MODELVIEW_MATRIX, 16, Float, Values(s.matrixStacks[0].top.data(), 16)),
            XQF_Q("projection_matrix", GL_PROJECTION_MATRIX, 16, Float, Values(s.matrixStacks[1].top.data(), 16)),
            XQF_Q("pack_alignment", GL_PACK_ALIGNMENT, 1, Integer, One(s.packAlignment)),
            XQF_Q("unpack_alignment", GL_UNPACK_ALIGNMENT, 1, Integer, One(s.unpackAlignment)),
        };
        // "enabled 0x<capability>", one label per capability, kept for the program's life.
        static std::string labels[kCapabilities];
        for (size_t i = 0; i < kCapabilities; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "enabled 0x%X", kEs1Capabilities[i]);
            labels[i] = text;
            q.push_back(SEs1StateQuery{labels[i].c_str(), kEs1Capabilities[i], 1, EQueryKind::Enabled,
                                       CapabilityReaders(std::make_index_sequence<kCapabilities>())[i]});
        }
        return q;
    }();
    return queries;
}
