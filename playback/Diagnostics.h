#pragma once
// How playback reports: errors and warnings as "ERROR: " or "WARNING: " and the message on standard
// error, followed by a line end on standard output (the two streams may be one file, output.log);
// progress and information lines on standard output, each through PlaybackLine.
#include <cstdarg>
#include <cstdio>

inline void PlaybackReport(const char* prefix, const char* format, va_list args)
{
    fputs(prefix, stderr);
    vfprintf(stderr, format, args);
    fflush(stderr);
    printf("\n");
}

[[gnu::format(printf, 1, 2)]] inline void PlaybackError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PlaybackReport("ERROR: ", format, args);
    va_end(args);
}

[[gnu::format(printf, 1, 2)]] inline void PlaybackWarning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PlaybackReport("WARNING: ", format, args);
    va_end(args);
}

// An information line on standard output: the formatted text, then a line end.
[[gnu::format(printf, 1, 2)]] inline void PlaybackLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    printf("\n");
}
