#pragma once
// Every OpenGL ES 2.0 call record class, expanded from Es2Calls.def. The classes live in xqft_es2
// so the rows can name the row items without qualification; each is also declared at global scope.
// The hand-written classes of the CUSTOM rows follow the expansion (their bases come from it).
#include "Es2DrawItems.h"
#include "apicall/CallFamilies.h"
#include "record/RecordItems.h"
#include "state/Es2State.h"

namespace xqft_es2 {
using namespace xqft;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

#define XQF_RECORD(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_RECORD_CLASS(CEs2Call, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_EFFECT(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_EFFECT_CLASS(CEs2Call, SEs2State, Es2Effect, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_CUSTOM(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_CUSTOM_BASE(CEs2Call, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_NAMED(...)
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_NAMED

} // namespace xqft_es2

#include "CEs2_glShaderSource_v1.h"
#include "Es2DrawCalls.h"

#define XQF_RECORD(Class, ...) using xqft_es2::Class;
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM XQF_RECORD
#define XQF_NAMED(...)
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_NAMED
