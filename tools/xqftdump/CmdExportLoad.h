#pragma once
// Shared by the export commands: load a trace through the reader as the viewer does and compute
// its statistics. Returns null (after printing why) when the file gives no trace.
#include <memory>
#include <string>

class CTraceData;
class CTraceStatistics;

CTraceData* LoadTraceForExport(const std::string& path, std::unique_ptr<CTraceStatistics>* statistics);
