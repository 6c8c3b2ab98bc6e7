#pragma once
// The text pieces both state probes write: numbers, enums, and objects named by the digest of
// their description (StateProbe.h).
#include "StateProbe.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace probe {

inline std::string Hex(uint32_t v)
{
    char t[16];
    std::snprintf(t, sizeof t, "0x%X", v);
    return t;
}

inline std::string Number(double v)
{
    char t[32];
    std::snprintf(t, sizeof t, "%.9g", v);
    return t;
}

// The object lines of a probe: each object's id is the digest of its description.
class CObjects
{
public:
    std::string Add(const char* kind, const std::string& description)
    {
        const std::string id = Digest(description.data(), description.size());
        lines.push_back(std::string(kind) + " " + id + ": " + description);
        return id;
    }
    // How a line names the object under a name: "none" for 0, "unknown" for a name not probed.
    static std::string IdOf(const std::map<uint32_t, std::string>& ids, uint32_t name)
    {
        if (name == 0)
            return "none";
        const auto it = ids.find(name);
        return it == ids.end() ? "unknown" : it->second;
    }

    std::vector<std::string> lines;
};

} // namespace probe
