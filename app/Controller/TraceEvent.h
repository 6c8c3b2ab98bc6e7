#pragma once
// Progress listener of a load: turns the reader's progress record into the status-bar text.
#include <QString>

#include "data/Events.h"

class CTraceController;

class CTraceEvent : public CBasicEvent
{
public:
    explicit CTraceEvent(CTraceController* controller) : m_controller(controller) {}
    ~CTraceEvent() override = default;
    void OnEvent(uint32_t id, void* record) override;

    // "Opening file: N%  " + the reader's status text.
    static QString ProgressText(uint64_t done, uint64_t total, const char* status);

private:
    CTraceController* m_controller;
};
