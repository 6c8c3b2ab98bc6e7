// The ES 1.1 state at a call, and what state tracking costs while loading (BenchStateAtCall.h).
#include "BenchStateAtCall.h"
#include "state/Es1State.h"

int main()
{
    return xqft::bench::RunStateBench<SEs1State>("es1-state-bench", &CTraceData::GetEs1StateAtCall,
                                                 [](uint8_t kind) { return kind == kApiEs1; });
}
