// The extension player on the host: a frame of 10,000 ES 2.0 extension calls, vertex-array binds
// and map/unmap pairs writing 4 KiB, replayed through a playback (one warm-up pass, then five
// timed) beside the same calls made directly, the 4 KiB written through the mapping included.
// Goal: under 1 us per call above the direct call.
#include "BenchStateCalls.h"
#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "Playback.h"
#include "host/HostContext.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "CallQueries.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <GLES2/gl2.h>

#include "BenchHostFrame.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
using namespace xqft::bench;

constexpr uint32_t kCalls = 10000, kBytes = 4096, kRecordedArray = 1;
constexpr GLenum kWriteOnly = 0x88B9;

// One extension record on ES 2.0 (selector 2) without error.
void Ext(CWriter& w, const char* function, const std::vector<uint8_t>& payload)
{
    uint16_t id = 0;
    for (const SCallRow& r : callrows::kExt)
        if (std::string(r.function) == function)
            id = r.id;
    w.Record(id, 8 + uint32_t(payload.size()));
    w.U32(0);
    w.U32(2);
    std::fwrite(payload.data(), 1, payload.size(), w.m_f);
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    CWriter::Words(out, words);
    return out;
}

} // namespace

int main()
{
    SHostContext context;
    SEs2Host* host = OpenEs2Host(context);
    if (!host)
        return 1;
    SEs2Host& gl = *host;
    LoadEs2ExtensionsOnce();
    const SHostExtensionSlots& ext = gl.ext;
    if (!ext.glBindVertexArrayOES || !ext.glMapBufferOES || !ext.glUnmapBufferOES || !ext.glGetBufferPointervOES) {
        std::printf("the host lacks vertex-array objects or buffer mapping: nothing to time\n");
        return 0;
    }
    auto bindArray = reinterpret_cast<void (*)(GLuint)>(ext.glBindVertexArrayOES);
    auto genArrays = reinterpret_cast<void (*)(GLsizei, GLuint*)>(ext.glGenVertexArraysOES);
    auto map = reinterpret_cast<void* (*)(GLenum, GLenum)>(ext.glMapBufferOES);
    auto unmap = reinterpret_cast<GLboolean (*)(GLenum)>(ext.glUnmapBufferOES);

    // The host's objects: a vertex array, and a bound buffer of 4 KiB.
    GLuint array = 0, buffer = 0;
    genArrays(1, &array);
    XQF_HOST(gl, glGenBuffers)(1, &buffer);
    XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, buffer);
    XQF_HOST(gl, glBufferData)(GL_ARRAY_BUFFER, kBytes, nullptr, GL_DYNAMIC_DRAW);

    // The frame: bind, map, unmap with its 4 KiB, unbind.
    const std::string path = TempDir() + "/xqft-bench-ext-" + std::to_string(getpid()) + ".xqft";
    {
        CWriter w(path);
        std::vector<uint8_t> unmapPayload = Words({GL_ARRAY_BUFFER});
        CWriter::Block(unmapPayload, 0x8000, kBytes, 0x5A);
        for (uint32_t i = 0; i < kCalls / 4; ++i) {
            Ext(w, "glBindVertexArrayOES", Words({kRecordedArray}));
            Ext(w, "glMapBufferOES", Words({GL_ARRAY_BUFFER, kWriteOnly}));
            Ext(w, "glUnmapBufferOES", unmapPayload);
            Ext(w, "glBindVertexArrayOES", Words({0}));
        }
    }
    CTraceData* data = LoadWrittenTrace(path, "extension");
    if (!data)
        return 1;
    CPlayback playback;
    playback.BindTrace(data);
    VertexArrayNameMap::Set(kRecordedArray, array);
    const uint32_t calls = data->GetCallCount();
    const double played = PlayedSecondsPerCall(playback, *data, "extension call", true);
    if (played < 0)
        return 1;

    std::vector<uint8_t> bytes(kBytes, 0x5A);
    const auto t0 = Clock::now();
    for (int round = 0; round < 5; ++round)
        for (uint32_t n = 0; n < calls / 4; ++n) {
            bindArray(array);
            void* mapped = map(GL_ARRAY_BUFFER, kWriteOnly);
            if (mapped)
                std::memcpy(mapped, bytes.data(), kBytes);
            unmap(GL_ARRAY_BUFFER);
            bindArray(0);
        }
    PrintPerCall("an extension call", played, Seconds(t0, Clock::now()) / (5.0 * calls), calls);
    CTraceReader::Instance().Close();
    context.Release();
    return 0;
}
