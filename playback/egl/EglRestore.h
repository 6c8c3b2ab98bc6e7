#pragma once
// Brings the host's EGL objects to a frame's recorded EGL state: displays, window surfaces,
// contexts and the current binding, paired with what the host holds since the last restore
// (`current`) by recorded handle. What only `current` holds is destroyed first, then what only the
// snapshot holds is made (a recorded handle so never meets a newer object, and an X window is
// free again for the new surface). False, with an ERROR line naming the handle, when the current
// binding names a context or surface the snapshot never made (nothing is then made current), or when
// the host refuses the binding. A context recorded without a config, and a binding without surfaces,
// are made as the EGL player makes them (EglCurrent.h).
#include "state/EglState.h"

#include <cstdint>

bool RestoreEglState(SEglState& snapshot, uint32_t frame, SEglState& current);
