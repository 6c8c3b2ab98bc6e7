// The OpenGL ES 2.0 factory rows: a second expansion of Es2Calls.def, registered with the loader.
#include "Es2Factory.h"

#include "Es2Records.h"

namespace {
using namespace xqft::es2;

constexpr SCallRow kEs2Rows[] = {
#define XQF_TABLE "Es2Calls.def"
#define XQF_TABLE_CLASSES
#include "apicall/TableRows.inc"
};
static_assert(calltable::RowsInOrder(kEs2Rows), "Es2Calls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kEs2Rows, 2001, 2142), "Es2Calls.def: an id outside 2001-2142");

} // namespace

void RegisterEs2Calls() { RegisterCallFamily(ECallFamily::Es2, kEs2Rows); }
