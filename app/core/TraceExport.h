#pragma once
// Text export of a trace's calls and export of its shader sources. Both take a path, write the
// bytes and say whether they could; the callers (controller dialogs, xqft-dump) report.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "XQFTString.h"
#include "TraceStatistics.h"

class CTraceData;

struct STextExportOptions {
    bool numberCalls = false;    // each line starts with the call's number within its frame
    bool includeData = true;     // long texts (arrays element by element, captured data)
    // 0: all frames; otherwise only this frame.
    uint32_t onlyFrame = 0;
    // Called after each frame with (frame, last frame).
    std::function<void(uint32_t, uint32_t)> frameDone;
    // Called when one call could not be described (name, 1-based call number); the export goes on.
    std::function<void(const char*, uint32_t)> callFailed;
};

// Writes the text export to path. False when the file cannot be created or written; the trace's
// current frame and cursor are as they were before, in every case.
bool ExportTraceText(CTraceData* trace, const CXQFTString& path, const STextExportOptions& options);

// Appends the text line of one call (without the line end) to out.
void AppendCallLine(class CApiCall* call, bool includeData, CXQFTString& scratch, std::string& out);

// Writes one file per shader source record into folder ("XQFTraceShader_Shader<name>.vsh" or
// ".fsh"). Records whose call is not a glShaderSource are skipped. Returns false when a file
// could not be written; the paths that failed are appended to failed.
bool ExportShaders(CTraceData* trace, const std::vector<SShaderSource>& sources, const CXQFTString& folder,
                   std::vector<CXQFTString>* failed);
