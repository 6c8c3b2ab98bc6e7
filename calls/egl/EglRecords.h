#pragma once
// Every EGL call record class, expanded from EglCalls.def. The classes live in xqft::egl so the
// rows can name the items without qualification; each is also declared at global scope.
#include "apicall/CallFamilies.h"
#include "record/RecordItems.h"
#include "state/EglState.h"
#include "values/EglHolders.h"

namespace xqft::egl {
using namespace xqft;
using EglConfigs = SArrayPtr<TEGLConfig, 1, 1>;
using EglInts = SArrayPtr<TEGLint, 1, 1>;
using EglEnums = SArrayPtr<TEGLintEnum, 1, 1>;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

#define XQF_TABLE "EglCalls.def"
#define XQF_FAMILY CEglCall
#define XQF_FAMILY_STATE SEglState
#define XQF_FAMILY_EFFECT EglEffect
#include "record/RecordClasses.inc"

}  // namespace xqft::egl

#define XQF_TABLE "EglCalls.def"
#define XQF_FAMILY_NAMESPACE xqft::egl
#include "record/RecordUsings.inc"
