#pragma once
// Traces for the loader tests, written by tools/xqftgen.py into a per-test folder, and a
// quiet load that collects the progress texts.
#include <string>
#include <vector>

#include "data/TraceReader.h"

// Runs `xqftgen.py ARGS` with the output path first; returns the path (or "" on failure).
std::string GenerateTrace(const std::string& name, const std::string& args);
std::string TempPath(const std::string& name);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

struct SLoad
{
    int result = -1;
    std::vector<std::string> progress;
};
// Loads path with the diagnostics silenced; the trace stays in CTraceReader::Instance().
SLoad QuietLoad(const std::string& path);
