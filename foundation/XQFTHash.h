#pragma once
// A 32-bit FNV-1 hash value used as an identity (the shader editor's panel ids): compared and
// ordered as an unsigned integer, printed with "%u".
#include "XQFTStringHash.h"

#include <cstddef>
#include <cstdint>

class CXQFTHash
{
public:
    constexpr CXQFTHash() = default;
    constexpr explicit CXQFTHash(uint32_t value) : m_value(value) {}
    // The hash of bytes; no bytes give 0.
    static CXQFTHash Of(const void* bytes, size_t count) { return CXQFTHash(XQFTHashFnv1(bytes, count)); }

    constexpr uint32_t Value() const { return m_value; }
    constexpr bool operator==(const CXQFTHash& other) const { return m_value == other.m_value; }
    constexpr bool operator!=(const CXQFTHash& other) const { return m_value != other.m_value; }
    constexpr bool operator<(const CXQFTHash& other) const { return m_value < other.m_value; }

private:
    uint32_t m_value = 0;
};
