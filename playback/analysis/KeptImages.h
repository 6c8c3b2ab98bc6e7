#pragma once
// The texture images the GPU made, read back at the frame starts a rebuild passes and kept in host
// memory, so that a later restore of that frame or of one after it starts there with those images
// sent instead of replaying from much further back. The most recently used frames are kept within
// a budget of bytes.
#include "state/Es1State.h"
#include "state/Es2State.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

struct SKeptImage
{
    uint32_t texture = 0;  // recorded name
    uint32_t target = 0;   // GL_TEXTURE_2D or a cube face target
    uint32_t format = 0;   // GL_RGBA or GL_RGB, unsigned bytes
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows bottom-up, packed (no row padding)
};

struct SKeptFrame
{
    uint8_t api = 0;  // kEsVersion1 or kEsVersion2: the context the images belong to
    std::vector<SKeptImage> images;
    size_t bytes = 0;
    uint64_t used = 0;
};

class CKeptImages
{
public:
    static constexpr size_t kDefaultBudget = size_t(256) << 20;

    // Frames past the new budget go, least recently used first.
    void SetBudget(size_t bytes);
    // The budget of `mib` MiB held to half of what memory is free (`freeBytes`) beside the `held`
    // bytes kept already: a large budget on a trace of large images never takes the memory the
    // process and the host library need.
    static size_t BoundedBudget(uint64_t mib, uint64_t freeBytes, size_t held);
    // The memory the system has free now, in bytes.
    static uint64_t FreeMemory();
    size_t Budget() const { return m_budget; }
    size_t Bytes() const { return m_bytes; }
    size_t FrameCount() const { return m_frames.size(); }
    void Clear();

    bool Holds(uint32_t frame) const { return m_frames.count(frame) != 0; }
    // The latest kept frame from `low` to `frame`; 0 when none.
    uint32_t Nearest(uint32_t low, uint32_t frame) const;
    // The frame's images, marked as just used; null when not kept.
    const SKeptFrame* Use(uint32_t frame);
    // Keeps the frame's images, making room by dropping the least recently used frames; false (and
    // nothing kept) when they alone exceed the budget.
    bool Keep(uint32_t frame, SKeptFrame images);
    void Drop(uint32_t frame);

    // The bytes the GPU-made images of a state take when kept; 0 when the state holds none, or one
    // that cannot be kept (a format other than RGBA or RGB of bytes, a level other than 0, levels
    // generated from it), or a depth or stencil renderbuffer the GPU drew: such a frame is not kept.
    static size_t KeptSize(const SEs2State& s);
    static size_t KeptSize(const SEs1State& s);

    // Reads the GPU-made images of the state (frame `frame`'s start) from the host's current
    // context; false when one could not be read (nothing is kept then). GL errors found before or
    // after are each reported against the frame.
    static bool ReadBack(const SEs2State& s, uint32_t frame, SKeptFrame& out);
    static bool ReadBack(const SEs1State& s, uint32_t frame, SKeptFrame& out);
    // Writes kept images over the textures the restore of frame `number` made on the host's current
    // context; false when the host refused one (its GL errors reported as ReadBack's).
    static bool Send(const SKeptFrame& frame, uint32_t number);

private:
    void MakeRoom(size_t bytes);

    std::map<uint32_t, SKeptFrame> m_frames;
    size_t m_bytes = 0;
    size_t m_budget = kDefaultBudget;
    uint64_t m_clock = 0;
};
