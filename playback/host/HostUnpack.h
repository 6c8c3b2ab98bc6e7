#pragma once
// The unpack state of the current host context as the uploads read it, and how a restore brings it
// to a frame's start. ES 2.0 contexts take the row length and skips where the host offers them
// (EXT_unpack_subimage, or an ES 3.0 context); the host's ES 1.1 takes none, so its player keeps
// them itself (Es1Play.h) and packs the rows.
#include "HostTables.h"
#include "state/UnpackRows.h"

// Whether the current ES 2.0 host context takes GL_UNPACK_ROW_LENGTH_EXT and the skips (asked once
// per current context).
bool Es2HostTakesUnpackRows(SEs2Host& gl);

// The current ES 2.0 context's unpack alignment, row length and skips (0 where it takes none).
SUnpackRows Es2HostUnpackRows(SEs2Host& gl);

// Sets every pixel-store value of the current ES 2.0 context: the alignments and the unpack row
// length and skips as given, and the host's defaults for the values no trace of these APIs sets
// (the pack row length and skips, the image height and skipped images of an ES 3.0 context).
void SetEs2HostPixelStore(SEs2Host& gl, int32_t packAlignment, const SUnpackRows& unpack);

// The row length and skips of the ES 1.1 player (the alignment is the host's): set by the played
// glPixelStorei calls and by the restore, emptied with the name maps (ResetNameMaps).
SUnpackRows& Es1UnpackRowsNote();
