#pragma once
// Failures of the windowed reader and of the record stream. Each carries a code; StreamErrorText
// names a code for diagnostics and is the exception's text.
#include "record/XqftError.h"

#include <cstdint>

enum EStreamError : uint32_t
{
    kStreamOutOfMemory = 1, // the window could not be allocated
    kStreamNotOpen = 2,     // no file is open
    kStreamIoError = 3,     // the file gave fewer bytes than its size promised, or an OS error
    kStreamPastEnd = 4,     // a read would run past the end of the file (refused, nothing read)
    kStreamEmptyFile = 5,   // the file holds no byte
    kStreamSeekRange = 6,   // a seek target outside [0, file size]
};

const char* StreamErrorText(uint32_t code);

// A failure of the file beneath the reader: one of the trace model's errors, its text the code's
// StreamErrorText, so that whoever catches CXqftError or std::exception also catches it.
class CStreamError : public CXqftError
{
public:
    explicit CStreamError(uint32_t code) : CXqftError(StreamErrorText(code)), m_code(code) {}
    uint32_t Code() const { return m_code; }

private:
    uint32_t m_code;
};

// Thrown by the windowed reader.
class MemoryManagerException : public CStreamError
{
public:
    using CStreamError::CStreamError;
};

// Thrown by IOManager for an allocation or I/O failure of the window beneath it.
class IOManagerException : public CStreamError
{
public:
    using CStreamError::CStreamError;
};
