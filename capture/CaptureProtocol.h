#pragma once
// The live-capture protocol between the viewer (a TCP client) and the capture layer on the device.
// Every message starts with 0x08 'D'. The viewer sends 3-byte commands (0x08 'D' command); the
// device sends:
//   '1' data           0x08 'D' '1' lenLo lenHi payload[len] '%'   (len + 6 bytes)
//   '!' acknowledgement 0x08 'D' '!' command x x                   (6 bytes)
//   ' ' keep-alive     0x08 'D' ' ' x x                            (5 bytes)
//   '2' app waiting    0x08 'D' '2' x x                            (5 bytes)
// The data payloads, in order, are the trace file itself.
#include <atomic>
#include <cstdint>

namespace capture {

constexpr uint8_t kMagic0 = 0x08;
constexpr uint8_t kMagic1 = 'D';
constexpr uint16_t kDefaultPort = 54321;

// Message types sent by the device.
constexpr uint8_t kTypeData = '1';
constexpr uint8_t kTypeAck = '!';
constexpr uint8_t kTypeKeepAlive = ' ';
constexpr uint8_t kTypeAppWaiting = '2';

// Commands sent by the viewer, in the order pending ones leave.
constexpr uint8_t kCmdStartRecording = '@';
constexpr uint8_t kCmdStopRecording = 'A';
constexpr uint8_t kCmdRun = 'B';
constexpr uint8_t kCmdPause = 'C';
constexpr uint8_t kCmdD = 'D';   // a flag exists for it; nothing sets it
constexpr uint8_t kCmdE = 'E';   // likewise
constexpr uint8_t kCommands[] = {kCmdStartRecording, kCmdStopRecording, kCmdRun, kCmdPause, kCmdD, kCmdE};
constexpr int kCommandCount = sizeof kCommands;

} // namespace capture

// The state of the link to the device.
enum ELinkStatus : int32_t {
    kLinkUp = 0,             // connected, capture running
    kLinkDown = 1,           // not connected
    kLinkConnecting = 2,
    kLinkFailed = 3,         // the connection could not be made
    kLinkTransferError = 4,  // the data stream broke: the output file is incomplete
    kLinkFramingError = 5,   // a message the viewer does not understand while no data flowed
};

// What happens to the data of the current recording run.
enum ERecordState : int32_t {
    kRecordIdle = 0,
    kRecordReceiving = 1,
    kRecordFinished = 2,     // the segment was closed, or the application paused while data flowed
    kRecordError = 3,
};

// The device application as its notices and acknowledgements report it.
enum EAppState : int32_t {
    kAppWaiting = 0,
    kAppPlaying = 1,
    kAppPaused = 2,
    kAppUnknown = 3,
};

// The three states, written by the capture thread and read by the dialog without a lock.
struct SCaptureStates {
    std::atomic<int32_t> link{kLinkDown};
    std::atomic<int32_t> record{kRecordIdle};
    std::atomic<int32_t> app{kAppUnknown};
};
