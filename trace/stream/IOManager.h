#pragma once
// Process-wide record stream over the windowed reader. Out-of-memory and I/O errors surface as
// IOManagerException; every other read failure (past the end, nothing open) is a false result,
// which the value readers take as the value 0.
#include "MemoryManager.h"

class IOManager
{
public:
    static IOManager& Instance();

    // false when the file cannot be opened (missing, unreadable, not a regular file, empty).
    bool Open(const CXQFTString& path);

    bool Read(void* destination, uint64_t size)
    {
        try {
            return m_memory->Read(destination, size);
        } catch (const MemoryManagerException& e) {
            return Translate(e);
        }
    }

    // Passes MemoryManagerException through. Seek(0, 1) queries the position.
    uint64_t Seek(int64_t offset, int origin) { return m_memory->Seek(offset, origin); }
    uint64_t Tell() const { return m_memory->Tell(); }
    uint64_t GetSize() const { return m_memory->GetSize(); }
    void Close() { m_memory->Close(); }
    const char* LastError() const { return m_memory->LastError(); }
    // Reads of a mapped file come from copies of the runs runs read ahead, until called with null.
    void ReadRunsFrom(CRecordReadAhead* runs) { m_memory->ReadRunsFrom(runs); }
    // The open file's read-only mapping (null when it is read through a window).
    std::shared_ptr<CFileMapping> Mapping() const { return m_memory->Mapping(); }

private:
    IOManager() : m_memory(&MemoryManager::Instance()) {}
    IOManager(const IOManager&) = delete;
    IOManager& operator=(const IOManager&) = delete;

    // Out of memory and I/O errors are thrown on; the rest become false.
    static bool Translate(const MemoryManagerException& e);

    MemoryManager* m_memory;
};
