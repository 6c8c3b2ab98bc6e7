// Shared text rules of the array holders: entries are cut at 35 characters in the compact text,
// tuples print as "[ a; b ]" and matrices row by row, raw texts list matrices column by column.
#include "ArrayHolders.h"

namespace arraytext {

namespace {

constexpr size_t kCut = 35;

void Put(CXQFTString& out, const std::string& s) { out.Assign(s.data(), s.size()); }

std::string Join(const std::vector<std::string>& texts, size_t first, size_t count, size_t step,
                 const char* separator)
{
    std::string s;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            s += separator;
        s += texts[first + i * step];
    }
    return s;
}

// Elements per entry of a family.
size_t EntrySize(EFamily family, int n) { return family == EFamily::List ? 1 : family == EFamily::Tuple ? n : n * n; }

// The compact text of one entry.
std::string Entry(EFamily family, int n, const std::vector<std::string>& texts, size_t entry)
{
    const size_t size = EntrySize(family, n);
    const size_t base = entry * size;
    if (family == EFamily::List)
        return texts[base];
    if (family == EFamily::Tuple)
        return "[ " + Join(texts, base, size, 1, "; ") + " ]";
    std::string s = "[ ";
    for (int r = 0; r < n; ++r) {
        if (r)
            s += "; ";
        s += Join(texts, base + size_t(r) * n, n, 1, ", ");
    }
    return s + " ]";
}

// Tuples and matrices as "[ \n...\n]": tuple elements in order, matrix elements column by column.
std::string Block(EFamily family, int n, const std::vector<std::string>& texts, size_t entry)
{
    const size_t size = EntrySize(family, n);
    const size_t base = entry * size;
    std::string s = "[ \n";
    if (family == EFamily::Tuple) {
        s += Join(texts, base, size, 1, ", ");
    } else {
        for (int i = 0; i < n; ++i) {
            if (i)
                s += ";\n";
            s += Join(texts, base + i, n, n, ", ");
        }
    }
    return s + "\n]";
}

} // namespace

void Compact(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out)
{
    std::string s = "{ ";
    for (size_t i = 0; i < entries; ++i) {
        const std::string e = Entry(family, n, texts, i);
        if (s.size() + e.size() > kCut) {
            if (s.size() < kCut)
                s.append(e, 0, kCut - s.size());
            s += "... }";
            Put(out, s);
            return;
        }
        s += e;
        s += i + 1 < entries ? ", " : " }";
    }
    Put(out, s);
}

void Raw(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out)
{
    std::string s = "{ ";
    for (size_t i = 0; i < entries; ++i) {
        s += family == EFamily::List ? texts[i] : Block(family, n, texts, i);
        s += i + 1 < entries ? ", " : " }";
    }
    Put(out, s);
}

void Long(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out)
{
    std::string s;
    for (size_t i = 0; i < entries; ++i) {
        if (i)
            s += "\n";
        s += family == EFamily::List ? texts[i] : Block(family, n, texts, i);
    }
    Put(out, s);
}

void Fixed(int a, int b, const std::vector<std::string>& texts, CXQFTString& out)
{
    if (a == 1 && b == 1) {
        Put(out, texts[0]);
        return;
    }
    std::string s = "[ ";
    if (b == 1) {
        s += Join(texts, 0, a, 1, "; ");
    } else {
        for (int r = 0; r < a; ++r) {
            if (r)
                s += "; ";
            s += Join(texts, size_t(r) * b, b, 1, ", ");
        }
    }
    Put(out, s + " ]");
}

std::string Text(const SApiTypeBase& v)
{
    CXQFTString t;
    v.ToString(t, nullptr);
    return std::string(t.CStr(), t.Length());
}

std::string RawText(const SApiTypeBase& v)
{
    CXQFTString t, raw;
    v.ToString(t, &raw);
    return std::string(raw.CStr(), raw.Length());
}

std::string LongText(const SApiTypeBase& v)
{
    CXQFTString t;
    v.ToLongString(t);
    return std::string(t.CStr(), t.Length());
}

} // namespace arraytext
