#include "ShaderSourceCheck.h"

#include "Diagnostics.h"
#include "ShaderConstants.h"
#include "ShaderInlining.h"
#include "ShaderPreprocess.h"

#include <cstdio>
#include <vector>

namespace {

// The limits. The host compiler needs some 500 bytes of stack per operand of a chain (2,048
// operands: 1 MiB of the thread's 8) and time growing with its square (0.2 s for 2,048, 8 s for
// 16,384); a 1 MiB source of plain statements compiles in 1.5 s and 300 MB. Shaders of real
// applications stay far below every limit: statements of a few hundred tokens, brackets a few tens
// deep, arrays of at most a few hundred elements.
constexpr size_t kMaxSourceBytes = 1 << 20;
constexpr uint32_t kMaxNesting = 256;            // brackets of every kind, and #if levels
constexpr size_t kMaxStatementTokens = 4096;     // between two of ";", "{" and "}", macros expanded
constexpr size_t kMaxExpandedTokens = 512 * 1024;
constexpr size_t kMaxExpansionWork = 2 * 1024 * 1024;  // tokens made while expanding
constexpr double kMaxArrayElements = 65536;            // of one declaration (its sizes multiplied)
// The host compiler inlines every call, and copies made so cost it far more than tokens written
// out: the calls of a function adding 23,000 tokens take it 0.9 s, 94,000 take 10 s.
constexpr double kMaxInlinedTokens = 32768;  // added to one function by its calls

std::string At(std::string what, uint32_t line)
{
    return what + " at line " + std::to_string(line);
}

bool IsOpen(std::string_view t)
{
    return t == "(" || t == "[" || t == "{";
}

bool IsClose(std::string_view t)
{
    return t == ")" || t == "]" || t == "}";
}

// The deepest the brackets go; the line where they pass the limit first, or 0.
uint32_t TooDeep(const std::vector<SShaderToken>& tokens)
{
    uint32_t depth = 0;
    for (const SShaderToken& t : tokens) {
        if (IsOpen(t.text) && ++depth > kMaxNesting)
            return t.line;
        if (IsClose(t.text) && depth > 0)
            --depth;
    }
    return 0;
}

// The values of "const <type> NAME = <constant>;" declarations, for the array sizes that name them.
void NoteConstant(std::span<const SShaderToken> rest, ShaderConstantNames& names)
{
    size_t name = 0;
    while (name + 1 < rest.size() && rest[name + 1].text != "=")
        if (++name > 3)
            return;
    size_t end = name + 2;
    while (end < rest.size() && rest[end].text != ";" && rest[end].text != "," && end < name + 2 + 1024)
        ++end;
    if (name + 2 >= end || end >= rest.size())
        return;
    if (const std::optional<double> v = ShaderConstant(rest.subspan(name + 2, end - name - 2), names, false))
        names[rest[name].text] = *v;
}

std::string Walk(const std::vector<SShaderToken>& tokens)
{
    if (const uint32_t line = TooDeep(tokens))
        return At("brackets nested more than " + std::to_string(kMaxNesting) + " deep once its macros are expanded",
                  line);
    // Where each "[" closes.
    std::vector<size_t> closing(tokens.size(), tokens.size()), open;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].text == "[")
            open.push_back(i);
        else if (tokens[i].text == "]" && !open.empty()) {
            closing[open.back()] = i;
            open.pop_back();
        }
    }
    ShaderConstantNames constants;
    double elements = 1;   // the sizes of the brackets just read, multiplied
    size_t arrayEnd = 0;   // the "]" that ends them
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view t = tokens[i].text;
        if (t == "const")
            NoteConstant(std::span<const SShaderToken>(tokens).subspan(i + 1), constants);
        if (t != "[" || closing[i] == tokens.size())
            continue;
        const auto inside = std::span<const SShaderToken>(tokens).subspan(i + 1, closing[i] - i - 1);
        const std::optional<double> size = inside.empty() ? std::nullopt : ShaderConstant(inside, constants, false);
        if (!size) {
            arrayEnd = 0;
            continue;
        }
        elements = (arrayEnd != 0 && arrayEnd + 1 == i ? elements : 1) * *size;
        arrayEnd = closing[i];
        if (elements > kMaxArrayElements) {
            char count[32];
            snprintf(count, sizeof count, "%.0f", elements);
            return At("an array of " + std::string(count) + " elements, more than " +
                          std::to_string(size_t(kMaxArrayElements)),
                      tokens[i].line);
        }
    }
    return {};
}

} // namespace

std::string ShaderSourceRefusal(std::string_view source)
{
    if (source.size() > kMaxSourceBytes)
        return "the source is " + std::to_string(source.size()) + " bytes long, more than " +
               std::to_string(kMaxSourceBytes);
    // The brackets as written first: the expansion below recurses once per macro call in an argument.
    if (const uint32_t line = TooDeep(ShaderTokens(source)))
        return At("brackets nested more than " + std::to_string(kMaxNesting) + " deep", line);
    CShaderPreprocessor preprocessor(
        {kMaxExpandedTokens, kMaxExpansionWork, kMaxNesting, kMaxNesting, kMaxStatementTokens});
    if (!preprocessor.Run(source))
        return At(preprocessor.Why(), preprocessor.Line());
    if (std::string why = Walk(preprocessor.Tokens()); !why.empty())
        return why;
    const SInlinedWeight inlined = HeaviestInlined(preprocessor.Tokens(), kMaxInlinedTokens, kMaxNesting);
    if (inlined.tooDeep)
        return At("function calls chained more than " + std::to_string(kMaxNesting) + " deep, or calling themselves",
                  inlined.line);
    if (inlined.tokens > kMaxInlinedTokens)
        return At("a function whose calls add more than " + std::to_string(size_t(kMaxInlinedTokens)) +
                      " tokens once inlined",
                  inlined.line);
    return {};
}

bool ShaderSourceAllowed(const char* call, uint32_t shader, std::string_view source)
{
    const std::string why = ShaderSourceRefusal(source);
    if (why.empty())
        return true;
    PlaybackError("%s: shader %u: the source is not handed to the host compiler: %s\n", call, shader, why.c_str());
    return false;
}
