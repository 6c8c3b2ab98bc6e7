// The OpenGL ES 1.1 factory rows: a second expansion of Es1Calls.def, registered with the loader.
#include "Es1Factory.h"

#include "Es1Records.h"

namespace {
using namespace xqft::es1;

constexpr SCallRow kEs1Rows[] = {
#define XQF_TABLE "Es1Calls.def"
#define XQF_TABLE_CLASSES
#include "apicall/TableRows.inc"
};
static_assert(calltable::RowsInOrder(kEs1Rows), "Es1Calls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kEs1Rows, 3001, 3145), "Es1Calls.def: an id outside 3001-3145");

// Every id once: the players and the host table index by id - 3001.
static_assert(calltable::EveryIdOnce(kEs1Rows, {{3001, 3145}}), "Es1Calls.def: ids 3001-3145 in order, once each");

} // namespace

void RegisterEs1Calls() { RegisterCallFamily(ECallFamily::Es1, kEs1Rows); }
