// Where the memory of a loaded trace goes, call by call: loads a trace, then destroys the call
// objects one function at a time and prints the heap each function's calls held outside the call
// arena (what the objects own: copied blocks, arrays, strings; allocator headers included), the
// largest first, with the room one object takes in the trace's call arena (the distance to the
// next call's object). The arena is also shown as a whole; the load
// once more without state tracking shows what the frames' state snapshots take.
// Arguments: FILE [rows]. Without FILE (or with "mixed"), a 200,000-call mixed ES 2.0 trace is
// generated; with "images", 200 frames of one eglSwapBuffers with a 512x512 frame image each.
#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace xqft::bench;

// `frames` eglSwapBuffers records, each with a side x side RGBA frame image.
void WriteImageTrace(const std::string& path, uint32_t frames, uint32_t side)
{
    CWriter w(path);
    const std::vector<uint8_t> image(size_t(side) * side * 4);
    for (uint32_t frame = 1; frame <= frames; ++frame)
        w.SwapBuffers(frame, side, side, image);
}

struct SUse
{
    std::string name;
    long long calls = 0;
    long long bytes = 0;
};

} // namespace

int main(int argc, char** argv)
{
    std::string path = argc > 1 ? argv[1] : "";
    const int rows = argc > 2 ? std::atoi(argv[2]) : 40;
    bool generated = false;
    if (path == "images") {
        path = TempDir() + "/bench_call_memory.xqft";
        WriteImageTrace(path, 200, 512);
        generated = true;
    } else if (path.empty() || path == "mixed") {
        path = TempDir() + "/bench_call_memory.xqft";
        const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + path +
                                    " --calls 200000 --frames 500";
        if (std::system(command.c_str()) != 0)
            return 1;
        generated = true;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    const long long before = HeapInUse();
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    const long long loaded = HeapInUse() - before;
    CTraceData* data = reader.GetTraceData();
    const uint32_t calls = data ? data->GetCallCount() : 0;
    std::printf("result %d, %u calls, heap %.1f MB (%.0f B/call), call entry %zu B, frame record %zu B\n", result,
                calls, loaded / 1e6, calls ? double(loaded) / calls : 0.0, sizeof(STraceCall), sizeof(STraceFrame));
    const double arena = data ? double(data->Arena().Reserved()) : 0.0;
    std::printf("call objects in the arena: %.1f MB (%.0f B/call)\n", arena / 1e6, calls ? arena / calls : 0.0);

    std::map<int, std::pair<long long, long long>> arenaOf;  // id: calls measured, bytes
    for (uint32_t i = 0; i + 1 < calls; ++i) {
        const auto* a = reinterpret_cast<const uint8_t*>(data->GetCall(i + 1)->call.get());
        const auto* b = reinterpret_cast<const uint8_t*>(data->GetCall(i + 2)->call.get());
        if (a && b > a && b - a <= 1024) {
            auto& [n, bytes] = arenaOf[data->GetCall(i + 1)->call->GetId()];
            ++n;
            bytes += b - a;
        }
    }
    std::map<int, std::vector<uint32_t>> byId;
    std::map<int, SUse> use;
    for (uint32_t i = 0; i < calls; ++i)
        if (const CApiCall* c = data->GetCall(i + 1)->call.get()) {
            byId[c->GetId()].push_back(i);
            use[c->GetId()].name = c->GetName();
        }
    long long total = 0;
    for (auto& [id, list] : byId) {
        const long long h0 = HeapInUse();
        for (uint32_t i : list)
            data->GetCall(i + 1)->call.reset();
        use[id].calls = static_cast<long long>(list.size());
        use[id].bytes = h0 - HeapInUse();
        total += use[id].bytes;
    }
    std::vector<std::pair<int, SUse>> sorted(use.begin(), use.end());
    std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.second.bytes > b.second.bytes; });
    std::printf("owned by the call objects: %.1f MB, %.0f B/call\n", total / 1e6, calls ? double(total) / calls : 0.0);
    std::printf("%6s %-32s %8s %10s %8s %8s\n", "id", "function", "calls", "B/object", "B/call", "arena B");
    for (int r = 0; r < rows && r < int(sorted.size()); ++r) {
        const SUse& u = sorted[r].second;
        const auto& [n, bytes] = arenaOf[sorted[r].first];
        std::printf("%6d %-32s %8lld %10.0f %8.1f %8.0f\n", sorted[r].first, u.name.c_str(), u.calls,
                    double(u.bytes) / u.calls, double(u.bytes) / calls, n ? double(bytes) / n : 0.0);
    }
    reader.Close();
    reader.SetStateTracking(false);
    const long long untracked0 = HeapInUse();
    reader.LoadTrace(CXQFTString(path.c_str()), 1);
    const long long untracked = HeapInUse() - untracked0;
    reader.SetStateTracking(true);
    std::printf("without state tracking: heap %.1f MB (%.0f B/call): the state snapshots took %.0f B/call\n",
                untracked / 1e6, calls ? double(untracked) / calls : 0.0,
                calls ? double(loaded - untracked) / calls : 0.0);
    reader.Close();
    if (generated) {
        std::remove(path.c_str());
        std::remove((path + ".info").c_str());
    }
    return 0;
}
