#pragma once
// A bounded GLSL preprocessor: the tokens a shader source stands for once its directives are obeyed
// and its macros expanded, as the host compiler's own preprocessor would make them, but given up
// as soon as the expansion passes a budget. Sources from traces may define macros that double at
// every level; the host expands them without a limit (gigabytes, minutes).
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct SShaderToken
{
    std::string_view text;
    uint32_t line = 0;
    bool lineStart = false;  // the first token of its line (a '#' there starts a directive)
};

// Splits a source into preprocessing tokens (identifiers, numbers, operators), comments and line
// continuations dropped.
std::vector<SShaderToken> ShaderTokens(std::string_view source);

class CShaderPreprocessor
{
public:
    struct SLimits
    {
        size_t tokens;         // the expanded tokens kept
        size_t work;           // the tokens made on the way (macro arguments expanded, replacements)
        uint32_t conditionals; // #if nesting
        uint32_t argumentDepth;  // macro calls within macro arguments
        size_t statementTokens;  // kept between two of ";", "{" and "}"
    };
    explicit CShaderPreprocessor(const SLimits& limits) : m_limits(limits) {}

    // False when a limit was passed: Why() says which, Line() where.
    bool Run(std::string_view source);
    const std::vector<SShaderToken>& Tokens() const { return m_out; }
    const std::string& Why() const { return m_why; }
    uint32_t Line() const { return m_line; }

private:
    struct SMacro
    {
        bool function = false;
        std::vector<std::string_view> params;
        std::vector<SShaderToken> body;
        bool busy = false;  // its replacement is being rescanned: a name met there is not expanded again
    };
    struct SFrame
    {
        std::vector<SShaderToken> tokens;
        size_t next = 0;
        SMacro* macro = nullptr;  // whose replacement these tokens are (null: the source)
    };

    bool Directive(const std::vector<SShaderToken>& line);
    bool Define(const std::vector<SShaderToken>& line);
    bool Condition(const std::vector<SShaderToken>& line, bool& value);
    bool Expand(std::vector<SShaderToken> tokens, std::vector<SShaderToken>& out, uint32_t depth);
    bool Substitute(const SMacro& macro, const std::vector<std::vector<SShaderToken>>& raw,
                    std::vector<SShaderToken>& out, uint32_t depth);
    bool Spend(size_t tokens, uint32_t line);
    bool Stop(std::string why, uint32_t line);

    SLimits m_limits;
    std::unordered_map<std::string_view, SMacro> m_macros;
    std::deque<std::string> m_pasted;  // the text of tokens made by ##
    std::vector<SShaderToken> m_out;
    size_t m_work = 0;
    size_t m_statement = 0;  // the tokens kept since the last statement end
    std::string m_why;
    uint32_t m_line = 0;
};
