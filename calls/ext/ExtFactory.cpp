// The extension factory rows: a second expansion of ExtCalls.def, registered with the loader.
#include "ExtFactory.h"

#include "ExtRecords.h"

namespace {
using namespace xqft::ext;

constexpr SCallRow kExtRows[] = {
#define XQF_TABLE "ExtCalls.def"
#define XQF_TABLE_CLASSES
#include "apicall/TableRows.inc"
};
static_assert(calltable::RowsInOrder(kExtRows), "ExtCalls.def: rows out of id or version order");
static_assert(calltable::RowsWithin(kExtRows, 4001, 4090), "ExtCalls.def: an id outside 4001-4090");

// One row for each of 4001-4080, 4089 and 4090; 4081-4088 have no function.
static_assert(calltable::EveryIdOnce(kExtRows, {{4001, 4080}, {4089, 4090}}),
              "ExtCalls.def: ids 4001-4080, 4089 and 4090 in order, once each");

} // namespace

void RegisterExtCalls() { RegisterCallFamily(ECallFamily::Ext, kExtRows); }
