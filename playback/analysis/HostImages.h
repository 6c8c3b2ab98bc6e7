#pragma once
// What the analysis needs to reach a texture image on the host apart from the trace's own calls: a
// framebuffer of its own to attach the image to (ES 2.0's framebuffer objects, or ES 1.1's
// extension), the host name of a recorded texture, and the GL errors such work finds.
#include <GLES2/gl2.h>

#include <cstdint>

struct SImageFramebuffers
{
    void (*gen)(GLsizei, GLuint*) = nullptr;
    void (*bind)(GLenum, GLuint) = nullptr;
    void (*attach)(GLenum, GLenum, GLenum, GLuint, GLint) = nullptr;
    GLenum (*status)(GLenum) = nullptr;
    void (*remove)(GLsizei, const GLuint*) = nullptr;

    bool Complete() const { return gen && bind && attach && status && remove; }
};

// The framebuffer-object entry points of a context of `api` (kEsVersion1 or kEsVersion2).
SImageFramebuffers ImageFramebuffers(uint8_t api);

// The host name of a recorded texture: ES 2.0 maps names, ES 1.1 makes textures under their own.
GLuint HostTextureName(uint8_t api, uint32_t recorded);

// Reads every GL error flag, each reported as "WHAT FRAME: GL error 0x..", as the analysis reports
// the errors a pass leaves: true when there was one.
bool HostImageErrors(const char* what, uint32_t frame);
