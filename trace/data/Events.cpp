#include "data/Events.h"

#include <algorithm>

CEventManager& CEventManager::Instance()
{
    static CEventManager instance;
    return instance;
}

bool CEventManager::AddListener(uint32_t id, CBasicEvent* listener)
{
    m_entries.push_back({id, listener});
    return true;
}

bool CEventManager::RemoveListener(uint32_t id)
{
    std::erase_if(m_entries, [id](const SEntry& e) { return e.id == id; });
    return true;
}

bool CEventManager::Dispatch(uint32_t id, void* argument)
{
    // A listener may register or remove listeners while it runs: walk a copy.
    const std::vector<SEntry> entries = m_entries;
    for (const SEntry& e : entries)
        if (e.id == id && e.listener)
            e.listener->OnEvent(id, argument);
    return true;
}
