#pragma once
// The OpenGL ES 2.0 records by id, the id range they serve, and their registration with the loader.
#include "apicall/CallFactory.h"

#include <cstdint>

inline constexpr uint16_t kEs2FirstId = 2001;
inline constexpr uint16_t kEs2LastId = 2142;

CApiCall* CreateEs2Call(CTrace* trace, uint16_t id);
void RegisterEs2Calls();

// The function name of an ES 2.0 call id without building a record (statistics, filters); null
// outside 2001-2142.
const char* Es2FunctionName(uint16_t id);
