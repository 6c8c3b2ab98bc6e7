#pragma once
// The value of a constant integral or float expression of GLSL tokens: numbers, the names given,
// int/uint/float/bool constructors of one value and the operators of #if and array sizes. Empty
// where the tokens are no such expression (a variable, a call, a vector).
#include "ShaderPreprocess.h"

#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>

using ShaderConstantNames = std::unordered_map<std::string_view, double>;

// unknownIsZero: a name not among `names` counts 0 (as in #if), else it makes the expression no
// constant.
std::optional<double> ShaderConstant(std::span<const SShaderToken> tokens, const ShaderConstantNames& names,
                                     bool unknownIsZero);
