// export-text FILE OUT.txt: the text export of every frame, as the viewer writes it.
#include "DumpCommand.h"

#if __has_include("TraceExport.h")
#include "CmdExportLoad.h"
#include "TraceExport.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        fputs("usage: xqft-dump export-text FILE OUT.txt\n", stderr);
        return kDumpUsage;
    }
    std::unique_ptr<CTraceStatistics> statistics;
    CTraceData* trace = LoadTraceForExport(args[0], &statistics);
    if (!trace)
        return kDumpBadHeader;
    STextExportOptions options;
    options.callFailed = [](const char* name, uint32_t callNo) {
        fprintf(stderr, "Error processing Call:%s %u\n", name, callNo);
    };
    if (!ExportTraceText(trace, CXQFTString(args[1].c_str()), options)) {
        fprintf(stderr, "ERROR: cannot write %s\n", args[1].c_str());
        return kDumpUsage;
    }
    return kDumpOk;
}

XQFT_DUMP_COMMAND("export-text", "FILE OUT.txt", Run);
#endif
