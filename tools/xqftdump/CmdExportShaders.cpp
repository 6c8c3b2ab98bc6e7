// export-shaders FILE DIR: one .vsh or .fsh file per shader source recorded in the trace.
#include "DumpCommand.h"

#if __has_include("TraceExport.h")
#include "CmdExportLoad.h"
#include "TraceExport.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    return RunExport(args, 2, "usage: xqft-dump export-shaders FILE DIR\n",
                     [&](CTraceData& trace, CTraceStatistics& statistics) {
                         std::vector<CXQFTString> failed;
                         if (ExportShaders(&trace, *statistics.GetShaderSources(), CXQFTString(args[1].c_str()),
                                           &failed))
                             return kDumpOk;
                         for (const CXQFTString& f : failed)
                             fprintf(stderr, "ERROR: cannot write %s\n", f.CStr());
                         return kDumpUsage;
                     });
}

XQFT_DUMP_COMMAND("export-shaders", "FILE DIR", Run);
#endif
