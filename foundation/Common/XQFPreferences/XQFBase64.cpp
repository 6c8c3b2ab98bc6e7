#include "XQFBase64.h"

#include "XQFByteStreams.h"

#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

extern "C" {
#include <b64/cdecode.h>
#include <b64/cencode.h>
}

namespace {

constexpr size_t kChunk = 65536;

bool IsBase64Letter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '+' || c == '/';
}

} // namespace

bool EncodeBase64(const void* data, size_t size, std::string* text)
{
    const char* begin = static_cast<const char*>(data);
    CImmutableByteWrapper source(begin, begin + (data ? size : 0));
    std::istream in(&source);
    std::ostringstream out;
    std::vector<char> plain(kChunk);
    std::vector<char> code(2 * kChunk);
    base64_encodestate state;
    base64_init_encodestate(&state);
    while (in) {
        in.read(plain.data(), std::streamsize(kChunk));
        std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        int n = base64_encode_block(plain.data(), int(got), code.data(), &state);
        out.write(code.data(), n);
    }
    int n = base64_encode_blockend(code.data(), &state);
    out.write(code.data(), n);
    if (!out)
        return false;
    *text = std::move(out).str();
    return true;
}

bool DecodeBase64(const char* text, std::vector<char>* bytes)
{
    std::string letters;
    size_t length = strlen(text);
    letters.reserve(length);
    for (size_t i = 0; i < length; ++i)
        if (IsBase64Letter(static_cast<unsigned char>(text[i])))
            letters.push_back(text[i]);

    CImmutableByteWrapper source(letters.data(), letters.data() + letters.size());
    std::istream in(&source);
    CVectorByteWrapper sink;
    sink.Bytes().reserve(letters.size() / 4 * 3 + 3);
    std::ostream out(&sink);
    std::vector<char> code(kChunk);
    std::vector<char> plain(kChunk); // 4 letters give at most 3 bytes
    base64_decodestate state;
    base64_init_decodestate(&state);
    while (in) {
        in.read(code.data(), std::streamsize(kChunk));
        std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        int n = base64_decode_block(code.data(), int(got), plain.data(), &state);
        out.write(plain.data(), n);
    }
    if (!out)
        return false;
    *bytes = std::move(sink.Bytes());
    return true;
}
