#pragma once
// What a source's functions come to once the host compiler inlines their calls: it copies the
// function called into each call, so that a chain of functions each calling the one before twice
// doubles with every link (30 links: a thousand million copies of the first).
#include "ShaderPreprocess.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct SInlinedWeight
{
    double tokens = 0;        // the most the calls of one function add to it once inlined
    uint32_t line = 0;        // where that function's body starts
    bool tooDeep = false;     // the calls chain on further than the depth given (or call themselves)
};

// What inlining adds to the functions of `tokens` (a source with its macros expanded), at most. A
// function weighs its body's tokens and, for each call it makes, the weight of the function called
// (of several of one name, the heaviest: the overload the host picks is not worked out). Weighing
// stops once the calls of one add more than `budget`, or when calls chain on past `depth`.
SInlinedWeight HeaviestInlined(const std::vector<SShaderToken>& tokens, double budget, uint32_t depth);
