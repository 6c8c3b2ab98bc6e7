#include "HostUnpack.h"

#include "HostCurrent.h"
#include "HostExtensions.h"

#include <GLES2/gl2.h>

#include <cstring>

namespace {

// The pixel-store names of ES 3.0 beside the unpack row length and skips (the GLES2 headers lack them).
enum : GLenum {
    kPackRowLength = 0x0D02, kPackSkipRows = 0x0D03, kPackSkipPixels = 0x0D04, kUnpackImageHeight = 0x806E,
    kUnpackSkipImages = 0x806D,
};

// The ES major version of the current context, from its version string ("OpenGL ES 3.2 ...").
int MajorVersion(SEs2Host& gl)
{
    const char* version = reinterpret_cast<const char*>(XQF_HOST(gl, glGetString)(GL_VERSION));
    const char* prefix = "OpenGL ES ";
    if (!version || std::strncmp(version, prefix, std::strlen(prefix)) != 0)
        return 0;
    const char digit = version[std::strlen(prefix)];
    return digit >= '0' && digit <= '9' ? digit - '0' : 0;
}

struct SAnswer
{
    void* context = nullptr;
    bool rows = false;
    bool es3 = false;
};
thread_local SAnswer t_answer;

const SAnswer& Answer(SEs2Host& gl)
{
    void* context = HostCurrentContext();
    if (context != t_answer.context || !context) {
        t_answer.context = context;
        t_answer.es3 = MajorVersion(gl) >= 3;
        const char* extensions = reinterpret_cast<const char*>(XQF_HOST(gl, glGetString)(GL_EXTENSIONS));
        t_answer.rows = t_answer.es3 || HasExtension(extensions, "GL_EXT_unpack_subimage");
    }
    return t_answer;
}

GLint HostInt(SEs2Host& gl, GLenum pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

} // namespace

bool Es2HostTakesUnpackRows(SEs2Host& gl) { return Answer(gl).rows; }

SUnpackRows Es2HostUnpackRows(SEs2Host& gl)
{
    SUnpackRows rows{HostInt(gl, GL_UNPACK_ALIGNMENT)};
    if (Es2HostTakesUnpackRows(gl)) {
        rows.rowLength = HostInt(gl, kUnpackRowLength);
        rows.skipRows = HostInt(gl, kUnpackSkipRows);
        rows.skipPixels = HostInt(gl, kUnpackSkipPixels);
    }
    return rows;
}

void SetEs2HostPixelStore(SEs2Host& gl, int32_t packAlignment, const SUnpackRows& unpack)
{
    XQF_HOST(gl, glPixelStorei)(GL_PACK_ALIGNMENT, packAlignment);
    XQF_HOST(gl, glPixelStorei)(GL_UNPACK_ALIGNMENT, unpack.alignment);
    const SAnswer& answer = Answer(gl);
    if (answer.rows) {
        XQF_HOST(gl, glPixelStorei)(kUnpackRowLength, unpack.rowLength);
        XQF_HOST(gl, glPixelStorei)(kUnpackSkipRows, unpack.skipRows);
        XQF_HOST(gl, glPixelStorei)(kUnpackSkipPixels, unpack.skipPixels);
    }
    if (answer.es3)
        for (GLenum pname : {kPackRowLength, kPackSkipRows, kPackSkipPixels, kUnpackImageHeight, kUnpackSkipImages})
            XQF_HOST(gl, glPixelStorei)(pname, 0);
}

SUnpackRows& Es1UnpackRowsNote()
{
    static SUnpackRows note;
    return note;
}
