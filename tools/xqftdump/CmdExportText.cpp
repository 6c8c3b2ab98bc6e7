// export-text FILE OUT.txt: the text export of every frame, as the viewer writes it.
#include "DumpCommand.h"

#if __has_include("TraceExport.h")
#include "CmdExportLoad.h"
#include "TraceExport.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    return RunExport(args, 2, "usage: xqft-dump export-text FILE OUT.txt\n", [&](CTraceData& trace, CTraceStatistics&) {
        STextExportOptions options;
        options.callFailed = [](const char* name, uint32_t callNo) {
            fprintf(stderr, "Error processing Call:%s %u\n", name, callNo);
        };
        if (ExportTraceText(&trace, CXQFTString(args[1].c_str()), options))
            return kDumpOk;
        fprintf(stderr, "ERROR: cannot write %s\n", args[1].c_str());
        return kDumpUsage;
    });
}

XQFT_DUMP_COMMAND("export-text", "FILE OUT.txt", Run);
#endif
