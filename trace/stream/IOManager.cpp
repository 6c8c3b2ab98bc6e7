#include "IOManager.h"

IOManager& IOManager::Instance()
{
    static IOManager instance;
    return instance;
}

bool IOManager::Translate(const MemoryManagerException& e)
{
    if (e.Code() == kStreamOutOfMemory || e.Code() == kStreamIoError)
        throw IOManagerException(e.Code());
    return false;
}

bool IOManager::Open(const CXQFTString& path)
{
    try {
        return m_memory->Open(path);
    } catch (const MemoryManagerException& e) {
        m_memory->Close();
        return Translate(e);
    }
}
