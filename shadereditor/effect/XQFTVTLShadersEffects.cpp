// The shader and effect blocks: [VERTEXSHADER], [FRAGMENTSHADER], [EFFECT] with its semantics
// and default values.
#include "XQFTResourceFile.h"
#include "XQFTVTLKeywords.h"
#include "XQFTVTLParser.h"
#include "XQFTVTLParserImpl.h"
#include "XQFTVTLText.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

using namespace vtl;

namespace {

// The value of a NAME or FILE line: the rest of the line up to a carriage return. *left is the
// text after that carriage return.
CXQFTString ValueUpToReturn(const char* rest, const char** left)
{
    size_t n = strcspn(rest, "\r");
    *left = rest[n] ? rest + n + 1 : rest + n;
    return CXQFTString(rest, n);
}

char* CopyText(const CXQFTString& s)
{
    char* copy = static_cast<char*>(malloc(s.Length() + 1));
    if (copy)
        memcpy(copy, s.CStr(), s.Length() + 1);
    return copy;
}

CXQFTString UpTo(const char* s, const char* stops)
{
    return CXQFTString(s, strcspn(s, stops));
}

constexpr const char kValueSpace[] = " \t\r\n";

// One component at *s; false when it cannot be read.
bool ReadComponent(const char*& s, EComponent kind, SXQFTVTLParserSemantic& out, uint32_t c)
{
    const char* end = s + strlen(s);
    const char* p = *s == '+' ? s + 1 : s;
    switch (kind) {
    case EComponent::Float: {
        // Only decimal numbers: no "nan" or "inf", and a number out of float range is refused.
        if (!((*p >= '0' && *p <= '9') || *p == '.' || (*p == '-' && (p[1] == '.' || (p[1] >= '0' && p[1] <= '9')))))
            return false;
        float v = 0;
        auto r = std::from_chars(p, end, v, std::chars_format::general);
        if (r.ec != std::errc())
            return false;
        out.Floats[c] = v;
        s = r.ptr;
        return true;
    }
    case EComponent::Int: {
        int32_t v = 0;
        auto r = std::from_chars(p, end, v, 10);
        if (r.ec != std::errc())
            return false;
        out.Ints[c] = v;
        s = r.ptr;
        return true;
    }
    case EComponent::Bool:
        if (strncmp(s, "true", 4) == 0) {
            out.Bools[c] = 1;
            s += 4;
            return true;
        }
        if (strncmp(s, "false", 5) == 0) {
            out.Bools[c] = 0;
            s += 5;
            return true;
        }
        return false;
    }
    return false;
}

// "(v, v, ...)" after the type keyword. On failure *message is the text before " on line N.".
bool ParseDefaultValue(const char* s, const SValueType& type, SXQFTVTLParserSemantic& out,
                       CXQFTString* message)
{
    const CXQFTString kw(type.keyword);
    s = SkipDelims(s, kValueSpace);
    if (*s != '(') {
        *message = "Missing '(' after " + kw;
        return false;
    }
    s = SkipDelims(s + 1, kValueSpace);
    for (uint32_t c = 0; c < type.components; ++c) {
        s = SkipDelims(s, kValueSpace);
        if (c > 0) {
            if (*s && *s != ',') {
                *message = "'" + UpTo(s, ", \t") + "' unexpected for " + kw;
                return false;
            }
            if (*s)
                s = SkipDelims(s + 1, kValueSpace);
        }
        if (!*s) {
            *message = kw + " missing arguments";
            return false;
        }
        if (!ReadComponent(s, type.kind, out, c)) {
            *message = "'" + UpTo(s, ", \t") + "' unexpected for " + kw;
            return false;
        }
    }
    s = SkipDelims(s, kValueSpace);
    if (*s != ')') {
        *message = "'" + UpTo(s, " \t)") + "' found when expecting ')' for " + kw;
        return false;
    }
    s = SkipDelims(s + 1, kValueSpace);
    if (*s) {
        size_t n = strlen(s);
        while (n > 0 && strchr(kValueSpace, s[n - 1]))
            --n;
        *message = "'" + CXQFTString(s, n) + "' unexpected after ')'";
        return false;
    }
    return true;
}

} // namespace

bool CXQFTVTLParser::ParseShader(uint32_t begin, uint32_t end, bool vertex, CXQFTString* error)
{
    const char* block = vertex ? "VERTEXSHADER" : "FRAGMENTSHADER";
    SXQFTVTLParserShader shader;
    bool haveName = false, haveFile = false, haveCode = false;
    CXQFTString keyword;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* line = Line(i);
        const char* p = line;
        int number = int(LineNumber(i));
        if (!*p)
            continue;
        if (Fnv1(line) == kw::GlslCode) {
            if (haveCode)
                return Fail(error, "[GLSL_CODE] redefined in [%s] on line %d\n", block, number);
            if (haveFile)
                return Fail(error, "[GLSL_CODE] not allowed with FILE in [%s] on line %d\n", block, number);
            uint32_t close = GetEndTag("[/GLSL_CODE]", i + 1);
            if (close == m_lines->count)
                return Fail(error, "Missing [/GLSL_CODE] tag after [GLSL_CODE] on line %d\n", number);
            CXQFTString code;
            code.Reserve(LinesLength(i + 1, close));
            for (uint32_t k = i + 1; k < close; ++k)
                code.Append(Line(k)).PushBack('\n');
            shader.GLSLCode = CopyText(code);
            shader.FirstLineNumber = LineNumber(i);
            shader.UseFileName = false;
            haveCode = true;
            i = close;
            continue;
        }
        if (!NextToken(p, kBlank, keyword))
            return Fail(error, "Missing arguments in [%s] on line %d: %s\n", block, number, line);
        uint32_t hash = HashOf(keyword);
        const char* left = nullptr;
        if (hash == kw::Name) {
            if (haveName)
                return Fail(error, "NAME redefined in [%s] on line %d\n", block, number);
            CXQFTString value = ValueUpToReturn(p, &left);
            if (value.IsEmpty())
                return Fail(error, "NAME missing value in [%s] on line %d\n", block, number);
            shader.Name = value.CStr();
            haveName = true;
        } else if (hash == kw::File || hash == kw::BinaryFile) {
            bool binary = hash == kw::BinaryFile;
            // A BINARYFILE is a FILE too: one file per shader, never beside [GLSL_CODE].
            if (haveFile)
                return Fail(error, "FILE redefined in [%s] on line %d\n", block, number);
            if (haveCode)
                return Fail(error, "FILE not allowed with [GLSL_CODE] in [%s] on line %d\n", block, number);
            CXQFTString path = ValueUpToReturn(p, &left);
            if (path.IsEmpty())
                return Fail(error, binary ? "BINARYFILE missing value in [%s] on line %d\n"
                                          : "FILE missing value in [%s] on line %d\n",
                            block, number);
            CXQFTResourceFile file(path.CStr());
            if (!file.IsOpen())
                return Fail(error, "Error loading file '%s' in [%s] on line %d\n", path.CStr(), block, number);
            size_t size = file.Size();
            auto* bytes = static_cast<unsigned char*>(malloc(size + 1));
            if (!bytes || size > 0xFFFFFFFFu) {
                free(bytes);
                return Fail(error, "Error loading file '%s' in [%s] on line %d\n", path.CStr(), block, number);
            }
            if (size)
                memcpy(bytes, file.DataPtr(), size);
            bytes[size] = 0;
            if (binary) {
                shader.GLSLBinaryFile = CopyText(path);
                shader.GLSLBinary = bytes;
                shader.GLSLBinarySize = uint32_t(size);
            } else {
                shader.GLSLFile = CopyText(path);
                shader.GLSLCode = reinterpret_cast<char*>(bytes);
            }
            shader.FirstLineNumber = LineNumber(i);
            shader.UseFileName = true;
            haveFile = true;
        } else {
            return Fail(error, "Unknown keyword '%s' in [%s] on line %d\n", keyword.CStr(), block, number);
        }
        if (left && *left)
            return Fail(error, "Unexpected data in [%s] on line %d: '%s'\n", block, number, left);
    }
    int tagLine = int(LineNumber(begin));
    if (!haveName)
        return Fail(error, "NAME not found in [%s] on line %d.\n", block, tagLine);
    if (!haveFile && !haveCode)
        return Fail(error, "No Shader File or Shader Code specified in [%s] on line %d\n", block, tagLine);
    CXQFTArray<SXQFTVTLParserShader>& list = vertex ? vertexShaders : fragmentShaders;
    if (list.Append(shader) != 0)
        return Fail(error, "Out of memory on line %d\n", tagLine);
    return true;
}

bool CXQFTVTLParser::ParseSemantic(uint32_t line, const char* rest, SXQFTVTLParserSemantic& out,
                                   CXQFTString* error)
{
    int number = int(LineNumber(line));
    CXQFTString name, semantic, token;
    const char* p = rest;
    if (!NextToken(p, kBlank, name))
        return Fail(error, "UNIFORM missing name in [EFFECT] on line %d\n", number);
    if (!NextToken(p, kBlank, semantic))
        return Fail(error, "UNIFORM missing value in [EFFECT] on line %d\n", number);
    size_t k = semantic.Length();
    while (k > 0 && semantic.At(k - 1) >= '0' && semantic.At(k - 1) <= '9')
        --k;
    if (k == 0)
        return Fail(error, "Semantic contains only numbers in [EFFECT] on line %d\n", number);
    out.Name = CopyText(name);
    out.Value = CopyText(semantic.Left(k));
    out.Index = SaturatingDecimal(semantic.CStr() + k);

    CXQFTString joined;
    while (NextToken(p, kBlank, token))
        joined.Append(token).PushBack(' ');
    if (joined.IsEmpty()) {
        out.Type = kVTLNoDefaultValue;
        return true;
    }
    for (uint32_t t = 0; t < sizeof kValueTypes / sizeof kValueTypes[0]; ++t) {
        size_t n = strlen(kValueTypes[t].keyword);
        if (strncmp(joined.CStr(), kValueTypes[t].keyword, n) != 0)
            continue;
        CXQFTString message;
        if (!ParseDefaultValue(joined.CStr() + n, kValueTypes[t], out, &message))
            return Fail(error, "%s on line %d.\n", message.CStr(), number);
        out.Type = t;
        return true;
    }
    return Fail(error, "'%s' unknown on line %d.\n", joined.CStr(), number);
}

bool CXQFTVTLParser::ParseEffect(uint32_t begin, uint32_t end, CXQFTString* error)
{
    // Built in place, in the array's next slot: an effect record holds over three hundred
    // elements, and a copy would make each of them again. The slot only counts once the block
    // parsed; a failed one is destroyed with the array.
    if (effects.size == UINT32_MAX || effects.SetCapacity(effects.size + 1) != 0)
        return Fail(error, "Out of memory on line %d\n", int(LineNumber(begin)));
    SXQFTVTLParserEffect& effect = effects.data[effects.size];
    bool haveName = false, haveVertex = false, haveFragment = false;
    int tagLine = int(LineNumber(begin));
    CXQFTString keyword, unit, name, type;
    for (uint32_t i = begin + 1; i < end; ++i) {
        const char* line = Line(i);
        const char* p = line;
        int number = int(LineNumber(i));
        if (!*p)
            continue;
        if (Fnv1(line) == kw::Annotation) {
            if (!effect.Annotation.IsEmpty())
                return Fail(error, "ANNOTATION redefined in [EFFECT] on line %d: \n", number);
            uint32_t close = GetEndTag("[/ANNOTATION]", i + 1);
            if (close == m_lines->count)
                return Fail(error, "Missing [/ANNOTATION] tag after [ANNOTATION] on line %d\n", number);
            effect.Annotation.Reserve(LinesLength(i + 1, close));
            for (uint32_t k = i + 1; k < close; ++k)
                effect.Annotation.Append(Line(k)).PushBack('\n');
            i = close;
            continue;
        }
        if (!NextToken(p, kBlank, keyword))
            return Fail(error, "Missing arguments in [EFFECT] on line %d: %s\n", number, line);
        switch (HashOf(keyword)) {
        case kw::Name:
            if (haveName)
                return Fail(error, "NAME redefined in [EFFECT] on line %d\n", tagLine);
            if (!NextToken(p, kBlank, name))
                return Fail(error, "NAME missing value in [EFFECT] on line %d\n", tagLine);
            effect.Name = name.CStr();
            haveName = true;
            break;
        case kw::VertexShader:
        case kw::FragmentShader: {
            bool isVertex = HashOf(keyword) == kw::VertexShader;
            if (isVertex ? haveVertex : haveFragment)
                return Fail(error, isVertex ? "VERTEXSHADER redefined in [EFFECT] on line %d: \n"
                                            : "FRAGMENTSHADER redefined in [EFFECT] on line %d: \n",
                            number);
            if (!*p)
                return Fail(error, isVertex ? "VERTEXSHADER missing value in [EFFECT] on line %d\n"
                                            : "FRAGMENTSHADER missing value in [EFFECT] on line %d\n",
                            number);
            (isVertex ? effect.VertexShaderName : effect.FragmentShaderName) = p;
            (isVertex ? haveVertex : haveFragment) = true;
            break;
        }
        case kw::TextureKw: {
            if (!NextToken(p, kBlank, unit) || !NextToken(p, kBlank, name))
                return Fail(error, "TEXTURE missing value in [EFFECT] on line %d\n", number);
            SXQFTVTLParserEffectTexture texture;
            texture.Number = SaturatingDecimal(unit.CStr());
            texture.Name = name.CStr();
            effect.Textures.Append(texture);
            break;
        }
        case kw::Uniform:
        case kw::Attribute: {
            SXQFTVTLParserSemantic semantic;
            if (!ParseSemantic(i, p, semantic, error))
                return false;
            (HashOf(keyword) == kw::Uniform ? effect.Uniforms : effect.Attributes).Append(semantic);
            break;
        }
        case kw::TargetKw: {
            if (!NextToken(p, kBlank, type) || !NextToken(p, kBlank, name))
                return Fail(error, "TARGET missing value(s) in [EFFECT] on line %d\n", tagLine);
            SXQFTTargetPair target;
            target.BufferType = type;
            target.TargetName = name;
            effect.Targets.Append(target);
            break;
        }
        default:
            return Fail(error, "Unknown keyword '%s' in [EFFECT] on line %d\n", keyword.CStr(), number);
        }
    }
    for (uint32_t t = 0; t < effect.Textures.size; ++t) {
        bool matched = false;
        for (uint32_t u = 0; u < effect.Uniforms.size && !matched; ++u)
            matched = effect.Uniforms[u].Value && strcmp(effect.Uniforms[u].Value, "TEXTURE") == 0 &&
                      effect.Uniforms[u].Index == effect.Textures[t].Number;
        if (!matched)
            return Fail(error, "TEXTURE %s missing matching UNIFORM in [EFFECT] on line %d\n",
                        effect.Textures[t].Name.CStr(), tagLine);
    }
    if (!haveName)
        return Fail(error, "No 'NAME' found in [EFFECT] on line %d\n", tagLine);
    if (!haveVertex)
        return Fail(error, "No 'VERTEXSHADER' defined in [EFFECT] starting on line %d: \n", tagLine);
    if (!haveFragment)
        return Fail(error, "No 'FRAGMENTSHADER' defined in [EFFECT] starting on line %d: \n", tagLine);
    ++effects.size;
    return true;
}
