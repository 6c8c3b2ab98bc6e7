#include "Es1StateRows.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "state/Es1State.h"

namespace {

// ---- value texts --------------------------------------------------------------------------------

// Four floats joined by "," (colours, light vectors, plane equations).
std::string Floats4(const float* v)
{
    return FormatText("%f,%f,%f,%f", double(v[0]), double(v[1]), double(v[2]), double(v[3]));
}

// A scale truncated to an integer and shown as an enum text (1.0 shows "1"); NaN and values beyond
// the integers show as 0 and the nearest end.
std::string ScaleText(float v)
{
    const int32_t i = std::isnan(v) ? 0 : v >= 2147483647.0f ? INT32_MAX : v <= -2147483648.0f ? INT32_MIN : int32_t(v);
    return Enum(uint32_t(i));
}

uint32_t Units(const SEs1State& s) { return std::min<uint32_t>(s.textureUnitCount, uint32_t(kEs1Units)); }

// ---- hand-written rows --------------------------------------------------------------------------

// Units from the last down to 0: the 2D binding (compared) and whether GL_TEXTURE_2D is on.
void UnitBindingRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (uint32_t u = Units(now); u-- > 0;)
        g.rows.push_back(Line(FormatText("TEXTURE%d: %s (%s)", int(u), Enum(now.texture2DBinding[u]).c_str(),
                                         Bool(now.texture2DEnabled[u]).c_str()),
                              now.texture2DBinding[u] != before.texture2DBinding[u]));
}

// Enabled capabilities, last of the list first; a capability switched on since is red, one switched
// off has no row and marks nothing.
void CapabilityRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (int i = int(std::size(kEs1Capabilities)); i-- > 0;)
        if (now.capabilities[i])
            g.rows.push_back(Line(Enum(kEs1Capabilities[i]), !before.capabilities[i]));
}

void HintRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (int h = int(std::size(kEs1Hints)); h-- > 0;)
        g.rows.push_back(Line(FormatText("%s %s", Enum(kEs1Hints[h]).c_str(), Enum(now.hints[h]).c_str()),
                              now.hints[h] != before.hints[h]));
}

// One block of rows per unit, from the last unit down to 0, all direct children of the group; the
// unit's name closes its block.
void TexEnvRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (uint32_t u = Units(now); u-- > 0;) {
        g.rows.push_back(Line("GL_TEXTURE_ENV_COLOR: " + Floats4(now.texEnvColor[u]),
                              Bits(now.texEnvColor[u], before.texEnvColor[u])));
        g.rows.push_back(Line("GL_ALPHA_SCALE: " + ScaleText(now.texEnvScale[u][1]),
                              Number(now.texEnvScale[u][1], before.texEnvScale[u][1])));
        g.rows.push_back(Line("GL_RGB_SCALE: " + ScaleText(now.texEnvScale[u][0]),
                              Number(now.texEnvScale[u][0], before.texEnvScale[u][0])));
        for (int e = int(std::size(kEs1TexEnvParams)); e-- > 0;)
            g.rows.push_back(Line(FormatText("%s: %s", Enum(kEs1TexEnvParams[e]).c_str(), Enum(now.texEnv[u][e]).c_str()),
                                  now.texEnv[u][e] != before.texEnv[u][e]));
        g.rows.push_back(Line("GL_TEXTURE_ENV"));
        g.rows.push_back(Line("GL_COORD_REPLACE_OES: " + Enum(now.coordReplace[u]),
                              now.coordReplace[u] != before.coordReplace[u]));
        g.rows.push_back(Line(FormatText("TEXTURE%d", int(u))));
    }
}

// The four fog parameters, last first; each row is red when any of the four values differs.
void FogRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    bool changed = false;
    for (int i = 0; i < 4; ++i)
        changed = changed || Number(now.fogParams[i], before.fogParams[i]);
    for (int i = int(std::size(kEs1FogParams)); i-- > 0;)
        g.rows.push_back(Line(FormatText("%s %f", Enum(kEs1FogParams[i]).c_str(), double(now.fogParams[i])), changed));
}

// Eight sub-items "GL_LIGHT_<n>" in ascending order, never marked themselves; under each the ten
// parameters, last first. A marked parameter marks the group's header.
void LightRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (int l = 0; l < 8; ++l) {
        SStateLine light = Line(FormatText("GL_LIGHT_%d", l));
        for (int p = int(std::size(kEs1LightParams)); p-- > 0;) {
            const float* v = now.lights[l][p];
            const float* w = before.lights[l][p];
            const bool vector = p <= 4;  // GL_AMBIENT ... GL_SPOT_DIRECTION
            const bool changed = vector ? Bits(now.lights[l][p], before.lights[l][p]) : Number(v[0], w[0]);
            light.children.push_back(Line(FormatText("%s %s", Enum(kEs1LightParams[p]).c_str(),
                                                     vector ? Floats4(v).c_str() : Float(v[0]).c_str()),
                                          changed));
            g.changed = g.changed || changed;
        }
        g.rows.push_back(std::move(light));
    }
}

// Planes from the last down to 0.
void PlaneRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    for (int i = 6; i-- > 0;)
        g.rows.push_back(Line(FormatText("%d# %s", i, Floats4(now.clipPlaneEquations[i]).c_str()),
                              Bits(now.clipPlaneEquations[i], before.clipPlaneEquations[i])));
}

// The top of each matrix stack, 16 numbers in GL's column-major order, after the stack's name and
// depth: model-view, projection, the texture stack of each unit in use, the palette matrices.
void MatrixRows(const SEs1State& now, const SEs1State& before, SStateGroup& g)
{
    auto row = [&](const std::string& name, uint32_t i) {
        const SEs1Matrix& m = now.matrixStacks[i].top;
        std::string text = FormatText("%s (%u):", name.c_str(), now.matrixStackDepth[i]);
        for (int k = 0; k < 16; ++k)
            text += FormatText(k ? ",%g" : " %g", double(m[k]));
        g.rows.push_back(Line(std::move(text), Bits(m, before.matrixStacks[i].top) ||
                                                   now.matrixStackDepth[i] != before.matrixStackDepth[i]));
    };
    row("GL_MODELVIEW", 0);
    row("GL_PROJECTION", 1);
    for (uint32_t u = 0; u < Units(now) && 2 + now.paletteStackBase + u < uint32_t(kEs1MatrixStacks); ++u)
        row(FormatText("GL_TEXTURE%u", u), 2 + now.paletteStackBase + u);
    for (uint32_t p = 0; p < now.paletteStackBase && 2 + p < uint32_t(kEs1MatrixStacks); ++p)
        row(FormatText("GL_MATRIX_PALETTE_OES %u", p), 2 + p);
}

// ---- the table ------------------------------------------------------------------------------------

const std::vector<SEs1StateRow>& Rows()
{
    static const std::vector<SEs1StateRow> rows = PageRows<SEs1State>(kEs1PageGroups, {
#include "PageParts.h"
#include "state/Es1Fields.def"
    });
    return rows;
}

} // namespace

std::span<const SEs1StateRow> Es1StateRows() { return Rows(); }

SStatePage BuildEs1Page(const SEs1State& now, const SEs1State& before)
{
    return BuildPage<SEs1State>(kEs1PageGroups, Rows(), now, before);
}

void KeepEs1OnlyGroups(SStatePage& page)
{
    std::erase_if(page.groups, [](const SStateGroup& g) {
        return g.group != EStateGroup::TexEnv && g.group != EStateGroup::Lights && g.group != EStateGroup::Fog &&
               g.group != EStateGroup::ClipPlanes && g.group != EStateGroup::Matrices;
    });
}
