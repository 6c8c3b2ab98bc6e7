#pragma once
// The trace file header: magic, byte-order marker, format version, flags and the type-size
// table. The layout of the fields after the data-included flag depends on the version.
#include <cstdint>
#include <vector>

class IOManager;

struct STraceHeader
{
    static constexpr uint32_t kOldestVersion = 7;
    static constexpr uint32_t kFirstVersionWithCount = 8;
    static constexpr uint32_t kFirstVersionWithFrameImage = 11;
    static constexpr uint32_t kByteOrderLittle = 0x0001FEFF;
    static constexpr uint32_t kByteOrderBig = 0xFFFE0100;

    uint8_t littleEndian = 0; // 1 when the marker was kByteOrderLittle; every field is LE anyway
    uint32_t version = 0;
    uint8_t dataIncluded = 0;
    uint8_t frameImage = 0;   // only stored from version 11 on
    uint32_t tableSelector = 0;
    uint8_t tableCount = 0;   // stored from version 8 on; version 7 derives it from the selector
    std::vector<int8_t> typeSizes;
    uint64_t firstRecordOffset = 0;
};

enum EHeaderStatus
{
    kHeaderOk,
    kHeaderBadMagic,
    kHeaderBadByteOrder,
    kHeaderBadVersion,
    kHeaderTruncated,  // the file ends inside the header or its type-size table
    kHeaderEmptyTable, // a table of no entries: no recorded value could be read
};

// Reads and checks the header from the start of the open stream; on kHeaderOk the stream
// stands at the first record.
EHeaderStatus ReadTraceHeader(IOManager& io, STraceHeader& out);

// The diagnostic of a status, ending in a line feed ("" for kHeaderOk).
const char* HeaderStatusText(EHeaderStatus status);
