#pragma once
// Turns a call record into a call object. The trace library names no call family: each family
// (calls/egl, calls/es1, calls/es2, calls/ext) registers its id range and its factory here, from
// a registration file compiled into every program that links the family's library.
#include <cstdint>

class CApiCall;
class CTrace;

enum class ECallFamily : uint8_t { None, Egl, Es1, Es2, Ext };

struct SCallFamily
{
    ECallFamily family = ECallFamily::None;
    uint16_t firstId = 0;
    uint16_t lastId = 0;
    // Null for an id the family does not know.
    CApiCall* (*create)(CTrace* trace, uint16_t id) = nullptr;
};

// Adds a family; registering one family again changes nothing. Families must not overlap.
void RegisterCallFamily(const SCallFamily& family);

// The call object of a record, its call id set; null for an id no registered family knows.
CApiCall* CreateCallById(uint16_t id, CTrace* trace);

// The registered family whose range holds id.
ECallFamily CallFamilyOfId(uint16_t id);
