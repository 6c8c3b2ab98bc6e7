#pragma once
// A texture: a header plus one buffer holding every level, surface and face.
// Layout: level 0 of every surface and face first, then level 1, ...; inside a level surface 0 (all
// its faces) before surface 1; inside a face depth slice 0 first, rows top to bottom.
#include "TextureHeader.h"

#include <memory>

namespace xqftexture {

class CTexture : public CTextureHeader {
public:
    CTexture() = default;
    // Allocates the header's full data size. Copies min(dataSize, full size) bytes from data when it
    // is not null and zero-fills the rest, so recorded bytes of unknown length are never over-read
    // (there is deliberately no form that takes data without its size). Throws std::bad_alloc when
    // the buffer cannot be allocated.
    explicit CTexture(const CTextureHeader& header) : CTexture(header, nullptr, 0) {}
    CTexture(const CTextureHeader& header, const void* data, u64 dataSize);
    // A texture whose buffer is allocated but not initialised: for code that writes every byte.
    static CTexture ForOverwrite(const CTextureHeader& header);
    CTexture(const CTexture& other);
    CTexture(CTexture&& other) noexcept = default;
    CTexture& operator=(const CTexture& other);
    CTexture& operator=(CTexture&& other) noexcept = default;
    ~CTexture() = default;

    const CTextureHeader& GetHeader() const { return *this; }
    u64 GetBufferSize() const { return m_dataSize; }

    // Address of a level of one surface and face; null for an index out of range.
    u8* GetDataPtr(u32 mip, u32 surface, u32 face);
    const u8* GetDataPtr(u32 mip, u32 surface, u32 face) const;
    // Offset of that level in the buffer (64-bit); false for an index out of range.
    bool GetDataOffset(u32 mip, u32 surface, u32 face, u64& offset) const;

private:
    u64 m_dataSize = 0;
    std::unique_ptr<u8[]> m_data;
};

} // namespace xqftexture
