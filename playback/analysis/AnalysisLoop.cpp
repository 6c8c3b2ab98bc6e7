// The analysis loop: the current frame's calls replayed on the host with the draw budget, the draw
// range left out or highlighted, the overdraw picture and wireframe applied around each draw.
#include "AnalysisPlayback.h"
#include "ComplexityRamp.h"

#include "Diagnostics.h"
#include "host/HostTables.h"
#include "host/WireframeSwitch.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <exception>

namespace {

constexpr uint16_t kEglSwapBuffers = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");
constexpr uint16_t kGlClear = CallIdOf(ECallFamily::Es2, "glClear");

uint32_t HostInt(SEs2Host& gl, GLenum pname)
{
    GLint v = 0;
    XQF_HOST(gl, glGetIntegerv)(pname, &v);
    return uint32_t(v);
}

// The abort check before a call: the playback windows' messages served, then the flag read.
bool Aborted(CAnalysisPlayback& a)
{
    if (PumpPlaybackWindows(a.m_windows) && !a.m_abort)
        return false;
    PlaybackLine("CAnalysisPlayback::Analyse: USER_ABORTED");
    return true;
}

} // namespace

// A pass that fails leaves the analysis as a new one (StartOver): the next frame's image is the one a
// fresh analysis gives.
int32_t CAnalysisPlayback::Analyse(uint8_t showWindow)
{
    const int32_t result = AnalyseFrame(showWindow);
    if (result == 0 && m_trace)
        StartOver();
    else if (m_trace)
        DrainHostErrors("Analysis of frame", m_currentFrame);  // never charged to the next pass's calls
    return result;
}

int32_t CAnalysisPlayback::AnalyseFrame(uint8_t showWindow)
{
    m_abort = false;
    if (!m_trace) {
        PlaybackError("TraceData is not asigned\n");
        return 0;
    }
    if (m_restoreCancelled)
        return 3;  // the frame was never reached: nothing to read back, and no failure
    if (m_restoreFailed) {
        PlaybackError("Frame %u could not be restored\n", m_currentFrame);
        return 0;
    }
    int32_t result = 0;
    try {
        SEs2Host& gl = *SEs2Host::Instance();  // throws without a host ES 2.0 library
        uint32_t remaining = m_drawBudget;
        if (m_complexity)
            XQF_HOST(gl, glClearColor)(0, 0, 0, 0);
        m_drawCounter = 0;
        m_countedDraws = 0;
        bool drew = false;
        for (uint32_t p = 1;; ++p) {
            if (remaining == 0) {
                // Nothing drawn: black, as a frame without draws ends; never the picture an earlier
                // pass left on the surface.
                if (!drew) {
                    XQF_HOST(gl, glClearColor)(0, 0, 0, 0);
                    XQF_HOST(gl, glClear)(GL_COLOR_BUFFER_BIT);
                }
                result = 1;
                break;
            }
            if (Aborted(*this))
                return 3;
            // The call's number in the trace (1-based), as GetCall takes it and as the skip
            // positions hold it.
            const uint32_t number = m_firstCall + p;
            STraceCall* call = m_trace->GetCall(number);
            if (!call || number > m_endCall)
                return 0;
            const uint16_t id = uint16_t(call->call->GetId());
            bool play = true;
            bool isDraw = false;
            if (IsDrawCall(id)) {
                const uint32_t n = ++m_drawCounter;
                const bool inside = n >= m_firstDraw && n <= m_lastDraw;
                if (m_rangeMode && m_highlight) {
                    m_highlightThisDraw = !inside;
                } else if (m_rangeMode) {
                    play = !inside;
                } else if (m_highlight) {
                    m_highlightThisDraw = inside;
                } else if (n < m_firstDraw) {
                    play = false;
                } else if (n == m_lastDraw) {
                    remaining = 1;
                }
                if (m_complexity)
                    m_highlightThisDraw = 0;
                --remaining;
                isDraw = true;
            }
            if (id == kEglSwapBuffers) {
                if (!drew) {
                    XQF_HOST(gl, glClearColor)(0, 0, 0, 0);
                    XQF_HOST(gl, glClear)(GL_COLOR_BUFFER_BIT);
                }
                result = 2;
                break;
            }
            if (!play)
                continue;
            if (Aborted(*this))
                return 3;
            if (isDraw)
                drew = true;
            if ((!m_skipPositions.empty() && m_skipPositions.count(number)) ||
                (!m_skipIds.empty() && m_skipIds.count(id)))
                continue;
            if (!PlayAnalysedCall(call, isDraw)) {
                PlaybackError("Problem calling call\n");
                return 0;
            }
        }
        if (showWindow == 0) {
            if (!ReadFrameBuffer())
                return 0;
            if (m_countedDraws)
                MapComplexityCounts(m_readBack.get(), size_t(m_readWidth) * m_readHeight, 4, m_increment);
            return result;
        }
        if (!m_swapCall)
            FindSwapCall();
        ShowPlaybackWindow(GetNativeWindow());
        PlayCall(m_swapCall, 1);
    } catch (const std::exception& e) {
        PlaybackError("%s\n", e.what());
        return 0;
    }
    return result;
}

bool CAnalysisPlayback::PlayAnalysedCall(STraceCall* call, bool isDraw)
{
    bool skip = false;
    bool result = true;
    const uint8_t kind = call->call->GetStateKind();
    auto markDirty = [&] {
        if (kind == kApiEgl)
            m_eglDirty = 1;
        else if (IsEs1StateKind(kind))
            m_es1Dirty = 1;
        else if (IsEs2StateKind(kind))
            m_es2Dirty = 1;
    };
    // A player that throws stopped half-way: the host's state is no longer known to equal the copy,
    // so the next restore rebuilds it; the analysis set-up is put back first.
    auto failed = [&](const char* text) {
        PlaybackError("%s: %s\n", call->call->GetName(), text);
        markDirty();
        try {
            RestoreAfterDraw(call, isDraw);
        } catch (...) {
        }
        return false;
    };
    try {
        skip = SetUpAnalysedDraw(call, isDraw);
        if (!skip)
            result = PlayCall(call, m_analysisCheckErrors);
    } catch (const std::exception& e) {
        return failed(e.what());
    }
    RestoreAfterDraw(call, isDraw);
    if (result && !skip) {
        // The loader's rule: the copy of the call's API, never for a call that recorded an error.
        if (kind == kApiEgl)
            call->call->ApplyEffect(&m_egl, call->frame);
        else if (IsEs1StateKind(kind))
            call->call->ApplyEffect(&m_es1, call->frame);
        else if (IsEs2StateKind(kind))
            call->call->ApplyEffect(&m_es2, call->frame);
        markDirty();
    }
    return result;
}

bool CAnalysisPlayback::SetUpAnalysedDraw(STraceCall* call, bool isDraw)
{
    if (IsEs1StateKind(call->call->GetApiKind()))
        return SetUpEs1AnalysedCall(call, isDraw);
    if (isDraw) {
        SEs2Host& gl = *SEs2Host::Instance();
        if (m_highlightThisDraw == 1 && m_highlight) {
            m_savedBlend = XQF_HOST(gl, glIsEnabled)(GL_BLEND) == 1;
            m_savedDepthTest = XQF_HOST(gl, glIsEnabled)(GL_DEPTH_TEST) == 1;
            m_savedBlendSrc = HostInt(gl, GL_BLEND_SRC_RGB);
            m_savedBlendDst = HostInt(gl, GL_BLEND_DST_RGB);
            XQF_HOST(gl, glEnable)(GL_BLEND);
            XQF_HOST(gl, glDisable)(GL_DEPTH_TEST);
            XQF_HOST(gl, glBlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            PatchComplexityShader(2);
        }
        if (m_wireframe && gl.Mirbex_ToggleWireframe)
            gl.Mirbex_ToggleWireframe(1);
        else if (m_wireframe)
            WireframeSwitchMissing();
        if (m_complexity) {
            m_savedBlend = XQF_HOST(gl, glIsEnabled)(GL_BLEND) == 1;
            m_savedDepthFunc = HostInt(gl, GL_DEPTH_FUNC);
            m_savedBlendEquation = HostInt(gl, GL_BLEND_EQUATION);
            m_savedBlendSrc = HostInt(gl, GL_BLEND_SRC_RGB);
            m_savedBlendDst = HostInt(gl, GL_BLEND_DST_RGB);
            m_savedStencilTest = XQF_HOST(gl, glIsEnabled)(GL_STENCIL_TEST) == 1;
            XQF_HOST(gl, glEnable)(GL_BLEND);
            XQF_HOST(gl, glDepthFunc)(GL_LEQUAL);
            XQF_HOST(gl, glBlendEquation)(GL_FUNC_ADD);
            XQF_HOST(gl, glBlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            XQF_HOST(gl, glDisable)(GL_STENCIL_TEST);
            PatchComplexityShader(1);
        }
    }
    return m_highlight && call->call->GetId() == kGlClear;
}

bool CAnalysisPlayback::RestoreAfterDraw(STraceCall* call, bool isDraw)
{
    if (IsEs1StateKind(call->call->GetApiKind()))
        return RestoreAfterEs1Call(call, isDraw);
    if (!isDraw)
        return true;
    SEs2Host& gl = *SEs2Host::Instance();
    if (m_highlightThisDraw == 1 && m_highlight) {
        if (!m_savedBlend)
            XQF_HOST(gl, glDisable)(GL_BLEND);
        if (m_savedDepthTest)
            XQF_HOST(gl, glEnable)(GL_DEPTH_TEST);
        XQF_HOST(gl, glBlendFunc)(m_savedBlendSrc, m_savedBlendDst);
        XQF_HOST(gl, glUseProgram)(m_savedProgram);
    }
    if (m_complexity) {
        if (!m_savedBlend)
            XQF_HOST(gl, glDisable)(GL_BLEND);
        XQF_HOST(gl, glDepthFunc)(m_savedDepthFunc);
        XQF_HOST(gl, glBlendEquation)(m_savedBlendEquation);
        XQF_HOST(gl, glBlendFunc)(m_savedBlendSrc, m_savedBlendDst);
        if (m_savedStencilTest)
            XQF_HOST(gl, glEnable)(GL_STENCIL_TEST);
        XQF_HOST(gl, glUseProgram)(m_savedProgram);
    }
    if (m_wireframe && gl.Mirbex_ToggleWireframe)
        gl.Mirbex_ToggleWireframe(0);
    return true;
}
