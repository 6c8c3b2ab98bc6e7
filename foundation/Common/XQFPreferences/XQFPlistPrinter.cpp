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

// Text outside the root element (stray text, the rest of a document type declaration with an
// internal subset) is written as it was read. The printer puts a line end after the closed root
// and before every following node; the parser keeps those in the text, so one of each is taken
// off here, or every save would add one.
void OutsideRoot(const tinyxml2::XMLText& text, std::string* out)
{
    const char* s = text.Value();
    size_t n = strlen(s);
    const tinyxml2::XMLNode* before = text.PreviousSibling();
    if (before && before->ToElement() && n > 0 && s[0] == '\n') {
        ++s;
        --n;
    }
    const tinyxml2::XMLNode* after = text.NextSibling();
    if (after && !after->ToText() && n > 0 && s[n - 1] == '\n')
        --n;
    for (size_t i = 0; i < n; ++i) {
        // The parser turned references into characters; these two must become references again.
        if (s[i] == '&')
            *out += "&amp;";
        else if (s[i] == '<')
            *out += "&lt;";
        else
            out->push_back(s[i]);
    }
}

} // namespace

bool CXQFPlistPrinter::Visit(const tinyxml2::XMLText& text)
{
    if (text.CData())
        return tinyxml2::XMLPrinter::Visit(text);
    if (text.Parent() && text.Parent()->ToDocument()) {
        std::string raw;
        OutsideRoot(text, &raw);
        Write(raw.data(), raw.size());
        return true;
    }
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
