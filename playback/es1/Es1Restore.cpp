#include "Es1Restore.h"

// ES 1.1 records are not read yet (their factory makes no call), so no frame has ES 1.1 state to
// restore: traces replay only their EGL calls until those records and the ES 1.1 player exist.
void RestoreEs1State(SEs1State&, uint32_t, SEs1State*) {}
