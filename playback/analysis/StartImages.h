#pragma once
// What a frame does with the texture images it holds at its start whose pixels the GPU made (drawn,
// cleared or copied into, levels generated from an image changed since): a restore cannot send
// them, so a frame that reads one needs them as the application made them, and a frame that
// rewrites them whole first gives its image from the restore alone.
#include <cstdint>
#include <vector>

class CTraceData;

enum class EStartImages : uint8_t
{
    None = 1,   // the frame holds no such image
    Rewritten,  // it rewrites each whole before anything reads it: its end holds what the application made
    Unread,     // nothing reads one before it is rewritten whole, but some are left as they are
    Read,       // one is read, or may be, before it is rewritten whole
};

// Decided from the tracked states over the frame's calls, erring towards Read: an image counts as
// rewritten whole by an upload or a copy of the whole level, or by a clear of the framebuffer it is
// the colour of with the scissor test off and every colour channel written; as read by a draw while
// its texture is bound on a unit (on ES 1.1, a unit with 2D texturing on) or while it is an
// attachment of the bound framebuffer, a copy from the framebuffer it is the colour of, a sub-image
// update, levels generated from it, and a context made current other than the frame's own.
EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame);
// Frames first to last in one walk over their calls: out[frame] is the EStartImages value (out grows
// to hold last + 1 entries).
void ClassifyStartImages(CTraceData& trace, uint32_t first, uint32_t last, std::vector<uint8_t>& out);
