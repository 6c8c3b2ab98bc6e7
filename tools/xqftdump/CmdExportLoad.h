#pragma once
// Shared by the export commands: load a trace through the reader as the viewer does and compute
// its statistics. Returns null (after printing why) when the file gives no trace; result, when
// given, receives the load's result.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CTraceData;
class CTraceStatistics;

CTraceData* LoadTraceForExport(const std::string& path, std::unique_ptr<CTraceStatistics>* statistics,
                               int* result = nullptr);

// The frame of each export command: args must be the trace and then words - 1 outputs (else the
// usage line is printed); the trace is loaded with its statistics and handed to exportFn, whose
// result is the exit status, unless the load did not read the whole trace (then the status is the
// load's, LoadExitStatus) or the file was cut or changed meanwhile (then an error line also names
// the outputs as partial).
int RunExport(const std::vector<std::string>& args, size_t words, const char* usage,
              const std::function<int(CTraceData& trace, CTraceStatistics& statistics)>& exportFn);
