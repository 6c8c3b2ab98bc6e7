// Replays recorded EGL calls (ids 1001-1034) on the host EGL library through the EGL maps.
#include "EglMaps.h"
#include "Diagnostics.h"
#include "PlayArgs.h"
#include "Playback.h"
#include "host/HostTables.h"

#include "data/TraceData.h"
#include "values/EglHolders.h"

#include <EGL/egl.h>

#include <vector>

namespace {

// A recorded attribute list as the host takes it: read within its recorded count and ended with
// EGL_NONE (a device's list may lack the terminator). Null when the call carries no list.
struct SHostAttribs
{
    std::vector<EGLint> values;
    const EGLint* Data() const { return values.empty() ? nullptr : values.data(); }
};

SHostAttribs HostAttribs(const SEglAttribList* list)
{
    SHostAttribs out;
    const size_t n = list ? list->ElementCount() : 0;
    if (n == 0)
        return out;
    const uint32_t* v = const_cast<SEglAttribList*>(list)->GetData();
    for (size_t i = 0; i + 1 < n && EGLint(v[i]) != EGL_NONE; i += 2)
        out.values.insert(out.values.end(), {EGLint(v[i]), EGLint(v[i + 1])});
    out.values.push_back(EGL_NONE);
    return out;
}

// The recorded configuration's attribute values, for MatchEglConfig.
void* MatchConfig(uint64_t display, uint32_t recordedConfig, const SEglAttribList* list)
{
    const size_t n = list ? list->ElementCount() : 0;
    return MatchEglConfig(display, recordedConfig, n ? const_cast<SEglAttribList*>(list)->GetData() : nullptr,
                          uint32_t(n));
}

} // namespace

bool CPlayback::CheckEglError()
{
    m_lastHostError = uint32_t(XQF_HOST(*SEglHost::Instance(), eglGetError)());
    if (m_lastHostError == EGL_SUCCESS)
        return true;
    printf("EGL Error Code: 0x%lx, Call= %s\n", long(m_lastHostError), m_callName.CStr() ? m_callName.CStr() : "");
    printf("\n");
    return false;
}

uint8_t CPlayback::PlayEglCall(STraceCall* entry, uint8_t)
{
    CApiCall& call = *entry->call;
    if (!call.RecordedSuccess())
        return 1;  // a call that failed on the device is not repeated
    SEglHost& h = *SEglHost::Instance();
    const CPlayArgs args(call);
    auto display = [&] { return HostDisplayOrDefault(m_windows, args.U32(0)); };
    auto hostDisplay = [&] { return reinterpret_cast<EGLDisplay>(display()); };
    switch (call.GetId()) {
    case 1001:  // eglChooseConfig: configs are chosen where contexts and surfaces are made
        break;
    case 1002:
        PlaybackWarning("Not Implemented. Call using pixmap, skipping");
        return 1;
    case 1003: {  // eglCreateContext
        const uint64_t d = display();
        void* config = MatchConfig(d, args.U32(1), args.As<SEglAttribList>(4));
        const uint64_t share = ContextHandleMap::Get(d, args.U32(2));
        const SHostAttribs attribs = HostAttribs(args.As<SEglAttribList>(3));
        EGLContext context = XQF_HOST(h, eglCreateContext)(reinterpret_cast<EGLDisplay>(d), config,
                                                           reinterpret_cast<EGLContext>(share), attribs.Data());
        m_lastHostError = uint32_t(XQF_HOST(h, eglGetError)());
        if (m_lastHostError != EGL_SUCCESS) {
            printf("Error pos eglCreateContext: 0x%x", m_lastHostError);
            printf("\n");
        }
        ContextHandleMap::Set(d, args.ReturnU32(), reinterpret_cast<uint64_t>(context));
        NoteHostContext(reinterpret_cast<uint64_t>(context), share);
        break;
    }
    case 1004: {  // eglCreatePbufferSurface
        const uint64_t d = display();
        void* config = MatchConfig(d, args.U32(1), args.As<SEglAttribList>(3));
        const SHostAttribs attribs = HostAttribs(args.As<SEglAttribList>(2));
        EGLSurface surface = XQF_HOST(h, eglCreatePbufferSurface)(reinterpret_cast<EGLDisplay>(d), config, attribs.Data());
        SurfaceHandleMap::Set(d, args.ReturnU32(), reinterpret_cast<uint64_t>(surface));
        break;
    }
    case 1005:
        PlaybackWarning("Pixmaps not supported in playback");
        return 1;
    case 1006: {  // eglCreateWindowSurface: a surface made before (replay or restore) is kept
        const uint64_t d = display();
        if (SurfaceHandleMap::Get(d, args.ReturnU32()) != 0)
            return 1;
        void* config = MatchConfig(d, args.U32(1), args.As<SEglAttribList>(4));
        const NativeHandle native = DisplayNativeHandleMap::Get(d);
        const auto* win = args.As<SEglNativeWindowDesc>(2);
        const SEglSurfaceWindow recorded{win ? win->handle.value : 0u, win ? win->width : 0u, win ? win->height : 0u};
        const NativeHandle window = CreatePlaybackWindow(m_windows, recorded, native);
        m_lastHostError = uint32_t(XQF_HOST(h, eglGetError)());
        EGLSurface surface = XQF_HOST(h, eglCreateWindowSurface)(reinterpret_cast<EGLDisplay>(d), config,
                                                                 EGLNativeWindowType(window), nullptr);
        m_lastHostError = uint32_t(XQF_HOST(h, eglGetError)());
        if (m_lastHostError != EGL_SUCCESS)
            PlaybackError("EGL Error Code: 0x%lx, CallID = %d\n", long(m_lastHostError), 1006);
        EGLint width = 0, height = 0;
        XQF_HOST(h, eglQuerySurface)(reinterpret_cast<EGLDisplay>(d), surface, EGL_WIDTH, &width);
        XQF_HOST(h, eglQuerySurface)(reinterpret_cast<EGLDisplay>(d), surface, EGL_HEIGHT, &height);
        m_surfaceWidth = uint32_t(width);
        m_surfaceHeight = uint32_t(height);
        if (m_surfaceWidth == 1 || m_surfaceHeight == 1) {
            m_surfaceWidth = 640;
            m_surfaceHeight = 480;
        }
        SurfaceHandleMap::Set(d, args.ReturnU32(), reinterpret_cast<uint64_t>(surface));
        return 1;
    }
    case 1007:  // eglDestroyContext: a current context lives on until it is released
        DestroyHostContext(display(), args.U32(1));
        break;
    case 1008: {  // eglDestroySurface
        const uint64_t d = display();
        XQF_HOST(h, eglDestroySurface)(reinterpret_cast<EGLDisplay>(d),
                                       reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(d, args.U32(1))));
        SurfaceHandleMap::Erase(d, args.U32(1));
        break;
    }
    case 1009: case 1010: case 1011: case 1012: case 1013: case 1015: case 1016: case 1032:
        return 1;  // queries are not repeated
    case 1014: {  // eglGetDisplay
        const NativeHandle native = GetNativeDisplayWindow(m_windows, args.U32(0));
        EGLDisplay d = XQF_HOST(h, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
        DisplayHandleMap::Set(args.ReturnU32(), reinterpret_cast<uint64_t>(d), native);
        break;
    }
    case 1017: {  // eglInitialize (a display never got is initialised where it is mapped)
        const bool mappedNow = args.U32(0) != 0 && DisplayHandleMap::Get(args.U32(0)) == 0;
        const EGLDisplay d = hostDisplay();
        if (!mappedNow)
            XQF_HOST(h, eglInitialize)(d, nullptr, nullptr);
        HostEglInitialised = 1;
        break;
    }
    case 1018: {  // eglMakeCurrent
        const uint64_t d = display();
        EGLSurface draw = reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(d, args.U32(1)));
        EGLSurface read = reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(d, args.U32(2)));
        EGLContext context = reinterpret_cast<EGLContext>(ContextHandleMap::Get(d, args.U32(3)));
        EGLDisplay dpy = reinterpret_cast<EGLDisplay>(d);
        XQF_HOST(h, eglMakeCurrent)(dpy, draw, read, context);
        if (context) {
            if (CheckEglError() && m_mode == 1)
                XQF_HOST(h, eglSwapInterval)(dpy, 0);
            CheckEglError();
            EGLint value = 0;
            XQF_HOST(h, eglQuerySurface)(dpy, read, EGL_WIDTH, &value);
            m_surfaceWidth = uint32_t(value);
            CheckEglError();
            value = 0;
            XQF_HOST(h, eglQuerySurface)(dpy, read, EGL_HEIGHT, &value);
            m_surfaceHeight = uint32_t(value);
            CheckEglError();
        }
        if (m_surfaceWidth == 1 || m_surfaceHeight == 1) {
            m_surfaceWidth = 640;
            m_surfaceHeight = 480;
        }
        AfterHostMakeCurrent();  // after the error checks: it may destroy a released context
        uint64_t kept = d;
        RememberWindowSize(&m_surfaceWidth, &m_surfaceHeight, &kept);
        break;
    }
    case 1019: case 1020: case 1021:
        break;
    case 1022:  // eglSwapBuffers
        XQF_HOST(h, eglSwapBuffers)(hostDisplay(),
                                    reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(display(), args.U32(1))));
        break;
    case 1023: {  // eglTerminate
        const uint64_t d = DisplayHandleMap::Get(args.U32(0));
        XQF_HOST(h, eglTerminate)(reinterpret_cast<EGLDisplay>(d));
        ForgetContextsWaitingOn(d);
        ResetDisplayObjects(d);
        DestroyDisplay(args.U32(0));
        HostEglInitialised = 0;
        break;
    }
    case 1024:
        XQF_HOST(h, eglWaitGL)();
        break;
    case 1025:
        XQF_HOST(h, eglWaitNative)(EGL_CORE_NATIVE_ENGINE);
        return 1;
    case 1026:
        XQF_HOST(h, eglBindTexImage)(hostDisplay(),
                                     reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(display(), args.U32(1))),
                                     args.I32(2));
        break;
    case 1027:
        XQF_HOST(h, eglReleaseTexImage)(hostDisplay(),
                                        reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(display(), args.U32(1))),
                                        args.I32(2));
        break;
    case 1028:
        XQF_HOST(h, eglSurfaceAttrib)(hostDisplay(),
                                      reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(display(), args.U32(1))),
                                      args.I32(2), args.I32(3));
        break;
    case 1029:
        XQF_HOST(h, eglSwapInterval)(hostDisplay(), args.I32(1));
        break;
    case 1030:
        XQF_HOST(h, eglBindAPI)(args.U32(0));
        break;
    case 1031:
        PlaybackWarning("Pbuffers not supported in playback (client)");
        return 1;
    case 1033:
        XQF_HOST(h, eglReleaseThread)();
        AfterHostMakeCurrent();
        break;
    case 1034:
        XQF_HOST(h, eglWaitClient)();
        break;
    default:
        printf("EGL Unknown call");
        printf("\n");
        return 0;
    }
    if (m_checkErrors == 1)
        return CheckEglError() ? 1 : 0;
    return 1;
}
