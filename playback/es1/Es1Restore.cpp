#include "Es1Restore.h"
#include "Es1Play.h"

#include "host/HostChecks.h"
#include "host/HostExtensions.h"
#include "host/HostTables.h"
#include "host/HostUnpack.h"
#include "host/PaddedUpload.h"
#include "maps/NameMaps.h"
#include "state/PixelSize.h"

#include <EGL/egl.h>
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <utility>

namespace {

using es1play::HostInt;

void Capability(SEs1Host& gl, GLenum cap, uint8_t on)
{
    if (on)
        XQF_HOST(gl, glEnable)(cap);
    else
        XQF_HOST(gl, glDisable)(cap);
}

// A buffer name the restore defines or binds reaches later replayed calls as itself: the host's
// glGenBuffers never hands out a name that binding made, so the player's own pairs never meet it.
void Bind(SEs1Host& gl, GLenum target, uint32_t name)
{
    if (name != 0)
        Es1BufferNameMap::Set(name, name);
    XQF_HOST(gl, glBindBuffer)(target, name);
}

// Clip planes and light positions are taken in eye coordinates through the model-view matrix the
// host has: they are sent under identity, so that a frame restored twice gives one picture, and the
// host's matrix and matrix mode are put back.
class CIdentityModelView
{
public:
    explicit CIdentityModelView(SEs1Host& gl) : m_gl(gl), m_mode(HostInt(gl, GL_MATRIX_MODE))
    {
        XQF_HOST(gl, glMatrixMode)(GL_MODELVIEW);
        XQF_HOST(gl, glGetFloatv)(GL_MODELVIEW_MATRIX, m_matrix);
        XQF_HOST(gl, glLoadIdentity)();
    }
    ~CIdentityModelView()
    {
        XQF_HOST(m_gl, glLoadMatrixf)(m_matrix);
        XQF_HOST(m_gl, glMatrixMode)(m_mode ? GLenum(m_mode) : GL_MODELVIEW);
    }

private:
    SEs1Host& m_gl;
    GLint m_mode;
    GLfloat m_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

void SendParameters(SEs1Host& gl, const STexImage& level0)
{
    XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(level0.minFilter));
    XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(level0.magFilter));
    XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(level0.wrapS));
    XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(level0.wrapT));
    XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GLint(level0.generateMipmap));
}

void UploadLevel(SEs1Host& gl, const STexImage& image)
{
    const uint8_t* bytes = image.data.get();
    if ((image.compressed || image.format != 0 || image.internalFormat != 0) &&
        !ImageSizeFits(gl, image.compressed ? "Restore of glCompressedTexImage2D" : "Restore of glTexImage2D",
                       GL_TEXTURE_2D, image.width, image.height))
        return;  // a size the host cannot take: not sent
    if (image.compressed) {
        // A compressed level without all its bytes is not uploaded (as one without data).
        if (bytes && image.capturedSize >= image.size && image.size > 0)
            XQF_HOST(gl, glCompressedTexImage2D)(GL_TEXTURE_2D, image.level, image.format, image.width, image.height,
                                                 image.border, GLsizei(image.size), bytes);
        return;
    }
    if (image.format == 0 && image.internalFormat == 0)
        return;  // a level that only holds the texture's parameters: never specified
    const GLint alignment = ValidUnpackAlignment(image.unpackAlignment);
    const int64_t needed = GetImageSize(image.format, image.type, image.width, image.height, alignment, image.border);
    // A type of 0 is a level made on the device's side (a copy), not an upload.
    if (image.type != 0 && !ImageBytesAllowed("Restore of glTexImage2D", needed, bytes ? image.capturedSize : 0))
        return;
    if (needed < 0)
        bytes = nullptr;  // a level of type 0 is made without data
    const CPaddedUpload upload(bytes, image.capturedSize, uint64_t(std::max<int64_t>(needed, 0)));
    XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, alignment);
    XQF_HOST(gl, glTexImage2D)(GL_TEXTURE_2D, image.level, GLint(image.internalFormat), image.width, image.height,
                               image.border, image.format, image.type, upload.Data());
}

// Whether texture t of the snapshot is on the host since the last restore: the same texture at the
// same position, its first level the same recorded upload.
bool AlreadyHeld(const CObjectTable<CObjectTable<STexImage>>& textures, int32_t t, const SEs1State* current)
{
    if (!current || current->textures.Count() < t + 1)
        return false;
    const auto& held = std::as_const(current->textures);
    const auto& levels = textures.At(t);
    const auto& heldLevels = held.At(t);
    if (held.KeyAt(t) != textures.KeyAt(t) || levels.Count() == 0 || heldLevels.Count() == 0)
        return false;
    const STexImage& a = heldLevels.At(0);
    const STexImage& b = levels.At(0);
    // An image the GPU wrote over since is sent again.
    return a.data == b.data && !a.gpuMade && !b.gpuMade && a.mipmapsGenerated == b.mipmapsGenerated;
}

// Levels glGenerateMipmapOES made after level 0's upload are made again from it (a host without the
// extension keeps the uploaded levels only).
void GenerateLevels(SEs1Host& gl, const STexImage* level0)
{
    if (!level0 || !level0->mipmapsGenerated || level0->width <= 0 || level0->height <= 0)
        return;
    if (!gl.ext.glGenerateMipmapOES) {
        const uint8_t api = kEsVersion1;  // the call that made them may lie before this frame
        LoadHostExtensions(&api);
    }
    if (auto generate = reinterpret_cast<void (*)(GLenum)>(gl.ext.glGenerateMipmapOES))
        generate(GL_TEXTURE_2D);
}

// Step 1: every texture under its recorded name, each level under its own recorded unpack
// alignment (the snapshot's is set afterwards).
void Textures(SEs1Host& gl, const SEs1State& snapshot, const SEs1State* current)
{
    const auto& textures = std::as_const(snapshot.textures);
    if (textures.Count() == 0)
        return;
    for (int32_t t = 0; t < textures.Count(); ++t) {
        const auto& levels = textures.At(t);
        XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, textures.KeyAt(t));
        if (AlreadyHeld(textures, t, current)) {
            // The images are on the host; the parameters may have changed since, and cost nothing.
            if (const STexImage* level0 = levels.Get(0))
                SendParameters(gl, *level0);
            continue;
        }
        for (int32_t l = 0; l < levels.Count(); ++l) {
            const STexImage& image = levels.At(l);
            if (image.level == 0 && !image.compressed)
                XQF_HOST(gl, glTexParameteri)(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GLint(image.generateMipmap));
            UploadLevel(gl, image);
            if (image.level == 0)
                SendParameters(gl, image);
        }
        GenerateLevels(gl, levels.Get(0));
    }
}

bool HostHasPalette(SEs1Host& gl)
{
    auto getString = XQF_HOST(gl, glGetString);
    return HasExtension(reinterpret_cast<const char*>(getString(GL_EXTENSIONS)), "GL_OES_matrix_palette");
}

uint32_t RestoredUnits(SEs1Host& gl, const SEs1State& snapshot)
{
    return std::min<uint32_t>({snapshot.textureUnitCount, uint32_t(kEs1Units),
                               uint32_t(std::max(HostInt(gl, GL_MAX_TEXTURE_UNITS), 1))});
}

// One stack of the current matrix mode: the host's popped back to its bottom entry, then each
// entry below the top loaded and pushed, bottom first, and the top loaded. A stack deeper than the
// host's keeps its bottom entries and its top.
void MatrixStack(SEs1Host& gl, GLenum depthQuery, GLenum maxQuery, const SEs1MatrixStack& stack)
{
    for (GLint depth = HostInt(gl, depthQuery); depth > 1; --depth)
        XQF_HOST(gl, glPopMatrix)();
    const size_t room = size_t(std::max(HostInt(gl, maxQuery), 1) - 1);
    const size_t pushed = std::min(stack.below.size(), room);
    for (size_t i = 0; i < pushed; ++i) {
        XQF_HOST(gl, glLoadMatrixf)(stack.below[i].data());
        XQF_HOST(gl, glPushMatrix)();
    }
    XQF_HOST(gl, glLoadMatrixf)(stack.top.data());
}

// Between steps 1 and 2: every matrix stack (the palette matrices, which have no stack, where the
// host has them). The matrix mode is left to the end of the restore, the active unit to step 2.
void Matrices(SEs1Host& gl, const SEs1State& snapshot)
{
    XQF_HOST(gl, glMatrixMode)(GL_MODELVIEW);
    MatrixStack(gl, GL_MODELVIEW_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH, snapshot.matrixStacks[0]);
    XQF_HOST(gl, glMatrixMode)(GL_PROJECTION);
    MatrixStack(gl, GL_PROJECTION_STACK_DEPTH, GL_MAX_PROJECTION_STACK_DEPTH, snapshot.matrixStacks[1]);
    XQF_HOST(gl, glMatrixMode)(GL_TEXTURE);
    const uint32_t units = RestoredUnits(gl, snapshot);
    for (uint32_t u = 0; u < units; ++u) {
        const uint64_t stack = 2 + uint64_t(snapshot.paletteStackBase) + u;
        if (stack >= uint64_t(kEs1MatrixStacks))
            break;
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        MatrixStack(gl, GL_TEXTURE_STACK_DEPTH, GL_MAX_TEXTURE_STACK_DEPTH, snapshot.matrixStacks[stack]);
    }
    using CurrentPalette = void (*)(GLuint);
    const auto current = reinterpret_cast<CurrentPalette>(gl.ext.glCurrentPaletteMatrixOES);
    if (!current || !HostHasPalette(gl))
        return;
    XQF_HOST(gl, glMatrixMode)(GL_MATRIX_PALETTE_OES);
    const uint32_t palettes = std::min<uint32_t>({snapshot.paletteStackBase, uint32_t(kEs1MatrixStacks - 2),
                                                  uint32_t(std::max(HostInt(gl, GL_MAX_PALETTE_MATRICES_OES), 0))});
    for (uint32_t p = 0; p < palettes; ++p) {
        current(p);
        XQF_HOST(gl, glLoadMatrixf)(snapshot.matrixStacks[2 + p].top.data());
    }
    if (snapshot.currentPaletteMatrix < palettes)
        current(snapshot.currentPaletteMatrix);
}

// Last: the matrix mode (a host without the matrix palette keeps its own for that mode) and the
// viewport. A viewport the trace never set stays as the host has it, as GL set it from the surface.
void MatrixModeAndViewport(SEs1Host& gl, const SEs1State& snapshot)
{
    if (snapshot.matrixMode != GL_MATRIX_PALETTE_OES || HostHasPalette(gl))
        XQF_HOST(gl, glMatrixMode)(snapshot.matrixMode);
    const int32_t* v = snapshot.viewport;
    if (v[2] != 0 || v[3] != 0)
        XQF_HOST(gl, glViewport)(v[0], v[1], v[2], v[3]);
}

// Step 2, over the units both the snapshot and the host have.
void Units(SEs1Host& gl, const SEs1State& snapshot)
{
    const uint32_t units = RestoredUnits(gl, snapshot);
    for (uint32_t u = 0; u < units; ++u) {
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, snapshot.texture2DBinding[u]);
        const float* tc = snapshot.currentTexCoord[u];
        XQF_HOST(gl, glMultiTexCoord4f)(GL_TEXTURE0 + u, tc[0], tc[1], tc[2], tc[3]);
        Capability(gl, GL_TEXTURE_2D, snapshot.texture2DEnabled[u]);
    }
    const uint32_t active = snapshot.activeTexture - GL_TEXTURE0;
    XQF_HOST(gl, glActiveTexture)(active < units ? snapshot.activeTexture : GL_TEXTURE0);
}

// The client-array switches of the default vertex-array record (those of the matrix palette and
// point sizes where the host has them) and no texture-coordinate array, whose switches are not
// tracked: what a frame's draws find enabled then follows the frame, not what the host played last
// (a pass that stopped after a frame's last draw leaves arrays on that the frame switches off
// later). The client active unit as tracked. A frame that starts with an object of the extension
// bound gets its switches from RestoreEs1VertexArrays.
void ClientArrays(SEs1Host& gl, const SEs1State& snapshot)
{
    if (snapshot.vertexArrayBinding != 0)
        return;
    const char* extensions = reinterpret_cast<const char*>(XQF_HOST(gl, glGetString)(GL_EXTENSIONS));
    const bool palette = HasExtension(extensions, "GL_OES_matrix_palette");
    const bool pointSizes = HasExtension(extensions, "GL_OES_point_size_array");
    const SEs1VertexArray defaults;
    const SEs1VertexArray* bound = snapshot.vertexArrays.Get(0);
    const SEs1VertexArray& arrays = bound ? *bound : defaults;
    for (int i = 0; i < 6; ++i) {
        const GLenum cap = kEs1ClientStates[i];
        if ((cap == GL_MATRIX_INDEX_ARRAY_OES || cap == GL_WEIGHT_ARRAY_OES) && !palette)
            continue;
        if (cap == GL_POINT_SIZE_ARRAY_OES && !pointSizes)
            continue;
        if (arrays.enabled[i])
            XQF_HOST(gl, glEnableClientState)(cap);
        else
            XQF_HOST(gl, glDisableClientState)(cap);
    }
    const uint32_t units = RestoredUnits(gl, snapshot);
    for (uint32_t u = 0; u < units; ++u) {
        XQF_HOST(gl, glClientActiveTexture)(GL_TEXTURE0 + u);
        XQF_HOST(gl, glDisableClientState)(GL_TEXTURE_COORD_ARRAY);
    }
    const uint32_t active = snapshot.clientActiveTexture - GL_TEXTURE0;
    XQF_HOST(gl, glClientActiveTexture)(active < units ? snapshot.clientActiveTexture : GL_TEXTURE0);
}

// Step 3. A host without the matrix palette refuses its capability: it is left out there.
void Capabilities(SEs1Host& gl, const SEs1State& snapshot)
{
    const bool palette = HostHasPalette(gl);
    for (int i = 0; i < 35; ++i)
        if (kEs1Capabilities[i] != GL_MATRIX_PALETTE_OES || palette)
            Capability(gl, kEs1Capabilities[i], snapshot.capabilities[i]);
}

// Steps 5 and 6: every buffer again (no skip test), then the bindings.
void Buffers(SEs1Host& gl, SEs1State& snapshot)
{
    const auto& buffers = std::as_const(snapshot.buffers);
    for (int32_t i = 0; i < buffers.Count(); ++i) {
        const SEs1Buffer& b = buffers.At(i);
        // A buffer only written into, never defined, has no target: it is made, not filled.
        const bool defined = b.target == GL_ARRAY_BUFFER || b.target == GL_ELEMENT_ARRAY_BUFFER;
        const GLenum target = defined ? b.target : GL_ARRAY_BUFFER;
        Bind(gl, target, buffers.KeyAt(i));
        if (!defined || b.usage == 0 ||
            !BufferPaddingAllowed("Restore of glBufferData", buffers.KeyAt(i), b.data.get(), b.size, b.capturedSize))
            continue;
        const CPaddedUpload upload(b.data.get(), b.capturedSize, b.size);
        XQF_HOST(gl, glBufferData)(target, GLsizeiptr(b.size), upload.Data(), b.usage);
    }
    es1play::Es1BufferContentsChanged();  // the draws' index ranges found before hold no more
    Bind(gl, GL_ARRAY_BUFFER, snapshot.arrayBufferBinding);
    Bind(gl, GL_ELEMENT_ARRAY_BUFFER, snapshot.vertexArrays[snapshot.vertexArrayBinding].elementArrayBuffer);
}

void ClipPlanes(SEs1Host& gl, const SEs1State& snapshot)
{
    const GLint n = std::min(HostInt(gl, GL_MAX_CLIP_PLANES), 6);
    for (GLint i = 0; i < n; ++i)
        XQF_HOST(gl, glClipPlanef)(GL_CLIP_PLANE0 + GLenum(i), snapshot.clipPlaneEquations[i]);
}

// The tracked lights 1 to 7 start all zero, where GL starts them as a white-less, unattenuated,
// non-spot light. Sent as tracked, an untouched spot cutoff of 0 and constant attenuation of 0 would
// turn a light the trace enables without setting them into one that lights nothing: a parameter
// still all zero there is sent as GL's default. For the colours this changes only the alpha, which
// no lit colour uses; for the others zero is a degenerate value no application sets on purpose.
const GLfloat kLightDefaults[10][4] = {
    {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, -1, 0},
    {0, 0, 0, 0}, {180, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
};

void Lights(SEs1Host& gl, const SEs1State& snapshot)
{
    const GLint n = std::min(HostInt(gl, GL_MAX_LIGHTS), 8);
    for (GLint i = 0; i < n; ++i)
        for (int p = 0; p < 10; ++p) {
            const float* v = snapshot.lights[i][p];
            const bool untouched = i > 0 && v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0;
            XQF_HOST(gl, glLightfv)(GL_LIGHT0 + GLenum(i), kEs1LightParams[p], untouched ? kLightDefaults[p] : v);
        }
}

// ---- objects of the framebuffer-object extension ----

// The name an attachment hands the host: its own when the restore made that object, else 0. An
// application that deletes a texture or renderbuffer attached to a framebuffer not bound keeps it
// attached there (GL detaches it from the bound framebuffer only), but the tracked state dropped it
// with its images: the host has no object under that name, and attaching the name would raise
// GL_INVALID_OPERATION. The attachment point is left empty instead, as it is until the application
// attaches another.
uint32_t MadeTexture(const SEs1State& s, uint32_t name)
{
    if (name == 0 || std::as_const(s.textures).Contains(name))
        return name;
    for (uint32_t u = 0; u < kEs1Units; ++u)
        if (s.texture2DBinding[u] == name)
            return name;  // bound on a unit: step 2 made it
    return 0;
}

uint32_t MadeRenderbuffer(const SEs1State& s, uint32_t name)
{
    const SEs2Renderbuffer* r = std::as_const(s.renderbuffers).Get(name);
    return r && (r->bound & 0xFF) != 0 ? name : 0;
}

// Under their recorded names, as the ES 1.1 player hands them over: the renderbuffers ever bound with
// their storage, the framebuffers ever bound with their attachments (the textures are on the host
// since step 1), then both bindings. A host without the extension is left alone.
void FramebufferObjects(SEs1Host& gl, const SEs1State& s)
{
    bool any = s.framebufferBinding != 0 || s.renderbufferBinding != 0;
    for (const auto& entry : s.framebuffers)
        any = any || entry.key != 0;
    for (const auto& entry : s.renderbuffers)
        any = any || entry.key != 0;
    if (any && !gl.ext.glBindFramebufferOES) {
        const uint8_t api = kEsVersion1;  // the calls that made them may all lie before this frame
        LoadHostExtensions(&api);
    }
    using BindObject = void (*)(GLenum, GLuint);
    using Storage = void (*)(GLenum, GLenum, GLsizei, GLsizei);
    using Texture2D = void (*)(GLenum, GLenum, GLenum, GLuint, GLint);
    using Renderbuffer = void (*)(GLenum, GLenum, GLenum, GLuint);
    auto bindFramebuffer = reinterpret_cast<BindObject>(gl.ext.glBindFramebufferOES);
    auto bindRenderbuffer = reinterpret_cast<BindObject>(gl.ext.glBindRenderbufferOES);
    auto storage = reinterpret_cast<Storage>(gl.ext.glRenderbufferStorageOES);
    auto texture = reinterpret_cast<Texture2D>(gl.ext.glFramebufferTexture2DOES);
    auto renderbuffer = reinterpret_cast<Renderbuffer>(gl.ext.glFramebufferRenderbufferOES);
    if (!bindFramebuffer || !bindRenderbuffer || !storage || !texture || !renderbuffer)
        return;
    for (const auto& entry : s.renderbuffers) {
        const SEs2Renderbuffer& r = entry.record;
        if (entry.key == 0 || (r.bound & 0xFF) == 0)
            continue;
        bindRenderbuffer(GL_RENDERBUFFER_OES, entry.key);
        if (r.internalFormat != 0 &&
            RenderbufferBytesAllowed("Restore of glRenderbufferStorageOES", r.internalFormat, int64_t(int32_t(r.width)),
                                     int64_t(int32_t(r.height)), 0))
            storage(GL_RENDERBUFFER_OES, r.internalFormat, GLsizei(r.width), GLsizei(r.height));
    }
    for (const auto& entry : s.framebuffers) {
        const SEs2Framebuffer& f = entry.record;
        if (entry.key == 0 || (f.bound & 0xFF) != 1)
            continue;
        bindFramebuffer(GL_FRAMEBUFFER_OES, entry.key);
        const std::pair<GLenum, const SEs2Attachment*> attachments[] = {{GL_COLOR_ATTACHMENT0_OES, &f.color},
                                                                        {GL_DEPTH_ATTACHMENT_OES, &f.depth},
                                                                        {GL_STENCIL_ATTACHMENT_OES, &f.stencil}};
        for (const auto& [point, a] : attachments)
            if (a->type == GL_RENDERBUFFER_OES)
                renderbuffer(GL_FRAMEBUFFER_OES, point, GL_RENDERBUFFER_OES, MadeRenderbuffer(s, a->name));
            else if (a->type == GL_TEXTURE)
                texture(GL_FRAMEBUFFER_OES, point, a->target ? a->target : GL_TEXTURE_2D, MadeTexture(s, a->name),
                        GLint(a->level));
    }
    bindRenderbuffer(GL_RENDERBUFFER_OES, s.renderbufferBinding);
    bindFramebuffer(GL_FRAMEBUFFER_OES, s.framebufferBinding);
}

// What the restore does not send from the tracked state (its initial values are the recorder's,
// not GL's, and some are no valid GL value) is put back to GL's initial values: a pass then starts
// from what a context made for it would hold, whatever the pass before it set.
void UnsentToInitialValues(SEs1Host& gl, uint32_t units)
{
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1}, black[4] = {0, 0, 0, 1};
    XQF_HOST(gl, glMaterialfv)(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    XQF_HOST(gl, glMaterialfv)(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    XQF_HOST(gl, glMaterialfv)(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    XQF_HOST(gl, glMaterialfv)(GL_FRONT_AND_BACK, GL_EMISSION, black);
    XQF_HOST(gl, glMaterialf)(GL_FRONT_AND_BACK, GL_SHININESS, 0);
    const GLfloat none[4] = {0, 0, 0, 0};
    const std::pair<GLenum, GLint> environment[] = {
        {GL_TEXTURE_ENV_MODE, GL_MODULATE}, {GL_COMBINE_RGB, GL_MODULATE}, {GL_COMBINE_ALPHA, GL_MODULATE},
        {GL_SRC0_RGB, GL_TEXTURE}, {GL_SRC1_RGB, GL_PREVIOUS}, {GL_SRC2_RGB, GL_CONSTANT},
        {GL_SRC0_ALPHA, GL_TEXTURE}, {GL_SRC1_ALPHA, GL_PREVIOUS}, {GL_SRC2_ALPHA, GL_CONSTANT},
        {GL_OPERAND0_RGB, GL_SRC_COLOR}, {GL_OPERAND1_RGB, GL_SRC_COLOR}, {GL_OPERAND2_RGB, GL_SRC_ALPHA},
        {GL_OPERAND0_ALPHA, GL_SRC_ALPHA}, {GL_OPERAND1_ALPHA, GL_SRC_ALPHA}, {GL_OPERAND2_ALPHA, GL_SRC_ALPHA}};
    const GLint active = HostInt(gl, GL_ACTIVE_TEXTURE);
    for (uint32_t u = 0; u < units; ++u) {
        XQF_HOST(gl, glActiveTexture)(GL_TEXTURE0 + u);
        for (const auto& [pname, value] : environment)
            XQF_HOST(gl, glTexEnvi)(GL_TEXTURE_ENV, pname, value);
        XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_RGB_SCALE, 1);
        XQF_HOST(gl, glTexEnvf)(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1);
        XQF_HOST(gl, glTexEnvfv)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, none);
    }
    XQF_HOST(gl, glActiveTexture)(active ? GLenum(active) : GL_TEXTURE0);
    XQF_HOST(gl, glShadeModel)(GL_SMOOTH);
    XQF_HOST(gl, glLogicOp)(GL_COPY);
    XQF_HOST(gl, glStencilFunc)(GL_ALWAYS, 0, ~0u);
    XQF_HOST(gl, glStencilOp)(GL_KEEP, GL_KEEP, GL_KEEP);
    XQF_HOST(gl, glStencilMask)(~0u);
    XQF_HOST(gl, glPointSize)(1);
    XQF_HOST(gl, glLineWidth)(1);
    XQF_HOST(gl, glPolygonOffset)(0, 0);
    XQF_HOST(gl, glSampleCoverage)(1, GL_FALSE);
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, 4);
    XQF_HOST(gl, glNormal3f)(0, 0, 1);
    // The box a new context takes from the first surface made current on it.
    SEglHost& egl = *SEglHost::Instance();
    EGLint width = 0, height = 0;
    EGLDisplay display = XQF_HOST(egl, eglGetCurrentDisplay)();
    EGLSurface draw = XQF_HOST(egl, eglGetCurrentSurface)(EGL_DRAW);
    if (draw != EGL_NO_SURFACE && XQF_HOST(egl, eglQuerySurface)(display, draw, EGL_WIDTH, &width) &&
        XQF_HOST(egl, eglQuerySurface)(display, draw, EGL_HEIGHT, &height))
        XQF_HOST(gl, glScissor)(0, 0, width, height);
}

} // namespace

void RestoreEs1State(SEs1State& snapshot, uint32_t, SEs1State* current)
{
    SEs1Host& gl = *SEs1Host::Instance();
    const SEs1State& s = snapshot;
    UnsentToInitialValues(gl, RestoredUnits(gl, s));
    Textures(gl, s, current);
    Matrices(gl, s);
    Units(gl, s);
    Capabilities(gl, s);
    XQF_HOST(gl, glAlphaFunc)(s.alphaFunc, s.alphaRef);
    Buffers(gl, snapshot);
    FramebufferObjects(gl, s);
    ClientArrays(gl, s);
    XQF_HOST(gl, glBlendFunc)(s.blendSrc, s.blendDst);
    XQF_HOST(gl, glClearColor)(s.clearColor[0], s.clearColor[1], s.clearColor[2], s.clearColor[3]);
    XQF_HOST(gl, glClearDepthf)(s.clearDepth);
    XQF_HOST(gl, glClearStencil)(s.clearStencil);
    {
        const CIdentityModelView identity(gl);
        ClipPlanes(gl, s);
    }
    XQF_HOST(gl, glColor4f)(s.currentColor[0], s.currentColor[1], s.currentColor[2], s.currentColor[3]);
    XQF_HOST(gl, glColorMask)(s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]);
    XQF_HOST(gl, glCullFace)(s.cullFaceMode);
    XQF_HOST(gl, glDepthFunc)(s.depthFunc);
    XQF_HOST(gl, glDepthMask)(s.depthMask);
    XQF_HOST(gl, glDepthRangef)(s.depthRangeNear, s.depthRangeFar);
    for (int i = 0; i < 4; ++i)
        XQF_HOST(gl, glFogf)(kEs1FogParams[i], s.fogParams[i]);
    XQF_HOST(gl, glFogfv)(GL_FOG_COLOR, s.fogColor);
    XQF_HOST(gl, glFrontFace)(s.frontFace);
    for (int i = 0; i < 5; ++i)
        XQF_HOST(gl, glHint)(kEs1Hints[i], s.hints[i]);
    XQF_HOST(gl, glLightModelf)(GL_LIGHT_MODEL_TWO_SIDE, s.lightModelTwoSide ? 1.0f : 0.0f);
    XQF_HOST(gl, glLightModelfv)(GL_LIGHT_MODEL_AMBIENT, s.lightModelAmbient);
    {
        const CIdentityModelView identity(gl);
        Lights(gl, s);
    }
    MatrixModeAndViewport(gl, s);
    // The frame's pixel store, whatever an earlier pass left: the alignments on the host, the row
    // length and skips in the player's note.
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, ValidUnpackAlignment(s.packAlignment));
    XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, ValidUnpackAlignment(s.unpackAlignment));
    Es1UnpackRowsNote() = UnpackRowsOf(s, 0);
}

// ---- vertex-array objects of the extension ----

namespace {

using ClientPointer = void (*)(GLint size, GLenum type, GLsizei stride, const void* pointer);
using TypedPointer = void (*)(GLenum type, GLsizei stride, const void* pointer);

// Points a buffer-backed array at its recorded offset; an array without a buffer is pointed at each
// draw's captured block by the player, so nothing is sent for it.
bool FromBuffer(SEs1Host& gl, const SEs1ClientArray& a, const void* setter)
{
    if (a.buffer == 0 || !setter)
        return false;
    Bind(gl, GL_ARRAY_BUFFER, a.buffer);
    return true;
}
const void* Offset(const SEs1ClientArray& a) { return reinterpret_cast<const void*>(uintptr_t(uint32_t(a.pointer))); }
// `slot` is the array's place in the draws' walk (Es1ClientArrays.cpp), under which its stride is noted.
void ArrayFromBuffer(SEs1Host& gl, const SEs1ClientArray& a, ClientPointer set, uint32_t slot)
{
    if (!FromBuffer(gl, a, reinterpret_cast<const void*>(set)))
        return;
    set(a.size, a.type, a.stride, Offset(a));
    NoteArrayStride(kEs1ArrayStrides + slot, a.stride);
}
void ArrayFromBuffer(SEs1Host& gl, const SEs1ClientArray& a, TypedPointer set, uint32_t slot)
{
    if (!FromBuffer(gl, a, reinterpret_cast<const void*>(set)))
        return;
    set(a.type, a.stride, Offset(a));
    NoteArrayStride(kEs1ArrayStrides + slot, a.stride);
}

// What one object holds, into the object bound on the host. The palette arrays only where the host
// offers the matrix palette (it refuses their switches otherwise).
void FillVertexArray(SEs1Host& gl, const SEs1VertexArray& va)
{
    const bool palette = gl.ext.glMatrixIndexPointerOES && gl.ext.glWeightPointerOES;
    ArrayFromBuffer(gl, va.color, XQF_HOST(gl, glColorPointer), 0);
    ArrayFromBuffer(gl, va.vertex, XQF_HOST(gl, glVertexPointer), 2);
    ArrayFromBuffer(gl, va.normal, XQF_HOST(gl, glNormalPointer), 1);
    ArrayFromBuffer(gl, va.pointSize, XQF_HOST(gl, glPointSizePointerOES), 3);
    if (palette) {
        ArrayFromBuffer(gl, va.matrixIndex, reinterpret_cast<ClientPointer>(gl.ext.glMatrixIndexPointerOES), 4);
        ArrayFromBuffer(gl, va.weight, reinterpret_cast<ClientPointer>(gl.ext.glWeightPointerOES), 5);
    }
    const GLint units = std::clamp(HostInt(gl, GL_MAX_TEXTURE_UNITS), 1, kEs1Units);
    for (GLint u = 0; u < units; ++u)
        if (va.texCoord[u].buffer != 0) {
            XQF_HOST(gl, glClientActiveTexture)(GL_TEXTURE0 + GLenum(u));
            ArrayFromBuffer(gl, va.texCoord[u], XQF_HOST(gl, glTexCoordPointer), 6 + uint32_t(u));
        }
    for (int i = 0; i < 6; ++i) {
        const bool paletteArray = kEs1ClientStates[i] == GL_MATRIX_INDEX_ARRAY_OES ||
                                  kEs1ClientStates[i] == GL_WEIGHT_ARRAY_OES;
        if (paletteArray && !palette)
            continue;
        if (va.enabled[i])
            XQF_HOST(gl, glEnableClientState)(kEs1ClientStates[i]);
        else
            XQF_HOST(gl, glDisableClientState)(kEs1ClientStates[i]);
    }
    Bind(gl, GL_ELEMENT_ARRAY_BUFFER, va.elementArrayBuffer);
}

} // namespace

void RestoreEs1VertexArrays(const SEs1State& snapshot, SEs1ExtensionState& names)
{
    SEs1Host& gl = *SEs1Host::Instance();
    bool others = snapshot.vertexArrayBinding != 0;
    for (const auto& entry : snapshot.vertexArrays)
        others = others || entry.key != 0;
    if (!others)
        return;
    names.LoadExtensionsOnce();  // the calls that made them may all lie before this frame
    using BindVertexArray = void (*)(GLuint);
    using GenVertexArrays = void (*)(GLsizei, GLuint*);
    auto bind = reinterpret_cast<BindVertexArray>(gl.ext.glBindVertexArrayOES);
    auto gen = reinterpret_cast<GenVertexArrays>(gl.ext.glGenVertexArraysOES);
    if (!bind || !gen)
        return;
    const GLint clientActive = HostInt(gl, GL_CLIENT_ACTIVE_TEXTURE);
    for (const auto& entry : snapshot.vertexArrays) {
        if (entry.key == 0)
            continue;
        const uint32_t* known = std::as_const(names.vertexArrays).Get(entry.key);
        GLuint host = known ? *known : 0;
        if (host == 0) {
            gen(1, &host);
            names.SetVertexArray(entry.key, host);
        }
        bind(host);
        FillVertexArray(gl, entry.record);
    }
    bind(names.GetVertexArray(snapshot.vertexArrayBinding));
    Bind(gl, GL_ARRAY_BUFFER, snapshot.arrayBufferBinding);  // not an object's: the snapshot's own
    XQF_HOST(gl, glClientActiveTexture)(clientActive ? GLenum(clientActive) : GL_TEXTURE0);
}
