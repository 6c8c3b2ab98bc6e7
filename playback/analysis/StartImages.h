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
    // Nothing reads one before it is rewritten whole if the draws that write some of them first
    // (blending off, every colour written, reading neither them nor a GPU-made depth or stencil
    // buffer) cover what they draw into: the host decides (SCoverDraw).
    Covered,
};

// A draw that is the first write of the frame into a GPU-made colour image, and would rewrite it
// whole if it covered it: the host fills the image with a marker before the frame and reads it back
// after the draw, and any marker pixel left means the frame needs the pixels it started with.
struct SCoverDraw
{
    uint32_t call = 0;  // the draw's number in the trace (1-based)
    uint8_t api = 0;    // kEsVersion1 or kEsVersion2
    uint32_t texture = 0;
    int32_t level = 0;
    uint32_t face = 0;
};

// Decided from the tracked states over the frame's calls, erring towards Read: an image counts as
// rewritten whole by an upload or a copy of the whole level, or by a clear of the framebuffer it is
// the colour of with the scissor test off and every colour channel written (a depth or stencil
// image: the depth mask on, every stencil bit written); as read by a draw while its texture is bound
// on a unit (on ES 1.1, a unit with 2D texturing on), a draw into it that blends or masks a colour
// (one that does neither is a SCoverDraw), a draw with the depth or stencil test on into a
// framebuffer whose depth or stencil image it is, a copy from the framebuffer it is the colour of,
// a sub-image update, levels generated from it, and a context made current other than the frame's
// own. Depth and stencil renderbuffers the GPU drew count as such images too.
EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame);
// The same, with the draws a Covered frame leaves to the host.
EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame, std::vector<SCoverDraw>& draws);
// Frames first to last in one walk over their calls: out[frame] is the EStartImages value (out grows
// to hold last + 1 entries).
void ClassifyStartImages(CTraceData& trace, uint32_t first, uint32_t last, std::vector<uint8_t>& out);
