#pragma once
// A render-state page as the state tree shows it, without widgets: top-level groups in page order,
// each with its rows top to bottom, and which header and rows differ from the state the page
// showed before. The tree widget, `xqft-dump state-page` and the tests all read this one shape.
#include <cstdint>
#include <string>
#include <vector>

#include "values/ApiTypes.h"

// The groups of both pages (ES 1.1 and ES 2.0), in the order of the widget's collapsed flags.
enum class EStateGroup : uint8_t {
    Bind, ClipPlanes, Enabled, Fog, Hints, Lights, Stencil, TexEnv, Program, Blend, Misc, Matrices, Count
};
inline constexpr int kStateGroupCount = int(EStateGroup::Count);

const char* StateGroupLabel(EStateGroup group);

struct SStateLine
{
    std::string text;
    bool changed = false;   // painted red
    bool bold = false;      // a sub-header
    std::vector<SStateLine> children;  // top to bottom
};

struct SStateGroup
{
    EStateGroup group;
    bool changed = false;          // the header is painted red
    std::vector<SStateLine> rows;  // top to bottom
};

struct SStatePage
{
    std::vector<SStateGroup> groups;  // top-level order

    SStateGroup* Find(EStateGroup group);
    const SStateGroup* Find(EStateGroup group) const;
};

// One line per header and row, children indented by two blanks a level, "*" before the text of
// every header and row that would be red.
std::string DumpStatePage(const SStatePage& page);

// The text of a value as the value holder H prints it (TGLenum: the GL name, "GL_NONE" for 0, the
// decimal number when the value has no name; TGLboolean; TGLBlendFactor).
template <class H>
std::string HolderText(uint32_t value)
{
    H holder;
    holder.value = value;
    CXQFTString text;
    holder.ToString(text, nullptr);
    return text.CStr();
}
std::string EnumText(uint32_t value);

// printf into a string; the row formats are the page's texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
