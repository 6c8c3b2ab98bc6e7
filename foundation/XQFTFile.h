#pragma once
// Opening and reading files that come from outside: only regular files are accepted, so a
// directory, a device or a FIFO in a file's place gives an error instead of a hang or an
// endless read, and whole-file reads refuse sizes no caller could hold.
#include <cstddef>
#include <cstdio>

// The largest file any reader loads whole (shader sources, compiler outputs, effect files).
inline constexpr size_t kXQFTMaxWholeFileSize = size_t(256) << 20;

// open(2) with flags (O_CLOEXEC added), then fdopen with mode. Refuses anything but a regular
// file: error is EISDIR for a directory, EINVAL for other special files, else errno. O_NONBLOCK
// keeps a FIFO in the file's place from blocking the open until its other end is opened.
FILE* XQFTOpenRegularFile(const char* path, int flags, const char* mode, int* error);

enum class EXQFTReadFile
{
    Ok,
    OpenFailed,  // error holds the reason
    TooLarge,    // more than the limit
    NoMemory,
    ShortRead,   // fewer bytes than the file's size arrived
};

// Reads a whole regular file into a malloc'd buffer of size + 1 bytes (a zero byte after the
// data, so text can be used as a C string). On anything but Ok, *data is untouched and *size 0.
EXQFTReadFile XQFTReadRegularFile(const char* path, size_t limit, char** data, size_t* size,
                                  int* error);
