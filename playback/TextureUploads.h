#pragma once
// The texture image uploads the ES 1.1 and ES 2.0 players replay alike: glTexImage2D,
// glTexSubImage2D and their compressed forms. Each checks the image against the host's limits, then
// the recorded bytes against what the host will read, and only then calls the host. What differs
// between the families is how an image argument is read (a trace without data, and the words of a
// refusal), which the family gives as a policy:
//   static const void* Image(Play&, size_t position, int64_t needed, bool always, bool& refused)
//       the recorded bytes of the image argument at `position` when they hold `needed` (-1: a format
//       and type not known here); null when none were recorded, unless `always` (the host reads them
//       whatever happens), when that is a refusal too; `refused` is set after the ERROR line
//   static void BeforeSubImage(Play&)
//       what the family does before a sub-image update reaches the host
// Include it after the family's GL header: the host calls are typed by its prototypes.
#include "PlayCase.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"

#include "state/PixelSize.h"

#include <algorithm>
#include <cstdint>

namespace uploads {

// Bytes an upload of the call's image (its width, height, format and type) reads under the host's
// unpack alignment; -1 when the format and type are not known here.
template <class Row, class Play>
int64_t UploadSize(Play& p, int32_t unpackAlignment)
{
    return GetImageSize(p.a.U32(Row::At("format")), p.a.U32(Row::At("type")), p.a.I32(Row::At("width")),
                        p.a.I32(Row::At("height")), unpackAlignment, 0);
}

// The bytes a compressed upload hands over: its recorded imageSize, of which the host judges a
// negative one (the bytes checked are then none).
template <class Row, class Play>
int64_t CompressedSize(Play& p)
{
    return std::max(p.a.I32(Row::At("imageSize")), 0);
}

// Whether the region of a sub-image update lies inside the level the host has.
template <class Row, class Play>
bool RegionFits(Play& p)
{
    return SubImageFits(p.gl, p.call.GetName(), p.a.U32(Row::At("target")), p.a.I32(Row::At("level")),
                        p.a.I32(Row::At("xoffset")), p.a.I32(Row::At("yoffset")), p.a.I32(Row::At("width")),
                        p.a.I32(Row::At("height")));
}

// A whole image: without recorded bytes the host still makes the level, within the bytes an image
// may take.
template <class Family, class Row, class Play>
EEnd TexImage2D(Play& p, int32_t unpackAlignment)
{
    if (!ImageSizeFits(p.gl, p.call.GetName(), p.a.U32(Row::At("target")), p.a.I32(Row::At("width")),
                       p.a.I32(Row::At("height"))))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = UploadSize<Row>(p, unpackAlignment);
    const void* pixels = Family::Image(p, Row::At("pixels"), needed, false, refused);
    if (refused || (!pixels && !ImageBytesAllowed(p.call.GetName(), needed, 0)))
        return EEnd::Fail;
    XQF_HOST(p.gl, glTexImage2D)(p.a.U32(Row::At("target")), p.a.I32(Row::At("level")),
                                 p.a.I32(Row::At("internalformat")), p.a.I32(Row::At("width")),
                                 p.a.I32(Row::At("height")), p.a.I32(Row::At("border")), p.a.U32(Row::At("format")),
                                 p.a.U32(Row::At("type")), pixels);
    return EEnd::Common;
}

// A part of an image: the host always reads its pixels.
template <class Family, class Row, class Play>
EEnd TexSubImage2D(Play& p, int32_t unpackAlignment)
{
    if (!RegionFits<Row>(p))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = UploadSize<Row>(p, unpackAlignment);
    const void* pixels = Family::Image(p, Row::At("pixels"), needed, needed != 0, refused);
    if (refused)
        return EEnd::Fail;
    Family::BeforeSubImage(p);
    XQF_HOST(p.gl, glTexSubImage2D)(p.a.U32(Row::At("target")), p.a.I32(Row::At("level")),
                                    p.a.I32(Row::At("xoffset")), p.a.I32(Row::At("yoffset")),
                                    p.a.I32(Row::At("width")), p.a.I32(Row::At("height")),
                                    p.a.U32(Row::At("format")), p.a.U32(Row::At("type")), pixels);
    return EEnd::Common;
}

// The compressed image's bytes are listed as "data" (as "pixels" by an ES 2.0 glCompressedTexImage2D).
template <class Family, class Row, class Play>
EEnd CompressedTexImage2D(Play& p)
{
    if (!ImageSizeFits(p.gl, p.call.GetName(), p.a.U32(Row::At("target")), p.a.I32(Row::At("width")),
                       p.a.I32(Row::At("height"))))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = CompressedSize<Row>(p);
    const void* data = Family::Image(p, Row::At("data", "pixels"), needed, false, refused);
    if (refused || (!data && !ImageBytesAllowed(p.call.GetName(), needed, 0)))
        return EEnd::Fail;
    XQF_HOST(p.gl, glCompressedTexImage2D)(p.a.U32(Row::At("target")), p.a.I32(Row::At("level")),
                                           p.a.U32(Row::At("internalformat")), p.a.I32(Row::At("width")),
                                           p.a.I32(Row::At("height")), p.a.I32(Row::At("border")),
                                           p.a.I32(Row::At("imageSize")), data);
    return EEnd::Common;
}

template <class Family, class Row, class Play>
EEnd CompressedTexSubImage2D(Play& p)
{
    if (!RegionFits<Row>(p))
        return EEnd::Fail;
    bool refused = false;
    const int64_t needed = CompressedSize<Row>(p);
    const void* data = Family::Image(p, Row::At("data"), needed, needed != 0, refused);
    if (refused)
        return EEnd::Fail;
    Family::BeforeSubImage(p);
    XQF_HOST(p.gl, glCompressedTexSubImage2D)(p.a.U32(Row::At("target")), p.a.I32(Row::At("level")),
                                              p.a.I32(Row::At("xoffset")), p.a.I32(Row::At("yoffset")),
                                              p.a.I32(Row::At("width")), p.a.I32(Row::At("height")),
                                              p.a.U32(Row::At("format")), p.a.I32(Row::At("imageSize")), data);
    return EEnd::Common;
}

} // namespace uploads
