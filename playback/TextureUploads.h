#pragma once
// The texture image uploads the ES 1.1 and ES 2.0 players replay alike: glTexImage2D, glTexSubImage2D,
// their compressed forms and the copies from the framebuffer. Each checks the image against the host's
// limits, then the recorded bytes against what the host will read, and only then calls the host. What
// differs between the families is how an image argument is read (a trace without data, and the words
// of a refusal), which the family gives as a policy:
//   static const void* Image(Play&, TPointerArg<SImage2D> image, int64_t needed, bool always, bool& refused)
//       the recorded bytes of the image argument when they hold `needed` (-1: a format
//       and type not known here); null when none were recorded, unless `always` (the host reads them
//       whatever happens), when that is a refusal too; `refused` is set after the ERROR line
//   static void BeforeSubImage(Play&)
//       what the family does before a sub-image update reaches the host
// Include it after the family's GL header: the host calls are typed by its prototypes.
#include "PlayCase.h"
#include "PlayItems.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"

#include "state/PixelSize.h"

#include <algorithm>
#include <cstdint>

namespace uploads {

// Bytes an upload of the call's image (its width, height, format and type) reads under the host's
// unpack alignment; -1 when the format and type are not known here.
template <class Call>
int64_t UploadSize(Call& p, int32_t unpackAlignment)
{
    return GetImageSize(p.template Item<"format">(), p.template Item<"type">(), p.template Item<"width">(),
                        p.template Item<"height">(), unpackAlignment, 0);
}

// The bytes a compressed upload hands over: its recorded imageSize, of which the host judges a
// negative one (the bytes checked are then none).
template <class Call>
int64_t CompressedSize(Call& p)
{
    return std::max(p.template Item<"imageSize">(), 0);
}

// Whether the region of a sub-image update lies inside the level the host has.
template <class Call>
bool RegionFits(Call& p)
{
    return SubImageFits(p.gl, p.call.GetName(), p.template Item<"target">(), p.template Item<"level">(),
                        p.template Item<"xoffset">(), p.template Item<"yoffset">(), p.template Item<"width">(),
                        p.template Item<"height">());
}

// A whole image: without recorded bytes the host still makes the level, within the bytes an image
// may take.
template <class Family, class Call>
EEnd TexImage2D(Call& p, int32_t unpackAlignment)
{
    if (!ImageSizeFits(p.gl, p.call.GetName(), p.template Item<"target">(), p.template Item<"width">(),
                       p.template Item<"height">()))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = UploadSize(p, unpackAlignment);
    const void* pixels = Family::Image(p, p.template Item<"pixels">(), needed, false, refused);
    if (refused || (!pixels && !ImageBytesAllowed(p.call.GetName(), needed, 0)))
        return EEnd::Fail;
    XQF_HOST(p.gl, glTexImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                 int32_t(p.template Item<"internalformat">()), p.template Item<"width">(),
                                 p.template Item<"height">(), p.template Item<"border">(), p.template Item<"format">(),
                                 p.template Item<"type">(), pixels);
    return EEnd::Common;
}

// A part of an image: the host always reads its pixels.
template <class Family, class Call>
EEnd TexSubImage2D(Call& p, int32_t unpackAlignment)
{
    if (!RegionFits(p))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = UploadSize(p, unpackAlignment);
    const void* pixels = Family::Image(p, p.template Item<"pixels">(), needed, needed != 0, refused);
    if (refused)
        return EEnd::Fail;
    Family::BeforeSubImage(p);
    XQF_HOST(p.gl, glTexSubImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                    p.template Item<"xoffset">(), p.template Item<"yoffset">(),
                                    p.template Item<"width">(), p.template Item<"height">(),
                                    p.template Item<"format">(), p.template Item<"type">(), pixels);
    return EEnd::Common;
}

// The compressed image's bytes are listed as "data" (as "pixels" by an ES 2.0 glCompressedTexImage2D).
template <class Family, class Call>
EEnd CompressedTexImage2D(Call& p)
{
    if (!ImageSizeFits(p.gl, p.call.GetName(), p.template Item<"target">(), p.template Item<"width">(),
                       p.template Item<"height">()))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = CompressedSize(p);
    const void* data = Family::Image(p, p.template Item<"data", "pixels">(), needed, false, refused);
    if (refused || (!data && !ImageBytesAllowed(p.call.GetName(), needed, 0)))
        return EEnd::Fail;
    XQF_HOST(p.gl, glCompressedTexImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                           uint32_t(p.template Item<"internalformat">()), p.template Item<"width">(),
                                           p.template Item<"height">(), p.template Item<"border">(),
                                           p.template Item<"imageSize">(), data);
    return EEnd::Common;
}

template <class Family, class Call>
EEnd CompressedTexSubImage2D(Call& p)
{
    if (!RegionFits(p))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = CompressedSize(p);
    const void* data = Family::Image(p, p.template Item<"data">(), needed, needed != 0, refused);
    if (refused)
        return EEnd::Fail;
    Family::BeforeSubImage(p);
    XQF_HOST(p.gl, glCompressedTexSubImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                              p.template Item<"xoffset">(), p.template Item<"yoffset">(),
                                              p.template Item<"width">(), p.template Item<"height">(),
                                              p.template Item<"format">(), p.template Item<"imageSize">(), data);
    return EEnd::Common;
}

// The host fills a copied image from the framebuffer: no trace bytes bound its size, only the
// host's limits.
template <class Call>
EEnd CopyTexImage2D(Call& p)
{
    if (!CopiedImageFits(p.gl, p.call.GetName(), p.template Item<"target">(), p.template Item<"width">(),
                         p.template Item<"height">()))
        return EEnd::Fail;
    XQF_HOST(p.gl, glCopyTexImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                     GLenum(p.template Item<"internalformat">()), p.template Item<"x">(),
                                     p.template Item<"y">(), p.template Item<"width">(), p.template Item<"height">(),
                                     p.template Item<"border">());
    return EEnd::Common;
}

template <class Call>
EEnd CopyTexSubImage2D(Call& p)
{
    if (!RegionFits(p))
        return EEnd::Fail;
    XQF_HOST(p.gl, glCopyTexSubImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                        p.template Item<"xoffset">(), p.template Item<"yoffset">(),
                                        p.template Item<"x">(), p.template Item<"y">(), p.template Item<"width">(),
                                        p.template Item<"height">());
    return EEnd::Common;
}

} // namespace uploads
