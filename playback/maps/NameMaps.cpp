#include "NameMaps.h"

#include "host/HostUnpack.h"

#include "host/HostExtensions.h"

#include <map>

namespace {
uint32_t g_currentUniformProgram = 0;
// The ES 2.0 token: points at its one byte once the entry points were loaded.
uint8_t g_es2TokenValue = 2;
uint8_t* g_es2Token = nullptr;
} // namespace

uint32_t ProgramNameMap::FindRecorded(uint32_t host)
{
    const CObjectTable<uint32_t>& table = Table();
    for (int32_t i = table.Count() - 1; i >= 0; --i)
        if (table.At(i) == host)
            return table.KeyAt(i);
    return 0;
}

CObjectTable<SHostShader>& ShaderNameMap::Table()
{
    static CObjectTable<SHostShader> table;
    return table;
}

void ShaderNameMap::Set(uint32_t recorded, uint32_t host, uint8_t attached, uint8_t deletePending)
{
    Table()[recorded] = SHostShader{attached, deletePending, host};
}

void ShaderNameMap::SetEntry(uint32_t recorded, SHostShader value) { Table()[recorded] = value; }

SHostShader ShaderNameMap::Get(uint32_t recorded)
{
    const SHostShader* value = std::as_const(Table()).Get(recorded);
    return value ? *value : SHostShader{};
}

void ShaderNameMap::Erase(uint32_t recorded) { Table().Erase(recorded); }

CObjectTable<CObjectTable<uint32_t>>& UniformLocationMap::Table()
{
    static CObjectTable<CObjectTable<uint32_t>> table;
    return table;
}

void UniformLocationMap::SetCurrentProgram(uint32_t hostProgram) { g_currentUniformProgram = hostProgram; }

uint32_t UniformLocationMap::CurrentProgram() { return g_currentUniformProgram; }

void UniformLocationMap::Set(uint32_t hostProgram, uint32_t recordedLocation, int32_t hostLocation)
{
    Table()[hostProgram][recordedLocation] = uint32_t(hostLocation);
}

int32_t UniformLocationMap::Get(uint32_t recordedLocation)
{
    const CObjectTable<uint32_t>* program = std::as_const(Table()).Get(g_currentUniformProgram);
    const uint32_t* location = program ? program->Get(recordedLocation) : nullptr;
    return location ? int32_t(*location) : -1;
}

void UniformLocationMap::ResetProgram(uint32_t hostProgram) { Table()[hostProgram].Reset(); }

void UniformLocationMap::Reset() { Table().Reset(); }

void SEs1ExtensionState::LoadExtensionsOnce()
{
    if (token)
        return;
    const uint8_t api = kEsVersion1;
    if (LoadHostExtensions(&api))
        token = std::make_unique<uint8_t>(api);
}

void LoadEs2ExtensionsOnce()
{
    if (g_es2Token)
        return;
    if (LoadHostExtensions(&g_es2TokenValue))
        g_es2Token = &g_es2TokenValue;
}

bool Es2ExtensionsLoaded() { return g_es2Token != nullptr; }

namespace {

// The maps of one share group while another group's are live.
struct SNameMapSet
{
    CObjectTable<uint32_t> vertexArrays, framebuffers, renderbuffers, textures, programs, buffers, es1Buffers;
    CObjectTable<SHostShader> shaders;
    CObjectTable<CObjectTable<uint32_t>> uniforms;
    uint32_t currentUniformProgram = 0;
};

std::map<uint64_t, SNameMapSet> g_keptGroups;
uint64_t g_boundGroup = 0;  // 0: none bound, the live maps belong to the next group bound

void SwapWithLive(SNameMapSet& set)
{
    std::swap(set.vertexArrays, VertexArrayNameMap::Table());
    std::swap(set.framebuffers, FramebufferNameMap::Table());
    std::swap(set.renderbuffers, RenderbufferNameMap::Table());
    std::swap(set.textures, TextureNameMap::Table());
    std::swap(set.programs, ProgramNameMap::Table());
    std::swap(set.buffers, BufferNameMap::Table());
    std::swap(set.es1Buffers, Es1BufferNameMap::Table());
    std::swap(set.shaders, ShaderNameMap::Table());
    std::swap(set.uniforms, UniformLocationMap::Table());
    std::swap(set.currentUniformProgram, g_currentUniformProgram);
}

// Empties the live maps (the ES 1.1 buffers' only with es1Buffers set), then 0 -> 0 in those where
// the default object is named 0.
void EmptyLiveMaps(bool es1Buffers)
{
    VertexArrayNameMap::Reset();
    FramebufferNameMap::Reset();
    RenderbufferNameMap::Reset();
    TextureNameMap::Reset();
    ShaderNameMap::Table().Reset();
    ProgramNameMap::Reset();
    UniformLocationMap::Reset();
    BufferNameMap::Reset();
    if (es1Buffers)
        Es1BufferNameMap::Reset();
    g_currentUniformProgram = 0;
    VertexArrayNameMap::Set(0, 0);
    FramebufferNameMap::Set(0, 0);
    RenderbufferNameMap::Set(0, 0);
    TextureNameMap::Set(0, 0);
    ProgramNameMap::Set(0, 0);
    BufferNameMap::Set(0, 0);
}

} // namespace

void BindNameMapGroup(uint64_t group)
{
    if (group == g_boundGroup)
        return;
    const bool owned = g_boundGroup != 0;
    if (owned)
        SwapWithLive(g_keptGroups[g_boundGroup]);
    const auto kept = g_keptGroups.find(group);
    if (kept != g_keptGroups.end()) {
        SwapWithLive(kept->second);
        g_keptGroups.erase(kept);
    } else if (owned) {
        EmptyLiveMaps(true);
    }
    g_boundGroup = group;
}

void DropNameMapGroup(uint64_t group)
{
    g_keptGroups.erase(group);
    if (group != 0 && group == g_boundGroup) {
        EmptyLiveMaps(true);
        g_boundGroup = 0;
    }
}

void ResetNameMaps()
{
    g_es2Token = nullptr;
    g_keptGroups.clear();
    g_boundGroup = 0;
    EmptyLiveMaps(false);
    Es1UnpackRowsNote() = SUnpackRows();
}

void ResetEs1Names(SEs1ExtensionState& state)
{
    state.vertexArrays.Reset();
    Es1BufferNameMap::Reset();
}
