#include "XQFTStringHash.h"

#include <cstring>

uint32_t XQFTHashFnv1(const void* bytes, size_t count)
{
    if (count == 0)
        return 0;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    uint32_t hash = 0x811C9DC5u;
    for (size_t i = 0; i < count; ++i)
        hash = (hash * 16777619u) ^ p[i];
    return hash;
}

CXQFTStringHash::CXQFTStringHash(const char* text, size_t count)
{
    if (text) {
        if (count == CXQFTString::npos)
            count = strlen(text);
        String.Assign(text, count);
    }
    Hash = XQFTHashFnv1(String.CStr(), String.Length());
}

CXQFTStringHash::CXQFTStringHash(const CXQFTString& text)
    : String(text), Hash(XQFTHashFnv1(text.CStr(), text.Length()))
{
}

CXQFTStringHash& CXQFTStringHash::operator=(const char* text)
{
    String.Assign(text);
    Hash = XQFTHashFnv1(String.CStr(), String.Length());
    return *this;
}
