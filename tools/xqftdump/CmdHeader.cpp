// header FILE: the header fields, one name=value a line.
#include "DumpCommand.h"

#include "stream/IOManager.h"
#include "stream/TraceHeader.h"

#include <cstdio>

static int Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fputs("usage: xqft-dump header FILE\n", stderr);
        return kDumpUsage;
    }
    STraceHeader h;
    if (int status = OpenTrace(args[0], h))
        return status;
    printf("byte_order=%s\n", h.littleEndian ? "0x0001FEFF" : "0xFFFE0100");
    printf("version=%u\n", h.version);
    printf("data_included=%u\n", h.dataIncluded);
    printf("frame_image=%u\n", h.frameImage);
    printf("table_selector=%u\n", h.tableSelector);
    printf("table_count=%u\n", h.tableCount);
    printf("type_sizes=");
    for (size_t i = 0; i < h.typeSizes.size(); ++i)
        printf("%s%d", i ? "," : "", h.typeSizes[i]);
    printf("\nfirst_record_offset=%llu\n", static_cast<unsigned long long>(h.firstRecordOffset));
    printf("file_size=%llu\n", static_cast<unsigned long long>(IOManager::Instance().GetSize()));
    IOManager::Instance().Close();
    return kDumpOk;
}

XQFT_DUMP_COMMAND("header", "FILE", Run);
