// The analysis loop on the `mix` workload (800 x 600, 60 frames of about 474 calls and 200 indexed
// draws from buffers), recorded by xqft-record at the start of the run.
//  1. Frames 2 to 60 analysed in order as a user stepping through frames makes the dock do it
//     (GoToFrame, SetRange restoring the frame, one pass, the read-back), in frames/s; the same
//     frames rendered directly on the same context, each read back as well. Goals: 120 frames/s and
//     within 1.2x of the direct rendering.
//  2. The same frames in wireframe, complexity and highlight (draws 1 to 50 highlighted, the pass
//     alone). Goal: each within 2x of the standard pass.
//  3. The time the standard pass spends in the window pump, and in name-map lookups (the lookups
//     of one frame's calls, timed on the live maps).
// The playback's diagnostics go to /dev/null while it is timed.
#include "BenchSupport.h"
#include "PlaybackInterface.h"
#include "analysis/AnalysisPlayback.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <GLES2/gl2.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using namespace xqft::bench;

constexpr uint32_t kFirst = 2, kLast = 60, kDraws = 200, kWidth = 800, kHeight = 600;

// The window pump, timed.
bool (*g_pump)(NativeHandle) = nullptr;
double g_pumpSeconds = 0;
bool TimedPump(NativeHandle window)
{
    const auto t0 = Clock::now();
    const bool ok = g_pump(window);
    g_pumpSeconds += Seconds(t0, Clock::now());
    return ok;
}

// CPU seconds of the calling thread (the rendering threads of the host library not counted).
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct SPass
{
    double seconds = 0;
    double cpu = 0;      // of this thread
    double restore = 0;  // of which GoToFrame and SetRange
    int failures = 0;
};

// Frames kFirst..kLast as the dock renders them with the options set; highlight passes highlight
// draws 1 to 50 without the full pass before them.
SPass Analyse(CAnalysisInterface& a, uint8_t wireframe, uint8_t complexity, uint8_t highlight)
{
    a.SetOption(kOptionWireframe, wireframe);
    a.SetOption(kOptionComplexity, complexity);
    a.SetOption(kOptionInvertRange, 0);
    a.SetOption(kOptionHighlight, highlight);
    SPass pass;
    CQuiet quiet;
    const auto t0 = Clock::now();
    const double c0 = ThreadSeconds();
    for (uint32_t f = kFirst; f <= kLast; ++f) {
        const auto r0 = Clock::now();
        a.GoToFrame(f, kDraws);
        a.SetRange(1, highlight ? 50 : kDraws, 1);
        pass.restore += Seconds(r0, Clock::now());
        pass.failures += a.Analyse(0) != 1;
    }
    pass.seconds = Seconds(t0, Clock::now());
    pass.cpu = ThreadSeconds() - c0;
    return pass;
}

GLuint Shader(SEs2Host& gl, GLenum type, const char* source)
{
    const GLuint s = XQF_HOST(gl, glCreateShader)(type);
    XQF_HOST(gl, glShaderSource)(s, 1, &source, nullptr);
    XQF_HOST(gl, glCompileShader)(s);
    return s;
}

// The mix scene's frames drawn directly on the current context, each read back. Seconds; the
// calling thread's CPU seconds in cpu.
double Direct(SEs2Host& gl, double& cpu)
{
    const char* vs = "attribute vec4 a_position;\nuniform mat4 u_matrix;\nvarying vec3 v_p;\n"
                     "void main() { gl_Position = u_matrix * a_position; v_p = a_position.xyz; }\n";
    const char* fs = "precision mediump float;\nuniform vec4 u_color;\nvarying vec3 v_p;\n"
                     "void main() { gl_FragColor = u_color * (0.6 + 0.4 * v_p.z); }\n";
    const GLuint program = XQF_HOST(gl, glCreateProgram)();
    XQF_HOST(gl, glAttachShader)(program, Shader(gl, GL_VERTEX_SHADER, vs));
    XQF_HOST(gl, glAttachShader)(program, Shader(gl, GL_FRAGMENT_SHADER, fs));
    XQF_HOST(gl, glBindAttribLocation)(program, 0, "a_position");
    XQF_HOST(gl, glLinkProgram)(program);
    const GLint matrix = XQF_HOST(gl, glGetUniformLocation)(program, "u_matrix");
    const GLint color = XQF_HOST(gl, glGetUniformLocation)(program, "u_color");
    const float corners[] = {-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1};
    const uint16_t cube[] = {0, 1, 2, 0, 2, 3, 4, 6, 5, 4, 7, 6, 0, 4, 5, 0, 5, 1,
                             3, 2, 6, 3, 6, 7, 1, 5, 6, 1, 6, 2, 0, 3, 7, 0, 7, 4};
    GLuint buffers[2] = {};
    XQF_HOST(gl, glGenBuffers)(2, buffers);
    XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, buffers[0]);
    XQF_HOST(gl, glBufferData)(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    XQF_HOST(gl, glBufferData)(GL_ELEMENT_ARRAY_BUFFER, sizeof cube, cube, GL_STATIC_DRAW);
    XQF_HOST(gl, glBindFramebuffer)(GL_FRAMEBUFFER, 0);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4);
    const auto t0 = Clock::now();
    const double c0 = ThreadSeconds();
    for (uint32_t f = kFirst; f <= kLast; ++f) {
        XQF_HOST(gl, glViewport)(0, 0, kWidth, kHeight);
        XQF_HOST(gl, glClearColor)(0.05f, 0.05f, 0.1f, 1.0f);
        XQF_HOST(gl, glClearDepthf)(1.0f);
        XQF_HOST(gl, glClear)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        XQF_HOST(gl, glEnable)(GL_DEPTH_TEST);
        XQF_HOST(gl, glUseProgram)(program);
        XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, buffers[0]);
        XQF_HOST(gl, glVertexAttribPointer)(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
        XQF_HOST(gl, glEnableVertexAttribArray)(0);
        XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        for (uint32_t d = 0; d < kDraws; ++d) {
            if (d % 4 == 0)
                XQF_HOST(gl, glUniform4f)(color, 0.3f + 0.003f * float(d), 0.5f, 1.0f - 0.004f * float(d), 1.0f);
            const float angle = 0.02f * float(f) + 0.1f * float(d);
            const float c = std::cos(angle) * 0.04f, s = std::sin(angle) * 0.04f;
            const float x = -0.95f + 0.1f * float(d % 20), y = -0.9f + 0.18f * float(d / 20);
            const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 0.04f, 0, x, y, 0.5f - 0.002f * float(d), 1};
            XQF_HOST(gl, glUniformMatrix4fv)(matrix, 1, GL_FALSE, m);
            XQF_HOST(gl, glDrawElements)(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr);
        }
        XQF_HOST(gl, glDisable)(GL_DEPTH_TEST);
        XQF_HOST(gl, glReadPixels)(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    const double seconds = Seconds(t0, Clock::now());
    cpu = ThreadSeconds() - c0;
    XQF_HOST(gl, glDeleteBuffers)(2, buffers);
    XQF_HOST(gl, glDeleteProgram)(program);
    return seconds;
}

// The name-map lookups one frame's calls make (uniform locations, programs, buffers), timed on the
// live maps, repeated. Seconds a frame, and the lookups counted.
double LookupsOfAFrame(CTraceData& data, uint32_t frame, uint32_t& count)
{
    const STraceFrame* f = data.GetFrame(frame);
    std::vector<int> kinds;  // 0 uniform location, 1 program, 2 buffer
    for (uint32_t c = f->firstCall + 1; c <= f->endCall; ++c) {
        const char* name = CallFunctionName(uint16_t(data.GetCall(c)->call->GetId()));
        const std::string n = name ? name : "";
        if (n.rfind("glUniform", 0) == 0)
            kinds.push_back(0);
        else if (n == "glUseProgram")
            kinds.push_back(1);
        else if (n == "glBindBuffer")
            kinds.push_back(2);
    }
    count = uint32_t(kinds.size());
    constexpr int kRounds = 2000;
    volatile int64_t sink = 0;
    const auto t0 = Clock::now();
    for (int r = 0; r < kRounds; ++r)
        for (size_t i = 0; i < kinds.size(); ++i)
            sink = sink + (kinds[i] == 0 ? UniformLocationMap::Get(100 + uint32_t(i & 1))
                           : kinds[i] == 1 ? int64_t(ProgramNameMap::Get(3001))
                                           : int64_t(BufferNameMap::Get(4001)));
    return Seconds(t0, Clock::now()) / kRounds;
}

} // namespace

int main()
{
    const std::string dir = TempDir() + "/xqft-bench-analysis-" + std::to_string(getpid());
    if (!RecordSceneTrace(dir, "mix")) {
        std::printf("could not record the mix scene (xqft-record is built by `make`)\n");
        return 1;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    int loaded = 0;
    {
        CQuiet quiet;
        loaded = reader.LoadTrace(CXQFTString((dir + "/mix.xqft").c_str()), 1);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    if (loaded != 0 || !reader.GetTraceData()) {
        std::printf("the mix trace did not load (%d)\n", loaded);
        return 1;
    }
    SEs2Host* gl = nullptr;
    try {
        CQuiet quiet;
        gl = SEs2Host::Instance();
    } catch (const std::exception& e) {
        std::printf("no host ES 2.0 library: %s\n", e.what());
        return 1;
    }
    CTraceData& data = *reader.GetTraceData();
    {
        CAnalysisInterface a;
        a.SetTraceForAnalysis(&data);
        g_pump = a.Analysis()->m_windows.Pump;
        a.Analysis()->m_windows.Pump = &TimedPump;
        const uint32_t frames = kLast - kFirst + 1;
        Analyse(a, 0, 0, 0);  // warm: the context, the programs, the first uploads
        // Three rounds of each, interleaved (the machine is shared): the medians.
        std::vector<SPass> passes;
        std::vector<double> directs;
        double pump = 0, directCpu = 0;
        for (int round = 0; round < 3; ++round) {
            g_pumpSeconds = 0;
            passes.push_back(Analyse(a, 0, 0, 0));
            pump += g_pumpSeconds / 3;
            double cpu = 0;
            directs.push_back(Direct(*gl, cpu));
            directCpu += cpu / 3;
        }
        std::sort(passes.begin(), passes.end(), [](const SPass& x, const SPass& y) { return x.seconds < y.seconds; });
        std::sort(directs.begin(), directs.end());
        const SPass standard = passes[1];
        const double direct = directs[1];
        const double standardFps = frames / standard.seconds, directFps = frames / direct;
        std::printf("standard: %.1f frames/s (%.2f ms a frame, of which %.2f ms the frame's restore; %d failed), "
                    "direct rendering %.1f frames/s: ratio %.2f (goals >= 120 frames/s, <= 1.2)\n",
                    standardFps, standard.seconds * 1e3 / frames, standard.restore * 1e3 / frames, standard.failures,
                    directFps, standard.seconds / direct);
        std::printf("this thread's CPU: %.2f ms a frame analysed, %.2f ms a frame rendered directly\n",
                    standard.cpu * 1e3 / frames, directCpu * 1e3 / frames);
        std::printf("window pump: %.3f ms a frame (%.1f%% of the pass)\n", pump * 1e3 / frames,
                    100.0 * pump / standard.seconds);
        uint32_t lookups = 0;
        const double lookupSeconds = LookupsOfAFrame(data, 30, lookups);
        std::printf("name-map lookups: %u a frame, %.3f ms a frame (%.2f%% of the pass)\n", lookups,
                    lookupSeconds * 1e3, 100.0 * lookupSeconds * frames / standard.seconds);
        const struct
        {
            const char* name;
            uint8_t wireframe, complexity, highlight;
        } modes[] = {{"wireframe", 1, 0, 0}, {"complexity", 0, 1, 0}, {"highlight", 0, 0, 1}};
        for (const auto& m : modes) {
            const SPass pass = Analyse(a, m.wireframe, m.complexity, m.highlight);
            std::printf("%s: %.1f frames/s (%d failed), %.2fx the standard pass (goal <= 2)\n", m.name,
                        frames / pass.seconds, pass.failures, pass.seconds / standard.seconds);
        }
    }
    return 0;
}
