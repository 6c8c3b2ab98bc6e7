#include "Es2StateText.h"

#include "state/Es2State.h"
#include "state/StateLines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

std::string Floats(const std::vector<float>& v)
{
    std::string out;
    char b[32];
    for (float f : v) {
        snprintf(b, sizeof b, out.empty() ? "%g" : " %g", double(f));
        out += b;
    }
    return out;
}

std::string Ints(const std::vector<int32_t>& v)
{
    std::string out;
    for (int32_t i : v) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(i);
    }
    return out;
}

} // namespace

std::string DescribeEs2State(const SEs2State& s)
{
    CStateLines out;
    out("blend: enabled=%u equation=0x%X/0x%X src=0x%X/0x%X dst=0x%X/0x%X color=%g %g %g %g", s.capabilities[0],
        s.blendEquationRgb, s.blendEquationAlpha, s.blendSrcRgb, s.blendSrcAlpha, s.blendDstRgb, s.blendDstAlpha,
        double(s.blendColor[0]), double(s.blendColor[1]), double(s.blendColor[2]), double(s.blendColor[3]));
    out("capabilities: blend=%u cull=%u depth=%u dither=%u offset=%u alphaToCoverage=%u coverage=%u scissor=%u "
        "stencil=%u",
        s.capabilities[0], s.capabilities[1], s.capabilities[2], s.capabilities[3], s.capabilities[4],
        s.capabilities[5], s.capabilities[6], s.capabilities[7], s.capabilities[8]);
    out("depth: func=0x%X mask=%u range=%g %g clear=%g", s.depthFunc, s.depthMask, double(s.depthRangeNear),
        double(s.depthRangeFar), double(s.clearDepth));
    for (int f = 0; f < 2; ++f)
        out("stencil %s: func=0x%X ref=%d valueMask=0x%X writeMask=0x%X fail=0x%X depthFail=0x%X pass=0x%X",
            f ? "back" : "front", s.stencilFunc[f], s.stencilRef[f], s.stencilValueMask[f], s.stencilWriteMask[f],
            s.stencilFail[f], s.stencilPassDepthFail[f], s.stencilPassDepthPass[f]);
    out("clear: color=%g %g %g %g stencil=%d", double(s.clearColor[0]), double(s.clearColor[1]),
        double(s.clearColor[2]), double(s.clearColor[3]), s.clearStencil);
    out("masks: color=%u %u %u %u", s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]);
    out("raster: cull=0x%X front=0x%X offset=%g %g coverage=%g invert=%u hint=0x%X pack=%d unpack=%d",
        s.cullFaceMode, s.frontFace, double(s.polygonOffsetFactor), double(s.polygonOffsetUnits),
        double(s.sampleCoverageValue), s.sampleCoverageInvert, s.generateMipmapHint, s.packAlignment,
        s.unpackAlignment);
    out("viewport: %d %d %d %d", s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    out("scissor: %d %d %d %d", s.scissorBox[0], s.scissorBox[1], s.scissorBox[2], s.scissorBox[3]);
    out("bindings: activeTexture=0x%X units=%u arrayBuffer=%u framebuffer=%u renderbuffer=%u vertexArray=%u",
        s.activeTexture, s.textureUnitCount, s.arrayBufferBinding, s.framebufferBinding, s.renderbufferBinding,
        s.vertexArrayBinding);
    for (uint32_t u = 0; u < 32; ++u)
        if (s.texture2DBinding[u] || s.textureCubeBinding[u])
            out("  unit %u: 2d=%u cube=%u", u, s.texture2DBinding[u], s.textureCubeBinding[u]);
    for (const auto& e : s.vertexAttribArrayEnabled)
        out("attribArray %u: enabled=%u", e.key, e.record & 0xFF);
    for (const auto& va : s.vertexArrays) {
        out("vertexArray %u: elementBuffer=%u", va.key, va.record.elementArrayBuffer);
        for (const auto& e : va.record.enabled)
            out("  attribArray %u: enabled=%u", e.key, e.record & 0xFF);
        for (const auto& p : va.record.pointers)
            out("  pointer %u: size=%d type=0x%X normalized=%u stride=%d buffer=%u pointer=0x%llX", p.key,
                p.record.size, p.record.type, p.record.normalized, p.record.stride, p.record.buffer,
                static_cast<unsigned long long>(p.record.pointer));
    }
    for (const auto& b : s.buffers)
        out("buffer %u: target=0x%X size=%u captured=%u usage=0x%X data=%s sum=%s", b.key, b.record.target,
            b.record.size, b.record.capturedSize, b.record.usage, b.record.data ? "yes" : "no",
            BytesSum(b.record.data, b.record.capturedSize).c_str());
    DescribeFramebufferObjects(out, s.framebuffers, s.renderbuffers);
    for (const auto& sh : s.shaders)
        out("shader %u: type=0x%X compiled=%u deletePending=%u attached=%u source=%zu chars", sh.key, sh.record.type,
            sh.record.compiled, sh.record.deletePending, sh.record.attached,
            sh.record.source ? strlen(sh.record.source) : size_t(0));
    out("program in use: %u vertex=%u fragment=%u linked=%u deleted=%u", s.currentProgram.name,
        s.currentProgram.vertexShader, s.currentProgram.fragmentShader, s.currentProgram.linked, s.deleteUsedProgram);
    for (const auto& p : s.programs)
        out("program %u: vertex=%u fragment=%u linked=%u", p.key, p.record.vertexShader, p.record.fragmentShader,
            p.record.linked);
    for (const auto& table : {std::make_pair("bound", &s.boundAttributes), std::make_pair("linked", &s.linkedAttributes)})
        for (const auto& p : *table.second)
            for (const auto& a : p.record)
                out("%s attribute %u/%u: name=%s byName=%u components=%u values=%s", table.first, p.key, a.key,
                    a.record.name.CStr(), a.record.boundByName, a.record.components, Floats(a.record.values).c_str());
    for (const auto& p : s.uniforms)
        for (const auto& u : p.record)
            out("uniform %u/%u: name=%s kind=%u components=%u floats=%s ints=%s", p.key, u.key, u.record.name.CStr(),
                u.record.kind, u.record.components, Floats(u.record.floats).c_str(), Ints(u.record.ints).c_str());
    for (const auto& t : s.textures)
        for (const auto& level : t.record)
            for (const auto& face : level.record) {
                const STexImage& i = face.record;
                out("texture %u level %u face %u: target=0x%X %dx%d format=0x%X/0x%X type=0x%X align=%d size=%u "
                    "captured=%u compressed=%u filters=0x%X/0x%X wrap=0x%X/0x%X data=%s sum=%s",
                    t.key, level.key, face.key, i.target, i.width, i.height, i.format, i.internalFormat, i.type,
                    i.unpackAlignment, i.size, i.capturedSize, i.compressed, i.minFilter, i.magFilter, i.wrapS, i.wrapT,
                    i.data ? "yes" : "no", BytesSum(i.data, i.capturedSize).c_str());
            }
    return out.Take();
}
