#pragma once
// Failures of the windowed reader and of the record stream. Each carries a code and no text;
// StreamErrorText names a code for diagnostics.
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

class MemoryManagerException
{
public:
    explicit MemoryManagerException(uint32_t code) : m_code(code) {}
    uint32_t Code() const { return m_code; }

private:
    uint32_t m_code;
};

class IOManagerException
{
public:
    explicit IOManagerException(uint32_t code) : m_code(code) {}
    uint32_t Code() const { return m_code; }

private:
    uint32_t m_code;
};
