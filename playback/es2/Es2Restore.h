#pragma once
// Brings the host's ES 2.0 context to a frame's recorded state: textures, buffers, render state,
// renderbuffers, framebuffers, vertex arrays, shaders and programs, named through the name maps.
// `current` is what the host holds since the last restore (null: nothing yet); uploads whose recorded
// data is already on the host are skipped. Runs after the EGL restore has made the frame's context
// current.
#include "state/Es2State.h"

#include <cstdint>

void RestoreEs2State(SEs2State& snapshot, uint32_t frame, SEs2State* current);
void RestoreEs2Shaders(SEs2State& snapshot, SEs2State& current);
void RestoreEs2Programs(SEs2State& snapshot, SEs2State& current);
