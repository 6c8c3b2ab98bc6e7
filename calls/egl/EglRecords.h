#pragma once
// Every EGL call record class, expanded from EglCalls.def. The classes live in xqft_egl so the
// rows can name the items without qualification; each is also declared at global scope.
#include "apicall/CallFamilies.h"
#include "record/RecordItems.h"
#include "state/EglState.h"
#include "values/EglHolders.h"

namespace xqft_egl {
using namespace xqft;
using EglConfigs = SArrayPtr<TuintType<4>, 1, 1>;
using EglInts = SArrayPtr<TintType<1>, 1, 1>;
using EglEnums = SArrayPtr<TEGLintEnum, 1, 1>;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

#define XQF_RECORD(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_RECORD_CLASS(CEglCall, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_EFFECT(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_EFFECT_CLASS(CEglCall, SEglState, EglEffect, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_CUSTOM(Class, Id, FirstVersion, Function, Category, Traits, ...)                              \
    XQF_CUSTOM_BASE(CEglCall, Class, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__)
#define XQF_NAMED(...)
#include "EglCalls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_NAMED

}  // namespace xqft_egl

#define XQF_RECORD(Class, ...) using xqft_egl::Class;
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM XQF_RECORD
#define XQF_NAMED(...)
#include "EglCalls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_NAMED
