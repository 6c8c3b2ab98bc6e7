#include "RecordStream.h"

#include "IOManager.h"

ERecordStep CRecordStream::NextRaw(SRecordHeader& record)
{
    IOManager& io = IOManager::Instance();
    const uint64_t fileSize = io.GetSize();
    if (m_offset >= fileSize)
        return kRecordsEnd;
    io.Seek(static_cast<int64_t>(m_offset), 0);
    unsigned char h[kHeaderBytes];
    if (!io.Read(h, kHeaderBytes)) {
        m_message.Format("record header at offset %llu runs past the end of the file (%llu bytes)",
                         static_cast<unsigned long long>(m_offset),
                         static_cast<unsigned long long>(fileSize));
        return kRecordsTruncated;
    }
    record.offset = m_offset;
    record.size = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    record.id = static_cast<uint16_t>(h[4] | h[5] << 8);
    const uint64_t end = m_offset + kHeaderBytes + record.size;
    if (end > fileSize) {
        m_message.Format("record %u at offset %llu declares %u payload bytes and would end at %llu, "
                         "beyond the end of the file (%llu bytes)",
                         record.id, static_cast<unsigned long long>(m_offset), record.size,
                         static_cast<unsigned long long>(end), static_cast<unsigned long long>(fileSize));
        return kRecordsTruncated;
    }
    // Both walks must agree on where the next record starts, so the fixed-size records are held
    // to their size rather than read "directly behind" a size that says otherwise.
    if ((record.id == kId64Bit && record.size != 8) || (IsSectionMarker(record.id) && record.size != 0)) {
        m_message.Format("%s record %u at offset %llu has %u payload bytes, not %u",
                         record.id == kId64Bit ? "64-bit" : "section marker", record.id,
                         static_cast<unsigned long long>(m_offset), record.size,
                         record.id == kId64Bit ? 8u : 0u);
        return kRecordsMalformed;
    }
    m_offset = end;
    return kRecordRead;
}

ERecordStep CRecordStream::Next(SRecordHeader& record)
{
    ERecordStep step = NextRaw(record);
    if (step != kRecordRead)
        return step;
    if (record.id == kId64Bit) {
        step = NextRaw(record);
        if (step != kRecordRead)
            return step;
    }
    for (int markers = 0; markers < 2 && IsSectionMarker(record.id); ++markers) {
        m_section = !m_section;
        step = NextRaw(record);
        if (step != kRecordRead)
            return step;
    }
    return kRecordRead;
}
