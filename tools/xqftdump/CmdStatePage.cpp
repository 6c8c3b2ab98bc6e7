// state-page FILE --call N [--since M]: the ES 2.0 page of the state tree as the viewer shows it
// when call N is selected, with "*" before every header and row that would be red against the
// page shown for call M (by default: the state at the start of frame 1).
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Es2StateRows.h"
#include "StateAtCall.h"
#include "data/TraceData.h"
#include "state/Es2State.h"

#include <cstdio>
#include <string>

namespace {

int Run(const std::vector<std::string>& args)
{
    const char* usage = "state-page FILE --call N [--since M]";
    std::vector<std::string> rest;
    long since = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--since" && i + 1 < args.size())
            since = std::strtol(args[++i].c_str(), nullptr, 10);
        else
            rest.push_back(args[i]);
    }
    std::string path;
    long call = 0;
    if (!ParseFileAndNumber(rest, "--call", usage, path, call))
        return kDumpUsage;
    CLoadedTrace trace(path);
    CTraceData* data = trace.Data();
    SEs2State now, before;
    if (!data || !Es2StateShownAt(*data, call, now)) {
        fprintf(stderr, "ERROR: %s: no ES 2.0 state at call %ld\n", path.c_str(), call);
        return kDumpUsage;
    }
    const bool hasBefore = since > 0 ? Es2StateShownAt(*data, since, before)
                                     : data->GetFrameEs2State(1, &before);
    if (!hasBefore) {
        fprintf(stderr, "ERROR: %s: no ES 2.0 state at call %ld\n", path.c_str(), since);
        return kDumpUsage;
    }
    fputs(DumpStatePage(BuildEs2Page(now, before)).c_str(), stdout);
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("state-page", "FILE --call N [--since M]", Run);
