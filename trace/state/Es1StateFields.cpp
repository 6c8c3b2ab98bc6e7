#include "Es1StateFields.h"

#include "state/StateLines.h"

namespace {

constexpr const char* kStamp = "a change stamp: the frame of the group's last change, no GL state";
constexpr const char* kNoRow = "the page has no row for it";
constexpr const char* kUnitLines = "the unit lines";
constexpr const char* kNoFramebufferObjects = "the ES 1.1 probe reads no framebuffer objects";

using statefields::Join;

// ---- the listing's lines of a field ---------------------------------------------------------------

// "name=values", and "name=0x<hex>" for a GL enum or mask.
#define XQF_VALUES(member)                                                                               \
    [](CStateLines& out, const SEs1State& s) { out(#member "=%s", Join(s.member).c_str()); }
#define XQF_HEX(member) [](CStateLines& out, const SEs1State& s) { out(#member "=0x%X", unsigned(s.member)); }
// Listed in another field's lines.
#define XQF_SHOWN(member) nullptr

void PlaneLines(CStateLines& out, const SEs1State& s)
{
    for (int p = 0; p < 6; ++p)
        out("clipPlaneEquations[%d]=%s", p, Join(s.clipPlaneEquations[p]).c_str());
}

// One line per light and parameter.
void LightLines(CStateLines& out, const SEs1State& s)
{
    for (int l = 0; l < 8; ++l)
        for (int p = 0; p < 10; ++p)
            out("lights[%d][%d]=%s", l, p, Join(s.lights[l][p]).c_str());
}

void MaterialLines(CStateLines& out, const SEs1State& s)
{
    for (int p = 0; p < 5; ++p)
        out("material[%d]=%s", p, Join(s.material[p]).c_str());
}

// The top of every stack (0 model-view, 1 projection, then the palette and texture stacks).
void StackLines(CStateLines& out, const SEs1State& s)
{
    for (int i = 0; i < kEs1MatrixStacks; ++i) {
        std::string top;
        for (float v : s.matrixStacks[i].top) {
            if (!top.empty())
                top += ' ';
            top += Join(v);
        }
        out("matrixStacks[%d]: top=%s below=%zu", i, top.c_str(), s.matrixStacks[i].below.size());
    }
}

void PointLines(CStateLines& out, const SEs1State& s)
{
    for (int p = 0; p < 4; ++p)
        out("pointParams[%d]=%s", p, Join(s.pointParams[p]).c_str());
}

// Two lines per unit: its binding, switch, coordinates and point-sprite replace, then its environment.
void UnitLines(CStateLines& out, const SEs1State& s)
{
    for (int u = 0; u < kEs1Units; ++u) {
        out("unit[%d]: texture2DBinding=%u texture2DEnabled=%u currentTexCoord=%s coordReplace=%u", u,
            s.texture2DBinding[u], s.texture2DEnabled[u], Join(s.currentTexCoord[u]).c_str(), s.coordReplace[u]);
        out("unit[%d]: texEnv=%s texEnvScale=%s texEnvColor=%s", u, Join(s.texEnv[u]).c_str(),
            Join(s.texEnvScale[u]).c_str(), Join(s.texEnvColor[u]).c_str());
    }
}

// ---- the object tables' lines, after every field's --------------------------------------------------

void BufferLines(CStateLines& out, const SEs1State& s)
{
    for (const auto& b : s.buffers)
        out("buffer %u: target=0x%X size=%u captured=%u usage=0x%X data=%s sum=%s", b.key, b.record.target,
            b.record.size, b.record.capturedSize, b.record.usage, b.record.data ? "yes" : "no",
            BytesSum(b.record.data, b.record.capturedSize).c_str());
}

void TextureLines(CStateLines& out, const SEs1State& s)
{
    for (const auto& t : s.textures)
        for (const auto& level : t.record) {
            const STexImage& i = level.record;
            out("texture %u level %u: %dx%d border=%d format=0x%X/0x%X type=0x%X align=%d size=%u captured=%u "
                "compressed=%u data=%s sum=%s",
                t.key, level.key, i.width, i.height, i.border, i.format, i.internalFormat, i.type, i.unpackAlignment,
                i.size, i.capturedSize, i.compressed, i.data ? "yes" : "no", BytesSum(i.data, i.capturedSize).c_str());
        }
}

void ArrayLine(CStateLines& out, const char* name, const SEs1ClientArray& a)
{
    out("  %s: buffer=%u size=%d type=0x%X stride=%d pointer=0x%llX", name, a.buffer, a.size, a.type, a.stride,
        static_cast<unsigned long long>(a.pointer));
}

void VertexArrayLines(CStateLines& out, const SEs1State& s)
{
    for (const auto& va : s.vertexArrays) {
        const SEs1VertexArray& v = va.record;
        out("vertexArray %u: enabled=%s elementBuffer=%u", va.key, Join(v.enabled).c_str(), v.elementArrayBuffer);
        ArrayLine(out, "color", v.color);
        ArrayLine(out, "vertex", v.vertex);
        ArrayLine(out, "normal", v.normal);
        ArrayLine(out, "pointSize", v.pointSize);
        ArrayLine(out, "matrixIndex", v.matrixIndex);
        ArrayLine(out, "weight", v.weight);
        for (int u = 0; u < kEs1Units; ++u) {
            char name[24];
            snprintf(name, sizeof name, "texCoord[%d]", u);
            ArrayLine(out, name, v.texCoord[u]);
        }
    }
}

void FramebufferLines(CStateLines& out, const SEs1State& s)
{
    DescribeFramebufferObjects(out, s.framebuffers, {});
}

void RenderbufferLines(CStateLines& out, const SEs1State& s)
{
    DescribeFramebufferObjects(out, {}, s.renderbuffers);
}

// ---- the table ------------------------------------------------------------------------------------

#define XQF_FIELD(member, list, page, probe) XQF_STATE_FIELD(SEs1State, member, list(member), nullptr, page, probe)
#define XQF_LINES(member, lines, page, probe) XQF_STATE_FIELD(SEs1State, member, lines, nullptr, page, probe)
#define XQF_SOME(member, lines, page, probe, ...)                                                        \
    XQF_STATE_SOME(SEs1State, member, lines, nullptr, page, probe, __VA_ARGS__)
#define XQF_CUSTOM(member, values, change, lines, page, probe)                                           \
    XQF_STATE_CUSTOM(SEs1State, member, values, change, lines, false, nullptr, page, probe)
#define XQF_TABLE(member, change, lines, page, probe)                                                    \
    XQF_STATE_CUSTOM(SEs1State, member, 1, change, lines, true, nullptr, page, probe)

// Light l: the four vectors (the spot direction has three values), then the five scalars.
void ChangeLight(SEs1State& s, int i)
{
    const int l = i / 24, r = i % 24;
    const int p = r < 16 ? r / 4 : r < 19 ? 4 : 5 + (r - 19);
    const int k = r < 16 ? r % 4 : r < 19 ? r - 16 : 0;
    statefields::Change(s.lights[l][p][k]);
}

} // namespace

std::span<const SEs1StateField> Es1StateFields()
{
    // Built on first use: listings may be asked for while other statics are being made.
    static const SEs1StateField kFields[] = {
        XQF_FIELD(textureImageStamp, XQF_VALUES, kStamp, kStamp),
        XQF_FIELD(textureBindStamp, XQF_VALUES, kStamp, kStamp),
        XQF_FIELD(capabilityStamp, XQF_VALUES, kStamp, kStamp),
        XQF_FIELD(bufferStamp, XQF_VALUES, kStamp, kStamp),
        XQF_FIELD(lightingStamp, XQF_VALUES, kStamp, kStamp),
        // Fewer units than the state showing all has.
        XQF_CUSTOM(textureUnitCount, 1, [](SEs1State& s, int) { s.textureUnitCount = 1; }, XQF_VALUES(textureUnitCount),
                   nullptr, "the probe asks the host for its own unit count"),
        XQF_FIELD(activeTexture, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(alphaFunc, XQF_HEX, kNoRow, nullptr),
        XQF_FIELD(alphaRef, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(arrayBufferBinding, XQF_VALUES, nullptr, "the binding lines"),
        XQF_FIELD(texture2DBinding, XQF_SHOWN, nullptr, kUnitLines),
        XQF_FIELD(blendSrc, XQF_HEX, kNoRow, nullptr),
        XQF_FIELD(blendDst, XQF_HEX, kNoRow, nullptr),
        XQF_TABLE(buffers, [](SEs1State& s, int) { s.buffers[3].size = 4; }, BufferLines, kNoRow, "the buffer objects"),
        XQF_FIELD(clearColor, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(clearDepth, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(clearStencil, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(clientActiveTexture, XQF_HEX, kNoRow, nullptr),
        XQF_FIELD(clipPlane, XQF_HEX, nullptr, "GL keeps no last plane set"),
        XQF_LINES(clipPlaneEquations, PlaneLines, nullptr, "the clip plane lines"),
        XQF_FIELD(currentColor, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(colorMask, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(cullFaceMode, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(depthFunc, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(depthMask, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(depthRangeNear, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(depthRangeFar, XQF_VALUES, nullptr, nullptr),
        // All but the matrix palette's switch (the last): the probe does not ask for it, a host without
        // the palette refuses the question.
        XQF_SOME(capabilities, XQF_VALUES(capabilities), nullptr, nullptr, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,
                 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33),
        XQF_FIELD(texture2DEnabled, XQF_SHOWN, nullptr, kUnitLines),
        XQF_FIELD(fogParams, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(fogColor, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(frontFace, XQF_HEX, kNoRow, nullptr),
        XQF_FIELD(hints, XQF_VALUES, nullptr, nullptr),
        XQF_CUSTOM(lights, 8 * 24, ChangeLight, LightLines, nullptr, "the light lines"),
        XQF_FIELD(lightModelTwoSide, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(lightModelAmbient, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(lineWidth, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(logicOp, XQF_HEX, kNoRow, nullptr),
        // Four vectors and the shininess.
        XQF_SOME(material, MaterialLines, kNoRow, "the material lines", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13,
                 14, 15, 16),
        XQF_FIELD(matrixMode, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(matrixStackDepth, XQF_VALUES, nullptr,
                  "the model-view and projection depth queries and the unit lines; the palette's are not asked"),
        // The top of each stack; the entries below it are listed by their count only.
        XQF_CUSTOM(matrixStacks, kEs1MatrixStacks * 16,
                   [](SEs1State& s, int i) { statefields::Change(s.matrixStacks[i / 16].top[size_t(i % 16)]); },
                   StackLines, nullptr,
                   "the model-view and projection matrix queries and the unit lines; the palette's are not asked"),
        XQF_FIELD(currentTexCoord, XQF_SHOWN, kNoRow, kUnitLines),
        XQF_FIELD(currentNormal, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(packAlignment, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(unpackAlignment, XQF_VALUES, nullptr, nullptr),
        // Minimum, maximum, fade threshold (one value each) and the three distance attenuations.
        XQF_SOME(pointParams, PointLines, kNoRow, nullptr, 0, 3, 6, 9, 10, 11),
        XQF_FIELD(pointSize, XQF_VALUES, kNoRow, nullptr),
        XQF_FIELD(polygonOffsetFactor, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(polygonOffsetUnits, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(sampleCoverageValue, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(sampleCoverageInvert, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(scissorBox, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(shadeModel, XQF_HEX, kNoRow, nullptr),
        XQF_FIELD(stencilFunc, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(stencilRef, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(stencilValueMask, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(stencilWriteMask, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(stencilFail, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(stencilPassDepthFail, XQF_HEX, nullptr, nullptr),
        XQF_FIELD(stencilPassDepthPass, XQF_HEX, nullptr, nullptr),
        // Every per-unit field, listed unit by unit here.
        XQF_LINES(texEnv, UnitLines, nullptr, kUnitLines),
        XQF_FIELD(texEnvScale, XQF_SHOWN, nullptr, kUnitLines),
        XQF_FIELD(texEnvColor, XQF_SHOWN, nullptr, kUnitLines),
        XQF_FIELD(coordReplace, XQF_SHOWN, nullptr, kUnitLines),
        XQF_TABLE(textures, [](SEs1State& s, int) { s.textures[3][0].width = 4; }, TextureLines, kNoRow,
                  "the texture objects"),
        XQF_FIELD(viewport, XQF_VALUES, nullptr, nullptr),
        XQF_FIELD(vertexArrayBinding, XQF_VALUES, nullptr, "the array lines, of the bound object, without its name"),
        XQF_TABLE(vertexArrays, [](SEs1State& s, int) { s.vertexArrays[2].elementArrayBuffer = 1; }, VertexArrayLines,
                  kNoRow, "the array lines, of the bound object"),
        XQF_TABLE(framebuffers, [](SEs1State& s, int) { s.framebuffers[2].samples = 1; }, FramebufferLines, kNoRow,
                  kNoFramebufferObjects),
        XQF_FIELD(framebufferBinding, XQF_VALUES, nullptr, kNoFramebufferObjects),
        XQF_TABLE(renderbuffers, [](SEs1State& s, int) { s.renderbuffers[2].width = 1; }, RenderbufferLines, kNoRow,
                  kNoFramebufferObjects),
        XQF_FIELD(renderbufferBinding, XQF_VALUES, nullptr, kNoFramebufferObjects),
        XQF_FIELD(paletteStackBase, XQF_VALUES, nullptr,
                  "the palette's size is the host's; its matrices are not asked"),
        XQF_FIELD(currentPaletteMatrix, XQF_VALUES, kNoRow,
                  "not asked: a host without the palette refuses the question"),
    };
    return kFields;
}

#undef XQF_VALUES
#undef XQF_HEX
#undef XQF_SHOWN
#undef XQF_FIELD
#undef XQF_LINES
#undef XQF_SOME
#undef XQF_CUSTOM
#undef XQF_TABLE

SEs1State Es1StateShowingAll()
{
    SEs1State s;
    s.textureUnitCount = kEs1Units;
    s.paletteStackBase = uint32_t(kEs1MatrixStacks - 2 - kEs1Units);
    return s;
}
