#pragma once
// Record framing over the open record stream: {u32 payload size, u16 id, payload}, each record
// starting where the previous one's payload ends. A record whose declared end lies beyond the
// end of the file is never handed out.
#include "XQFTString.h"

#include <cstdint>

struct SRecordHeader
{
    uint64_t offset = 0; // file offset of the record's 6-byte header
    uint32_t size = 0;   // payload bytes
    uint16_t id = 0;
};

enum ERecordStep
{
    kRecordRead,      // a record was framed; the stream stands at its payload
    kRecordsEnd,      // the last record ended exactly at the end of the file
    kRecordsTruncated, // a record's header or payload runs past the end of the file
    kRecordsMalformed, // a 64-bit record whose payload is not 8 bytes, or a marker with payload
};

class CRecordStream
{
public:
    static constexpr uint16_t kId64Bit = 1;
    static constexpr uint32_t kHeaderBytes = 6;
    static bool IsSectionMarker(uint16_t id) { return id >= 2 && id <= 4; }

    explicit CRecordStream(uint64_t firstRecordOffset) : m_offset(firstRecordOffset) {}

    // Frames the record at the current offset, whatever its id.
    ERecordStep NextRaw(SRecordHeader& record);

    // The loader's walk: a 64-bit record and up to two section markers in front of a record are
    // consumed here (each marker toggles the section flag); the record after them is handed out.
    // A third marker in a row, or a 64-bit record after a marker, is handed out as it is.
    ERecordStep Next(SRecordHeader& record);

    bool SectionFlag() const { return m_section; }
    // Offset of the next record to frame.
    uint64_t Offset() const { return m_offset; }
    // Why the walk stopped on truncation or a malformed record.
    const char* Message() const { return m_message.CStr(); }

private:
    uint64_t m_offset;
    bool m_section = false;
    CXQFTString m_message;
};
