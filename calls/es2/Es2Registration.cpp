// Compiled into every program that links xqft_calls_es2 (an interface source of the library), so
// the loader knows these records although the trace library names no call family.
#include "Es2Factory.h"

namespace {
[[maybe_unused]] const bool kRegistered = (RegisterEs2Calls(), true);
} // namespace
