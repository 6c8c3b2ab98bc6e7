// export-csv FILE FRAMES.csv CALLS.csv: the frame statistics and the per-function call counts.
#include "DumpCommand.h"

#if __has_include("TraceStatistics.h")
#include "CmdExportLoad.h"
#include "TraceStatistics.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    return RunExport(args, 3, "usage: xqft-dump export-csv FILE FRAMES.csv CALLS.csv\n",
                     [&](CTraceData&, CTraceStatistics& statistics) {
                         for (int i = 1; i <= 2; ++i) {
                             const CXQFTString path(args[size_t(i)].c_str());
                             const bool ok = i == 1 ? statistics.SaveFrameSummary(path)
                                                    : statistics.SaveCallsSummary(path);
                             if (!ok) {
                                 fprintf(stderr, "ERROR: cannot write %s\n", path.CStr());
                                 return kDumpUsage;
                             }
                         }
                         return kDumpOk;
                     });
}

XQFT_DUMP_COMMAND("export-csv", "FILE FRAMES.csv CALLS.csv", Run);
#endif
