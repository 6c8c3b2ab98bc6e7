#include "NetworkProcess.h"

#include <QMutexLocker>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

using namespace capture;

namespace {
constexpr int kConnectRetries = 5;
constexpr size_t kFileBuffer = 256 * 1024;
// The leftover diagnostic comes at most this often: a stream of tiny messages would otherwise
// print a line for every one of them.
constexpr int64_t kLeftoverLineMs = 250;
enum ECommandIndex { kIndexStartRecording, kIndexStopRecording, kIndexRun, kIndexPause };

// Whether path can be opened for writing, without truncating it and without leaving a file that
// was not there.
bool CanWrite(const char* path)
{
    int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(path);
        return true;
    }
    if (errno != EEXIST)
        return false;
    fd = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);   // a FIFO without a reader must not hold the dialog
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int64_t SteadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

CNetworkProcess::CNetworkProcess() = default;

CNetworkProcess::~CNetworkProcess()
{
    RequestStop();
    wait();
    CloseOutput();
}

bool CNetworkProcess::Setup(const CXQFTString& host, u32 port, u8 saveFlag, const CXQFTString& outputPath)
{
    // Opening the file truncates it, and a running capture is writing it.
    if (isRunning() || port > 0xFFFF)
        return false;
    m_segment = 0;
    m_port = u16(port);
    m_saveFlag = saveFlag;
    m_host = host;
    m_channel.reset();
    m_stop = false;
    m_dropPayloads = false;
    m_connected = false;
    m_droppedBytes = 0;
    m_linkBroken = false;
    m_nextSegment.Clear();
    CloseOutput();
    m_bytesWritten = 0;
    m_bytesBuffered = 0;
    {
        QMutexLocker lock(&m_mutex);
        m_latestFile.Clear();
    }
    if (!CanWrite(outputPath.CStr()))
        return false;
    m_outputPath = outputPath;
    return true;
}

void CNetworkProcess::SetCommand(int index)
{
    if (m_states.link != kLinkUp)
        return;
    QMutexLocker lock(&m_mutex);
    m_commands[index] = true;
}

void CNetworkProcess::StartRecording()
{
    SetCommand(kIndexStartRecording);
}

void CNetworkProcess::StopRecording()
{
    SetCommand(kIndexStopRecording);
}

void CNetworkProcess::Play()
{
    if (m_states.app == kAppPlaying)
        return;
    SetCommand(kIndexRun);
}

void CNetworkProcess::Pause()
{
    SetCommand(kIndexPause);
}

void CNetworkProcess::run()
{
    m_states.link = kLinkDown;
    {
        QMutexLocker lock(&m_mutex);
        std::fill(std::begin(m_commands), std::end(m_commands), false);
    }
    m_channel.reset();
    m_connected = false;
    m_droppedBytes = 0;
    m_linkBroken = false;

    if (Connect()) {
        m_connected = true;
        m_parser.Start();
        if (!OpenOutput(m_outputPath.CStr())) {
            std::printf("Cannot open %s for writing\n", m_outputPath.CStr());
            std::fflush(stdout);
            m_parser.TransferError();
        }
        while (m_states.link == kLinkUp && !m_stop) {
            const uint64_t before = m_bytesBuffered;
            ProcessInput();
            // A round that brought no payload: the stream paused, and what came is put in the
            // file, so the count shown is what the file holds.
            if (!SyncOutput(m_bytesBuffered == before))
                m_parser.TransferError();
            SendCommands();
        }
        // Stopped by the user: the bytes of a message not yet whole go, and it is said, as the
        // file then ends before that message.
        if (m_states.link == kLinkUp) {
            if (const uint32_t partial = m_parser.LinkClosed()) {
                std::printf("Capture stopped inside a message: %u bytes dropped\n", unsigned(partial));
                std::fflush(stdout);
            }
        }
    }

    // Errors stay visible to the dialog; a capture that ended otherwise is just not connected.
    // Data the file could not take at its close is a transfer error like any failed write.
    if (!CloseOutput() && m_states.link != kLinkFailed) {
        m_states.record = kRecordError;
        m_states.link = kLinkTransferError;
    }
    const int32_t link = m_states.link;
    if (link == kLinkUp || link == kLinkConnecting)
        m_states.link = kLinkDown;
    {
        QMutexLocker lock(&m_mutex);
        std::fill(std::begin(m_commands), std::end(m_commands), false);
    }
    m_channel.reset();
    m_stop = false;
}

// Naps of 10 ms until the clock says the pause is over: summing the naps instead would stretch the
// pause by every late wake-up on a busy machine.
bool CNetworkProcess::SleepUnlessStopped(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!m_stop) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        QThread::msleep(unsigned(std::min<int64_t>(left.count(), 10)));
    }
    return !m_stop;
}

bool CNetworkProcess::Connect()
{
    m_channel = std::make_unique<CDataPathSockets>(&m_log);
    if (!m_channel->InitClient(m_host.CStr(), m_port)) {
        std::printf("Server connection failed\n");
        std::fflush(stdout);
        m_states.link = kLinkFailed;
        return false;
    }
    m_states.link = kLinkConnecting;
    CDataPath::EConnectResult result = m_channel->Connect();
    for (int i = 0; result != CDataPath::kConnected && i < kConnectRetries; ++i) {
        if (!SleepUnlessStopped(m_connectIntervalMs))
            return false;   // the user ended the capture: not a failed connection
        result = m_channel->Connect();
    }
    if (result == CDataPath::kConnected)
        return true;
    m_states.link = kLinkFailed;
    return false;
}

void CNetworkProcess::ProcessInput()
{
    // Receiving at most the free space keeps a fast sender from overflowing a buffer that holds
    // an unfinished message.
    const u32 room = m_parser.FreeSpace();
    if (room == 0) {
        m_parser.TransferError();
        return;
    }
    u32 got = 0;
    switch (const CDataPath::EReceiveResult result = m_channel->RawRecv(m_parser.Tail(), room, &got)) {
    case CDataPath::kReceiveError:
    case CDataPath::kReceiveClosed:
        // What the file holds stays whole (messages are written whole); a message cut by the
        // close is dropped, and said so: the trace it belongs to ended early. A reset is said
        // too: the device did not end the stream, so the trace may have ended early even
        // between messages.
        if (result == CDataPath::kReceiveError) {
            m_linkBroken = true;
            std::printf("Link broken (%s): what arrived before it is kept\n", m_channel->ReceiveErrorText());
            std::fflush(stdout);
        }
        m_droppedBytes = m_parser.LinkClosed();
        if (m_droppedBytes) {
            std::printf("Link closed inside a message: %u bytes dropped, the trace ended early\n",
                        unsigned(m_droppedBytes));
            std::fflush(stdout);
        }
        return;
    case CDataPath::kReceiveData:
        m_parser.Commit(got);
        return;
    case CDataPath::kReceiveNothing:
        m_parser.Parse();
        return;
    }
}

void CNetworkProcess::SendCommands()
{
    QMutexLocker lock(&m_mutex);
    bool sent = false;
    for (int i = 0; i < kCommandCount; ++i) {
        if (!m_commands[i])
            continue;
        m_commands[i] = false;
        const u8 message[3] = {kMagic0, kMagic1, kCommands[i]};
        m_channel->Write(message, sizeof message, true);
        sent = true;
    }
    if (sent && m_states.record == kRecordFinished)
        m_states.record = kRecordIdle;
}

bool CNetworkProcess::OpenOutput(const char* path)
{
    CloseOutput();
    m_bytesWritten = 0;
    m_bytesBuffered = 0;
    m_file = std::fopen(path, "wb");
    if (m_file) {
        std::setvbuf(m_file, nullptr, _IOFBF, kFileBuffer);
        m_lastSync = SteadyMilliseconds();
        QMutexLocker lock(&m_mutex);
        m_latestFile = CXQFTString(path);
    }
    return m_file != nullptr;
}

bool CNetworkProcess::CloseOutput()
{
    if (!m_file)
        return true;
    const bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (ok)
        m_bytesWritten = m_bytesBuffered;
    return ok;
}

bool CNetworkProcess::SyncOutput(bool quiet)
{
    if (!m_file || m_bytesBuffered == m_bytesWritten)
        return true;
    const int64_t now = SteadyMilliseconds();
    if (!quiet && now - m_lastSync < kSyncMs)
        return true;
    m_lastSync = now;
    if (std::fflush(m_file) != 0)
        return false;
    m_bytesWritten = m_bytesBuffered;
    return true;
}

CXQFTString CNetworkProcess::GetLatestFile() const
{
    QMutexLocker lock(&m_mutex);
    return m_latestFile;
}

// The segment is only named here: it is made when its first bytes arrive, so a capture that ends
// after a stop of recording leaves no empty file behind.
void CNetworkProcess::NextSegment()
{
    m_bytesWritten = 0;
    m_bytesBuffered = 0;
    // Segments stand beside the first file: ".xqft" is looked for in the file name only.
    const char* path = m_outputPath.CStr();
    const char* slash = std::strrchr(path, '/');
    const size_t nameStart = slash ? size_t(slash - path) + 1 : 0;
    const size_t at = m_outputPath.Find(CXQFTString(".xqft"), nameStart);
    if (at == CXQFTString::npos) {
        m_dropPayloads = true;
        return;
    }
    ++m_segment;
    const CXQFTString base = m_outputPath.Substring(0, at);
    m_nextSegment = StringFromFormat("%s_%d.xqft", base.CStr(), m_segment);
    m_dropPayloads = false;
}

bool CNetworkProcess::OnPayload(const uint8_t* data, uint32_t size)
{
    if (!m_saveFlag)
        return true;
    if (!m_file && !m_nextSegment.IsEmpty()) {
        if (size == 0)
            return true;
        const CXQFTString next = m_nextSegment;
        m_nextSegment.Clear();
        if (!OpenOutput(next.CStr()))
            return false;
    }
    if (!m_file)
        return m_dropPayloads;
    if (size && std::fwrite(data, 1, size, m_file) != size)
        return false;
    m_bytesBuffered += size;
    return true;
}

bool CNetworkProcess::OnPaused()
{
    return SyncOutput(true);
}

bool CNetworkProcess::OnRecordingStopped()
{
    const bool closed = CloseOutput();
    NextSegment();
    return closed;
}

void CNetworkProcess::OnTransferError()
{
    CloseOutput();
}

void CNetworkProcess::OnLeftover(uint32_t bytes)
{
    const int64_t now = SteadyMilliseconds();
    if (m_lastLeftoverLine && now - m_lastLeftoverLine < kLeftoverLineMs)
        return;
    m_lastLeftoverLine = now;
    std::printf("Buffer after processing: %u\n", unsigned(bytes));
}
