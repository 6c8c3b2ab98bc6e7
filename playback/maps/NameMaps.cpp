#include "NameMaps.h"

#include "host/HostExtensions.h"

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
    const uint8_t api = 1;
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

void ResetNameMaps()
{
    g_es2Token = nullptr;
    VertexArrayNameMap::Reset();
    FramebufferNameMap::Reset();
    RenderbufferNameMap::Reset();
    TextureNameMap::Reset();
    ShaderNameMap::Table().Reset();
    ProgramNameMap::Reset();
    UniformLocationMap::Reset();
    BufferNameMap::Reset();
    g_currentUniformProgram = 0;
    VertexArrayNameMap::Set(0, 0);
    FramebufferNameMap::Set(0, 0);
    RenderbufferNameMap::Set(0, 0);
    TextureNameMap::Set(0, 0);
    ProgramNameMap::Set(0, 0);
    BufferNameMap::Set(0, 0);
}

void ResetEs1Names(SEs1ExtensionState& state)
{
    state.vertexArrays.Reset();
    Es1BufferNameMap::Reset();
}
