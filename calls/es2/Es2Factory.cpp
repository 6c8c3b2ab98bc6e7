// Placeholder until the ES 2.0 records land: every id gives no call.
#include "calls/CallFactory.h"

CApiCall* CreateEs2Call(CTrace* trace, uint16_t id) { return nullptr; }
