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

// Pixel bytes of an image argument when it holds the `needed` bytes; null with `refused` set when
// it holds fewer, null when nothing was recorded.
const void* Pixels(SPlay& p, const SImage2D* image, int64_t needed, bool& refused)
{
    const uint8_t* bytes = image ? image->GetData() : nullptr;
    if (!bytes)
        return nullptr;
    if (needed < 0 || image->size < uint64_t(needed)) {
        refused = true;
        Short(p, needed < 0 ? "the image (of a format and type not known here)" : "the image", image->size,
              uint64_t(std::max<int64_t>(needed, 0)));
        return nullptr;
    }
    return bytes;
}

// How the shared texture uploads read an ES 2.0 image argument (TextureUploads.h): one recorded
// without its bytes hands the host none.
struct SEs2Uploads
{
    static const void* Image(SPlay& p, playrows::TPointerArg<SImage2D> image, int64_t needed, bool always,
                             bool& refused)
    {
        const void* bytes = Pixels(p, image.data, needed, refused);
        if (refused || bytes || !always)
            return bytes;
        refused = true;
        Short(p, needed < 0 ? "the image (of a format and type not known here)" : "the image", 0,
              uint64_t(std::max<int64_t>(needed, 0)));
        return nullptr;
    }
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
