#pragma once
// Whole files loaded for the effect-file parser (shader sources named by FILE and BINARYFILE),
// through a replaceable loader, with a table of in-memory files as the fallback.
#include "XQFTString.h"

#include <cstddef>
#include <cstdint>

// The in-memory files: a process-wide table searched by exact name when a file cannot be loaded.
// It starts empty; whoever fills it does so before any reader runs.
class CXQFTMemoryFileSystem
{
public:
    struct SEntry
    {
        const char* name;
        const void* data;
        size_t size;
        bool owned;   // name and data are copies that the table frees at exit
    };

    // First entry named exactly name, in table order; data and size are filled when not null.
    static bool GetFile(const char* name, const void** data, size_t* size);
    // Adds an entry; with copy the table keeps copies of the name and the bytes.
    static void AddFile(const char* name, const void* data, size_t size, bool copy);
    // Empties the table, freeing what it owns.
    static void RemoveAll();
};

class CXQFTResourceFile
{
public:
    // (path, out data, out size) -> handle for the release function; null when nothing was loaded.
    using LoadFunc = void* (*)(const char* path, void** data, size_t* size);
    using ReleaseFunc = bool (*)(void* handle);

    explicit CXQFTResourceFile(const char* fileName);
    virtual ~CXQFTResourceFile();
    CXQFTResourceFile(const CXQFTResourceFile&) = delete;
    CXQFTResourceFile& operator=(const CXQFTResourceFile&) = delete;

    bool IsOpen() const { return m_isOpen; }
    size_t Size() const { return m_size; }
    const void* DataPtr() const { return m_isOpen ? m_data : nullptr; }
    void Close();

    // The standard loader: a regular file of at most kXQFTMaxWholeFileSize bytes, read whole.
    static void* StandardLoad(const char* path, void** data, size_t* size);
    static bool StandardRelease(void* handle);

    // Put in front of every file name; empty, so names are used as written.
    static CXQFTString ReadPath;
    static LoadFunc LoadFileFunc;
    static ReleaseFunc ReleaseFileFunc;   // may be null

private:
    bool m_isOpen = false;
    bool m_isMemoryFile = false;
    size_t m_size = 0;
    const void* m_data = nullptr;
    void* m_handle = nullptr;
};
