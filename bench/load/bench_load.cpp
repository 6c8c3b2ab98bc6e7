// Loading speed and memory of the trace loader, and the cost of one frame cut.
//  1. 1,000,000 small records in 100,000 frames (9 eglGetError + 1 eglSwapBuffers a frame):
//     calls/s and MB/s on one core; memory per call. Goal: >= 1.5 M calls/s, <= 150 B/call.
//  2. 2,000 frames each with a 512x512 RGBA frame image (2 GiB): MB/s (goal >= 1 GB/s) and
//     memory per call (the images stay in the file: bench_captured compares with copying them).
//  3. A frame cut whose ES 2.0 state holds 1,000 objects (goal < 0.5 ms).
// The traces are written to $TMPDIR (or /tmp) and removed afterwards.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

#include "CallQueries.h"
#include "BenchLoad.h"
#include "BenchTraceWriter.h"
#include "apicall/ApiCall.h"
#include "data/TraceReader.h"

namespace {
using namespace xqft::bench;

struct SFigures
{
    double seconds;
    uint32_t calls;
    int32_t frames;
    long long bytes;
    long long heapDelta;
    long long peakDeltaKiB;
    int result;
    long long privatePeakDeltaKiB;
};

SFigures Load(const std::string& path)
{
    CTraceReader& reader = CTraceReader::Instance();
    static FILE* sink = std::fopen("/dev/null", "w");
    reader.SetLog(sink, sink);
    reader.Close();
    const SMeasuredLoad load = MeasuredLoad(path);
    CTraceData* data = reader.GetTraceData();
    SFigures f{load.seconds, data ? data->GetCallCount() : 0, data ? data->GetFrameCount() : 0, 0,
               load.heapDelta, load.peakDeltaKiB, load.result, load.privatePeakDeltaKiB};
    FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    f.bytes = std::ftell(file);
    std::fclose(file);
    return f;
}

SFigures BestOf(const std::string& path, int runs)
{
    SFigures best = Load(path);
    for (int i = 1; i < runs; ++i) {
        SFigures f = Load(path);
        if (f.seconds < best.seconds)
            best = f;
    }
    return best;
}

constexpr uint16_t kFillId = CallIdOf(ECallFamily::Es2, "glActiveTexture");
constexpr uint16_t kSwapId = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");

// An ES 2.0 call whose effect fills the state with objects (objects > 0), touches one field (0),
// or changes one texture image (-1).
class CFillCall : public CApiCall
{
public:
    CFillCall(int objects, uint16_t id) : CApiCall(nullptr), m_objects(objects)
    {
        m_apiKind = kApiEs2;
        m_callId = id;
    }
    const char* GetName() const override { return IsFrameEnd(m_callId) ? "eglSwapBuffers" : "fill"; }
    int GetId() const override { return m_callId; }
    const char* GetCategory() const override { return ""; }
    bool UpdateState(void* state, uint32_t frame) override
    {
        auto* s = static_cast<SEs2State*>(state);
        if (m_objects == 0) {
            s->viewport[0] = static_cast<int32_t>(frame);
            return true;
        }
        if (m_objects < 0) {
            s->textures[2][0][0].width = static_cast<int32_t>(frame);
            return true;
        }
        static const uint8_t pixels[64] = {};
        const SharedBytes bytes = CopyBytes(pixels, sizeof pixels);
        for (int i = 0; i < m_objects; ++i) {
            const uint32_t name = static_cast<uint32_t>(i + 1);
            switch (i % 5) {
            case 0: s->buffers[name].data = bytes; break;
            case 1: s->textures[name][0][0].data = bytes; break;
            case 2: s->shaders[name].type = 0x8B31; break;
            case 3: s->programs[name].linked = 1; break;
            default: s->uniforms[name][0].name = "u_value"; s->uniforms[name][0].floats.assign(4, 1.0f);
            }
        }
        return true;
    }

private:
    int m_objects;
};
}  // namespace

int main()
{
    const std::string dir = TempDir();
    const std::string small = dir + "/bench_load_small_" + std::to_string(getpid()) + ".xqft";
    const std::string images = dir + "/bench_load_images_" + std::to_string(getpid()) + ".xqft";

    {
        CWriter w(small);
        for (uint32_t frame = 1; frame <= 100000; ++frame) {
            for (int i = 0; i < 9; ++i)
                w.GetError();
            w.SwapBuffers(frame, 0, 0, {});
        }
    }
    const SFigures s = BestOf(small, 3);
    std::printf("small records: result %d, %u calls in %d frames, %.1f MB in %.3f s\n", s.result, s.calls, s.frames,
                s.bytes / 1e6, s.seconds);
    std::printf("  %.2f M calls/s (goal >= 1.5), %.0f MB/s, memory %.0f B/call (goal <= 150), peak +%lld KiB\n",
                s.calls / s.seconds / 1e6, s.bytes / s.seconds / 1e6,
                s.calls ? double(s.heapDelta) / s.calls : 0.0, s.peakDeltaKiB);
    CTraceReader::Instance().Close();
    std::remove(small.c_str());

    const uint32_t side = 512, frames = 2000;
    {
        CWriter w(images);
        std::vector<uint8_t> image(size_t(side) * side * 4);
        for (uint32_t frame = 1; frame <= frames; ++frame) {
            std::memset(image.data(), int(frame & 0xFF), image.size());
            w.SwapBuffers(frame, side, side, image);
        }
    }
    const SFigures m = BestOf(images, 2);
    std::printf("frame images: result %d, %u calls in %d frames, %.0f MB in %.3f s\n", m.result, m.calls, m.frames,
                m.bytes / 1e6, m.seconds);
    // The images stay in the file: the heap holds the calls, not their bytes.
    std::printf("  %.0f MB/s (goal >= 1000), heap %.0f B/call (goal <= 150), private peak +%lld KiB, resident peak "
                "+%lld KiB\n",
                m.bytes / m.seconds / 1e6, m.calls ? double(m.heapDelta) / m.calls : 0.0, m.privatePeakDeltaKiB,
                m.peakDeltaKiB);
    CTraceReader::Instance().Close();
    std::remove(images.c_str());

    // A frame cut copies only the states that changed: here an ES 2.0 state of 1,000 objects.
    // Tables are shared with the snapshot until changed, so the second figure adds a change to
    // one texture after each cut (which copies the tables on its path).
    for (const int touch : {0, -1}) {
        CTraceData data;
        data.AddCall(new CFillCall(1000, kFillId), 0, 0);
        const int cuts = 2000;
        const auto t0 = Clock::now();
        for (int i = 0; i < cuts; ++i) {
            data.AddCall(new CFillCall(touch, kFillId), 0, 0);
            data.AddCall(new CFillCall(0, kSwapId), 0, 0);
        }
        const auto t1 = Clock::now();
        std::printf("frame cut with 1,000 ES 2.0 objects%s: %.2f us (goal < 500 us), %d frames\n",
                    touch ? ", then a change to one texture" : "", Seconds(t0, t1) * 1e6 / cuts,
                    data.GetFrameCount());
    }
    return 0;
}
