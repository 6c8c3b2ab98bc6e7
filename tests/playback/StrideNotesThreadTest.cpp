// The stride notes of the draw checks, kept per host context, as playback threads of their own (the
// dock's, a command's) replay at once: each thread's contexts keep their own notes while the other
// thread adds contexts. Runs under ThreadSanitizer too (make test-tsan): no host library is needed.
#include "host/HostChecks.h"
#include "host/HostCurrent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace {

// Notes a stride in each of `count` contexts from `base` on, then reads every one back; the strides
// are above 16 bits, so only a note gives them back (the host's answer keeps their low 16 bits).
bool NoteAndReadBack(uintptr_t base, uint32_t count)
{
    auto context = [&](uint32_t i) { return reinterpret_cast<void*>(base + uintptr_t(i) * 64); };
    for (uint32_t i = 0; i < count; ++i) {
        hostcurrent::t_current = context(i);
        ForgetArrayStrides(context(i));
        NoteArrayStride(3, int32_t(0x10000 + i));
        NoteArrayStride(kEs1ArrayStrides + 1, int32_t(0x20000 + i));
    }
    bool kept = true;
    for (uint32_t i = 0; i < count; ++i) {
        hostcurrent::t_current = context(i);
        kept = kept && RecordedArrayStride(3, int64_t(i & 0xffff)) == 0x10000 + i;
        kept = kept && RecordedArrayStride(kEs1ArrayStrides + 1, int64_t(i & 0xffff)) == 0x20000 + i;
    }
    hostcurrent::t_current = nullptr;
    return kept;
}

TEST(StrideNotesThreads, ContextsOfTwoThreadsKeepTheirNotes)
{
    constexpr uint32_t kContexts = 300;
    bool keptA = false, keptB = false;
    std::thread a([&] { keptA = NoteAndReadBack(0x100000, kContexts); });
    std::thread b([&] { keptB = NoteAndReadBack(0x900000, kContexts); });
    a.join();
    b.join();
    EXPECT_TRUE(keptA);
    EXPECT_TRUE(keptB);
}

} // namespace
