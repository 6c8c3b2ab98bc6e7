#pragma once
// CreateEs2Call (declared with the other family factories) and the id range it serves.
#include "calls/CallFactory.h"

#include <cstdint>

inline constexpr uint16_t kEs2FirstId = 2001;
inline constexpr uint16_t kEs2LastId = 2142;

// The function name of an ES 2.0 call id without building a record (statistics, filters); null
// outside 2001-2142.
const char* Es2FunctionName(uint16_t id);
