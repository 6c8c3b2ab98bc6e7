#pragma once
#include <cstdint>

class CApiCall;
class CTrace;

inline constexpr uint16_t kEs2FirstId = 2001;
inline constexpr uint16_t kEs2LastId = 2142;

// A new OpenGL ES 2.0 record read from the trace's stream, or null for an id outside 2001-2142
// or a file version of 0. The caller stores the call id.
CApiCall* CreateEs2Call(CTrace* trace, uint16_t id);
