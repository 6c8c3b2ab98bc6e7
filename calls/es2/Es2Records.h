#pragma once
// Every OpenGL ES 2.0 call record class, expanded from Es2Calls.def. The classes live in xqft::es2
// so the rows can name the row items without qualification; each is also declared at global scope.
// The hand-written classes of the CUSTOM rows follow the expansion (their bases come from it).
#include "Es2DrawItems.h"
#include "apicall/CallFamilies.h"
#include "record/RecordItems.h"
#include "state/Es2State.h"

namespace xqft::es2 {
using namespace xqft;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

#define XQF_TABLE "Es2Calls.def"
#define XQF_FAMILY CEs2Call
#define XQF_FAMILY_STATE SEs2State
#define XQF_FAMILY_EFFECT Es2Effect
#include "record/RecordClasses.inc"

} // namespace xqft::es2

#include "CEs2_glShaderSource_v1.h"
#include "Es2DrawCalls.h"

#define XQF_TABLE "Es2Calls.def"
#define XQF_FAMILY_NAMESPACE xqft::es2
#include "record/RecordUsings.inc"
