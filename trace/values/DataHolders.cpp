// Texts of strings, data blocks and images, and the quoted wrapping of long texts.
#include "DataHolders.h"
#include "TextFormat.h"

#include <string>

namespace {

void PointerText(const SPointerValue& p, CXQFTString* rawText)
{
    if (rawText)
        p.ToString(*rawText, nullptr);
}

void Assign(CXQFTString& out, const std::string& s) { out.Assign(s.data(), s.size()); }

// One wrapping pass at width w. Returns false when the pass produced more than w lines and a
// wider pass should be tried.
bool WrapPass(const char* s, size_t n, size_t w, std::string& out)
{
    out.assign("\n\"");
    size_t lines = 0, col = 0;
    for (size_t i = 0; i < n; ++i) {
        if (lines > w) {
            if (lines > 210) {
                out += " ....";
                return true;
            }
            return false;
        }
        const char c = s[i];
        if (c == '\n') {
            out += c;
            ++lines;
            col = 0;
            if (i + 1 < n && s[i + 1] == '\r')
                ++i;
            continue;
        }
        if (col >= w) {
            bool soft = false;
            // Look back for a blank to break at; the characters after it move to the new line.
            for (size_t k = 2; k < w && k + 1 <= out.size(); ++k) {
                const char back = out[out.size() - (k + 1)];
                if (back == '\n' || back == '\r')
                    break;
                if (back == ' ' || back == '\t') {
                    out.insert(out.size() - k, "\\\n");
                    soft = true;
                    break;
                }
            }
            if (!soft)
                out += "\\\n";
            ++lines;
            col = 0;
        }
        out += c;
        ++col;
    }
    return true;
}

} // namespace

CXQFTString WrapQuotedText(const CXQFTString& s)
{
    std::string out;
    if (s.Length() < 70) {
        out.reserve(s.Length() + 2);
        out += '"';
        out.append(s.CStr(), s.Length());
        out += '"';
    } else {
        out.reserve(s.Length() + s.Length() / 32 + 16);
        size_t w = 70;
        while (!WrapPass(s.CStr(), s.Length(), w, out))
            w = static_cast<size_t>(static_cast<double>(w) * 1.25);
        out += '"';
    }
    CXQFTString result;
    result.Assign(out.data(), out.size());
    return result;
}

void SString::ToString(CXQFTString& out, CXQFTString* rawText) const
{
    std::string e;
    if (text) {
        for (const char* p = Text(); *p; ++p) {
            if (*p == '\t')
                e += "  ";
            else
                e += *p;
        }
    }
    if (pointer.value == 0) {
        out.Assign("NULL");
    } else {
        std::string t = "\"";
        if (length < 26) {
            // Tabs widen e: cutting it at the recorded length would drop the last characters.
            t += e;
        } else {
            t.append(e, 0, 24);
            t += "...";
        }
        t += '"';
        std::string escaped;
        for (char c : t) {
            if (c == '\n')
                escaped += "\\n";
            else
                escaped += c;
        }
        Assign(out, escaped);
    }
    if (rawText)
        *rawText = WrapQuotedText(CXQFTString(e.data(), e.size()));
}

void SString::ToLongString(CXQFTString& out) const
{
    CXQFTString wrapped = WrapQuotedText(CXQFTString(text ? Text() : ""));
    std::string kept;
    kept.reserve(wrapped.Length());
    for (size_t i = 0; i < wrapped.Length(); ++i)
        if (wrapped.CStr()[i] != '\r')
            kept += wrapped.CStr()[i];
    Assign(out, kept);
}

void SDataPtr::ToString(CXQFTString& out, CXQFTString* rawText) const
{
    if (pointer.value == 0)
        out.Assign("NULL");
    else if (size == 0)
        pointer.ToString(out, nullptr);
    else
        AssignFormat(out, "~Data(%u bytes)~", size);
    PointerText(pointer, rawText);
}

void SImage2D::ToString(CXQFTString& out, CXQFTString* rawText) const
{
    if (pointer.value == 0)
        out.Assign("NULL");
    else if (size == 0)
        AssignFormat(out, "0x%llx", static_cast<unsigned long long>(pointer.value));
    else
        AssignFormat(out, "~Image(%u bytes)~", size);
    PointerText(pointer, rawText);
}
