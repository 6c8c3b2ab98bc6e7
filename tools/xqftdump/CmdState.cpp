// state FILE --call N: loads the trace and prints the tracked ES 2.0 state just before call N
// (1-based): blend, depth, stencil, masks, viewport, scissor, bindings, buffers, framebuffers,
// shaders, programs with attributes and uniforms, textures with their levels.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Es2StateText.h"
#include "data/TraceData.h"
#include "state/Es2State.h"

#include <cstdio>
#include <string>

namespace {

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long call = 0;
    if (!ParseFileAndNumber(args, "--call", "state FILE --call N", path, call))
        return kDumpUsage;
    CLoadedTrace trace(path);
    CTraceData* data = trace.Data();
    SEs2State state;
    if (!data || uint64_t(call) > data->GetCallCount() || !data->GetEs2StateAtCall(int32_t(call - 1), &state)) {
        fprintf(stderr, "ERROR: %s: no ES 2.0 state at call %ld\n", path.c_str(), call);
        return kDumpUsage;
    }
    fputs(DescribeEs2State(state).c_str(), stdout);
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("state", "FILE --call N", Run);
