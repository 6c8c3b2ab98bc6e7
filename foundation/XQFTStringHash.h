#pragma once
// A text paired with its 32-bit FNV-1 hash, so that names and keywords compare as integers.
// The hash is recomputed whenever the text is set through the operations below; `String` and
// `Hash` are public for readers, and whoever writes `String` directly must keep `Hash` in step.
#include "XQFTString.h"

#include <cstddef>
#include <cstdint>

// FNV-1 (multiply, then XOR: not FNV-1a) over the bytes taken as unsigned values. Zero bytes
// hash to 0, not to the offset basis, so an empty name has hash 0.
uint32_t XQFTHashFnv1(const void* bytes, size_t count);

class CXQFTStringHash
{
public:
    CXQFTStringHash() : Hash(0) {}
    // The first count characters of text (all of them for npos); a null text is empty.
    CXQFTStringHash(const char* text, size_t count = CXQFTString::npos);
    explicit CXQFTStringHash(const CXQFTString& text);
    CXQFTStringHash(const CXQFTStringHash& other) = default;

    CXQFTStringHash& operator=(const CXQFTStringHash& other) = default;
    CXQFTStringHash& operator=(const char* text);

    // Hash comparison only: two texts with the same hash compare equal here.
    bool operator==(const CXQFTStringHash& other) const { return Hash == other.Hash; }
    bool operator==(const unsigned int& hash) const { return Hash == hash; }
    bool operator!=(const unsigned int& hash) const { return Hash != hash; }
    // Text comparison, byte-wise on the C strings.
    bool operator==(const char* text) const { return String == text; }

    const char* CStr() const { return String.CStr(); }

    CXQFTString String;
    uint32_t Hash;
};
