#pragma once
// The analysis options: one row each, and everything else comes from the rows (the key names, the
// fields the pass reads, the table CAnalysisInterface::SetOption and xqft-dump's --option KEY=VALUE
// look keys up in, and the option list of xqft-dump's usage). Adding an option takes a row here and
// the code of the pass that reads its field.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

// Columns: enumerator, key (what callers pass: fixed once published), field of SAnalysisOptions,
// largest value (1 for a flag), default, what it does.
#define XQF_ANALYSIS_OPTIONS(X)                                                                                 \
    X(kOptionWireframe, 2, m_wireframe, 1, 0, "draws as lines")                                                 \
    X(kOptionComplexity, 4, m_complexity, 1, 0, "the overdraw complexity pass")                                 \
    X(kOptionInvertRange, 16, m_rangeMode, 1, 0,                                                                \
      "without highlight the draws inside the range are not played; with it those outside are highlighted")   \
    X(kOptionHighlight, 32, m_highlight, 1, 0, "highlight the range over a pass of the whole frame")            \
    X(kValueComplexityIncrement, 100, m_increment, 255, 128, "what each overdraw adds to a complexity pixel")   \
    X(kOptionKeptImagesMib, 102, m_keptImagesMib, 16384, 256,                                                \
      "MiB the GPU-made images kept from rebuilds may take (at most half the free memory)")

enum EAnalysisOption : uint32_t
{
#define XQF_OPTION_KEY(name, key, field, largest, initial, what) name = key,
    XQF_ANALYSIS_OPTIONS(XQF_OPTION_KEY)
#undef XQF_OPTION_KEY
};

namespace analysisoptions {
// The narrowest field that holds every value of an option.
template <uint32_t Largest>
using TField = std::conditional_t<(Largest <= 0xFF), uint8_t, std::conditional_t<(Largest <= 0xFFFF), uint16_t, uint32_t>>;
} // namespace analysisoptions

// The options as the pass reads them.
struct SAnalysisOptions
{
#define XQF_OPTION_FIELD(name, key, field, largest, initial, what) \
    analysisoptions::TField<largest> field = initial;
    XQF_ANALYSIS_OPTIONS(XQF_OPTION_FIELD)
#undef XQF_OPTION_FIELD
};

struct SAnalysisOptionRow
{
    uint32_t key;
    const char* name;  // the enumerator, as messages name the option
    uint32_t largest;
    uint32_t initial;
    const char* what;
    void (*set)(SAnalysisOptions&, uint32_t);
    uint32_t (*get)(const SAnalysisOptions&);
};

inline constexpr SAnalysisOptionRow kAnalysisOptions[] = {
#define XQF_OPTION_ROW(name, key, field, largest, initial, what)                                  \
    {key, #name, largest, initial, what,                                                          \
     [](SAnalysisOptions& o, uint32_t v) { o.field = analysisoptions::TField<largest>(v); },       \
     [](const SAnalysisOptions& o) { return uint32_t(o.field); }},
    XQF_ANALYSIS_OPTIONS(XQF_OPTION_ROW)
#undef XQF_OPTION_ROW
};

// The row of a key; nullptr for a key no option has.
constexpr const SAnalysisOptionRow* FindAnalysisOption(uint32_t key)
{
    for (const SAnalysisOptionRow& row : kAnalysisOptions)
        if (row.key == key)
            return &row;
    return nullptr;
}

namespace analysisoptions {
constexpr bool KeysUnique()
{
    for (size_t i = 0; i < std::size(kAnalysisOptions); ++i)
        for (size_t j = i + 1; j < std::size(kAnalysisOptions); ++j)
            if (kAnalysisOptions[i].key == kAnalysisOptions[j].key)
                return false;
    return true;
}
static_assert(KeysUnique(), "two analysis options share a key");
} // namespace analysisoptions
