#pragma once
// The state a page shows when the call list selects a call. The list passes call numbers
// (1-based) and the trace takes a 0-based index of the call the state stands before, so the page
// includes the selected call's own change. The last call has no call after it: the state after it
// is the trace's running state.
#include <cstdint>

class CTraceData;
struct SEs1State;
struct SEs2State;

bool Es1StateShownAt(CTraceData& trace, int64_t call, SEs1State& out);
bool Es2StateShownAt(CTraceData& trace, int64_t call, SEs2State& out);
