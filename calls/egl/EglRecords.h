#pragma once
// Every EGL call record class, expanded from EglCalls.def. The classes live in xqft_egl so the
// rows can name the items without qualification; each is also declared at global scope.
#include "EglItems.h"
#include "apicall/CallFamilies.h"
#include "state/EglState.h"
#include "values/EglHolders.h"

namespace xqft_egl {
using namespace xqft;
using EglConfigs = SArrayPtr<TuintType<4>, 1, 1>;
using EglInts = SArrayPtr<TintType<1>, 1, 1>;
using EglEnums = SArrayPtr<TEGLintEnum, 1, 1>;

// Whether the call recorded EGL_SUCCESS: only then did it change anything on the device.
bool EglSucceeded(const CEglCall& call);

#define XQF_EGL_CLASS_BODY(Class, Id, FirstVersion, Function, ...)                                       \
    class Class final : public TRecord<CEglCall, Id, Function, "" __VA_OPT__(, ) __VA_ARGS__>             \
    {                                                                                                     \
    public:                                                                                               \
        static constexpr uint32_t kFirstVersion = FirstVersion;                                           \
        using TRecord::TRecord;                                                                           \
        const ItemTuple& Items() const { return this->m_items; }
#define XQF_EGL(Class, Id, FirstVersion, Function, ...)                                                  \
    XQF_EGL_CLASS_BODY(Class, Id, FirstVersion, Function __VA_OPT__(, ) __VA_ARGS__)                      \
    };
// A failed call changed nothing on the device, so it changes nothing here either.
#define XQF_EGL_EFFECT(Class, Id, FirstVersion, Function, ...)                                           \
    class Class;                                                                                          \
    bool EglEffect(const Class& call, SEglState& state);                                                  \
    XQF_EGL_CLASS_BODY(Class, Id, FirstVersion, Function __VA_OPT__(, ) __VA_ARGS__)                      \
        bool UpdateState(void* state, uint32_t) override                                                  \
        {                                                                                                 \
            return EglSucceeded(*this) && EglEffect(*this, *static_cast<SEglState*>(state));              \
        }                                                                                                 \
    };
#include "EglCalls.def"
#undef XQF_EGL
#undef XQF_EGL_EFFECT
#undef XQF_EGL_CLASS_BODY

}  // namespace xqft_egl

#define XQF_EGL(Class, ...) using xqft_egl::Class;
#define XQF_EGL_EFFECT(Class, ...) using xqft_egl::Class;
#include "EglCalls.def"
#undef XQF_EGL
#undef XQF_EGL_EFFECT
