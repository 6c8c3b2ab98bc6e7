// The header and the texture blocks: [HEADER], [TEXTURES], [TEXTURE] and [TARGET].
#include "XQFTVTLKeywords.h"
#include "XQFTVTLParser.h"
#include "XQFTVTLParserImpl.h"
#include "XQFTVTLText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vtl;

namespace vtl {

bool Fail(CXQFTString* error, const char* format, ...)
{
    va_list ap, measure;
    va_start(ap, format);
    va_copy(measure, ap);
    int n = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::vector<char> buffer(n > 0 ? size_t(n) + 1 : 1, '\0');
    if (n > 0)
        vsnprintf(buffer.data(), buffer.size(), format, ap);
    va_end(ap);
    error->Assign(buffer.data());
    return false;
}

int FindName(const CXQFTString& name, const char* const* names, uint32_t nameCount)
{
    uint32_t hash = HashOf(name);
    for (uint32_t i = 0; i < nameCount; ++i)
        if (Fnv1(names[i]) == hash)
            return int(i);
    return -1;
}

bool ParseNameList(const char* p, const char* const* names, uint32_t nameCount, uint32_t* values,
                   const char* block, uint32_t line, const char* lineText, const char** after,
                   CXQFTString* error)
{
    for (uint32_t count = 0; count < 3; ++count) {
        size_t length = strcspn(p, "- ");
        CXQFTString word(p, length);
        int value = FindName(word, names, nameCount);
        if (value < 0)
            return Fail(error, "Unknown keyword '%s' in [%s] on line %d: %s\n", word.CStr(), block,
                        int(line), lineText);
        values[count] = uint32_t(value);
        p += length;
        if (*p != '-' || count == 2)
            break;
        ++p;
    }
    *after = p;
    return true;
}

} // namespace vtl

namespace {

// The older [TEXTURES] lines carry their filter and wrap lists anywhere after the name: the
// list starts at the earliest name of the table, with any words joined to it by '-' in front.
bool SearchNameList(const char* text, const char* const* names, uint32_t nameCount,
                    uint32_t* values, uint32_t line, const char* lineText, CXQFTString* error)
{
    const char* first = nullptr;
    for (uint32_t i = 0; i < nameCount; ++i)
        if (const char* at = strstr(text, names[i]); at && (!first || at < first))
            first = at;
    if (!first)
        return true;
    const char* start = first;
    while (start > text && start[-1] == '-') {
        --start;
        while (start > text && start[-1] != ' ' && start[-1] != '-')
            --start;
    }
    const char* after = nullptr;
    return ParseNameList(start, names, nameCount, values, "TEXTURES", line, lineText, &after, error);
}

// RESOLUTION values: decimal, not negative, within int range; a 0 must be written with a digit.
bool ResolutionValue(const CXQFTString& token, uint32_t* value)
{
    const char* s = token.CStr();
    const char* digits = s + (*s == '+' ? 1 : 0);
    uint64_t v = 0;
    const char* d = digits;
    for (; *d >= '0' && *d <= '9'; ++d) {
        v = v * 10 + uint64_t(*d - '0');
        if (v > 0x7FFFFFFFu)
            return false;
    }
    if (*s == '-' || (v == 0 && *s != '0'))
        return false;
    *value = uint32_t(v);
    return true;
}

} // namespace

struct CXQFTVTLParser::SSurfaceKeywords
{
    std::vector<uint32_t> hashes;   // one entry per keyword line the shared parser handled

    bool Take(uint32_t hash)
    {
        for (auto it = hashes.begin(); it != hashes.end(); ++it)
            if (*it == hash) {
                hashes.erase(it);
                return true;
            }
        return false;
    }
};

bool CXQFTVTLParser::ParseHeader(uint32_t begin, uint32_t end, CXQFTString* error)
{
    CXQFTString keyword;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* p = Line(i);
        if (!*p)
            continue;
        if (!NextToken(p, kBlank, keyword))
            return Fail(error, "Missing arguments in [HEADER] on line %d : %s\n", LineNumber(i), Line(i));
        switch (HashOf(keyword)) {
        case kw::Version: version = p; break;
        case kw::Description: description = p; break;
        case kw::Copyright: copyright = p; break;
        default:
            return Fail(error, "Unknown keyword '%s' in [HEADER] on line %d\n", keyword.CStr(), LineNumber(i));
        }
    }
    return true;
}

bool CXQFTVTLParser::ParseTextures(uint32_t begin, uint32_t end, CXQFTString* error)
{
    CXQFTString keyword, name, path;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* line = Line(i);
        const char* p = line;
        int number = int(LineNumber(i));
        if (!*p)
            continue;
        if (!NextToken(p, kBlank, keyword))
            return Fail(error, "Missing arguments in [TEXTURES] on line %d: %s\n", number, line);
        uint32_t hash = HashOf(keyword);
        if (hash == kw::Render)
            return Fail(error, "RENDER tag no longer supported in [TEXTURES] block. Use new [TARGET] block instead\n");
        if (hash != kw::File)
            return Fail(error, "Unknown keyword '%s' in [TEXTURES] on line %d\n", keyword.CStr(), number);
        if (!NextToken(p, kBlank, name))
            return Fail(error, "Texture name missing in [TEXTURES] on line %d: %s\n", number, line);
        const char* rest = p;
        if (!*SkipDelims(rest, kBlank))
            return Fail(error, "Incomplete definition in [TEXTURES] on line %d: %s\n", number, line);
        const char* q = rest;
        if (!NextToken(q, kBlank, path))
            return Fail(error, "Texture name missing in [TEXTURES] on line %d: %s\n", number, line);
        uint32_t filters[3] = {0, 0, 2}, wraps[3] = {1, 1, 1};
        if (!SearchNameList(rest, kFilterNames, 3, filters, LineNumber(i), line, error) ||
            !SearchNameList(rest, kWrapNames, 2, wraps, LineNumber(i), line, error))
            return false;
        auto* texture = new SXQFTVTLParserTexture;
        texture->Name = name.CStr();
        texture->FileName = path.CStr();
        texture->MinFilter = filters[0], texture->MagFilter = filters[1], texture->MipFilter = filters[2];
        texture->WrapS = wraps[0], texture->WrapT = wraps[1], texture->WrapR = wraps[2];
        if (textures.Append(texture) != 0) {
            delete texture;
            return Fail(error, "Out of memory on line %d\n", number);
        }
    }
    return true;
}

bool CXQFTVTLParser::ParseGenericSurface(uint32_t begin, uint32_t end, const char* block,
                                         SXQFTVTLParserTexture& texture, SSurfaceKeywords& handled,
                                         CXQFTString* error)
{
    CXQFTString keyword, value, width, height;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* line = Line(i);
        const char* p = line;
        int number = int(LineNumber(i));
        if (!NextToken(p, kBlank, keyword))
            continue;
        uint32_t hash = HashOf(keyword);
        const char* after = nullptr;
        switch (hash) {
        case kw::Filter:
        case kw::Wrap: {
            const char* list = SkipDelims(p, kBlank);
            bool filter = hash == kw::Filter;
            if (!*list)
                return Fail(error, filter ? "Missing FILTER arguments in [%s] on line %d: %s\n"
                                          : "Missing WRAP arguments in [%s] on line %d: %s\n",
                            block, number, line);
            uint32_t values[3] = {filter ? texture.MinFilter : texture.WrapS,
                                  filter ? texture.MagFilter : texture.WrapT,
                                  filter ? texture.MipFilter : texture.WrapR};
            if (!ParseNameList(list, filter ? kFilterNames : kWrapNames, filter ? 3 : 2, values,
                               block, LineNumber(i), line, &after, error))
                return false;
            (filter ? texture.MinFilter : texture.WrapS) = values[0];
            (filter ? texture.MagFilter : texture.WrapT) = values[1];
            (filter ? texture.MipFilter : texture.WrapR) = values[2];
            break;
        }
        case kw::Minification:
        case kw::Magnification:
        case kw::Mipmap:
        case kw::WrapS:
        case kw::WrapT:
        case kw::WrapR: {
            if (!NextToken(p, kBlank, value))
                return Fail(error, "Missing arguments in [%s] on line %d: %s\n", block, number, line);
            bool filter = hash == kw::Minification || hash == kw::Magnification || hash == kw::Mipmap;
            int index = filter ? FindName(value, kFilterNames, 3) : FindName(value, kWrapNames, 2);
            if (index < 0)
                return Fail(error, "Unknown keyword '%s' in [%s] on line %d: %s\n", value.CStr(), block,
                            number, line);
            uint32_t* field = hash == kw::Minification    ? &texture.MinFilter
                              : hash == kw::Magnification ? &texture.MagFilter
                              : hash == kw::Mipmap        ? &texture.MipFilter
                              : hash == kw::WrapS         ? &texture.WrapS
                              : hash == kw::WrapT         ? &texture.WrapT
                                                          : &texture.WrapR;
            *field = uint32_t(index);
            after = p;
            break;
        }
        case kw::Resolution: {
            if (!NextToken(p, kSpace, width) || !NextToken(p, kSpace, height))
                return Fail(error, "Missing RESOLUTION argument(s) (requires width AND height) in [TARGET] on line %d\n", number);
            for (const CXQFTString* token : {&width, &height})
                if (!ResolutionValue(*token, token == &width ? &texture.Width : &texture.Height))
                    return Fail(error, "Invalid RESOLUTION argument \"%s\" in [TEXTURE] on line %d\n",
                                token->CStr(), number);
            after = p;
            break;
        }
        case kw::SurfaceType: {
            if (!NextToken(p, kBlank, value))
                return Fail(error, "Missing SURFACETYPE arguments in [TARGET] on line %d\n", number);
            for (const SSurfaceType& type : kSurfaceTypes)
                if (Fnv1(type.keyword) == HashOf(value))
                    texture.Flags = type.code | type.kind;
            after = p;
            break;
        }
        default:
            continue;   // left to the block's own loop
        }
        const char* left = after;
        if (NextToken(left, kSpace, value))
            return Fail(error, "Unexpected keyword '%s' in [%s] on line %d: %s\n", value.CStr(), block,
                        number, line);
        handled.hashes.push_back(hash);
    }
    return true;
}

bool CXQFTVTLParser::ParseArgument(const char* rest, const char* block, uint32_t line,
                                   CXQFTString& out, CXQFTString* error)
{
    const char* p = SkipDelims(rest, kSpace);
    if (*p != '"') {
        NextToken(p, kSpace, out);   // further tokens are ignored
        return true;
    }
    const char* close = strchr(p + 1, '"');
    if (!close)
        return Fail(error, "Incomplete argument in [%s] on line %d: %s\n", block, int(LineNumber(line)),
                    Line(line));
    out.Assign(p + 1, size_t(close - p - 1));
    const char* after = close + 1;
    CXQFTString extra;
    if (NextToken(after, kSpace, extra))
        return Fail(error, "Unknown keyword '%s' in [%s] on line %d: %s\n", extra.CStr(), block,
                    int(LineNumber(line)), Line(line));
    return true;
}

bool CXQFTVTLParser::ParseTexture(uint32_t begin, uint32_t end, CXQFTString* error)
{
    SXQFTVTLParserTexture params;
    params.Flags = kVTLSurfaceColour | 18;
    SSurfaceKeywords handled;
    if (!ParseGenericSurface(begin, end, "TEXTURE", params, handled, error))
        return false;

    CXQFTString keyword, name, path, view, extra;
    bool haveName = false, havePath = false, haveView = false;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* line = Line(i);
        const char* p = line;
        int number = int(LineNumber(i));
        if (!*p)
            continue;
        if (!NextToken(p, kSpace, keyword))
            return Fail(error, "Missing arguments in [TEXTURE] on line %d: %s\n", number, line);
        uint32_t hash = HashOf(keyword);
        if (hash == kw::Name) {
            if (!NextToken(p, kSpace, name))
                return Fail(error, "Missing NAME arguments in [TEXTURE] on line %d: %s\n", number, line);
            if (NextToken(p, kSpace, extra))
                return Fail(error, "Unexpected keyword '%s' in [TEXTURE] on line %d: %s\n", extra.CStr(),
                            number, line);
            haveName = true;
        } else if (hash == kw::Path || hash == kw::View || hash == kw::Camera) {
            bool isPath = hash == kw::Path;
            if (!*SkipDelims(p, kSpace))
                return Fail(error, isPath ? "Missing PATH arguments in [TEXTURE] on line %d: %s\n"
                                          : "Missing VIEW argument in [TEXTURE] on line %d: %s\n",
                            number, line);
            if (!ParseArgument(p, "TEXTURE", i, isPath ? path : view, error))
                return false;
            (isPath ? havePath : haveView) = true;
        } else if (!handled.Take(hash)) {
            return Fail(error, "Unknown keyword '%s' in [TEXTURE] on line %d: %s\n", keyword.CStr(),
                        number, line);
        }
    }
    int tagLine = int(LineNumber(begin));
    if (!haveName)
        return Fail(error, "No NAME tag specified in [TEXTURE] on line %d\n", tagLine);
    if (havePath && haveView)
        return Fail(error, "Both PATH and VIEW tags specified in [TEXTURE] on line %d\n", tagLine);
    if (!havePath && !haveView)
        return Fail(error, "No PATH or VIEW tag specified in [TEXTURE] on line %d\n", tagLine);

    auto* texture = new SXQFTVTLParserTexture(params);
    texture->Name = name.CStr();
    texture->FileName = haveView ? name.CStr() : path.CStr();
    texture->RenderToTexture = haveView;
    if (textures.Append(texture) != 0) {
        delete texture;
        return Fail(error, "Out of memory on line %d\n", tagLine);
    }
    if (haveView) {
        SXQFTVTLRenderPass pass;
        pass.RenderPassType = SXQFTVTLRenderPass::kTypeCamera;
        pass.SemanticName = name;
        pass.Texture = texture;
        pass.FormatFlags = texture->Flags;
        if (view == "VTL_CURRENTVIEW") {
            pass.ViewType = SXQFTVTLRenderPass::kViewCurrent;
        } else {
            pass.ViewType = SXQFTVTLRenderPass::kViewNode;
            pass.NodeName = view;
        }
        renderPasses.Append(pass);
    }
    return true;
}

bool CXQFTVTLParser::ParseTarget(uint32_t begin, uint32_t end, CXQFTString* error)
{
    SXQFTVTLParserTexture params;
    params.Flags = kVTLSurfaceColour | 18;
    SSurfaceKeywords handled;
    if (!ParseGenericSurface(begin, end, "TARGET", params, handled, error))
        return false;

    CXQFTString keyword, name, extra;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* p = Line(i);
        int number = int(LineNumber(i));
        if (!*p)
            continue;
        if (!NextToken(p, kSpace, keyword))
            return Fail(error, "Missing arguments in [TARGET] on line %d\n", number);
        uint32_t hash = HashOf(keyword);
        if (hash == kw::Name) {
            if (!NextToken(p, kSpace, name))
                return Fail(error, "Missing NAME arguments in [TARGET] on line %d\n", number);
            if (NextToken(p, kSpace, extra))
                return Fail(error, "Unexpected keyword '%s' in [TARGET] on line %d\n", extra.CStr(), number);
        } else if (!handled.Take(hash)) {
            return Fail(error, "Unknown keyword '%s' in [TARGET] on line %d\n", keyword.CStr(), number);
        }
    }
    auto* texture = new SXQFTVTLParserTexture(params);
    texture->Name = name.CStr();
    texture->FileName = name.CStr();
    texture->RenderToTexture = true;
    if (textures.Append(texture) != 0) {
        delete texture;
        return Fail(error, "Out of memory on line %d\n", int(LineNumber(begin)));
    }
    SXQFTVTLRenderPass pass;
    pass.RenderPassType = SXQFTVTLRenderPass::kTypeTarget;
    pass.ViewType = SXQFTVTLRenderPass::kViewNone;
    pass.SemanticName = name;
    pass.Texture = texture;
    pass.FormatFlags = texture->Flags;
    renderPasses.Append(pass);
    return true;
}
