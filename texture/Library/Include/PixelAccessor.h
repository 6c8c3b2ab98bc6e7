#pragma once
// Reads and writes one pixel of any uncompressed format as normalised float channels, converts a
// pixel between two formats and applies the sRGB transfer function. Built once per conversion and
// reused per pixel; no heap memory.
#include "PixelFormat.h"

namespace xqftexture {

class CPixelAccessor {
public:
    // Flags that make the accessor refuse conversions.
    enum : u32 {
        FlagRepeatedChannel = 1,
        FlagNameWithoutWidth = 2,
        FlagWidthWithoutName = 4,
        FlagGapBeforeChannel = 8,
        FlagNotWholeBytes = 16,
        FlagUnsupported = 32, // compressed id, unknown channel type, mixed element/bit-field layout
    };

    CPixelAccessor() = default;
    CPixelAccessor(PixelFormat format, u32 channelType) { Init(format, channelType); }
    CPixelAccessor& Init(PixelFormat format, u32 channelType);

    u32 GetFlags() const { return m_flags; }
    bool IsUsable() const { return m_flags == 0; }
    u8 GetPixelBits() const { return m_totalBits; }
    u8 GetPixelBytes() const { return u8(m_totalBits / 8); }
    u32 GetChannelType() const { return m_channelType; }
    bool HasChannel(u32 code) const { return code < 8 && m_positionOfCode[code] >= 0; }
    // Every channel an unsigned 8-bit element (one byte each, read as value / 255).
    bool IsPlain8Bit() const;
    // Where a channel sits in the pixel read as a little-endian 64-bit integer: false when the
    // channel is missing or the pixel is wider than 64 bits.
    bool FieldOf(u32 code, u32& shift, u32& width) const;

    bool LoadPixel(const u8* src);
    const u8* GetPixelData() const { return m_pixel; }
    u8* GetPixelData() { return m_pixel; }
    void ClearPixel();

    // Normalised value of a channel; a missing 'a' or 'x' reads 1, any other missing channel 0.
    float ReadChannel(u32 code) const;
    // Store one channel with the writer of the accessor's channel type; a missing channel is skipped.
    // Values saturate to the channel's range (NaN stores 0).
    void WriteChannel(u32 code, float value);
    void WriteUnsigned(u32 code, const float* value);
    void WriteSigned(u32 code, const float* value);
    void WriteFloat(u32 code, const float* value);
    void WritePackedFloat(u32 code, const float* value);

    // This pixel becomes the conversion of src's pixel (nothing when either accessor has flags).
    void ConvertFrom(const CPixelAccessor& src);
    // Applies the transfer function for a change from sourceColourSpace to targetColourSpace.
    void ApplyColourSpace(u32 targetColourSpace, u32 sourceColourSpace);

private:
    u64 ReadBits(u32 position) const;
    void WriteBits(u32 position, u64 value);

    u32 m_flags = FlagUnsupported;
    u32 m_channelType = 0;
    u32 m_codes[4] = {};
    i8 m_positionOfCode[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    u8 m_bitOffsets[4] = {};
    u8 m_widths[4] = {};
    u8 m_shifts[4] = {};
    bool m_elementAligned[4] = {};
    u8 m_totalBits = 0;
    u8 m_channelCount = 0;
    alignas(8) u8 m_pixel[16] = {}; // up to 128 bits: four 32-bit channels
};

// Linear <-> sRGB transfer functions on one normalised value.
float LinearToSRGB(float linear);
float SRGBToLinear(float srgb);

} // namespace xqftexture
