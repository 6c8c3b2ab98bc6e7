#include "CmdExportLoad.h"

#if __has_include("TraceStatistics.h")
#include "DumpCommand.h"
#include "DumpTraceArgs.h"
#include "TraceStatistics.h"
#include "data/TraceReader.h"

#include <cstdio>

CTraceData* LoadTraceForExport(const std::string& path, std::unique_ptr<CTraceStatistics>* statistics, int* loaded)
{
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);   // stdout stays free for the commands' own output
    const int result = LoadForCommand(path);
    CTraceData* trace = reader.GetTraceData();
    if (loaded)
        *loaded = result;
    if (result == 1 || result == 3)
        fprintf(stderr, "WARNING: %s: %s; exporting the calls read\n", path.c_str(), LoadResultMessage(result));
    else if (result != 0)
        trace = nullptr;
    if (!trace || trace->GetFrameCount() <= 0) {
        fprintf(stderr, "ERROR: %s: no trace (result %d)\n", path.c_str(), result);
        return nullptr;
    }
    *statistics = std::make_unique<CTraceStatistics>(trace);
    (*statistics)->Compute();
    return trace;
}

int RunExport(const std::vector<std::string>& args, size_t words, const char* usage,
              const std::function<int(CTraceData& trace, CTraceStatistics& statistics)>& exportFn)
{
    if (args.size() != words) {
        fputs(usage, stderr);
        return kDumpUsage;
    }
    std::unique_ptr<CTraceStatistics> statistics;
    int result = 0;
    CTraceData* trace = LoadTraceForExport(args[0], &statistics, &result);
    if (!trace)
        return kDumpBadHeader;
    const int status = exportFn(*trace, *statistics);
    // A file cut or rewritten while it was loaded or exported gave part of a trace, or bytes that
    // are no longer its own: the output stays, but the run is not a success.
    if (!trace->CapturedBytesIntact()) {
        std::string outputs;
        for (size_t i = 1; i < args.size(); ++i)
            outputs += (i > 1 ? ", " : "") + args[i];
        fprintf(stderr, "ERROR: %s was cut or changed while it was read: what was written to %s is partial\n",
                args[0].c_str(), outputs.c_str());
        return status != kDumpOk ? status : kDumpMalformed;
    }
    // A load that stopped early exported the calls it read: not the whole trace.
    return status != kDumpOk ? status : LoadExitStatus(result, trace);
}
#endif
