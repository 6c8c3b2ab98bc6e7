#pragma once
// The keys of the analysis options (CAnalysisInterface::SetOption, one flag each) and of its one
// value (SetOptionValue). The values are those callers pass, xqft-dump's --option KEY among them.
#include <cstdint>

enum EAnalysisOption : uint32_t
{
    kOptionWireframe = 2,     // draws as lines
    kOptionComplexity = 4,    // the overdraw complexity pass
    kOptionInvertRange = 16,  // without highlight: the draws inside the range are not played; with
                              // it: the draws outside the range are highlighted
    kOptionHighlight = 32,    // highlight the range
};

enum EAnalysisValue : uint32_t
{
    kValueComplexityIncrement = 100,  // one byte: what each overdraw adds
};
