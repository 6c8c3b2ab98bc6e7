// One input = the device's byte stream and how it was cut into receives. The first bytes choose
// the cut sizes; the rest is the stream. The parser must give the same payloads, events and states
// whether it gets the stream in those pieces or whole, and stay inside its buffer; a crash, a
// sanitizer report or a difference is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CaptureParser.h"

namespace {

struct SSink : CCaptureSink {
    std::string log;
    bool OnPayload(const uint8_t* data, uint32_t size) override
    {
        log += "D" + std::to_string(size) + ":";
        log.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    bool OnPaused() override { log += "P"; return true; }
    bool OnRecordingStopped() override { log += "S"; return true; }
    void OnTransferError() override { log += "E"; }
};

std::string Parse(const uint8_t* data, size_t size, const std::vector<size_t>& cuts, bool* ended)
{
    SCaptureStates states;
    SSink sink;
    CCaptureParser parser(states, sink);
    parser.Start();
    size_t at = 0;
    CCaptureParser::EResult last = CCaptureParser::kNeedMore;
    for (size_t i = 0; at < size; ++i) {
        const size_t n = i < cuts.size() ? std::min(cuts[i], size - at) : size - at;
        last = parser.Feed(data + at, n);
        at += n;
        if (parser.Buffered() > CCaptureParser::kCapacity)
            std::abort();
    }
    const int32_t link = states.link, record = states.record, app = states.app;
    if (link < 0 || link > 5 || record < 0 || record > 3 || app < 0 || app > 3)
        std::abort();
    if ((last == CCaptureParser::kEnded) != (link != kLinkUp))
        std::abort();
    *ended = last == CCaptureParser::kEnded;
    return sink.log + "|" + std::to_string(link) + std::to_string(record) + std::to_string(app) + "|" +
           std::to_string(parser.Buffered());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t cutCount = std::min<size_t>(data[0] % 16, size - 1);
    std::vector<size_t> cuts;
    for (size_t i = 0; i < cutCount; ++i)
        cuts.push_back(1 + data[1 + i] % 64);
    const uint8_t* stream = data + 1 + cutCount;
    const size_t length = size - 1 - cutCount;
    bool endedCut = false, endedWhole = false;
    const std::string cut = Parse(stream, length, cuts, &endedCut);
    const std::string whole = Parse(stream, length, {}, &endedWhole);
    // Once the capture ends, the bytes not yet fed stay outside the buffer, so only then may what
    // remains buffered differ; the messages acted on and the states never do.
    if (endedCut != endedWhole)
        std::abort();
    if (endedCut ? cut.substr(0, cut.rfind('|')) != whole.substr(0, whole.rfind('|')) : cut != whole)
        std::abort();
    return 0;
}
