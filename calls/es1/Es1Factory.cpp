// The ES 1.1 records are not built yet: every id gives no call, and the loader skips the record.
#include "Es1Factory.h"

CApiCall* CreateEs1Call(CTrace* trace, uint16_t id) { return nullptr; }

void RegisterEs1Calls() { RegisterCallFamily({ECallFamily::Es1, 3001, 3145, &CreateEs1Call}); }
