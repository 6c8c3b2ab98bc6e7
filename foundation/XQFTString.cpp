#include "XQFTString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Callers cannot sensibly go on without memory; the old code never checked at all.
char* Allocate(size_t bytes)
{
    char* p = static_cast<char*>(malloc(bytes));
    if (!p)
        abort();
    return p;
}

int CompareBytes(const unsigned char* a, size_t na, const unsigned char* b, size_t nb)
{
    size_t n = na < nb ? na : nb;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

int CompareC(const char* a, const char* b)
{
    return CompareBytes(reinterpret_cast<const unsigned char*>(a), strlen(a),
                        reinterpret_cast<const unsigned char*>(b), strlen(b));
}

// One measuring pass, one formatting pass of exactly the measured size.
CXQFTString FormatArgs(const char* fmt, va_list ap)
{
    va_list measure;
    va_copy(measure, ap);
    int n = vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    if (n < 0)
        return CXQFTString();
    char* buf = Allocate(static_cast<size_t>(n) + 1);
    vsnprintf(buf, static_cast<size_t>(n) + 1, fmt, ap);
    CXQFTString out(buf);
    free(buf);
    return out;
}

} // namespace

CXQFTString::CXQFTString()
    : m_data(static_cast<char*>(calloc(1, 1))), m_length(0), m_capacity(1)
{
    if (!m_data)
        abort();
}

CXQFTString::CXQFTString(const char* s, size_t count) : CXQFTString()
{
    if (!s)
        return;
    Assign(s, count == npos ? strlen(s) : count);
}

CXQFTString::CXQFTString(const CXQFTString& other, size_t pos, size_t count) : CXQFTString()
{
    if (pos >= other.m_length)
        return;
    size_t rest = other.m_length - pos;
    Assign(other.m_data + pos, count < rest ? count : rest);
}

CXQFTString::~CXQFTString()
{
    free(m_data);
}

CXQFTString& CXQFTString::Assign(const char* s, size_t count)
{
    if (!s)
        count = 0;
    if (m_capacity <= count) {
        // s may point into the old buffer: copy before freeing it.
        char* fresh = Allocate(count + 1);
        memcpy(fresh, s, count);
        free(m_data);
        m_data = fresh;
        m_capacity = count + 1;
    } else if (count) {
        memmove(m_data, s, count);
    }
    m_length = count;
    m_data[count] = 0;
    return *this;
}

CXQFTString& CXQFTString::Assign(const CXQFTString& s)
{
    if (&s == this)
        return *this;
    return Assign(s.m_data, s.m_length);
}

CXQFTString& CXQFTString::Assign(const char* s)
{
    return Assign(s, s ? strlen(s) : 0);
}

CXQFTString& CXQFTString::Append(const char* s, size_t count)
{
    if (!s || count == 0)
        return *this;
    size_t need = m_length + count + 1;
    if (m_capacity < need) {
        char* fresh = Allocate(need);
        memcpy(fresh, m_data, m_length);
        memcpy(fresh + m_length, s, count); // s may lie in the old buffer, still alive here
        free(m_data);
        m_data = fresh;
        m_capacity = need;
    } else {
        memmove(m_data + m_length, s, count);
    }
    m_length += count;
    m_data[m_length] = 0;
    return *this;
}

CXQFTString& CXQFTString::Append(size_t count, char ch)
{
    if (count == 0)
        return *this;
    size_t need = m_length + count + 1;
    if (m_capacity < need) {
        char* fresh = Allocate(need);
        memcpy(fresh, m_data, m_length);
        free(m_data);
        m_data = fresh;
        m_capacity = need;
    }
    memset(m_data + m_length, ch, count);
    m_length += count;
    m_data[m_length] = 0;
    return *this;
}

CXQFTString& CXQFTString::Append(const CXQFTString& s)
{
    return Append(s.m_data, s.m_length);
}

CXQFTString& CXQFTString::Append(const char* s)
{
    return s ? Append(s, strlen(s)) : *this;
}

CXQFTString& CXQFTString::Append(const CXQFTString& s, size_t pos, size_t count)
{
    if (pos > s.m_length)
        return *this;
    size_t rest = s.m_length - pos;
    return Append(s.m_data + pos, count < rest ? count : rest);
}

void CXQFTString::Reserve(size_t n)
{
    if (n < m_capacity)
        return;
    char* grown = static_cast<char*>(realloc(m_data, n + 1));
    if (!grown)
        abort();
    m_data = grown;
    m_capacity = n + 1;
}

void CXQFTString::Clear()
{
    char* empty = static_cast<char*>(calloc(1, 1));
    if (!empty)
        abort();
    free(m_data);
    m_data = empty;
    m_length = 0;
    m_capacity = 1;
}

bool CXQFTString::operator<(const CXQFTString& rhs) const
{
    return CompareC(m_data, rhs.m_data) < 0;
}

bool CXQFTString::operator==(const CXQFTString& rhs) const
{
    return strcmp(m_data, rhs.m_data) == 0;
}

bool CXQFTString::operator==(const char* s) const
{
    return s && strcmp(m_data, s) == 0;
}

int CXQFTString::Compare(const char* s) const
{
    return CompareC(m_data, s ? s : "");
}

int CXQFTString::Compare(size_t pos, size_t count, const char* s) const
{
    if (pos > m_length)
        pos = m_length;
    size_t rest = m_length - pos;
    size_t mine = count < rest ? count : rest;
    size_t theirs = s ? strnlen(s, count) : 0;
    return CompareBytes(reinterpret_cast<const unsigned char*>(m_data + pos), mine,
                        reinterpret_cast<const unsigned char*>(s ? s : ""), theirs);
}

size_t CXQFTString::Find(const CXQFTString& s, size_t pos) const
{
    if (s.m_length == 0 || s.m_length > m_length || pos >= m_length)
        return npos;
    for (size_t i = pos; i + s.m_length <= m_length; ++i)
        if (memcmp(m_data + i, s.m_data, s.m_length) == 0)
            return i;
    return npos;
}

size_t CXQFTString::Find(char ch, size_t pos) const
{
    for (size_t i = pos; i < m_length; ++i)
        if (m_data[i] == ch)
            return i;
    return npos;
}

size_t CXQFTString::FindFirstOf(const char* set, size_t pos) const
{
    if (!set || !*set)
        return npos;
    for (size_t i = pos; i < m_length; ++i)
        if (m_data[i] && strchr(set, m_data[i]))
            return i;
    return npos;
}

size_t CXQFTString::FindLastOf(char ch, size_t offsetFromEnd) const
{
    if (offsetFromEnd >= m_length)
        return npos;
    for (size_t i = m_length - 1 - offsetFromEnd + 1; i-- > 0;)
        if (m_data[i] == ch)
            return i;
    return npos;
}

size_t CXQFTString::FindLastOf(const char* set, size_t offsetFromEnd) const
{
    if (!set || !*set || offsetFromEnd >= m_length)
        return npos;
    for (size_t i = m_length - 1 - offsetFromEnd + 1; i-- > 0;)
        if (m_data[i] && strchr(set, m_data[i]))
            return i;
    return npos;
}

CXQFTString& CXQFTString::Erase(size_t pos, size_t count)
{
    if (count != npos && pos < m_length && count < m_length - pos) {
        memmove(m_data + pos, m_data + pos + count, m_length - pos - count + 1);
        m_length -= count;
    } else if (pos <= m_length) {
        m_length = pos;
        m_data[pos] = 0;
    } else {
        Append(pos - m_length, '\0');
    }
    return *this;
}

CXQFTString& CXQFTString::Substitute(char from, char to, bool all)
{
    for (size_t i = 0; i < m_length; ++i) {
        if (m_data[i] == from) {
            m_data[i] = to;
            if (!all)
                break;
        }
    }
    return *this;
}

CXQFTString& CXQFTString::Substitute(const char* from, const char* to, bool all)
{
    size_t n = from ? strlen(from) : 0;
    size_t m = to ? strlen(to) : 0;
    // An empty pattern would match everywhere; leave the string as it is.
    if (m_length == 0 || n == 0)
        return *this;
    size_t p = 0;
    while (n <= m_length && p <= m_length - n) {
        if (Compare(p, n, from) == 0) {
            CXQFTString rebuilt(m_data, p);
            rebuilt.Append(to, m);
            rebuilt.Append(m_data + p + n, m_length - p - n);
            Assign(rebuilt);
            if (!all)
                break;
            p += m;
        } else {
            ++p;
        }
    }
    return *this;
}

CXQFTString CXQFTString::Left(size_t count) const
{
    return CXQFTString(*this, 0, count < m_length ? count : m_length);
}

CXQFTString CXQFTString::Right(size_t count) const
{
    return count >= m_length ? CXQFTString(*this) : CXQFTString(*this, m_length - count, count);
}

CXQFTString CXQFTString::Format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    CXQFTString text = FormatArgs(fmt, ap);
    va_end(ap);
    Assign(text);
    return text;
}

CXQFTString StringFromFormat(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    CXQFTString text = FormatArgs(fmt, ap);
    va_end(ap);
    return text;
}

CXQFTString operator+(const CXQFTString& a, const CXQFTString& b)
{
    CXQFTString r(a);
    return r.Append(b);
}

CXQFTString operator+(const CXQFTString& a, const char* b)
{
    CXQFTString r(a);
    return r.Append(b);
}

CXQFTString operator+(const CXQFTString& a, char b)
{
    CXQFTString r(a);
    return r.PushBack(b);
}

CXQFTString operator+(const char* a, const CXQFTString& b)
{
    CXQFTString r(a);
    return r.Append(b);
}
