// records-consumed FILE: builds the call object of every record, as the loader does, and reports
// the payload bytes it read against the payload size:
//   offset=O id=I size=S consumed=C name=NAME        one line per record with a call object
//   offset=O id=I size=S consumed=C error=TEXT       the record failed to read
// then "records=R short=K" where K counts records whose call read fewer bytes than their size.
#include "DumpCommand.h"
#include "RecordsConsumed.h"

#include "apicall/ApiCall.h"
#include "apicall/CallFactory.h"
#include "record/Trace.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

int RunRecordsConsumed(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fputs("usage: xqft-dump records-consumed FILE\n", stderr);
        return kDumpUsage;
    }
    STraceHeader h;
    if (int status = OpenTrace(args[0], h))
        return status;
    CTrace trace(h.version, h.dataIncluded, h.typeSizes.data(), h.tableCount);
    CRecordStream records(h.firstRecordOffset);
    SRecordHeader r;
    ERecordStep step;
    uint64_t count = 0, shortRecords = 0;
    while ((step = records.NextRaw(r)) == kRecordRead) {
        trace.SetRecordSize(r.size);
        std::string outcome;
        try {
            std::unique_ptr<CApiCall> call(CreateCallById(r.id, &trace));
            if (!call)
                continue;
            outcome = std::string("name=") + call->GetName();
        } catch (const std::exception& e) {
            outcome = std::string("error=") + e.what();
        }
        const uint64_t consumed = trace.GetRecordConsumed();
        ++count;
        shortRecords += consumed < r.size;
        printf("offset=%llu id=%u size=%u consumed=%llu %s\n", static_cast<unsigned long long>(r.offset), r.id,
               r.size, static_cast<unsigned long long>(consumed), outcome.c_str());
    }
    IOManager::Instance().Close();
    printf("records=%llu short=%llu\n", static_cast<unsigned long long>(count),
           static_cast<unsigned long long>(shortRecords));
    return step == kRecordsEnd ? kDumpOk : kDumpTruncated;
}

XQFT_DUMP_COMMAND("records-consumed", "FILE", RunRecordsConsumed);
