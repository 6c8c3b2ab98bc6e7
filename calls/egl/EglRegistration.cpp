// Compiled into every program that links xqft_calls_egl (an interface source of the library), so
// the loader knows these records although the trace library names no call family.
#include "EglFactory.h"

namespace {
[[maybe_unused]] const bool kRegistered = (RegisterEglCalls(), true);
} // namespace
