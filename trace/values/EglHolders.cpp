// Texts of EGL attribute lists: "{ NAME : value, ... }" with values of the surface-type and
// renderable-type attributes named bit by bit.
#include "EglHolders.h"
#include "ApiValueFormat.h"

#include <string>

namespace {

constexpr int32_t kEglNone = 0x3038;

std::string Item(int32_t attribute, int32_t value)
{
    const uint64_t a = static_cast<uint64_t>(static_cast<int64_t>(attribute));
    const uint64_t v = static_cast<uint64_t>(static_cast<int64_t>(value));
    const int kind = attribute == 0x3033   ? kFormatSurfaceTypeBits      // EGL_SURFACE_TYPE
                     : attribute == 0x3040 ? kFormatRenderableTypeBits  // EGL_RENDERABLE_TYPE
                                           : kFormatEglName;
    CXQFTString name = FormatApiValue(kFormatEglName, a), shown = FormatApiValue(kind, v);
    std::string s(name.CStr(), name.Length());
    s += " : ";
    s.append(shown.CStr(), shown.Length());
    return s;
}

} // namespace

void SEglAttribList::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    if (pointer.value == 0) {
        text.Assign("NULL");
        if (rawText)
            pointer.ToString(*rawText, nullptr);
        return;
    }
    const size_t n = ElementCount();
    std::string s = "{ ";
    for (size_t i = 0; i + 1 < n; i += 2) {
        s += Item(elements[i].value, elements[i + 1].value);
        if (s.size() > 40) {
            s.resize(37);
            s += "...";
            break;
        }
        if (i + 2 < n)
            s += ", ";
    }
    s += " }";
    text.Assign(s.data(), s.size());
    if (rawText) {
        std::string r = "{ ";
        if (n > 2)
            r += "\n";
        for (size_t i = 0; i + 1 < n; i += 2) {
            r += Item(elements[i].value, elements[i + 1].value);
            if (i + 2 < n)
                r += ",\n";
        }
        if (n > 2)
            r += "\n";
        r += " }";
        rawText->Assign(r.data(), r.size());
    }
    if (Gone(text) && rawText)
        pointer.ToString(*rawText, nullptr);
}

void SEglAttribList::ToLongString(CXQFTString& text) const
{
    std::string s;
    const size_t n = ElementCount();
    for (size_t i = 0; i + 1 < n; i += 2) {
        s += Item(elements[i].value, elements[i + 1].value);
        s += "\n";
    }
    text.Assign(s.data(), s.size());
    Gone(text);
}

void SEglAttribList::SetList(const int32_t* list)
{
    if (!list)
        return;
    uint32_t n = 0;
    while (list[n] != kEglNone)
        n += 2;
    Allocate(n + 1);
    auto* held = Held();
    for (uint32_t i = 0; i <= n; ++i)
        held[i].value = list[i];
}
