#include "data/TraceData.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <new>

#include "apicall/ApiCall.h"
#include "apicall/CallFactory.h"
#include "stream/FileMapping.h"
#include "apicall/CallInfo.h"
#include "record/XqftError.h"

STraceCall::STraceCall(uint32_t f, std::unique_ptr<CApiCall> c, uint8_t fl)
    : frame(f & 0x7FFFFFFFu), flags(fl & 1u), call(std::move(c))
{
}
STraceCall::STraceCall(uint32_t f, CCallHandle c, uint8_t fl) : frame(f & 0x7FFFFFFFu), flags(fl & 1u), call(std::move(c)) {}
static_assert(sizeof(STraceCall) <= 8, "a call entry is paid once per call");
static_assert(sizeof(STraceFrame) <= 24, "a frame record is paid once per frame");
STraceCall::STraceCall(STraceCall&&) noexcept = default;
STraceCall& STraceCall::operator=(STraceCall&&) noexcept = default;
STraceCall::~STraceCall() = default;

namespace {
// The snapshot budget: a set is taken at a frame cut once the credit pays for it. Every call adds
// kSnapshotBytesPerCall, up to kMostSnapshotCredit, which a new trace starts with (a short trace
// keeps every frame's states). Past kMostCallsReplayed calls a cut takes a set whatever it costs,
// so the replay behind a frame's states stays short.
constexpr int64_t kSnapshotBytesPerCall = 4;
constexpr int64_t kMostSnapshotCredit = 256 << 10;
constexpr uint32_t kMostCallsReplayed = 4096;
// An allocation's header and the shared count of a snapshot, beyond its size.
constexpr int64_t kAllocationBytes = 32;

// Gives the whole pages of a list's room past its last entry back to the system, keeping the room:
// they read as zeros if entries come later. The load reserves the call list from the file's size,
// and shrinking it to fit would copy every entry: a second list, its size again, at the end of
// every load.
template <class T>
void GiveBackRoom(const std::vector<T>& list)
{
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE));
    const auto used = reinterpret_cast<uintptr_t>(list.data() + list.size());
    const auto room = reinterpret_cast<uintptr_t>(list.data() + list.capacity());
    const uintptr_t from = (used + page - 1) / page * page, to = room / page * page;
    if (list.data() && to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

bool IsEglStateKind(uint8_t kind)
{
    return kind == kApiEgl;
}

int64_t OwnedBytes(const SEs1State& s)
{
    int64_t bytes = 0;
    for (const SEs1MatrixStack& stack : s.matrixStacks)
        bytes += int64_t(stack.below.capacity() * sizeof(SEs1Matrix));
    return bytes;
}
} // namespace

CGenCallInfo* STraceCall::GetCallInfo()
{
    if (!call.Info() && call) {
        auto created = std::make_unique<CGenCallInfo>();
        call->ListArguments(created.get(), 1);
        call.SetInfo(std::move(created));
    }
    return call.Info();
}

CTraceData::CTraceData()
    : m_egl(std::make_unique<SEglState>()), m_es1(std::make_unique<SEs1State>()),
      m_es2(std::make_unique<SEs2State>())
{
    Reset();
}

CTraceData::~CTraceData() = default;

void CTraceData::Clear()
{
    m_frames.clear();
    m_calls.clear();
    m_arena.Release();
    m_states.clear();
    m_cursorFrame = 0;
}

void CTraceData::Reset()
{
    Clear();
    *m_egl = SEglState();
    *m_es1 = SEs1State();
    *m_es2 = SEs2State();
    STraceFrame first;
    first.number = 1;
    first.firstCall = 0;
    first.statesAt = 0;
    auto states = std::make_unique<SFrameStates>();
    states->egl = std::make_shared<const SEglState>(*m_egl);
    states->es1 = std::make_shared<const SEs1State>(*m_es1);
    states->es2 = std::make_shared<const SEs2State>(*m_es2);
    first.states = states.get();
    m_states.push_back(std::move(states));
    m_frames.push_back(first);
    m_cursorFrame = 0;
    m_currentCall = m_nextCall = m_callCount = 0;
    m_eglChanged = m_es1Changed = m_es2Changed = false;
    m_setAt = 0;
    m_snapshotCredit = kMostSnapshotCredit;
    m_hasEs1 = m_hasEs2 = false;
    m_frameImage = 0;
}

void CTraceData::Init(uint64_t fileSize, uint8_t recordedWithData, uint8_t frameImage)
{
    // 40 bytes is the usual size of a call record. Traces whose bulk is captured images hold far
    // fewer calls, so the guess is capped and the list grows past it when it must.
    constexpr uint64_t kMostReserved = 1u << 20;
    m_calls.reserve(static_cast<size_t>(std::min<uint64_t>(fileSize / 40, kMostReserved)));
    m_recordedWithData = recordedWithData;
    m_frameImage = frameImage;
}

void CTraceData::AddCall(CApiCall* rawCall, uint32_t frame, uint8_t inSection)
{
    if (!rawCall)
        return;
    std::unique_ptr<CApiCall> call(rawCall);
    const uint32_t cursorFrame = m_frames[m_cursorFrame].number;
    if (frame == 0)
        frame = cursorFrame;

    // What the running states copy of the tables they share with the newest set is paid by the
    // snapshot credit: that is the memory the set keeps alive beyond its own size.
    const uint64_t copied = TableCopyBytes();
    Apply(*call, frame);
    m_snapshotCredit = std::min(m_snapshotCredit + kSnapshotBytesPerCall, kMostSnapshotCredit) -
                       int64_t(TableCopyBytes() - copied);
    const bool endsFrame = RegisteredCallTraits(call->GetCallId()) & trait::FrameEnd;
    // The call lies in the trace's arena when the loader made it: its place is found there first.
    m_calls.emplace_back(cursorFrame, CCallHandle(std::move(call), &m_arena), static_cast<uint8_t>(inSection != 1 ? 1 : 0));
    ++m_callCount;
    m_frames.back().endCall = m_callCount;
    if (endsFrame)
        CutFrame();
}

void CTraceData::Apply(CApiCall& call, uint32_t frame)
{
    // ApplyEffect leaves the state alone for a call that recorded an error.
    if (!m_stateTracking)
        return;
    const uint8_t kind = call.GetStateKind();
    if (kind == kApiEgl) {
        m_eglChanged |= call.ApplyEffect(m_egl.get(), frame);
    } else if (IsEs1StateKind(kind)) {
        m_hasEs1 = true;
        m_es1Changed |= call.ApplyEffect(m_es1.get(), frame);
    } else if (IsEs2StateKind(kind)) {
        m_hasEs2 = true;
        m_es2Changed |= call.ApplyEffect(m_es2.get(), frame);
    }
}

void CTraceData::NoteStateKind(uint8_t kind)
{
    m_hasEs1 |= IsEs1StateKind(kind);
    m_hasEs2 |= IsEs2StateKind(kind);
}

int64_t CTraceData::SnapshotBytes() const
{
    int64_t bytes = int64_t(sizeof(SFrameStates) + sizeof(void*)) + kAllocationBytes;
    if (m_eglChanged)
        bytes += int64_t(sizeof(SEglState)) + kAllocationBytes;
    if (m_es1Changed)
        bytes += int64_t(sizeof(SEs1State)) + kAllocationBytes + OwnedBytes(*m_es1);
    if (m_es2Changed)
        bytes += int64_t(sizeof(SEs2State)) + kAllocationBytes;
    return bytes;
}

void CTraceData::CutFrame()
{
    // Build the whole frame before touching the list, so an allocation failure leaves the
    // container as it was before the cut.
    const SFrameStates* prev = m_frames.back().states;  // the newest set; read before the list may move
    STraceFrame next;
    next.number = static_cast<uint32_t>(m_frames.size() + 1);
    next.firstCall = m_callCount;
    next.statesAt = m_callCount;
    next.states = prev;
    if (m_frames.size() == m_frames.capacity())
        m_frames.reserve(m_frames.size() * 2);
    const bool changed = m_eglChanged || m_es1Changed || m_es2Changed;
    const int64_t cost = changed ? SnapshotBytes() : 0;
    if (changed && m_snapshotCredit < cost && m_callCount - m_setAt < kMostCallsReplayed) {
        // Not paid for yet: the frame's states are the newest set with the calls since replayed.
        next.statesAt = m_setAt;
    } else if (changed) {
        auto states = std::make_unique<SFrameStates>(*prev);
        if (m_eglChanged)
            states->egl = std::make_shared<const SEglState>(*m_egl);
        if (m_es1Changed)
            states->es1 = std::make_shared<const SEs1State>(*m_es1);
        if (m_es2Changed)
            states->es2 = std::make_shared<const SEs2State>(*m_es2);
        next.states = states.get();
        m_states.push_back(std::move(states));
        m_snapshotCredit -= cost;
    }
    m_frames.push_back(next);  // room reserved above: cannot throw
    if (next.statesAt == m_callCount) {
        // The newest set holds the states at this cut (taken now, or nothing changed since).
        m_setAt = m_callCount;
        m_eglChanged = m_es1Changed = m_es2Changed = false;
    }
    m_cursorFrame = m_frames.size() - 1;
}

void CTraceData::SetCapturedBytesSource(std::shared_ptr<CFileMapping> mapping)
{
    m_capturedBytes = std::move(mapping);
}

bool CTraceData::CapturedBytesIntact() const
{
    return !m_capturedBytes || m_capturedBytes->Check();
}

void CTraceData::Compact()
{
    GiveBackRoom(m_calls);
    m_frames.shrink_to_fit();
    m_states.shrink_to_fit();
    m_arena.Trim();
}

bool CTraceData::DropFramesFrom(uint32_t frame)
{
    if (frame < 2 || frame > m_frames.size())
        return false;
    const uint32_t firstDropped = m_frames[frame - 1].firstCall;
    m_frames.resize(frame - 1);
    // State sets are appended in frame order: those after the last kept frame's are unused.
    while (m_states.back().get() != m_frames.back().states)
        m_states.pop_back();
    if (firstDropped < m_calls.size()) {
        // The loader made the calls one after another: the room from the first dropped one on
        // held only dropped calls.
        const void* firstObject = m_calls[firstDropped].call.get();
        m_calls.erase(m_calls.begin() + firstDropped, m_calls.end());
        m_arena.RewindTo(firstObject);
        m_arena.Trim();
    }
    m_calls.shrink_to_fit();
    m_callCount = static_cast<uint32_t>(m_calls.size());
    // The remaining last frame stays closed at its last call.
    STraceFrame& last = m_frames.back();
    if (last.firstCall >= m_callCount)
        last.endCall = STraceFrame::kOpenEnd;
    else
        last.endCall = m_callCount;
    if (m_cursorFrame >= m_frames.size())
        m_cursorFrame = m_frames.size() - 1;
    if (m_nextCall > m_callCount)
        m_currentCall = m_nextCall = m_frames[m_cursorFrame].firstCall;
    RebuildRunningStates();
    return true;
}

void CTraceData::RebuildRunningStates()
{
    // The running states must not show the dropped calls, nor the captured bytes those calls
    // held: they become the last frame's snapshot with that frame's remaining calls replayed.
    const STraceFrame& last = m_frames.back();
    m_setAt = last.statesAt;
    try {
        *m_egl = *last.states->egl;
        *m_es1 = *last.states->es1;
        *m_es2 = *last.states->es2;
        m_eglChanged = m_es1Changed = m_es2Changed = false;
        for (uint32_t j = last.statesAt; j < m_callCount; ++j)
            if (CApiCall* call = m_calls[j].call.get())
                Apply(*call, m_calls[j].frame);
    } catch (const std::bad_alloc&) {
        // A drop follows an allocation failure: when the replay fails too, the running states
        // start over empty rather than half replayed.
        *m_egl = SEglState();
        *m_es1 = SEs1State();
        *m_es2 = SEs2State();
        m_eglChanged = m_es1Changed = m_es2Changed = true;
    }
}

int32_t CTraceData::GetFrameCount() const
{
    if (m_frames.empty())
        throw CXqftError(kSubscriptError);
    if (m_frames.size() == 1)
        return m_callCount > 0 ? 1 : 0;
    const bool lastEmpty = m_frames.back().firstCall >= m_callCount;
    return static_cast<int32_t>(m_frames.size() - (lastEmpty ? 1 : 0));
}

const STraceFrame* CTraceData::FrameAt(uint32_t frame) const
{
    return frame == 0 || frame > m_frames.size() ? nullptr : &m_frames[frame - 1];
}

STraceFrame* CTraceData::GetFrame(uint32_t frame)
{
    return const_cast<STraceFrame*>(FrameAt(frame));
}

STraceCall* CTraceData::GetCall(uint32_t call)
{
    return call == 0 || call > m_calls.size() ? nullptr : &m_calls[call - 1];
}

uint32_t CTraceData::NumberOf(const STraceCall* call) const
{
    if (m_calls.empty() || call < m_calls.data() || call >= m_calls.data() + m_calls.size())
        return 0;
    return uint32_t(call - m_calls.data()) + 1;
}

STraceFrame* CTraceData::GetCurrentFrame()
{
    return m_cursorFrame < m_frames.size() ? &m_frames[m_cursorFrame] : nullptr;
}

int32_t CTraceData::GetCurrentFrameNumber() const
{
    return m_cursorFrame < m_frames.size() ? static_cast<int32_t>(m_frames[m_cursorFrame].number) : 0;
}

uint32_t CTraceData::GetCurrentFrameCallCount() const
{
    if (m_cursorFrame >= m_frames.size())
        return 0;
    const STraceFrame& f = m_frames[m_cursorFrame];
    const uint32_t end = f.endCall == STraceFrame::kOpenEnd ? static_cast<uint32_t>(m_calls.size()) : f.endCall;
    return end > f.firstCall ? end - f.firstCall : 0;
}

void CTraceData::Rewind()
{
    if (m_frames.empty())
        return;
    m_cursorFrame = 0;
    m_currentCall = m_nextCall = 0;
}

bool CTraceData::SetCurrentFrame(uint32_t frame, bool moveToStart)
{
    // Frames 1 to GetFrameCount(): the empty frame opened by the last eglSwapBuffers holds no call
    // and is never current.
    if (frame == 0 || frame > uint32_t(GetFrameCount()))
        return false;
    if (frame - 1 == m_cursorFrame && !moveToStart)
        return false;
    m_cursorFrame = frame - 1;
    if (moveToStart)
        m_currentCall = m_nextCall = m_frames[m_cursorFrame].firstCall;
    return true;
}

void CTraceData::RewindFrame()
{
    if (m_cursorFrame < m_frames.size())
        m_currentCall = m_nextCall = m_frames[m_cursorFrame].firstCall;
}

STraceCall* CTraceData::GetNextCall()
{
    if (m_cursorFrame >= m_frames.size())
        return nullptr;
    const STraceFrame& f = m_frames[m_cursorFrame];
    if (m_nextCall >= m_calls.size() || m_nextCall == f.endCall)
        return nullptr;
    m_currentCall = m_nextCall++;
    return &m_calls[m_currentCall];
}

template <class State>
void CTraceData::Replay(State* state, uint32_t from, uint32_t to, bool (*applies)(uint8_t kind)) const
{
    to = std::min<uint32_t>(to, static_cast<uint32_t>(m_calls.size()));
    for (uint32_t j = from; j < to; ++j) {
        CApiCall* call = m_calls[j].call.get();
        if (call && applies(call->GetStateKind()))
            call->ApplyEffect(state, m_calls[j].frame);
    }
}

bool CTraceData::GetFrameEglState(uint32_t frame, SEglState* out) const
{
    const STraceFrame* f = FrameAt(frame);
    if (!f || !f->states || !out)
        return false;
    *out = *f->states->egl;
    Replay(out, f->statesAt, f->firstCall, IsEglStateKind);
    return true;
}

bool CTraceData::GetFrameEs1State(uint32_t frame, SEs1State* out) const
{
    const STraceFrame* f = FrameAt(frame);
    if (!m_hasEs1 || !f || !f->states || !out)
        return false;
    *out = *f->states->es1;
    Replay(out, f->statesAt, f->firstCall, IsEs1StateKind);
    return true;
}

bool CTraceData::GetFrameEs2State(uint32_t frame, SEs2State* out) const
{
    const STraceFrame* f = FrameAt(frame);
    if (!m_hasEs2 || !f || !f->states || !out)
        return false;
    *out = *f->states->es2;
    Replay(out, f->statesAt, f->firstCall, IsEs2StateKind);
    return true;
}

template <class State>
bool CTraceData::StateAtCall(int32_t index, State* out, bool hasApi, bool (*applies)(uint8_t kind),
                             std::shared_ptr<const State> SFrameStates::*snapshot)
{
    if (!hasApi || !out || index < 0 || static_cast<uint64_t>(index) >= m_calls.size())
        return false;
    const uint32_t frame = m_calls[index].frame;
    const STraceFrame* f = FrameAt(frame);
    if (!f || !f->states || !(f->states->*snapshot))
        return false;
    // Replays from the frame's set without moving the cursor.
    *out = *(f->states->*snapshot);
    Replay(out, f->statesAt, static_cast<uint32_t>(index), applies);
    return true;
}

bool CTraceData::GetEs1StateAtCall(int32_t index, SEs1State* out)
{
    return StateAtCall(index, out, m_hasEs1, IsEs1StateKind, &SFrameStates::es1);
}

bool CTraceData::GetEs2StateAtCall(int32_t index, SEs2State* out)
{
    // Extension calls made on ES 2.0 are replayed too: the loader applied them to the running
    // state, so the state at a call must show them as the next frame's snapshot does.
    return StateAtCall(index, out, m_hasEs2, IsEs2StateKind, &SFrameStates::es2);
}

void CTraceData::WalkStates(uint32_t first, uint32_t end, const TStatesVisit& visit)
{
    end = std::min<uint32_t>(end, static_cast<uint32_t>(m_calls.size()));
    if (first >= end)
        return;
    const STraceFrame* f = FrameAt(m_calls[first].frame);
    const SFrameStates* states = f ? f->states : nullptr;
    SEs1State es1 = states && states->es1 ? *states->es1 : SEs1State();
    SEs2State es2 = states && states->es2 ? *states->es2 : SEs2State();
    // By state kind, as the loader applies them: an extension call made on ES 2.0 changes the ES
    // 2.0 state here as it does in the frames' states and the state at a call.
    auto apply = [&](uint32_t j) {
        CApiCall* call = m_calls[j].call.get();
        const uint8_t kind = call ? call->GetStateKind() : uint8_t(kApiNone);
        if (IsEs1StateKind(kind))
            call->ApplyEffect(&es1, m_calls[j].frame);
        else if (IsEs2StateKind(kind))
            call->ApplyEffect(&es2, m_calls[j].frame);
    };
    for (uint32_t j = f ? f->statesAt : first; j < first; ++j)
        apply(j);
    for (uint32_t j = first; j < end; ++j) {
        visit(j, es1, es2);
        apply(j);
    }
    visit(end, es1, es2);
}
