#pragma once
// Recorded bytes as the host reads them: a capture that holds fewer bytes than the upload reads
// (a cut trace, an image filled in part) is handed over padded with zeros, as the tracked state
// reads the missing bytes. When no room can be had for the padded copy the upload gets no data, as
// one recorded without.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

class CPaddedUpload
{
public:
    CPaddedUpload(const uint8_t* bytes, uint64_t held, uint64_t needed)
    {
        if (!bytes || held >= needed) {
            m_data = bytes;
            return;
        }
        m_padded.reset(static_cast<uint8_t*>(std::calloc(needed, 1)));
        if (m_padded)
            std::memcpy(m_padded.get(), bytes, held);
        m_data = m_padded.get();
    }
    const void* Data() const { return m_data; }

private:
    struct SFree
    {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    const uint8_t* m_data = nullptr;
    std::unique_ptr<uint8_t, SFree> m_padded;
};

// An unpack alignment GL accepts: the recorded one, or 4 for a value GL would refuse.
inline int32_t ValidUnpackAlignment(int32_t a) { return a == 1 || a == 2 || a == 4 || a == 8 ? a : 4; }
