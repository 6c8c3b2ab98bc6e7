// The OpenGL ES 1.1 factory rows, registered with the loader. The rows only name their functions
// so far: every id gives no call, and the loader skips the record.
#include "Es1Factory.h"

namespace {

constexpr SCallRow kEs1Rows[] = {
#define XQF_TABLE "Es1Calls.def"
#include "apicall/TableRows.inc"
};
static_assert(calltable::RowsInOrder(kEs1Rows), "Es1Calls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kEs1Rows, 3001, 3145), "Es1Calls.def: an id outside 3001-3145");

} // namespace

void RegisterEs1Calls() { RegisterCallFamily(ECallFamily::Es1, kEs1Rows); }
