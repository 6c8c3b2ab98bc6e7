// Line table, block dispatch, the document-wide checks and the render-pass set-up.
#include "XQFTVTLParser.h"

#include "XQFTVTLKeywords.h"
#include "XQFTVTLParserImpl.h"

#include <algorithm>
#include <cstring>

using namespace vtl;

CXQFTVTLParser::CXQFTVTLParser() : textures(16) {}

CXQFTVTLParser::~CXQFTVTLParser() = default;

namespace {

// Comment cut, tabs to blanks, leading, trailing and repeated blanks removed; carriage
// returns inside the line stay. Appends the result and its terminator to out; returns the
// result's length.
size_t AppendNormalised(const char* begin, const char* end, std::vector<char>& out)
{
    for (const char* c = static_cast<const char*>(memchr(begin, '/', size_t(end - begin))); c && c + 1 < end;
         c = static_cast<const char*>(memchr(c + 1, '/', size_t(end - c - 1))))
        if (c[1] == '/') {
            end = c;
            break;
        }
    size_t start = out.size();
    out.resize(start + size_t(end - begin) + 1);
    char* w = out.data() + start;
    char* const first = w;
    bool pendingBlank = false;
    for (const char* c = begin; c < end; ++c) {
        char ch = *c;
        if (ch == ' ' || ch == '\t' || ch == '\n') {
            pendingBlank = w != first;
            continue;
        }
        if (pendingBlank)
            *w++ = ' ';
        pendingBlank = false;
        *w++ = ch;
    }
    size_t length = size_t(w - first);
    *w = '\0';
    out.resize(start + length + 1);
    return length;
}

struct SBlockTag
{
    uint32_t hash;
    const char* closing;
    const char* missing;   // message when the closing tag is absent
};

constexpr SBlockTag kBlockTags[] = {
    {kw::Header, "[/HEADER]", "Missing [/HEADER] tag after [HEADER] on line %d\n"},
    {kw::Textures, "[/TEXTURES]", "Missing [/TEXTURES] tag after [TEXTURES] on line %d\n"},
    {kw::Texture, "[/TEXTURE]", "Missing [/TEXTURE] tag after [TEXTURE] on line %d\n"},
    {kw::Target, "[/TARGET]", "Missing [/TARGET] tag after [TARGET] on line %d\n"},
    {kw::VertexShaderTag, "[/VERTEXSHADER]",
     "Missing [/VERTEXSHADER] tag after [VERTEXSHADER] on line %d\n"},
    {kw::FragmentShaderTag, "[/FRAGMENTSHADER]",
     "Missing [/FRAGMENTSHADER] tag after [FRAGMENTSHADER] on line %d\n"},
    {kw::Effect, "[/EFFECT]", "Missing [/EFFECT] tag after [EFFECT] on line %d\n"},
};

} // namespace

uint32_t CXQFTVTLParser::ParseFromMemory(const char* text, CXQFTString* error)
{
    CXQFTString scratch;
    if (!error)
        error = &scratch;
    if (!text)
        return 1;
    error->Clear();

    SLineTable table;
    std::vector<size_t> offsets;
    table.text.reserve(std::min<size_t>(strnlen(text, size_t(1) << 20) + 64, size_t(1) << 20));
    uint32_t lineNumber = 0;
    const char* p = text;
    if (strncmp(p, "\xEF\xBB\xBF", 3) == 0)
        p += 3;   // a UTF-8 byte-order mark written by some editors is no part of the first line
    for (;;) {
        while (*p == '\r')
            ++p;
        const char* lf = strchr(p, '\n');
        const char* end = lf ? lf : p + strlen(p);
        const char* kept = end;
        while (kept > p && kept[-1] == '\r')
            --kept;
        ++lineNumber;
        if (table.count == table.max) {
            error->Format("Too many lines of text in file (maximum is %d)\n", int(table.max));
            return 1;
        }
        size_t offset = table.text.size();
        // Lines are read whole: one longer than the limit is refused rather than split, which
        // would change the code and move every later line number.
        if (AppendNormalised(p, kept, table.text) > kMaxLineLength) {
            error->Format("Line %d is longer than %u characters\n", int(lineNumber), kMaxLineLength);
            return 1;
        }
        offsets.push_back(offset);
        table.lineNumbers.push_back(lineNumber);
        ++table.count;
        if (!lf)
            break;
        p = lf + 1;
    }
    table.lines.reserve(table.count);
    for (size_t offset : offsets)
        table.lines.push_back(table.text.data() + offset);

    m_lines = &table;
    bool ok = Parse(error);
    m_lines = nullptr;
    return ok ? 0 : 1;
}

uint32_t CXQFTVTLParser::GetEndTag(const char* tag, uint32_t from) const
{
    for (uint32_t i = from; i < m_lines->count; ++i)
        if (strcmp(Line(i), tag) == 0)
            return i;
    return m_lines->count;
}

size_t CXQFTVTLParser::LinesLength(uint32_t from, uint32_t to) const
{
    size_t n = 0;
    for (uint32_t k = from; k < to; ++k)
        n += strlen(Line(k)) + 1;
    return n;
}

bool CXQFTVTLParser::Parse(CXQFTString* error)
{
    // Room for every effect at once: growing the array would make and copy whole records.
    uint32_t effectBlocks = 0;
    for (uint32_t i = 0; i < m_lines->count; ++i)
        effectBlocks += Line(i)[0] == '[' && strcmp(Line(i), "[EFFECT]") == 0;
    if (effects.SetCapacity(effectBlocks) != 0)
        return Fail(error, "Out of memory\n");

    bool haveHeader = false, haveTextures = false;
    for (uint32_t i = 0; i < m_lines->count;) {
        const char* line = Line(i);
        if (!*line) {
            ++i;
            continue;
        }
        uint32_t hash = Fnv1(line);
        const SBlockTag* tag = nullptr;
        for (const SBlockTag& t : kBlockTags)
            if (t.hash == hash)
                tag = &t;
        if (!tag)
            return Fail(error, "'%s' unexpected on line %d\n", line, LineNumber(i));
        if (hash == kw::Header && haveHeader)
            return Fail(error, "[HEADER] redefined on line %d\n", LineNumber(i));
        if (hash == kw::Textures && haveTextures)
            return Fail(error, "[TEXTURES] redefined on line %d\n", LineNumber(i));
        uint32_t end = GetEndTag(tag->closing, i);
        if (end == m_lines->count)
            return Fail(error, tag->missing, LineNumber(i));
        bool ok = true;
        switch (hash) {
        case kw::Header: ok = ParseHeader(i, end, error); haveHeader = true; break;
        case kw::Textures: ok = ParseTextures(i, end, error); haveTextures = true; break;
        case kw::Texture: ok = ParseTexture(i, end, error); break;
        case kw::Target: ok = ParseTarget(i, end, error); break;
        case kw::VertexShaderTag: ok = ParseShader(i, end, true, error); break;
        case kw::FragmentShaderTag: ok = ParseShader(i, end, false, error); break;
        default: ok = ParseEffect(i, end, error); break;
        }
        if (!ok)
            return false;
        i = end + 1;
    }

    if (effects.size == 0)
        return Fail(error, "No [EFFECT] found. VTL file must have at least one defined.\n");
    if (fragmentShaders.size == 0)
        return Fail(error, "No [FRAGMENTSHADER] found. VTL file must have at least one defined.\n");
    if (vertexShaders.size == 0)
        return Fail(error, "No [VERTEXSHADER] found. VTL file must have at least one defined.\n");
    for (uint32_t e = 0; e < effects.size; ++e)
        for (uint32_t t = 0; t < effects[e].Textures.size; ++t) {
            const CXQFTStringHash& name = effects[e].Textures[t].Name;
            bool defined = false;
            for (uint32_t k = 0; k < textures.size && !defined; ++k)
                defined = textures[k]->Name == name;
            if (!defined) {
                *error = CXQFTString("Error: TEXTURE '") + name.String +
                         "' is not defined in [TEXTURES].\n";
                return false;
            }
        }
    if (!SetUpRenderPasses(error))
        return false;
    return error->IsEmpty();
}

bool CXQFTVTLParser::SetUpRenderPasses(CXQFTString* error)
{
    if (renderPasses.size == 0)
        return true;
    for (uint32_t r = 0; r < renderPasses.size; ++r) {
        SXQFTVTLRenderPass& pass = renderPasses[r];
        const SXQFTTargetPair* target = nullptr;
        for (uint32_t e = 0; e < effects.size && !target; ++e)
            for (uint32_t t = 0; t < effects[e].Targets.size; ++t)
                if (effects[e].Targets[t].TargetName == pass.SemanticName) {
                    target = &effects[e].Targets[t];
                    pass.Effect = &effects[e];
                    break;
                }
        if (target) {
            pass.RenderPassType = SXQFTVTLRenderPass::kTypeTarget;
            targetNames.Append(pass.SemanticName);
            const char* type = target->BufferType.CStr();
            if ((strpbrk(type, "DEPTH") && !(pass.FormatFlags & kVTLSurfaceDepth)) ||
                (strpbrk(type, "COLOR") && !(pass.FormatFlags & kVTLSurfaceColour)))
                return Fail(error,
                            "Surface type mismatch in [EFFECT]. \"%s\" has different type than \"%s\"\n",
                            target->TargetName.CStr(), pass.SemanticName.CStr());
        }
        renderPassGraph.AddNode(&pass);
    }

    // A pass that samples a texture depends on the pass that renders it. Each effect's sampled
    // names are sorted once, so a pair costs one search instead of a walk of the texture list.
    uint32_t n = renderPassGraph.Count();
    std::vector<std::vector<uint32_t>> sampled(n);
    for (uint32_t a = 0; a < n; ++a)
        if (const SXQFTVTLParserEffect* effect = renderPassGraph.NodeAt(a)->Data->Effect) {
            for (uint32_t t = 0; t < effect->Textures.size; ++t)
                sampled[a].push_back(effect->Textures[t].Name.Hash);
            std::sort(sampled[a].begin(), sampled[a].end());
        }
    for (uint32_t a = 0; a < n; ++a) {
        if (sampled[a].empty())
            continue;
        for (uint32_t b = 0; b < n; ++b) {
            if (a == b)
                continue;
            const SXQFTVTLParserTexture* texture = renderPassGraph.NodeAt(b)->Data->Texture;
            if (texture && std::binary_search(sampled[a].begin(), sampled[a].end(), texture->Name.Hash))
                renderPassGraph.AddDependency(renderPassGraph.NodeAt(a), renderPassGraph.NodeAt(b));
        }
    }
    return true;
}
