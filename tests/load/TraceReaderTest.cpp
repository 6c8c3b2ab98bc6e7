// Loading trace files end to end: result codes, what stays loaded, progress events and the
// memory guard.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "LoadFixture.h"
#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "apicall/CallArena.h"
#include "apicall/CallInfo.h"
#include "apicall/NumberPool.h"
#include "data/MemoryGuard.h"
#include "stream/IOManager.h"
#include "values/DataHolders.h"

namespace {
struct SCase
{
    const char* what;
    const char* gen;  // xqftgen.py arguments; null: the path names no file
    int result;
    int frames;
    uint32_t calls;
    std::vector<std::string> progress;  // texts of the progress events, in order
    const char* error;                  // start of GetLastError()
};
}  // namespace

TEST(TraceReader, ResultCodesAndWhatStaysLoaded)
{
    const std::string swaps = "Frame: 2  @ eglSwapBuffers ";
    const SCase cases[] = {
        {"3 frames", "egl-frames --frames 3", 0, 3, 3,
         {"File Read", swaps, "Frame: 3  @ eglSwapBuffers ", "Frame: 4  @ eglSwapBuffers ", "Trace Processed"}, ""},
        {"3 frames with images, version 10", "egl-frames --frames 3 --version 10 --image 4x2", 0, 3, 3, {}, ""},
        {"3 frames, version 7", "egl-frames --frames 3 --version 7 --table-selector 1", 0, 3, 3, {}, ""},
        {"header only", "egl-frames --header-only", 4, 0, 0, {"File Read", "Trace Processed"}, ""},
        {"missing path", nullptr, 4, -1, 0, {}, "cannot open"},
        {"cut inside the last record", "egl-frames --frames 3 --cut 1", 3, 2, 2,
         {"File Read", swaps, "Frame: 3  @ eglSwapBuffers ", "Trace Error"}, "record 1022"},
        {"block larger than its record", "egl-frames --frames 3 --image 2x2 --oversize-block", 2, -1, 0, {},
         "Size readed from memmory is greater than blocksize"},
        {"bad magic", "egl-frames --magic XQFTracf", 2, -1, 0, {"File Read"}, "Unrecognized file type."},
        {"only unknown ids", "raw --record 9000:00000000 --record 1050:00000000", 4, 0, 0, {}, ""},
        {"type-size table without the EGL types", "raw --table-count 1 --record 1022:0000000001000000", 2, 0, 0, {},
         "Undefined Es Type in record library"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.gen ? GenerateTrace("t.xqft", c.gen) : TempPath("absent.xqft");
        ASSERT_FALSE(path.empty());
        const SLoad load = QuietLoad(path);
        EXPECT_EQ(load.result, c.result);
        CTraceData* data = CTraceReader::Instance().GetTraceData();
        if (c.frames < 0) {
            EXPECT_EQ(data, nullptr);
        } else {
            ASSERT_NE(data, nullptr);
            EXPECT_EQ(data->GetFrameCount(), c.frames);
            EXPECT_EQ(data->GetCallCount(), c.calls);
        }
        if (!c.progress.empty()) {
            EXPECT_EQ(load.progress, c.progress);
        }
        if (!c.gen) {
            EXPECT_TRUE(load.progress.empty());
        }
        EXPECT_EQ(std::string(CTraceReader::Instance().GetLastError().CStr()).rfind(c.error, 0), 0u)
            << CTraceReader::Instance().GetLastError().CStr();
    }
    CTraceReader::Instance().Close();
}

TEST(TraceReader, FramesCutAtSwapBuffersAndKeepTheFrameImage)
{
    const std::string path = GenerateTrace("img.xqft", "egl-frames --frames 3 --image 4x2 --frame-image 1");
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetFrameImageFlag(), 1);
    EXPECT_EQ(data->GetFrameRecordCount(), 4u);  // the trailing empty frame is not counted
    for (uint32_t n = 1; n <= 3; ++n) {
        const STraceFrame* f = data->GetFrame(n);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->firstCall, n - 1);
        EXPECT_EQ(f->endCall, n);
        STraceCall* call = data->GetCall(n);
        EXPECT_EQ(call->frame, n);
        EXPECT_EQ(call->call->GetApiKind(), kApiEgl);
        EXPECT_STREQ(call->call->GetName(), "eglSwapBuffers");
        CGenCallInfo* info = call->GetCallInfo();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info, call->GetCallInfo());  // created once
    }
}

TEST(TraceReader, MemoryGuardStopsTheWalkWithTheCallsReadSoFar)
{
    const std::string path = GenerateTrace("many.xqft", "egl-frames --frames 2500");
    CTraceReader& reader = CTraceReader::Instance();
    int queries = 0;
    reader.SetMemoryProbe([&]() -> int64_t { return ++queries == 2 ? kMemoryLimitKiB + 1 : int64_t(0); });
    const SLoad load = QuietLoad(path);
    reader.SetMemoryProbe(nullptr);
    EXPECT_EQ(load.result, 3);
    EXPECT_EQ(load.progress.back(), "Trace Error");
    EXPECT_EQ(queries, 2);  // at 0 and at 1000 calls, not per record
    EXPECT_EQ(reader.GetTraceData()->GetCallCount(), 1000u);
    EXPECT_TRUE(reader.StoppedAtMemoryLimit());
    EXPECT_EQ(std::string(reader.GetLastError().CStr()).rfind("the memory limit", 0), 0u) << reader.GetLastError().CStr();
}

TEST(TraceReader, OutOfMemoryDropsTheLastTenthOfTheFramesAndKeepsCountsConsistent)
{
    const std::string path = GenerateTrace("oom.xqft", "egl-frames --frames 1500");
    CTraceReader& reader = CTraceReader::Instance();
    int queries = 0;
    reader.SetMemoryProbe([&]() -> int64_t {
        if (++queries == 2)
            throw std::bad_alloc();
        return 0;
    });
    const SLoad load = QuietLoad(path);
    reader.SetMemoryProbe(nullptr);
    EXPECT_EQ(load.result, 1);
    CTraceData* data = reader.GetTraceData();
    ASSERT_NE(data, nullptr);
    // 1000 calls in 1000 frames: frames 900 and later are given back.
    EXPECT_EQ(data->GetFrameCount(), 899);
    EXPECT_EQ(data->GetCallCount(), 899u);
    EXPECT_EQ(data->GetCall(900), nullptr);
    const STraceFrame* last = data->GetFrame(899);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->endCall, 899u);
    EXPECT_EQ(data->GetFrame(900), nullptr);
}

TEST(TraceReader, RemovingAnIdRemovesEveryListenerOfIt)
{
    struct SCount : CBasicEvent
    {
        int n = 0;
        void OnEvent(uint32_t, void*) override { ++n; }
    } a, b, other;
    CEventManager& events = CEventManager::Instance();
    events.AddListener(0, &a);
    events.AddListener(0, &b);
    events.AddListener(7, &other);
    events.Dispatch(0, nullptr);
    events.RemoveListener(0);
    events.Dispatch(0, nullptr);
    events.Dispatch(7, nullptr);
    EXPECT_EQ(a.n, 1);
    EXPECT_EQ(b.n, 1);
    EXPECT_EQ(other.n, 1);
    events.RemoveListener(7);
}

TEST(TraceReader, LongTracesKeep32BitFrameNumbers)
{
    const std::string path = GenerateTrace("long.xqft", "egl-frames --frames 70000 --version 9");
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    EXPECT_EQ(data->GetFrameCount(), 70000);
    EXPECT_EQ(data->GetCall(70000)->frame, 70000u);
    EXPECT_EQ(data->GetCall(65537)->frame, 65537u);
    CTraceReader::Instance().Close();
}

TEST(TraceReader, FirstRecordOffsetAfterTheHeader)
{
    CTraceReader& reader = CTraceReader::Instance();
    FILE* quiet = std::fopen("/dev/null", "w");
    reader.SetLog(quiet, quiet);
    const std::string headerOnly = GenerateTrace("h.xqft", "egl-frames --header-only");
    ASSERT_TRUE(IOManager::Instance().Open(CXQFTString(headerOnly.c_str())));
    EXPECT_EQ(reader.GetFirstRecordOffset(), ReadFileBytes(headerOnly).size());
    IOManager::Instance().Close();
    const std::string bad = GenerateTrace("b.xqft", "egl-frames --magic XQFTracf");
    ASSERT_TRUE(IOManager::Instance().Open(CXQFTString(bad.c_str())));
    EXPECT_EQ(reader.GetFirstRecordOffset(), 0u);
    IOManager::Instance().Close();
    reader.SetLog(nullptr, nullptr);
    std::fclose(quiet);
}

// A limited load keeps the calls up to its limit, and still says which APIs the whole file holds.
TEST(TraceReader, LimitedLoadsStopAtTheirCallOrFrameForOneLoad)
{
    const auto hex = [](std::initializer_list<uint32_t> words) {
        std::string out;
        char b[9];
        for (uint32_t w : words) {
            std::snprintf(b, sizeof b, "%08x", __builtin_bswap32(w));
            out += b;
        }
        return out;
    };
    const auto record = [&](uint16_t id, std::initializer_list<uint32_t> words) {
        return " --record " + std::to_string(id) + ":" + hex(words);
    };
    const uint16_t swap = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");
    const std::string swapWords = hex({0, 1, 1, 2, 0, 0, 0, 0, 0});
    std::string args = "raw";
    for (int i = 0; i < 2; ++i)
        args += " --record " + std::to_string(swap) + ":" + swapWords;
    args += record(CallIdOf(ECallFamily::Es2, "glEnable"), {0, 0x0B71});
    args += " --record " + std::to_string(swap) + ":" + swapWords;
    args += record(CallIdOf(ECallFamily::Es1, "glEnable"), {0, 0x0B71});
    args += " --record " + std::to_string(swap) + ":" + swapWords;
    const std::string path = GenerateTrace("limited.xqft", args);
    ASSERT_FALSE(path.empty());

    struct SLimit
    {
        uint32_t calls, frames;
        int frameCount;
        uint32_t callCount;
    };
    const SLimit limits[] = {
        {1, 0, 1, 1}, {0, 2, 2, 2}, {0, 3, 3, 4}, {3, 2, 2, 2}, {0, 0, 4, 6}, {0, 9, 4, 6}, {9, 0, 4, 6},
    };
    CTraceReader& reader = CTraceReader::Instance();
    for (const SLimit& l : limits) {
        SCOPED_TRACE(testing::Message() << "calls " << l.calls << ", frames " << l.frames);
        reader.LimitNextLoad(l.calls, l.frames);
        ASSERT_EQ(QuietLoad(path).result, 0);
        CTraceData* data = reader.GetTraceData();
        EXPECT_EQ(data->GetFrameCount(), l.frameCount);
        EXPECT_EQ(data->GetCallCount(), l.callCount);
        EXPECT_TRUE(data->HasEs1());
        EXPECT_TRUE(data->HasEs2());
        // The next load is whole.
        ASSERT_EQ(QuietLoad(path).result, 0);
        EXPECT_EQ(reader.GetTraceData()->GetCallCount(), 6u);
    }
    reader.Close();
}

// A load limited to its first calls ends although the records past the limit run far beyond what
// the read-ahead thread may read ahead of the walk: the thread, left waiting for the walk, must be
// told to stop before it is joined (else this test hangs until ctest's timeout fails it).
TEST(TraceReader, LimitedLoadOfALargeTraceEnds)
{
    std::string args = "raw";
    for (uint16_t enable : {CallIdOf(ECallFamily::Es2, "glEnable"), CallIdOf(ECallFamily::Es1, "glEnable")})
        args += " --record " + std::to_string(enable) + ":00000000710b0000";
    const std::string path = GenerateTrace("limited-large.xqft", args);
    ASSERT_FALSE(path.empty());
    {
        // 14 MB of eglGetError records after the two calls the load keeps.
        FILE* f = std::fopen(path.c_str(), "ab");
        ASSERT_NE(f, nullptr);
        const uint16_t id = CallIdOf(ECallFamily::Egl, "eglGetError");
        const uint8_t record[14] = {8, 0, 0, 0, uint8_t(id), uint8_t(id >> 8), 0, 0x30, 0, 0, 0, 0x30, 0, 0};
        for (int i = 0; i < 1000000; ++i)
            std::fwrite(record, 1, sizeof record, f);
        std::fclose(f);
    }
    CTraceReader& reader = CTraceReader::Instance();
    for (int round = 0; round < 3; ++round) {
        reader.LimitNextLoad(2, 0);
        ASSERT_EQ(QuietLoad(path).result, 0);
        EXPECT_EQ(reader.GetTraceData()->GetCallCount(), 2u);
    }
    ASSERT_EQ(QuietLoad(path).result, 0);
    EXPECT_EQ(reader.GetTraceData()->GetCallCount(), 1000002u);
    reader.Close();
    std::remove(path.c_str());
}

// The loader makes the call objects in the trace's arena; dropping frames gives their room back and
// leaves the kept calls whole. Calls made anywhere else come from the heap.
TEST(TraceReader, CallObjectsLiveInTheTraceArena)
{
    const std::string path = GenerateTrace("arena.xqft", "egl-frames --frames 6");
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    ASSERT_EQ(data->GetCallCount(), 6u);
    for (uint32_t n = 1; n <= 6; ++n)
        EXPECT_TRUE(CCallArena::Owns(data->GetCall(n)->call.get())) << "call " << n;
    const void* fourth = data->GetCall(4)->call.get();
    ASSERT_TRUE(data->DropFramesFrom(4));
    // The next room handed out is that of the first dropped call; writing it harms no kept call.
    void* reused = data->Arena().Allocate(256);
    EXPECT_EQ(reused, fourth);
    std::memset(reused, 0xA5, 256);
    for (uint32_t n = 1; n <= 3; ++n)
        EXPECT_STREQ(data->GetCall(n)->call->GetName(), "eglSwapBuffers");

    struct SOutside : CApiCall
    {
        SOutside() : CApiCall(nullptr) {}
        const char* GetName() const override { return "outside"; }
        int GetId() const override { return 0; }
        const char* GetCategory() const override { return ""; }
    };
    const auto outside = std::make_unique<SOutside>();
    EXPECT_FALSE(CCallArena::Owns(outside.get()));
    CTraceReader::Instance().Close();
}

// Arena blocks are named by numbers of a pool of 16,383: an arena gone gives its numbers back, so
// traces loaded one after another go on naming their calls by place, not through side entries.
TEST(CallArena, BlockNumbersComeBackWithTheArena)
{
    for (int i = 0; i < 20000; ++i) {
        CCallArena arena;
        const void* p = arena.Allocate(64);
        ASSERT_NE(arena.PlaceIn(p), 0u) << "arena " << i;
    }
}

// An arena filled with objects of one size, each holding a byte that tells it from its neighbours.
struct SFilledArena {
    explicit SFilledArena(size_t objectBytes) : bytes(objectBytes) {}
    const size_t bytes;
    CCallArena arena;
    std::vector<uint8_t*> kept;

    static uint8_t Mark(size_t i) { return uint8_t(i % 251 + 1); }
    void Fill(size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            auto* p = static_cast<uint8_t*>(arena.Allocate(bytes));
            ASSERT_NE(p, nullptr);
            std::memset(p, Mark(kept.size()), bytes);
            kept.push_back(p);
        }
    }
    // Every object keeps its first and last byte and is found again by its place.
    void Check() const
    {
        for (size_t i = 0; i < kept.size(); ++i) {
            ASSERT_EQ(kept[i][0], Mark(i)) << "object " << i;
            ASSERT_EQ(kept[i][bytes - 1], Mark(i)) << "object " << i;
            const uint32_t place = arena.PlaceIn(kept[i]);
            ASSERT_NE(place, 0u) << "object " << i;
            ASSERT_EQ(CCallArena::AtPlace(place), kept[i]) << "object " << i;
        }
    }
    // None of the 16 pages after the last object's end is resident.
    void ExpectNothingResidentAfterTheLast() const
    {
        const auto page = size_t(sysconf(_SC_PAGESIZE));
        const auto end = reinterpret_cast<uintptr_t>(kept.back()) + bytes;
        auto* after = reinterpret_cast<uint8_t*>((end + page - 1) / page * page);
        std::vector<unsigned char> resident(16);
        ASSERT_EQ(mincore(after, resident.size() * page, resident.data()), 0);
        for (size_t i = 0; i < resident.size(); ++i)
            EXPECT_EQ(resident[i] & 1, 0) << "page " << i << " after the last object";
    }
};

// The largest blocks come two to a piece of memory: no room is handed out twice, a block given
// back by a rewind leaves its neighbour's bytes alone, and each object is found again by its place.
TEST(CallArena, LargestBlocksHoldTheirBytesThroughRewindAndRegrowth)
{
    SFilledArena a(1024);
    a.Fill(6 * 1024);  // the small blocks, then several of the largest
    ASSERT_GT(a.arena.Reserved(), size_t(5) << 20);
    // Back into the middle of the run of largest blocks, then past where it ended.
    const size_t rewindTo = 3 * 1024;
    a.arena.RewindTo(a.kept[rewindTo]);
    a.kept.resize(rewindTo);
    a.Fill(5 * 1024);
    a.Check();
    a.arena.Release();
    EXPECT_EQ(a.arena.Reserved(), 0u);
    EXPECT_FALSE(CCallArena::Owns(a.kept.back()));
}

// A filled arena gives back the room it has not handed out (the end of its last block, and the
// spare half of the last piece when the count of largest blocks is odd); what it handed out keeps
// its bytes, and requests after that are served from the given-back room and from new pieces.
TEST(CallArena, TrimKeepsWhatWasHandedOutAndGivesBackTheRest)
{
    constexpr size_t kSmallBlocksBytes = size_t(1008) << 10;  // 16 KiB, doubling to 512 KiB
    for (const size_t largest : {3, 4}) {
        SCOPED_TRACE(testing::Message() << largest << " of the largest blocks");
        SFilledArena a(1000);  // objects end inside pages
        // 1,030 objects fill the small blocks, 1,048 each of the largest: the last one a third full.
        a.Fill(1030 + 1048 * (largest - 1) + 300);
        ASSERT_EQ(a.arena.Reserved(), kSmallBlocksBytes + (largest << 20));
        a.arena.Trim();
        a.Check();
        // Where huge pages were refused, the pages after the last object never were resident.
        a.ExpectNothingResidentAfterTheLast();
        a.Fill(3 * 1048);  // through the given-back room into new pieces
        a.Check();
        a.arena.Trim();
        a.Check();
        a.arena.Release();
        EXPECT_EQ(a.arena.Reserved(), 0u);
    }
}

// Once the input left would not fill a piece of huge pages at the rate the arena filled so far, a
// new largest block holds only the pages its objects touched: the load's peak carries no room it
// never uses. The objects keep their bytes and places as in any block.
TEST(CallArena, NearTheEndOfItsInputNewBlocksHoldOnlyTouchedPages)
{
    SFilledArena a(1000);
    // The small blocks and both halves of a first piece, filled while most of the input is left.
    a.arena.SetProgress(1, 100);
    a.Fill(1030 + 2 * 1048);
    // About 3 MiB handed out for 90% of the input: the last 10% would take a third of a MiB.
    a.arena.SetProgress(90, 100);
    a.Fill(300);
    ASSERT_EQ(a.arena.Reserved(), (size_t(1008) << 10) + (size_t(3) << 20));
    a.ExpectNothingResidentAfterTheLast();
    a.Check();
    a.arena.Release();
    EXPECT_EQ(a.arena.Reserved(), 0u);
}

// The pool behind the block numbers and the call handles' side entries.
// A name looked up again is kept once; names that differ only past a NUL or in length stay apart, a
// long one is not taken, and after a rewind no name given back is handed out again.
TEST(CallArena, InternedNamesAreKeptOnceAndNotPastARewind)
{
    CCallArena arena;
    const char* first = arena.Intern("position", 8);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "position");
    EXPECT_EQ(arena.Intern("position", 8), first);
    EXPECT_NE(arena.Intern("positio", 7), first);
    EXPECT_NE(arena.Intern("position\0x", 10), first);
    EXPECT_EQ(std::memcmp(arena.Intern("position\0x", 10), "position\0x", 11), 0);
    const std::string longName(CCallArena::kInternedLength + 1, 'n');
    EXPECT_EQ(arena.Intern(longName.data(), longName.size()), nullptr);

    const char* kept = arena.Intern("normal", 6);
    const char* dropped = arena.Intern("texcoord", 8);
    arena.RewindTo(dropped);
    const char* again = arena.Intern("texcoord", 8);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again, "texcoord");
    std::memset(arena.Allocate(64), 0xA5, 64);  // room after the rewind: no name handed out may lie there
    EXPECT_STREQ(kept, "normal");
    EXPECT_STREQ(again, "texcoord");
}

TEST(NumberPool, HandsOutGivenBackNumbersFirstAndStopsAtItsLimit)
{
    CNumberPool pool(1, 4);
    EXPECT_EQ(pool.Take(), 1u);
    EXPECT_EQ(pool.Take(), 2u);
    pool.Give(1);
    EXPECT_EQ(pool.Take(), 1u);
    EXPECT_EQ(pool.Take(), 3u);
    EXPECT_EQ(pool.Take(), std::nullopt);
    pool.Give(2);
    EXPECT_EQ(pool.Take(), 2u);
}

// What a loaded call keeps beside itself (strings, blocks too small to stay in the file) lies in
// the trace's arena too, with no allocation of its own.
TEST(TraceReader, SmallCopiesOfLoadedCallsLiveInTheTraceArena)
{
    const std::string path = GenerateTrace("arena_copies.xqft", "es2-all");
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    int strings = 0, blocks = 0;
    for (uint32_t n = 1; n <= data->GetCallCount(); ++n) {
        const CGenCallInfo* info = data->GetCall(n)->GetCallInfo();
        if (!info->GetArguments())
            continue;
        for (const SApiTypeBase* value : *info->GetArguments()) {
            if (const auto* s = dynamic_cast<const SString*>(value); s && s->Text()) {
                ++strings;
                EXPECT_TRUE(CCallArena::Owns(s->Text())) << info->GetFunctionName();
            }
            const auto* d = dynamic_cast<const SDataPtr*>(value);
            if (d && d->GetData() && d->size < CTraceReader::kDefaultCopyBelow && !dynamic_cast<const SDataView*>(d)) {
                ++blocks;
                EXPECT_TRUE(CCallArena::Owns(d->GetData())) << info->GetFunctionName();
            }
        }
    }
    EXPECT_GT(strings, 0);
    EXPECT_GT(blocks, 0);
    CTraceReader::Instance().Close();
}
