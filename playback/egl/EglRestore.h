#pragma once
// Brings the host's EGL objects to a frame's recorded EGL state: displays, window surfaces,
// contexts and the current binding, paired with what the host holds since the last restore
// (`current`) by recorded handle. What only `current` holds is destroyed first, then what only the
// snapshot holds is made (a recorded handle so never meets a newer object, and an X window is
// free again for the new surface).
#include "state/EglState.h"

#include <cstdint>

void RestoreEglState(SEglState& snapshot, uint32_t frame, SEglState& current);
