#pragma once
// The check every shader source from a trace passes before a compiler sees it. The host's compiler
// recurses once per operand of an expression and once per bracket, expands macros without a bound
// and builds the whole of a declared array: a hostile source takes the process's stack, memory or
// minutes. The limits are far above what applications write (see the .cpp); a source past one is
// not compiled.
#include <cstdint>
#include <string>
#include <string_view>

// Why the source is not to be compiled (one phrase, with its line); empty when it may be.
std::string ShaderSourceRefusal(std::string_view source);

// Whether the source may go to the host compiler; else an ERROR line: "<call>: shader <name>: ...".
bool ShaderSourceAllowed(const char* call, uint32_t shader, std::string_view source);
