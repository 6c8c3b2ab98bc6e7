#pragma once
// Whole-file reads and writes of the compile road (shader texts, compiler outputs), with the
// editor's own error texts.
#include "XQFTString.h"

#include <cstddef>

// Reads a regular file of at most 256 MiB into a malloc'd buffer of size + 1 zeroed-tail bytes
// (free it with free()). On failure the buffer is untouched, size is 0 and error holds the text:
// "Failed to open file: PATH\nReason: ..." (also for a directory or special file), "Not enough
// memory to load file." (also above the size limit), or "Error while reading file:PATH".
bool ReadWholeFile(const char* path, char** buffer, size_t* size, CXQFTString* error);

// Writes size bytes to a new or truncated regular file.
bool WriteWholeFile(const char* path, const void* buffer, size_t size, CXQFTString* error);
