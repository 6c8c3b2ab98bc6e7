#include "CaptureParser.h"

#include <cstring>

using namespace capture;

CCaptureParser::CCaptureParser(SCaptureStates& states, CCaptureSink& sink)
    : m_states(states), m_sink(sink), m_buffer(new uint8_t[kCapacity])
{
}

void CCaptureParser::Start()
{
    m_fill = 0;
    m_states.link = kLinkUp;
    m_states.record = kRecordIdle;
    m_states.app = kAppUnknown;
}

CCaptureParser::EResult CCaptureParser::TransferError()
{
    m_states.record = kRecordError;
    m_states.link = kLinkTransferError;
    m_sink.OnTransferError();
    return kEnded;
}

uint32_t CCaptureParser::LinkClosed()
{
    const uint32_t dropped = m_states.link == kLinkUp ? m_fill : 0;
    m_fill = 0;
    if (m_states.link == kLinkUp)
        m_states.link = kLinkDown;
    return dropped;
}

CCaptureParser::EResult CCaptureParser::Commit(uint32_t count)
{
    if (m_states.link != kLinkUp)
        return kEnded;
    if (count > FreeSpace())
        return TransferError();
    m_fill += count;
    return Parse();
}

CCaptureParser::EResult CCaptureParser::Feed(const uint8_t* data, size_t size)
{
    if (m_states.link != kLinkUp)
        return kEnded;
    if (size > FreeSpace())
        return TransferError();
    if (size)
        std::memcpy(Tail(), data, size);
    return Commit(uint32_t(size));
}

// Moves the unconsumed tail to the front once per round rather than once per message.
void CCaptureParser::Consume(uint32_t consumed)
{
    if (consumed == 0)
        return;
    m_fill -= consumed;
    if (m_fill)
        std::memmove(m_buffer.get(), m_buffer.get() + consumed, m_fill);
}

CCaptureParser::EResult CCaptureParser::Ended(uint32_t consumed)
{
    Consume(consumed);
    return kEnded;
}

// A message that cannot be framed: while data flows the file is cut short (a transfer error),
// otherwise nothing was lost and the stream is only out of step (a framing error).
CCaptureParser::EResult CCaptureParser::BreakStream(bool dataFlowing)
{
    if (dataFlowing)
        return TransferError();
    m_states.link = kLinkFramingError;
    return kEnded;
}

// False when the output could not follow (the capture then ends with a transfer error).
bool CCaptureParser::Acknowledge(uint8_t command)
{
    switch (command) {
    case kCmdRun:
        m_states.app = kAppPlaying;
        return true;
    case kCmdPause:
        m_states.app = kAppPaused;
        if (m_states.record == kRecordReceiving) {
            // Flushed first: whoever sees the recording finished finds its bytes in the file.
            const bool flushed = m_sink.OnPaused();
            m_states.record = kRecordFinished;
            return flushed;
        }
        return true;
    case kCmdStopRecording:
        m_states.record = kRecordFinished;
        return m_sink.OnRecordingStopped();
    default:
        // '@' changes nothing; an acknowledgement of a command the viewer does not know is
        // skipped whole (its length is fixed), so it can neither stall nor repeat.
        return true;
    }
}

CCaptureParser::EResult CCaptureParser::Parse()
{
    if (m_states.link != kLinkUp)
        return kEnded;
    const uint8_t* buffer = m_buffer.get();
    uint32_t pos = 0;
    while (m_fill - pos >= 5) {
        const uint8_t* m = buffer + pos;
        const uint32_t available = m_fill - pos;
        if (m[0] != kMagic0 || m[1] != kMagic1) {
            BreakStream(m_states.record == kRecordReceiving);
            return Ended(pos);
        }
        switch (m[2]) {
        case kTypeAppWaiting:
            m_states.app = kAppWaiting;
            pos += 5;
            break;
        case kTypeKeepAlive:
            m_states.link = kLinkUp;
            pos += 5;
            break;
        case kTypeAck:
            if (available < 6) {
                Consume(pos);
                return kNeedMore;
            }
            pos += 6;
            if (!Acknowledge(m[3])) {
                TransferError();
                return Ended(pos);
            }
            break;
        case kTypeData: {
            m_states.record = kRecordReceiving;
            const uint32_t length = uint32_t(m[3]) | (uint32_t(m[4]) << 8);
            if (available < length + 6) {
                Consume(pos);
                return kNeedMore;
            }
            // The terminator is checked before the payload is stored: a message out of step
            // leaves nothing of itself in the file. The message is consumed whatever follows,
            // so its payload is never written twice.
            pos += length + 6;
            if (m[5 + length] != '%' || !m_sink.OnPayload(m + 5, length)) {
                TransferError();
                return Ended(pos);
            }
            if (m_fill > pos)
                m_sink.OnLeftover(m_fill - pos);
            break;
        }
        default:
            BreakStream(m_states.record == kRecordReceiving);
            return Ended(pos);
        }
    }
    Consume(pos);
    return kNeedMore;
}
