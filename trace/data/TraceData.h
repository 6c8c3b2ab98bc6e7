#pragma once
// The in-memory trace: every call in file order, cut into frames at each eglSwapBuffers, with
// the EGL, ES 1.1 and ES 2.0 state tracked call by call. The states at a frame's start are a
// snapshot taken at a frame cut with the calls since then replayed on it: a cut takes a snapshot
// only once enough calls have passed to pay for its size, so traces of many short frames keep a
// few bytes of snapshot a call. Frame and call numbers are 1-based; state-at-call takes a
// 0-based index.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "apicall/CallArena.h"
#include "data/CallHandle.h"
#include "state/EglState.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

class CApiCall;
class CFileMapping;
class CGenCallInfo;

// The three states at a frame cut. A snapshot is immutable once taken; one that did not change
// since the previous set is shared with it.
struct SFrameStates
{
    std::shared_ptr<const SEglState> egl;
    std::shared_ptr<const SEs1State> es1;
    std::shared_ptr<const SEs2State> es2;
};

struct STraceFrame
{
    static constexpr uint32_t kOpenEnd = 0xFFFFFFFFu;

    uint32_t number = 0;
    uint32_t firstCall = 0;     // 0-based index of the first call
    uint32_t endCall = kOpenEnd;  // one past the last call; kOpenEnd while the frame has no call
    // The frame starts with `states` and the effects of the calls [statesAt, firstCall) (0-based):
    // statesAt is firstCall when the set is the frame's own. Owned by the trace data; frames share
    // the newest set taken, so a frame record stays small in traces of many short frames.
    uint32_t statesAt = 0;
    const SFrameStates* states = nullptr;

    // The states at the frame's start as kept; null when the frame has no set of its own (the
    // trace's GetFrameEglState etc. make them).
    const SEglState* Egl() const { return HoldsStates() ? states->egl.get() : nullptr; }
    const SEs1State* Es1() const { return HoldsStates() ? states->es1.get() : nullptr; }
    const SEs2State* Es2() const { return HoldsStates() ? states->es2.get() : nullptr; }
    bool HoldsStates() const { return states && statesAt == firstCall; }
};

struct STraceCall
{
    STraceCall(uint32_t frame, std::unique_ptr<CApiCall> c, uint8_t f);
    STraceCall(uint32_t frame, CCallHandle c, uint8_t f);
    STraceCall(STraceCall&&) noexcept;
    STraceCall& operator=(STraceCall&&) noexcept;
    ~STraceCall();

    // The call's description, created on first use with the verbose listing.
    CGenCallInfo* GetCallInfo();

    // An entry is paid once per call: the frame and the flag share one word, the call takes another.
    uint32_t frame : 31;  // number of the frame the call belongs to (not 16 bits: long traces do not wrap)
    uint32_t flags : 1;   // bit 0: read outside a marker section
    CCallHandle call;     // owns the call and its description
};

class CTraceData
{
public:
    CTraceData();
    ~CTraceData();
    CTraceData(const CTraceData&) = delete;
    CTraceData& operator=(const CTraceData&) = delete;

    // Filling.
    void Reset();
    void Clear();
    void Init(uint64_t fileSize, uint8_t recordedWithData, uint8_t frameImage);
    // Takes ownership of call (null is ignored). frame 0: the cursor frame's number.
    // The call's UpdateState result decides whether the next frame cut copies that API's state:
    // a state update returns true whenever it may have changed the record (an entry made by
    // find-or-add included), false only when it left it untouched; untouched states are shared.
    void AddCall(CApiCall* call, uint32_t frame, uint8_t inSection);
    // Off: AddCall applies no state update (to measure what tracking costs a load).
    void SetStateTracking(bool on) { m_stateTracking = on; }
    // Notes a call of that state kind past the calls kept (a limited load): HasEs1 and HasEs2 say
    // it as for the calls added.
    void NoteStateKind(uint8_t kind);
    // Gives back the room reserved for calls that never came (after the last AddCall).
    void Compact();
    // The mapping of the trace file the calls' captured bytes point into (null: they are all
    // copies). The trace keeps it alive as long as its calls.
    void SetCapturedBytesSource(std::shared_ptr<CFileMapping> mapping);
    // Whether the captured bytes are still those the load read: false once the trace file was cut
    // or rewritten (the bytes then show as unavailable until the trace is read again).
    bool CapturedBytesIntact() const;
    // Removes frame `frame` and every later one with their calls. The first frame is never
    // removed (false for 0, 1 and numbers past the end); counts, the new last frame and the
    // running states stay consistent with the calls that remain.
    bool DropFramesFrom(uint32_t frame);

    // Queries.
    int32_t GetFrameCount() const;
    uint32_t GetFrameRecordCount() const { return static_cast<uint32_t>(m_frames.size()); }
    uint32_t GetCallCount() const { return m_callCount; }
    STraceFrame* GetFrame(uint32_t frame);
    STraceCall* GetCall(uint32_t call);
    // The number GetCall gives `call` under (0: a call this trace does not hold).
    uint32_t NumberOf(const STraceCall* call) const;
    STraceFrame* GetCurrentFrame();
    int32_t GetCurrentFrameNumber() const;
    int32_t GetCurrentCallNumber() const { return static_cast<int32_t>(m_currentCall + 1); }
    uint32_t GetCurrentFrameCallCount() const;
    uint8_t IsRecordedWithData() const { return m_recordedWithData; }
    uint8_t GetFrameImageFlag() const { return m_frameImage; }
    // Whether the trace holds calls applied to the ES 1.1 or ES 2.0 state.
    bool HasEs1() const { return m_hasEs1; }
    bool HasEs2() const { return m_hasEs2; }

    // Cursor.
    void Rewind();
    // Frames 1 to GetFrameCount(); false for any other number, or for the cursor frame itself
    // unless moveToStart.
    bool SetCurrentFrame(uint32_t frame, bool moveToStart);
    void RewindFrame();
    // The next call of the cursor frame; null at the frame's end (it never crosses frames).
    STraceCall* GetNextCall();

    // States at a frame's start (copies into out, replaying the calls since the frame's set).
    bool GetFrameEglState(uint32_t frame, SEglState* out) const;
    bool GetFrameEs1State(uint32_t frame, SEs1State* out) const;
    bool GetFrameEs2State(uint32_t frame, SEs2State* out) const;
    // The state just before the call at 0-based index; false past the last call.
    bool GetEs1StateAtCall(int32_t index, SEs1State* out);
    bool GetEs2StateAtCall(int32_t index, SEs2State* out);

    // Replays the ES 1.1 and ES 2.0 states over the calls [first, end) (0-based indexes, end at
    // most the call count), from the states of the frame that holds `first`: visit(index, es1,
    // es2) sees each call of the range with the states just before it, then index `end` with the
    // states after the range. Neither the running states nor the cursor move.
    using TStatesVisit = std::function<void(uint32_t index, const SEs1State& es1, const SEs2State& es2)>;
    void WalkStates(uint32_t first, uint32_t end, const TStatesVisit& visit);

    // Where the loader makes the trace's call objects (they are owned by the trace all the same).
    CCallArena& Arena() { return m_arena; }

    // The running states (after the last call added).
    const SEglState& RunningEglState() const { return *m_egl; }
    const SEs1State& RunningEs1State() const { return *m_es1; }
    const SEs2State& RunningEs2State() const { return *m_es2; }

private:
    void Apply(CApiCall& call, uint32_t frame);
    void CutFrame();
    int64_t SnapshotBytes() const;
    // Applies the effects of the calls [from, to) whose state kind `applies` takes to *state, each
    // with its own frame number.
    template <class State>
    void Replay(State* state, uint32_t from, uint32_t to, bool (*applies)(uint8_t kind)) const;
    void RebuildRunningStates();
    const STraceFrame* FrameAt(uint32_t frame) const;
    template <class State>
    bool StateAtCall(int32_t index, State* out, bool hasApi, bool (*applies)(uint8_t kind),
                     std::shared_ptr<const State> SFrameStates::*snapshot);

    // Declared first: destroyed after the calls that point into it.
    std::shared_ptr<CFileMapping> m_capturedBytes;
    std::vector<STraceFrame> m_frames;
    // The state sets the frames point at, in the order of the frames that first took them.
    std::vector<std::unique_ptr<SFrameStates>> m_states;
    // Declared before the calls: the call objects in it are destroyed before it.
    CCallArena m_arena;
    std::vector<STraceCall> m_calls;
    size_t m_cursorFrame = 0;  // index into m_frames
    uint32_t m_currentCall = 0;
    uint32_t m_nextCall = 0;
    uint32_t m_callCount = 0;
    std::unique_ptr<SEglState> m_egl;
    std::unique_ptr<SEs1State> m_es1;
    std::unique_ptr<SEs2State> m_es2;
    // Whether a call changed each running state since the newest set: a set copies only the
    // states that changed and shares the rest.
    bool m_eglChanged = false;
    bool m_es1Changed = false;
    bool m_es2Changed = false;
    // The newest set holds the states before this call (0-based).
    uint32_t m_setAt = 0;
    // Bytes a set may still take: it grows with every call added (up to a cap) and pays for the
    // sets and for the copies the running states make of what a set shares with them.
    int64_t m_snapshotCredit = 0;
    bool m_stateTracking = true;
    bool m_hasEs1 = false;
    bool m_hasEs2 = false;
    uint8_t m_recordedWithData = 0;
    uint8_t m_frameImage = 0;
};
