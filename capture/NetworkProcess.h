#pragma once
// The capture thread. It connects to the capture layer on the device, appends the payloads of the
// device's data messages to the output trace file (each stop of recording closes the file and goes
// on in a numbered segment beside it, made when its first bytes arrive), follows the device's notices in three states, and sends the
// record, stop, run and pause commands the dialog asks for. The dialog's thread sets commands
// under the mutex and reads the states and the byte count (atomics) without it.
#include <QMutex>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "CaptureParser.h"
#include "DataPathSockets.h"
#include "XQFTString.h"

class CNetworkProcess : public QThread, private CCaptureSink
{
public:
    // While data flows, the buffered bytes reach the file at least this often.
    static constexpr int64_t kSyncMs = 200;

    CNetworkProcess();
    // Stops a running capture and waits for it: a running QThread must not be destroyed.
    ~CNetworkProcess() override;

    // Names the first output file for the next capture of host:port. The file is opened (and
    // truncated) only once the link comes up, so a capture that never connects leaves none. False
    // when the file cannot be written, the port is out of range, or a capture is running (it
    // writes the file).
    bool Setup(const CXQFTString& host, u32 port, u8 saveFlag, const CXQFTString& outputPath);

    // Commands for the device; each is taken only while the link is up. Play is not sent while the
    // application is playing.
    void StartRecording();
    void StopRecording();
    void Play();
    void Pause();

    int32_t GetLinkStatus() const { return m_states.link; }
    int32_t GetAppState() const { return m_states.app; }
    int32_t GetRecordState() const { return m_states.record; }
    // Bytes of the current segment that are in its file: the capture hands what it received to
    // the file at the latest when the stream pauses, and every kSyncMs while it flows.
    uint64_t GetBytesWritten() const { return m_bytesWritten; }
    const CXQFTString& GetOutputPath() const { return m_outputPath; }
    // The file of the latest recording run (the output path until a later segment received
    // bytes); empty before a capture opened one.
    CXQFTString GetLatestFile() const;
    // Whether the link of the last capture came up at all.
    bool Connected() const { return m_connected; }
    // The bytes of an unfinished message dropped when the link closed inside it: the trace ended
    // early. 0 when the capture ended between messages.
    uint32_t GetDroppedBytes() const { return m_droppedBytes; }
    // Whether the link broke (a reset or a receive error) instead of closing in order: the trace
    // may have ended early even when it ended between messages.
    bool LinkBroken() const { return m_linkBroken; }

    // The stop flag: the capture loop ends within one receive wait, the connect phase between polls.
    void RequestStop() { m_stop = true; }

    // Test seam: the pause between two connect polls (1000 ms).
    void SetConnectInterval(int milliseconds) { m_connectIntervalMs = milliseconds; }

protected:
    void run() override;

private:
    bool Connect();
    void ProcessInput();
    void SendCommands();
    void NextSegment();
    void SetCommand(int index);
    bool OpenOutput(const char* path);
    bool CloseOutput();
    // Hands the buffered bytes to the file when the stream went quiet or kSyncMs passed; false
    // when the file refused them.
    bool SyncOutput(bool quiet);
    bool SleepUnlessStopped(int milliseconds);

    bool OnPayload(const uint8_t* data, uint32_t size) override;
    bool OnPaused() override;
    bool OnRecordingStopped() override;
    void OnTransferError() override;
    void OnLeftover(uint32_t bytes) override;

    CXQFTString m_host;
    u16 m_port = 0;
    std::unique_ptr<CDataPathSockets> m_channel;
    SDataPathLog m_log;   // no file: the channel's lines reach standard output only
    u8 m_saveFlag = 1;
    std::atomic<bool> m_stop{false};
    SCaptureStates m_states;
    CCaptureParser m_parser{m_states, *this};

    FILE* m_file = nullptr;
    std::atomic<uint64_t> m_bytesWritten{0};
    uint64_t m_bytesBuffered = 0;   // given to the file's buffer, of the current segment
    int64_t m_lastSync = 0;         // steady-clock milliseconds of the last hand-over
    CXQFTString m_latestFile;       // guarded by m_mutex
    std::atomic<bool> m_connected{false};
    std::atomic<uint32_t> m_droppedBytes{0};
    std::atomic<bool> m_linkBroken{false};
    int64_t m_lastLeftoverLine = 0;   // steady-clock milliseconds of the last leftover line
    // After a stop of recording with no ".xqft" in the file name there is no next segment and
    // payloads are dropped; a segment that failed to open makes them fail instead.
    bool m_dropPayloads = false;
    // The segment the next payload bytes open (empty: none waits).
    CXQFTString m_nextSegment;
    CXQFTString m_outputPath;
    int m_segment = 0;

    mutable QMutex m_mutex;   // guards m_commands and m_latestFile
    bool m_commands[capture::kCommandCount] = {};
    int m_connectIntervalMs = 1000;
};
