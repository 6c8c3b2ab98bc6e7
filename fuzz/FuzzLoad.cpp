// One input = one trace file: load it, then walk what a viewer would touch. Any result code is
// fine; a crash, a sanitizer report, a leak or a result outside 0..5 is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The loader reads by path: give it an in-memory file, rewritten for every input.
    static const int fd = memfd_create("xqft-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    static FILE* sink = std::fopen("/dev/null", "w");
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();

    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(sink, sink);
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    if (result < 0 || result > 5)
        std::abort();
    if (CTraceData* trace = reader.GetTraceData()) {
        const int32_t frames = trace->GetFrameCount();
        for (int32_t f = 1; f <= frames; ++f) {
            trace->SetCurrentFrame(static_cast<uint32_t>(f), true);
            while (STraceCall* call = trace->GetNextCall()) {
                std::vector<CXQFTString> strings;
                call->GetCallInfo()->GetStrings(strings);
            }
        }
        SEs2State es2;
        trace->GetEs2StateAtCall(static_cast<int32_t>(trace->GetCallCount()) - 1, &es2);
        SEs1State es1;
        trace->GetEs1StateAtCall(static_cast<int32_t>(trace->GetCallCount()) - 1, &es1);
    }
    reader.Close();
    return 0;
}
