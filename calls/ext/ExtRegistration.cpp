// Compiled into every program that links xqft_calls_ext (an interface source of the library), so
// the loader knows these records although the trace library names no call family.
#include "ExtFactory.h"

namespace {
[[maybe_unused]] const bool kRegistered = (RegisterExtCalls(), true);
} // namespace
