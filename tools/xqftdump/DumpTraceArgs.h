#pragma once
// Shared by the commands that look at one numbered frame or call of a trace: their arguments, and
// the trace loaded as the viewer loads it.
#include "DumpCommand.h"
#include "data/TraceReader.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Reads a whole word as a number in [low, high] (base 10, or as C writes it with base 0); false for
// anything else: trailing characters, an overflow, a value out of range. A frame or call number is
// never cut down to another that exists.
inline bool ParseNumber(const std::string& text, long low, long high, long& value, int base = 10)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end != 0 || errno == ERANGE || v < low || v > high)
        return false;
    value = v;
    return true;
}

// Reads "FILE [OUT] <option> N" in any order, OUT only when out is given. On a missing or extra
// word or a number that is not one of 1 to 2^32-1, prints "usage: xqft-dump <usage>" to stderr and returns false.
inline bool ParseFileAndNumber(const std::vector<std::string>& args, const char* option, const char* usage,
                               std::string& path, long& number, std::string* out = nullptr)
{
    bool extra = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size())
            extra |= !ParseNumber(args[++i], 1, UINT32_MAX, number);
        else if (path.empty())
            path = args[i];
        else if (out && out->empty())
            *out = args[i];
        else
            extra = true;
    }
    if (!path.empty() && (!out || !out->empty()) && !extra && number > 0)
        return true;
    std::fprintf(stderr, "usage: xqft-dump %s\n", usage);
    return false;
}

// False, after saying so on standard error, when the trace's captured bytes are no longer those
// the load read (its file was cut or changed): what a command made from them is not to be trusted.
inline bool CapturedBytesStillThere(const CTraceData* trace)
{
    if (!trace || trace->CapturedBytesIntact())
        return true;
    std::fputs("ERROR: captured bytes unavailable: the trace file was cut or changed since it was read\n", stderr);
    return false;
}

// The exit status of a load (CTraceReader::LoadTrace's result, its trace) for the commands that
// print or export what it read: what they write comes all the same, the status says whether it is
// the whole trace. Captured bytes gone (the file cut or changed while, or since, it was read) and a
// record framed wrongly give 4, a load stopped early at a record running past the end 3, at the
// memory limit 6, a rejected header or record values 2, a file that did not open 1. A header
// without calls is a trace loaded, empty.
inline int LoadExitStatus(int result, const CTraceData* data)
{
    const CTraceReader& reader = CTraceReader::Instance();
    if (data && !data->CapturedBytesIntact())
        return kDumpMalformed;
    switch (result) {
    case kLoadOk: return kDumpOk;
    case kLoadOutOfMemory: return kDumpMemoryLimit;
    case kLoadStoppedEarly:
        return reader.StoppedAtMemoryLimit()      ? kDumpMemoryLimit
               : reader.StoppedAtMalformedRecord() || reader.StoppedAtChangedFile() ? kDumpMalformed
                                                   : kDumpTruncated;
    case kLoadBadFormat: return kDumpBadHeader;
    case kLoadNoTrace: return data ? kDumpOk : kDumpUsage;
    default: return kDumpUsage;
    }
}

// The result of the command's load of a trace (-1 before one): every command loads through
// LoadForCommand, so that main maps what the load met to the exit status (CommandExitStatus).
inline int& LastLoadResult()
{
    static int result = -1;
    return result;
}

inline int LoadForCommand(const std::string& path)
{
    return LastLoadResult() = CTraceReader::Instance().LoadTrace(CXQFTString(path.c_str()), 1);
}

// The one mapping of causes to exit statuses, for every command: what the trace's file did, as the
// load met it (LoadExitStatus: 2, 3, 4 or 6, and 4 too for captured bytes gone since), comes before
// what the command made of what was read (its own status: 1 for its arguments or files, 5 for a
// failed pass). The bytes gone are said here unless the command said so (and returned 4) itself.
inline int CommandExitStatus(int status)
{
    if (LastLoadResult() < 0)
        return status;
    const CTraceData* data = CTraceReader::Instance().GetTraceData();
    if (data && !data->CapturedBytesIntact() && status != kDumpMalformed)
        std::fputs("ERROR: captured bytes unavailable: the trace file was cut or changed since it was read\n", stderr);
    const int loaded = LoadExitStatus(LastLoadResult(), data);
    return loaded != kDumpOk ? loaded : status;
}

// Says that the trace has no frame or call `number` ("frame", "call"): after a load that stopped
// before the file's end, that the load never got to it.
inline void ReportNotInTrace(const std::string& path, const char* what, long number)
{
    const int result = LastLoadResult();
    if (result == kLoadStoppedEarly || result == kLoadOutOfMemory)
        std::fprintf(stderr, "ERROR: %s: %s %ld was not read: the load stopped early (%s)\n", path.c_str(), what,
                     number, CTraceReader::Instance().GetLastError().CStr());
    else
        std::fprintf(stderr, "ERROR: %s has no %s %ld\n", path.c_str(), what, number);
}

// Loads path through the reader (its messages go to stderr, stdout stays the command's): the whole
// trace, or with callLimit / frameLimit only up to that call / the end of that frame (the trace's
// ES 1.1 and ES 2.0 flags still speak of the whole file: CTraceReader::LimitNextLoad). The trace
// stays loaded until the process ends: xqft-dump leaves without taking it apart (main.cpp).
class CLoadedTrace
{
public:
    explicit CLoadedTrace(const std::string& path, uint32_t callLimit = 0, uint32_t frameLimit = 0)
        : m_reader(CTraceReader::Instance())
    {
        m_reader.SetLog(stderr, stderr);
        m_reader.LimitNextLoad(callLimit, frameLimit);
        m_result = LoadForCommand(path);
    }
    CLoadedTrace(const CLoadedTrace&) = delete;
    CLoadedTrace& operator=(const CLoadedTrace&) = delete;

    CTraceData* Data() const { return m_reader.GetTraceData(); }
    int Result() const { return m_result; }

private:
    CTraceReader& m_reader;
    int m_result = 0;
};
