#pragma once
// Traces for the playback tests written from call-log lines (the JSON lines xqft-record writes, see
// tools/xqftlib/cmd_from_log.py) and loaded as the viewer loads them.
#include "RunCommand.h"
#include "data/TraceReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include "TestPaths.h"

inline std::string TestTemp(const std::string& name)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/xqft-playback-" + std::to_string(getpid()) + "-" + name;
}

// Writes the lines as a log, turns it into a trace and loads it; null (with a test failure) when
// that fails. The trace stays loaded in CTraceReader::Instance().
inline CTraceData* LoadLog(const std::string& name, const std::vector<std::string>& lines)
{
    const std::string log = TestTemp(name + ".log"), trace = TestTemp(name + ".xqft");
    {
        std::ofstream out(log);
        for (const std::string& line : lines)
            out << line << "\n";
    }
    const SRunResult r =
        RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + log + "' '" + trace + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    const int result = reader.LoadTrace(CXQFTString(trace.c_str()), 1);
    std::remove(log.c_str());
    std::remove(trace.c_str());
    EXPECT_EQ(result, 0) << name;
    return result == 0 ? reader.GetTraceData() : nullptr;
}
