// The device's byte stream cut into messages: what each kind of message does to the states and
// the output, and that the result does not depend on how the stream was split into receives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "CaptureParser.h"

namespace {

using Bytes = std::string;

Bytes Head(char type) { return Bytes("\x08" "D") + type; }
Bytes Short(char type) { return Head(type) + Bytes(2, '\0'); }       // keep-alive, waiting, unknown
Bytes Ack(char command) { return Head('!') + command + Bytes(2, '\0'); }
Bytes Data(const Bytes& payload, char terminator = '%')
{
    const size_t n = payload.size();
    return Head('1') + char(n & 0xFF) + char(n >> 8) + payload + terminator;
}
Bytes Payload(size_t n, char seed)
{
    Bytes p(n, '\0');
    for (size_t i = 0; i < n; ++i)
        p[i] = char(seed + i * 7);
    return p;
}

// Records what the parser reports; optionally refuses payloads as a full disk would.
struct SSink : CCaptureSink {
    Bytes written;
    std::vector<std::string> events;
    std::vector<uint32_t> leftovers;
    bool refuseWrites = false;
    bool OnPayload(const uint8_t* data, uint32_t size) override
    {
        if (refuseWrites)
            return false;
        written.append(reinterpret_cast<const char*>(data), size);
        events.push_back("data " + std::to_string(size));
        return true;
    }
    bool OnPaused() override { events.push_back("flush"); return true; }
    bool OnRecordingStopped() override { events.push_back("segment"); return true; }
    void OnTransferError() override { events.push_back("error"); }
    void OnLeftover(uint32_t bytes) override { leftovers.push_back(bytes); }
};

struct SOutcome {
    Bytes written;
    std::vector<std::string> events;
    int32_t link, record, app;
    CCaptureParser::EResult last;
};

// Feeds stream in chunks of the given sizes (the rest in one chunk) to a started parser.
SOutcome FeedInChunks(const Bytes& stream, const std::vector<size_t>& chunks)
{
    SCaptureStates states;
    SSink sink;
    CCaptureParser parser(states, sink);
    parser.Start();
    CCaptureParser::EResult last = CCaptureParser::kNeedMore;
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t n = i < chunks.size() ? std::min(chunks[i], stream.size() - at) : stream.size() - at;
        last = parser.Feed(reinterpret_cast<const uint8_t*>(stream.data() + at), n);
        at += n;
    }
    return {sink.written, sink.events, states.link, states.record, states.app, last};
}

struct SCase {
    const char* what;
    Bytes stream;
    Bytes written;
    std::vector<std::string> events;
    int32_t link, record, app;
};

std::vector<SCase> Cases()
{
    const Bytes p384 = Payload(0x0180, 1), big = Payload(65535, 3), a = Payload(40, 5), b = Payload(9, 9);
    return {
        {"a 0x0180-byte message carries 384 bytes and its '%'", Data(p384) + Short(' '), p384, {"data 384"},
         kLinkUp, kRecordReceiving, kAppUnknown},
        {"waiting, run and pause while data flows", Short('2') + Ack('B') + Data(a) + Data(b) + Ack('C'), a + b,
         {"data 40", "data 9", "flush"}, kLinkUp, kRecordFinished, kAppPaused},
        {"pause before any data flushes nothing", Ack('C'), "", {}, kLinkUp, kRecordIdle, kAppPaused},
        {"stop recording closes the segment", Ack('@') + Data(a) + Ack('A') + Data(b), a + b,
         {"data 40", "segment", "data 9"}, kLinkUp, kRecordReceiving, kAppUnknown},
        {"an unknown acknowledgement is skipped whole", Ack('Z') + Ack('D') + Data(a), a, {"data 40"}, kLinkUp,
         kRecordReceiving, kAppUnknown},
        {"lengths 0 and 65535", Data("") + Data(big), big, {"data 0", "data 65535"}, kLinkUp, kRecordReceiving,
         kAppUnknown},
        {"an unfinished message waits", Short('2') + Data(big).substr(0, 65540), "", {}, kLinkUp,
         kRecordReceiving, kAppWaiting},
        {"bad start bytes while idle: framing error", Short('2') + "\x07" "D 12" + Data(a), "", {},
         kLinkFramingError, kRecordIdle, kAppWaiting},
        {"bad start bytes mid-data: transfer error", Data(a) + "\x08" "E1" + Data(b), a, {"data 40", "error"},
         kLinkTransferError, kRecordError, kAppUnknown},
        {"an unknown type while idle: framing error", Short('x') + Data(a), "", {}, kLinkFramingError,
         kRecordIdle, kAppUnknown},
        {"an unknown type mid-data: transfer error", Data(a) + Short('x') + Data(b), a, {"data 40", "error"},
         kLinkTransferError, kRecordError, kAppUnknown},
        {"a missing '%' writes nothing of its message and ends", Data(a) + Data(b, '#') + Data(a), a,
         {"data 40", "error"}, kLinkTransferError, kRecordError, kAppUnknown},
    };
}

TEST(CaptureParser, EachMessageKindWholeAndSplitAnyWay)
{
    std::mt19937 random(7);
    for (const SCase& c : Cases()) {
        std::vector<size_t> ones(c.stream.size(), 1), randomSplit;
        for (size_t n = 0; n < c.stream.size(); n += randomSplit.back())
            randomSplit.push_back(1 + random() % 700);
        for (const auto& split : {std::vector<size_t>{}, ones, randomSplit}) {
            SCOPED_TRACE(std::string(c.what) + (split.empty() ? ", whole" : split == ones ? ", byte by byte" : ", random"));
            const SOutcome o = FeedInChunks(c.stream, split);
            EXPECT_TRUE(o.written == c.written) << o.written.size() << " bytes written";
            EXPECT_EQ(o.events, c.events);
            EXPECT_EQ(o.link, c.link);
            EXPECT_EQ(o.record, c.record);
            EXPECT_EQ(o.app, c.app);
            EXPECT_EQ(o.last, c.link == kLinkUp ? CCaptureParser::kNeedMore : CCaptureParser::kEnded);
        }
    }
}

TEST(CaptureParser, AnAcknowledgementCutAfterFiveBytesWaitsForItsSixth)
{
    SCaptureStates states;
    SSink sink;
    CCaptureParser parser(states, sink);
    parser.Start();
    const Bytes ack = Ack('B');
    EXPECT_EQ(parser.Feed(reinterpret_cast<const uint8_t*>(ack.data()), 5), CCaptureParser::kNeedMore);
    EXPECT_EQ(states.app, kAppUnknown);
    EXPECT_EQ(parser.Buffered(), 5u);
    EXPECT_EQ(parser.Feed(reinterpret_cast<const uint8_t*>(ack.data()) + 5, 1), CCaptureParser::kNeedMore);
    EXPECT_EQ(states.app, kAppPlaying);
    EXPECT_EQ(parser.Buffered(), 0u);
}

TEST(CaptureParser, BytesAfterADataMessageAreReportedAndKept)
{
    SCaptureStates states;
    SSink sink;
    CCaptureParser parser(states, sink);
    parser.Start();
    const Bytes stream = Data("abc") + Data("de").substr(0, 4);
    parser.Feed(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
    EXPECT_EQ(sink.leftovers, std::vector<uint32_t>{4});
    EXPECT_EQ(parser.Buffered(), 4u);
    EXPECT_EQ(sink.written, "abc");
}

TEST(CaptureParser, ALinkClosedInsideAMessageDropsItAndSaysHowMuch)
{
    for (const size_t cut : {size_t(0), size_t(3), size_t(7), size_t(12)}) {   // the message is 13 bytes
        SCOPED_TRACE(cut);
        SCaptureStates states;
        SSink sink;
        CCaptureParser parser(states, sink);
        parser.Start();
        const Bytes stream = Data("abc") + Data("defghij").substr(0, cut);
        parser.Feed(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
        EXPECT_EQ(parser.LinkClosed(), cut);
        EXPECT_EQ(states.link, kLinkDown);
        EXPECT_EQ(sink.written, "abc");
        EXPECT_EQ(parser.Buffered(), 0u);
        EXPECT_EQ(parser.LinkClosed(), 0u);   // told twice, reported once
    }
}

TEST(CaptureParser, OverflowRefusedWritesAndTheEndStopEverything)
{
    SCaptureStates states;
    SSink sink;
    CCaptureParser parser(states, sink);
    // Before the link is up nothing is taken.
    const Bytes ka = Short(' ');
    EXPECT_EQ(parser.Feed(reinterpret_cast<const uint8_t*>(ka.data()), ka.size()), CCaptureParser::kEnded);

    // More than the buffer holds.
    parser.Start();
    const Bytes start = Data(Payload(100, 2)).substr(0, 50);
    parser.Feed(reinterpret_cast<const uint8_t*>(start.data()), start.size());
    EXPECT_EQ(parser.FreeSpace(), CCaptureParser::kCapacity - 50);
    EXPECT_EQ(parser.Commit(parser.FreeSpace() + 1), CCaptureParser::kEnded);
    EXPECT_EQ(states.link, kLinkTransferError);
    EXPECT_EQ(states.record, kRecordError);
    EXPECT_EQ(sink.events, std::vector<std::string>{"error"});

    // After the end further bytes report nothing.
    const Bytes more = Data("xyz");
    EXPECT_EQ(parser.Feed(reinterpret_cast<const uint8_t*>(more.data()), more.size()), CCaptureParser::kEnded);
    EXPECT_TRUE(sink.written.empty());

    // A payload the output refuses (a full disk) is a transfer error, not a silent loss.
    sink = SSink();
    sink.refuseWrites = true;
    parser.Start();
    EXPECT_EQ(parser.Feed(reinterpret_cast<const uint8_t*>(more.data()), more.size()), CCaptureParser::kEnded);
    EXPECT_EQ(states.link, kLinkTransferError);
    EXPECT_EQ(states.record, kRecordError);
    EXPECT_EQ(sink.events, std::vector<std::string>{"error"});
}

} // namespace
