#pragma once
// Recorded-to-host name maps: a trace records the names the device's driver handed out, the host
// hands out its own when playback recreates the objects. Process-wide tables shared by the restores,
// the players and the analysis, reset whenever playback starts over.
//
// Looking a name up never creates anything; a caller that needs the host object for a name the map
// lacks creates it on the host and enters the pair with Set. Each map has its own result for a name
// it lacks (0 or all bits set); callers test for exactly that value.
#include "state/ObjectTable.h"

#include <cstdint>
#include <memory>
#include <utility>

inline constexpr uint32_t kNoHostName = 0xFFFFFFFFu;

// A map from recorded to host names with the result `Absent` for a name it lacks.
template <class Self, uint32_t Absent>
struct TNameMap
{
    static constexpr uint32_t kAbsent = Absent;

    static CObjectTable<uint32_t>& Table()
    {
        static CObjectTable<uint32_t> table;
        return table;
    }
    // Overwrites the value of the entry with this key, else adds one.
    static void Set(uint32_t recorded, uint32_t host) { Table()[recorded] = host; }
    static uint32_t Get(uint32_t recorded)
    {
        const uint32_t* host = std::as_const(Table()).Get(recorded);
        return host ? *host : Absent;
    }
    static void Erase(uint32_t recorded) { Table().Erase(recorded); }
    // Frees every entry; the capacity stays.
    static void Reset() { Table().Reset(); }
};

struct TextureNameMap : TNameMap<TextureNameMap, 0> {};
struct RenderbufferNameMap : TNameMap<RenderbufferNameMap, kNoHostName> {};
struct FramebufferNameMap : TNameMap<FramebufferNameMap, kNoHostName> {};
// Vertex-array objects of ES 2.0 contexts (the extension player's ES 2.0 path).
struct VertexArrayNameMap : TNameMap<VertexArrayNameMap, 0> {};
struct BufferNameMap : TNameMap<BufferNameMap, kNoHostName> {};
struct ProgramNameMap : TNameMap<ProgramNameMap, 0>
{
    // The recorded name whose host name is `host`, scanning from the last entry; 0 when none.
    static uint32_t FindRecorded(uint32_t host);
};
// ES 1.1 buffers (the ES 1.1 player); entries are never erased.
struct Es1BufferNameMap : TNameMap<Es1BufferNameMap, 0>
{
    static void Erase(uint32_t) = delete;
};

// The value of ShaderNameMap.
struct SHostShader
{
    uint8_t attached = 0;       // attached to a program
    uint8_t deletePending = 0;  // glDeleteShader was played while it was attached
    uint32_t host = 0;          // host shader name
};

struct ShaderNameMap
{
    static CObjectTable<SHostShader>& Table();
    static void Set(uint32_t recorded, uint32_t host, uint8_t attached, uint8_t deletePending);
    static void SetEntry(uint32_t recorded, SHostShader value);
    // The stored value, or all zero (host name 0) when absent.
    static SHostShader Get(uint32_t recorded);
    static void Erase(uint32_t recorded);
};

// Uniform locations per host program: host program -> recorded location -> host location. Lookups
// consult the current uniform program (the program of the latest glUseProgram played).
struct UniformLocationMap
{
    static CObjectTable<CObjectTable<uint32_t>>& Table();
    static void SetCurrentProgram(uint32_t hostProgram);
    static uint32_t CurrentProgram();
    static void Set(uint32_t hostProgram, uint32_t recordedLocation, int32_t hostLocation);
    // -1 when the current program or the location is not in the map.
    static int32_t Get(uint32_t recordedLocation);
    // Empties the program's table (made when missing).
    static void ResetProgram(uint32_t hostProgram);
    // Frees every program's table; the capacity stays.
    static void Reset();
};

// The ES 1.1 extension token and vertex-array names of one playback (the token is set once the ES 1.1
// extension entry points were loaded).
struct SEs1ExtensionState
{
    std::unique_ptr<uint8_t> token;
    CObjectTable<uint32_t> vertexArrays;  // recorded -> host vertex-array names

    // Loads the ES 1.1 extension entry points unless the token says they were; a failed load leaves
    // no token, so the next call tries again.
    void LoadExtensionsOnce();
    void SetVertexArray(uint32_t recorded, uint32_t host) { vertexArrays[recorded] = host; }
    void EraseVertexArray(uint32_t recorded) { vertexArrays.Erase(recorded); }
    // The host name; a name the table lacks is entered holding 0, and 0 is returned.
    uint32_t GetVertexArray(uint32_t recorded) { return vertexArrays[recorded]; }
};

// The same for the ES 2.0 extension entry points, with a process-wide token that ResetNameMaps
// clears (so the next extension call loads them again).
void LoadEs2ExtensionsOnce();
bool Es2ExtensionsLoaded();

// Contexts that share no objects hand out the same names, so each share group of host contexts has
// maps of its own. The maps above are those of the group bound last; the other groups' are kept
// aside. A group is named by one host context of it.
//
// Makes the maps of `group` the live ones (empty ones for a group not seen before), keeping the live
// maps as those of the group bound before. When no group is bound (after ResetNameMaps, or once the
// bound group was dropped), a group with no kept maps takes the live ones as its own.
void BindNameMapGroup(uint64_t group);
// Forgets the maps of a group whose contexts are all gone. When it is the bound group the live maps
// are emptied (the ES 1.1 buffers' too) and no group stays bound.
void DropNameMapGroup(uint64_t group);

// Brings every map to the state of a fresh playback: all emptied, the current uniform program 0, the
// ES 2.0 token cleared, and 0 -> 0 in the texture, renderbuffer, framebuffer, vertex-array, program
// and buffer maps (recorded name 0, the default object, always maps to host 0). Forgets every share
// group's maps and binds none, and empties the ES 1.1 player's note of the row length and skips.
void ResetNameMaps();
// Empties the ES 1.1 vertex-array names of `state` and Es1BufferNameMap.
void ResetEs1Names(SEs1ExtensionState& state);
