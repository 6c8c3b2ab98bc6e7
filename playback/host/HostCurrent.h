#pragma once
// The host context current on this thread as playback last made it. Every path that makes a context
// current on the host (the EGL player's make-current and release, the EGL restore, an analysis
// playback starting over, SHostContext) notes the context the host then has, once per make-current;
// the checks that key what they keep to the current context (the stride notes of the draw and
// pointer checks, the index ranges of ES 1.1 draws) read it on every call without asking the host
// library, whose EGL dispatch makes a system call on every lookup. A test or tool that makes a
// context current through the host table itself notes it the same way.

// Asks the host library which context is current on this thread, keeps it and returns it.
void* NoteHostCurrentContext();

namespace hostcurrent {
// Per thread, as EGL keeps the current context; constant-initialised, so that a read from another
// file is a plain thread-local load and the checks can inline it.
extern constinit thread_local void* t_current;
} // namespace hostcurrent

// The context the last note on this thread kept (null: none, or no note yet).
inline void* HostCurrentContext() { return hostcurrent::t_current; }
