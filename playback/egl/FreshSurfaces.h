#pragma once
// A host surface starts with whatever its memory held (the host clears nothing), so two runs of one
// trace would read back different images where the trace draws nothing over a part of it (every
// clear scissored off, a pass that stops before its first clear). Each surface made for the trace
// is cleared (colour to zero, depth to 1, stencil to 0) the first time it is made current, the
// context's clear values, masks, scissor test and framebuffer binding kept as they were.
#include <cstdint>

// A host surface made now: cleared at its first make-current.
void NoteNewSurface(uint64_t hostSurface);

// After the host made `context` current with `draw` on `display`: clears `draw` if it is new.
void ClearNewSurface(uint64_t display, uint64_t draw, uint64_t context);
