#pragma once
// Listener registry for loader progress: listeners register for an event id and are called
// synchronously, in registration order, when that id is dispatched. Listeners are not owned.
#include <cstdint>
#include <vector>

class CBasicEvent
{
public:
    virtual ~CBasicEvent() = default;
    virtual void OnEvent(uint32_t id, void* argument) = 0;
};

class CEventManager
{
public:
    static CEventManager& Instance();

    bool AddListener(uint32_t id, CBasicEvent* listener);
    // Removes every registration with this id.
    bool RemoveListener(uint32_t id);
    bool Dispatch(uint32_t id, void* argument);

private:
    struct SEntry
    {
        uint32_t id;
        CBasicEvent* listener;
    };
    std::vector<SEntry> m_entries;
};
