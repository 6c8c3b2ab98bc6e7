#pragma once
// The texture image uploads the ES 1.1 and ES 2.0 players replay alike: glTexImage2D, glTexSubImage2D,
// their compressed forms and the copies from the framebuffer. Each checks the image against the host's
// limits, then the recorded bytes against what the host will read, and only then calls the host. What
// differs between the families is given as a policy:
//   static constexpr bool kBarePointerRefused
//       whether an image recorded as a pointer value only (a trace without data) is refused, rather
//       than the host given none
//   static void BeforeSubImage(Play&)
//       what the family does before a sub-image update reaches the host
//   static SUnpackRows Rows(Play&), static constexpr bool kHostUnpacks
//       where the rows of the call's pixels lie (the unpack alignment, row length and skips in force),
//       and whether the host reads them there (else they are packed for it)
// Include it after the family's GL header: the host calls are typed by its prototypes.
#include "Diagnostics.h"
#include "PlayCase.h"
#include "PlayItems.h"
#include "Refusal.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"

#include "state/PixelSize.h"
#include "state/UnpackRows.h"

#include <algorithm>
#include <cstdint>

namespace uploads {

// The recorded bytes of the image argument `name` when they hold the `needed` bytes (-1: a format
// and type not known here); null when none were recorded, unless `always` (the host reads them
// whatever happens), when that is a refusal too. `refused` is set after the refusal.
template <class Family, class Call>
const void* RecordedImage(Call& p, const char* name, playrows::TPointerArg<SImage2D> image, int64_t needed,
                          bool always, bool& refused)
{
    const uint8_t* bytes = image.data ? image.data->GetData() : nullptr;
    if (Family::kBarePointerRefused && !image.data && image.pointer != 0) {
        refused = true;
        RefuseWithoutData(p, name);
        return nullptr;
    }
    if (!bytes && !always)
        return nullptr;
    if (needed < 0) {
        refused = true;
        Refuse(p, name, "is of a format and type not known here");
        return nullptr;
    }
    const uint64_t held = bytes ? image.data->size : 0;
    if (held < uint64_t(needed)) {
        refused = true;
        RefuseShort(p, name, held, uint64_t(needed));
        return nullptr;
    }
    return bytes;
}

// Bytes an upload of the call's image (its width, height, format and type) reads where `rows` lay
// them; -1 when the format and type are not known here, or a row length or skip is refused.
template <class Call>
int64_t UploadSize(Call& p, const SUnpackRows& rows)
{
    const uint32_t format = p.template Item<"format">(), type = p.template Item<"type">();
    const int32_t width = p.template Item<"width">(), height = p.template Item<"height">();
    if (rows.Packed(width))
        return GetImageSize(format, type, width, height, rows.alignment, 0);
    return UnpackReach(format, type, width, height, rows);
}

// The pixels handed to the host: the recorded ones where the host reads the rows where `rows` lay
// them (`hostUnpacks`), else a packed copy of them. Refused (with an ERROR line) when the copy would
// take more than kMaxPackedRowBytes.
class CHostRows
{
public:
    template <class Call>
    CHostRows(Call& p, const void* pixels, int64_t needed, const SUnpackRows& rows, bool hostUnpacks)
        : m_data(pixels)
    {
        const uint32_t format = p.template Item<"format">(), type = p.template Item<"type">();
        const int32_t width = p.template Item<"width">(), height = p.template Item<"height">();
        if (!pixels || hostUnpacks || rows.Packed(width))
            return;
        uint64_t held = 0;
        m_packed = PackedRows(format, type, width, height, rows, static_cast<const uint8_t*>(pixels),
                              uint64_t(needed), held);
        m_data = m_packed.get();
        const int64_t packed = GetImageSize(format, type, width, height, rows.alignment, 0);
        if (packed < 0 || held < uint64_t(packed)) {
            Refuse(p, "pixels", "packed, its rows take %lld bytes, above the %llu MiB a copy may have",
                   static_cast<long long>(packed), static_cast<unsigned long long>(kMaxPackedRowBytes >> 20));
            m_refused = true;
        }
    }
    const void* Data() const { return m_data; }
    bool Refused() const { return m_refused; }

private:
    const void* m_data;
    SharedBytes m_packed;
    bool m_refused = false;
};

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
EEnd TexImage2D(Call& p)
{
    if (!ImageSizeFits(p.gl, p.call.GetName(), p.template Item<"target">(), p.template Item<"width">(),
                       p.template Item<"height">()))
        return EEnd::Fail;
    bool refused = false;
    const SUnpackRows rows = Family::Rows(p);
    const int64_t needed = UploadSize(p, rows);
    const void* pixels = RecordedImage<Family>(p, "pixels", p.template Item<"pixels">(), needed, false, refused);
    if (refused || (!pixels && !ImageBytesAllowed(p.call.GetName(), needed, 0)))
        return EEnd::Fail;
    const CHostRows host(p, pixels, needed, rows, Family::kHostUnpacks);
    if (host.Refused())
        return EEnd::Fail;
    XQF_HOST(p.gl, glTexImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                 int32_t(p.template Item<"internalformat">()), p.template Item<"width">(),
                                 p.template Item<"height">(), p.template Item<"border">(), p.template Item<"format">(),
                                 p.template Item<"type">(), host.Data());
    return EEnd::Common;
}

// A part of an image: the host always reads its pixels.
template <class Family, class Call>
EEnd TexSubImage2D(Call& p)
{
    if (!RegionFits(p))
        return EEnd::Fail;
    bool refused = false;
    const SUnpackRows rows = Family::Rows(p);
    const int64_t needed = UploadSize(p, rows);
    const void* pixels = RecordedImage<Family>(p, "pixels", p.template Item<"pixels">(), needed, needed != 0,
                                                      refused);
    if (refused)
        return EEnd::Fail;
    const CHostRows host(p, pixels, needed, rows, Family::kHostUnpacks);
    if (host.Refused())
        return EEnd::Fail;
    Family::BeforeSubImage(p);
    XQF_HOST(p.gl, glTexSubImage2D)(p.template Item<"target">(), p.template Item<"level">(),
                                    p.template Item<"xoffset">(), p.template Item<"yoffset">(),
                                    p.template Item<"width">(), p.template Item<"height">(),
                                    p.template Item<"format">(), p.template Item<"type">(), host.Data());
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
    const void* data = RecordedImage<Family>(p, "data", p.template Item<"data", "pixels">(), needed, false,
                                                    refused);
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
    const void* data = RecordedImage<Family>(p, "data", p.template Item<"data">(), needed, needed != 0, refused);
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
