#pragma once
// printf-style assignment into a CXQFTString through a stack buffer: the texts of value holders
// are short, and this keeps each one to a single allocation at most.
#include "XQFTString.h"

#include <cstdarg>
#include <cstdio>

__attribute__((format(printf, 2, 3))) inline void AssignFormat(CXQFTString& out, const char* fmt, ...)
{
    char buffer[128];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    if (n < 0)
        n = 0;
    if (static_cast<size_t>(n) < sizeof buffer) {
        out.Assign(buffer, static_cast<size_t>(n));
        return;
    }
    va_start(args, fmt);
    char* heap = new char[static_cast<size_t>(n) + 1];
    vsnprintf(heap, static_cast<size_t>(n) + 1, fmt, args);
    va_end(args);
    out.Assign(heap, static_cast<size_t>(n));
    delete[] heap;
}
