#include "HostCurrent.h"

#include "HostTables.h"

#include <EGL/egl.h>

namespace {
// Per thread, as EGL keeps the current context.
thread_local void* t_current = nullptr;
} // namespace

void* NoteHostCurrentContext()
{
    SEglHost& egl = *SEglHost::Instance();
    t_current = egl.IsFailed() ? nullptr : XQF_HOST(egl, eglGetCurrentContext)();
    return t_current;
}

void* HostCurrentContext() { return t_current; }
