#include "TraceExport.h"

#include <cstdio>
#include <memory>
#include <string>

#include "apicall/ApiCall.h"
#include "values/ApiTypes.h"
#include "apicall/CallInfo.h"
#include "CallQueries.h"
#include "CallValues.h"
#include "data/TraceData.h"

namespace {

struct SFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, SFileCloser>;

const char kDashes[] = "-----------------------------------------------------------------------------";
const size_t kFlushAt = 1 << 16;

void AppendValue(const SApiTypeBase* value, bool includeData, CXQFTString& scratch, std::string& out)
{
    if (!value)
        return;
    if (includeData) {
        value->ToLongString(scratch);
    } else {
        CXQFTString raw;
        value->ToString(scratch, &raw);
    }
    out.append(scratch.CStr(), scratch.Length());
}

// Puts the trace's cursor back on the frame and call it stood on.
class CCursorKeeper
{
public:
    explicit CCursorKeeper(CTraceData* trace)
        : m_trace(trace), m_frame(uint32_t(trace->GetCurrentFrameNumber())),
          m_call(uint32_t(trace->GetCurrentCallNumber()))
    {
    }
    ~CCursorKeeper()
    {
        if (!m_trace->SetCurrentFrame(m_frame, true))
            return;
        // Walk to the call that was current; a cursor on the frame's start stays there.
        while (uint32_t(m_trace->GetCurrentCallNumber()) < m_call && m_trace->GetNextCall()) {
        }
    }

private:
    CTraceData* m_trace;
    uint32_t m_frame;
    uint32_t m_call;
};

} // namespace

void AppendCallLine(CApiCall* call, bool includeData, CXQFTString& scratch, std::string& out)
{
    CGenCallInfo info;
    call->ListArguments(&info, 0);
    if (const char* api = info.GetApi())
        out += api;
    out += ' ';
    if (const char* name = info.GetFunctionName())
        out += name;
    out += '(';
    if (const auto* values = info.GetArguments()) {
        const size_t visible = std::min<size_t>(info.GetVisibleArgumentCount(), values->size());
        for (size_t i = 0; i < visible; ++i) {
            if (i)
                out += ',';
            AppendValue((*values)[i], includeData, scratch, out);
        }
    }
    out += ')';
    if (const SApiTypeBase* ret = info.GetReturnValue()) {
        const size_t mark = out.size();
        out += " ==> ";
        const size_t before = out.size();
        AppendValue(ret, includeData, scratch, out);
        if (out.size() == before)
            out.resize(mark);   // an empty return text gets no arrow
    }
}

bool ExportTraceText(CTraceData* trace, const CXQFTString& path, const STextExportOptions& options)
{
    FilePtr file(std::fopen(path.CStr(), "wb"));
    if (!file)
        return false;
    if (!trace)
        return true;   // nothing open: the file is left empty

    const CCursorKeeper keeper(trace);
    std::string out;
    out.reserve(kFlushAt * 2);
    uint32_t first = 1, last = uint32_t(std::max(0, trace->GetFrameCount()));
    if (options.onlyFrame) {
        first = last = options.onlyFrame;
    } else {
        out += "NoCalls:" + std::to_string(trace->GetCallCount()) + "\n";
    }
    out += "NoFrames:" + std::to_string(last) + "\n\nWriting to file:\n";

    bool ok = true;
    CXQFTString scratch;
    for (uint32_t n = first; n <= last && ok; ++n) {
        if (!trace->SetCurrentFrame(n, true))
            break;
        out += "\nFrame:" + std::to_string(n) + "/" + std::to_string(last) + "\n" + kDashes + "\n";
        uint32_t inFrame = 0;
        while (STraceCall* entry = trace->GetNextCall()) {
            ++inFrame;
            CApiCall* call = entry->call.get();
            if (!call)
                continue;
            const size_t mark = out.size();
            try {
                if (options.numberCalls)
                    out += std::to_string(inFrame) + " ";
                AppendCallLine(call, options.includeData, scratch, out);
                out += '\n';
            } catch (...) {
                out.resize(mark);
                if (options.callFailed)
                    options.callFailed(call->GetName(), uint32_t(trace->GetCurrentCallNumber()));
            }
            if (out.size() >= kFlushAt) {
                ok = std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
                out.clear();
            }
        }
        if (options.frameDone)
            options.frameDone(n, last);
    }
    if (ok && !out.empty())
        ok = std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
    return ok && std::fflush(file.get()) == 0;
}

bool ExportShaders(CTraceData* trace, const std::vector<SShaderSource>& sources, const CXQFTString& folder,
                   std::vector<CXQFTString>* failed)
{
    if (!trace)
        return true;
    bool ok = true;
    for (const SShaderSource& source : sources) {
        STraceCall* entry = trace->GetCall(source.callNumber);
        if (!entry || !entry->call || !IsShaderSource(entry->call->GetCallId()))
            continue;
        CGenCallInfo info;
        entry->call->ListArguments(&info, 0);
        const SApiTypeBase* shader = nullptr;
        if (const auto* values = info.GetArguments()) {
            const auto& names = info.GetArgumentNames();
            for (size_t i = 0; i < values->size() && i < names.size(); ++i)
                if (names[i] == "shader")
                    shader = (*values)[i];
        }
        CXQFTString namePart, raw;
        if (shader)
            shader->ToString(namePart, &raw);
        // The source as the call gave it, so the file compiles as it did on the device.
        const CXQFTString* found = ShaderSourceText(entry->call.get());
        const CXQFTString contents = found ? *found : CXQFTString();
        const CXQFTString path = StringFromFormat(source.shaderType == 0x8B30 ? "%s/%s_Shader%s.fsh" : "%s/%s_Shader%s.vsh",
                                                  folder.CStr(), "XQFTraceShader", namePart.CStr());
        FilePtr file(std::fopen(path.CStr(), "wb"));
        bool written = file && std::fwrite(contents.CStr(), 1, contents.Length(), file.get()) == contents.Length();
        if (file)
            written = (std::fclose(file.release()) == 0) && written;
        if (!written) {
            ok = false;
            if (failed)
                failed->push_back(path);
        }
    }
    return ok;
}
