#pragma once
// The live-capture channel over TCP: a client that connects without blocking and is polled until
// the link is up, sends with a bounded wait for the socket to drain and receives with a 10 ms wait.
// A server side, adopting an accepted socket, exists for peers written in this code base.
#include <memory>

#include "DataPath.h"

class CDataPathSockets : public CDataPathCached
{
public:
    explicit CDataPathSockets(SDataPathLog* log);
    ~CDataPathSockets() override;

    bool IsUsable() override { return true; }
    // Polls the pending connect, or starts a new one; see EConnectResult.
    EConnectResult Connect() override;

    // Adopts an accepted socket (the pointer's value; -1 is refused).
    bool InitWithSocket(const int* socket);
    // A client of host:port; a null host is this machine's own name.
    bool InitClient(const char* host, u16 port);

    // How long one wait for a writable socket lasts (500 ms); a send gives up after 20 of them.
    void SetSendTimeout(u32 milliseconds) { m_sendTimeoutMs = milliseconds; }
    bool HasSocket() const { return m_socket != nullptr; }

    bool RawSend(const u8* data, u32 length) override;
    EReceiveResult RawRecv(u8* out, u32 maximum, u32* got) override;
    // Why the last receive failed, e.g. "Connection reset by peer".
    const char* ReceiveErrorText() const;

private:
    void CloseSocket();
    EConnectResult StartConnect();

    std::unique_ptr<int> m_socket;
    u32 m_sendTimeoutMs = 500;
    std::unique_ptr<char[]> m_host;
    u16 m_port = 0;
    // The error that broke a connection already made, found while the connect was still polled:
    // the receives first take what arrived before it, then fail with it.
    int m_brokenError = 0;
    int m_receiveError = 0;
};
