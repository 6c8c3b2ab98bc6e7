#include "Es1StateText.h"

#include "state/Es1State.h"
#include "state/StateLines.h"

#include <string>

namespace {

// Values joined by blanks: floats with every digit a float holds, so equal lines mean equal bits
// (NaN and the sign of zero aside).
std::string Join(const float* v, int n)
{
    std::string out;
    char b[32];
    for (int i = 0; i < n; ++i) {
        snprintf(b, sizeof b, i ? " %.9g" : "%.9g", double(v[i]));
        out += b;
    }
    return out;
}

template <class T>
std::string Join(const T* v, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        if (i)
            out += ' ';
        out += std::to_string(v[i]);
    }
    return out;
}

void Array(CStateLines& out, const char* name, const SEs1ClientArray& a)
{
    out("  %s: buffer=%u size=%d type=0x%X stride=%d pointer=0x%llX", name, a.buffer, a.size, a.type, a.stride,
        static_cast<unsigned long long>(a.pointer));
}

} // namespace

std::string DescribeEs1State(const SEs1State& s)
{
    CStateLines out;
    out("textureImageStamp=%u", s.textureImageStamp);
    out("textureBindStamp=%u", s.textureBindStamp);
    out("capabilityStamp=%u", s.capabilityStamp);
    out("bufferStamp=%u", s.bufferStamp);
    out("lightingStamp=%u", s.lightingStamp);
    out("textureUnitCount=%u", s.textureUnitCount);
    out("activeTexture=0x%X", s.activeTexture);
    out("alphaFunc=0x%X", s.alphaFunc);
    out("alphaRef=%s", Join(&s.alphaRef, 1).c_str());
    out("arrayBufferBinding=%u", s.arrayBufferBinding);
    out("blendSrc=0x%X", s.blendSrc);
    out("blendDst=0x%X", s.blendDst);
    out("clearColor=%s", Join(s.clearColor, 4).c_str());
    out("clearDepth=%s", Join(&s.clearDepth, 1).c_str());
    out("clearStencil=%d", s.clearStencil);
    out("clientActiveTexture=0x%X", s.clientActiveTexture);
    out("clipPlane=0x%X", s.clipPlane);
    for (int p = 0; p < 6; ++p)
        out("clipPlaneEquations[%d]=%s", p, Join(s.clipPlaneEquations[p], 4).c_str());
    out("currentColor=%s", Join(s.currentColor, 4).c_str());
    out("colorMask=%s", Join(s.colorMask, 4).c_str());
    out("cullFaceMode=0x%X", s.cullFaceMode);
    out("depthFunc=0x%X", s.depthFunc);
    out("depthMask=%u", s.depthMask);
    out("depthRangeNear=%s", Join(&s.depthRangeNear, 1).c_str());
    out("depthRangeFar=%s", Join(&s.depthRangeFar, 1).c_str());
    out("capabilities=%s", Join(s.capabilities, 35).c_str());
    out("fogParams=%s", Join(s.fogParams, 4).c_str());
    out("fogColor=%s", Join(s.fogColor, 4).c_str());
    out("frontFace=0x%X", s.frontFace);
    out("hints=%s", Join(s.hints, 5).c_str());
    for (int l = 0; l < 8; ++l)
        for (int p = 0; p < 10; ++p)
            out("lights[%d][%d]=%s", l, p, Join(s.lights[l][p], 4).c_str());
    out("lightModelTwoSide=%u", s.lightModelTwoSide);
    out("lightModelAmbient=%s", Join(s.lightModelAmbient, 4).c_str());
    out("lineWidth=%s", Join(&s.lineWidth, 1).c_str());
    out("logicOp=0x%X", s.logicOp);
    for (int p = 0; p < 5; ++p)
        out("material[%d]=%s", p, Join(s.material[p], 4).c_str());
    out("matrixMode=0x%X", s.matrixMode);
    out("matrixStackDepth=%s", Join(s.matrixStackDepth, kEs1MatrixStacks).c_str());
    // The top of every stack (0 model-view, 1 projection, then the palette and texture stacks).
    for (int i = 0; i < kEs1MatrixStacks; ++i)
        out("matrixStacks[%d]: top=%s below=%zu", i, Join(s.matrixStacks[i].top.data(), 16).c_str(),
            s.matrixStacks[i].below.size());
    out("currentNormal=%s", Join(s.currentNormal, 3).c_str());
    out("packAlignment=%d", s.packAlignment);
    out("unpackAlignment=%d", s.unpackAlignment);
    for (int p = 0; p < 4; ++p)
        out("pointParams[%d]=%s", p, Join(s.pointParams[p], 3).c_str());
    out("pointSize=%s", Join(&s.pointSize, 1).c_str());
    out("polygonOffsetFactor=%s", Join(&s.polygonOffsetFactor, 1).c_str());
    out("polygonOffsetUnits=%s", Join(&s.polygonOffsetUnits, 1).c_str());
    out("sampleCoverageValue=%s", Join(&s.sampleCoverageValue, 1).c_str());
    out("sampleCoverageInvert=%u", s.sampleCoverageInvert);
    out("scissorBox=%s", Join(s.scissorBox, 4).c_str());
    out("shadeModel=0x%X", s.shadeModel);
    out("stencilFunc=0x%X", s.stencilFunc);
    out("stencilRef=%d", s.stencilRef);
    out("stencilValueMask=0x%X", s.stencilValueMask);
    out("stencilWriteMask=0x%X", s.stencilWriteMask);
    out("stencilFail=0x%X", s.stencilFail);
    out("stencilPassDepthFail=0x%X", s.stencilPassDepthFail);
    out("stencilPassDepthPass=0x%X", s.stencilPassDepthPass);
    for (int u = 0; u < kEs1Units; ++u) {
        out("unit[%d]: texture2DBinding=%u texture2DEnabled=%u currentTexCoord=%s coordReplace=%u", u,
            s.texture2DBinding[u], s.texture2DEnabled[u], Join(s.currentTexCoord[u], 4).c_str(), s.coordReplace[u]);
        out("unit[%d]: texEnv=%s texEnvScale=%s texEnvColor=%s", u, Join(s.texEnv[u], 15).c_str(),
            Join(s.texEnvScale[u], 2).c_str(), Join(s.texEnvColor[u], 4).c_str());
    }
    out("viewport=%s", Join(s.viewport, 4).c_str());
    out("vertexArrayBinding=%u", s.vertexArrayBinding);
    out("framebufferBinding=%u", s.framebufferBinding);
    out("renderbufferBinding=%u", s.renderbufferBinding);
    out("paletteStackBase=%u", s.paletteStackBase);
    out("currentPaletteMatrix=%u", s.currentPaletteMatrix);
    for (const auto& b : s.buffers)
        out("buffer %u: target=0x%X size=%u captured=%u usage=0x%X data=%s sum=%s", b.key, b.record.target,
            b.record.size, b.record.capturedSize, b.record.usage, b.record.data ? "yes" : "no",
            BytesSum(b.record.data, b.record.capturedSize).c_str());
    for (const auto& t : s.textures)
        for (const auto& level : t.record) {
            const STexImage& i = level.record;
            out("texture %u level %u: %dx%d border=%d format=0x%X/0x%X type=0x%X align=%d size=%u captured=%u "
                "compressed=%u data=%s sum=%s",
                t.key, level.key, i.width, i.height, i.border, i.format, i.internalFormat, i.type, i.unpackAlignment,
                i.size, i.capturedSize, i.compressed, i.data ? "yes" : "no", BytesSum(i.data, i.capturedSize).c_str());
        }
    for (const auto& va : s.vertexArrays) {
        const SEs1VertexArray& v = va.record;
        out("vertexArray %u: enabled=%s elementBuffer=%u", va.key, Join(v.enabled, 6).c_str(), v.elementArrayBuffer);
        Array(out, "color", v.color);
        Array(out, "vertex", v.vertex);
        Array(out, "normal", v.normal);
        Array(out, "pointSize", v.pointSize);
        Array(out, "matrixIndex", v.matrixIndex);
        Array(out, "weight", v.weight);
        for (int u = 0; u < kEs1Units; ++u) {
            char name[24];
            snprintf(name, sizeof name, "texCoord[%d]", u);
            Array(out, name, v.texCoord[u]);
        }
    }
    DescribeFramebufferObjects(out, s.framebuffers, s.renderbuffers);
    return out.Take();
}
