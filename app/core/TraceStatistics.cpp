#include "TraceStatistics.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "calls/ApiCall.h"
#include "CallValues.h"
#include "data/TraceData.h"

namespace {

enum : uint32_t {
    kEs2DrawArrays = 2041, kEs2DrawElements = 2042, kEs1DrawArrays = 3036, kEs1DrawElements = 3037,
    kEs2BindTexture = 2007, kEs1BindTexture = 3005,
    kEs2AttachShader = 2002, kEs2CreateShader = 2027, kEs2ShaderSource = 2099,
    kMaxCallId = 5000,
};

enum : uint32_t { kPoints = 0, kLines = 1, kLineLoop = 2, kLineStrip = 3, kTriangles = 4, kTriangleStrip = 5, kTriangleFan = 6 };

bool IsTextureUpload(uint32_t id)
{
    switch (id) {
    case 2022: case 2023: case 2106: case 2111:
    case 3023: case 3024: case 3133: case 3140:
        return true;
    default:
        return false;
    }
}

// Triangles drawn by count vertices (or elements) in mode; lines and points add none.
uint32_t TrianglesOf(uint32_t mode, uint32_t count)
{
    switch (mode) {
    case kTriangles:
        return count / 3;
    case kTriangleStrip:
    case kTriangleFan:
        // Fewer than three vertices draw nothing (and must not wrap below zero).
        return count > 2 ? count - 2 : 0;
    default:
        return 0;
    }
}

template <class F> void Both(STraceFrameStats& r, F f)
{
    f(r.frame);
    f(r.total);
}

} // namespace

CTraceStatistics::CTraceStatistics(CTraceData* trace)
    : m_trace(trace), m_idCounts(kMaxCallId, 0), m_idNames(kMaxCallId)
{
}

void CTraceStatistics::Compute()
{
    m_frameCount = m_trace ? uint32_t(std::max(0, m_trace->GetFrameCount())) : 0;
    m_records.clear();
    m_records.reserve(size_t(m_frameCount) + 1);
    m_records.emplace_back();
    m_framesDone = 0;
    ComputeUpTo(m_frameCount);
}

void CTraceStatistics::ComputeUpTo(uint32_t lastFrame)
{
    if (!m_trace)
        return;
    if (lastFrame > m_frameCount)
        lastFrame = m_frameCount;
    for (uint32_t n = m_framesDone + 1; n <= lastFrame; ++n)
        CountFrame(n);
    m_trace->Rewind();
}

void CTraceStatistics::CountFrame(uint32_t n)
{
    m_trace->SetCurrentFrame(n, true);
    m_records.emplace_back();
    STraceFrameStats& record = m_records.back();
    {
        // The running half starts as the previous record's running half.
        const SFrameCounters& before = m_records[n - 1].total;
        record.total = before;
    }

    while (STraceCall* entry = m_trace->GetNextCall()) {
        CApiCall* call = entry->call.get();
        if (!call)
            continue;
        const uint32_t c = uint32_t(m_trace->GetCurrentCallNumber());
        const uint32_t id = uint32_t(call->GetId());

        if (id == kEs2DrawArrays || id == kEs2DrawElements || id == kEs1DrawArrays || id == kEs1DrawElements) {
            Both(record, [](SFrameCounters& h) { ++h.drawCalls; });
            record.frame.drawCallNumbers.push_back(c);
            const CCallValues values(call);
            uint32_t mode = 0xFFFFFFFF, count = 0;
            values.Value("mode", &mode);
            values.Value("count", &count);
            if (mode == kPoints)
                Both(record, [](SFrameCounters& h) { ++h.pointDraws; });
            else if (mode == kLines)
                Both(record, [](SFrameCounters& h) { ++h.lineDraws; });
            const uint32_t triangles = TrianglesOf(mode, count);
            Both(record, [triangles](SFrameCounters& h) { h.triangles += triangles; });
        } else if (id == kEs2BindTexture || id == kEs1BindTexture) {
            CCallValues(call).Value("texture", &m_boundTexture);
        } else if (IsTextureUpload(id)) {
            Both(record, [](SFrameCounters& h) { ++h.textureUploads; });
            m_textureUploads.push_back({c, m_boundTexture});
        } else if (id == kEs2CreateShader) {
            const CCallValues values(call);
            uint32_t name = 0, type = 0;
            if (values.ReturnValue(&name) && values.Value("type", &type))
                m_shaderTypes[name] = type;
        } else if (id == kEs2ShaderSource) {
            Both(record, [](SFrameCounters& h) { ++h.shaderLoads; });
            uint32_t shader = 0;
            CCallValues(call).Value("shader", &shader);
            const auto type = m_shaderTypes.find(shader);
            m_shaderSources.push_back({c, shader, type == m_shaderTypes.end() ? 0u : type->second});
        } else if (id == kEs2AttachShader) {
            const CCallValues values(call);
            uint32_t program = 0, shader = 0;
            values.Value("program", &program);
            values.Value("shader", &shader);
            auto it = m_attachments.begin();
            while (it != m_attachments.end() && it->programName != program)
                ++it;
            if (it == m_attachments.end())
                m_attachments.push_back({program, {shader}});
            else
                it->shaderNames.push_back(shader);
        }

        if (id < kMaxCallId) {
            if (m_idCounts[id]++ == 0) {
                m_idsSeen.push_back(uint16_t(id));
                if (m_idNames[id].IsEmpty())
                    m_idNames[id] = call->GetName();
            }
        }
        Both(record, [](SFrameCounters& h) { ++h.functionCalls; });
    }

    // An ES 1.1 and an ES 2.0 function of the same name add up under that name.
    for (uint16_t id : m_idsSeen) {
        const uint32_t count = m_idCounts[id];
        m_idCounts[id] = 0;
        const CXQFTString& key = m_idNames[id];
        SFunctionCount& f = record.frame.functionCounts[key];
        f.id = id;
        f.count += count;
        record.total.functionCounts[key].id = id;
    }
    m_idsSeen.clear();
    m_framesDone = n;
}

const STraceFrameStats* CTraceStatistics::GetFrame(uint32_t index)
{
    if (m_records.empty())
        m_records.emplace_back();
    if (index > m_frameCount)
        return &m_records[0];
    if (index > m_framesDone)
        ComputeUpTo(index);
    return index < m_records.size() ? &m_records[index] : &m_records[0];
}

namespace {
struct SFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, SFileCloser>;
} // namespace

bool CTraceStatistics::SaveFrameSummary(const CXQFTString& path) const
{
    FilePtr file(std::fopen(path.CStr(), "wb"));
    if (!file)
        return false;
    std::fputs(",numFunctionsCalls,numDrawCalls,numTriangles,numTextureUploads,\n", file.get());
    for (size_t n = 1; n < m_records.size(); ++n) {
        const SFrameCounters& f = m_records[n].frame;
        std::fprintf(file.get(), "%zu,%u,%u,%u,%u,\n", n, f.functionCalls, f.drawCalls, f.triangles, f.textureUploads);
    }
    return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}

bool CTraceStatistics::SaveCallsSummary(const CXQFTString& path) const
{
    FilePtr file(std::fopen(path.CStr(), "wb"));
    if (!file)
        return false;
    std::fputs("@,", file.get());
    const auto& names = m_records.back().total.functionCounts;
    for (const auto& [name, unused] : names) {
        std::fputs(name.CStr(), file.get());
        std::fputc(',', file.get());
    }
    std::fputc('\n', file.get());
    for (size_t n = 1; n < m_records.size(); ++n) {
        std::fprintf(file.get(), "%zu,", n);
        const auto& counts = m_records[n].frame.functionCounts;
        for (const auto& [name, unused] : names) {
            const auto it = counts.find(name);
            std::fprintf(file.get(), "%u,", it == counts.end() ? 0u : it->second.count);
        }
        std::fputc('\n', file.get());
    }
    return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}
