#pragma once
// Per-frame counters and per-function call counts of a loaded trace, computed in one pass after
// the trace is opened; plus the lists of texture uploads, shader sources and shader attachments
// that the texture images, the shader export and the views read. No Qt here: the command-line
// tools and tests use it without a display.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "XQFTString.h"

class CTraceData;

// Calls of one function; name points into the statistics object (valid while it lives).
struct SFunctionCount {
    const char* name = nullptr;
    uint32_t id = 0;
    uint32_t count = 0;
};
// Sorted by name, byte order; an ES 1.1 and an ES 2.0 function of one name share one entry.
using TFunctionCounts = std::vector<SFunctionCount>;

// One half of a frame record: the frame alone, or the running totals up to it.
struct SFrameCounters {
    uint32_t triangles = 0;
    uint32_t lineDraws = 0;
    uint32_t pointDraws = 0;
    uint32_t textureUploads = 0;
    uint32_t shaderLoads = 0;
    uint32_t functionCalls = 0;
    uint32_t drawCalls = 0;
    std::vector<uint32_t> drawCallNumbers;   // 1-based; filled in the frame half only
};

struct STraceFrameStats {
    SFrameCounters frame;
    SFrameCounters total;
    TFunctionCounts functionCounts;          // this frame's exact counts
    // Every function called from frame 1 up to this one (counts 0). Frames share one list until
    // a new function appears, so a long trace does not copy it frame after frame.
    std::shared_ptr<const TFunctionCounts> functionsSoFar;

    uint32_t CountOf(const char* name) const;   // this frame's count of the function
};

struct STextureUpload {
    uint32_t callNumber;
    uint32_t textureName;
};

struct SShaderSource {
    uint32_t callNumber;
    uint32_t shaderName;
    uint32_t shaderType;   // of the shader's own glCreateShader in this trace; 0 when none was seen
};

struct SShaderAttachment {
    uint32_t programName;
    std::vector<uint32_t> shaderNames;
};

class CTraceStatistics
{
public:
    explicit CTraceStatistics(CTraceData* trace);

    // The whole pass; leaves the trace rewound to its first frame.
    void Compute();

    // Record `index` (1-based frame); an index above the frame count gives the empty record 0.
    const STraceFrameStats* GetFrame(uint32_t index);
    uint32_t GetFrameCount() const { return m_frameCount; }
    // Whether a call of this id (its own API's, unlike the name-keyed counts) occurs in the frames
    // counted so far; after Compute, anywhere in the trace.
    bool Occurs(uint32_t id) const { return id < m_idKnown.size() && m_idKnown[id]; }
    const std::vector<STextureUpload>* GetTextureUploads() const { return &m_textureUploads; }
    const std::vector<SShaderSource>* GetShaderSources() const { return &m_shaderSources; }
    const std::vector<SShaderAttachment>* GetAttachments() const { return &m_attachments; }

    // CSV exports; false when the file cannot be opened or written (nothing is reported then).
    bool SaveFrameSummary(const CXQFTString& path) const;
    bool SaveCallsSummary(const CXQFTString& path) const;

private:
    void ComputeUpTo(uint32_t lastFrame);
    void CountFrame(uint32_t frameNo);

    uint32_t m_frameCount = 0;
    uint32_t m_framesDone = 0;
    CTraceData* m_trace;
    std::vector<STraceFrameStats> m_records;
    std::vector<STextureUpload> m_textureUploads;
    std::vector<SShaderSource> m_shaderSources;
    std::vector<SShaderAttachment> m_attachments;
    uint32_t m_boundTexture = 0;
    // Shader name -> type of the glCreateShader that returned it, in this trace only.
    std::unordered_map<uint32_t, uint32_t> m_shaderTypes;
    // Counts of the frame being counted, by call id (below kCallIdLimit).
    std::vector<uint32_t> m_idCounts;
    std::vector<uint16_t> m_idsSeen;
    std::vector<CXQFTString> m_idNames;
    std::vector<uint8_t> m_idKnown;          // the id reached functionsSoFar already
};
