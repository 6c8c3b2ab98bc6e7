#pragma once
// The OpenGL ES 1.1 records by id, and their registration with the loader.
#include "apicall/CallFactory.h"

CApiCall* CreateEs1Call(CTrace* trace, uint16_t id);
void RegisterEs1Calls();
