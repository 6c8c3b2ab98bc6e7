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
// record framed wrongly give 4, a load stopped early at a record running past the end (or at the
// memory limit) 3, a rejected header or record values 2, a file that did not open 1. A header
// without calls is a trace loaded, empty.
inline int LoadExitStatus(int result, const CTraceData* data)
{
    const CTraceReader& reader = CTraceReader::Instance();
    if (data && !data->CapturedBytesIntact())
        return kDumpMalformed;
    switch (result) {
    case kLoadOk: return kDumpOk;
    case kLoadOutOfMemory: return kDumpTruncated;
    case kLoadStoppedEarly: return reader.StoppedAtMalformedRecord() ? kDumpMalformed : kDumpTruncated;
    case kLoadBadFormat: return kDumpBadHeader;
    case kLoadNoTrace: return data ? kDumpOk : kDumpUsage;
    default: return kDumpUsage;
    }
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
        m_result = m_reader.LoadTrace(CXQFTString(path.c_str()), 1);
    }
    CLoadedTrace(const CLoadedTrace&) = delete;
    CLoadedTrace& operator=(const CLoadedTrace&) = delete;

    CTraceData* Data() const { return m_reader.GetTraceData(); }
    int Result() const { return m_result; }

private:
    CTraceReader& m_reader;
    int m_result = 0;
};
