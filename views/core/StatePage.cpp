#include "StatePage.h"

#include <cstdarg>
#include <cstdio>


const char* StateGroupLabel(EStateGroup group)
{
    static const char* const kLabels[kStateGroupCount] = {"Bind",    "ClipPlanes", "Enabled", "Fog",
                                                          "Hints",   "Lights",     "Stencil", "TexEnv",
                                                          "Program", "Blend",      "Misc",    "Matrices"};
    const int i = int(group);
    return i >= 0 && i < kStateGroupCount ? kLabels[i] : "";
}

SStateGroup* SStatePage::Find(EStateGroup group)
{
    for (SStateGroup& g : groups)
        if (g.group == group)
            return &g;
    return nullptr;
}

const SStateGroup* SStatePage::Find(EStateGroup group) const
{
    return const_cast<SStatePage*>(this)->Find(group);
}

namespace {
void DumpLine(const SStateLine& line, int depth, std::string& out)
{
    out.append(size_t(2 * depth), ' ');
    if (line.changed)
        out += '*';
    out += line.text;
    out += '\n';
    for (const SStateLine& child : line.children)
        DumpLine(child, depth + 1, out);
}
} // namespace

std::string DumpStatePage(const SStatePage& page)
{
    std::string out;
    for (const SStateGroup& g : page.groups) {
        if (g.changed)
            out += '*';
        out += StateGroupLabel(g.group);
        out += '\n';
        for (const SStateLine& row : g.rows)
            DumpLine(row, 1, out);
    }
    return out;
}

std::string FormatText(const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0)
        return std::string();
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n), '\0');
    va_start(args, format);
    std::vsnprintf(big.data(), big.size() + 1, format, args);
    va_end(args);
    return big;
}

std::string EnumText(uint32_t value)
{
    return HolderText<TGLenum>(value);
}
