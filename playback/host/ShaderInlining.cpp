#include "ShaderInlining.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

bool IsName(std::string_view t)
{
    return !t.empty() && (std::isalpha(static_cast<unsigned char>(t[0])) || t[0] == '_');
}

struct SCall
{
    size_t name = 0;      // among the names defined
    size_t before = 0;    // the functions of that name defined before the caller: those it may call
    bool declared = false;  // a prototype of the name comes first: it may call any of them but itself
};

struct SFunction
{
    size_t name = 0;
    uint32_t line = 0;
    size_t begin = 0;  // its body's "{" and "}" among the tokens
    size_t end = 0;
    std::vector<SCall> calls;  // once per call
    double weight = 0;
};

struct SSource
{
    std::vector<SFunction> functions;                 // in the order of the source
    std::vector<std::vector<size_t>> byName;          // the functions of each name, in that order
};

// The functions defined at file scope (a name, its parameters in brackets, a body in braces), the
// calls they make to them, and which of a name's functions each call may reach: GLSL calls only a
// function declared before, by a prototype or by its definition.
SSource Read(const std::vector<SShaderToken>& tokens)
{
    SSource s;
    std::unordered_map<std::string_view, size_t> names;
    std::unordered_map<std::string_view, size_t> prototypes;  // where each name's first one is
    uint32_t braces = 0, brackets = 0;
    std::string_view name;  // before the last bracket opened at file scope
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view t = tokens[i].text;
        if (braces == 0) {
            if (t == "(" && brackets++ == 0)
                name = i > 0 && IsName(tokens[i - 1].text) ? tokens[i - 1].text : std::string_view();
            else if (t == ")" && brackets > 0)
                --brackets;
            else if (brackets == 0 && i > 0 && tokens[i - 1].text == ")" && !name.empty()) {
                if (t == ";")
                    prototypes.emplace(name, i);
                if (t == "{") {
                    SFunction f;
                    f.name = names.emplace(name, names.size()).first->second;
                    f.line = tokens[i].line;
                    f.begin = i;
                    f.end = tokens.size();
                    if (f.name == s.byName.size())
                        s.byName.emplace_back();
                    s.byName[f.name].push_back(s.functions.size());
                    s.functions.push_back(std::move(f));
                }
            }
        }
        if (t == "{")
            ++braces;
        else if (t == "}" && braces > 0 && --braces == 0 && !s.functions.empty() &&
                 s.functions.back().end == tokens.size())
            s.functions.back().end = i;
    }
    for (size_t index = 0; index < s.functions.size(); ++index) {
        SFunction& f = s.functions[index];
        for (size_t k = f.begin + 1; k + 1 < f.end; ++k) {
            if (tokens[k + 1].text != "(" || !IsName(tokens[k].text))
                continue;
            const auto called = names.find(tokens[k].text);
            if (called == names.end())
                continue;
            const std::vector<size_t>& all = s.byName[called->second];
            SCall c;
            c.name = called->second;
            c.before = size_t(std::lower_bound(all.begin(), all.end(), index) - all.begin());
            const auto prototype = prototypes.find(tokens[k].text);
            c.declared = prototype != prototypes.end() && prototype->second < k;
            f.calls.push_back(c);
        }
    }
    return s;
}

} // namespace

SInlinedWeight HeaviestInlined(const std::vector<SShaderToken>& tokens, double budget, uint32_t depth)
{
    SSource s = Read(tokens);
    // Weighed in rounds, each from the weights of the round before, until none changes: the weights
    // only grow, and a chain of calls n long is weighed whole after n rounds. The heaviest function
    // a call may reach counts (the overload the host picks is not worked out), so that overloads
    // calling one another after prototypes may seem to go round; no chain of a source the host takes
    // is longer than its functions are many, so that many rounds bound them all.
    constexpr double held = 1e18;  // weights stop here: far past any budget, and finite in any sum
    const size_t rounds = std::min<size_t>(s.functions.size(), depth) + 1;
    std::vector<std::vector<double>> firsts(s.byName.size());  // the heaviest of each name's first 1, 2, ...
    std::vector<size_t> heaviest(s.byName.size());   // each name's heaviest function
    std::vector<double> second(s.byName.size());     // and the weight of the next
    std::vector<double> next(s.functions.size());
    bool growing = false;
    for (size_t round = 0; round <= rounds; ++round) {
        for (size_t n = 0; n < s.byName.size(); ++n) {
            firsts[n].resize(s.byName[n].size());
            double most = 0;
            heaviest[n] = s.byName[n][0];
            second[n] = 0;
            for (size_t j = 0; j < s.byName[n].size(); ++j) {
                const size_t index = s.byName[n][j];
                const double weight = s.functions[index].weight;
                if (j > 0 && weight > s.functions[heaviest[n]].weight) {
                    second[n] = s.functions[heaviest[n]].weight;
                    heaviest[n] = index;
                } else if (j > 0) {
                    second[n] = std::max(second[n], weight);
                }
                firsts[n][j] = most = std::max(most, weight);
            }
        }
        bool changed = false;
        for (size_t index = 0; index < s.functions.size(); ++index) {
            const SFunction& f = s.functions[index];
            double weight = double(f.end - f.begin);
            for (const SCall& c : f.calls) {
                double reached = c.before > 0 ? firsts[c.name][c.before - 1] : 0;
                if (c.declared)
                    reached = heaviest[c.name] != index ? s.functions[heaviest[c.name]].weight : second[c.name];
                weight = std::min(held, weight + reached);
            }
            if (weight - double(f.end - f.begin) > budget)
                return {weight - double(f.end - f.begin), f.line, false};
            changed |= weight != f.weight;
            next[index] = weight;
        }
        growing = changed;
        if (!changed)
            break;
        for (size_t index = 0; index < s.functions.size(); ++index)
            s.functions[index].weight = next[index];
    }
    // Still growing after the last round: calls that go round (or overloads calling each other
    // through prototypes) among more functions than the depth allows.
    SInlinedWeight most;
    most.tooDeep = s.functions.size() > depth && growing;
    for (const SFunction& f : s.functions)
        if (f.weight - double(f.end - f.begin) >= most.tokens)
            most = {f.weight - double(f.end - f.begin), f.line, most.tooDeep};
    return most;
}
