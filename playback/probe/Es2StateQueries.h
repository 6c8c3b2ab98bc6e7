#pragma once
// The scalar OpenGL ES 2.0 state as the host answers it (StateQueries.h).
#include "StateQueries.h"
#include "state/Es2State.h"

using SStateQuery = TStateQuery<SEs2State>;

const std::vector<SStateQuery>& Es2StateQueries();
