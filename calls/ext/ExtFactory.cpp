// The extension records are not built yet: the family has no table, registers no row, and the
// loader skips every extension record. Its table will be calls/ext/ExtCalls.def, expanded here as
// the other families expand theirs (and in calls/CallQueries.h).
#include "ExtFactory.h"

void RegisterExtCalls() {}
