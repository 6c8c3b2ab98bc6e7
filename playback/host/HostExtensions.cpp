#include "HostExtensions.h"

#include <EGL/egl.h>

#include <cstring>

#include "values/GlTokens.h"

namespace {
constexpr uint32_t kGlExtensions = gltoken::EXTENSIONS;
using GetStringFn = const unsigned char* (*)(uint32_t);

#define XQF_SLOT(fn) SExtensionProbe::SSlot{#fn, &SHostExtensionSlots::fn}

void Probe(uint8_t api, const char* extensions, SHostExtensionSlots& slots)
{
    auto getProc = XQF_HOST(*SEglHost::Instance(), eglGetProcAddress);
    for (const SExtensionProbe& row : ExtensionProbes())
        if (row.api == api && HasExtension(extensions, row.extension))
            for (const SExtensionProbe::SSlot& slot : row.slots)
                slots.*slot.member = reinterpret_cast<void*>(getProc(slot.name));
}
} // namespace

const std::vector<SExtensionProbe>& ExtensionProbes()
{
    static const std::vector<SExtensionProbe> probes = {
        {kEsVersion1, "GL_OES_matrix_palette",
         {XQF_SLOT(glCurrentPaletteMatrixOES), XQF_SLOT(glLoadPaletteFromModelViewMatrixOES),
          XQF_SLOT(glMatrixIndexPointerOES), XQF_SLOT(glWeightPointerOES)}},
        {kEsVersion1, "GL_OES_mapbuffer", {XQF_SLOT(glMapBufferOES), XQF_SLOT(glUnmapBufferOES), XQF_SLOT(glGetBufferPointervOES)}},
        {kEsVersion1, "GL_OES_framebuffer_object",
         {XQF_SLOT(glIsRenderbufferOES), XQF_SLOT(glBindRenderbufferOES), XQF_SLOT(glDeleteRenderbuffersOES),
          XQF_SLOT(glGenRenderbuffersOES), XQF_SLOT(glRenderbufferStorageOES), XQF_SLOT(glGetRenderbufferParameterivOES),
          XQF_SLOT(glIsFramebufferOES), XQF_SLOT(glBindFramebufferOES), XQF_SLOT(glDeleteFramebuffersOES),
          XQF_SLOT(glGenFramebuffersOES), XQF_SLOT(glCheckFramebufferStatusOES), XQF_SLOT(glFramebufferTexture2DOES),
          XQF_SLOT(glFramebufferRenderbufferOES), XQF_SLOT(glGetFramebufferAttachmentParameterivOES),
          XQF_SLOT(glGenerateMipmapOES)}},
        {kEsVersion1, "GL_EXT_multi_draw_arrays", {XQF_SLOT(glMultiDrawElementsEXT), XQF_SLOT(glMultiDrawArraysEXT)}},
        {kEsVersion1, "GL_OES_vertex_array_object",
         {XQF_SLOT(glBindVertexArrayOES), XQF_SLOT(glDeleteVertexArraysOES), XQF_SLOT(glGenVertexArraysOES),
          XQF_SLOT(glIsVertexArrayOES)}},
        {kEsVersion1, "GL_EXT_discard_framebuffer", {XQF_SLOT(glDiscardFramebufferEXT)}},
        {kEsVersion2, "GL_EXT_multi_draw_arrays", {XQF_SLOT(glMultiDrawElementsEXT), XQF_SLOT(glMultiDrawArraysEXT)}},
        {kEsVersion2, "GL_OES_mapbuffer", {XQF_SLOT(glMapBufferOES), XQF_SLOT(glUnmapBufferOES), XQF_SLOT(glGetBufferPointervOES)}},
        {kEsVersion2, "GL_OES_vertex_array_object",
         {XQF_SLOT(glBindVertexArrayOES), XQF_SLOT(glDeleteVertexArraysOES), XQF_SLOT(glGenVertexArraysOES),
          XQF_SLOT(glIsVertexArrayOES)}},
        {kEsVersion2, "GL_WZQ_multisampled_render_to_texture",
         {XQF_SLOT(glFramebufferTexture2DMultisampleWZQ), XQF_SLOT(glRenderbufferStorageMultisampleWZQ)}},
        {kEsVersion2, "GL_EXT_discard_framebuffer", {XQF_SLOT(glDiscardFramebufferEXT)}},
    };
    return probes;
}

bool HasExtension(const char* extensions, const char* name)
{
    if (!extensions || !name || !*name || std::strchr(name, ' '))
        return false;
    const size_t length = std::strlen(name);
    const char* start = extensions;
    for (;;) {
        const char* found = std::strstr(start, name);
        if (!found)
            return false;
        const char* end = found + length;
        // A rejected occurrence moves the start to its end, so a match right there counts as
        // beginning a word.
        if ((found == start || found[-1] == ' ') && (*end == ' ' || *end == '\0'))
            return true;
        start = end;
    }
}

bool LoadHostExtensions(const uint8_t* apiTag)
{
    if (!apiTag || (*apiTag != kEsVersion1 && *apiTag != kEsVersion2))
        return false;
    if (*apiTag == kEsVersion1) {
        SEs1Host* es1 = SEs1Host::Instance();
        auto getString = es1 ? reinterpret_cast<GetStringFn>(XQF_HOST_SLOT(*es1, glGetString)) : nullptr;
        const char* text = getString ? reinterpret_cast<const char*>(getString(kGlExtensions)) : nullptr;
        if (!text)
            return false;
        Probe(1, text, es1->ext);
    }
    SEs2Host* es2 = SEs2Host::Instance();
    auto getString = reinterpret_cast<GetStringFn>(XQF_HOST_SLOT(*es2, glGetString));
    const char* text = getString ? reinterpret_cast<const char*>(getString(kGlExtensions)) : nullptr;
    Probe(2, text, es2->ext);
    return true;
}
