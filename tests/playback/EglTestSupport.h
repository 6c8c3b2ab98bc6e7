#pragma once
// EGL call-log lines of a small session (handles as a device recorded them: display 1, config 0x11,
// context 0x21, surfaces 0x31..., windows 0x55...) and the reset of the process-wide EGL maps between
// test cases.
#include "HostSpy.h"
#include "LogTrace.h"
#include "Playback.h"
#include "egl/EglMaps.h"

#include <EGL/egl.h>

#include <string>
#include <vector>

namespace egltest {

inline const std::string kConfigList = "[12324,8,12323,8,12322,8,12321,8,12325,24,12326,8,12339,5,12352,4,12344]";

inline std::string Line(int id, const std::string& values, int error = EGL_SUCCESS)
{
    return "{\"id\":" + std::to_string(id) + ",\"err\":" + std::to_string(error) + ",\"v\":{" + values + "}}";
}
inline std::string GetDisplay(int display = 1) { return Line(1014, "\"return\":" + std::to_string(display) + ",\"NativeDisplayType\":0"); }
inline std::string Initialize(int display = 1) { return Line(1017, "\"return\":1,\"dpy\":" + std::to_string(display)); }
inline std::string BindApi() { return Line(1030, "\"return\":1,\"api\":12448"); }
inline std::string CreateContext(int context = 0x21, int share = 0, int display = 1)
{
    return Line(1003, "\"return\":" + std::to_string(context) + ",\"dpy\":" + std::to_string(display) +
                          ",\"config\":17,\"share_context\":" + std::to_string(share) +
                          ",\"attrib_list\":[12440,2,12344],\"attrib_list_config\":" + kConfigList);
}
inline std::string CreateWindowSurface(int surface, int window, int width, int height, int display = 1)
{
    return Line(1006, "\"return\":" + std::to_string(surface) + ",\"dpy\":" + std::to_string(display) +
                          ",\"config\":17,\"win\":[" + std::to_string(window) + "," + std::to_string(width) + "," +
                          std::to_string(height) + "],\"attrib_list\":null,\"surface_attribs\":" + kConfigList);
}
inline std::string MakeCurrent(int draw, int context, int display = 1)
{
    return Line(1018, "\"return\":1,\"dpy\":" + std::to_string(display) + ",\"draw\":" + std::to_string(draw) +
                          ",\"read\":" + std::to_string(draw) + ",\"ctx\":" + std::to_string(context) +
                          ",\"config\":17,\"attribs\":" + kConfigList);
}
inline std::string SwapBuffers(int surface, int error = EGL_SUCCESS, int display = 1)
{
    return Line(1022, "\"return\":1,\"dpy\":" + std::to_string(display) + ",\"surface\":" + std::to_string(surface) +
                          ",\"frame\":1,\"width\":0,\"height\":0",
                error);
}
// eglGetDisplay ... eglMakeCurrent of one window surface. Playback windows stay made for their
// recorded handle for the process's life: a case that needs a window of its own size names its own.
inline std::vector<std::string> Session(int width = 64, int height = 48, int window = 0x55)
{
    return {GetDisplay(), Initialize(), BindApi(), CreateContext(), CreateWindowSurface(0x31, window, width, height),
            MakeCurrent(0x31, 0x21)};
}

// Forgets every host object the EGL maps name (the objects stay on the host).
inline void ResetEglMaps()
{
    DisplayHandleMap::Table().Reset();
    DisplayNativeHandleMap::Table().Reset();
    SurfaceHandleMap::Table().Reset();
    ContextHandleMap::Table().Reset();
    ConfigHandleMap::Table().Reset();
    CPlayback::s_hostEglInitialised = false;
}

// Wraps the EGL functions the players and restores call.
inline void SpyOnEgl(CHostSpy& spy)
{
    SEglHost& egl = *SEglHost::Instance();
    XQF_SPY(spy, egl, eglGetDisplay);
    XQF_SPY(spy, egl, eglInitialize);
    XQF_SPY(spy, egl, eglTerminate);
    XQF_SPY(spy, egl, eglChooseConfig);
    XQF_SPY(spy, egl, eglCreateContext);
    XQF_SPY(spy, egl, eglDestroyContext);
    XQF_SPY(spy, egl, eglCreateWindowSurface);
    XQF_SPY(spy, egl, eglDestroySurface);
    XQF_SPY(spy, egl, eglMakeCurrent);
    XQF_SPY(spy, egl, eglQuerySurface);
    XQF_SPY(spy, egl, eglSwapBuffers);
    XQF_SPY(spy, egl, eglSwapInterval);
    XQF_SPY(spy, egl, eglBindTexImage);
    XQF_SPY(spy, egl, eglReleaseTexImage);
}

} // namespace egltest
