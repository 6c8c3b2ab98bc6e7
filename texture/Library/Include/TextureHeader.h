#pragma once
// The texture header: format, dimensions, array/face/MIP counts and carried metadata, with the
// size rules of the data that a texture of that header holds.
#include "PixelFormat.h"

#include <map>
#include <vector>

namespace xqftexture {

// One block of metadata; the library only carries and copies it.
struct MetaDataBlock {
    u32 fourCC = 0;
    u32 key = 0;
    std::vector<u8> data;
};
using MetaDataMap = std::map<u32, std::map<u32, MetaDataBlock>>; // four-character code -> key -> block

// The plain fields of a header, copied as one block.
struct STextureFields {
    u32 version = 0x03465158; // "XQF" followed by 3
    u32 flags = 0;
    u64 pixelFormat = NumCompressedFormats;
    u32 colourSpace = LinearRGB;
    u32 channelType = UnsignedByteNorm;
    u32 height = 1;
    u32 width = 1;
    u32 depth = 1;
    u32 numSurfaces = 1;
    u32 numFaces = 1;
    u32 numMIPLevels = 1;
    u32 metaDataSize = 0;
};

// Headers with more levels than this are refused (size 0): a level counter must not run away.
inline constexpr u32 kMaxMIPLevels = 255;

// Size in bytes of the data of one level (mip >= 0) or of all levels (mip == -1), for one surface
// and face unless allSurfaces / allFaces. Compressed levels are rounded up to the format's minimum
// dimensions. Returns 0 when the format has no size, the header has no or too many levels, or the
// size does not fit in 64 bits.
u64 GetDataSize(const STextureFields& fields, i32 mip = -1, bool allSurfaces = true, bool allFaces = true);

// Maps a GL internal format (and, for the unsized base formats, the type) to pixel format, channel
// type and colour space. Returns false for an unknown combination; see the .cpp for what an
// unknown type of a known base format leaves behind.
bool GetFormatFromGL(u64& pixelFormat, u32& channelType, u32& colourSpace, const u32& internalFormat, u32 format,
                     const u32& type);

class CTextureHeader {
public:
    CTextureHeader() = default;

    const STextureFields& Fields() const { return m_fields; }
    const MetaDataMap& MetaData() const { return m_metaData; }
    MetaDataMap& MetaData() { return m_metaData; }

    PixelFormat GetPixelFormat() const { return m_fields.pixelFormat; }
    u32 GetBitsPerPixel() const { return xqftexture::GetBitsPerPixel(m_fields.pixelFormat); }
    u32 GetColourSpace() const { return m_fields.colourSpace; }
    u32 GetChannelType() const { return m_fields.channelType; }
    u32 GetNumSurfaces() const { return m_fields.numSurfaces; }
    u32 GetNumFaces() const { return m_fields.numFaces; }
    u32 GetNumMIPLevels() const { return m_fields.numMIPLevels; }
    u32 GetMetaDataSize() const { return m_fields.metaDataSize; }

    // 0 when mip is above the number of levels; otherwise the dimension of that level, at least 1.
    u32 GetWidth(u32 mip = 0) const { return LevelDimension(m_fields.width, mip); }
    u32 GetHeight(u32 mip = 0) const { return LevelDimension(m_fields.height, mip); }
    u32 GetDepth(u32 mip = 0) const { return LevelDimension(m_fields.depth, mip); }

    void SetPixelFormat(PixelFormat format) { m_fields.pixelFormat = format.Value(); }
    void SetColourSpace(u32 colourSpace) { m_fields.colourSpace = colourSpace; }
    void SetChannelType(u32 channelType) { m_fields.channelType = channelType; }
    void SetWidth(u32 width) { m_fields.width = width; }
    void SetHeight(u32 height) { m_fields.height = height; }
    void SetDepth(u32 depth) { m_fields.depth = depth; }
    void SetNumSurfaces(u32 n) { m_fields.numSurfaces = n; }
    void SetNumFaces(u32 n) { m_fields.numFaces = n; }
    void SetNumMIPLevels(u32 n) { m_fields.numMIPLevels = n; }

    // The format argument is not consulted: the internal format and type decide.
    bool SetFormatFromGL(const u32& internalFormat, u32 format, const u32& type);

    u64 GetDataSize(i32 mip = -1, bool allSurfaces = true, bool allFaces = true) const
    {
        return xqftexture::GetDataSize(m_fields, mip, allSurfaces, allFaces);
    }
    // Pixels in that data; 0 for formats without a bit count.
    u64 GetPixelCount(u32 mip, bool allSurfaces, bool allFaces) const;

private:
    u32 LevelDimension(u32 full, u32 mip) const;

    STextureFields m_fields;
    MetaDataMap m_metaData;
};

} // namespace xqftexture
