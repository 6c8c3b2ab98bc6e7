#pragma once
// Writes version 11 traces (data and frame images included, 32-bit type sizes) for the
// benchmarks, fast enough for millions of records.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "CallQueries.h"

class CWriter
{
public:
    explicit CWriter(const std::string& path) : m_f(std::fopen(path.c_str(), "wb"))
    {
        const char magic[8] = {'X', 'Q', 'F', 'T', 'r', 'a', 'c', 'e'};
        std::fwrite(magic, 1, 8, m_f);
        U32(0x0001FEFF);
        U32(11);     // version
        U8(1);       // data included
        U8(1);       // frame images
        U32(1);      // table selector
        U8(30);
        for (int i = 0; i < 30; ++i)
            U8(i == 13 ? 1 : 4);
    }
    ~CWriter() { std::fclose(m_f); }

    void GetError()
    {
        Record(CallIdOf(ECallFamily::Egl, "eglGetError"), 8);
        U32(0);
        U32(0x3000);
    }
    // eglGetCurrentSurface(EGL_DRAW) returning surface 2.
    void GetCurrentSurface()
    {
        Record(CallIdOf(ECallFamily::Egl, "eglGetCurrentSurface"), 12);
        U32(0x3000);
        U32(2);
        U32(0x3059);
    }
    // eglQuerySurface(1, 2, EGL_WIDTH, {640}).
    void QuerySurface()
    {
        Record(CallIdOf(ECallFamily::Egl, "eglQuerySurface"), 32);
        U32(0x3000); U32(1); U32(1); U32(2); U32(0x3057);
        U32(0x2000); U32(1); U32(640);
    }
    // eglMakeCurrent at version 9 and later: config and the context's attribute list follow.
    void MakeCurrent()
    {
        Record(CallIdOf(ECallFamily::Egl, "eglMakeCurrent"), 48);
        U32(0x3000); U32(1); U32(1); U32(2); U32(2); U32(3); U32(0x11);
        U32(0x3000); U32(3); U32(0x3098); U32(2); U32(0x3038);
    }
    void SwapBuffers(uint32_t frame, uint32_t w, uint32_t h, const std::vector<uint8_t>& image)
    {
        Record(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), 36 + static_cast<uint32_t>(image.size()));
        U32(0); U32(1); U32(1); U32(2); U32(frame); U32(w); U32(h);
        U32(image.empty() ? 0 : 0x1000);
        U32(static_cast<uint32_t>(image.size()));
        std::fwrite(image.data(), 1, image.size(), m_f);
    }

    // An ES 2.0 call of the table's function: the recorded error (0), then the payload, which
    // Words and Block build. A block is its pointer, its size and its bytes.
    void Es2(const char* function, const std::vector<uint8_t>& payload)
    {
        uint16_t id = 0;
        for (const SCallRow& r : callrows::kEs2)
            if (std::string(r.function) == function)
                id = r.id;
        Record(id, 4 + static_cast<uint32_t>(payload.size()));
        U32(0);
        std::fwrite(payload.data(), 1, payload.size(), m_f);
    }
    static void Words(std::vector<uint8_t>& out, std::initializer_list<uint32_t> words)
    {
        for (uint32_t v : words)
            for (int i = 0; i < 4; ++i)
                out.push_back(uint8_t(v >> (8 * i)));
    }
    static void Block(std::vector<uint8_t>& out, uint32_t pointer, uint32_t size, uint8_t fill)
    {
        Words(out, {pointer, size});
        out.resize(out.size() + size, fill);
    }

    void Record(uint16_t id, uint32_t size)
    {
        U32(size);
        U8(uint8_t(id));
        U8(uint8_t(id >> 8));
    }
    void U32(uint32_t v)
    {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, m_f);
    }
    void U8(uint8_t v) { std::fputc(v, m_f); }
    FILE* m_f;
};

