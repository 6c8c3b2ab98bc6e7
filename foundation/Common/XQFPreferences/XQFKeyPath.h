#pragma once
// Cutting a key path into parts: one leading and one trailing "/" are dropped, empty parts
// between separators are skipped, and the last part is always kept, even when empty.
#include <cstddef>
#include <cstdint>
#include <cstring>

// Calls part(text, length) for each part of the C string key, in order.
template <class F>
void ForEachKeyPart(const char* key, F&& part)
{
    size_t length = strlen(key);
    if (length > 0 && key[0] == '/') {
        ++key;
        --length;
    }
    if (length > 0 && key[length - 1] == '/')
        --length;
    size_t start = 0;
    for (;;) {
        const void* found = memchr(key + start, '/', length - start);
        if (!found) {
            part(key + start, length - start);
            return;
        }
        size_t slash = static_cast<const char*>(found) - key;
        if (slash > start)
            part(key + start, slash - start);
        start = slash + 1;
    }
}

// The parts of a key path as views into its text, without allocating: the store looks keys up
// on every getter. Paths with more than Max parts are marked too deep.
template <uint32_t Max>
struct TKeyPath
{
    struct SPart
    {
        const char* text;
        size_t length;
    };

    explicit TKeyPath(const char* key)
    {
        ForEachKeyPart(key, [this](const char* text, size_t length) {
            if (count < Max)
                parts[count] = {text, length};
            ++count;
        });
    }

    bool TooDeep() const { return count > Max; }

    SPart parts[Max];
    uint32_t count = 0;
};
