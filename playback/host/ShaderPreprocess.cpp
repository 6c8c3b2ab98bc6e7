#include "ShaderPreprocess.h"

#include "ShaderConstants.h"

#include <cctype>
#include <optional>
#include <utility>

namespace {

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool IsName(std::string_view t)
{
    return !t.empty() && IsNameStart(t[0]);
}

// The operators of more than one character, longest first.
constexpr std::string_view kOperators[] = {"<<=", ">>=", "++", "--", "+=", "-=", "*=", "/=", "%=", "&=", "|=",
                                           "^=",  "<=",  ">=", "==", "!=", "&&", "||", "^^", "<<", ">>", "##"};

// The directive's line once its "#" and name are taken off: its tokens from `first`.
std::span<const SShaderToken> Rest(const std::vector<SShaderToken>& line, size_t first)
{
    return first < line.size() ? std::span<const SShaderToken>(line).subspan(first) : std::span<const SShaderToken>();
}

const SShaderToken kOne{"1", 0, false}, kZero{"0", 0, false};

} // namespace

std::vector<SShaderToken> ShaderTokens(std::string_view s)
{
    std::vector<SShaderToken> out;
    uint32_t line = 1;
    bool start = true;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            start = true;
            ++i;
            continue;
        }
        if (c == '\\' && i + 1 < n && (s[i + 1] == '\n' || (s[i + 1] == '\r' && i + 2 < n && s[i + 2] == '\n'))) {
            i += s[i + 1] == '\n' ? 2 : 3;
            ++line;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const size_t end = s.find("*/", i + 2);
            const size_t stop = end == std::string_view::npos ? n : end + 2;
            for (; i < stop; ++i)
                line += s[i] == '\n';
            continue;
        }
        const size_t begin = i;
        if (IsNameStart(c)) {
            while (i < n && IsNameChar(s[i]))
                ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            for (++i; i < n; ++i) {
                const char d = s[i];
                const bool exponentSign = (d == '+' || d == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E');
                if (!IsNameChar(d) && d != '.' && !exponentSign)
                    break;
            }
        } else {
            i += 1;
            for (std::string_view op : kOperators)
                if (s.substr(begin, op.size()) == op) {
                    i = begin + op.size();
                    break;
                }
        }
        out.push_back({s.substr(begin, i - begin), line, start});
        start = false;
    }
    return out;
}

bool CShaderPreprocessor::Stop(std::string why, uint32_t line)
{
    m_why = std::move(why);
    m_line = line;
    return false;
}

bool CShaderPreprocessor::Spend(size_t tokens, uint32_t line)
{
    m_work += tokens;
    if (m_work <= m_limits.work)
        return true;
    return Stop("its macros expand to more than " + std::to_string(m_limits.work) + " tokens", line);
}

bool CShaderPreprocessor::Run(std::string_view source)
{
    const std::vector<SShaderToken> tokens = ShaderTokens(source);
    // Each #if level: whether its text is kept, whether a branch was taken, whether its parent keeps.
    struct SLevel
    {
        bool active, taken, parent;
    };
    std::vector<SLevel> levels;
    auto active = [&levels] { return levels.empty() || levels.back().active; };
    std::vector<SShaderToken> text;
    for (size_t i = 0; i < tokens.size();) {
        if (!(tokens[i].text == "#" && tokens[i].lineStart)) {
            if (active())
                text.push_back(tokens[i]);
            ++i;
            continue;
        }
        if (!text.empty() && !Expand(std::exchange(text, {}), m_out, 0))
            return false;
        size_t end = i + 1;
        while (end < tokens.size() && !tokens[end].lineStart)
            ++end;
        const std::vector<SShaderToken> line(tokens.begin() + std::ptrdiff_t(i) + 1,
                                             tokens.begin() + std::ptrdiff_t(end));
        const uint32_t at = tokens[i].line;
        i = end;
        if (line.empty())
            continue;
        const std::string_view name = line[0].text;
        if (name == "if" || name == "ifdef" || name == "ifndef") {
            bool value = false;
            if (active()) {
                if (name == "if" && !Condition(line, value))
                    return false;
                if (name != "if")
                    value = line.size() > 1 && m_macros.count(line[1].text) == (name == "ifdef" ? 1u : 0u);
            }
            levels.push_back({active() && value, value, active()});
            if (levels.size() > m_limits.conditionals)
                return Stop("#if nested more than " + std::to_string(m_limits.conditionals) + " deep", at);
        } else if (name == "elif" && !levels.empty()) {
            SLevel& level = levels.back();
            bool value = false;
            if (level.parent && !level.taken && !Condition(line, value))
                return false;
            level.active = level.parent && !level.taken && value;
            level.taken = level.taken || value;
        } else if (name == "else" && !levels.empty()) {
            levels.back().active = levels.back().parent && !levels.back().taken;
            levels.back().taken = true;
        } else if (name == "endif" && !levels.empty()) {
            levels.pop_back();
        } else if (active() && name == "define") {
            Define(line);
        } else if (active() && name == "undef" && line.size() > 1) {
            m_macros.erase(line[1].text);
        }
    }
    return text.empty() || Expand(std::move(text), m_out, 0);
}

bool CShaderPreprocessor::Define(const std::vector<SShaderToken>& line)
{
    if (line.size() < 2 || !IsName(line[1].text))
        return true;  // the host reports it
    SMacro macro;
    size_t body = 2;
    // A function-like macro has its "(" right after its name, no blank between.
    if (line.size() > 2 && line[2].text == "(" && line[1].text.data() + line[1].text.size() == line[2].text.data()) {
        macro.function = true;
        for (body = 3; body < line.size() && line[body].text != ")"; ++body)
            if (line[body].text != ",")
                macro.params.push_back(line[body].text);
        ++body;
    }
    const std::span<const SShaderToken> rest = Rest(line, body);
    macro.body.assign(rest.begin(), rest.end());
    m_macros[line[1].text] = std::move(macro);
    return true;
}

bool CShaderPreprocessor::Condition(const std::vector<SShaderToken>& line, bool& value)
{
    // "defined NAME" and "defined ( NAME )" are answered before the macros are expanded.
    std::vector<SShaderToken> tokens;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i].text != "defined") {
            tokens.push_back(line[i]);
            continue;
        }
        const bool parenthesised = i + 1 < line.size() && line[i + 1].text == "(";
        const size_t name = i + (parenthesised ? 2 : 1);
        const bool known = name < line.size() && m_macros.count(line[name].text) != 0;
        tokens.push_back(known ? kOne : kZero);
        i = name + (parenthesised ? 1 : 0);
    }
    std::vector<SShaderToken> expanded;
    if (!Expand(std::move(tokens), expanded, 0))
        return false;
    // An expression that is none: the host reports it; its text is kept here, the larger count.
    const std::optional<double> v = ShaderConstant(expanded, {}, true);
    value = !v || *v != 0;
    return true;
}

bool CShaderPreprocessor::Substitute(const SMacro& macro, const std::vector<std::vector<SShaderToken>>& raw,
                                     std::vector<SShaderToken>& out, uint32_t depth)
{
    std::vector<std::optional<std::vector<SShaderToken>>> expanded(raw.size());
    const std::vector<SShaderToken>& body = macro.body;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i].text == "##")
            continue;
        const bool pasteBefore = i > 0 && body[i - 1].text == "##";
        const bool pasteAfter = i + 1 < body.size() && body[i + 1].text == "##";
        size_t param = 0;
        while (param < macro.params.size() && macro.params[param] != body[i].text)
            ++param;
        const size_t before = out.size();
        if (param == macro.params.size()) {
            out.push_back(body[i]);
        } else if (param < raw.size()) {
            // The operands of ## are the arguments as written; elsewhere they are expanded first.
            if (pasteBefore || pasteAfter) {
                out.insert(out.end(), raw[param].begin(), raw[param].end());
            } else {
                if (!expanded[param]) {
                    expanded[param].emplace();
                    if (!Expand(raw[param], *expanded[param], depth))
                        return false;
                }
                out.insert(out.end(), expanded[param]->begin(), expanded[param]->end());
            }
        }
        if (pasteBefore && before > 0 && out.size() > before) {
            m_pasted.push_back(std::string(out[before - 1].text) + std::string(out[before].text));
            out[before - 1].text = m_pasted.back();
            out.erase(out.begin() + std::ptrdiff_t(before));
        }
        if (!Spend(out.size() - std::min(out.size(), before), body[i].line))
            return false;
    }
    return true;
}

bool CShaderPreprocessor::Expand(std::vector<SShaderToken> tokens, std::vector<SShaderToken>& out, uint32_t depth)
{
    const uint32_t firstLine = tokens.empty() ? 0 : tokens[0].line;
    if (depth > m_limits.argumentDepth)
        return Stop("macro calls nested more than " + std::to_string(m_limits.argumentDepth) +
                        " deep in macro arguments",
                    firstLine);
    std::vector<SFrame> stack;
    stack.push_back({std::move(tokens), 0, nullptr});
    // Frames whose tokens are all read end their macro's rescan.
    auto drop = [&stack] {
        while (!stack.empty() && stack.back().next == stack.back().tokens.size()) {
            if (stack.back().macro)
                stack.back().macro->busy = false;
            stack.pop_back();
        }
    };
    auto next = [&](SShaderToken& t) {
        drop();
        if (stack.empty())
            return false;
        t = stack.back().tokens[stack.back().next++];
        return true;
    };
    auto peekOpen = [&stack] {
        for (size_t f = stack.size(); f-- > 0;)
            if (stack[f].next < stack[f].tokens.size())
                return stack[f].tokens[stack[f].next].text == "(";
        return false;
    };
    bool ok = true;
    SShaderToken t;
    while (ok && next(t)) {
        const auto found = IsName(t.text) ? m_macros.find(t.text) : m_macros.end();
        if (found == m_macros.end() || found->second.busy || (found->second.function && !peekOpen())) {
            out.push_back(t);
            // The statement's length is checked as it grows: a doubling macro is refused at once.
            if (&out == &m_out)
                m_statement = t.text == ";" || t.text == "{" || t.text == "}" ? 0 : m_statement + 1;
            ok = &out != &m_out || m_statement <= m_limits.statementTokens ||
                 Stop("a statement of more than " + std::to_string(m_limits.statementTokens) + " tokens", t.line);
            ok = ok && (&out != &m_out || out.size() <= m_limits.tokens ||
                        Stop("the source and its macros expand to more than " + std::to_string(m_limits.tokens) +
                                 " tokens",
                             t.line));
            ok = ok && Spend(1, t.line);
            continue;
        }
        SMacro& macro = found->second;
        std::vector<SShaderToken> replaced;
        if (!macro.function) {
            replaced = macro.body;
        } else {
            SShaderToken a;
            next(a);  // the "("
            std::vector<std::vector<SShaderToken>> raw(1);
            int open = 0;
            while (ok && next(a)) {
                if (a.text == ")" && open == 0)
                    break;
                open += a.text == "(" ? 1 : a.text == ")" ? -1 : 0;
                if (a.text == "," && open == 0)
                    raw.emplace_back();
                else
                    raw.back().push_back(a);
                ok = Spend(1, a.line);
            }
            if (macro.params.empty() && raw.size() == 1 && raw[0].empty())
                raw.clear();
            ok = ok && Substitute(macro, raw, replaced, depth + 1);
        }
        for (SShaderToken& r : replaced) {
            r.line = t.line;
            r.lineStart = false;
        }
        ok = ok && Spend(replaced.size(), t.line);
        macro.busy = true;
        stack.push_back({std::move(replaced), 0, &macro});
    }
    for (SFrame& frame : stack)
        if (frame.macro)
            frame.macro->busy = false;
    return ok;
}
