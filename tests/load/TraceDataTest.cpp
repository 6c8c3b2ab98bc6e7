// Frames, cursor and snapshots of the trace container, driven by small stand-in calls whose
// state effects are easy to see.
#include <gtest/gtest.h>

#include <vector>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "CallQueries.h"

namespace {
// A call of a given API kind and id whose effect bumps one visible field of its state record.
class CStubCall : public CApiCall
{
public:
    CStubCall(uint8_t kind, uint16_t id, uint32_t glError = 0, bool changes = true) : CApiCall(nullptr), m_changes(changes)
    {
        m_apiKind = kind;
        m_callId = id;
        m_error.value = glError;
    }
    const char* GetName() const override { return "stub"; }
    int GetId() const override { return m_callId; }
    const char* GetCategory() const override { return ""; }
    bool UpdateState(void* state, uint32_t frame) override
    {
        if (!m_changes)
            return false;
        switch (m_apiKind) {
        case kApiEgl: static_cast<SEglState*>(state)->displays[1].swapInterval += 1; break;
        case kApiEs1: static_cast<SEs1State*>(state)->lineWidth += 1; break;
        default: {
            auto* s = static_cast<SEs2State*>(state);
            s->viewport[2] += 1;
            s->buffers[1].usage = frame;  // records the frame number it was given
        }
        }
        return true;
    }

private:
    bool m_changes;
};

// An extension call made on ES 2.0: its API kind is the extensions', its state the ES 2.0 one.
class CEs2ExtStub : public CStubCall
{
public:
    CEs2ExtStub() : CStubCall(kApiExt, 3001) {}
    uint8_t GetStateKind() const override { return kApiEs2; }
};

constexpr uint16_t kSwap = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");
CApiCall* Es2(uint32_t err = 0) { return new CStubCall(kApiEs2, 2001, err); }
CApiCall* Egl(bool changes = true) { return new CStubCall(kApiEgl, 1029, 0, changes); }
CApiCall* Swap() { return new CStubCall(kApiEgl, kSwap, 0, false); }
CApiCall* Es2Ext() { return new CEs2ExtStub; }
CApiCall* Es1() { return new CStubCall(kApiEs1, CallIdOf(ECallFamily::Es1, "glLineWidth")); }
}  // namespace

TEST(TraceData, EmptyAndSingleSwapTraces)
{
    CTraceData data;
    EXPECT_EQ(data.GetFrameCount(), 0);
    EXPECT_EQ(data.GetCall(1), nullptr);
    EXPECT_EQ(data.GetFrame(0), nullptr);
    EXPECT_EQ(data.GetNextCall(), nullptr);
    data.AddCall(nullptr, 0, 0);
    data.AddCall(Swap(), 0, 0);
    EXPECT_EQ(data.GetFrameRecordCount(), 2u);
    EXPECT_EQ(data.GetFrameCount(), 1);
    EXPECT_EQ(data.GetFrame(2)->firstCall, 1u);
    EXPECT_EQ(data.GetFrame(2)->endCall, STraceFrame::kOpenEnd);
}

TEST(TraceData, SnapshotsAreSharedUntilTheirStateChanges)
{
    CTraceData data;
    data.AddCall(Egl(), 0, 0);  // frame 1 changes EGL
    data.AddCall(Swap(), 0, 0);
    data.AddCall(Es2(), 0, 0);  // frame 2 changes only ES2
    data.AddCall(Egl(false), 0, 0);  // an EGL call that changes nothing
    data.AddCall(Swap(), 0, 0);
    data.AddCall(Egl(), 0, 0);  // frame 3 changes EGL again
    data.AddCall(Swap(), 0, 0);
    ASSERT_EQ(data.GetFrameRecordCount(), 4u);
    const STraceFrame *f1 = data.GetFrame(1), *f2 = data.GetFrame(2), *f3 = data.GetFrame(3), *f4 = data.GetFrame(4);
    EXPECT_NE(f2->Egl(), f1->Egl());
    EXPECT_EQ(f3->Egl(), f2->Egl());  // shared while no EGL call changed it
    EXPECT_NE(f4->Egl(), f3->Egl());
    EXPECT_EQ(f2->Es2(), f1->Es2());
    EXPECT_NE(f3->Es2(), f2->Es2());
    EXPECT_EQ(f4->Es2(), f3->Es2());
    EXPECT_EQ(f4->Es1(), f1->Es1());

    SEglState egl;
    ASSERT_TRUE(data.GetFrameEglState(4, &egl));
    EXPECT_EQ(egl.displays[1].swapInterval, 3u);  // 1, then two changes
    SEs2State es2;
    ASSERT_TRUE(data.GetFrameEs2State(3, &es2));
    EXPECT_EQ(es2.viewport[2], 1);
    EXPECT_FALSE(data.GetFrameEs2State(5, &es2));
    SEs1State es1;
    EXPECT_FALSE(data.GetFrameEs1State(1, &es1));  // no ES 1.1 call in the trace
    EXPECT_FALSE(data.GetEs1StateAtCall(0, &es1));
}

TEST(TraceData, CursorWalksOneFrameAtATime)
{
    CTraceData data;
    for (int frame = 0; frame < 3; ++frame) {
        data.AddCall(Es2(), 0, 0);
        data.AddCall(Es2(), 0, 1);
        data.AddCall(Swap(), 0, 0);
    }
    EXPECT_EQ(data.GetFrameCount(), 3);
    EXPECT_EQ(data.GetCall(2)->flags & 1, 0);  // read inside a marker section
    EXPECT_EQ(data.GetCall(1)->flags & 1, 1);
    data.Rewind();
    int seen = 0;
    while (data.GetNextCall())
        ++seen;
    EXPECT_EQ(seen, 3);  // stops at the end of frame 1 although frames 2 and 3 follow
    EXPECT_EQ(data.GetCurrentCallNumber(), 3);
    ASSERT_TRUE(data.SetCurrentFrame(2, true));
    EXPECT_FALSE(data.SetCurrentFrame(2, false));
    // Frame 4, opened by the last swap, holds no call: never current, the cursor stays.
    EXPECT_FALSE(data.SetCurrentFrame(4, true));
    EXPECT_FALSE(data.SetCurrentFrame(5, true));
    EXPECT_EQ(data.GetCurrentFrameNumber(), 2);
    EXPECT_EQ(data.GetCurrentFrameCallCount(), 3u);
    EXPECT_EQ(data.GetNextCall(), data.GetCall(4));
}

TEST(TraceData, StateAtACall)
{
    CTraceData data;
    data.AddCall(Es2(), 0, 0);     // index 0
    data.AddCall(Swap(), 0, 0);    // index 1
    data.AddCall(Es2(), 0, 0);     // index 2, frame 2
    data.AddCall(Es2(0x0500), 0, 0);  // index 3: recorded GL_INVALID_ENUM, no effect
    data.AddCall(Es2(), 0, 0);     // index 4
    data.AddCall(Swap(), 0, 0);    // index 5

    SEs2State snapshot, at;
    ASSERT_TRUE(data.GetFrameEs2State(2, &snapshot));
    ASSERT_TRUE(data.GetEs2StateAtCall(2, &at));  // first call of frame 2
    EXPECT_EQ(at.viewport[2], snapshot.viewport[2]);
    EXPECT_EQ(at.buffers.Count(), snapshot.buffers.Count());

    // The cursor is where it was after the query.
    data.SetCurrentFrame(2, true);
    ASSERT_EQ(data.GetNextCall(), data.GetCall(3));
    ASSERT_TRUE(data.GetEs2StateAtCall(5, &at));
    EXPECT_EQ(at.viewport[2], 3);  // index 0, 2 and 4; not the one with an error
    EXPECT_EQ(at.buffers[1].usage, 2u);  // replayed with its own frame number
    EXPECT_EQ(data.GetCurrentFrameNumber(), 2);
    EXPECT_EQ(data.GetNextCall(), data.GetCall(4));

    SEs2State frame3;
    ASSERT_TRUE(data.GetFrameEs2State(3, &frame3));
    EXPECT_EQ(frame3.viewport[2], 3);  // the error call changed nothing at load either

    EXPECT_FALSE(data.GetEs2StateAtCall(6, &at));  // past the last call
    EXPECT_FALSE(data.GetEs2StateAtCall(-1, &at));
    EXPECT_FALSE(data.GetEs2StateAtCall(1 << 30, &at));
}

TEST(TraceData, WalkingStatesAppliesExtensionCallsAsTheLoadDoes)
{
    CTraceData data;
    data.AddCall(Es2(), 0, 0);
    data.AddCall(Es2Ext(), 0, 0);
    data.AddCall(Es2(), 0, 0);
    data.AddCall(Swap(), 0, 0);
    data.AddCall(Es2(), 0, 0);
    std::vector<int32_t> widths;
    data.WalkStates(0, 5, [&](uint32_t, const SEs1State&, const SEs2State& es2) { widths.push_back(es2.viewport[2]); });
    EXPECT_EQ(widths, (std::vector<int32_t>{0, 1, 2, 3, 3, 4}));
    SEs2State at;
    ASSERT_TRUE(data.GetEs2StateAtCall(3, &at));
    EXPECT_EQ(at.viewport[2], widths[3]);
    ASSERT_TRUE(data.GetFrameEs2State(2, &at));
    EXPECT_EQ(at.viewport[2], widths[4]);
}

TEST(TraceData, ShortFramesReplayTheirStatesFromSharedSnapshots)
{
    // 600 frames of four calls that change every state: far more snapshots than these few calls
    // pay for, so most frames make their states from an earlier frame's set.
    CTraceData data;
    struct SSeen
    {
        uint32_t egl;
        float es1;
        int32_t es2;
    };
    auto interval = [](const SEglState& s) { return s.displays.Contains(1) ? s.displays.Get(1)->swapInterval : 0u; };
    std::vector<SSeen> atStart = {{0, 1.0f, 0}};  // frame 1's states
    for (int frame = 1; frame <= 600; ++frame) {
        data.AddCall(Es1(), 0, 0);
        data.AddCall(Es2(), 0, 0);
        if (frame % 3 == 0)
            data.AddCall(Egl(), 0, 0);
        data.AddCall(Swap(), 0, 0);
        atStart.push_back({interval(data.RunningEglState()), data.RunningEs1State().lineWidth,
                           data.RunningEs2State().viewport[2]});
    }
    uint32_t ownSets = 0;
    for (uint32_t frame = 1; frame <= 601; ++frame) {
        SCOPED_TRACE(frame);
        const STraceFrame* f = data.GetFrame(frame);
        ownSets += f->HoldsStates() ? 1 : 0;
        EXPECT_EQ(f->Es2() != nullptr, f->HoldsStates());
        SEglState egl;
        SEs1State es1;
        SEs2State es2;
        ASSERT_TRUE(data.GetFrameEglState(frame, &egl));
        ASSERT_TRUE(data.GetFrameEs1State(frame, &es1));
        ASSERT_TRUE(data.GetFrameEs2State(frame, &es2));
        const SSeen& seen = atStart[frame - 1];
        EXPECT_EQ(interval(egl), seen.egl);
        EXPECT_EQ(es1.lineWidth, seen.es1);
        EXPECT_EQ(es2.viewport[2], seen.es2);
        if (frame > 1) {
            EXPECT_EQ(es2.buffers.Get(1)->usage, frame - 1);  // replayed with each call's own frame
        }
        if (frame <= 600) {
            ASSERT_TRUE(data.GetEs1StateAtCall(int32_t(f->firstCall + 1), &es1));  // after the ES 1.1 call
            EXPECT_EQ(es1.lineWidth, seen.es1 + 1);
            int32_t walked = -1;
            data.WalkStates(f->firstCall, f->firstCall + 1,
                            [&](uint32_t index, const SEs1State&, const SEs2State& s) {
                                if (index == f->firstCall)
                                    walked = s.viewport[2];
                            });
            EXPECT_EQ(walked, seen.es2);
        }
    }
    EXPECT_GT(ownSets, 1u);
    EXPECT_LT(ownSets, 100u);

    // A drop inside a stretch of replayed frames rebuilds the running states from the kept calls,
    // and frames added after it start from them.
    ASSERT_FALSE(data.GetFrame(500)->HoldsStates());
    ASSERT_TRUE(data.DropFramesFrom(500));
    EXPECT_EQ(data.RunningEs2State().viewport[2], atStart[499].es2);
    EXPECT_EQ(data.RunningEs1State().lineWidth, atStart[499].es1);
    data.AddCall(Swap(), 0, 0);
    data.AddCall(Es2(), 0, 0);
    data.AddCall(Swap(), 0, 0);
    SEs2State es2;
    ASSERT_TRUE(data.GetFrameEs2State(501, &es2));
    EXPECT_EQ(es2.viewport[2], atStart[499].es2 + 1);
}

TEST(TraceData, DroppingFramesKeepsTheFirstFrameAndConsistentCounts)
{
    CTraceData data;
    data.AddCall(Es2(), 0, 0);
    data.AddCall(Swap(), 0, 0);
    data.AddCall(Es2(), 0, 0);
    data.AddCall(Es2(), 0, 0);
    EXPECT_EQ(data.GetFrameCount(), 2);
    EXPECT_FALSE(data.DropFramesFrom(0));
    EXPECT_FALSE(data.DropFramesFrom(1));  // the first frame always stays
    EXPECT_FALSE(data.DropFramesFrom(3));
    EXPECT_EQ(data.GetCallCount(), 4u);
    data.SetCurrentFrame(2, true);
    ASSERT_TRUE(data.DropFramesFrom(2));
    EXPECT_EQ(data.GetFrameCount(), 1);
    EXPECT_EQ(data.GetCallCount(), 2u);
    EXPECT_EQ(data.GetCall(3), nullptr);
    EXPECT_EQ(data.GetCurrentFrameNumber(), 1);
    EXPECT_EQ(data.GetFrame(1)->endCall, 2u);
    EXPECT_EQ(data.RunningEs2State().viewport[2], 1);  // the dropped calls' effects are gone
    data.Rewind();
    int seen = 0;
    while (data.GetNextCall())
        ++seen;
    EXPECT_EQ(seen, 2);
}

TEST(TraceData, DescriptionsAreMadeOnceAndStayWithTheirCalls)
{
    CTraceData data;
    data.AddCall(Es2(), 0, 0);
    CApiCall* first = data.GetCall(1)->call.get();
    CGenCallInfo* info = data.GetCall(1)->GetCallInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(data.GetCall(1)->GetCallInfo(), info);
    for (int i = 0; i < 1000; ++i)  // the entries move as the list grows
        data.AddCall(Swap(), 0, 0);
    STraceCall* entry = data.GetCall(1);
    EXPECT_EQ(entry->GetCallInfo(), info);
    EXPECT_EQ(entry->call.get(), first);
    EXPECT_STREQ(entry->call->GetName(), "stub");
    EXPECT_EQ(entry->call->GetApiKind(), kApiEs2);
    ASSERT_NE(data.GetCall(500)->GetCallInfo(), nullptr);
    ASSERT_TRUE(data.DropFramesFrom(2));  // described and plain calls go with their frames
    EXPECT_EQ(data.GetCallCount(), 2u);
    EXPECT_EQ(data.GetCall(1)->GetCallInfo(), info);
    entry = data.GetCall(2);
    entry->call.reset();
    EXPECT_FALSE(entry->call);
    EXPECT_EQ(entry->GetCallInfo(), nullptr);
}
