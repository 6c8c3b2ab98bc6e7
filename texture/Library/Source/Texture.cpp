#include "Texture.h"

#include <algorithm>
#include <cstring>

namespace xqftexture {

CTexture::CTexture(const CTextureHeader& header, const void* data, u64 dataSize)
    : CTextureHeader(header), m_dataSize(header.GetDataSize(-1, true, true))
{
    if (m_dataSize == 0)
        return;
    m_data.reset(new u8[m_dataSize]);
    const u64 copied = data != nullptr ? std::min(dataSize, m_dataSize) : 0;
    if (copied != 0)
        std::memcpy(m_data.get(), data, copied);
    std::memset(m_data.get() + copied, 0, m_dataSize - copied);
}

CTexture CTexture::ForOverwrite(const CTextureHeader& header)
{
    CTexture texture;
    static_cast<CTextureHeader&>(texture) = header;
    texture.m_dataSize = header.GetDataSize(-1, true, true);
    if (texture.m_dataSize != 0)
        texture.m_data.reset(new u8[texture.m_dataSize]);
    return texture;
}

CTexture::CTexture(const CTexture& other)
    : CTextureHeader(other), m_dataSize(other.m_dataSize), m_data(m_dataSize ? new u8[m_dataSize] : nullptr)
{
    if (m_dataSize != 0)
        std::memcpy(m_data.get(), other.m_data.get(), m_dataSize);
}

CTexture& CTexture::operator=(const CTexture& other)
{
    if (this != &other) {
        CTexture copy(other); // allocate first: on failure this texture keeps what it had
        *this = std::move(copy);
    }
    return *this;
}

bool CTexture::GetDataOffset(u32 mip, u32 surface, u32 face, u64& offset) const
{
    const STextureFields& f = Fields();
    if (mip >= f.numMIPLevels || mip > kMaxMIPLevels || surface >= f.numSurfaces || face >= f.numFaces)
        return false;
    // 64-bit, overflow-checked: the header may have been changed after the buffer was made, so the
    // result is also checked against the buffer.
    u64 at = 0, part = 0;
    for (u32 m = 0; m < mip; ++m)
        if (__builtin_add_overflow(at, GetDataSize(i32(m), true, true), &at))
            return false;
    if (__builtin_mul_overflow(u64(surface), GetDataSize(i32(mip), false, true), &part) ||
        __builtin_add_overflow(at, part, &at) ||
        __builtin_mul_overflow(u64(face), GetDataSize(i32(mip), false, false), &part) ||
        __builtin_add_overflow(at, part, &at))
        return false;
    const u64 level = GetDataSize(i32(mip), false, false);
    if (level == 0 || at > m_dataSize || m_dataSize - at < level)
        return false;
    offset = at;
    return true;
}

u8* CTexture::GetDataPtr(u32 mip, u32 surface, u32 face)
{
    u64 offset = 0;
    return GetDataOffset(mip, surface, face, offset) ? m_data.get() + offset : nullptr;
}

const u8* CTexture::GetDataPtr(u32 mip, u32 surface, u32 face) const
{
    u64 offset = 0;
    return GetDataOffset(mip, surface, face, offset) ? m_data.get() + offset : nullptr;
}

} // namespace xqftexture
