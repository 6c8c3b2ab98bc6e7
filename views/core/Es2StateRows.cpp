#include "Es2StateRows.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "state/Es2State.h"
#include "values/ApiTypes.h"

namespace {

// ---- value texts --------------------------------------------------------------------------------

std::string Factor(uint32_t v) { return HolderText<TGLBlendFactor>(v); }
// Object names in decimal: as enum texts a program named 3042 read "GL_BLEND". 0 is "GL_NONE".
std::string Name(uint32_t v) { return v == 0 ? std::string("GL_NONE") : std::to_string(v); }
const char* MaskText(uint8_t v) { return v > 0 ? "GL_TRUE" : "GL_FALSE"; }

// ---- comparisons --------------------------------------------------------------------------------

// Lookups through const access: a missing record reads as a default one and is never created.
template <class T>
const T& OrDefault(const T* record)
{
    static const T kDefault{};
    return record ? *record : kDefault;
}

constexpr uint32_t kTextureUnits = 32;
constexpr uint32_t kGenerateMipmapHint = 0x8192;

uint32_t ShaderName(const SEs2State& s, uint32_t shader) { return OrDefault(s.shaders.Get(shader)).name; }

// ---- hand-written rows --------------------------------------------------------------------------

void ElementArrayRow(const SEs2State& now, const SEs2State& before, SStateGroup& g)
{
    const uint32_t element = OrDefault(now.vertexArrays.Get(now.vertexArrayBinding)).elementArrayBuffer;
    const uint32_t previous = OrDefault(before.vertexArrays.Get(before.vertexArrayBinding)).elementArrayBuffer;
    g.rows.push_back(Line(FormatText("Buffer(Elements) : %d", int(element)),
                          now.vertexArrayBinding != before.vertexArrayBinding || element != previous));
}

// Units from the last down to 0, the cube binding above the 2D one; units bound to nothing have no
// row, so the header also marks a change that left no row behind (a binding back to 0).
void TextureUnitRows(const SEs2State& now, const SEs2State& before, SStateGroup& g)
{
    for (uint32_t u = std::min(now.textureUnitCount, kTextureUnits); u-- > 0;) {
        if (now.textureCubeBinding[u])
            g.rows.push_back(Line(FormatText("CUBETEXTURE%d: %d", int(u), int(now.textureCubeBinding[u])),
                                  now.textureCubeBinding[u] != before.textureCubeBinding[u]));
        if (now.texture2DBinding[u])
            g.rows.push_back(Line(FormatText("2DTEXTURE%d: %d", int(u), int(now.texture2DBinding[u])),
                                  now.texture2DBinding[u] != before.texture2DBinding[u]));
    }
    if (Bits(now.texture2DBinding, before.texture2DBinding) || Bits(now.textureCubeBinding, before.textureCubeBinding))
        g.changed = true;
}

// Enabled capabilities, last of the list first; a capability switched on since is red, one switched
// off has no row and marks nothing.
void CapabilityRows(const SEs2State& now, const SEs2State& before, SStateGroup& g)
{
    for (int i = int(std::size(kEs2Capabilities)); i-- > 0;)
        if (now.capabilities[i])
            g.rows.push_back(Line(Enum(kEs2Capabilities[i]), !before.capabilities[i]));
}

// "%f " per float, then "%d " per integer, as many as the record holds.
std::string Values(const std::vector<float>& floats, const std::vector<int32_t>& ints = {})
{
    std::string text;
    for (float f : floats)
        text += FormatText("%f ", double(f));
    for (int32_t i : ints)
        text += FormatText("%d ", i);
    return text;
}

SStateLine SubHeader(const char* text)
{
    SStateLine line = Line(text);
    line.bold = true;
    return line;
}

// The program's uniforms holding values, last of the table first.
void UniformRows(const SEs2State& now, const SEs2State&, SStateGroup& g)
{
    SStateLine header = SubHeader("Uniforms");
    if (const auto* table = now.uniforms.Get(now.currentProgram.name))
        for (int32_t i = table->Count(); i-- > 0;) {
            const SEs2Uniform& u = table->At(i);
            if (u.floats.empty() && u.ints.empty())
                continue;
            header.children.push_back(Line(
                FormatText("%s (%d) { %s}", u.name.CStr(), u.location, Values(u.floats, u.ints).c_str())));
        }
    g.rows.push_back(std::move(header));
}

// Two passes, shown last first: every attribute with a generic value slot of the program, then
// every bound location that holds a value; so the second pass stands above the first.
void AttribRows(const SEs2State& now, const SEs2State&, SStateGroup& g)
{
    std::vector<SStateLine> built;
    auto text = [](const SEs2Attribute& a) {
        return FormatText("%s (%d) { %s}", a.name.CStr(), int(a.index),
                          a.values.empty() ? "N/D" : Values(a.values).c_str());
    };
    if (const auto* linked = now.linkedAttributes.Get(now.currentProgram.name))
        for (const auto& e : *linked)
            built.push_back(Line(text(e.record)));
    if (const auto* bound = now.boundAttributes.Get(now.currentProgram.name))
        for (const auto& e : *bound)
            if (!e.record.values.empty())
                built.push_back(Line(text(e.record)));
    SStateLine header = SubHeader("Attribs");
    header.children.assign(std::make_move_iterator(built.rbegin()), std::make_move_iterator(built.rend()));
    g.rows.push_back(std::move(header));
}

// The vertex-attribute arrays of the bound vertex-array object switched on or off so far, in the
// order first touched; each named by its attribute index.
void VertexAttribRows(const SEs2State& now, const SEs2State& before, SStateGroup& g)
{
    const auto& table = EnabledAttribArrays(now);
    const auto& previous = EnabledAttribArrays(before);
    bool changed = table.Count() != previous.Count();
    SStateLine row = Line(FormatText("VertexAttrib: %s", table.IsEmpty() ? "NONE" : ""));
    for (const auto& e : table) {
        const bool on = (e.record & 0xFF) != 0;
        const unsigned int* was = previous.Get(e.key);
        changed = changed || !was || ((*was & 0xFF) != 0) != on;
        row.children.push_back(
            Line(FormatText(on ? "(Attrib<%d>: Enabled)" : "(Attrib<%d>: Disabled)", int(e.key))));
    }
    row.changed = changed;
    g.rows.push_back(std::move(row));
}

// ---- the table ------------------------------------------------------------------------------------

const std::vector<SEs2StateRow>& Rows()
{
    static const std::vector<SEs2StateRow> rows = PageRows<SEs2State>(kEs2PageGroups, {
#include "PageParts.h"
#include "state/Es2Fields.def"
    });
    return rows;
}

} // namespace

std::span<const SEs2StateRow> Es2StateRows() { return Rows(); }

SStatePage BuildEs2Page(const SEs2State& now, const SEs2State& before)
{
    return BuildPage<SEs2State>(kEs2PageGroups, Rows(), now, before);
}
