// state-page FILE --call N [--since M]: the state tree as the viewer shows it when call N is
// selected: the ES 1.1 page, then the ES 2.0 page, each when the trace holds a state of its API
// (with both, the groups the pages share stand on the ES 2.0 page), with "*" before every header
// and row that would be red against the pages shown for call M (by default: the states at the
// start of frame 1).
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Es1StateRows.h"
#include "Es2StateRows.h"
#include "StateAtCall.h"
#include "data/TraceData.h"
#include "state/Es1State.h"
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
        if (args[i] == "--since" && i + 1 < args.size()) {
            if (!ParseNumber(args[++i], 0, UINT32_MAX, since)) {
                fprintf(stderr, "usage: xqft-dump %s\n", usage);
                return kDumpUsage;
            }
        } else
            rest.push_back(args[i]);
    }
    std::string path;
    long call = 0;
    if (!ParseFileAndNumber(rest, "--call", usage, path, call))
        return kDumpUsage;
    CLoadedTrace trace(path);
    CTraceData* data = trace.Data();
    SEs1State es1Now, es1Before;
    SEs2State es2Now, es2Before;
    const bool hasEs1 = data && Es1StateShownAt(*data, call, es1Now);
    const bool hasEs2 = data && Es2StateShownAt(*data, call, es2Now);
    const bool hasBefore =
        since > 0 ? (!hasEs1 || Es1StateShownAt(*data, since, es1Before)) && (!hasEs2 || Es2StateShownAt(*data, since, es2Before))
                  : (!hasEs1 || data->GetFrameEs1State(1, &es1Before)) && (!hasEs2 || data->GetFrameEs2State(1, &es2Before));
    if (!hasEs1 && !hasEs2) {
        fprintf(stderr, "ERROR: %s: no GL state at call %ld\n", path.c_str(), call);
        return kDumpUsage;
    }
    if (!hasBefore) {
        fprintf(stderr, "ERROR: %s: no GL state at call %ld\n", path.c_str(), since);
        return kDumpUsage;
    }
    if (hasEs1) {
        SStatePage page = BuildEs1Page(es1Now, es1Before);
        if (hasEs2)
            KeepEs1OnlyGroups(page);
        fputs(DumpStatePage(page).c_str(), stdout);
    }
    if (hasEs2)
        fputs(DumpStatePage(BuildEs2Page(es2Now, es2Before)).c_str(), stdout);
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("state-page", "FILE --call N [--since M]", Run);
