// search FILE PATTERN [--frame N] [--case] [--limit L]: the viewer's call search on a trace loaded
// as the viewer loads it. Prints the numbers of the calls found, one a line, then the search's
// final status text. Without --frame the whole trace is searched; the pattern matches regardless
// of case unless --case is given; L (default 100, the viewer's default; 0 for none) ends the
// search when that many calls are found.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "CallSearch.h"
#include "data/TraceData.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kUsage[] = "search FILE PATTERN [--frame N] [--case] [--limit L]";
// The arguments alone: the command list prints them after the command's name.
constexpr const char* kArguments = kUsage + sizeof("search ") - 1;

int Run(const std::vector<std::string>& args)
{
    std::string path, pattern;
    long frame = 0, limit = 100;
    bool caseSensitive = false, usage = false, havePattern = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--frame" && i + 1 < args.size())
            usage |= !ParseNumber(args[++i], 1, UINT32_MAX, frame);
        else if (args[i] == "--limit" && i + 1 < args.size())
            usage |= !ParseNumber(args[++i], 0, UINT32_MAX, limit);
        else if (args[i] == "--case")
            caseSensitive = true;
        else if (path.empty())
            path = args[i];
        else if (!havePattern)
            pattern = args[i], havePattern = true;
        else
            usage = true;
    }
    if (path.empty() || !havePattern || usage) {
        std::fprintf(stderr, "usage: xqft-dump %s\n", kUsage);
        return kDumpUsage;
    }
    const QRegularExpression expression(QString::fromLocal8Bit(pattern.c_str()),
                                        caseSensitive ? QRegularExpression::NoPatternOption
                                                      : QRegularExpression::CaseInsensitiveOption);
    if (!expression.isValid()) {
        std::fprintf(stderr, "ERROR: %s\n", InvalidExpressionText(expression).toLocal8Bit().constData());
        return kDumpUsage;
    }
    CLoadedTrace loaded(path);
    CTraceData* trace = loaded.Data();
    if (!trace) {
        std::fprintf(stderr, "ERROR: %s: load result %d\n", path.c_str(), loaded.Result());
        return kDumpUsage;
    }
    SCallRange range = WholeTraceRange(*trace);
    if (frame) {
        if (!trace->SetCurrentFrame(uint32_t(frame), true)) {
            ReportNotInTrace(path, "frame", frame);
            return kDumpUsage;
        }
        range = CurrentFrameRange(*trace);
    }
    std::vector<uint32_t> found;
    SearchCalls(*trace, range, expression, uint32_t(limit), found);
    for (uint32_t n : found)
        std::printf("%u\n", n);
    std::printf("%s\n", SearchResultText(found.size()).toLocal8Bit().constData());
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("search", kArguments, Run);
