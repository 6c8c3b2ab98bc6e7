#include "HostCurrent.h"

#include "HostTables.h"

#include <EGL/egl.h>

constinit thread_local void* hostcurrent::t_current = nullptr;

void* NoteHostCurrentContext()
{
    SEglHost& egl = *SEglHost::Instance();
    hostcurrent::t_current = egl.IsFailed() ? nullptr : XQF_HOST(egl, eglGetCurrentContext)();
    return hostcurrent::t_current;
}
