#pragma once
// Turns a call record into a call object. The trace library names no call family: each family
// (calls/egl, calls/es1, calls/es2, calls/ext) registers the rows of its table here
// (apicall/CallTable.h), from a registration file compiled into every program that links the
// family's library. The family's id range is that of its first and last row.
#include <cstdint>
#include <span>

#include "CallTable.h"

enum class ECallFamily : uint8_t { None, Egl, Es1, Es2, Ext };

// Adds a family of rows in the order RowsInOrder checks; registering one family again changes
// nothing. Families must not overlap.
void RegisterCallFamily(ECallFamily family, std::span<const SCallRow> rows);

// The call object of a record: for its id, the row with the highest first version not above the
// file's version; its call id set. Null without a trace, for an id no registered row has, for a
// file older than the id's first row, and for a row whose record is not read yet.
CApiCall* CreateCallById(uint16_t id, CTrace* trace);

// The family of the call object CreateCallById makes for the id in a file of the version; None
// when it makes none.
ECallFamily CallFamilyOf(uint16_t id, uint32_t version);

// The traits of an id's rows (trait::), 0 for an id no registered row has.
uint16_t RegisteredCallTraits(uint16_t id);
