// The extension records are not built yet: every id gives no call, and the loader skips the record.
#include "ExtFactory.h"

CApiCall* CreateExtCall(CTrace* trace, uint16_t id) { return nullptr; }

void RegisterExtCalls() { RegisterCallFamily({ECallFamily::Ext, 4001, 4090, &CreateExtCall}); }
