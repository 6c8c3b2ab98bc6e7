// The analysis set-up around the calls of an ES 1.1 context. Its draws have no program to put the
// complexity or highlight shader under: they are counted or highlighted through the
// fixed-function pipeline instead (FixedAnalysisDraw.h), and the counts read back are mapped to the
// ES 2.0 pass's ramp. Clears are played (the ES 2.0 highlight leaves out only ES 2.0 clears).
#include "AnalysisPlayback.h"
#include "FixedAnalysisDraw.h"
#include "host/WireframeSwitch.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

namespace {

constexpr uint16_t kEs1Clear = CallIdOf(ECallFamily::Es1, "glClear");

// The wireframe switch lives in the ES 2.0 table and serves both APIs.
void Wireframe(bool on)
{
    SEs2Host& gl = *SEs2Host::Instance();
    if (gl.Mirbex_ToggleWireframe)
        gl.Mirbex_ToggleWireframe(on ? 1 : 0);
    else if (on)
        WireframeSwitchMissing();
}

} // namespace

bool CAnalysisPlayback::SetUpEs1AnalysedCall(STraceCall* call, bool isDraw)
{
    SEs1Host& gl = *SEs1Host::Instance();
    m_fixedMode = 0;
    if (isDraw) {
        if (m_complexity)
            m_fixedMode = 1;
        else if (m_highlightThisDraw == 1 && m_highlight)
            m_fixedMode = 2;
        if (m_fixedMode)
            SetUpFixedAnalysisDraw(gl, m_fixedMode, m_fixedSaved);
        m_countedDraws = m_countedDraws || m_fixedMode == 1;
        if (m_wireframe)
            Wireframe(true);
    } else if (m_complexity && call->call->GetId() == kEs1Clear) {
        XQF_HOST(gl, glGetFloatv)(GL_COLOR_CLEAR_VALUE, m_savedClearColor);
        XQF_HOST(gl, glClearColor)(0, 0, 0, 0);
        m_clearColorSaved = 1;
    }
    return false;
}

bool CAnalysisPlayback::RestoreAfterEs1Call(STraceCall*, bool isDraw)
{
    SEs1Host& gl = *SEs1Host::Instance();
    if (m_clearColorSaved) {
        const float* c = m_savedClearColor;
        XQF_HOST(gl, glClearColor)(c[0], c[1], c[2], c[3]);
        m_clearColorSaved = 0;
    }
    if (!isDraw)
        return true;
    if (m_fixedMode)
        RestoreFixedAnalysisDraw(gl, m_fixedSaved);
    m_fixedMode = 0;
    if (m_wireframe)
        Wireframe(false);
    return true;
}
