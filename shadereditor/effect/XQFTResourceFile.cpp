#include "XQFTResourceFile.h"

#include "XQFTFile.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct SMemoryTable
{
    std::vector<CXQFTMemoryFileSystem::SEntry> entries;

    ~SMemoryTable() { Clear(); }
    void Clear()
    {
        for (auto& e : entries)
            if (e.owned) {
                delete[] e.name;
                delete[] static_cast<const char*>(e.data);
            }
        entries.clear();
    }
};

SMemoryTable& Table()
{
    static SMemoryTable table;
    return table;
}

} // namespace

bool CXQFTMemoryFileSystem::GetFile(const char* name, const void** data, size_t* size)
{
    if (!name)
        return false;
    for (const auto& e : Table().entries)
        if (strcmp(e.name, name) == 0) {
            if (data)
                *data = e.data;
            if (size)
                *size = e.size;
            return true;
        }
    return false;
}

void CXQFTMemoryFileSystem::AddFile(const char* name, const void* data, size_t size, bool copy)
{
    SEntry e{name, data, size, copy};
    if (copy) {
        size_t n = strlen(name) + 1;
        char* nameCopy = new char[n];
        memcpy(nameCopy, name, n);
        char* dataCopy = new char[size ? size : 1];
        if (size)
            memcpy(dataCopy, data, size);
        e.name = nameCopy;
        e.data = dataCopy;
    }
    Table().entries.push_back(e);
}

void CXQFTMemoryFileSystem::RemoveAll()
{
    Table().Clear();
}

CXQFTString CXQFTResourceFile::ReadPath;
CXQFTResourceFile::LoadFunc CXQFTResourceFile::LoadFileFunc = &CXQFTResourceFile::StandardLoad;
CXQFTResourceFile::ReleaseFunc CXQFTResourceFile::ReleaseFileFunc = &CXQFTResourceFile::StandardRelease;

void* CXQFTResourceFile::StandardLoad(const char* path, void** data, size_t* size)
{
    *size = 0;
    char* buffer = nullptr;
    size_t length = 0;
    int error = 0;
    if (XQFTReadRegularFile(path, kXQFTMaxWholeFileSize, &buffer, &length, &error) !=
        EXQFTReadFile::Ok)
        return nullptr;
    if (length == 0) {   // an empty file is not open: nothing to keep
        free(buffer);
        return nullptr;
    }
    *data = buffer;
    *size = length;
    return buffer;
}

bool CXQFTResourceFile::StandardRelease(void* handle)
{
    if (!handle)
        return false;
    free(handle);
    return true;
}

CXQFTResourceFile::CXQFTResourceFile(const char* fileName)
{
    if (!fileName)
        fileName = "";
    CXQFTString full = ReadPath + fileName;
    void* data = nullptr;
    size_t size = 0;
    if (LoadFileFunc)
        m_handle = LoadFileFunc(full.CStr(), &data, &size);
    m_isOpen = data != nullptr && size != 0;
    if (m_isOpen) {
        m_data = data;
        m_size = size;
        return;
    }
    // A loader that handed back something unusable (an empty buffer) gets it released now.
    if (m_handle && ReleaseFileFunc)
        ReleaseFileFunc(m_handle);
    m_handle = nullptr;
    const void* memData = nullptr;
    size_t memSize = 0;
    if (CXQFTMemoryFileSystem::GetFile(fileName, &memData, &memSize)) {
        m_isOpen = m_isMemoryFile = true;
        m_data = memData;
        m_size = memSize;
    }
}

CXQFTResourceFile::~CXQFTResourceFile()
{
    Close();
}

void CXQFTResourceFile::Close()
{
    if (!m_isOpen)
        return;
    if (!m_isMemoryFile && ReleaseFileFunc)
        ReleaseFileFunc(m_handle);
    m_isOpen = m_isMemoryFile = false;
    m_size = 0;
    m_data = nullptr;
    m_handle = nullptr;
}
