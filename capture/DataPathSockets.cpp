#include "DataPathSockets.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSendTimeoutsAllowed = 20;
constexpr int kReceiveWaitMs = 10;

// The system's text for an error number, in a buffer of the calling thread.
const char* ErrorText(int error)
{
    thread_local char text[1024];
    const char* s = strerror_r(error, text, sizeof text);
    if (!s || !*s) {
        if (error == ECONNRESET)
            return "connection reset";
        if (error == ECONNREFUSED)
            return "connection refused";
        return "unknown error";
    }
    return s;
}

// Waits for events on one socket; poll has no descriptor-number limit, unlike select.
int WaitFor(int fd, short events, int timeoutMs, short* revents)
{
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, timeoutMs);
    *revents = n > 0 ? p.revents : 0;
    return n;
}

} // namespace

CDataPathSockets::CDataPathSockets(SDataPathLog* log) : CDataPathCached(log) {}

CDataPathSockets::~CDataPathSockets()
{
    CloseSocket();
}

bool CDataPathSockets::InitWithSocket(const int* socket)
{
    if (!socket || *socket < 0)
        return false;
    CloseSocket();
    m_socket = std::make_unique<int>(*socket);
    m_bytesSent = m_bytesReceived = 0;
    m_brokenError = m_receiveError = 0;
    m_host.reset();
    m_port = 0;
    return true;
}

bool CDataPathSockets::InitClient(const char* host, u16 port)
{
    CloseSocket();
    m_bytesSent = m_bytesReceived = 0;
    m_host.reset();
    if (host) {
        const size_t n = std::strlen(host) + 1;
        m_host = std::make_unique<char[]>(n);
        std::memcpy(m_host.get(), host, n);
    }
    m_port = port;
    return true;
}

// Ends the sending side, takes what the peer still had in flight, then closes. The drain is
// bounded so that a peer streaming without end cannot hold the caller here.
void CDataPathSockets::CloseSocket()
{
    std::unique_ptr<int> holder = std::move(m_socket);
    if (!holder)
        return;
    const int fd = *holder;
    shutdown(fd, SHUT_WR);
    char sink[1024];
    for (int i = 0; i < 1024 && recv(fd, sink, sizeof sink, 0) > 0; ++i) {
    }
    close(fd);
}

CDataPath::EConnectResult CDataPathSockets::Connect()
{
    if (m_socket) {
        short events = 0;
        const int n = WaitFor(*m_socket, POLLOUT, 0, &events);
        if (n == 0)
            return kConnectPending;
        if (n > 0 && (events & (POLLOUT | POLLERR | POLLHUP))) {
            // A connect that failed also shows as writable: only SO_ERROR tells them apart.
            int error = 0;
            socklen_t size = sizeof error;
            if (getsockopt(*m_socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0) {
                if (error == 0)
                    return kConnected;
                // A connect that failed is refused or times out; only a connection that was made
                // can be reset. What the peer sent before the reset is still there to read.
                if (error == ECONNRESET) {
                    m_brokenError = error;
                    return kConnected;
                }
                if (error == EINPROGRESS || error == EALREADY)
                    return kConnectPending;
            }
        }
        CloseSocket();
    }
    return StartConnect();
}

CDataPath::EConnectResult CDataPathSockets::StartConnect()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return kConnectPending;
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        Log("Error at ioctlsocket(): %s\n", ErrorText(errno));
        close(fd);
        return kConnectPending;
    }

    char port[16];
    std::snprintf(port, sizeof port, "%u", unsigned(m_port));
    const char* host = m_host.get();
    char own[1024];
    if (!host) {
        if (gethostname(own, sizeof own) != 0)
            own[0] = '\0';
        own[sizeof own - 1] = '\0';
        host = own;
        Log("This server is %s:%s ", host, port);
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(host, port, &hints, &found);
    if (resolved != 0 || !found) {
        Log("Error at getaddrinfo(): %s\n", resolved == EAI_SYSTEM ? ErrorText(errno) : gai_strerror(resolved));
        if (found)
            freeaddrinfo(found);
        close(fd);
        return kConnectPending;
    }
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, std::min<size_t>(sizeof address, found->ai_addrlen));
    freeaddrinfo(found);
    const auto* ip = reinterpret_cast<const unsigned char*>(&address.sin_addr.s_addr);
    Log("(%u.%u.%u.%u)...\n", ip[0], ip[1], ip[2], ip[3]);

    const int r = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (r != 0 && errno != EINPROGRESS && errno != EWOULDBLOCK && errno != EAGAIN) {
        close(fd);
        return kConnectFailed;
    }
    m_socket = std::make_unique<int>(fd);
    m_bytesSent = m_bytesReceived = 0;
    m_brokenError = m_receiveError = 0;
    return r == 0 ? kConnected : kConnectPending;
}

bool CDataPathSockets::RawSend(const u8* data, u32 length)
{
    if (length == 0)
        return true;
    if (!m_socket)
        return false;
    u32 sent = 0;
    int timeouts = 0;   // counted over the whole call: progress does not reset it
    while (sent < length) {
        short events = 0;
        const int n = WaitFor(*m_socket, POLLOUT, int(m_sendTimeoutMs), &events);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            if (++timeouts >= kSendTimeoutsAllowed)
                return false;
            continue;
        }
        // MSG_NOSIGNAL: a peer that vanished gives an error here, not a signal that ends the viewer.
        const ssize_t done = send(*m_socket, data + sent, length - sent, MSG_NOSIGNAL);
        if (done < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return false;
        }
        sent += u32(done);
    }
    m_bytesSent += length;
    return true;
}

const char* CDataPathSockets::ReceiveErrorText() const
{
    return m_receiveError ? ErrorText(m_receiveError) : "no socket";
}

CDataPath::EReceiveResult CDataPathSockets::RawRecv(u8* out, u32 maximum, u32* got)
{
    *got = 0;
    if (!m_socket)
        return kReceiveError;
    short events = 0;
    const int n = WaitFor(*m_socket, POLLIN, kReceiveWaitMs, &events);
    if (n < 0) {
        if (errno == EINTR)
            return kReceiveNothing;
        m_receiveError = errno;
        return kReceiveError;
    }
    // A request for no bytes would read as a closed peer; there is simply no room yet.
    if (n == 0 || maximum == 0)
        return kReceiveNothing;
    const ssize_t r = recv(*m_socket, out, maximum, 0);
    if (r < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return kReceiveNothing;
        m_receiveError = errno;
        return kReceiveError;
    }
    if (r == 0) {
        // The socket forgot the reset when the connect poll read it: the end is not an orderly one.
        if (m_brokenError) {
            m_receiveError = m_brokenError;
            return kReceiveError;
        }
        return kReceiveClosed;
    }
    m_bytesReceived += u32(r);
    *got = u32(r);
    return kReceiveData;
}
