#include "Es2StateText.h"

#include "state/Es2State.h"
#include "state/StateLines.h"

#include <cstdio>
#include <cstring>
#include <vector>

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

// ---- the hand-written lines ----------------------------------------------------------------------

void UnitLines(CStateLines& out, const SEs2State& s)
{
    for (uint32_t u = 0; u < 32; ++u)
        if (s.texture2DBinding[u] || s.textureCubeBinding[u])
            out("  unit %u: 2d=%u cube=%u", u, s.texture2DBinding[u], s.textureCubeBinding[u]);
}

void AttribArrayLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& e : s.vertexAttribArrayEnabled)
        out("attribArray %u: enabled=%u", e.key, e.record & 0xFF);
}

void VertexArrayLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& va : s.vertexArrays) {
        out("vertexArray %u: elementBuffer=%u", va.key, va.record.elementArrayBuffer);
        for (const auto& e : va.record.enabled)
            out("  attribArray %u: enabled=%u", e.key, e.record & 0xFF);
        for (const auto& p : va.record.pointers)
            out("  pointer %u: size=%d type=0x%X normalized=%u stride=%d buffer=%u pointer=0x%llX", p.key,
                p.record.size, p.record.type, p.record.normalized, p.record.stride, p.record.buffer,
                static_cast<unsigned long long>(p.record.pointer));
    }
}

void BufferLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& b : s.buffers)
        out("buffer %u: target=0x%X size=%u captured=%u usage=0x%X data=%s sum=%s", b.key, b.record.target,
            b.record.size, b.record.capturedSize, b.record.usage, b.record.data ? "yes" : "no",
            BytesSum(b.record.data, b.record.capturedSize).c_str());
}

void FramebufferObjectLines(CStateLines& out, const SEs2State& s)
{
    DescribeFramebufferObjects(out, s.framebuffers, s.renderbuffers);
}

void ShaderLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& sh : s.shaders)
        out("shader %u: type=0x%X compiled=%u deletePending=%u attached=%u source=%zu chars", sh.key, sh.record.type,
            sh.record.compiled, sh.record.deletePending, sh.record.attached,
            sh.record.source ? strlen(sh.record.source) : size_t(0));
}

void ProgramLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& p : s.programs)
        out("program %u: vertex=%u fragment=%u linked=%u", p.key, p.record.vertexShader, p.record.fragmentShader,
            p.record.linked);
}

// The bound attributes, then the linked ones.
void AttributeLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& table : {std::make_pair("bound", &s.boundAttributes), std::make_pair("linked", &s.linkedAttributes)})
        for (const auto& p : *table.second)
            for (const auto& a : p.record)
                out("%s attribute %u/%u: name=%s byName=%u components=%u values=%s", table.first, p.key, a.key,
                    a.record.name.CStr(), a.record.boundByName, a.record.components, Floats(a.record.values).c_str());
}

void UniformLines(CStateLines& out, const SEs2State& s)
{
    for (const auto& p : s.uniforms)
        for (const auto& u : p.record)
            out("uniform %u/%u: name=%s kind=%u components=%u floats=%s ints=%s", p.key, u.key, u.record.name.CStr(),
                u.record.kind, u.record.components, Floats(u.record.floats).c_str(), Ints(u.record.ints).c_str());
}

void TextureLines(CStateLines& out, const SEs2State& s)
{
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
}

// ---- the listing from the field rows --------------------------------------------------------------

// The listing's places in order; the ones with a head are lines made of the fields' fragments.
enum class EPlace : uint8_t
{
    Blend, Capabilities, Depth, StencilFront, StencilBack, Clear, Masks, Raster, Viewport, Scissor, Bindings,
    Units, AttribArrays, VertexArrays, Buffers, FramebufferObjects, Shaders, ProgramInUse, Programs, Attributes,
    Uniforms, Textures,
};

const char* Head(int place)
{
    switch (EPlace(place)) {
    case EPlace::Blend: return "blend:";
    case EPlace::Capabilities: return "capabilities:";
    case EPlace::Depth: return "depth:";
    case EPlace::StencilFront: return "stencil front:";
    case EPlace::StencilBack: return "stencil back:";
    case EPlace::Clear: return "clear:";
    case EPlace::Masks: return "masks:";
    case EPlace::Raster: return "raster:";
    case EPlace::Viewport: return "viewport:";
    case EPlace::Scissor: return "scissor:";
    case EPlace::Bindings: return "bindings:";
    case EPlace::ProgramInUse: return "program in use:";
    default: return "";
    }
}

const TStateListing<SEs2State>& Listing()
{
    using State = SEs2State;
    static const TStateListing<State> listing({
#include "state/TextParts.h"
#include "state/Es2Fields.def"
        }, Head);
    return listing;
}

} // namespace

std::string DescribeEs2State(const SEs2State& s) { return Listing().Describe(s); }
