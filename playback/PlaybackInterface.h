#pragma once
// The views' only door to replay and analysis. PlaybackInterface binds a plain playback to an open
// trace; CAnalysisInterface adds an owned analysis and the wrappers the image-analysis dock calls.
// Without an analysis object (no trace bound, or one recorded without data) every wrapper does
// nothing and returns its neutral result: false, 0 or nothing. Everything runs on the GUI thread.
#include "analysis/AnalysisOptions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>

class CTraceData;
class CPlayback;
class CAnalysisPlayback;

class PlaybackInterface
{
public:
    PlaybackInterface();
    // Deletes the playback, then closes the reader's loaded trace (which owns the trace data).
    virtual ~PlaybackInterface();
    PlaybackInterface(const PlaybackInterface&) = delete;
    PlaybackInterface& operator=(const PlaybackInterface&) = delete;

    // Binds the trace to the playback (made on first use).
    virtual void SetTrace(CTraceData* trace);
    // Deletes the playback; rewinds the bound trace.
    virtual void Release();

    CTraceData* m_trace = nullptr;
    std::unique_ptr<CPlayback> m_playback;
};

class CAnalysisInterface : public PlaybackInterface
{
public:
    CAnalysisInterface();
    ~CAnalysisInterface() override;

    void Release() override;

    // Binds the trace for analysis: the old analysis object goes; a new one is made for a trace
    // recorded with data (otherwise an ERROR line gives the reason, kRecordedWithoutData).
    void SetTraceForAnalysis(CTraceData* trace);
    bool GoToFrame(uint32_t frame, uint32_t drawBudget);
    bool SetRange(uint32_t firstDraw, uint32_t lastDraw, uint8_t flag);
    // key: an EAnalysisOption; false for a key no option has, a value above its largest, or
    // without an analysis.
    bool SetOption(uint32_t key, uint32_t value);
    // The same with the value as one byte.
    bool SetOptionValue(uint32_t key, const uint8_t* value);
    void SetCallFilters(const std::set<uint32_t>& skipPositions, const std::set<uint32_t>& skipIds);
    // Told how a rebuild goes before each call it replays (frame, the frame it replays from, calls
    // played, calls in all); false cancels it, and the pass then ends aborted (3). Kept for the
    // analyses of later traces.
    using TRebuildProgress = std::function<bool(uint32_t frame, uint32_t from, uint32_t played, uint32_t total)>;
    void SetRebuildProgress(TRebuildProgress progress);
    // 0 error, 1 stopped by the draw budget, 2 reached eglSwapBuffers, 3 aborted. After an error the
    // analysis is as a new one: GetFrameBuffer has no image until a pass succeeds.
    int32_t Analyse(uint8_t showWindow);
    void Abort();
    // The read-back (RGB, rows bottom-up) and its size; false, outputs untouched, without one.
    bool GetFrameBuffer(uint8_t** rgb, uint32_t* width, uint32_t* height);
    // The same read-back as read from the host, RGBA, for a viewer that converts it itself.
    bool GetFrameBufferRgba(const uint8_t** rgba, uint32_t* width, uint32_t* height) const;

    CAnalysisPlayback* Analysis() const { return m_analysis.get(); }

private:
    std::unique_ptr<CAnalysisPlayback> m_analysis;
    TRebuildProgress m_rebuildProgress;
};
