#pragma once
// What the plain-text listings of tracked states (`xqft-dump state`, `es1-state`, and the tests
// that compare states) are written with: printf lines, and a short fingerprint of held bytes so
// that equal states print equal lines.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "state/FramebufferObjects.h"
#include "state/ObjectTable.h"
#include "state/SharedBytes.h"
#include "stream/FileMapping.h"

// Appends printf-formatted text, at most 1023 bytes of it.
inline void AppendFormatV(std::string& text, const char* format, va_list args)
{
    char line[1024];
    vsnprintf(line, sizeof line, format, args);
    text += line;
}
inline void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
inline void AppendFormat(std::string& text, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(text, format, args);
    va_end(args);
}

class CStateLines
{
public:
    void operator()(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        AppendFormatV(m_text, format, args);
        va_end(args);
        m_text += '\n';
    }
    std::string Take() { return std::move(m_text); }

private:
    std::string m_text;
};

// FNV-1a of the first size bytes (none without data).
inline uint32_t BytesChecksum(const SharedBytes& data, uint32_t size)
{
    uint32_t h = 2166136261u;
    for (uint32_t i = 0; data && i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

// The fingerprint as the listings print it: 8 hex digits, or "unavailable" for bytes in a trace
// file cut or changed since the load (asked after reading them: a cut meanwhile read zeros).
inline std::string BytesSum(const SharedBytes& data, uint32_t size)
{
    const uint32_t h = BytesChecksum(data, size);
    if (!CapturedBytesIntact(data.get()))
        return "unavailable";
    char text[16];
    std::snprintf(text, sizeof text, "%08X", h);
    return text;
}

// The framebuffer and renderbuffer tables, as both states list them.
inline void DescribeFramebufferObjects(CStateLines& out, const CObjectTable<SEs2Framebuffer>& framebuffers,
                                       const CObjectTable<SEs2Renderbuffer>& renderbuffers)
{
    auto attachment = [&](const char* what, const SEs2Attachment& a) {
        out("    %s: type=0x%X name=%u level=%u target=0x%X", what, a.type, a.name, a.level, a.target);
    };
    for (const auto& f : framebuffers) {
        out("framebuffer %u: bound=%u samples=%u", f.key, f.record.bound & 0xFF, f.record.samples);
        attachment("color", f.record.color);
        attachment("depth", f.record.depth);
        attachment("stencil", f.record.stencil);
    }
    for (const auto& r : renderbuffers)
        out("renderbuffer %u: bound=%u %ux%u format=0x%X samples=%u", r.key, r.record.bound & 0xFF, r.record.width,
            r.record.height, r.record.internalFormat, r.record.samples);
}

// A listing part of a field row (FieldRows.h, expanded by TextParts.h): a fragment of its place's
// line, or whole lines.
template <class State>
struct TTextPart
{
    int place;  // the family's place, as a number: places are listed in that order
    int order;  // a fragment's order in its line; 0 for whole lines
    void (*fragment)(std::string& line, const State& s);
    void (*lines)(CStateLines& out, const State& s);
};

// The listing from a family's listing parts: place by place, each place's fragments in order as one
// line after the place's head, then its whole lines in row order.
template <class State>
class TStateListing
{
public:
    TStateListing(std::vector<TTextPart<State>> parts, const char* (*head)(int place))
        : m_parts(std::move(parts)), m_head(head)
    {
        std::stable_sort(m_parts.begin(), m_parts.end(), [](const TTextPart<State>& a, const TTextPart<State>& b) {
            return std::tuple(a.place, a.lines != nullptr, a.order) < std::tuple(b.place, b.lines != nullptr, b.order);
        });
    }

    std::string Describe(const State& s) const
    {
        CStateLines out;
        std::string line;
        for (size_t i = 0; i < m_parts.size(); ++i) {
            const TTextPart<State>& part = m_parts[i];
            if (part.lines) {
                part.lines(out, s);
                continue;
            }
            if (line.empty())
                line = m_head(part.place);
            part.fragment(line, s);
            const bool last = i + 1 == m_parts.size() || m_parts[i + 1].place != part.place || m_parts[i + 1].lines;
            if (last) {
                out("%s", line.c_str());
                line.clear();
            }
        }
        return out.Take();
    }

private:
    std::vector<TTextPart<State>> m_parts;
    const char* (*m_head)(int place);
};
