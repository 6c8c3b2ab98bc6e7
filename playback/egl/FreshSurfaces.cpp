#include "FreshSurfaces.h"

#include "host/HostTables.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>

#include <set>
#include <type_traits>

namespace {

// Host surfaces made and not yet made current. A surface at the address of a destroyed one is noted
// anew when it is made.
std::set<uint64_t>& NewSurfaces()
{
    static std::set<uint64_t> surfaces;
    return surfaces;
}

template <class Host>
void ClearKeepingState(Host& gl)
{
    constexpr bool kEs2 = std::is_same_v<Host, SEs2Host>;
    GLint framebuffer = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_FRAMEBUFFER_BINDING, &framebuffer);
    if constexpr (!kEs2)
        if (framebuffer != 0)
            return;  // an OES framebuffer object of a context made before: left as it is
    GLfloat color[4] = {}, depth = 1;
    GLint stencil = 0, stencilMask = -1, backStencilMask = -1;
    GLboolean colorMask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE}, depthMask = GL_TRUE;
    const GLboolean scissor = XQF_HOST(gl, glIsEnabled)(GL_SCISSOR_TEST);
    XQF_HOST(gl, glGetFloatv)(GL_COLOR_CLEAR_VALUE, color);
    XQF_HOST(gl, glGetFloatv)(GL_DEPTH_CLEAR_VALUE, &depth);
    XQF_HOST(gl, glGetIntegerv)(GL_STENCIL_CLEAR_VALUE, &stencil);
    XQF_HOST(gl, glGetIntegerv)(GL_STENCIL_WRITEMASK, &stencilMask);
    XQF_HOST(gl, glGetBooleanv)(GL_COLOR_WRITEMASK, colorMask);
    XQF_HOST(gl, glGetBooleanv)(GL_DEPTH_WRITEMASK, &depthMask);
    if constexpr (kEs2) {
        XQF_HOST(gl, glGetIntegerv)(GL_STENCIL_BACK_WRITEMASK, &backStencilMask);
        if (framebuffer != 0)
            XQF_HOST(gl, glBindFramebuffer)(GL_FRAMEBUFFER, 0);
    }
    XQF_HOST(gl, glDisable)(GL_SCISSOR_TEST);
    XQF_HOST(gl, glClearColor)(0, 0, 0, 0);
    XQF_HOST(gl, glClearDepthf)(1);
    XQF_HOST(gl, glClearStencil)(0);
    XQF_HOST(gl, glColorMask)(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    XQF_HOST(gl, glDepthMask)(GL_TRUE);
    XQF_HOST(gl, glStencilMask)(~0u);
    XQF_HOST(gl, glClear)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    XQF_HOST(gl, glClearColor)(color[0], color[1], color[2], color[3]);
    XQF_HOST(gl, glClearDepthf)(depth);
    XQF_HOST(gl, glClearStencil)(stencil);
    XQF_HOST(gl, glColorMask)(colorMask[0], colorMask[1], colorMask[2], colorMask[3]);
    XQF_HOST(gl, glDepthMask)(depthMask);
    if constexpr (kEs2) {
        XQF_HOST(gl, glStencilMaskSeparate)(GL_FRONT, GLuint(stencilMask));
        XQF_HOST(gl, glStencilMaskSeparate)(GL_BACK, GLuint(backStencilMask));
        if (framebuffer != 0)
            XQF_HOST(gl, glBindFramebuffer)(GL_FRAMEBUFFER, GLuint(framebuffer));
    } else {
        XQF_HOST(gl, glStencilMask)(GLuint(stencilMask));
    }
    if (scissor)
        XQF_HOST(gl, glEnable)(GL_SCISSOR_TEST);
}

} // namespace

void NoteNewSurface(uint64_t hostSurface)
{
    if (hostSurface != 0)
        NewSurfaces().insert(hostSurface);
}

void ClearNewSurface(uint64_t display, uint64_t draw, uint64_t context)
{
    if (draw == 0 || context == 0 || NewSurfaces().erase(draw) == 0)
        return;
    SEglHost& egl = *SEglHost::Instance();
    EGLint version = 0;
    XQF_HOST(egl, eglQueryContext)(reinterpret_cast<EGLDisplay>(display), reinterpret_cast<EGLContext>(context),
                                   EGL_CONTEXT_CLIENT_VERSION, &version);
    if (XQF_HOST(egl, eglGetCurrentSurface)(EGL_DRAW) != reinterpret_cast<EGLSurface>(draw))
        return;  // the make-current failed: the host reported it
    if (version == 1)
        ClearKeepingState(*SEs1Host::Instance());
    else
        ClearKeepingState(*SEs2Host::Instance());
}
