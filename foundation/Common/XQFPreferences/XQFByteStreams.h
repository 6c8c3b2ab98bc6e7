#pragma once
// Stream buffers over plain bytes, so that the base64 coding can read and write through the
// standard streams without copying the data first.
#include <streambuf>
#include <vector>

// Read-only view of [begin, end). Putting back is possible only over the byte just read.
class CImmutableByteWrapper : public std::streambuf
{
public:
    CImmutableByteWrapper(const void* begin, const void* end)
    {
        char* b = static_cast<char*>(const_cast<void*>(begin));
        char* e = static_cast<char*>(const_cast<void*>(end));
        setg(b, b, e);
    }

protected:
    int_type underflow() override
    {
        return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
    }
    std::streamsize showmanyc() override { return egptr() - gptr(); }
    // Reached only at the beginning or for a byte that differs from the one before.
    int_type pbackfail(int_type) override { return traits_type::eof(); }
};

// Write-only sink that appends to a growable byte vector.
class CVectorByteWrapper : public std::streambuf
{
public:
    std::vector<char>& Bytes() { return m_bytes; }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        m_bytes.insert(m_bytes.end(), s, s + n);
        return n;
    }
    int_type overflow(int_type ch) override
    {
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            m_bytes.push_back(traits_type::to_char_type(ch));
        return traits_type::not_eof(ch);
    }

private:
    std::vector<char> m_bytes;
};
