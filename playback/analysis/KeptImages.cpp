#include "KeptImages.h"
#include "HostImages.h"

#include "apicall/EsVersion.h"
#include "host/HostTables.h"

#include <GLES/gl.h>
#include <GLES2/gl2.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

// ---- the store ----

void CKeptImages::SetBudget(size_t bytes)
{
    m_budget = bytes;
    MakeRoom(0);
}

size_t CKeptImages::BoundedBudget(uint64_t mib, uint64_t freeBytes, size_t held)
{
    const uint64_t asked = mib << 20, room = (freeBytes + held) / 2;
    return size_t(std::min(asked, room));
}

uint64_t CKeptImages::FreeMemory()
{
    const long pages = sysconf(_SC_AVPHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    return pages > 0 && page > 0 ? uint64_t(pages) * uint64_t(page) : 0;
}

void CKeptImages::Clear()
{
    m_frames.clear();
    m_bytes = 0;
}

uint32_t CKeptImages::Nearest(uint32_t low, uint32_t frame) const
{
    auto it = m_frames.upper_bound(frame);
    if (it == m_frames.begin())
        return 0;
    --it;
    return it->first >= low ? it->first : 0;
}

const SKeptFrame* CKeptImages::Use(uint32_t frame)
{
    const auto it = m_frames.find(frame);
    if (it == m_frames.end())
        return nullptr;
    it->second.used = ++m_clock;
    return &it->second;
}

void CKeptImages::Drop(uint32_t frame)
{
    if (const auto it = m_frames.find(frame); it != m_frames.end()) {
        m_bytes -= it->second.bytes;
        m_frames.erase(it);
    }
}

bool CKeptImages::Keep(uint32_t frame, SKeptFrame images)
{
    Drop(frame);
    if (images.bytes > m_budget)
        return false;
    MakeRoom(images.bytes);
    images.used = ++m_clock;
    m_bytes += images.bytes;
    m_frames.emplace(frame, std::move(images));
    return true;
}

void CKeptImages::MakeRoom(size_t bytes)
{
    while (!m_frames.empty() && m_bytes + bytes > m_budget) {
        auto oldest = std::min_element(m_frames.begin(), m_frames.end(),
                                       [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
        m_bytes -= oldest->second.bytes;
        m_frames.erase(oldest);
    }
}

// ---- which images, and their bytes ----

namespace {

constexpr int32_t kLargestSide = 16384;

// The bytes a GPU-made image takes when kept; 0 when it cannot be kept.
size_t ImageBytes(const STexImage& image, int32_t level)
{
    const bool plain = (image.format == GL_RGBA || image.format == GL_RGB) && image.type == GL_UNSIGNED_BYTE;
    if (!image.gpuMade || level != 0 || image.mipmapsGenerated || !plain || image.compressed || image.width <= 0 ||
        image.height <= 0 || image.width > kLargestSide || image.height > kLargestSide)
        return 0;
    return size_t(image.width) * size_t(image.height) * (image.format == GL_RGBA ? 4 : 3);
}

// Calls fn(image, level, face) with every image holding GPU-made pixels; false when one cannot be kept.
template <class Fn>
bool ForGpuMade(const SEs2State& s, Fn&& fn)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            for (const auto& face : level.record)
                if (HoldsGpuMadePixels(face.record) && !fn(face.record, int32_t(level.key)))
                    return false;
    return true;
}

template <class Fn>
bool ForGpuMade(const SEs1State& s, Fn&& fn)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            if (HoldsGpuMadePixels(level.record) && !fn(level.record, int32_t(level.key)))
                return false;
    return true;
}

template <class State>
size_t SizeOf(const State& s)
{
    // Depths and stencil values cannot be read back: a frame holding GPU-made ones is not kept.
    for (const auto& renderbuffer : s.renderbuffers)
        if (renderbuffer.record.gpuMade)
            return 0;
    size_t total = 0;
    const bool keepable = ForGpuMade(s, [&](const STexImage& image, int32_t level) {
        const size_t bytes = ImageBytes(image, level);
        total += bytes;
        return bytes != 0;
    });
    return keepable ? total : 0;
}

constexpr const char* kReading = "Read-back of the kept images of frame";
constexpr const char* kSending = "Kept images sent for frame";

template <class State>
bool ReadImages(const State& s, uint8_t api, const SImageFramebuffers& fbo, uint32_t frame, SKeptFrame& out)
{
    if (!fbo.Complete())
        return false;
    SEs2Host& gl = *SEs2Host::Instance();
    if (HostImageErrors(kReading, frame))
        return false;  // the host is not where the frame's start left it
    GLint framebuffer = 0, alignment = 4;
    XQF_HOST(gl, glGetIntegerv)(GL_FRAMEBUFFER_BINDING, &framebuffer);
    XQF_HOST(gl, glGetIntegerv)(GL_PACK_ALIGNMENT, &alignment);
    GLuint reader = 0;
    fbo.gen(1, &reader);
    fbo.bind(GL_FRAMEBUFFER, reader);
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, 1);
    out = SKeptFrame();
    out.api = api;
    std::vector<uint8_t> rgba;
    const bool read = ForGpuMade(s, [&](const STexImage& image, int32_t level) {
        const GLuint host = HostTextureName(api, image.texture);
        const size_t bytes = ImageBytes(image, level);
        if (host == 0 || bytes == 0)
            return false;
        const GLenum target = image.target ? image.target : GL_TEXTURE_2D;
        fbo.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, host, 0);
        if (fbo.status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            return false;
        SKeptImage kept{image.texture, target, image.format, image.width, image.height, {}};
        const size_t pixels = size_t(image.width) * size_t(image.height);
        rgba.resize(pixels * 4);
        XQF_HOST(gl, glReadPixels)(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        if (image.format == GL_RGBA) {
            kept.pixels = rgba;
        } else {
            kept.pixels.resize(pixels * 3);
            for (size_t i = 0; i < pixels; ++i)
                std::memcpy(&kept.pixels[3 * i], &rgba[4 * i], 3);
        }
        out.bytes += kept.pixels.size();
        out.images.push_back(std::move(kept));
        return true;
    });
    fbo.bind(GL_FRAMEBUFFER, GLuint(framebuffer));
    fbo.remove(1, &reader);
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, alignment);
    return !HostImageErrors(kReading, frame) && read && !out.images.empty();
}

} // namespace

size_t CKeptImages::KeptSize(const SEs2State& s) { return SizeOf(s); }
size_t CKeptImages::KeptSize(const SEs1State& s) { return SizeOf(s); }

bool CKeptImages::ReadBack(const SEs2State& s, uint32_t frame, SKeptFrame& out)
{
    return ReadImages(s, kEsVersion2, ImageFramebuffers(kEsVersion2), frame, out);
}

bool CKeptImages::ReadBack(const SEs1State& s, uint32_t frame, SKeptFrame& out)
{
    return ReadImages(s, kEsVersion1, ImageFramebuffers(kEsVersion1), frame, out);
}

bool CKeptImages::Send(const SKeptFrame& frame, uint32_t number)
{
    SEs2Host& gl = *SEs2Host::Instance();
    if (HostImageErrors(kSending, number))
        return false;
    const bool cube = frame.api == kEsVersion2;  // ES 1.1 has no cube maps
    GLint unit = GL_TEXTURE0, alignment = 4, texture2D = 0, textureCube = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_ACTIVE_TEXTURE, &unit);
    XQF_HOST(gl, glGetIntegerv)(GL_UNPACK_ALIGNMENT, &alignment);
    XQF_HOST(gl, glGetIntegerv)(GL_TEXTURE_BINDING_2D, &texture2D);
    if (cube)
        XQF_HOST(gl, glGetIntegerv)(GL_TEXTURE_BINDING_CUBE_MAP, &textureCube);
    XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, 1);
    bool sent = true;
    for (const SKeptImage& image : frame.images) {
        const GLuint host = HostTextureName(frame.api, image.texture);
        const GLenum bind = image.target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
        if (host == 0 || (bind == GL_TEXTURE_CUBE_MAP && !cube)) {
            sent = false;
            continue;
        }
        XQF_HOST(gl, glBindTexture)(bind, host);
        XQF_HOST(gl, glTexSubImage2D)(image.target, 0, 0, 0, image.width, image.height, image.format,
                                      GL_UNSIGNED_BYTE, image.pixels.data());
    }
    XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, GLuint(texture2D));
    if (cube)
        XQF_HOST(gl, glBindTexture)(GL_TEXTURE_CUBE_MAP, GLuint(textureCube));
    XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, alignment);
    return !HostImageErrors(kSending, number) && sent;
}
