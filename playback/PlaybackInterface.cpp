#include "PlaybackInterface.h"

#include "Diagnostics.h"
#include "PlayableTrace.h"
#include "Playback.h"
#include "analysis/AnalysisPlayback.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <cstdio>
#include <utility>

PlaybackInterface::PlaybackInterface() = default;

PlaybackInterface::~PlaybackInterface()
{
    m_playback.reset();
    CTraceReader::Instance().Close();
}

void PlaybackInterface::SetTrace(CTraceData* trace)
{
    m_trace = trace;
    if (!m_playback)
        m_playback = std::make_unique<CPlayback>();
    m_playback->BindTrace(trace);
}

void PlaybackInterface::Release()
{
    m_playback.reset();
    if (m_trace)
        m_trace->Rewind();
}

CAnalysisInterface::CAnalysisInterface() = default;

CAnalysisInterface::~CAnalysisInterface()
{
    m_analysis.reset();  // before the base closes the trace it points into
}

void CAnalysisInterface::Release()
{
    PlaybackInterface::Release();
    m_analysis.reset();
}

void CAnalysisInterface::SetTraceForAnalysis(CTraceData* trace)
{
    m_trace = trace;
    m_analysis.reset();
    if (!trace)
        return;
    if (!TracePlayable(*trace)) {
        PlaybackError("%s\n", kRecordedWithoutData);
        return;
    }
    m_analysis = std::make_unique<CAnalysisPlayback>();
    m_analysis->BindTrace(trace);
    m_analysis->m_rebuildProgress = m_rebuildProgress;
}

void CAnalysisInterface::SetRebuildProgress(TRebuildProgress progress)
{
    m_rebuildProgress = std::move(progress);
    if (m_analysis)
        m_analysis->m_rebuildProgress = m_rebuildProgress;
}

bool CAnalysisInterface::GoToFrame(uint32_t frame, uint32_t drawBudget)
{
    return m_analysis && m_analysis->GoToFrame(frame, 0, drawBudget);
}

bool CAnalysisInterface::SetRange(uint32_t firstDraw, uint32_t lastDraw, uint8_t flag)
{
    return m_analysis && m_analysis->SetRange(firstDraw, lastDraw, flag);
}

bool CAnalysisInterface::SetOption(uint32_t key, uint32_t value)
{
    return m_analysis && m_analysis->SetOption(key, value);
}

bool CAnalysisInterface::SetOptionValue(uint32_t key, const uint8_t* value)
{
    return m_analysis && m_analysis->SetOptionValue(key, value);
}

void CAnalysisInterface::SetCallFilters(const std::set<uint32_t>& skipPositions, const std::set<uint32_t>& skipIds)
{
    if (m_analysis)
        m_analysis->SetCallFilters(skipPositions, skipIds);
}

int32_t CAnalysisInterface::Analyse(uint8_t showWindow)
{
    return m_analysis ? m_analysis->Analyse(showWindow) : 0;
}

void CAnalysisInterface::Abort()
{
    if (m_analysis)
        m_analysis->Abort();
}

bool CAnalysisInterface::GetFrameBuffer(uint8_t** rgb, uint32_t* width, uint32_t* height)
{
    return m_analysis && m_analysis->GetFrameBuffer(rgb, width, height);
}

bool CAnalysisInterface::GetFrameBufferRgba(const uint8_t** rgba, uint32_t* width, uint32_t* height) const
{
    return m_analysis && m_analysis->GetFrameBufferRgba(rgba, width, height);
}
