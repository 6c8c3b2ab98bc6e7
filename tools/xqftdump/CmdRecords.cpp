// records FILE: one line per record as framed in the file, then end=ok|truncated|malformed.
#include "DumpCommand.h"

#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fputs("usage: xqft-dump records FILE\n", stderr);
        return kDumpUsage;
    }
    STraceHeader h;
    if (int status = OpenTrace(args[0], h))
        return status;
    CRecordStream records(h.firstRecordOffset);
    SRecordHeader r;
    ERecordStep step;
    while ((step = records.NextRaw(r)) == kRecordRead)
        printf("offset=%llu id=%u size=%u\n", static_cast<unsigned long long>(r.offset), r.id, r.size);
    IOManager::Instance().Close();
    switch (step) {
    case kRecordsTruncated:
        fprintf(stderr, "ERROR: %s\n", records.Message());
        puts("end=truncated");
        return kDumpTruncated;
    case kRecordsMalformed:
        fprintf(stderr, "ERROR: %s\n", records.Message());
        puts("end=malformed");
        return kDumpMalformed;
    default:
        puts("end=ok");
        return kDumpOk;
    }
}

XQFT_DUMP_COMMAND("records", "FILE", Run);
