#pragma once
// The controller's view of the trace reader: one load with a progress listener, then the trace.
// Tests put a loader in front of the reader to force result codes that real files cannot give
// (out of memory, unknown exceptions).
#include "XQFTString.h"

class CBasicEvent;
class CTraceData;

class CTraceLoader
{
public:
    virtual ~CTraceLoader() = default;
    // Registers listener under id 0, loads every record, unregisters; returns the reader's code.
    virtual int Load(const CXQFTString& path, CBasicEvent* listener);
    // The trace the last load built, rewound; null when none is held.
    virtual CTraceData* GetTraceData();
    // Why the last load failed or stopped, as the reader put it; empty when it said nothing.
    virtual CXQFTString LastError();
};
