#pragma once
// Splits the device's byte stream into messages and acts on each whole one. The capture thread
// only moves bytes: it receives into Tail() (at most FreeSpace() bytes) and commits them, or feeds
// copies; the parser keeps the unfinished tail of the stream, reports payloads and file events to
// its sink, writes the three states, and answers whether it needs more bytes or the capture ends.
// No sockets, no Qt: the fuzz target and the tests drive it with plain byte chunks.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "CaptureProtocol.h"

// What the parser asks of the output side. Every call comes from the parser's own thread.
class CCaptureSink
{
public:
    virtual ~CCaptureSink() = default;
    // The payload of one data message, in arrival order. False when it could not be stored.
    virtual bool OnPayload(const uint8_t* data, uint32_t size) = 0;
    // The application paused while data flowed: what arrived so far must reach the disk.
    virtual bool OnPaused() = 0;
    // Recording stopped: the current segment is complete; later data goes to the next one.
    virtual bool OnRecordingStopped() = 0;
    // The data stream broke: the capture ends and the output is closed as it stands.
    virtual void OnTransferError() = 0;
    // Bytes that follow a data message in the buffer (a diagnostic).
    virtual void OnLeftover(uint32_t bytes) {}
};

class CCaptureParser
{
public:
    // The most the parser buffers; a data message is at most 65535 + 6 bytes.
    static constexpr uint32_t kCapacity = 0x100000;

    enum EResult {
        kNeedMore,   // every whole message was handled; the rest waits for more bytes
        kEnded,      // the link status is no longer "up": the capture must end
    };

    CCaptureParser(SCaptureStates& states, CCaptureSink& sink);

    // The link came up: nothing buffered, link up, record idle, application not known yet.
    void Start();

    uint8_t* Tail() { return m_buffer.get() + m_fill; }
    uint32_t FreeSpace() const { return kCapacity - m_fill; }
    uint32_t Buffered() const { return m_fill; }

    // count bytes were placed at Tail(): parse them with what was buffered. More than
    // FreeSpace() is an overflow (a transfer error).
    EResult Commit(uint32_t count);
    // Copies data to Tail() and commits it.
    EResult Feed(const uint8_t* data, size_t size);
    // Parses what is buffered (nothing new arrived).
    EResult Parse();
    // The data stream broke (more bytes than the buffer holds, a message out of step, output
    // that could not be stored): record and link show a transfer error, the sink is told.
    EResult TransferError();
    // The peer closed the link (or it broke): the link goes down and an unfinished message is
    // dropped. Returns the bytes dropped, 0 when the stream ended between messages.
    uint32_t LinkClosed();

private:
    bool Acknowledge(uint8_t command);
    EResult BreakStream(bool dataFlowing);
    EResult Ended(uint32_t consumed);
    void Consume(uint32_t consumed);

    SCaptureStates& m_states;
    CCaptureSink& m_sink;
    std::unique_ptr<uint8_t[]> m_buffer;
    uint32_t m_fill = 0;
};
