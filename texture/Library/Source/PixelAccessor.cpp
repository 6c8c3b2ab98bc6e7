#include "PixelAccessor.h"

#include "SmallFloat.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace xqftexture {

namespace {

bool IsUnsignedType(u32 t) { return t == 0 || t == 2 || t == 4 || t == 6 || t == 8 || t == 10; }
bool IsSignedIntegerType(u32 t) { return t == 1 || t == 3 || t == 5 || t == 7 || t == 9 || t == 11; }
bool IsFloatType(u32 t) { return t == SignedFloat || t == UnsignedFloat; }

u32 NaturalWidth(u32 channelType)
{
    return channelType < 4 ? 8 : channelType < 8 ? 16 : channelType < NumChannelTypes ? 32 : 0;
}

u64 WidthMask(u32 width) { return width >= 64 ? ~u64(0) : (u64(1) << width) - 1; }

// Saturates to [lo, hi]; NaN gives 0.
double Saturate(float v, double lo, double hi)
{
    if (std::isnan(v))
        return 0.0;
    return v < lo ? lo : v > hi ? hi : double(v);
}

} // namespace

CPixelAccessor& CPixelAccessor::Init(PixelFormat format, u32 channelType)
{
    *this = CPixelAccessor();
    m_flags = 0;
    m_channelType = channelType;
    const u32 natural = NaturalWidth(channelType);
    if (format.IsCompressed() || natural == 0) {
        m_flags = FlagUnsupported;
        return *this;
    }
    u32 offset = 0;
    bool sawEmpty = false, allNatural = true;
    for (u32 i = 0; i < 4; ++i) {
        const u32 code = GetChannelCode(char(format.ChannelName(i)));
        const u32 width = format.ChannelWidth(i);
        if (code != 0 && width == 0)
            m_flags |= FlagNameWithoutWidth;
        if (code == 0 && width != 0)
            m_flags |= FlagWidthWithoutName;
        if (code != 0 && sawEmpty)
            m_flags |= FlagGapBeforeChannel;
        if (code == 0)
            sawEmpty = true;
        if (code != 0 && m_positionOfCode[code] >= 0)
            m_flags |= FlagRepeatedChannel;
        if (width > 32)
            m_flags |= FlagUnsupported;
        m_codes[i] = code;
        m_widths[i] = u8(width);
        m_bitOffsets[i] = u8(offset);
        offset += width;
        if (code != 0) {
            if (m_positionOfCode[code] < 0)
                m_positionOfCode[code] = i8(i);
            ++m_channelCount;
            allNatural = allNatural && width == natural;
        }
    }
    if (offset % 8 != 0)
        m_flags |= FlagNotWholeBytes;
    if (offset > 8 * sizeof(m_pixel) || offset == 0)
        m_flags |= FlagUnsupported;
    m_totalBits = u8(offset <= 8 * sizeof(m_pixel) ? offset : 0); // too wide: flagged, and no bytes to load
    bool anyBitField = false;
    for (u32 i = 0; i < 4; ++i) {
        m_shifts[i] = u8(offset >= m_bitOffsets[i] + m_widths[i] ? offset - m_bitOffsets[i] - m_widths[i] : 0);
        if (m_codes[i] == 0)
            continue;
        // Element-aligned channels are whole little-endian elements in memory order; the others are
        // bit fields of the pixel read as one little-endian integer, position 0 in the top bits.
        m_elementAligned[i] = IsFloatType(channelType) ? (m_widths[i] == 16 || m_widths[i] == 32) && m_bitOffsets[i] % 8 == 0
                                                        : allNatural;
        anyBitField = anyBitField || !m_elementAligned[i];
    }
    if (anyBitField && offset > 64)
        m_flags |= FlagUnsupported;
    return *this;
}

bool CPixelAccessor::IsPlain8Bit() const
{
    if (m_flags != 0 || !(m_channelType == UnsignedByteNorm || m_channelType == UnsignedByte))
        return false;
    for (u32 i = 0; i < 4; ++i)
        if (m_codes[i] != 0 && m_widths[i] != 8)
            return false;
    return true;
}

bool CPixelAccessor::FieldOf(u32 code, u32& shift, u32& width) const
{
    if (!HasChannel(code) || m_totalBits > 64)
        return false;
    const u32 position = u32(m_positionOfCode[code]);
    width = m_widths[position];
    shift = m_elementAligned[position] ? m_bitOffsets[position] : m_shifts[position];
    return true;
}

void CPixelAccessor::ClearPixel() { std::memset(m_pixel, 0, sizeof(m_pixel)); }

bool CPixelAccessor::LoadPixel(const u8* src)
{
    if (src == nullptr || GetPixelBytes() > sizeof(m_pixel))
        return false;
    std::memcpy(m_pixel, src, GetPixelBytes());
    return true;
}

u64 CPixelAccessor::ReadBits(u32 position) const
{
    if (m_flags & FlagUnsupported)
        return 0; // the layout may reach past the pixel
    const u32 width = m_widths[position];
    if (m_elementAligned[position]) {
        u64 v = 0;
        std::memcpy(&v, m_pixel + m_bitOffsets[position] / 8, width / 8); // little-endian host
        return v;
    }
    u64 whole = 0;
    std::memcpy(&whole, m_pixel, 8);
    return (whole >> m_shifts[position]) & WidthMask(width);
}

void CPixelAccessor::WriteBits(u32 position, u64 value)
{
    if (m_flags & FlagUnsupported)
        return; // the layout may reach past the pixel
    const u32 width = m_widths[position];
    value &= WidthMask(width); // callers saturate first; never spill into a neighbour
    if (m_elementAligned[position]) {
        std::memcpy(m_pixel + m_bitOffsets[position] / 8, &value, width / 8);
        return;
    }
    u64 whole = 0;
    std::memcpy(&whole, m_pixel, 8);
    whole = (whole & ~(WidthMask(width) << m_shifts[position])) | (value << m_shifts[position]);
    std::memcpy(m_pixel, &whole, 8);
}

float CPixelAccessor::ReadChannel(u32 code) const
{
    if (!HasChannel(code))
        return (code == ChannelAlpha || code == ChannelUnused) ? 1.0f : 0.0f;
    const u32 position = u32(m_positionOfCode[code]);
    const u32 width = m_widths[position];
    if (width == 0 || width > 64)
        return 0.0f; // a malformed format (flagged): no value to read
    const u64 bits = ReadBits(position);
    if (IsUnsignedType(m_channelType))
        return float(bits) / float(WidthMask(width));
    if (IsSignedIntegerType(m_channelType)) {
        // Two's complement, normalised by 2^(width-1) - 1; the most negative value reads -1.
        const i64 value = (bits & (u64(1) << (width - 1))) ? i64(bits) - i64(u64(1) << width) : i64(bits);
        const float v = float(value) / float((u64(1) << (width - 1)) - 1);
        return v < -1.0f ? -1.0f : v;
    }
    if (m_channelType == SignedFloat && width == 32)
        return std::bit_cast<float>(u32(bits));
    if (m_channelType == SignedFloat && width == 16)
        return HalfToFloat(u16(bits));
    if (m_channelType == UnsignedFloat && width == 32)
        return std::bit_cast<float>(u32(bits));
    if (width == 10)
        return UnsignedSmallFloatToFloat(u32(bits), 5);
    if (width == 11)
        return UnsignedSmallFloatToFloat(u32(bits), 6);
    if (width == 16)
        return UnsignedSmallFloatToFloat(u32(bits), 10);
    return 0.0f;
}

void CPixelAccessor::WriteUnsigned(u32 code, const float* value)
{
    if (!HasChannel(code))
        return;
    const u32 position = u32(m_positionOfCode[code]);
    if (m_widths[position] > 32)
        return; // a malformed format (flagged): the value would not fit the integer it is made in
    const double max = double(WidthMask(m_widths[position]));
    WriteBits(position, u64(max * Saturate(*value, 0.0, 1.0) + 0.5));
}

void CPixelAccessor::WriteSigned(u32 code, const float* value)
{
    if (!HasChannel(code))
        return;
    const u32 position = u32(m_positionOfCode[code]);
    if (m_widths[position] == 0 || m_widths[position] > 32)
        return; // a malformed format (flagged): nothing to write
    const double max = double((u64(1) << (m_widths[position] - 1)) - 1);
    WriteBits(position, u64(i64(std::lround(max * Saturate(*value, -1.0, 1.0)))));
}

void CPixelAccessor::WriteFloat(u32 code, const float* value)
{
    if (!HasChannel(code))
        return;
    const u32 position = u32(m_positionOfCode[code]);
    if (m_widths[position] == 32)
        WriteBits(position, std::bit_cast<u32>(*value));
    else if (m_widths[position] == 16)
        WriteBits(position, FloatToHalf(*value));
}

void CPixelAccessor::WritePackedFloat(u32 code, const float* value)
{
    if (!HasChannel(code))
        return;
    const u32 position = u32(m_positionOfCode[code]);
    const u32 width = m_widths[position];
    const float v = std::isnan(*value) ? *value : (*value < 0.0f ? 0.0f : *value);
    if (width == 10 || width == 11 || width == 16)
        WriteBits(position, FloatToUnsignedSmallFloat(v, width - 5));
    else if (width == 32)
        WriteBits(position, std::bit_cast<u32>(v));
    else
        WriteBits(position, 0);
}

void CPixelAccessor::WriteChannel(u32 code, float value)
{
    if (IsUnsignedType(m_channelType))
        WriteUnsigned(code, &value);
    else if (IsSignedIntegerType(m_channelType))
        WriteSigned(code, &value);
    else if (m_channelType == SignedFloat)
        WriteFloat(code, &value);
    else if (m_channelType == UnsignedFloat)
        WritePackedFloat(code, &value);
}

void CPixelAccessor::ConvertFrom(const CPixelAccessor& src)
{
    if (m_flags != 0 || src.m_flags != 0)
        return;
    ClearPixel();
    float k = 0.0f, l = 0.0f, in = 0.0f;
    const bool dstL = HasChannel(ChannelLuminance), dstI = HasChannel(ChannelIntensity);
    const bool srcL = src.HasChannel(ChannelLuminance), srcI = src.HasChannel(ChannelIntensity);
    if (dstL && srcL) {
        l = k = src.ReadChannel(ChannelLuminance);
    } else if (!dstI && srcI) {
        l = k = src.ReadChannel(ChannelIntensity);
    } else if (srcI) {
        k = in = src.ReadChannel(ChannelIntensity);
    } else if (srcL) {
        k = in = src.ReadChannel(ChannelLuminance);
    } else if (dstL || dstI) {
        static constexpr float kLuma[3] = {0.2126f, 0.7152f, 0.0722f};
        float sum = 0.0f, luma = 0.0f;
        u32 present = 0;
        for (u32 c = ChannelRed; c <= ChannelBlue; ++c)
            if (src.HasChannel(c)) {
                const float v = src.ReadChannel(c);
                sum += v;
                luma += kLuma[c - 1] * v;
                ++present;
            }
        if (dstL)
            l = luma;
        else if (present != 0)
            in = sum / float(present);
    }
    for (u32 code = ChannelRed; code <= ChannelUnused; ++code) {
        if (!HasChannel(code))
            continue;
        float v = 0.0f;
        switch (code) {
        case ChannelRed: case ChannelGreen: case ChannelBlue:
            v = src.HasChannel(code) ? src.ReadChannel(code) : k;
            break;
        case ChannelAlpha:
            v = src.HasChannel(ChannelAlpha) ? src.ReadChannel(ChannelAlpha)
                : !src.HasChannel(ChannelUnused) ? 1.0f : src.ReadChannel(ChannelUnused);
            break;
        case ChannelLuminance: v = l; break;
        case ChannelIntensity: v = in; break;
        case ChannelUnused:
            v = src.HasChannel(ChannelUnused) ? src.ReadChannel(ChannelUnused)
                : !src.HasChannel(ChannelAlpha) ? 1.0f : src.ReadChannel(ChannelAlpha);
            break;
        }
        WriteChannel(code, v);
    }
}

float LinearToSRGB(float c)
{
    return c <= 0.00304f ? 12.92f * c : 1.0556f * std::pow(c, 0.41666666f) - 0.0556f;
}

float SRGBToLinear(float c)
{
    return c <= 0.03928f ? c / 12.92f : std::pow((c + 0.0556f) / 1.0556f, 2.4f);
}

void CPixelAccessor::ApplyColourSpace(u32 targetColourSpace, u32 sourceColourSpace)
{
    if (targetColourSpace == sourceColourSpace || m_flags != 0)
        return;
    float (*transfer)(float) = nullptr;
    if (sourceColourSpace == LinearRGB && targetColourSpace == sRGB)
        transfer = LinearToSRGB;
    else if (sourceColourSpace == sRGB && targetColourSpace == LinearRGB)
        transfer = SRGBToLinear;
    else
        return;
    for (u32 code : {u32(ChannelRed), u32(ChannelGreen), u32(ChannelBlue), u32(ChannelLuminance),
                     u32(ChannelIntensity)})
        if (HasChannel(code))
            WriteChannel(code, transfer(ReadChannel(code)));
}

} // namespace xqftexture
