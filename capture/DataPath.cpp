#include "DataPath.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

void CDataPath::Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    std::vfprintf(stdout, format, args);
    std::fflush(stdout);
    if (m_log && m_log->file) {
        std::vfprintf(m_log->file, format, copy);
        std::fflush(m_log->file);
    }
    va_end(copy);
    va_end(args);
}

bool CDataPathCached::Write(const u8* data, u32 length, bool flush)
{
    u32 done = 0;
    while (done < length) {
        if (m_cacheStart + m_cacheFill >= kCacheSize) {
            // A full cache must drain before more fits. With flush requested one retry is made,
            // then the write gives up: a peer that stopped reading must not hold the caller.
            if (!Flush() && (!flush || !Flush()))
                return false;
            continue;
        }
        const u32 end = m_cacheStart + m_cacheFill;
        const u32 n = std::min(kCacheSize - end, length - done);
        std::memcpy(m_cache + end, data + done, n);
        m_cacheFill += n;
        done += n;
    }
    if (flush)
        Flush();   // a failure keeps the bytes for the next successful flush
    return true;
}

bool CDataPathCached::Flush()
{
    const u32 n = std::min(m_cacheFill, kCacheSize - m_cacheStart);
    if (n > 0 && !RawSend(m_cache + m_cacheStart, n))
        return false;
    m_cacheFill -= n;
    m_cacheStart = 0;
    return true;
}

CDataPath::EReceiveResult CDataPathCached::Read(u8* out, u32 wanted, u32* got)
{
    if (!got && wanted > kCacheSize)
        return kReceiveError;
    if (m_ringCount < wanted) {
        // The ring receives only after its content, never into its wrapped-around part.
        const u32 end = m_ringHead + m_ringCount;
        const u32 at = end >= kCacheSize ? 0 : end;
        const u32 room = end >= kCacheSize ? 0 : std::min(kCacheSize - end, wanted - m_ringCount);
        u32 received = 0;
        const EReceiveResult r = RawRecv(m_ring + at, room, &received);
        if (r == kReceiveError)
            return kReceiveError;
        if (r == kReceiveClosed || r == kReceiveData)
            m_ringCount += std::min(received, room);
    }
    if (m_ringCount < wanted && (!got || m_ringCount == 0))
        return kReceiveNothing;
    const u32 n = std::min(m_ringCount, wanted);
    for (u32 i = 0; i < n; ++i)
        out[i] = m_ring[(m_ringHead + i) % kCacheSize];
    m_ringHead = (m_ringHead + n) % kCacheSize;
    m_ringCount -= n;
    if (got)
        *got = n;
    return kReceiveData;
}
