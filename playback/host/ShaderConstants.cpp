#include "ShaderConstants.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Recursive descent over the operators by precedence; any token it cannot take ends it empty.
class CEvaluator
{
public:
    CEvaluator(std::span<const SShaderToken> tokens, const ShaderConstantNames& names, bool unknownIsZero)
        : m_tokens(tokens), m_names(names), m_unknownIsZero(unknownIsZero)
    {
    }

    std::optional<double> Whole()
    {
        std::optional<double> v = Binary(0);
        if (!v || m_next != m_tokens.size())
            return std::nullopt;
        return v;
    }

private:
    // Binary operators from the loosest: each level's operators, tried longest first.
    static constexpr std::string_view kLevels[][4] = {
        {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"<<", ">>"}, {"+", "-"},
        {"*", "/", "%"},
    };
    static constexpr size_t kLevelCount = sizeof kLevels / sizeof kLevels[0];
    static constexpr uint32_t kMaxDepth = 512;

    bool At(std::string_view text) const { return m_next < m_tokens.size() && m_tokens[m_next].text == text; }

    std::optional<double> Binary(size_t level)
    {
        if (level == kLevelCount)
            return Unary();
        std::optional<double> left = Binary(level + 1);
        while (left) {
            std::string_view op;
            for (std::string_view candidate : kLevels[level])
                if (!candidate.empty() && At(candidate))
                    op = candidate;
            if (op.empty())
                break;
            ++m_next;
            const std::optional<double> right = Binary(level + 1);
            if (!right)
                return std::nullopt;
            left = Apply(op, *left, *right);
        }
        return left;
    }

    static std::optional<double> Apply(std::string_view op, double a, double b)
    {
        const auto ia = static_cast<long long>(a), ib = static_cast<long long>(b);
        const bool whole = std::fabs(a) < 9e18 && std::fabs(b) < 9e18;
        if (op == "+") return a + b;
        if (op == "-") return a - b;
        if (op == "*") return a * b;
        if (op == "/") return b == 0 ? std::nullopt : std::optional<double>(a / b);
        if (op == "==") return double(a == b);
        if (op == "!=") return double(a != b);
        if (op == "<") return double(a < b);
        if (op == ">") return double(a > b);
        if (op == "<=") return double(a <= b);
        if (op == ">=") return double(a >= b);
        if (op == "&&") return double(a != 0 && b != 0);
        if (op == "||") return double(a != 0 || b != 0);
        if (!whole)
            return std::nullopt;
        if (op == "%") return ib == 0 ? std::nullopt : std::optional<double>(double(ia % ib));
        if (op == "&") return double(ia & ib);
        if (op == "|") return double(ia | ib);
        if (op == "^") return double(ia ^ ib);
        if (ib < 0 || ib > 62)
            return std::nullopt;
        if (op == "<<") return a * std::ldexp(1.0, int(ib));
        return double(ia >> ib);
    }

    std::optional<double> Unary()
    {
        if (++m_depth > kMaxDepth)
            return std::nullopt;
        std::optional<double> v = UnaryBody();
        --m_depth;
        return v;
    }

    std::optional<double> UnaryBody()
    {
        if (m_next >= m_tokens.size())
            return std::nullopt;
        const std::string_view t = m_tokens[m_next].text;
        if (t == "-" || t == "+" || t == "!" || t == "~") {
            ++m_next;
            const std::optional<double> v = Unary();
            if (!v)
                return std::nullopt;
            if (t == "-") return -*v;
            if (t == "!") return double(*v == 0);
            if (t == "~") return double(~static_cast<long long>(*v));
            return v;
        }
        if (t == "(") {
            ++m_next;
            std::optional<double> v = Binary(0);
            if (!v || !At(")"))
                return std::nullopt;
            ++m_next;
            return v;
        }
        ++m_next;
        if (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '.')
            return Number(t);
        if (t == "true" || t == "false")
            return double(t == "true");
        if (t == "int" || t == "uint" || t == "float" || t == "bool") {
            if (!At("("))
                return std::nullopt;
            ++m_next;
            std::optional<double> v = Binary(0);
            if (!v || !At(")"))
                return std::nullopt;
            ++m_next;
            if (t == "float")
                return v;
            if (t == "bool")
                return double(*v != 0);
            return std::trunc(*v);
        }
        if (const auto found = m_names.find(t); found != m_names.end())
            return found->second;
        if (m_unknownIsZero && (std::isalpha(static_cast<unsigned char>(t[0])) || t[0] == '_'))
            return 0.0;
        return std::nullopt;
    }

    static std::optional<double> Number(std::string_view t)
    {
        std::string text(t);
        while (!text.empty() && (text.back() == 'u' || text.back() == 'U' || text.back() == 'f' || text.back() == 'F'))
            text.pop_back();
        const bool hex = text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const bool real = !hex && text.find_first_of(".eE") != std::string::npos;
        char* end = nullptr;
        double v = 0;
        if (real)
            v = std::strtod(text.c_str(), &end);
        else
            v = double(std::strtoull(text.c_str(), &end, hex ? 16 : (text.size() > 1 && text[0] == '0') ? 8 : 10));
        if (text.empty() || end != text.c_str() + text.size())
            return std::nullopt;
        return v;
    }

    std::span<const SShaderToken> m_tokens;
    const ShaderConstantNames& m_names;
    bool m_unknownIsZero;
    size_t m_next = 0;
    uint32_t m_depth = 0;
};

} // namespace

std::optional<double> ShaderConstant(std::span<const SShaderToken> tokens, const ShaderConstantNames& names,
                                     bool unknownIsZero)
{
    return CEvaluator(tokens, names, unknownIsZero).Whole();
}
