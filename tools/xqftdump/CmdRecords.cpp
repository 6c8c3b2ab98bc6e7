// records FILE: one line per record as framed in the file, then end=ok|truncated|malformed.
// records --consumed FILE: the payload bytes each record's call object read (see RecordsConsumed.h).
#include "DumpCommand.h"
#include "RecordsConsumed.h"

#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    if (!args.empty() && args[0] == "--consumed")
        return RunRecordsConsumed(std::vector<std::string>(args.begin() + 1, args.end()));
    if (args.size() == 2 && args[1] == "--consumed")
        return RunRecordsConsumed({args[0]});
    if (args.size() != 1) {
        fputs("usage: xqft-dump records [--consumed] FILE\n", stderr);
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

XQFT_DUMP_COMMAND("records", "[--consumed] FILE", Run);
