// The ES 2.0 texture calls played by hand: names, and the uploads, which the ES 1.1 player shares
// (TextureUploads.h); an image recorded without its bytes hands the host none.
#include "Es2Play.h"
#include "host/HostChecks.h"
#include "host/HostUnpack.h"

#include "state/PixelSize.h"
#include "values/DataHolders.h"

#include "TextureUploads.h" // after the GL headers, whose prototypes type its host calls

namespace es2play {

namespace {

// How the shared texture uploads treat ES 2.0 images (TextureUploads.h): one recorded without its
// bytes hands the host none.
struct SEs2Uploads
{
    static constexpr bool kBarePointerRefused = false;
    static void BeforeSubImage(SPlay&) {}
    static SUnpackRows Rows(SPlay& p) { return Es2HostUnpackRows(p.gl); }
    static constexpr bool kHostUnpacks = true;
};

} // namespace

XQF_CASE(glBindTexture)
{
    const uint32_t recorded = p.Item<"texture">();
    GLuint host = TextureNameMap::Get(recorded);
    if (recorded != 0 && host == 0) {
        XQF_HOST(p.gl, glGenTextures)(1, &host);
        TextureNameMap::Set(recorded, host);
    }
    XQF_HOST(p.gl, glBindTexture)(p.Item<"target">(), host);
    return EEnd::Common;
}

XQF_CASE(glGenTextures) { return Generate<TextureNameMap, "textures">(p, XQF_HOST(p.gl, glGenTextures), true); }

XQF_CASE(glDeleteTextures) { return Remove<TextureNameMap, "textures">(p, XQF_HOST(p.gl, glDeleteTextures)); }

XQF_CASE(glTexImage2D) { return uploads::TexImage2D<SEs2Uploads>(p); }

XQF_CASE(glTexSubImage2D) { return uploads::TexSubImage2D<SEs2Uploads>(p); }

XQF_CASE(glCopyTexImage2D) { return uploads::CopyTexImage2D(p); }

XQF_CASE(glCopyTexSubImage2D) { return uploads::CopyTexSubImage2D(p); }

XQF_CASE(glCompressedTexImage2D) { return uploads::CompressedTexImage2D<SEs2Uploads>(p); }

XQF_CASE(glCompressedTexSubImage2D) { return uploads::CompressedTexSubImage2D<SEs2Uploads>(p); }

} // namespace es2play
