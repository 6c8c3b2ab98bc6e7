#pragma once
// The header of a test texture: format, channel type, size, MIP levels and surfaces.
#include "TextureHeader.h"

namespace xqftexture::test {

inline CTextureHeader Header(PixelFormat f, u32 type, u32 w, u32 h, u32 mips = 1, u32 surfaces = 1)
{
    CTextureHeader header;
    header.SetPixelFormat(f);
    header.SetChannelType(type);
    header.SetWidth(w);
    header.SetHeight(h);
    header.SetNumMIPLevels(mips);
    header.SetNumSurfaces(surfaces);
    return header;
}

} // namespace xqftexture::test
