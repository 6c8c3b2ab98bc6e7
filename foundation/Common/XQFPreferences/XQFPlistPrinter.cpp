#include "XQFPlistPrinter.h"

#include <cstring>
#include <string>

namespace {

// Spaces and control bytes only: every byte of such a text is written as a reference.
bool OnlyBlanks(const char* s)
{
    if (!*s)
        return false;
    for (; *s; ++s)
        if (*s != ' ' && static_cast<unsigned char>(*s) >= 32)
            return false;
    return true;
}

void Escape(const char* s, std::string* out)
{
    bool escapeSpaces = OnlyBlanks(s);
    for (; *s; ++s) {
        unsigned char c = static_cast<unsigned char>(*s);
        switch (c) {
        case '&': *out += "&amp;"; break;
        case '<': *out += "&lt;"; break;
        case '>': *out += "&gt;"; break;
        case '"': *out += "&quot;"; break;
        case '\'': *out += "&apos;"; break;
        default:
            if (c < 32 || (c == ' ' && escapeSpaces)) {
                char ref[8];
                snprintf(ref, sizeof ref, "&#x%02X;", c);
                *out += ref;
            } else {
                out->push_back(char(c));
            }
        }
    }
}

} // namespace

bool CXQFPlistPrinter::Visit(const tinyxml2::XMLText& text)
{
    if (text.CData())
        return tinyxml2::XMLPrinter::Visit(text);
    // An empty PushText closes the start tag and keeps the end tag on the same line as the text.
    PushText("", false);
    std::string escaped;
    Escape(text.Value(), &escaped);
    Write(escaped.data(), escaped.size());
    return true;
}

bool PrintPlist(const tinyxml2::XMLDocument& document, FILE* file)
{
    CXQFPlistPrinter printer(file);
    document.Print(&printer);
    return fflush(file) == 0 && !ferror(file);
}
