#pragma once
// Byte string used for all non-Qt text. Bytes only, no encoding; exact-fit growth.
// The buffer always holds a terminator at data[length], even with embedded zero bytes.
#include <cstddef>

class CXQFTString
{
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    CXQFTString();
    // count npos: strlen(s) characters (a null s gives the empty string); else exactly count bytes.
    CXQFTString(const char* s, size_t count = npos);
    // Copy of other[pos, pos + count); count npos takes the rest. A range past the end is clipped.
    CXQFTString(const CXQFTString& other, size_t pos = 0, size_t count = npos);
    virtual ~CXQFTString();

    CXQFTString& operator=(const CXQFTString& s) { return Assign(s); }
    CXQFTString& operator=(const char* s) { return Assign(s); }

    CXQFTString& Assign(const char* s, size_t count);
    CXQFTString& Assign(const CXQFTString& s);
    CXQFTString& Assign(const char* s);

    CXQFTString& Append(const char* s, size_t count);
    CXQFTString& Append(size_t count, char ch);
    CXQFTString& Append(const CXQFTString& s);
    CXQFTString& Append(const char* s);
    // Appends s[pos, pos + count), cut at the end of s; nothing when pos is past its end.
    CXQFTString& Append(const CXQFTString& s, size_t pos, size_t count);
    CXQFTString& PushBack(char ch) { return Append(1, ch); }

    void Reserve(size_t n);
    void Clear();

    const char* CStr() const { return m_data; }
    size_t Length() const { return m_length; }
    size_t Capacity() const { return m_capacity; }
    bool IsEmpty() const { return m_length == 0; }
    char& At(size_t i) { return m_data[i]; }
    const char& At(size_t i) const { return m_data[i]; }

    // Comparisons work on the C strings (they stop at the first zero byte), bytes unsigned.
    bool operator<(const CXQFTString& rhs) const;
    bool operator==(const CXQFTString& rhs) const;
    bool operator!=(const CXQFTString& rhs) const { return !(*this == rhs); }
    bool operator==(const char* s) const;
    bool operator!=(const char* s) const { return !(*this == s); }
    int Compare(const char* s) const;
    // 0 when s, cut to count characters, stands at pos.
    int Compare(size_t pos, size_t count, const char* s) const;

    size_t Find(const CXQFTString& s, size_t pos = 0) const;
    size_t Find(char ch, size_t pos = 0) const;
    size_t FindFirstOf(const char* set, size_t pos = 0) const;
    // offsetFromEnd counts back from the last character: 0 starts the scan there.
    size_t FindLastOf(char ch, size_t offsetFromEnd = 0) const;
    size_t FindLastOf(const char* set, size_t offsetFromEnd = 0) const;

    // Removes [pos, pos + count) when that run ends before the end; otherwise sets the length
    // to pos, cutting the string or padding it with zero bytes.
    CXQFTString& Erase(size_t pos, size_t count = npos);
    CXQFTString& Substitute(char from, char to, bool all);
    CXQFTString& Substitute(const char* from, const char* to, bool all);

    CXQFTString Substring(size_t pos, size_t count = npos) const { return CXQFTString(*this, pos, count); }
    CXQFTString Left(size_t count) const;
    CXQFTString Right(size_t count) const;

    // printf-style; replaces the contents and returns a copy. A formatter error gives "".
    CXQFTString Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

private:
    char* m_data;
    size_t m_length;
    size_t m_capacity;
};

CXQFTString operator+(const CXQFTString& a, const CXQFTString& b);
CXQFTString operator+(const CXQFTString& a, const char* b);
CXQFTString operator+(const CXQFTString& a, char b);
CXQFTString operator+(const char* a, const CXQFTString& b);

CXQFTString StringFromFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
