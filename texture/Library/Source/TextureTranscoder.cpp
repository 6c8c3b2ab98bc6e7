// The transcoding switch: decode compressed levels, convert pixel by pixel, dither, encode.
#include "TextureTranscoder.h"

#include "FormatTable.h"
#include "TranscodeSteps.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace xqftexture {

namespace {

// Decodes one depth slice of one level; returns the bytes written, 0 on failure.
using DecodeFn = u64 (*)(const u8* src, u64 srcSize, u8* dst, u32 width, u32 height, u32 id, bool isSigned,
                         bool isSRGB);

u64 NoDecoder(const u8*, u64, u8*, u32, u32, u32, bool, bool) { return 0; }
u64 Xqftc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool, bool)
{
    return DecompressXQFTCImage(s, n, d, w, h, id == 0 || id == 1 || id == 4, id >= 4);
}
u64 Etc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool isSigned, bool isSRGB)
{
    // The signed flag matters to EAC only, the sRGB flag is passed for the ETC2 colour formats only.
    const bool eac = id == EAC_R11 || id == EAC_RG11;
    return DecodeETCImage(s, n, d, w, h, id, eac && isSigned, !eac && id != ETC1 && isSRGB);
}
u64 Dxt(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool, bool) { return DecompressDXT(s, n, d, w, h, id - 6); }
u64 Yuv(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool, bool) { return DecompressYUV422(s, n, d, w, h, id); }
u64 Bw(const u8* s, u64 n, u8* d, u32 w, u32 h, u32, bool, bool) { return DecompressBW1bpp(s, n, d, w, h); }
u64 E5(const u8* s, u64 n, u8* d, u32 w, u32 h, u32, bool, bool)
{
    return DecompressSharedExponentR9G9B9E5(s, n, d, w, h);
}
u64 Rgbg(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool, bool) { return DecompressRGBG(s, n, d, w, h, id); }

// Encodes one depth slice of one level; returns the bytes written, 0 on failure. quality and isSigned
// (the target's channel type is signed) reach the encoders that take them.
using EncodeFn = u64 (*)(const u8* src, u64 srcSize, u8* dst, u32 width, u32 height, u32 id, u32 quality,
                         bool isSigned);

u64 NoEncoder(const u8*, u64, u8*, u32, u32, u32, u32, bool) { return 0; }
u64 XqftcEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32 quality, bool)
{
    return CompressXQFTCImage(s, n, d, w, h, id == 1 || id == 3, id == 0 || id == 1 || id == 4, id >= 4, quality);
}
u64 EtcEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32 quality, bool isSigned)
{
    // The signed flag matters to EAC only. Qualities above 5 are refused, not wrapped into the i32.
    const bool eac = id == EAC_R11 || id == EAC_RG11;
    return quality > 5 ? 0 : EncodeETCImage(s, n, d, w, h, id, i32(quality), eac && isSigned);
}
u64 DxtEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32, bool) { return CompressDXT(s, n, d, w, h, id - 6); }
u64 YuvEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32, bool) { return CompressYUV422(s, n, d, w, h, id); }
u64 BwEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32, u32, bool) { return CompressBW1bpp(s, n, d, w, h); }
u64 E5Enc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32, u32, bool)
{
    return CompressSharedExponentR9G9B9E5(s, n, d, w, h);
}
u64 RgbgEnc(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32, bool) { return CompressRGBG(s, n, d, w, h, id); }

// The codecs of each run of compressed ids. Ids in no row (BC4, BC5, the reserved ids, "no
// format") have neither: converting from or into them reports failure.
struct SCodecRow {
    u32 first, last;
    DecodeFn decode;
    EncodeFn encode;
};
constexpr SCodecRow kCodecs[] = {
    {XQFTC_2bpp_RGB, XQFTCII_4bpp, Xqftc, XqftcEnc},
    {ETC1, ETC1, Etc, EtcEnc},
    {DXT1, DXT5, Dxt, DxtEnc},
    {UYVY, YUY2, Yuv, YuvEnc},
    {BW1bpp, BW1bpp, Bw, BwEnc},
    {SharedExponentR9G9B9E5, SharedExponentR9G9B9E5, E5, E5Enc},
    {RGBG8888, GRBG8888, Rgbg, RgbgEnc},
    {ETC2_RGB, EAC_RG11, Etc, EtcEnc},
};

SCodecRow CodecsOf(u32 id)
{
    for (const SCodecRow& row : kCodecs)
        if (id >= row.first && id <= row.last)
            return row;
    return {id, id, NoDecoder, NoEncoder};
}

bool SameFormat(PixelFormat a, PixelFormat b) { return a.Value() == b.Value(); }

} // namespace

u64 DecodeInto(const CTexture& texture, CTexture& out)
{
    const PixelFormat format = texture.GetPixelFormat();
    if (!format.IsCompressed() || texture.GetDataSize() == 0)
        return 0;
    const u32 id = format.CompressedId();
    const DecodeFn decode = CodecsOf(id).decode;
    CTextureHeader outHeader = texture.GetHeader();
    PixelFormat outFormat;
    u32 outChannelType = 0;
    GetDecompressedFormat(format, texture.GetChannelType(), outFormat, outChannelType);
    outHeader.SetPixelFormat(outFormat);
    outHeader.SetChannelType(outChannelType);
    const bool isSigned = IsSignedChannelType(texture.GetChannelType());
    const bool isSRGB = texture.GetColourSpace() == sRGB;
    const u32 outPixelBytes = GetBitsPerPixel(outFormat) / 8;

    out = CTexture::ForOverwrite(outHeader);
    u64 sum = 0;
    const bool whole = ForEachLevelPair(texture, out, [&](const u8* src, u8* dst, u32 mip) {
        const u32 w = texture.GetWidth(mip), h = texture.GetHeight(mip), d = texture.GetDepth(mip);
        const u64 srcSliceBytes = texture.GetDataSize(i32(mip), false, false) / d;
        const u64 dstSliceBytes = u64(w) * h * outPixelBytes;
        for (u32 z = 0; z < d; ++z) {
            const u64 written = decode(src + z * srcSliceBytes, srcSliceBytes, dst + z * dstSliceBytes, w, h, id,
                                       isSigned, isSRGB);
            if (written == 0)
                return false; // no decoder, or refused data: never show unset memory
            sum += written;
        }
        return true;
    });
    return whole ? sum : 0;
}


void GetDecompressedFormat(const PixelFormat& id, const u32& channelType, PixelFormat& outFormat, u32& outChannelType)
{
    switch (id.CompressedId()) {
    case ETC1:
        outFormat = PixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0);
        outChannelType = UnsignedByteNorm;
        break;
    case SharedExponentR9G9B9E5:
        outFormat = PixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0);
        outChannelType = SignedFloat;
        break;
    case EAC_R11:
        outFormat = PixelFormat('r', 0, 0, 0, 16, 0, 0, 0);
        outChannelType = IsSignedChannelType(channelType) ? SignedShortNorm : UnsignedShortNorm;
        break;
    case EAC_RG11:
        outFormat = PixelFormat('r', 'g', 0, 0, 16, 16, 0, 0);
        outChannelType = IsSignedChannelType(channelType) ? SignedShortNorm : UnsignedShortNorm;
        break;
    default:
        outFormat = PixelFormatRGBA8888;
        outChannelType = UnsignedByteNorm;
        break;
    }
}

u64 DecompressTexture(CTexture& texture)
try {
    CTexture out;
    const u64 sum = DecodeInto(texture, out);
    if (sum != 0)
        texture = std::move(out);
    return sum;
} catch (const std::bad_alloc&) {
    return 0;
}

u64 CompressTexture(CTexture& texture, PixelFormat target, u32 quality)
try {
    if (!target.IsCompressed() || texture.GetDataSize() == 0)
        return 0;
    const u32 id = target.CompressedId();
    const EncodeFn encode = CodecsOf(id).encode;
    if (encode == NoEncoder)
        return 0; // "not supported"
    // The input must be the format the encoder takes.
    PixelFormat inFormat;
    u32 inType = 0;
    GetDecompressedFormat(target, texture.GetChannelType(), inFormat, inType);
    if (texture.GetPixelFormat() != inFormat)
        return 0;
    const u32 inPixelBytes = GetBitsPerPixel(inFormat) / 8;
    u32 mw = 1, mh = 1, md = 1;
    GetMinDimensions(target, mw, mh, md);

    CTextureHeader outHeader = texture.GetHeader();
    outHeader.SetPixelFormat(target);
    const bool isSigned = IsSignedChannelType(outHeader.GetChannelType());
    CTexture out = CTexture::ForOverwrite(outHeader);
    std::vector<u8> scratch;
    u64 sum = 0;
    const bool whole = ForEachLevelPair(texture, out, [&](const u8* src, u8* dst, u32 mip) {
        const u32 w = texture.GetWidth(mip), h = texture.GetHeight(mip), d = texture.GetDepth(mip);
        const u64 srcSliceBytes = u64(w) * h * inPixelBytes;
        const u64 dstSliceBytes = out.GetDataSize(i32(mip), false, false) / d;
        // A level smaller than one block is tiled into a block-sized image first.
        const bool small = w < mw || h < mh;
        const u32 ew = std::max(w, mw), eh = std::max(h, mh);
        for (u32 z = 0; z < d; ++z) {
            const u8* slice = src + z * srcSliceBytes;
            u64 sliceBytes = srcSliceBytes;
            if (small) {
                scratch.resize(u64(ew) * eh * inPixelBytes);
                for (u32 y = 0; y < eh; ++y)
                    for (u32 x = 0; x < ew; ++x)
                        std::memcpy(&scratch[(u64(y) * ew + x) * inPixelBytes],
                                    slice + (u64(y % h) * w + x % w) * inPixelBytes, inPixelBytes);
                slice = scratch.data();
                sliceBytes = scratch.size();
            }
            const u64 written = encode(slice, sliceBytes, dst + z * dstSliceBytes, ew, eh, id, quality, isSigned);
            if (written == 0 || written > dstSliceBytes)
                return false;
            sum += written;
        }
        return true;
    });
    if (!whole)
        return 0;
    texture = std::move(out);
    return sum;
} catch (const std::bad_alloc&) {
    return 0;
}

bool ConvertTexturePixels(CTexture& texture, PixelFormat target, u32 channelType, u32 colourSpace, u32 quality,
                          bool dither)
try {
    if (texture.GetDataSize() == 0 || texture.GetBufferSize() < texture.GetDataSize())
        return false;
    if (target.IsCompressed() && target.CompressedId() >= NumCompressedFormats)
        return false;
    // Each step makes a new texture from the current one; the texture itself is replaced only at the
    // end, so a failure at any step leaves it as it was.
    CTexture work;
    bool haveWork = false;
    auto current = [&]() -> const CTexture& { return haveWork ? work : texture; };
    if (texture.GetPixelFormat().IsCompressed()) {
        if (DecodeInto(texture, work) == 0)
            return false;
        haveWork = true;
    }

    PixelFormat currentFormat = current().GetPixelFormat();
    u32 currentType = current().GetChannelType(), currentSpace = current().GetColourSpace();
    CPixelAccessor srcAccessor(currentFormat, currentType);

    if (dither && GetBitsPerPixel(target) < 32) {
        CTextureHeader rgbaHeader = current().GetHeader();
        rgbaHeader.SetPixelFormat(PixelFormatRGBA8888);
        rgbaHeader.SetChannelType(UnsignedByteNorm);
        CTexture rgba = CTexture::ForOverwrite(rgbaHeader);
        CPixelAccessor rgbaAccessor(PixelFormatRGBA8888, UnsignedByteNorm);
        if (ConvertPixels(current(), rgba, srcAccessor, rgbaAccessor, currentSpace, currentSpace) == 0)
            return false;
        u32 greyCode = 0;
        if (!target.IsCompressed()) {
            for (u32 i = 0; i < 4; ++i) {
                const u32 code = GetChannelCode(char(target.ChannelName(i)));
                if (code == ChannelIntensity || (code == ChannelLuminance && greyCode == 0))
                    greyCode = code;
            }
            if (SameFormat(target, PixelFormat('l', 'g', 'r', 0, 6, 5, 5, 0)))
                greyCode = 0;
        } else if (target.CompressedId() == BW1bpp) {
            greyCode = ChannelIntensity;
        }
        if (greyCode != 0) {
            const u32 dstCodes[3] = {ChannelRed, ChannelGreen, ChannelBlue};
            const u32 srcCodes[3] = {greyCode, greyCode, greyCode};
            CTexture grey(rgba);
            if (!CopyTextureChannels(grey, rgba, 3, dstCodes, srcCodes))
                return false;
            rgba = std::move(grey);
        }
        for (u32 surface = 0; surface < rgba.GetNumSurfaces(); ++surface)
            for (u32 face = 0; face < rgba.GetNumFaces(); ++face)
                for (u32 mip = 0; mip < rgba.GetNumMIPLevels(); ++mip)
                    if (u8* level = rgba.GetDataPtr(mip, surface, face))
                        DitherToChannelWidths(level, target, rgba.GetWidth(mip), rgba.GetHeight(mip),
                                              rgba.GetDepth(mip));
        work = std::move(rgba);
        haveWork = true;
        currentFormat = PixelFormatRGBA8888;
        currentType = UnsignedByteNorm;
        srcAccessor.Init(currentFormat, currentType);
    }

    CTextureHeader outHeader = current().GetHeader();
    outHeader.SetPixelFormat(target);
    outHeader.SetChannelType(channelType);
    outHeader.SetColourSpace(colourSpace);
    PixelFormat outFormat = target;
    u32 outType = channelType;
    if (target.IsCompressed()) {
        GetDecompressedFormat(target, channelType, outFormat, outType);
        outHeader.SetPixelFormat(outFormat);
        outHeader.SetChannelType(outType);
    }
    CPixelAccessor dstAccessor(outFormat, outType);
    if (!SameFormat(currentFormat, outFormat) || currentSpace != colourSpace || currentType != outType) {
        CTexture converted = CTexture::ForOverwrite(outHeader);
        if (ConvertPixels(current(), converted, srcAccessor, dstAccessor, colourSpace, currentSpace) == 0)
            return false;
        work = std::move(converted);
        haveWork = true;
    }
    if (target.IsCompressed()) {
        if (!haveWork) {
            work = texture;
            haveWork = true;
        }
        CTextureHeader compressedHeader = work.GetHeader();
        compressedHeader.SetPixelFormat(target);
        const u64 expected = compressedHeader.GetDataSize();
        if (expected == 0 || CompressTexture(work, target, quality) != expected)
            return false;
    }
    if (haveWork)
        texture = std::move(work);
    return true;
} catch (const std::bad_alloc&) {
    return false; // the texture keeps its contents
}

} // namespace xqftexture
