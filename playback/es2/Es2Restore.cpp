#include "Es2Restore.h"

#include "host/DrawIndices.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"
#include "host/HostUnpack.h"
#include "host/PaddedUpload.h"
#include "maps/NameMaps.h"
#include "state/PixelSize.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void Capability(SEs2Host& gl, GLenum cap, uint8_t on)
{
    if (on)
        XQF_HOST(gl, glEnable)(cap);
    else
        XQF_HOST(gl, glDisable)(cap);
}

GLuint HostBuffer(SEs2Host& gl, uint32_t recorded)
{
    GLuint host = BufferNameMap::Get(recorded);
    if (host == kNoHostName) {
        XQF_HOST(gl, glGenBuffers)(1, &host);
        BufferNameMap::Set(recorded, host);
    }
    return host;
}

// Step 1: every texture level not already on the host, each image under its own recorded unpack
// alignment (the snapshot's alignment is set later, and an image recorded under alignment 1 would
// otherwise be read with other rows, past its bytes). An image of a size the host cannot take is
// not sent.
void Textures(SEs2Host& gl, SEs2State& snapshot, const SEs2State* current)
{
    XQF_HOST(gl, glActiveTexture)(snapshot.activeTexture);
    // The images hold their rows packed: no row length or skip of an earlier pass may move them.
    SetEs2HostPixelStore(gl, ValidUnpackAlignment(snapshot.packAlignment), SUnpackRows{});
    const auto& textures = std::as_const(snapshot.textures);
    for (int32_t t = 0; t < textures.Count(); ++t) {
        const auto& levels = textures.At(t);
        bool baseSent = false;
        for (int32_t l = 0; l < levels.Count(); ++l) {
            const auto& images = levels.At(l);
            if (images.Count() == 0)
                continue;
            if (current && t < current->textures.Count()) {
                const auto& held = std::as_const(current->textures).At(t);
                // The same recorded upload is on the host already, unless the GPU wrote over it since.
                if (l < held.Count() && held.At(l).Count() > 0 && held.At(l).At(0).data == images.At(0).data &&
                    !held.At(l).At(0).gpuMade && !images.At(0).gpuMade &&
                    held.At(l).At(0).mipmapsGenerated == images.At(0).mipmapsGenerated)
                    continue;
            }
            baseSent = baseSent || levels.KeyAt(l) == 0;
            for (const auto& entry : images) {
                const STexImage& image = entry.record;
                const GLenum normalized = image.normalizedTarget ? image.normalizedTarget : image.target;
                if (image.level == 0 && (image.target == GL_TEXTURE_2D || image.target == GL_TEXTURE_CUBE_MAP_POSITIVE_X)) {
                    GLuint host = TextureNameMap::Get(image.texture);
                    if (host == 0) {
                        XQF_HOST(gl, glGenTextures)(1, &host);
                        TextureNameMap::Set(image.texture, host);
                    }
                    XQF_HOST(gl, glBindTexture)(normalized, host);
                    XQF_HOST(gl, glTexParameteri)(normalized, GL_TEXTURE_MIN_FILTER, GLint(image.minFilter));
                    XQF_HOST(gl, glTexParameteri)(normalized, GL_TEXTURE_MAG_FILTER, GLint(image.magFilter));
                    XQF_HOST(gl, glTexParameteri)(normalized, GL_TEXTURE_WRAP_S, GLint(image.wrapS));
                    XQF_HOST(gl, glTexParameteri)(normalized, GL_TEXTURE_WRAP_T, GLint(image.wrapT));
                }
                if (const GLuint host = TextureNameMap::Get(image.texture))
                    XQF_HOST(gl, glBindTexture)(normalized, host);
                const uint8_t* bytes = image.data.get();
                const char* call = image.compressed ? "Restore of glCompressedTexImage2D" : "Restore of glTexImage2D";
                if (!ImageSizeFits(gl, call, image.target, image.width, image.height))
                    continue;
                if (image.compressed) {
                    // A compressed image without all its bytes is not uploaded (as one without data).
                    if (bytes && image.capturedSize >= image.size && image.size > 0)
                        XQF_HOST(gl, glCompressedTexImage2D)(image.target, image.level, image.format, image.width,
                                                             image.height, image.border, GLsizei(image.size), bytes);
                    continue;
                }
                const GLint alignment = ValidUnpackAlignment(image.unpackAlignment);
                const int64_t needed = GetImageSize(image.format, image.type, image.width, image.height, alignment,
                                                    image.border);
                // A type of 0 is a level made on the device's side (a copy), not an upload.
                if (image.type != 0 && !ImageBytesAllowed(call, needed, bytes ? image.capturedSize : 0))
                    continue;
                if (needed < 0)
                    bytes = nullptr;  // a level of type 0 is made without data
                const CPaddedUpload upload(bytes, image.capturedSize, uint64_t(std::max<int64_t>(needed, 0)));
                XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, alignment);
                XQF_HOST(gl, glTexImage2D)(image.target, image.level, GLint(image.format), image.width, image.height,
                                           image.border, image.format, image.type, upload.Data());
            }
        }
        // Levels glGenerateMipmap made after the base level's upload are made again from it.
        const auto* base = levels.Get(0);
        const STexImage* first = base && baseSent ? base->Get(0) : nullptr;
        const GLuint host = first ? TextureNameMap::Get(textures.KeyAt(t)) : 0;
        if (first && first->mipmapsGenerated && host != 0 && first->width > 0 && first->height > 0) {
            const GLenum target = first->normalizedTarget ? first->normalizedTarget : GL_TEXTURE_2D;
            XQF_HOST(gl, glBindTexture)(target, host);
            XQF_HOST(gl, glGenerateMipmap)(target);
        }
    }
}

void Buffers(SEs2Host& gl, SEs2State& snapshot, const SEs2State* current)
{
    const auto& buffers = std::as_const(snapshot.buffers);
    for (int32_t i = 0; i < buffers.Count(); ++i) {
        const SEs2Buffer& b = buffers.At(i);
        if (current && current->buffers.Count() >= i + 1 && std::as_const(current->buffers).At(i).data == b.data)
            continue;
        const GLuint host = HostBuffer(gl, buffers.KeyAt(i));
        XQF_HOST(gl, glBindBuffer)(b.target, host);
        if (!BufferPaddingAllowed("Restore of glBufferData", buffers.KeyAt(i), b.data.get(), b.size, b.capturedSize))
            continue;
        const CPaddedUpload upload(b.data.get(), b.capturedSize, b.size);
        XQF_HOST(gl, glBufferData)(b.target, GLsizeiptr(b.size), upload.Data(), b.usage);
    }
    BufferContentsChanged();  // the draws' index ranges found before hold no more
}

void Renderbuffers(SEs2Host& gl, SEs2State& snapshot)
{
    for (const auto& entry : std::as_const(snapshot.renderbuffers)) {
        const SEs2Renderbuffer& r = entry.record;
        if (entry.key == 0)
            continue;
        GLuint host = RenderbufferNameMap::Get(entry.key);
        if (host == kNoHostName) {
            XQF_HOST(gl, glGenRenderbuffers)(1, &host);
            RenderbufferNameMap::Set(entry.key, host);
        }
        if ((r.bound & 0xFF) == 0)
            continue;
        XQF_HOST(gl, glBindRenderbuffer)(GL_RENDERBUFFER, host);
        if ((r.samples != 0 || r.internalFormat != 0) &&
            !RenderbufferBytesAllowed("Restore of glRenderbufferStorage", r.internalFormat, int64_t(int32_t(r.width)),
                                      int64_t(int32_t(r.height)), int64_t(int32_t(r.samples))))
            continue;
        using Multisample = void (*)(GLenum, GLsizei, GLenum, GLsizei, GLsizei);
        auto multisample = reinterpret_cast<Multisample>(gl.ext.glRenderbufferStorageMultisampleWZQ);
        if (r.samples != 0 && multisample)
            multisample(GL_RENDERBUFFER, GLsizei(r.samples), r.internalFormat, GLsizei(r.width), GLsizei(r.height));
        else if (r.samples != 0 || r.internalFormat != 0)
            XQF_HOST(gl, glRenderbufferStorage)(GL_RENDERBUFFER, r.internalFormat, GLsizei(r.width), GLsizei(r.height));
    }
}

void Framebuffers(SEs2Host& gl, SEs2State& snapshot)
{
    using TextureMultisample = void (*)(GLenum, GLenum, GLenum, GLuint, GLint, GLsizei);
    auto multisample = reinterpret_cast<TextureMultisample>(gl.ext.glFramebufferTexture2DMultisampleWZQ);
    for (const auto& entry : std::as_const(snapshot.framebuffers)) {
        const SEs2Framebuffer& f = entry.record;
        if (entry.key == 0)
            continue;
        GLuint host = FramebufferNameMap::Get(entry.key);
        if (host == kNoHostName) {
            XQF_HOST(gl, glGenFramebuffers)(1, &host);
            FramebufferNameMap::Set(entry.key, host);
        }
        if ((f.bound & 0xFF) != 1)
            continue;
        XQF_HOST(gl, glBindFramebuffer)(GL_FRAMEBUFFER, host);
        const std::pair<GLenum, const SEs2Attachment*> attachments[] = {
            {GL_COLOR_ATTACHMENT0, &f.color}, {GL_DEPTH_ATTACHMENT, &f.depth}, {GL_STENCIL_ATTACHMENT, &f.stencil}};
        for (const auto& [point, a] : attachments) {
            if (a->type == GL_RENDERBUFFER) {
                const GLuint h = RenderbufferNameMap::Get(a->name);
                if (h == kNoHostName)
                    continue;
                XQF_HOST(gl, glFramebufferRenderbuffer)(GL_FRAMEBUFFER, point, GL_RENDERBUFFER, h);
            } else if (a->type == GL_TEXTURE) {
                GLuint h = 0;
                if (!(point == GL_COLOR_ATTACHMENT0 && a->name == 0)) {
                    h = TextureNameMap::Get(a->name);
                    if (h == 0)
                        continue;
                }
                const GLenum target = a->target ? a->target : GL_TEXTURE_2D;
                if (f.samples != 0 && multisample)
                    multisample(GL_FRAMEBUFFER, point, target, h, GLint(a->level), GLsizei(f.samples));
                else
                    XQF_HOST(gl, glFramebufferTexture2D)(GL_FRAMEBUFFER, point, target, h, GLint(a->level));
            } else {
                continue;
            }
            XQF_HOST(gl, glCheckFramebufferStatus)(GL_FRAMEBUFFER);
        }
    }
}

// What one vertex-array object holds (the one bound on the host): its attribute arrays, their
// switches and its element buffer. A switch only the host's copy knows is turned off.
void FillVertexArray(SEs2Host& gl, const SEs2VertexArray& va, const CObjectTable<unsigned int>& enabled,
                     const CObjectTable<unsigned int>* held)
{
    for (const auto& entry : std::as_const(enabled))
        if ((entry.record & 0xFF) == 1)
            XQF_HOST(gl, glEnableVertexAttribArray)(entry.key);
        else
            XQF_HOST(gl, glDisableVertexAttribArray)(entry.key);
    if (held)
        for (const auto& entry : *held)
            if (!enabled.Contains(entry.key))
                XQF_HOST(gl, glDisableVertexAttribArray)(entry.key);
    for (const auto& entry : std::as_const(va.pointers)) {
        const SEs2VertexAttribPointer& ptr = entry.record;
        XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, HostBuffer(gl, ptr.buffer));
        XQF_HOST(gl, glVertexAttribPointer)(entry.key, ptr.size, ptr.type, GLboolean(ptr.normalized), ptr.stride,
                                            reinterpret_cast<const void*>(uintptr_t(uint32_t(ptr.pointer))));
        NoteArrayStride(entry.key, int32_t(ptr.stride));
    }
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, HostBuffer(gl, va.elementArrayBuffer));
}

// The default vertex-array object, then every other one the snapshot holds (made on the host and
// entered in VertexArrayNameMap when the map lacks it), then the snapshot's binding. A host without
// vertex-array objects gets the default object's arrays alone, as it draws with nothing else.
void VertexArrays(SEs2Host& gl, SEs2State& snapshot, const SEs2State* current)
{
    bool others = false;
    for (const auto& entry : std::as_const(snapshot.vertexArrays))
        others = others || entry.key != 0;
    if (others)
        LoadEs2ExtensionsOnce();  // the calls that made them may all lie before this frame
    using BindVertexArray = void (*)(GLuint);
    using GenVertexArrays = void (*)(GLsizei, GLuint*);
    auto bind = reinterpret_cast<BindVertexArray>(gl.ext.glBindVertexArrayOES);
    auto gen = reinterpret_cast<GenVertexArrays>(gl.ext.glGenVertexArraysOES);
    if (bind)
        bind(0);
    FillVertexArray(gl, snapshot.vertexArrays[0], snapshot.vertexAttribArrayEnabled,
                    current ? &current->vertexAttribArrayEnabled : nullptr);
    if (bind && gen) {
        for (const auto& entry : std::as_const(snapshot.vertexArrays)) {
            if (entry.key == 0)
                continue;
            GLuint host = VertexArrayNameMap::Get(entry.key);
            if (host == 0) {
                gen(1, &host);
                VertexArrayNameMap::Set(entry.key, host);
            }
            bind(host);
            const SEs2VertexArray* held = current ? std::as_const(current->vertexArrays).Get(entry.key) : nullptr;
            FillVertexArray(gl, entry.record, entry.record.enabled, held ? &held->enabled : nullptr);
        }
    }
    if (bind)
        bind(VertexArrayNameMap::Get(snapshot.vertexArrayBinding));
}

// Step 0: an object an earlier pass made under a recorded name the frame's start does not hold goes
// from the host and from its map, as in a fresh process (the frame's own calls may make that name).
template <class Map, class Table, class Delete>
void DropUnheld(const Table& held, Delete del)
{
    std::vector<uint32_t> gone;
    const auto& map = std::as_const(Map::Table());
    for (int32_t i = 0; i < map.Count(); ++i)
        if (map.KeyAt(i) != 0 && !held.Contains(map.KeyAt(i)))
            gone.push_back(map.KeyAt(i));
    for (uint32_t recorded : gone) {
        GLuint host = Map::Get(recorded);
        if (host != Map::kAbsent && host != 0 && del)
            del(1, &host);
        Map::Erase(recorded);
    }
}

void DropUnheldObjects(SEs2Host& gl, const SEs2State& snapshot)
{
    DropUnheld<BufferNameMap>(snapshot.buffers, XQF_HOST(gl, glDeleteBuffers));
    DropUnheld<TextureNameMap>(snapshot.textures, XQF_HOST(gl, glDeleteTextures));
    DropUnheld<RenderbufferNameMap>(snapshot.renderbuffers, XQF_HOST(gl, glDeleteRenderbuffers));
    DropUnheld<FramebufferNameMap>(snapshot.framebuffers, XQF_HOST(gl, glDeleteFramebuffers));
    using DeleteVertexArrays = void (*)(GLsizei, const GLuint*);
    DropUnheld<VertexArrayNameMap>(snapshot.vertexArrays,
                                   reinterpret_cast<DeleteVertexArrays>(gl.ext.glDeleteVertexArraysOES));
}

} // namespace

void RestoreEs2State(SEs2State& snapshot, uint32_t, SEs2State* current)
{
    SEs2Host& gl = *SEs2Host::Instance();
    DropUnheldObjects(gl, snapshot);
    Textures(gl, snapshot, current);

    for (uint32_t u = 0; u < snapshot.textureUnitCount && u < 32; ++u) {
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, TextureNameMap::Get(snapshot.texture2DBinding[u]));
        XQF_HOST(gl, glBindTexture)(GL_TEXTURE_CUBE_MAP, TextureNameMap::Get(snapshot.textureCubeBinding[u]));
    }
    XQF_HOST(gl, glActiveTexture)(snapshot.activeTexture);

    Buffers(gl, snapshot, current);

    XQF_HOST(gl, glBlendEquationSeparate)(snapshot.blendEquationRgb, snapshot.blendEquationAlpha);
    for (int i = 0; i < 9; ++i)
        Capability(gl, kEs2Capabilities[i], snapshot.capabilities[i]);
    XQF_HOST(gl, glBlendFuncSeparate)(snapshot.blendSrcRgb, snapshot.blendDstRgb, snapshot.blendSrcAlpha,
                                      snapshot.blendDstAlpha);
    XQF_HOST(gl, glBlendColor)(snapshot.blendColor[0], snapshot.blendColor[1], snapshot.blendColor[2],
                               snapshot.blendColor[3]);

    XQF_HOST(gl, glClearColor)(snapshot.clearColor[0], snapshot.clearColor[1], snapshot.clearColor[2],
                               snapshot.clearColor[3]);
    XQF_HOST(gl, glClearDepthf)(snapshot.clearDepth);
    XQF_HOST(gl, glClearStencil)(snapshot.clearStencil);
    XQF_HOST(gl, glColorMask)(snapshot.colorMask[0], snapshot.colorMask[1], snapshot.colorMask[2], snapshot.colorMask[3]);
    XQF_HOST(gl, glCullFace)(snapshot.cullFaceMode);
    XQF_HOST(gl, glDepthFunc)(snapshot.depthFunc);
    XQF_HOST(gl, glDepthMask)(snapshot.depthMask);
    XQF_HOST(gl, glDepthRangef)(snapshot.depthRangeNear, snapshot.depthRangeFar);

    XQF_HOST(gl, glFrontFace)(snapshot.frontFace);
    XQF_HOST(gl, glHint)(GL_GENERATE_MIPMAP_HINT, snapshot.generateMipmapHint);
    SetEs2HostPixelStore(gl, ValidUnpackAlignment(snapshot.packAlignment),
                         UnpackRowsOf(snapshot, ValidUnpackAlignment(snapshot.unpackAlignment)));
    XQF_HOST(gl, glPolygonOffset)(snapshot.polygonOffsetFactor, snapshot.polygonOffsetUnits);
    XQF_HOST(gl, glSampleCoverage)(snapshot.sampleCoverageValue, snapshot.sampleCoverageInvert);
    XQF_HOST(gl, glScissor)(snapshot.scissorBox[0], snapshot.scissorBox[1], snapshot.scissorBox[2], snapshot.scissorBox[3]);
    for (int face = 0; face < 2; ++face) {
        const GLenum f = face ? GL_BACK : GL_FRONT;
        XQF_HOST(gl, glStencilFuncSeparate)(f, snapshot.stencilFunc[face], snapshot.stencilRef[face],
                                            snapshot.stencilValueMask[face]);
    }
    XQF_HOST(gl, glStencilMaskSeparate)(GL_FRONT, snapshot.stencilWriteMask[0]);
    XQF_HOST(gl, glStencilMaskSeparate)(GL_BACK, snapshot.stencilWriteMask[1]);
    XQF_HOST(gl, glStencilOpSeparate)(GL_FRONT, snapshot.stencilFail[0], snapshot.stencilPassDepthFail[0],
                                      snapshot.stencilPassDepthPass[0]);
    XQF_HOST(gl, glStencilOpSeparate)(GL_BACK, snapshot.stencilFail[1], snapshot.stencilPassDepthFail[1],
                                      snapshot.stencilPassDepthPass[1]);
    if (snapshot.viewport[2] == 0 && snapshot.viewport[3] == 0) {
        SEglHost& egl = *SEglHost::Instance();
        EGLDisplay display = XQF_HOST(egl, eglGetCurrentDisplay)();
        EGLSurface draw = XQF_HOST(egl, eglGetCurrentSurface)(EGL_DRAW);
        XQF_HOST(egl, eglQuerySurface)(display, draw, EGL_WIDTH, &snapshot.viewport[2]);
        XQF_HOST(egl, eglQuerySurface)(display, draw, EGL_HEIGHT, &snapshot.viewport[3]);
    } else {
        XQF_HOST(gl, glViewport)(snapshot.viewport[0], snapshot.viewport[1], snapshot.viewport[2], snapshot.viewport[3]);
    }

    Renderbuffers(gl, snapshot);
    Framebuffers(gl, snapshot);

    VertexArrays(gl, snapshot, current);
    XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, HostBuffer(gl, snapshot.arrayBufferBinding));
    XQF_HOST(gl, glBindFramebuffer)(GL_FRAMEBUFFER, FramebufferNameMap::Get(snapshot.framebufferBinding));
    XQF_HOST(gl, glBindRenderbuffer)(GL_RENDERBUFFER, RenderbufferNameMap::Get(snapshot.renderbufferBinding));

    SEs2State none;
    RestoreEs2Shaders(snapshot, current ? *current : none);
    RestoreEs2Programs(snapshot, current ? *current : none);
}
