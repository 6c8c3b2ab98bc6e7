#pragma once
// The analysis context: a playback that keeps its own copies of the EGL, ES 1.1 and ES 2.0 state the
// host has been brought to, moves to a frame by restoring that frame's recorded state on the host,
// and holds the analysis options, the draw range and budget, the call filters and the frame image
// read back from the host.
#include "AnalysisOptions.h"
#include "FixedDrawSaved.h"
#include "KeptImages.h"
#include "Playback.h"
#include "StartImages.h"
#include "state/EglState.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The most bytes a read-back of the playback surface may take (RGBA: 8192 x 8192).
inline constexpr uint64_t kMaxReadBackBytes = uint64_t(256) << 20;

// The options are fields of the analysis (SAnalysisOptions), read by the pass under their own names.
class CAnalysisPlayback : public CPlayback, public SAnalysisOptions
{
public:
    CAnalysisPlayback();
    // Starts over (StartOver) when a trace was bound.
    ~CAnalysisPlayback();

    // Selects a frame (1 to the trace's count; false otherwise, nothing changed): marks every state
    // dirty, restores when `restore` is 1, and sets the draw range to 1..drawBudget.
    bool GoToFrame(uint32_t frame, uint8_t restore, uint32_t drawBudget);
    // Restores the current frame on the host, then sets the draw range.
    bool SetRange(uint32_t firstDraw, uint32_t lastDraw, uint8_t flag);
    // Rebuilds the frame's EGL state (when dirty) and its ES 1.1 or ES 2.0 state on the host. A
    // restore that throws starts over (StartOver) before the exception goes on.
    bool RestoreStateAtFrame(uint32_t frame);
    // Brings the analysis back to what a new one is, keeping its options, range, filters and frame:
    // nothing current, the host contexts and surfaces of the maps destroyed, every name map and per-context cache emptied, the state copies at their defaults and
    // dirty, the analysis programs and the read-back forgotten. A failed pass ends with it: after a
    // call failed half-way, the copies no longer say what the host holds.
    void StartOver();
    // Sets the option of that key (an EAnalysisOption); false, nothing changed, for a key no option
    // has or a value above the option's largest.
    bool SetOption(uint32_t key, uint32_t value);
    // The same with the value as one byte (what the dock's value box gives).
    bool SetOptionValue(uint32_t key, const uint8_t* value);
    void SetCallFilters(const std::set<uint32_t>& skipPositions, const std::set<uint32_t>& skipIds);
    void Abort() { m_abort = true; }
    // The frame's last call as its closing call: true when it is the frame end (eglSwapBuffers).
    bool FindSwapCall();
    // Reads the playback surface back (RGBA, rows bottom-up); a surface above kMaxReadBackBytes is
    // not read (an ERROR line), and the read-back holds zeros of its size. False, with an ERROR line
    // and an image of zeros, when the surface's size now is not the frame's (the size it had at
    // make-current) or not the size its window was made for: the pixels read would not be the frame.
    bool ReadFrameBuffer();
    // The read-back as RGB, packed from the RGBA one on the first ask after a read.
    bool GetFrameBuffer(uint8_t** rgb, uint32_t* width, uint32_t* height);
    // The read-back as read (RGBA): a viewer converting it to its own format skips the RGB packing.
    bool GetFrameBufferRgba(const uint8_t** rgba, uint32_t* width, uint32_t* height) const;

    // Replays the current frame's calls under the analysis options: 0 error, 1 stopped by the draw
    // budget, 2 reached the frame's eglSwapBuffers, 3 aborted. With showWindow 0 the frame is read
    // back; otherwise the playback window is shown and the swap call played. After an error the
    // analysis has started over (StartOver): no read-back, and the next frame as in a fresh process.
    int32_t Analyse(uint8_t showWindow);
    // Reads every GL error the host holds, each reported as "WHAT NUMBER: GL error 0x..", so that
    // none is charged to a later call.
    void DrainHostErrors(const char* what, uint32_t number);
    // Plays one call with the analysis set-up around a draw and applies its state update to the
    // copy of its API; false on failure (an exception from the player included).
    bool PlayAnalysedCall(STraceCall* call, bool isDraw);
    // Sets the host up for an analysed draw; true when the call is not to be played (a glClear
    // while highlighting).
    bool SetUpAnalysedDraw(STraceCall* call, bool isDraw);
    // Puts back what SetUpAnalysedDraw changed. True.
    bool RestoreAfterDraw(STraceCall* call, bool isDraw);
    // The same for the calls of an ES 1.1 context, whose draws are counted or highlighted through
    // the fixed-function pipeline (AnalysisFixed.cpp); while counting, its clears clear to black.
    bool SetUpEs1AnalysedCall(STraceCall* call, bool isDraw);
    bool RestoreAfterEs1Call(STraceCall* call, bool isDraw);
    // Makes the complexity and highlight programs (a fragment shader each, no link) when the host
    // has none. True.
    bool BuildAnalysisPrograms();
    // Puts the application's vertex shader, attribute bindings and uniform values under the analysis
    // fragment shader and makes that program current: mode 1 complexity, 2 highlight, else nothing.
    void PatchComplexityShader(uint32_t mode);

    uint32_t m_firstCall = 0;  // 0-based index of the current frame's first call
    uint32_t m_endCall = 0;    // one past its last call
    SEglState m_egl;
    SEs1State m_es1;
    SEs2State m_es2;
    uint32_t m_complexityProgram = 0, m_complexityShader = 0, m_highlightProgram = 0, m_highlightShader = 0;
    uint8_t m_programsBuilt = 0;
    uint32_t m_firstDraw = 0, m_lastDraw = 0, m_drawBudget = 0;
    STraceCall* m_swapCall = nullptr;
    uint32_t m_currentFrame = 1;
    uint32_t m_rangeFlag = 1;
    std::unique_ptr<uint8_t[]> m_readBack;  // RGBA
    std::unique_ptr<uint8_t[]> m_readBackRgb;  // packed on demand; stale while m_rgbStale
    bool m_rgbStale = true;
    uint32_t m_readWidth = 0, m_readHeight = 0;
    uint8_t m_highlightThisDraw = 0;
    uint32_t m_drawCounter = 0;
    uint8_t m_eglDirty = 0, m_es1Dirty = 0, m_es2Dirty = 0;
    SEs1ExtensionState m_analysisEs1;
    std::set<uint32_t> m_skipPositions, m_skipIds;
    bool m_analysisCheckErrors = true;
    // The host render state an analysed draw changes, saved around it.
    uint8_t m_savedBlend = 0, m_savedDepthTest = 0, m_savedStencilTest = 0;
    uint32_t m_savedDepthFunc = 0, m_savedBlendEquation = 0, m_savedBlendSrc = 0, m_savedBlendDst = 0;
    uint32_t m_savedProgram = 0;
    // The ES 1.1 analysis draw: its mode (0 none, 1 counting, 2 highlight) and what it changed; a
    // clear colour put aside while a clear clears to black; whether the pass counted draws, whose
    // counts the read-back then maps to the overdraw ramp.
    uint8_t m_fixedMode = 0;
    SFixedDrawSaved m_fixedSaved;
    uint8_t m_clearColorSaved = 0;
    float m_savedClearColor[4] = {};
    uint8_t m_countedDraws = 0;
    // The last restore could not bring the host to its frame (an unknown EGL handle, a rebuild whose
    // replay failed): the pass that follows fails.
    bool m_restoreFailed = false;
    // Told how a rebuild goes before each call it replays: the frame rebuilt, the frame it replays
    // from, the calls played and the calls it plays in all. False cancels the rebuild: the analysis
    // starts over (the images kept so far stay), and the pass that follows ends aborted (3).
    using TRebuildProgress = std::function<bool(uint32_t frame, uint32_t from, uint32_t played, uint32_t total)>;
    TRebuildProgress m_rebuildProgress;
    // The last restore's rebuild was cancelled (by the progress hook, or a quit in a playback window).
    bool m_restoreCancelled = false;

    // The GPU-made images kept from the frame starts rebuilds passed (budget: SetOptionValue).
    const CKeptImages& KeptImages() const { return m_kept; }

private:
    // Whether the current read surface has the frame's size and the size its window was made for;
    // an ERROR line when not.
    bool SurfaceHoldsTheFrame() const;
    bool RestoreFrame(uint32_t frame);
    // Restores the frame's recorded state as it stands (what RestoreFrame does for a frame whose
    // textures all come from the trace).
    bool RestoreRecordedState(uint32_t frame);
    // Restores a Covered frame (StartImages.h) after checking on the host that its draws cover the
    // GPU-made images they write first: the frame's start restored, the images filled with a marker,
    // the frame played up to its last such draw and each read back after its draw, then the start
    // restored again (only what the calls changed is sent). False, with the host anywhere, when a
    // marker was left or the check could not be made: the frame is then rebuilt. The verdict is kept
    // per frame.
    bool RestoreCovered(uint32_t frame);
    // Whether the pass to come plays the frame's calls as recorded, so that draws the host found
    // covering their images cover them in the pass too: no option that changes what a draw writes,
    // no draw left out before the range, no call of the frame skipped.
    bool PassDrawsAsRecorded(uint32_t frame) const;
    // How a restore brought the host to its frame, as the Output says it.
    enum class EHowRestored : uint8_t
    {
        AsRecorded,
        Checked,   // as recorded, the draws that write GPU-made images first checked on the host
        Rebuilt,   // replayed from frame `from`, restored as recorded
        FromKept,  // replayed from frame `from`, started from its kept images
    };
    // The Output's line on how `frame` was restored, once per frame: a restore of the frame the last
    // line named says nothing.
    void SayHowRestored(uint32_t frame, EHowRestored how, uint32_t from);
    // The latest frame after `low` and before `frame` whose start the host has checked (Covered, and
    // its draws cover their images), checking the latest ones not checked yet; `low` when none is.
    uint32_t CheckedStart(uint32_t frame, uint32_t low);
    // What the frame does with the GPU-made images it starts with (StartImages.h), worked out once;
    // Read for a frame drawn into a pbuffer (SurfacesRestored false).
    EStartImages StartImagesOf(uint32_t frame);
    // Whether the tracked state holds the frame's current surfaces (not a pbuffer).
    bool SurfacesRestored(uint32_t frame);
    // The latest frame after `low` and before `frame` whose start the restore gives whole as the
    // application had it (it holds no GPU-made image, or rewrites each before reading it, and no
    // pbuffer is current); `low`
    // when there is none. Replaying from its start up to `frame` makes the images as the
    // application made them.
    uint32_t SoundStart(uint32_t frame, uint32_t low);
    // Brings the host to `frame` by restoring frame `from` and playing every call from there up to
    // `frame`'s first: in a fresh analysis, or (fromKept) over what the host holds with the images
    // kept at `from` sent. Keeps the images of the frame starts it passes. False when a call
    // failed (the analysis then starts over).
    bool RebuildByReplay(uint32_t from, bool fromKept, uint32_t frame);
    // Between two calls of a rebuild: serves the playback windows and asks the progress hook; false
    // when the rebuild is to stop (m_restoreCancelled is then set).
    bool RebuildGoesOn(uint32_t frame, uint32_t from, uint32_t played, uint32_t total);
    // Reads back and keeps the GPU-made images at frame k's start (states: the tracked ones there),
    // when the budget leaves room for them beside the frames nearer `frame` that the rebuild keeps.
    void KeepImagesAt(uint32_t k, uint32_t frame, const SEglState& egl, const SEs1State& es1, const SEs2State& es2);

    // Forgets what the ES copies say the host contexts hold (they are made dirty), the ES 1.1
    // vertex-array names, the analysis programs and the draws' cached index ranges. (The other name
    // maps go with their contexts' share groups.)
    void ForgetContextObjects();
    int32_t AnalyseFrame(uint8_t showWindow);

    // What an analysis program was last linked with: relinking costs far more than a draw, so it
    // is linked again only when the vertex shader (its name or its source) or the attribute
    // bindings differ.
    struct SLinkedWith
    {
        bool valid = false;
        uint32_t vertexShader = 0;
        const char* source = nullptr;
        std::vector<std::pair<uint32_t, std::string>> bindings;
        bool operator==(const SLinkedWith&) const = default;
    };
    SLinkedWith m_linkedWith[2];  // complexity, highlight
    // Per frame of m_startImagesTrace: 0 not known yet, else its EStartImages value.
    std::vector<uint8_t> m_startImages;
    // Per frame of m_startImagesTrace: 0 not checked yet, 1 its draws covered their images, 2 not.
    std::vector<uint8_t> m_covered;
    const CTraceData* m_startImagesTrace = nullptr;
    CKeptImages m_kept;
    // The frame the Output last said the way of restore for, and its trace.
    uint32_t m_saidFrame = 0;
    const CTraceData* m_saidTrace = nullptr;
};
