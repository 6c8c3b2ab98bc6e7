#include "CoverCheck.h"
#include "HostImages.h"

#include "apicall/EsVersion.h"
#include "host/HostTables.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kLargestSide = 16384;
constexpr const char* kWhat = "Marker check of frame";

const STexImage* ImageOf(const SCoverDraw& d, const SEs1State& es1, const SEs2State& es2)
{
    if (d.api == kEsVersion1) {
        const auto* levels = std::as_const(es1.textures).Get(d.texture);
        return levels ? levels->Get(uint32_t(d.level)) : nullptr;
    }
    const auto* levels = std::as_const(es2.textures).Get(d.texture);
    const auto* faces = levels ? levels->Get(uint32_t(d.level)) : nullptr;
    return faces ? faces->Get(d.face) : nullptr;
}

} // namespace

template <class Fn>
bool CCoverCheck::OnImage(const SImage& image, Fn&& fn)
{
    const SImageFramebuffers fbo = ImageFramebuffers(image.draw.api);
    const GLuint host = HostTextureName(image.draw.api, image.draw.texture);
    if (!fbo.Complete() || host == 0)
        return false;
    SEs2Host& gl = *SEs2Host::Instance();
    GLint bound = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_FRAMEBUFFER_BINDING, &bound);
    GLuint own = 0;
    fbo.gen(1, &own);
    fbo.bind(GL_FRAMEBUFFER, own);
    fbo.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, image.target, host, 0);
    const bool complete = fbo.status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete)
        fn();
    fbo.bind(GL_FRAMEBUFFER, GLuint(bound));
    fbo.remove(1, &own);
    return complete;
}

bool CCoverCheck::Fill(const std::vector<SCoverDraw>& draws, const SEs1State& es1, const SEs2State& es2,
                       uint32_t frame)
{
    m_images.clear();
    if (draws.empty() || HostImageErrors(kWhat, frame))
        return false;
    SEs2Host& gl = *SEs2Host::Instance();
    GLfloat clear[4] = {};
    GLboolean mask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLint alignment = 4;
    XQF_HOST(gl, glGetFloatv)(GL_COLOR_CLEAR_VALUE, clear);
    XQF_HOST(gl, glGetBooleanv)(GL_COLOR_WRITEMASK, mask);
    XQF_HOST(gl, glGetIntegerv)(GL_PACK_ALIGNMENT, &alignment);
    const bool scissor = XQF_HOST(gl, glIsEnabled)(GL_SCISSOR_TEST) == GL_TRUE;
    XQF_HOST(gl, glDisable)(GL_SCISSOR_TEST);
    XQF_HOST(gl, glColorMask)(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    XQF_HOST(gl, glClearColor)(kMarker[0], kMarker[1], kMarker[2], kMarker[3]);
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, 1);
    bool filled = true;
    for (const SCoverDraw& d : draws) {
        const STexImage* recorded = ImageOf(d, es1, es2);
        // Framebuffer objects take level 0 alone.
        if (!recorded || d.level != 0 || recorded->width <= 0 || recorded->height <= 0 ||
            recorded->width > kLargestSide || recorded->height > kLargestSide) {
            filled = false;
            break;
        }
        SImage image{d, d.api == kEsVersion2 && recorded->target ? recorded->target : GLenum(GL_TEXTURE_2D),
                     recorded->width, recorded->height, {}};
        filled = OnImage(image, [&] {
            XQF_HOST(gl, glClear)(GL_COLOR_BUFFER_BIT);
            XQF_HOST(gl, glReadPixels)(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, image.marker);
        });
        if (!filled)
            break;
        m_images.push_back(image);
    }
    XQF_HOST(gl, glClearColor)(clear[0], clear[1], clear[2], clear[3]);
    XQF_HOST(gl, glColorMask)(mask[0], mask[1], mask[2], mask[3]);
    if (scissor)
        XQF_HOST(gl, glEnable)(GL_SCISSOR_TEST);
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, alignment);
    return !HostImageErrors(kWhat, frame) && filled;
}

uint32_t CCoverCheck::LastCall() const
{
    uint32_t last = 0;
    for (const SImage& image : m_images)
        last = std::max(last, image.draw.call);
    return last;
}

bool CCoverCheck::CoveredAfter(uint32_t call, uint32_t frame)
{
    SEs2Host& gl = *SEs2Host::Instance();
    for (const SImage& image : m_images) {
        if (image.draw.call != call)
            continue;
        const size_t pixels = size_t(image.width) * size_t(image.height);
        m_pixels.resize(pixels * 4);
        GLint alignment = 4;
        XQF_HOST(gl, glGetIntegerv)(GL_PACK_ALIGNMENT, &alignment);
        XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, 1);
        const bool read = OnImage(image, [&] {
            XQF_HOST(gl, glReadPixels)(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
        });
        XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, alignment);
        if (!read || HostImageErrors(kWhat, frame))
            return false;
        for (size_t i = 0; i < pixels; ++i)
            if (std::memcmp(&m_pixels[4 * i], image.marker, 4) == 0)
                return false;
    }
    return true;
}
