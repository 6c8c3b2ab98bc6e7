#include "Es2StateFields.h"

namespace {

constexpr const char* kNoRow = "the page has no row for it";
constexpr const char* kNoQuery = "no GL query answers it";
constexpr const char* kBindingLines = "the binding lines, by the bound object's description";
constexpr const char* kObjects = "the object lines";

#define XQF_FIELD(member, text, page, probe) XQF_STATE_FIELD(SEs2State, member, nullptr, text, page, probe)
#define XQF_CUSTOM(member, values, change, text, page, probe)                                               \
    XQF_STATE_CUSTOM(SEs2State, member, values, change, nullptr, false, text, page, probe)

void ChangeProgram(SEs2State& s, int i)
{
    SEs2Program& p = s.currentProgram;
    switch (i) {
    case 0: statefields::Change(p.name); break;
    case 1: statefields::Change(p.vertexShader); break;
    case 2: statefields::Change(p.fragmentShader); break;
    default: statefields::Change(p.linked); break;
    }
}

} // namespace

std::span<const SEs2StateField> Es2StateFields()
{
    // Built on first use: listings may be asked for while other statics are being made.
    static const SEs2StateField kFields[] = {
        // Fewer units than the state showing all has.
        XQF_CUSTOM(textureUnitCount, 1, [](SEs2State& s, int) { s.textureUnitCount = 1; }, nullptr, nullptr,
                   "the probe asks the host for its own unit count"),
        XQF_FIELD(activeTexture, nullptr, nullptr, nullptr),
        XQF_FIELD(arrayBufferBinding, nullptr, nullptr, kBindingLines),
        XQF_FIELD(texture2DBinding, nullptr, nullptr, kBindingLines),
        XQF_FIELD(textureCubeBinding, nullptr, nullptr, kBindingLines),
        XQF_FIELD(blendEquationAlpha, nullptr, nullptr, nullptr),
        XQF_FIELD(blendEquationRgb, nullptr, nullptr, nullptr),
        XQF_FIELD(blendColor, nullptr, nullptr, nullptr),
        XQF_FIELD(blendSrcRgb, nullptr, nullptr, nullptr),
        XQF_FIELD(blendDstRgb, nullptr, nullptr, nullptr),
        XQF_FIELD(blendSrcAlpha, nullptr, nullptr, nullptr),
        XQF_FIELD(blendDstAlpha, nullptr, nullptr, nullptr),
        XQF_CUSTOM(buffers, 1, [](SEs2State& s, int) { s.buffers[3].size = 4; }, nullptr, kNoRow, kObjects),
        XQF_FIELD(clearColor, nullptr, nullptr, nullptr),
        XQF_FIELD(clearDepth, nullptr, nullptr, nullptr),
        XQF_FIELD(clearStencil, nullptr, nullptr, nullptr),
        XQF_FIELD(colorMask, nullptr, nullptr, nullptr),
        XQF_FIELD(cullFaceMode, nullptr, nullptr, nullptr),
        XQF_FIELD(depthFunc, nullptr, nullptr, nullptr),
        XQF_FIELD(depthMask, nullptr, nullptr, nullptr),
        XQF_FIELD(depthRangeNear, nullptr, nullptr, nullptr),
        XQF_FIELD(depthRangeFar, nullptr, nullptr, nullptr),
        XQF_FIELD(capabilities, nullptr, nullptr, nullptr),
        XQF_CUSTOM(vertexAttribArrayEnabled, 1, [](SEs2State& s, int) { s.vertexAttribArrayEnabled[1] = 1; }, nullptr,
                   nullptr, "the attribute lines"),
        XQF_CUSTOM(framebuffers, 1, [](SEs2State& s, int) { s.framebuffers[2].samples = 1; }, nullptr, kNoRow,
                   kObjects),
        XQF_FIELD(framebufferBinding, nullptr, nullptr, kBindingLines),
        XQF_FIELD(frontFace, nullptr, kNoRow, nullptr),
        XQF_FIELD(generateMipmapHint, nullptr, nullptr, nullptr),
        XQF_FIELD(packAlignment, nullptr, nullptr, nullptr),
        XQF_FIELD(unpackAlignment, nullptr, nullptr, nullptr),
        XQF_FIELD(polygonOffsetFactor, nullptr, nullptr, nullptr),
        XQF_FIELD(polygonOffsetUnits, nullptr, nullptr, nullptr),
        XQF_CUSTOM(programs, 1, [](SEs2State& s, int) { s.programs[3].linked = 1; }, nullptr, kNoRow, kObjects),
        XQF_CUSTOM(currentProgram, 4, ChangeProgram, nullptr, nullptr, kBindingLines),
        XQF_FIELD(deleteUsedProgram, nullptr, nullptr, kNoQuery),
        XQF_FIELD(shaderCompilerReleased, "the listing has no line for it", nullptr, kNoQuery),
        XQF_CUSTOM(renderbuffers, 1, [](SEs2State& s, int) { s.renderbuffers[2].width = 1; }, nullptr, kNoRow,
                   kObjects),
        XQF_FIELD(renderbufferBinding, nullptr, kNoRow, kBindingLines),
        XQF_FIELD(sampleCoverageValue, nullptr, nullptr, nullptr),
        XQF_FIELD(sampleCoverageInvert, nullptr, nullptr, nullptr),
        XQF_FIELD(scissorBox, nullptr, nullptr, nullptr),
        XQF_CUSTOM(shaders, 1, [](SEs2State& s, int) { s.shaders[5].compiled = 1; }, nullptr,
                   "the page names only the shaders of the program in use", kObjects),
        XQF_FIELD(stencilFunc, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilRef, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilValueMask, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilWriteMask, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilFail, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilPassDepthFail, nullptr, nullptr, nullptr),
        XQF_FIELD(stencilPassDepthPass, nullptr, nullptr, nullptr),
        XQF_CUSTOM(textures, 1, [](SEs2State& s, int) { s.textures[3][0][0].width = 4; }, nullptr, kNoRow, kObjects),
        XQF_CUSTOM(uniforms, 1, [](SEs2State& s, int) { s.uniforms[s.currentProgram.name][1].floats = {1}; }, nullptr,
                   nullptr, "the program objects"),
        XQF_CUSTOM(boundAttributes, 1,
                   [](SEs2State& s, int) { s.boundAttributes[s.currentProgram.name][1].values = {1}; }, nullptr,
                   nullptr, "the program objects"),
        XQF_CUSTOM(linkedAttributes, 1,
                   [](SEs2State& s, int) { s.linkedAttributes[s.currentProgram.name][1].index = 1; }, nullptr,
                   nullptr, "the attribute lines"),
        XQF_FIELD(viewport, nullptr, kNoRow, nullptr),
        XQF_FIELD(vertexArrayBinding, nullptr, nullptr, "the attribute lines, of the bound object, without its name"),
        XQF_CUSTOM(vertexArrays, 1,
                   [](SEs2State& s, int) { s.vertexArrays[s.vertexArrayBinding].elementArrayBuffer = 3; }, nullptr,
                   nullptr, "the attribute and binding lines, of the bound object"),
    };
    return kFields;
}

#undef XQF_FIELD
#undef XQF_CUSTOM

SEs2State Es2StateShowingAll()
{
    SEs2State s;
    s.textureUnitCount = 32;
    for (uint32_t u = 0; u < 32; ++u) {
        s.texture2DBinding[u] = 1 + u;
        s.textureCubeBinding[u] = 33 + u;
    }
    for (uint32_t shader : {1u, 2u})
        s.shaders[shader].name = shader;
    return s;
}
