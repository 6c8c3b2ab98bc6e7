// The capture's byte channel: the write cache and read ring over a scripted raw layer, and the
// socket client against listeners on 127.0.0.1.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "DataPathSockets.h"

namespace {

// A raw layer that records every send and answers receives from a script.
class CScriptedPath : public CDataPathCached
{
public:
    CScriptedPath() : CDataPathCached(nullptr) {}
    bool IsUsable() override { return true; }
    EConnectResult Connect() override { return kConnected; }

    struct SReceive { EReceiveResult result; std::string bytes; };
    std::vector<std::string> sends;
    int failingSends = 0;            // this many sends fail first
    std::deque<SReceive> receives;
    std::vector<u32> asked;          // the maximum of every raw receive

protected:
    bool RawSend(const u8* data, u32 length) override
    {
        if (failingSends > 0) {
            --failingSends;
            sends.push_back("<failed>");
            return false;
        }
        sends.emplace_back(reinterpret_cast<const char*>(data), length);
        return true;
    }
    EReceiveResult RawRecv(u8* out, u32 maximum, u32* got) override
    {
        asked.push_back(maximum);
        *got = 0;
        if (receives.empty())
            return kReceiveNothing;
        SReceive r = receives.front();
        receives.pop_front();
        r.bytes.resize(std::min<size_t>(r.bytes.size(), maximum));
        std::copy(r.bytes.begin(), r.bytes.end(), out);
        *got = u32(r.bytes.size());
        return r.result;
    }
};

std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char(i * 31 + i / 251);
    return s;
}

const u8* Bytes(const std::string& s) { return reinterpret_cast<const u8*>(s.data()); }

TEST(CachedChannel, AFlushedCommandIsOneSendAndLeavesTheCacheEmpty)
{
    CScriptedPath path;
    EXPECT_TRUE(path.Write(Bytes("\x08" "D@"), 3, true));
    EXPECT_EQ(path.sends, std::vector<std::string>{"\x08" "D@"});
    EXPECT_EQ(path.CachedBytes(), 0u);
}

TEST(CachedChannel, AWriteLargerThanTheCacheArrivesWholeAndInOrder)
{
    CScriptedPath path;
    const std::string data = Pattern(10000);
    EXPECT_TRUE(path.Write(Bytes(data), u32(data.size()), false));
    EXPECT_EQ(path.sends.size(), 2u);   // two full caches left, the rest waits for a flush
    EXPECT_EQ(path.CachedBytes(), 10000u - 2 * CDataPathCached::kCacheSize);
    EXPECT_TRUE(path.Flush());
    std::string arrived;
    for (const std::string& s : path.sends)
        arrived += s;
    EXPECT_TRUE(arrived == data);
}

TEST(CachedChannel, FailedFlushesKeepTheBytesAndAFullCacheGivesUpAfterOneRetry)
{
    CScriptedPath path;
    // A failed flush after the copy is not reported; the bytes leave with the next good flush.
    path.failingSends = 1;
    EXPECT_TRUE(path.Write(Bytes("abc"), 3, true));
    EXPECT_EQ(path.CachedBytes(), 3u);
    EXPECT_TRUE(path.Flush());
    EXPECT_EQ(path.sends.back(), "abc");

    // A full cache that cannot drain: without flush one attempt, with flush exactly one retry.
    const std::string fill = Pattern(CDataPathCached::kCacheSize);
    EXPECT_TRUE(path.Write(Bytes(fill), u32(fill.size()), false));
    path.sends.clear();
    path.failingSends = 100;
    EXPECT_FALSE(path.Write(Bytes("x"), 1, false));
    EXPECT_EQ(path.sends.size(), 1u);
    EXPECT_FALSE(path.Write(Bytes("x"), 1, true));
    EXPECT_EQ(path.sends.size(), 3u);
    EXPECT_EQ(path.CachedBytes(), CDataPathCached::kCacheSize);
}

TEST(CachedChannel, ReadIsAllOrNothingWithoutACountAndPartialWithOne)
{
    using R = CDataPath::EReceiveResult;
    CScriptedPath path;
    u8 out[4096] = {};
    // More than the ring holds, all or nothing: refused before any receive.
    EXPECT_EQ(path.Read(out, CDataPathCached::kCacheSize + 1, nullptr), CDataPath::kReceiveError);
    EXPECT_TRUE(path.asked.empty());

    path.receives = {{R::kReceiveData, "abcd"}, {R::kReceiveData, "efghij"}};
    EXPECT_EQ(path.Read(out, 10, nullptr), CDataPath::kReceiveNothing);   // 4 of 10: nothing yet
    EXPECT_EQ(path.asked.back(), 10u);
    EXPECT_EQ(path.Read(out, 10, nullptr), CDataPath::kReceiveData);
    EXPECT_EQ(path.asked.back(), 6u);                                   // only what is missing
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 10), "abcdefghij");

    u32 got = 0;
    path.receives = {{R::kReceiveData, "xyz"}};
    EXPECT_EQ(path.Read(out, 8, &got), CDataPath::kReceiveData);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(path.Read(out, 8, &got), CDataPath::kReceiveNothing);     // empty ring, nothing new
    path.receives = {{R::kReceiveError, ""}};
    EXPECT_EQ(path.Read(out, 8, &got), CDataPath::kReceiveError);
}

// A listening socket on 127.0.0.1 with a port of the system's choice.
struct SListener {
    int fd = -1;
    u16 port = 0;
    explicit SListener(u16 wanted = 0, int receiveBuffer = 0)
    {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (receiveBuffer)
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(wanted);
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 4) != 0) {
            close(fd);
            fd = -1;
            return;
        }
        socklen_t size = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
    }
    ~SListener()
    {
        if (fd >= 0)
            close(fd);
    }
    int Accept() const
    {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 2000) == 1 ? accept(fd, nullptr, nullptr) : -1;
    }
};

CDataPath::EConnectResult ConnectWithin(CDataPathSockets& path, int milliseconds)
{
    CDataPath::EConnectResult r = path.Connect();
    for (int i = 0; r != CDataPath::kConnected && i < milliseconds; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        r = path.Connect();
    }
    return r;
}

TEST(SocketChannel, SendsReceivesAndSeesThePeerClose)
{
    SListener listener;
    ASSERT_GE(listener.fd, 0);
    CDataPathSockets path(nullptr);
    ASSERT_TRUE(path.InitClient("127.0.0.1", listener.port));
    ASSERT_EQ(ConnectWithin(path, 2000), CDataPath::kConnected);
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);

    EXPECT_TRUE(path.Write(Bytes("\x08" "DB"), 3, true));
    char in[8] = {};
    pollfd p{peer, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_EQ(recv(peer, in, sizeof in, 0), 3);
    EXPECT_EQ(path.BytesSent(), 3u);

    u8 out[64];
    u32 got = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(path.RawRecv(out, sizeof out, &got), CDataPath::kReceiveNothing);
    EXPECT_EQ(got, 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9));

    ASSERT_EQ(send(peer, "hello", 5, 0), 5);
    CDataPath::EReceiveResult r = CDataPath::kReceiveNothing;
    for (int i = 0; i < 200 && r == CDataPath::kReceiveNothing; ++i)
        r = path.RawRecv(out, sizeof out, &got);
    EXPECT_EQ(r, CDataPath::kReceiveData);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), got), "hello");
    EXPECT_EQ(path.BytesReceived(), 5u);

    close(peer);
    for (int i = 0; i < 200 && (r = path.RawRecv(out, sizeof out, &got)) == CDataPath::kReceiveNothing; ++i) {
    }
    EXPECT_EQ(r, CDataPath::kReceiveClosed);
}

TEST(SocketChannel, ARefusedPortIsPolledWithFreshConnectsUntilAListenerAppears)
{
    u16 port;
    {
        SListener probe;   // a port that was free a moment ago, now closed
        port = probe.port;
    }
    CDataPathSockets path(nullptr);
    ASSERT_TRUE(path.InitClient("127.0.0.1", port));
    // The refusal shows on a later poll as an error on a writable socket: never as connected.
    for (int i = 0; i < 20; ++i) {
        EXPECT_NE(path.Connect(), CDataPath::kConnected);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    SListener listener(port);
    ASSERT_GE(listener.fd, 0) << "the port was taken meanwhile";
    EXPECT_EQ(ConnectWithin(path, 2000), CDataPath::kConnected);
    EXPECT_GE(listener.Accept(), 0);
}

TEST(SocketChannel, AHostThatDoesNotResolveLogsOnEveryPoll)
{
    SDataPathLog log{std::tmpfile()};
    ASSERT_NE(log.file, nullptr);
    CDataPathSockets path(&log);
    ASSERT_TRUE(path.InitClient("", 54321));   // fails in the resolver itself, without a lookup
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(path.Connect(), CDataPath::kConnectPending);
    EXPECT_FALSE(path.HasSocket());
    std::rewind(log.file);
    std::string text;
    for (int c; (c = std::fgetc(log.file)) != EOF;)
        text += char(c);
    std::fclose(log.file);
    size_t lines = 0;
    for (size_t at = 0; (at = text.find("Error at getaddrinfo(): ", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 3u) << text;
}

TEST(SocketChannel, APeerThatStopsReadingFailsTheSendAfterTwentyTimeouts)
{
    SListener listener(0, 4096);
    ASSERT_GE(listener.fd, 0);
    CDataPathSockets path(nullptr);
    path.SetSendTimeout(5);
    ASSERT_TRUE(path.InitClient("127.0.0.1", listener.port));
    ASSERT_EQ(ConnectWithin(path, 2000), CDataPath::kConnected);
    const int peer = listener.Accept();   // accepted, never read
    ASSERT_GE(peer, 0);
    const std::string big(64 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(path.RawSend(Bytes(big), u32(big.size())));
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_GE(spent, std::chrono::milliseconds(20 * 5));
    EXPECT_LT(spent, std::chrono::seconds(5));
    EXPECT_EQ(path.BytesSent(), 0u);   // counted only when a send completes
    close(peer);
}

TEST(SocketChannel, AdoptsAnAcceptedSocketButNotAnInvalidOne)
{
    CDataPathSockets server(nullptr);
    EXPECT_FALSE(server.InitWithSocket(nullptr));
    const int invalid = -1;
    EXPECT_FALSE(server.InitWithSocket(&invalid));

    SListener listener;
    CDataPathSockets client(nullptr);
    ASSERT_TRUE(client.InitClient("127.0.0.1", listener.port));
    ASSERT_EQ(ConnectWithin(client, 2000), CDataPath::kConnected);
    const int accepted = listener.Accept();
    ASSERT_TRUE(server.InitWithSocket(&accepted));
    EXPECT_TRUE(server.Write(Bytes("ping"), 4, true));
    u8 out[8];
    u32 got = 0;
    CDataPath::EReceiveResult r = CDataPath::kReceiveNothing;
    for (int i = 0; i < 200 && r == CDataPath::kReceiveNothing; ++i)
        r = client.RawRecv(out, sizeof out, &got);
    EXPECT_EQ(r, CDataPath::kReceiveData);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), got), "ping");
}

} // namespace
