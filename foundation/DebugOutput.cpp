#include "DebugOutput.h"

#include <cstdarg>
#include <cstdio>

void DebugOutputPrintf(const char* format, ...)
{
    char text[1024];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    if (n < 0)
        return;
    // One write per call, so that output of several threads does not interleave mid-line.
    fprintf(stderr, "%s%s", kDebugOutputPrefix, text);
}
