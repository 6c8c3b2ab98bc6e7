#pragma once
// Shared by the commands that look at one numbered frame or call of a trace: their arguments, and
// the trace loaded as the viewer loads it.
#include "data/TraceReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Reads "FILE [OUT] <option> N" in any order, OUT only when out is given. On a missing or extra
// word or a number below 1, prints "usage: xqft-dump <usage>" to stderr and returns false.
inline bool ParseFileAndNumber(const std::vector<std::string>& args, const char* option, const char* usage,
                               std::string& path, long& number, std::string* out = nullptr)
{
    bool extra = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size())
            number = std::strtol(args[++i].c_str(), nullptr, 10);
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

// Loads path through the reader (its messages go to stderr, stdout stays the command's) and
// closes the reader when it goes out of scope.
class CLoadedTrace
{
public:
    explicit CLoadedTrace(const std::string& path) : m_reader(CTraceReader::Instance())
    {
        m_reader.SetLog(stderr, stderr);
        m_result = m_reader.LoadTrace(CXQFTString(path.c_str()), 1);
    }
    ~CLoadedTrace() { m_reader.Close(); }
    CLoadedTrace(const CLoadedTrace&) = delete;
    CLoadedTrace& operator=(const CLoadedTrace&) = delete;

    CTraceData* Data() const { return m_reader.GetTraceData(); }
    int Result() const { return m_result; }

private:
    CTraceReader& m_reader;
    int m_result = 0;
};
