#pragma once
// Mesa opened straight (its own dlopen, none of the playback's adapters): the surfaceless EGL
// display, the RGBA 8888 config with depth 24 and stencil 8 a device would have chosen for the
// scene's API, pbuffers of the recorded windows' sizes and ES 1.1 or ES 2.0 contexts. Calls go
// through tables of the same shape as the playback's host tables, so XQF_HOST names their entry
// points.
#include "host/HostTables.h"
#include "apicall/EsVersion.h"

#include <EGL/egl.h>

#include <string>

struct SDirectEgl : THostEntries<kEglHostFirstId, kEglHostCount, kEglHostNames>
{
};
struct SDirectGl : THostEntries<kEs2HostFirstId, kEs2HostCount, kEs2HostNames>
{
};
struct SDirectGl1 : THostEntries<kEs1HostFirstId, kEs1HostCount, kEs1HostNames>
{
};

class CDirectMesa
{
public:
    // Opens the libraries and the display and chooses a config for api (kEsVersion1, kEsVersion2);
    // false with a reason when the host cannot.
    bool Open(std::string& error, int api);

    SDirectEgl egl;
    SDirectGl gl;
    SDirectGl1 gl1;  // filled for ES 1.1 scenes
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;

    // Any entry point by name (ES 3.x ones included), through eglGetProcAddress.
    static void* Resolve(const char* name);

private:
    void* m_egl = nullptr;
    void* m_gles = nullptr;
    void* m_gles1 = nullptr;
};
