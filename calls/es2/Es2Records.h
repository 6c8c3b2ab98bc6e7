#pragma once
// Every OpenGL ES 2.0 call record class, expanded from Es2Calls.def. The classes live in xqft_es2
// so the rows can name the row items without qualification; each is also declared at global scope.
#include "apicall/CallFamilies.h"
#include "record/Record.h"
#include "state/Es2State.h"

namespace xqft_es2 {
using namespace xqft;
} // namespace xqft_es2

#include "CEs2_glCompressedTexImage2D_v1.h"
#include "CEs2_glShaderSource_v1.h"
#include "Es2DrawCalls.h"

namespace xqft_es2 {

#define XQF_RECORD(Class, Id, Function, Category, ...)                                                   \
    class Class final : public TRecord<CEs2Call, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__>      \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
    };
#define XQF_EFFECT(Class, Id, Function, Category, ...)                                                   \
    class Class;                                                                                          \
    bool Es2Effect(const Class& call, SEs2State& state);                                                 \
    class Class final : public TRecord<CEs2Call, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__>      \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
        bool UpdateState(void* state, uint32_t) override                                                  \
        {                                                                                                 \
            return Es2Effect(*this, *static_cast<SEs2State*>(state));                                     \
        }                                                                                                 \
    };
#define XQF_CUSTOM(Class, Id)
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion)
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_VERSIONED

} // namespace xqft_es2

#define XQF_RECORD(Class, ...) using xqft_es2::Class;
#define XQF_EFFECT(Class, ...) using xqft_es2::Class;
#define XQF_CUSTOM(Class, Id) using xqft_es2::Class;
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion) using xqft_es2::OldClass; using xqft_es2::NewClass;
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_VERSIONED
