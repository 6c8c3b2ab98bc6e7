#include "TraceStatistics.h"

#include <algorithm>
#include <array>
#include <typeinfo>
#include <cstdio>
#include <cstring>
#include <string>
#include <memory>

#include "apicall/ApiCall.h"
#include "CallQueries.h"
#include "CallValues.h"
#include "Es1Records.h"
#include "Es2Records.h"
#include "data/TraceData.h"

namespace {


enum : uint32_t { kPoints = 0, kLines = 1, kLineLoop = 2, kLineStrip = 3, kTriangles = 4, kTriangleStrip = 5, kTriangleFan = 6 };

// What the pass does with a call, by call id: one table lookup per call.
enum ECounted : uint8_t { kOther, kDraw, kBindTexture, kTextureUpload, kCreateShader, kShaderSource, kAttachShader };

constexpr std::array<uint8_t, kCallIdLimit> kCounted = [] {
    std::array<uint8_t, kCallIdLimit> t{};
    for (uint16_t id = 0; id < kCallIdLimit; ++id)
        t[id] = IsDrawCall(id)         ? kDraw
                : IsTextureBind(id)    ? kBindTexture
                : IsTextureUpload(id)  ? kTextureUpload
                : CreatesShader(id)    ? kCreateShader
                : IsShaderSource(id)   ? kShaderSource
                : AttachesShader(id)   ? kAttachShader
                                       : kOther;
    return t;
}();

// Triangles drawn by count vertices (or elements) in mode; lines and points add none. The count
// is a recorded GLsizei: a negative one is refused by GL and draws nothing.
uint32_t TrianglesOf(uint32_t mode, uint32_t recordedCount)
{
    if (int32_t(recordedCount) <= 0)
        return 0;
    const uint32_t count = recordedCount;
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

// Mode and count of a draw of one of the record classes, when the call is one.
template <class... Draws>
bool RecordedDraw(const CApiCall* call, uint32_t* mode, uint32_t* count)
{
    // The record classes are final: comparing the dynamic type is enough, and cheaper than a cast.
    const std::type_info& type = typeid(*call);
    auto read = [&]<class Draw>(const Draw*) {
        if (type != typeid(Draw))
            return false;
        const auto* d = static_cast<const Draw*>(call);
        *mode = d->template Item<"mode">().Value();
        *count = uint32_t(d->template Item<"count">().Value());
        return true;
    };
    return (read(static_cast<const Draws*>(nullptr)) || ...);
}

// Mode and vertex (or element) count of a draw call: the ES 2.0 and ES 1.1 records are read
// directly, other draws through their description.
void DrawValues(CApiCall* call, uint32_t* mode, uint32_t* count)
{
    if (RecordedDraw<xqft::es2::CEs2_glDrawArrays_v1, xqft::es2::CEs2_glDrawElements_v7, xqft::es2::CEs2_glDrawElements_v1,
                     xqft::es1::CEs1_glDrawArrays_v1, xqft::es1::CEs1_glDrawElements_v1>(call, mode, count))
        return;
    const CCallValues values(call);
    values.Value("mode", mode);
    values.Value("count", count);
}

bool NameBefore(const SFunctionCount& a, const SFunctionCount& b)
{
    return std::strcmp(a.name, b.name) < 0;
}

// Name order, then id order: the order of functions of one name in both APIs does not depend on
// the order the frame called them in.
bool NameThenIdBefore(const SFunctionCount& a, const SFunctionCount& b)
{
    const int byName = std::strcmp(a.name, b.name);
    return byName != 0 ? byName < 0 : a.id < b.id;
}

template <class F> void Both(STraceFrameStats& r, F f)
{
    f(r.frame);
    f(r.total);
}

} // namespace

CTraceStatistics::CTraceStatistics(CTraceData* trace)
    : m_trace(trace), m_idCounts(kCallIdLimit, 0), m_idNames(kCallIdLimit), m_idKnown(kCallIdLimit, 0)
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
    // The running half starts as the previous record's running half.
    record.total = m_records[n - 1].total;
    record.total.drawCallNumbers.clear();
    record.functionsSoFar = m_records[n - 1].functionsSoFar;

    while (STraceCall* entry = m_trace->GetNextCall()) {
        CApiCall* call = entry->call.get();
        if (!call)
            continue;
        const uint32_t c = uint32_t(m_trace->GetCurrentCallNumber());
        // Call objects lie apart on the heap and the pass reads little of each: fetch ahead.
        if (STraceCall* ahead = m_trace->GetCall(c + 8))
            __builtin_prefetch(ahead->call.get());
        const uint32_t id = call->GetCallId();
        const uint8_t counted = id < kCallIdLimit ? kCounted[id] : uint8_t(kOther);

        if (counted == kOther) {
        } else if (counted == kDraw) {
            Both(record, [](SFrameCounters& h) { ++h.drawCalls; });
            record.frame.drawCallNumbers.push_back(c);
            uint32_t mode = 0xFFFFFFFF, count = 0;
            DrawValues(call, &mode, &count);
            if (mode == kPoints)
                Both(record, [](SFrameCounters& h) { ++h.pointDraws; });
            else if (mode == kLines)
                Both(record, [](SFrameCounters& h) { ++h.lineDraws; });
            const uint32_t triangles = TrianglesOf(mode, count);
            Both(record, [triangles](SFrameCounters& h) { h.triangles += triangles; });
        } else if (counted == kBindTexture) {
            if (typeid(*call) == typeid(xqft::es2::CEs2_glBindTexture_v1))
                m_boundTexture = static_cast<const xqft::es2::CEs2_glBindTexture_v1*>(call)->Item<"texture">().Value();
            else
                CCallValues(call).Value("texture", &m_boundTexture);
        } else if (counted == kTextureUpload) {
            Both(record, [](SFrameCounters& h) { ++h.textureUploads; });
            m_textureUploads.push_back({c, m_boundTexture});
        } else if (counted == kCreateShader) {
            const CCallValues values(call);
            uint32_t name = 0, type = 0;
            if (values.ReturnValue(&name) && values.Value("type", &type))
                m_shaderTypes[name] = type;
        } else if (counted == kShaderSource) {
            Both(record, [](SFrameCounters& h) { ++h.shaderLoads; });
            uint32_t shader = 0;
            CCallValues(call).Value("shader", &shader);
            const auto type = m_shaderTypes.find(shader);
            m_shaderSources.push_back({c, shader, type == m_shaderTypes.end() ? 0u : type->second});
        } else if (counted == kAttachShader) {
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

        if (id < kCallIdLimit) {
            if (m_idCounts[id]++ == 0) {
                m_idsSeen.push_back(uint16_t(id));
                if (m_idNames[id].IsEmpty())
                    m_idNames[id] = call->GetName();
            }
        }
        Both(record, [](SFrameCounters& h) { ++h.functionCalls; });
    }

    // An ES 1.1 and an ES 2.0 function of the same name add up under that name, which keeps the
    // highest of their ids (the ES 1.1 one), whichever the frame called first.
    TFunctionCounts& counts = record.functionCounts;
    counts.reserve(m_idsSeen.size());
    bool newFunction = false;
    for (uint16_t id : m_idsSeen) {
        counts.push_back({m_idNames[id].CStr(), id, m_idCounts[id]});
        m_idCounts[id] = 0;
        if (!m_idKnown[id]) {
            m_idKnown[id] = 1;
            newFunction = true;
        }
    }
    std::sort(counts.begin(), counts.end(), NameThenIdBefore);
    size_t kept = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (kept && std::strcmp(counts[kept - 1].name, counts[i].name) == 0) {
            counts[kept - 1].count += counts[i].count;
            counts[kept - 1].id = counts[i].id;
        } else {
            counts[kept++] = counts[i];
        }
    }
    counts.resize(kept);
    if (newFunction) {
        TFunctionCounts all = record.functionsSoFar ? *record.functionsSoFar : TFunctionCounts();
        for (const SFunctionCount& f : counts) {
            auto at = std::lower_bound(all.begin(), all.end(), f, NameBefore);
            if (at == all.end() || std::strcmp(at->name, f.name) != 0)
                all.insert(at, {f.name, f.id, 0});
        }
        record.functionsSoFar = std::make_shared<const TFunctionCounts>(std::move(all));
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

uint32_t STraceFrameStats::CountOf(const char* name) const
{
    SFunctionCount key;
    key.name = name;
    const auto at = std::lower_bound(functionCounts.begin(), functionCounts.end(), key, NameBefore);
    return at != functionCounts.end() && std::strcmp(at->name, name) == 0 ? at->count : 0;
}

bool CTraceStatistics::SaveCallsSummary(const CXQFTString& path) const
{
    FilePtr file(std::fopen(path.CStr(), "wb"));
    if (!file)
        return false;
    std::string out = "@,";
    static const TFunctionCounts kNone;
    // Before Compute there are no records at all: the header alone.
    const TFunctionCounts& names =
        !m_records.empty() && m_records.back().functionsSoFar ? *m_records.back().functionsSoFar : kNone;
    for (const SFunctionCount& f : names)
        out.append(f.name).append(",");
    out += '\n';
    char number[16];
    for (size_t n = 1; n < m_records.size(); ++n) {
        out.append(number, size_t(std::snprintf(number, sizeof number, "%zu,", n)));
        // Both lists are sorted by name: one merge walk per line.
        const TFunctionCounts& counts = m_records[n].functionCounts;
        size_t k = 0;
        for (const SFunctionCount& f : names) {
            while (k < counts.size() && std::strcmp(counts[k].name, f.name) < 0)
                ++k;
            const uint32_t count = k < counts.size() && std::strcmp(counts[k].name, f.name) == 0 ? counts[k].count : 0;
            out.append(number, size_t(std::snprintf(number, sizeof number, "%u,", count)));
        }
        out += '\n';
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), file.get());
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), file.get());
    return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}
