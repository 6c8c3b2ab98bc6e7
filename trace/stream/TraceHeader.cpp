#include "TraceHeader.h"

#include "IOManager.h"

#include <cstdio>
#include <cstring>

namespace {

bool ReadU32(IOManager& io, uint32_t& v)
{
    unsigned char b[4];
    if (!io.Read(b, 4))
        return false;
    v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

} // namespace

EHeaderStatus ReadTraceHeader(IOManager& io, STraceHeader& out)
{
    out = STraceHeader();
    io.Seek(0, 0);

    char magic[8];
    if (!io.Read(magic, sizeof magic) || memcmp(magic, "XQFTrace", 8) != 0)
        return kHeaderBadMagic;

    uint32_t marker = 0;
    if (!ReadU32(io, marker))
        return kHeaderBadByteOrder;
    if (marker == STraceHeader::kByteOrderLittle)
        out.littleEndian = 1;
    else if (marker != STraceHeader::kByteOrderBig)
        return kHeaderBadByteOrder;

    if (!ReadU32(io, out.version) || out.version < STraceHeader::kOldestVersion)
        return kHeaderBadVersion;

    // From here a field that cannot be read means the file ends inside its header: reading it
    // as 0 would accept a header whose first record offset lies inside the header itself.
    if (!io.Read(&out.dataIncluded, 1))
        return kHeaderTruncated;
    if (out.version >= STraceHeader::kFirstVersionWithFrameImage && !io.Read(&out.frameImage, 1))
        return kHeaderTruncated;
    if (!ReadU32(io, out.tableSelector))
        return kHeaderTruncated;
    if (out.version >= STraceHeader::kFirstVersionWithCount) {
        if (!io.Read(&out.tableCount, 1))
            return kHeaderTruncated;
    } else {
        out.tableCount = out.tableSelector == 1 ? 28 : 27;
    }
    if (out.tableCount == 0)
        return kHeaderEmptyTable;
    out.typeSizes.resize(out.tableCount);
    if (!io.Read(out.typeSizes.data(), out.tableCount))
        return kHeaderTruncated;
    out.firstRecordOffset = io.Tell();
    return kHeaderOk;
}

const char* HeaderStatusText(EHeaderStatus status)
{
    switch (status) {
    case kHeaderOk: return "";
    case kHeaderBadMagic: return "Unrecognized file type.\n";
    case kHeaderBadByteOrder: return "Unsupported trace endianness.\n";
    case kHeaderBadVersion: return "Unsupported file format version...\n";
    case kHeaderTruncated: return "Truncated trace header.\n";
    case kHeaderEmptyTable: return "Empty type-size table.\n";
    }
    return "Unrecognized file type.\n";
}
