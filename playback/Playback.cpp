#include "Playback.h"

#include "CallQueries.h"
#include "Diagnostics.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "host/HostCurrent.h"

namespace {
// The players by id range; the first range holding an id wins.
struct SPlayerRange
{
    uint16_t first;
    uint16_t last;
    bool (CPlayback::*play)(STraceCall*, bool);
    bool errorChecks;  // EGL calls are always played without them
};
constexpr SPlayerRange Range(ECallFamily family, bool (CPlayback::*play)(STraceCall*, bool), bool errorChecks)
{
    return {CallFamilyRange(family).first, CallFamilyRange(family).last, play, errorChecks};
}
// The EGL player takes the EGL 1.4 functions, up to eglWaitClient, not the extensions after it.
constexpr SPlayerRange kPlayers[] = {
    {CallFamilyRange(ECallFamily::Egl).first, CallIdOf(ECallFamily::Egl, "eglWaitClient"), &CPlayback::PlayEglCall, false},
    Range(ECallFamily::Es1, &CPlayback::PlayEs1Call, true),
    Range(ECallFamily::Es2, &CPlayback::PlayEs2Call, true),
    Range(ECallFamily::Ext, &CPlayback::PlayExtCall, true),
};
} // namespace

CPlayback::CPlayback() { InitNativeWindowFunctions(m_windows); }

CPlayback::~CPlayback() = default;

void CPlayback::BindTrace(CTraceData* trace)
{
    ResetNameMaps();
    m_nativeWindow = 0;
    m_trace = trace;
}

uint64_t CPlayback::GetNativeWindow()
{
    if (m_nativeWindow == 0)
        m_nativeWindow = GetPlaybackWindow(kFirstPlaybackWindow);
    return m_nativeWindow;
}

bool CPlayback::PlayCall(STraceCall* call, bool checkErrors)
{
    m_checkErrors = checkErrors;
    CApiCall* api = call ? call->call.get() : nullptr;
    if (!api) {
        PlaybackError("PlayCall Error: Unrecognized/Error call\n");
        return false;
    }
    m_callNumber = m_trace ? m_trace->NumberOf(call) : 0;
    const uint16_t id = uint16_t(api->GetId());
    if (id >= 2 && id <= 4)
        return true;
    bool result = false;
    for (const SPlayerRange& range : kPlayers)
        if (id >= range.first && id <= range.last) {
            m_checkErrors = range.errorChecks && checkErrors;
            // A GL call with no context current reaches nothing on the host: said once, where it
            // happens, not by what the calls after it would make of a missing context.
            if (range.play != &CPlayback::PlayEglCall && s_hostEglInitialised && !HostCurrentContext()) {
                PlaybackError("call %u %s: no context is current on the host; the call is not played\n",
                              m_callNumber, api->GetName());
                return false;
            }
            result = (this->*range.play)(call, m_checkErrors);
            break;
        }
    if (!result)
        PlaybackLine("Error call:%s %d", api->GetName(), id);
    return result;
}
