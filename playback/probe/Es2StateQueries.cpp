#include "Es2StateQueries.h"

namespace {
using statequeries::One;
using statequeries::Values;
// One row; `field` is an expression of the state `s`.
#define XQF_Q(label, pname, count, kind, field)                                                           \
    SStateQuery{label, pname, count, EQueryKind::kind, [](const SEs2State& s) { return field; }}
} // namespace

const std::vector<SStateQuery>& Es2StateQueries()
{
    static const std::vector<SStateQuery> queries = {
        XQF_Q("blend_src_rgb", 0x80C9, 1, Integer, One(s.blendSrcRgb)),
        XQF_Q("blend_dst_rgb", 0x80C8, 1, Integer, One(s.blendDstRgb)),
        XQF_Q("blend_src_alpha", 0x80CB, 1, Integer, One(s.blendSrcAlpha)),
        XQF_Q("blend_dst_alpha", 0x80CA, 1, Integer, One(s.blendDstAlpha)),
        XQF_Q("blend_equation_rgb", 0x8009, 1, Integer, One(s.blendEquationRgb)),
        XQF_Q("blend_equation_alpha", 0x883D, 1, Integer, One(s.blendEquationAlpha)),
        XQF_Q("blend_color", 0x8005, 4, Float, Values(s.blendColor, 4)),
        XQF_Q("depth_func", 0x0B74, 1, Integer, One(s.depthFunc)),
        XQF_Q("depth_writemask", 0x0B72, 1, Boolean, One(s.depthMask)),
        XQF_Q("depth_range", 0x0B70, 2, Float, (std::vector<double>{s.depthRangeNear, s.depthRangeFar})),
        XQF_Q("depth_clear_value", 0x0B73, 1, Float, One(s.clearDepth)),
        XQF_Q("color_clear_value", 0x0C22, 4, Float, Values(s.clearColor, 4)),
        XQF_Q("stencil_clear_value", 0x0B91, 1, Integer, One(s.clearStencil)),
        XQF_Q("color_writemask", 0x0C23, 4, Boolean, Values(s.colorMask, 4)),
        XQF_Q("cull_face_mode", 0x0B45, 1, Integer, One(s.cullFaceMode)),
        XQF_Q("front_face", 0x0B46, 1, Integer, One(s.frontFace)),
        XQF_Q("polygon_offset_factor", 0x8038, 1, Float, One(s.polygonOffsetFactor)),
        XQF_Q("polygon_offset_units", 0x2A00, 1, Float, One(s.polygonOffsetUnits)),
        XQF_Q("sample_coverage_value", 0x80AA, 1, Float, One(s.sampleCoverageValue)),
        XQF_Q("sample_coverage_invert", 0x80AB, 1, Boolean, One(s.sampleCoverageInvert)),
        XQF_Q("generate_mipmap_hint", 0x8192, 1, Integer, One(s.generateMipmapHint)),
        XQF_Q("pack_alignment", 0x0D05, 1, Integer, One(s.packAlignment)),
        XQF_Q("unpack_alignment", 0x0CF5, 1, Integer, One(s.unpackAlignment)),
        XQF_Q("viewport", 0x0BA2, 4, Integer, Values(s.viewport, 4)),
        XQF_Q("scissor_box", 0x0C10, 4, Integer, Values(s.scissorBox, 4)),
        XQF_Q("stencil_func", 0x0B92, 1, Integer, One(s.stencilFunc[0])),
        XQF_Q("stencil_ref", 0x0B97, 1, Integer, One(s.stencilRef[0])),
        XQF_Q("stencil_value_mask", 0x0B93, 1, Integer, One(int32_t(s.stencilValueMask[0]))),
        XQF_Q("stencil_writemask", 0x0B98, 1, Integer, One(int32_t(s.stencilWriteMask[0]))),
        XQF_Q("stencil_fail", 0x0B94, 1, Integer, One(s.stencilFail[0])),
        XQF_Q("stencil_pass_depth_fail", 0x0B95, 1, Integer, One(s.stencilPassDepthFail[0])),
        XQF_Q("stencil_pass_depth_pass", 0x0B96, 1, Integer, One(s.stencilPassDepthPass[0])),
        XQF_Q("stencil_back_func", 0x8800, 1, Integer, One(s.stencilFunc[1])),
        XQF_Q("stencil_back_ref", 0x8CA3, 1, Integer, One(s.stencilRef[1])),
        XQF_Q("stencil_back_value_mask", 0x8CA4, 1, Integer, One(int32_t(s.stencilValueMask[1]))),
        XQF_Q("stencil_back_writemask", 0x8CA5, 1, Integer, One(int32_t(s.stencilWriteMask[1]))),
        XQF_Q("stencil_back_fail", 0x8801, 1, Integer, One(s.stencilFail[1])),
        XQF_Q("stencil_back_pass_depth_fail", 0x8802, 1, Integer, One(s.stencilPassDepthFail[1])),
        XQF_Q("stencil_back_pass_depth_pass", 0x8803, 1, Integer, One(s.stencilPassDepthPass[1])),
        XQF_Q("blend", 0x0BE2, 1, Enabled, One(s.capabilities[0])),
        XQF_Q("cull_face", 0x0B44, 1, Enabled, One(s.capabilities[1])),
        XQF_Q("depth_test", 0x0B71, 1, Enabled, One(s.capabilities[2])),
        XQF_Q("dither", 0x0BD0, 1, Enabled, One(s.capabilities[3])),
        XQF_Q("polygon_offset_fill", 0x8037, 1, Enabled, One(s.capabilities[4])),
        XQF_Q("sample_alpha_to_coverage", 0x809E, 1, Enabled, One(s.capabilities[5])),
        XQF_Q("sample_coverage", 0x80A0, 1, Enabled, One(s.capabilities[6])),
        XQF_Q("scissor_test", 0x0C11, 1, Enabled, One(s.capabilities[7])),
        XQF_Q("stencil_test", 0x0B90, 1, Enabled, One(s.capabilities[8])),
        XQF_Q("active_texture", 0x84E0, 1, Integer, One(s.activeTexture)),
        SStateQuery{"line_width", 0x0B21, 1, EQueryKind::Float, nullptr},  // not tracked
    };
    return queries;
}
