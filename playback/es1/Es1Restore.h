#pragma once
// Brings the host's ES 1.1 context to a frame's recorded state (objects keep their recorded names).
#include "state/Es1State.h"

#include <cstdint>

void RestoreEs1State(SEs1State& snapshot, uint32_t frame, SEs1State* current);

struct SEs1ExtensionState;

// The vertex-array objects of the snapshot other than the default one, on a host that offers them:
// each made on the host when `names` lacks it and given its buffer-backed client arrays, switches and
// element buffer; then the snapshot's binding, translated through `names` (the ES 1.1 player's own
// vertex-array names). Runs after RestoreEs1State, whose buffers the arrays refer to.
void RestoreEs1VertexArrays(const SEs1State& snapshot, SEs1ExtensionState& names);
