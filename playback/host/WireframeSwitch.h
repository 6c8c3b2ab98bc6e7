#pragma once
// Our wireframe switch, for host ES 2.0 libraries without one of their own (Mesa's ES contexts
// have no polygon mode). Installed, it takes the ES 2.0 table's wireframe slot, and thin wrappers
// take the glDrawArrays and glDrawElements slots of the ES 2.0 table and of the ES 1.1 table (which
// has no switch slot: the one switch serves both): they pass straight through while the switch is
// off; while it is on they draw the same vertices as the lines of their triangles
// (WireframeLines.h), with glDrawElements(GL_LINES) from a temporary element buffer, and put the
// element-buffer binding back. Points and lines pass through unchanged.
#include <cstdint>

struct SEs1Host;
struct SEs2Host;

// Installs the switch into a table whose library has none; false when the table has a switch
// already or its draw slots are empty (a failed table).
bool InstallWireframeSwitch(SEs2Host& gl);
// Wraps the ES 1.1 table's draw slots; false when they are empty or wrapped already.
bool InstallWireframeSwitch(SEs1Host& gl);
// Takes it out again: the library's own draw entry points back, the wireframe slot empty.
void RemoveWireframeSwitch(SEs2Host& gl);
void RemoveWireframeSwitch(SEs1Host& gl);
// Our switch: 1 on, 0 off.
void ToggleOurWireframe(uint8_t on);
// Where a wireframe is asked for and the table has no switch at all (neither the library's nor
// ours): prints "Error loading library Mirbex_ToggleWireframe" the first time in the process.
void WireframeSwitchMissing();
// Whether our switch is on (draws of the wrapped tables are shown as lines).
bool OurWireframeOn();
