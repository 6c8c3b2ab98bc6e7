#pragma once
// What both state probes share: the host table they call, one-integer reads, entry points resolved
// by name, and the text they return (state lines in probe order, then the object lines sorted).
// Include it after the GL header of the API probed: it calls that header's glGetIntegerv and
// glGetError through the host table.
#include "ProbeText.h"

#include "host/HostTables.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace probe {

// Names: the slot names of the host table probed (kEs1HostNames, kEs2HostNames).
template <const auto& Names>
class CProbeBase
{
protected:
    // The host table as XQF_HOST reads it: entry points in slot order.
    struct SEntries
    {
        void* const* entries;
        static constexpr const auto& kNames = Names;
    };

    CProbeBase(void* const* entries, void* (*resolve)(const char*)) : t{entries}, m_resolve(resolve) {}

    GLint Int(GLenum pname)
    {
        GLint v[4] = {};
        XQF_HOST(t, glGetIntegerv)(pname, v);
        return v[0];
    }
    template <class F>
    F Resolved(const char* name)
    {
        return m_resolve ? reinterpret_cast<F>(m_resolve(name)) : nullptr;
    }
    std::string Object(const char* kind, const std::string& description) { return m_probeObjects.Add(kind, description); }
    static std::string IdOf(const std::map<GLuint, std::string>& ids, GLuint name) { return CObjects::IdOf(ids, name); }

    // Clears the errors the probe's own queries raised, then composes the text.
    std::string Finish()
    {
        while (XQF_HOST(t, glGetError)() != GL_NO_ERROR) {
        }
        std::sort(m_probeObjects.lines.begin(), m_probeObjects.lines.end());
        std::string out;
        for (const std::string& line : m_state)
            out += line + "\n";
        for (const std::string& line : m_probeObjects.lines)
            out += line + "\n";
        return out;
    }

    SEntries t;
    void* (*m_resolve)(const char*);
    std::vector<std::string> m_state;
    CObjects m_probeObjects;
};

} // namespace probe
