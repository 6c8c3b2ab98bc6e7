#pragma once
// The byte channel of the live capture: an abstract channel with its counters and log, a cached
// variant (write cache and read ring over two raw operations) and the TCP client over sockets.
#include <cstdint>
#include <cstdio>

using u8 = uint8_t;
using u16 = uint16_t;
using u32 = uint32_t;

// Where a channel's log lines go besides standard output: an optional file, flushed per line.
struct SDataPathLog {
    FILE* file = nullptr;
};

class CDataPath
{
public:
    enum EConnectResult : int {
        kConnectFailed = 0,    // the socket was closed
        kConnectPending = 1,   // not connected yet: poll again
        kConnected = 3,
    };
    enum EReceiveResult : int {
        kReceiveError = 0,
        kReceiveNothing = 1,   // no data yet
        kReceiveClosed = 2,    // the peer closed the connection
        kReceiveData = 3,
    };

    explicit CDataPath(SDataPathLog* log) : m_log(log) {}
    virtual ~CDataPath() = default;
    CDataPath(const CDataPath&) = delete;
    CDataPath& operator=(const CDataPath&) = delete;

    // Whether the channel can be used at all (the socket channel always can).
    virtual bool IsUsable() = 0;
    virtual EConnectResult Connect() = 0;
    virtual bool Write(const u8* data, u32 length, bool flush) = 0;
    virtual bool Flush() = 0;
    // got null: all of wanted or nothing; got given: up to wanted bytes.
    virtual EReceiveResult Read(u8* out, u32 wanted, u32* got) = 0;

    u32 BytesSent() const { return m_bytesSent; }
    u32 BytesReceived() const { return m_bytesReceived; }

protected:
    // printf-style: to standard output and, when the sink holds a file, to that file.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    u32 m_bytesSent = 0;
    u32 m_bytesReceived = 0;
    SDataPathLog* m_log;
};

class CDataPathCached : public CDataPath
{
public:
    static constexpr u32 kCacheSize = 4048;

    using CDataPath::CDataPath;

    bool Write(const u8* data, u32 length, bool flush) override;
    bool Flush() override;
    EReceiveResult Read(u8* out, u32 wanted, u32* got) override;

    u32 CachedBytes() const { return m_cacheFill; }

protected:
    virtual bool RawSend(const u8* data, u32 length) = 0;
    virtual EReceiveResult RawRecv(u8* out, u32 maximum, u32* got) = 0;

private:
    u8 m_cache[kCacheSize];
    u32 m_cacheStart = 0;   // non-zero only inside a flush
    u32 m_cacheFill = 0;
    u8 m_ring[kCacheSize];
    u32 m_ringHead = 0;
    u32 m_ringCount = 0;
};
