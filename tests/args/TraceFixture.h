#pragma once
// A trace file opened on the record stream, walked record by record with a CTrace set to each
// record's payload.
#include "record/Trace.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class CTraceFixture
{
public:
    ~CTraceFixture() { IOManager::Instance().Close(); }

    // Opens path and checks its header; false (with a gtest failure) otherwise.
    bool Open(const std::string& path)
    {
        IOManager& io = IOManager::Instance();
        if (!io.Open(CXQFTString(path.c_str()))) {
            ADD_FAILURE() << "cannot open " << path;
            return false;
        }
        if (ReadTraceHeader(io, m_header) != kHeaderOk) {
            ADD_FAILURE() << "bad header in " << path;
            return false;
        }
        m_records = std::make_unique<CRecordStream>(m_header.firstRecordOffset);
        m_trace = std::make_unique<CTrace>(m_header.version, m_header.dataIncluded, m_header.typeSizes.data(),
                                           m_header.tableCount);
        return true;
    }

    // Frames the next record and starts it in the record context; false at the end.
    bool Next(SRecordHeader& record)
    {
        if (m_records->NextRaw(record) != kRecordRead)
            return false;
        m_trace->SetRecordSize(record.size);
        return true;
    }

    CTrace& Trace() { return *m_trace; }
    const STraceHeader& Header() const { return m_header; }

private:
    STraceHeader m_header;
    std::unique_ptr<CRecordStream> m_records;
    std::unique_ptr<CTrace> m_trace;
};

// Little-endian payload building for hand-made records.
struct SBytes
{
    std::vector<uint8_t> b;
    SBytes& U8(uint8_t v) { b.push_back(v); return *this; }
    SBytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    SBytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    SBytes& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
    SBytes& Raw(const std::vector<uint8_t>& v) { b.insert(b.end(), v.begin(), v.end()); return *this; }
    SBytes& Record(uint16_t id, const SBytes& payload)
    {
        U32(uint32_t(payload.b.size())).U16(id);
        return Raw(payload.b);
    }
};

// A version 11 header with the given type-size table.
inline SBytes Header(const std::vector<int8_t>& typeSizes, uint8_t dataIncluded = 1)
{
    SBytes h;
    for (char c : std::string("XQFTrace"))
        h.U8(uint8_t(c));
    h.U32(0x0001FEFF).U32(11).U8(dataIncluded).U8(0).U32(1).U8(uint8_t(typeSizes.size()));
    for (int8_t s : typeSizes)
        h.U8(uint8_t(s));
    return h;
}

// 30 entries of a 32-bit device: 4 bytes each, GLboolean 1.
inline std::vector<int8_t> DefaultSizes()
{
    std::vector<int8_t> sizes(30, 4);
    sizes[13] = 1;
    return sizes;
}

inline std::string WriteFile(const std::string& name, const SBytes& bytes)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.b.data()), std::streamsize(bytes.b.size()));
    return path;
}
