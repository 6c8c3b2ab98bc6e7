// capture HOST PORT OUT.xqft [--record] [--play] [--seconds S]: a live capture without the dialog.
// Drives the viewer's capture thread: connects, asks for recording and running once the link is
// up (when given), and prints
//   link=N | record=N | app=N     every change of the three states, as it is seen
//   written=N                     the bytes in the current segment, at most ten times a second
//   end link=N record=N app=N written=N
// It ends with the link or after S seconds (then it stops the capture itself). Exit status 0 when
// the capture ended normally; 2 when the link never came up (the connection failed, or S seconds
// passed first: no file is left); 3 on a transfer or framing error, when the link closed inside a
// message (the trace ended early: that message was dropped, and a line says how many bytes), or
// when the link broke (a reset) instead of closing: what arrived is kept, the trace may end early.
// A stop after S seconds inside a message drops that message's bytes and says so.
#include "DumpCommand.h"

#include "NetworkProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

int Usage()
{
    fputs("usage: xqft-dump capture HOST PORT OUT.xqft [--record] [--play] [--seconds S]\n", stderr);
    return kDumpUsage;
}

bool ParseNumber(const std::string& text, double max, double* out)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !(v >= 0 && v <= max))
        return false;
    *out = v;
    return true;
}

int Run(const std::vector<std::string>& args)
{
    std::vector<std::string> words;
    bool record = false, play = false;
    double seconds = 0, port = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--record")
            record = true;
        else if (args[i] == "--play")
            play = true;
        else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!ParseNumber(args[++i], 1e6, &seconds))
                return Usage();
        } else
            words.push_back(args[i]);
    }
    if (words.size() != 3 || !ParseNumber(words[1], 65535, &port))
        return Usage();

    CNetworkProcess capture;
    if (!capture.Setup(CXQFTString(words[0].c_str()), u32(port), 1, CXQFTString(words[2].c_str()))) {
        fprintf(stderr, "ERROR: cannot open %s for writing\n", words[2].c_str());
        return kDumpUsage;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    capture.start();

    int32_t link = -1, recordState = -1, app = -1;
    uint64_t written = 0;
    Clock::time_point lastWritten = start;
    bool asked = false;
    auto report = [&](bool final) {
        const int32_t l = capture.GetLinkStatus(), r = capture.GetRecordState(), a = capture.GetAppState();
        if (l != link)
            printf("link=%d\n", link = l);
        if (r != recordState)
            printf("record=%d\n", recordState = r);
        if (a != app)
            printf("app=%d\n", app = a);
        const uint64_t w = capture.GetBytesWritten();
        if (w != written && (final || Clock::now() - lastWritten >= std::chrono::milliseconds(100))) {
            printf("written=%llu\n", static_cast<unsigned long long>(written = w));
            lastWritten = Clock::now();
        }
        fflush(stdout);
    };
    while (!capture.isFinished()) {
        report(false);
        if (!asked && link == kLinkUp) {
            asked = true;
            if (record)
                capture.StartRecording();
            if (play)
                capture.Play();
        }
        if (seconds > 0 && Clock::now() - start >= std::chrono::duration<double>(seconds)) {
            capture.RequestStop();
            capture.wait();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    capture.wait();
    report(true);
    printf("end link=%d record=%d app=%d written=%llu\n", capture.GetLinkStatus(), capture.GetRecordState(),
           capture.GetAppState(), static_cast<unsigned long long>(capture.GetBytesWritten()));
    if (!capture.Connected()) {
        fprintf(stderr, "ERROR: no connection to %s port %s: nothing was captured\n", words[0].c_str(),
                words[1].c_str());
        return 2;
    }
    if (capture.LinkBroken())
        fprintf(stderr, "ERROR: the connection to %s port %s broke: the %llu bytes captured are kept, the trace "
                        "may end early\n",
                words[0].c_str(), words[1].c_str(), static_cast<unsigned long long>(capture.GetBytesWritten()));
    if (capture.GetDroppedBytes() || capture.LinkBroken())
        return 3;
    switch (capture.GetLinkStatus()) {
    case kLinkFailed:
        return 2;
    case kLinkTransferError:
    case kLinkFramingError:
        return 3;
    default:
        return kDumpOk;
    }
}

} // namespace

XQFT_DUMP_COMMAND("capture", "HOST PORT OUT.xqft [--record] [--play] [--seconds S]", Run);
