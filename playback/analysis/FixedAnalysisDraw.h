#pragma once
// The overdraw picture and the highlight of an ES 1.1 draw, drawn with the fixed-function pipeline
// (an ES 1.1 context has no programs to swap in). The draw's colour comes from a texture
// environment that replaces it with a constant, on unit 0 over a white texture of our own, the other
// units' texturing, fog, the alpha test and the logic op off:
//   counting   each draw adds 1/255 to every channel (blending GL_ONE, GL_ONE) with the depth and
//              stencil tests off; the counts read back are then mapped to the overdraw ramp
//              (ComplexityRamp.h);
//   highlight  the draw is the ES 2.0 highlight's green, (0.1, 1.0, 0.1) at alpha 0.6, blended
//              over what is there with the depth test off.
// The set-up and what puts the host back are templates over the entry-point table, so that the
// analysis loop and xqft-record's reference variants draw alike.
#include "FixedDrawSaved.h"
#include "host/HostTables.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>

// The tint texture's name: far above the names applications are given, made on first use.
inline constexpr GLuint kFixedAnalysisTexture = 0x7FFFFF01u;

namespace fixedanalysis {

inline constexpr GLenum kEnvParams[7] = {GL_TEXTURE_ENV_MODE, GL_COMBINE_RGB,     GL_COMBINE_ALPHA,
                                         GL_SRC0_RGB,         GL_SRC0_ALPHA,      GL_OPERAND0_RGB,
                                         GL_OPERAND0_ALPHA};
inline constexpr GLenum kCapabilities[6] = {GL_BLEND, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_FOG,
                                            GL_COLOR_LOGIC_OP};

template <class Table>
GLint Int(Table& gl, GLenum pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

template <class Table>
void Set(Table& gl, GLenum cap, bool on)
{
    if (on)
        XQF_HOST(gl, glEnable)(cap);
    else
        XQF_HOST(gl, glDisable)(cap);
}

} // namespace fixedanalysis

// Sets the host up for one draw: mode 1 counting, 2 highlight.
template <class Table>
void SetUpFixedAnalysisDraw(Table& gl, int mode, SFixedDrawSaved& saved)
{
    using namespace fixedanalysis;
    saved.activeTexture = uint32_t(Int(gl, GL_ACTIVE_TEXTURE));
    saved.units = uint32_t(std::clamp(Int(gl, GL_MAX_TEXTURE_UNITS), 1, 32));
    for (uint32_t u = saved.units; u-- > 0;) {
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        saved.texture2D[u] = XQF_HOST(gl, glIsEnabled)(GL_TEXTURE_2D) ? 1 : 0;
        Set(gl, GL_TEXTURE_2D, u == 0);
    }
    saved.binding = uint32_t(Int(gl, GL_TEXTURE_BINDING_2D));
    for (int i = 0; i < 7; ++i)
        XQF_HOST(gl, glGetTexEnviv)(GL_TEXTURE_ENV, kEnvParams[i], &saved.env[i]);
    XQF_HOST(gl, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, saved.envColor);
    XQF_HOST(gl, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_RGB_SCALE, &saved.scales[0]);
    XQF_HOST(gl, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_ALPHA_SCALE, &saved.scales[1]);
    for (int i = 0; i < 6; ++i)
        saved.capabilities[i] = XQF_HOST(gl, glIsEnabled)(kCapabilities[i]) ? 1 : 0;
    saved.blendSrc = uint32_t(Int(gl, GL_BLEND_SRC));
    saved.blendDst = uint32_t(Int(gl, GL_BLEND_DST));

    const bool made = XQF_HOST(gl, glIsTexture)(kFixedAnalysisTexture);
    XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, kFixedAnalysisTexture);
    if (!made) {
        static const GLubyte kWhite[4] = {255, 255, 255, 255};
        XQF_HOST(gl, glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, kWhite);
        XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    const GLint env[7] = {GL_COMBINE, GL_REPLACE, GL_REPLACE, GL_CONSTANT, GL_CONSTANT, GL_SRC_COLOR, GL_SRC_ALPHA};
    for (int i = 0; i < 7; ++i)
        XQF_HOST(gl, glTexEnvi)(GL_TEXTURE_ENV, kEnvParams[i], env[i]);
    XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_RGB_SCALE, 1.0f);
    XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
    const GLfloat count[4] = {1.0f / 255, 1.0f / 255, 1.0f / 255, 1.0f / 255};
    const GLfloat green[4] = {0.1f, 1.0f, 0.1f, 0.6f};
    XQF_HOST(gl, glTexEnvfv)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, mode == 1 ? count : green);

    Set(gl, GL_BLEND, true);
    if (mode == 1)
        XQF_HOST(gl, glBlendFunc)(GL_ONE, GL_ONE);
    else
        XQF_HOST(gl, glBlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Set(gl, GL_DEPTH_TEST, false);
    if (mode == 1)
        Set(gl, GL_STENCIL_TEST, false);
    Set(gl, GL_ALPHA_TEST, false);
    Set(gl, GL_FOG, false);
    Set(gl, GL_COLOR_LOGIC_OP, false);
}

// Puts back what SetUpFixedAnalysisDraw changed.
template <class Table>
void RestoreFixedAnalysisDraw(Table& gl, const SFixedDrawSaved& saved)
{
    using namespace fixedanalysis;
    for (int i = 0; i < 6; ++i)
        Set(gl, kCapabilities[i], saved.capabilities[i] != 0);
    XQF_HOST(gl, glBlendFunc)(saved.blendSrc, saved.blendDst);
    XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0);
    for (int i = 0; i < 7; ++i)
        XQF_HOST(gl, glTexEnvi)(GL_TEXTURE_ENV, kEnvParams[i], saved.env[i]);
    XQF_HOST(gl, glTexEnvfv)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, saved.envColor);
    XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_RGB_SCALE, saved.scales[0]);
    XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_ALPHA_SCALE, saved.scales[1]);
    XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, saved.binding);
    for (uint32_t u = 0; u < saved.units; ++u) {
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        Set(gl, GL_TEXTURE_2D, saved.texture2D[u] != 0);
    }
    XQF_HOST(gl, glActiveTexture)(saved.activeTexture);
}
