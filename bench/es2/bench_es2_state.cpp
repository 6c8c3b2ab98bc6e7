// The ES 2.0 state at a call, and what state tracking costs while loading (BenchStateAtCall.h).
#include "BenchStateAtCall.h"
#include "state/Es2State.h"

int main()
{
    return xqft::bench::RunStateBench<SEs2State>("es2-state-bench", &CTraceData::GetEs2StateAtCall,
                                                 IsEs2StateKind);
}
