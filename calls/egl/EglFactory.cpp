// The EGL factory rows: a second expansion of EglCalls.def, registered with the loader.
#include "EglFactory.h"

#include "EglRecords.h"

namespace {
using namespace xqft::egl;

constexpr SCallRow kEglRows[] = {
#define XQF_TABLE "EglCalls.def"
#define XQF_TABLE_CLASSES
#include "apicall/TableRows.inc"
};
static_assert(calltable::RowsInOrder(kEglRows), "EglCalls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kEglRows, 1001, 1200), "EglCalls.def: an id outside 1001-1200");

} // namespace

void RegisterEglCalls() { RegisterCallFamily(ECallFamily::Egl, kEglRows); }
