// The EGL factory rows: a second expansion of EglCalls.def, registered with the loader.
#include "EglFactory.h"

#include "EglRecords.h"

namespace {
using namespace xqft_egl;

constexpr SCallRow kEglRows[] = {
#define XQF_RECORD XQF_FACTORY_ROW
#define XQF_EFFECT XQF_FACTORY_ROW
#define XQF_CUSTOM XQF_FACTORY_ROW
#define XQF_NAMED XQF_NAME_ROW
#include "EglCalls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_NAMED
};
static_assert(calltable::RowsInOrder(kEglRows), "EglCalls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kEglRows, 1001, 1200), "EglCalls.def: an id outside 1001-1200");

} // namespace

void RegisterEglCalls() { RegisterCallFamily(ECallFamily::Egl, kEglRows); }
