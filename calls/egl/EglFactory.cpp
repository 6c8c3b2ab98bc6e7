// EGL calls by id and by the file's format version: a function whose record layout changed has
// one class per layout, named after the first version that writes it.
#include "calls/CallFactory.h"

#include "EglSwapBuffers.h"
#include "record/Trace.h"

namespace {
template <class T>
CApiCall* Make(CTrace* trace)
{
    return new T(trace);
}

CApiCall* MakeSwapBuffers(CTrace* trace, uint32_t v)
{
    if (v >= 10)
        return Make<CEgl_eglSwapBuffers_v10>(trace);
    if (v == 9)
        return Make<CEgl_eglSwapBuffers_v9>(trace);
    if (v >= 6)
        return Make<CEgl_eglSwapBuffers_v6>(trace);
    if (v >= 1)
        return Make<CEgl_eglSwapBuffers_v1>(trace);
    return nullptr;
}
}  // namespace

CApiCall* CreateEglCall(CTrace* trace, uint16_t id)
{
    if (!trace)
        return nullptr;
    const uint32_t v = trace->GetVersion();
    switch (id) {
    case CEgl_eglSwapBuffers_v1::kId: return MakeSwapBuffers(trace, v);
    default: return nullptr;  // the other EGL records are not read yet: skipped
    }
}
