// calls FILE --frame N | --all: loads the trace as the viewer does and prints one line per call
// from its description: "API name(arg=text, ...) ==> return" (no arrow when the function returns
// nothing). Hidden extras of the verbose description are not shown.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

std::string Text(const SApiTypeBase* value)
{
    CXQFTString text;
    value->ToString(text, nullptr);
    return text.CStr();
}

void PrintCall(STraceCall& entry)
{
    const CGenCallInfo* info = entry.GetCallInfo();
    std::string line = std::string(info->GetApi() ? info->GetApi() : "-") + " " +
                       (info->GetFunctionName() ? info->GetFunctionName() : "?") + "(";
    if (const auto* values = info->GetArguments()) {
        const size_t shown = std::min<size_t>(values->size(), info->GetVisibleArgumentCount());
        for (size_t i = 0; i < shown; ++i)
            line += (i ? ", " : "") + std::string(info->GetArgumentNames()[i].CStr()) + "=" + Text((*values)[i]);
    }
    line += ")";
    if (info->GetReturnValue())
        line += " ==> " + Text(info->GetReturnValue());
    puts(line.c_str());
}

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long frame = 0;
    bool all = false, usage = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--all")
            all = true;
        else if (args[i] == "--frame" && i + 1 < args.size())
            usage |= !ParseNumber(args[++i], 1, UINT32_MAX, frame);
        else if (path.empty())
            path = args[i];
        else
            usage = true;
    }
    if (path.empty() || usage || all == (frame > 0)) {
        fputs("usage: xqft-dump calls FILE --frame N | --all\n", stderr);
        return kDumpUsage;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    CTraceData* data = reader.GetTraceData();
    if (data == nullptr) {
        fprintf(stderr, "ERROR: %s: load result %d\n", path.c_str(), result);
        return kDumpUsage;
    }
    if (all) {
        for (uint32_t n = 1; n <= data->GetCallCount(); ++n)
            PrintCall(*data->GetCall(n));
    } else if (!data->SetCurrentFrame(uint32_t(frame), true)) {
        fprintf(stderr, "ERROR: %s has no frame %ld\n", path.c_str(), frame);
        return kDumpUsage;
    } else {
        while (STraceCall* entry = data->GetNextCall())
            PrintCall(*entry);
    }
    if (result != 0)
        fprintf(stderr, "ERROR: load result %d %s\n", result, reader.GetLastError().CStr());
    // The trace stays loaded: the process leaves without taking it apart (main.cpp).
    return result == 0 ? kDumpOk : kDumpTruncated;
}

} // namespace

XQFT_DUMP_COMMAND("calls", "FILE --frame N | --all", Run);
