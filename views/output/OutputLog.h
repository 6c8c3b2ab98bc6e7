#pragma once
// The viewer's diagnostics file: once the image-analysis dock is built, what loading, playback and
// live capture print on standard output and standard error lands in "output.log" in the working
// directory, and the Output dock shows that file.
#include <cstdio>

inline constexpr char kOutputLogName[] = "output.log";

struct SLogStreams
{
    FILE* out;         // flushed after each analysis pass
    FILE* err;
    bool redirected;   // false: the file could not be written, both streams are as they were
};

// Truncates the log once, then points both standard streams at it for appending, so that neither
// writes over what the other added. Standard output becomes line-buffered there: the lines of both
// streams reach the file in the order they were written. When the file cannot be opened for
// writing (a read-only working directory) the streams stay where they were and one line on
// standard error says so.
SLogStreams RedirectStandardStreams(const char* path = kOutputLogName);
