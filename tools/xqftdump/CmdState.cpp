// state FILE --call N: loads the trace and prints the tracked ES 2.0 state just before call N
// (1-based): blend, depth, stencil, masks, viewport, scissor, bindings, buffers, framebuffers,
// shaders, programs with attributes and uniforms, textures with their levels.
#include "DumpCommand.h"

#include "Es2StateText.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "state/Es2State.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long call = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--call" && i + 1 < args.size())
            call = std::strtol(args[++i].c_str(), nullptr, 10);
        else if (path.empty())
            path = args[i];
        else
            call = -1;
    }
    if (path.empty() || call <= 0) {
        fputs("usage: xqft-dump state FILE --call N\n", stderr);
        return kDumpUsage;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    reader.LoadTrace(CXQFTString(path.c_str()), 1);
    CTraceData* data = reader.GetTraceData();
    SEs2State state;
    if (!data || uint64_t(call) > data->GetCallCount() || !data->GetEs2StateAtCall(int32_t(call - 1), &state)) {
        fprintf(stderr, "ERROR: %s: no ES 2.0 state at call %ld\n", path.c_str(), call);
        reader.Close();
        return kDumpUsage;
    }
    fputs(DescribeEs2State(state).c_str(), stdout);
    reader.Close();
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("state", "FILE --call N", Run);
