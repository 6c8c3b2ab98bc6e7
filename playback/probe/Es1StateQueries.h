#pragma once
// The scalar OpenGL ES 1.1 state as the host answers it (StateQueries.h): the scalars by the label
// the comparison lists use, then the capabilities GL can be asked for.
#include "StateQueries.h"
#include "state/Es1State.h"

using SEs1StateQuery = TStateQuery<SEs1State>;

const std::vector<SEs1StateQuery>& Es1StateQueries();
