#include "Es1StateText.h"

#include "state/Es1State.h"
#include "state/StateFields.h"
#include "state/StateLines.h"

namespace {

using statefields::Join;

// ---- the hand-written lines ----------------------------------------------------------------------

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

// ---- the listing from the field rows --------------------------------------------------------------

// The listing's places in order: every field's lines in row order, then the object tables'.
enum class EPlace : uint8_t
{
    Fields,
    Objects,
};

const char* Head(int) { return ""; }

const TStateListing<SEs1State>& Listing()
{
    using State = SEs1State;
    static const TStateListing<State> listing({
#include "state/TextParts.h"
#include "state/Es1Fields.def"
        }, Head);
    return listing;
}

} // namespace

std::string DescribeEs1State(const SEs1State& s) { return Listing().Describe(s); }
