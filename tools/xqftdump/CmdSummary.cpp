// summary FILE --frame N: the statistics dock's two tables for frame N, from the same code: the
// frame summary ("label: value", six lines), a blank line, then the call summary ("name: count",
// busiest first, names in order among equal counts).
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "CallSummary.h"
#include "CmdExportLoad.h"
#include "TraceStatistics.h"
#include "data/TraceData.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long frame = 0;
    if (!ParseFileAndNumber(args, "--frame", "summary FILE --frame N", path, frame))
        return kDumpUsage;
    std::unique_ptr<CTraceStatistics> statistics;
    CTraceData* trace = LoadTraceForExport(path, &statistics);
    if (!trace)
        return kDumpBadHeader;
    if (frame > long(statistics->GetFrameCount())) {
        ReportNotInTrace(path, "frame", frame);
        return kDumpUsage;
    }
    const STraceFrameStats* stats = statistics->GetFrame(uint32_t(frame));
    for (const SSummaryRow& row : FrameSummaryRows(stats->frame))
        std::printf("%s: %d\n", row.label, int32_t(row.value));
    std::printf("\n");
    CCallSummary calls;
    calls.SetCounts(stats->functionCounts);
    for (const SCallSummaryRow& row : calls.Rows())
        std::printf("%s: %u\n", row.name.c_str(), row.count);
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("summary", "FILE --frame N", Run);
