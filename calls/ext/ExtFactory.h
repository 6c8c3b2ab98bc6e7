#pragma once
// The extension records by id, and their registration with the loader.
#include "apicall/CallFactory.h"

CApiCall* CreateExtCall(CTrace* trace, uint16_t id);
void RegisterExtCalls();
