#include "HostImages.h"

#include "Diagnostics.h"
#include "apicall/EsVersion.h"
#include "host/HostExtensions.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

SImageFramebuffers ImageFramebuffers(uint8_t api)
{
    if (api == kEsVersion2) {
        SEs2Host& gl = *SEs2Host::Instance();
        return {XQF_HOST(gl, glGenFramebuffers), XQF_HOST(gl, glBindFramebuffer), XQF_HOST(gl, glFramebufferTexture2D),
                XQF_HOST(gl, glCheckFramebufferStatus), XQF_HOST(gl, glDeleteFramebuffers)};
    }
    SEs1Host& gl = *SEs1Host::Instance();
    if (!gl.ext.glFramebufferTexture2DOES) {
        const uint8_t es1 = kEsVersion1;
        LoadHostExtensions(&es1);
    }
    SImageFramebuffers c;
    c.gen = reinterpret_cast<decltype(c.gen)>(gl.ext.glGenFramebuffersOES);
    c.bind = reinterpret_cast<decltype(c.bind)>(gl.ext.glBindFramebufferOES);
    c.attach = reinterpret_cast<decltype(c.attach)>(gl.ext.glFramebufferTexture2DOES);
    c.status = reinterpret_cast<decltype(c.status)>(gl.ext.glCheckFramebufferStatusOES);
    c.remove = reinterpret_cast<decltype(c.remove)>(gl.ext.glDeleteFramebuffersOES);
    return c;
}

GLuint HostTextureName(uint8_t api, uint32_t recorded)
{
    return api == kEsVersion2 ? TextureNameMap::Get(recorded) : recorded;
}

bool HostImageErrors(const char* what, uint32_t frame)
{
    SEs2Host& gl = *SEs2Host::Instance();
    bool any = false;
    for (int i = 0; i < 8; ++i) {
        const GLenum error = XQF_HOST(gl, glGetError)();
        if (error == GL_NO_ERROR)
            break;
        PlaybackWarning("%s %u: GL error 0x%x\n", what, frame, error);
        any = true;
    }
    return any;
}
