#pragma once
// Process-wide windowed reader of one file: small reads are copied out of an in-memory window
// that is reloaded only when a read leaves it. Sizes and offsets are 64-bit. Reads past the end
// of the file are refused; reads larger than the window go straight to the file.
//
// With the default window the file is mapped read-only instead (CFileMapping) and the whole file
// is the window: reads copy out of the mapping, nothing is read ahead, and the loader lets calls
// point into the mapping rather than copying their captured bytes. A window size set by a test, or
// a file the system will not map, gives the windowed reads.
//
// While a walk over the records reads a mapped file with a read-ahead beside it (ReadRunsFrom),
// the window is a copy of the run of records the position lies in, taken from the read-ahead
// (stream/RecordReadAhead.h), and only bytes outside the runs it read are copied out of the mapping.
#include "FileMapping.h"
#include "StreamExceptions.h"
#include "XQFTString.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

class CRecordReadAhead;

class MemoryManager
{
public:
    // 1 MiB: the window stays in the CPU cache, so copying out of it costs little beside the
    // file read itself (a 20 MiB window made the walk twice as slow as a plain read loop).
    static constexpr uint64_t kDefaultCapacity = 0x100000;

    static MemoryManager& Instance();

    // false when the path cannot be opened or is not a regular file. Throws
    // MemoryManagerException for an empty file, a window that cannot be allocated or a
    // failed first window load.
    bool Open(const CXQFTString& path);
    void Close();

    // Copies the next n bytes to destination and advances. Throws MemoryManagerException when
    // no file is open, when the bytes run past the end of the file, or on an I/O error.
    bool Read(void* destination, uint64_t n)
    {
        uint64_t inWindow = m_position - m_windowStart;
        if (m_position >= m_windowStart && inWindow < m_fill && n <= m_fill - inWindow) {
            memcpy(destination, m_window + inWindow, n);
            m_position += n;
            return true;
        }
        return ReadSlow(destination, n);
    }

    // origin 0: from the start, 1: from the current position, 2: back from the end of the file.
    // Returns the new position; throws MemoryManagerException unless 0 <= target <= file size.
    uint64_t Seek(int64_t offset, int origin);
    bool LoadWindow(uint64_t offset);

    uint64_t Tell() const { return m_position; }
    uint64_t GetSize() const { return m_fileSize; }
    bool IsOpen() const { return m_fd >= 0; }
    const CXQFTString& Path() const { return m_path; }
    // The open file's mapping; null in windowed reading. Holders keep it alive after Close.
    const std::shared_ptr<CFileMapping>& Mapping() const { return m_mapping; }

    // The window size; tests set a small one so that reads straddle window edges. Takes effect
    // at once (the window is reloaded on the next read).
    void SetCapacity(uint64_t bytes);
    // Reads of a mapped file come from copies of the runs runs read ahead, until it is called with
    // null (before runs goes). Nothing changes for a file read through a window.
    void ReadRunsFrom(CRecordReadAhead* runs);
    uint64_t Capacity() const { return m_capacity; }
    // Where the window stands, for tests and diagnostics.
    uint64_t WindowStart() const { return m_windowStart; }
    uint64_t WindowFill() const { return m_fill; }
    uint64_t WindowLoads() const { return m_loads; }

    // What the last failed Open, Read or Seek ran into, as text ("" after success of Open).
    const char* LastError() const { return m_lastError.CStr(); }

    ~MemoryManager();

private:
    MemoryManager() = default;
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    bool ReadSlow(void* destination, uint64_t n);
    // Makes the window the run of records holding the n bytes at the position, or those bytes of
    // the mapping.
    void LoadRunWindow(uint64_t n);
    bool ReadFile(void* destination, uint64_t n, uint64_t offset);
    [[noreturn]] void Fail(uint32_t code, const char* detail = nullptr);

    // The window reads copy from: the owned buffer, or the mapping's bytes.
    unsigned char* m_window = nullptr;
    unsigned char* m_buffer = nullptr;
    std::shared_ptr<CFileMapping> m_mapping;
    CRecordReadAhead* m_runs = nullptr;
    std::vector<uint8_t> m_runCopy;
    uint64_t m_windowStart = 0;
    uint64_t m_capacity = kDefaultCapacity;
    uint64_t m_fill = 0;
    uint64_t m_position = 0;
    uint64_t m_fileSize = 0;
    uint64_t m_loads = 0;
    int m_fd = -1;
    CXQFTString m_path;
    CXQFTString m_lastError;
};
