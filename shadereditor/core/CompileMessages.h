#pragma once
// The compiler's messages as the editor marks them: each "ERROR: s:l: text" and "WARNING: s:l:
// text" line of a compile's output (line numbers already in the edited document's terms), and
// the one-line result of the compile ("Compiled", "2 errors", ...).
#include "XQFTString.h"

#include <QString>

#include <cstdint>
#include <vector>

struct SCompileResult;

struct SCompileMessage
{
    uint32_t line = 0;   // 1-based line of the document; 0 when the compiler named none
    bool warning = false;
    CXQFTString text;    // the whole output line, "ERROR: 0:14: ..."
};

struct SCompileMessages
{
    // Only this many are kept; the counts go on past it.
    static constexpr size_t kMaxKept = 1000;

    std::vector<SCompileMessage> list;
    uint32_t errors = 0;
    uint32_t warnings = 0;
};

// The messages of output, in order. Lines of another form are no messages; a line number that
// does not fit 32 bits makes the message one without a line.
SCompileMessages ParseCompileMessageLines(const CXQFTString& output);

// "Compiled", "Compiled, 1 warning", "2 errors", "1 error, 3 warnings"; a failed compile without
// a located error is "Compile failed", one whose compiler did not run says why, from the output.
QString CompileSummary(const SCompileResult& result);
