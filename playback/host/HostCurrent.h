#pragma once
// The host context current on this thread as playback last made it. Every path that makes a context
// current on the host goes through HostMakeCurrent, which notes the context the host then has; the
// checks that key what they keep to the current context (the stride notes of the draw and pointer
// checks, the index ranges of ES 1.1 draws) read it on every call without asking the host library,
// whose EGL dispatch makes a system call on every lookup.

#include <cstdint>

// Makes the context current with the surfaces on the host (void*: EGLDisplay, EGLSurface, EGLContext)
// and notes the context the host then has, also when the host refused. Returns the make-current's EGL
// error (EGL_SUCCESS when it made it current): the note's query resets the host's error, so it is
// read here, before.
uint32_t HostMakeCurrent(void* display, void* draw, void* read, void* context);

// Asks the host library which context is current on this thread, keeps it and returns it (after a
// call that changes the current context without HostMakeCurrent, such as eglReleaseThread).
void* NoteHostCurrentContext();

namespace hostcurrent {
// Per thread, as EGL keeps the current context; constant-initialised, so that a read from another
// file is a plain thread-local load and the checks can inline it.
extern constinit thread_local void* t_current;
} // namespace hostcurrent

// The context the last note on this thread kept (null: none, or no note yet).
inline void* HostCurrentContext() { return hostcurrent::t_current; }
