#pragma once
// Traces for the call-list tests built from call objects directly: each call has an id, a name,
// text arguments and optionally a return value and an error, so a test states exactly the line
// it expects. Frames end at eglSwapBuffers as in the loader. Ids come from the call tables.
#include <memory>
#include <string>
#include <vector>

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "TraceLoader.h"

// A holder printing a fixed text (long text: the same text).
struct STextValue : SApiTypeBase
{
    explicit STextValue(std::string t) : text(std::move(t)) {}
    void ToString(CXQFTString& out, CXQFTString* raw) const override;
    std::string text;
};

class CFakeCall : public CApiCall
{
public:
    CFakeCall(uint16_t id, const char* name);
    CFakeCall& Arg(const char* argName, std::string text);
    CFakeCall& ArgU32(const char* argName, uint32_t value);  // a scalar, as statistics read them
    CFakeCall& Return(std::string text);
    CFakeCall& Error(uint32_t glError);

    void ListArguments(CCallInfo* info, uint8_t verbose) override;
    const char* GetName() const override { return m_name.c_str(); }
    int GetId() const override { return m_callId; }
    const char* GetCategory() const override { return "Test"; }

private:
    std::string m_name;
    std::vector<std::string> m_argNames;
    std::vector<std::unique_ptr<SApiTypeBase>> m_args;
    std::unique_ptr<STextValue> m_return;
};

inline constexpr uint16_t kIdDrawArrays = CallIdOf(ECallFamily::Es2, "glDrawArrays");
inline constexpr uint16_t kIdDrawElements = CallIdOf(ECallFamily::Es2, "glDrawElements");
inline constexpr uint16_t kIdClear = CallIdOf(ECallFamily::Es2, "glClear");
inline constexpr uint16_t kIdUniform = CallIdOf(ECallFamily::Es2, "glUniform4fv");
inline constexpr uint16_t kIdBindTexture = CallIdOf(ECallFamily::Es2, "glBindTexture");
inline constexpr uint16_t kIdShaderSource = CallIdOf(ECallFamily::Es2, "glShaderSource");
inline constexpr uint16_t kIdTexImage = CallIdOf(ECallFamily::Es2, "glTexImage2D");
inline constexpr uint16_t kIdSwap = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");

// Appends calls to a trace. Frame() ends the current frame with eglSwapBuffers.
class CTraceBuilder
{
public:
    CTraceBuilder();
    CFakeCall& Add(uint16_t id, const char* name = nullptr);
    CTraceBuilder& Calls(int n, uint16_t id = kIdClear);  // n plain calls
    CTraceBuilder& Draw() { Add(kIdDrawArrays); return *this; }
    CTraceBuilder& Frame() { Add(kIdSwap, "eglSwapBuffers"); return *this; }
    std::unique_ptr<CTraceData> Take() { return std::move(m_trace); }
    CTraceData& Trace() { return *m_trace; }

private:
    std::unique_ptr<CTraceData> m_trace;
};

// Gives the controller a fixture trace in place of a file.
class CFixtureLoader : public CTraceLoader
{
public:
    explicit CFixtureLoader(CTraceData* trace) : m_trace(trace) {}
    int Load(const CXQFTString&, CBasicEvent*) override { return 0; }
    CTraceData* GetTraceData() override { return m_trace; }

private:
    CTraceData* m_trace;
};

// Opens trace through the controller (a file-less load), which emits the trace and frame updates.
void OpenInController(CTraceData* trace);

// Empties the controller's filtered, highlighted and disabled calls, left over from an earlier test.
void ResetCallFilters();
