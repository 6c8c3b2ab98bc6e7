// egl-host FILE --frame N [--play]: restores frame N's EGL state on the host (with --play, then
// replays frame N's EGL calls through the EGL player) and prints what the host holds, one item a
// line after the restore's own diagnostics:
//   egl-host context=set|none
//   egl-host draw=WxH read=WxH          (0x0 without a surface)
//   egl-host surfaces=WxH,... windows=N  (every host surface of the current display, sorted; the
//                                          playback windows made)
//   egl-host display_initialized=0|1 api=0xAPI host_egl_initialised=0|1
//   egl-host config red=R green=G blue=B alpha=A depth=D stencil=S samples=N id=HOST_CONFIG_ID
//                                          (the current context's config; for a context made without
//                                          one, its draw surface's)
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Playback.h"
#include "apicall/ApiCall.h"
#include "apicall/CallFactory.h"
#include "egl/EglMaps.h"
#include "egl/EglRestore.h"
#include "host/HostTables.h"

#include <EGL/egl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>
#include <vector>
#include <string>

namespace {

void PrintHost()
{
    SEglHost& egl = *SEglHost::Instance();
    EGLDisplay display = XQF_HOST(egl, eglGetCurrentDisplay)();
    EGLContext context = XQF_HOST(egl, eglGetCurrentContext)();
    printf("egl-host context=%s\n", context ? "set" : "none");
    auto size = [&](EGLint which) {
        EGLSurface s = XQF_HOST(egl, eglGetCurrentSurface)(which);
        EGLint w = 0, h = 0;
        if (s) {
            XQF_HOST(egl, eglQuerySurface)(display, s, EGL_WIDTH, &w);
            XQF_HOST(egl, eglQuerySurface)(display, s, EGL_HEIGHT, &h);
        }
        return std::to_string(w) + "x" + std::to_string(h);
    };
    printf("egl-host draw=%s read=%s\n", size(EGL_DRAW).c_str(), size(EGL_READ).c_str());
    std::vector<std::string> surfaces;
    if (const CHandleTable<uint64_t>* mapped = std::as_const(SurfaceHandleMap::Table()).Get(uint64_t(display)))
        for (const auto& entry : *mapped) {
            EGLint w = 0, h = 0;
            XQF_HOST(egl, eglQuerySurface)(display, reinterpret_cast<EGLSurface>(entry.record), EGL_WIDTH, &w);
            XQF_HOST(egl, eglQuerySurface)(display, reinterpret_cast<EGLSurface>(entry.record), EGL_HEIGHT, &h);
            surfaces.push_back(std::to_string(w) + "x" + std::to_string(h));
        }
    std::sort(surfaces.begin(), surfaces.end());
    std::string list;
    for (const std::string& s : surfaces)
        list += (list.empty() ? "" : ",") + s;
    printf("egl-host surfaces=%s windows=%d\n", list.c_str(), PlaybackWindowMap::Table().Count());
    const bool initialized = display && XQF_HOST(egl, eglQueryString)(display, EGL_VENDOR) != nullptr;
    printf("egl-host display_initialized=%d api=0x%X host_egl_initialised=%d\n", initialized ? 1 : 0,
           XQF_HOST(egl, eglQueryAPI)(), int(CPlayback::s_hostEglInitialised));
    EGLint id = 0, count = 0;
    EGLConfig config = nullptr;
    if (context && XQF_HOST(egl, eglQueryContext)(display, context, EGL_CONFIG_ID, &id) && id == 0)
        if (EGLSurface draw = XQF_HOST(egl, eglGetCurrentSurface)(EGL_DRAW))
            XQF_HOST(egl, eglQuerySurface)(display, draw, EGL_CONFIG_ID, &id);
    if (id > 0) {
        const EGLint byId[] = {EGL_CONFIG_ID, id, EGL_NONE};
        XQF_HOST(egl, eglChooseConfig)(display, byId, &config, 1, &count);
    }
    printf("egl-host config");
    for (auto [name, attribute] : {std::pair{"red", EGL_RED_SIZE}, std::pair{"green", EGL_GREEN_SIZE},
                                   std::pair{"blue", EGL_BLUE_SIZE}, std::pair{"alpha", EGL_ALPHA_SIZE},
                                   std::pair{"depth", EGL_DEPTH_SIZE}, std::pair{"stencil", EGL_STENCIL_SIZE},
                                   std::pair{"samples", EGL_SAMPLES}, std::pair{"id", EGL_CONFIG_ID}}) {
        EGLint v = 0;
        if (count > 0)
            XQF_HOST(egl, eglGetConfigAttrib)(display, config, attribute, &v);
        printf(" %s=%d", name, v);
    }
    printf("\n");
}

int Run(const std::vector<std::string>& args)
{
    std::vector<std::string> rest;
    bool play = false;
    for (const std::string& a : args) {
        if (a == "--play")
            play = true;
        else
            rest.push_back(a);
    }
    std::string path;
    long frame = 0;
    if (!ParseFileAndNumber(rest, "--frame", "egl-host FILE --frame N [--play]", path, frame))
        return kDumpUsage;
    CLoadedTrace trace(path, 0, uint32_t(frame));
    CTraceData* data = trace.Data();
    SEglState snapshot, current;
    const STraceFrame* f = data ? data->GetFrame(uint32_t(frame)) : nullptr;
    if (!f || !data->GetFrameEglState(uint32_t(frame), &snapshot)) {
        ReportNotInTrace(path, "frame", frame);
        return kDumpUsage;
    }
    if (SEglHost::Instance()->IsFailed()) {
        fprintf(stderr, "ERROR: no host EGL library\n");
        return kDumpUsage;
    }
    RestoreEglState(snapshot, uint32_t(frame), current);
    if (play) {
        CPlayback playback;
        playback.BindTrace(data);
        const uint32_t end = f->endCall == STraceFrame::kOpenEnd ? data->GetCallCount() : f->endCall;
        for (uint32_t n = f->firstCall + 1; n <= end; ++n) {
            STraceCall* entry = data->GetCall(n);
            if (entry && CallFamilyOfId(entry->call->GetCallId()) == ECallFamily::Egl)
                playback.PlayCall(entry, 0);
        }
    }
    fflush(stdout);
    PrintHost();
    if (!CapturedBytesStillThere(data))
        return kDumpMalformed;
    return kDumpOk;
}
} // namespace

XQFT_DUMP_COMMAND("egl-host", "FILE --frame N [--play]", Run);
