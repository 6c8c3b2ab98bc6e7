#pragma once
// Turns a call record into a call object by the id's range; null for ids outside every range
// and for ids the family's factory does not know.
#include <cstdint>

class CApiCall;
class CTrace;

CApiCall* CreateCallById(uint16_t id, CTrace* trace);

// The family whose factory an id goes to.
enum class ECallFamily { None, Egl, Es1, Es2, Ext };
ECallFamily CallFamilyOfId(uint16_t id);

// Per-family factories (calls/egl, calls/es1, calls/es2, calls/ext).
CApiCall* CreateEglCall(CTrace* trace, uint16_t id);  // 1001 to 1200
CApiCall* CreateEs1Call(CTrace* trace, uint16_t id);  // 3001 to 3145
CApiCall* CreateEs2Call(CTrace* trace, uint16_t id);  // 2001 to 2142
CApiCall* CreateExtCall(CTrace* trace, uint16_t id);  // 4001 to 4090
