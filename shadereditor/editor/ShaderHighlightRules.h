#pragma once
// The highlighter's rule table: for each rule type (a row of the colour scheme) the patterns that
// colour text with that row's format and the document types they apply to. The keyword lists
// are data (ShaderHighlightRules.cpp); a list becomes one pattern per word, "\bword\b", or one
// alternation of all its words, which colours the same ranges far faster.
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <map>
#include <span>

struct SHighlightRule
{
    QList<QRegularExpression> patterns;
    uint32_t mask = 0;   // document types the rule applies to
};

// Rule type -> rule; applied in ascending rule type, later formats override earlier ones.
using THighlightRuleTable = std::map<int, SHighlightRule>;

// One list of the table: whole words and patterns used as they stand.
struct SHighlightRuleList
{
    int ruleType;
    uint32_t mask;
    std::span<const char* const> words;
    std::span<const char* const> patterns;
};
std::span<const SHighlightRuleList> HighlightRuleLists();

// Sets the rule's mask (replacing an earlier one) and appends one pattern per text.
void AddHighlightRule(THighlightRuleTable& table, int ruleType, const char* const* patterns, uint32_t count,
                      uint32_t mask);
// The table of every list; joinWords makes one alternation per list instead of one pattern a word.
THighlightRuleTable BuildHighlightRuleTable(bool joinWords);
// The joined table, built once and shared (patterns are implicitly shared and thread-safe).
const THighlightRuleTable& DefaultHighlightRuleTable();

// Calls found(start, length) for every match of the pattern, each search starting where the
// previous match ended.
template <typename F>
void ForEachMatch(const QRegularExpression& pattern, const QString& text, F&& found)
{
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength() > 0)
            found(int(m.capturedStart()), int(m.capturedLength()));
    }
}
