#pragma once
// Whether a trace can be played on the host at all. A trace recorded without data holds pointer
// values where the host reads bytes (the window a surface is made on, pixels, buffers, client
// arrays), so no pass of it reproduces anything: every command that plays, and the Image Analysis
// dock, say so once with this reason before playing, rather than by what the host makes of the
// first call it cannot take.
#include "data/TraceData.h"

inline constexpr char kRecordedWithoutData[] = "the trace was recorded without data: none of its calls can be played";

inline bool TracePlayable(const CTraceData& trace)
{
    return trace.IsRecordedWithData() == 1;
}
