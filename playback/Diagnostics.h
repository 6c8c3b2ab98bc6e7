#pragma once
// How playback reports: errors and warnings as "ERROR: " or "WARNING: " and the message on standard
// error, followed by a line end on standard output (the two streams may be one file, output.log);
// progress and information lines on standard output, each through PlaybackLine.
#include <atomic>
#include <cstdarg>
#include <cstdio>

// ERROR lines reported so far in this process: a caller that must know whether a stretch of
// playback went without one (a command's exit status) compares the count before and after it.
inline std::atomic<unsigned> g_playbackErrorLines{0};

inline unsigned PlaybackErrorCount()
{
    return g_playbackErrorLines.load();
}

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
    ++g_playbackErrorLines;
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
