#include "StateAtCall.h"

#include "data/TraceData.h"

namespace {
template <class State>
bool StateShownAt(CTraceData& trace, int64_t call, State& out, bool (CTraceData::*atCall)(int32_t, State*),
                  const State& (CTraceData::*running)() const, bool hasApi)
{
    if (!hasApi || call < 0 || call > int64_t(trace.GetCallCount()))
        return false;
    if (call == int64_t(trace.GetCallCount())) {
        out = (trace.*running)();
        return true;
    }
    return (trace.*atCall)(int32_t(call), &out);
}
} // namespace

bool Es1StateShownAt(CTraceData& trace, int64_t call, SEs1State& out)
{
    return StateShownAt(trace, call, out, &CTraceData::GetEs1StateAtCall, &CTraceData::RunningEs1State, trace.HasEs1());
}

bool Es2StateShownAt(CTraceData& trace, int64_t call, SEs2State& out)
{
    return StateShownAt(trace, call, out, &CTraceData::GetEs2StateAtCall, &CTraceData::RunningEs2State, trace.HasEs2());
}
