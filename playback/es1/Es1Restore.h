#pragma once
// Brings the host's ES 1.1 context to a frame's recorded state (objects keep their recorded names).
#include "state/Es1State.h"

#include <cstdint>

void RestoreEs1State(SEs1State& snapshot, uint32_t frame, SEs1State* current);
