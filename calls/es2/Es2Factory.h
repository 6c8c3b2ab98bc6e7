#pragma once
// CreateEs2Call (declared with the other family factories) and the id range it serves.
#include "calls/CallFactory.h"

#include <cstdint>

inline constexpr uint16_t kEs2FirstId = 2001;
inline constexpr uint16_t kEs2LastId = 2142;
