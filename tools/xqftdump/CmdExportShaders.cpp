// export-shaders FILE DIR: one .vsh or .fsh file per shader source recorded in the trace.
#include "DumpCommand.h"

#if __has_include("TraceExport.h")
#include "CmdExportLoad.h"
#include "TraceExport.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        fputs("usage: xqft-dump export-shaders FILE DIR\n", stderr);
        return kDumpUsage;
    }
    std::unique_ptr<CTraceStatistics> statistics;
    CTraceData* trace = LoadTraceForExport(args[0], &statistics);
    if (!trace)
        return kDumpBadHeader;
    std::vector<CXQFTString> failed;
    if (!ExportShaders(trace, *statistics->GetShaderSources(), CXQFTString(args[1].c_str()), &failed)) {
        for (const CXQFTString& f : failed)
            fprintf(stderr, "ERROR: cannot write %s\n", f.CStr());
        return kDumpUsage;
    }
    return kDumpOk;
}

XQFT_DUMP_COMMAND("export-shaders", "FILE DIR", Run);
#endif
