// Placeholder until the EGL records land: every id gives no call.
#include "calls/CallFactory.h"

CApiCall* CreateEglCall(CTrace* trace, uint16_t id) { return nullptr; }
