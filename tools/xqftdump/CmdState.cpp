// state FILE --call N: loads the trace and prints the tracked ES 2.0 state just before call N
// (1-based): blend, depth, stencil, masks, viewport, scissor, bindings, buffers, framebuffers,
// shaders, programs with attributes and uniforms, textures with their levels.
// es1-state FILE --call N: the same for the tracked ES 1.1 state: every field of the record, one
// name=value a line, then its buffers, texture levels and vertex-array records.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Es1StateText.h"
#include "Es2StateText.h"
#include "data/TraceData.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

#include <cstdio>
#include <string>

namespace {

template <class State>
int PrintStateAtCall(const std::vector<std::string>& args, const char* usage, const char* api,
                     bool (CTraceData::*at)(int32_t, State*), std::string (*describe)(const State&))
{
    std::string path;
    long call = 0;
    if (!ParseFileAndNumber(args, "--call", usage, path, call))
        return kDumpUsage;
    CLoadedTrace trace(path, uint32_t(call));
    CTraceData* data = trace.Data();
    State state;
    if (!data || uint64_t(call) > data->GetCallCount() || !(data->*at)(int32_t(call - 1), &state)) {
        fprintf(stderr, "ERROR: %s: no %s state at call %ld\n", path.c_str(), api, call);
        return kDumpUsage;
    }
    fputs(describe(state).c_str(), stdout);
    if (!CapturedBytesStillThere(data))
        return kDumpMalformed;
    return kDumpOk;
}

int RunEs2(const std::vector<std::string>& args)
{
    return PrintStateAtCall(args, "state FILE --call N", "ES 2.0", &CTraceData::GetEs2StateAtCall, &DescribeEs2State);
}

int RunEs1(const std::vector<std::string>& args)
{
    return PrintStateAtCall(args, "es1-state FILE --call N", "ES 1.1", &CTraceData::GetEs1StateAtCall,
                            &DescribeEs1State);
}

} // namespace

XQFT_DUMP_COMMAND("state", "FILE --call N", RunEs2);
XQFT_DUMP_COMMAND("es1-state", "FILE --call N", RunEs1);
