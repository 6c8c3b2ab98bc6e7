// The ES 1.1 records are not built yet: every id gives no call, and the loader skips the record.
#include "calls/CallFactory.h"

CApiCall* CreateEs1Call(CTrace* trace, uint16_t id) { return nullptr; }
