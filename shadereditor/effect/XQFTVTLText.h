#pragma once
// Token helpers of the effect-file parser, on NUL-terminated normalised lines.
#include "XQFTString.h"
#include "XQFTStringHash.h"

#include <cstdint>
#include <cstring>

namespace vtl {

inline constexpr const char kBlank[] = " ";
inline constexpr const char kSpace[] = " \t\r\n";

// Skips leading delimiters, cuts the next token at a delimiter. On success *p is past the
// delimiter that ended the token (or at the end); false when only delimiters are left.
inline bool NextToken(const char*& p, const char* delims, CXQFTString& token)
{
    p += strspn(p, delims);
    if (!*p)
        return false;
    size_t n = strcspn(p, delims);
    token.Assign(p, n);
    p += n;
    if (*p)
        ++p;
    return true;
}

inline uint32_t HashOf(const CXQFTString& s)
{
    return XQFTHashFnv1(s.CStr(), s.Length());
}

// The text left after skipping delimiters; empty when nothing is left.
inline const char* SkipDelims(const char* p, const char* delims)
{
    return p + strspn(p, delims);
}

// Leading decimal digits of s as a u32 that saturates at 4294967295; 0 when s has none.
inline uint32_t SaturatingDecimal(const char* s)
{
    uint64_t v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + uint64_t(*s - '0');
        if (v > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return uint32_t(v);
}

} // namespace vtl
