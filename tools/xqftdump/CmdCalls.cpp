// calls FILE --frame N | --all: one line per call from its description: "API name(arg=text, ...)
// ==> return" (no arrow when the function returns nothing). Hidden extras of the verbose
// description are not shown.
// --frame loads the trace as the viewer does and lists that frame. --all lists the records as the
// loader frames them, one call at a time: each call is made, listed and dropped, so the listing
// holds as little for a trace of millions of calls as for one of ten, and the exit status says
// where the records ended, as `records` does.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "apicall/ApiCall.h"
#include "apicall/CallArena.h"
#include "apicall/CallFactory.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "record/Trace.h"
#include "record/XqftError.h"
#include "stream/FileMapping.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/StreamExceptions.h"
#include "stream/TraceHeader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// Lines gather here and go out in blocks of this many bytes.
constexpr size_t kFlushAt = 1 << 16;
// The pages of the mapped file behind the walk are let go in steps of this many bytes: a mapping's
// pages count as the process's own once touched, and the walk never comes back to them.
constexpr uint64_t kReleaseStep = 8u << 20;

// Lets go of the mapped pages of [from, to), rounded inwards to whole pages; returns where the
// next release starts. The pages stay in the page cache: a later read maps them again.
uint64_t ReleaseWalked(const CFileMapping& mapping, uint64_t from, uint64_t to)
{
    const uint64_t page = uint64_t(sysconf(_SC_PAGESIZE));
    const uint64_t base = uint64_t(reinterpret_cast<uintptr_t>(mapping.Data()));
    const uint64_t begin = (base + from + page - 1) / page * page, end = (base + to) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), size_t(end - begin), MADV_DONTNEED);
    return end > begin ? end - base : from;
}

void AppendText(const SApiTypeBase* value, CXQFTString& scratch, std::string& out)
{
    value->ToString(scratch, nullptr);
    out.append(scratch.CStr(), scratch.Length());
}

void AppendCall(const CGenCallInfo& info, CXQFTString& scratch, std::string& out)
{
    out += info.GetApi() ? info.GetApi() : "-";
    out += ' ';
    out += info.GetFunctionName() ? info.GetFunctionName() : "?";
    out += '(';
    if (const auto* values = info.GetArguments()) {
        const size_t shown = std::min<size_t>(values->size(), info.GetVisibleArgumentCount());
        for (size_t i = 0; i < shown; ++i) {
            if (i)
                out += ", ";
            const CXQFTString& name = info.GetArgumentNames()[i];
            out.append(name.CStr(), name.Length());
            out += '=';
            AppendText((*values)[i], scratch, out);
        }
    }
    out += ')';
    if (const SApiTypeBase* ret = info.GetReturnValue()) {
        out += " ==> ";
        AppendText(ret, scratch, out);
    }
    out += '\n';
}

// Writes out when it holds a block (or always, when last), then empties it.
void Flush(std::string& out, bool last)
{
    if (out.size() < kFlushAt && !last)
        return;
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

int ListFrame(const std::string& path, long frame)
{
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    const int result = LoadForCommand(path);
    CTraceData* data = reader.GetTraceData();
    if (data == nullptr) {
        fprintf(stderr, "ERROR: %s: load result %d\n", path.c_str(), result);
        return LoadExitStatus(result, data);
    }
    if (!data->SetCurrentFrame(uint32_t(frame), true)) {
        ReportNotInTrace(path, "frame", frame);
        return result != 0 ? LoadExitStatus(result, data) : kDumpUsage;
    }
    std::string out;
    CXQFTString scratch;
    while (STraceCall* entry = data->GetNextCall()) {
        AppendCall(*entry->GetCallInfo(), scratch, out);
        Flush(out, false);
    }
    Flush(out, true);
    if (result != 0)
        fprintf(stderr, "ERROR: load result %d %s\n", result, reader.GetLastError().CStr());
    // The trace stays loaded: the process leaves without taking it apart (main.cpp).
    return LoadExitStatus(result, data);
}

int ListAll(const std::string& path)
{
    STraceHeader header;
    if (int status = OpenTrace(path, header))
        return status;
    IOManager& io = IOManager::Instance();
    // Captured blocks stay in the file, as in a load: a call points at them, and its listing shows
    // their size, not their bytes.
    const std::shared_ptr<CFileMapping> mapping = io.Mapping();
    CTrace trace(header.version, header.dataIncluded, header.typeSizes.data(), uint8_t(header.typeSizes.size()));
    if (mapping)
        trace.SetCapturedBytesSource(mapping, CTraceReader::kDefaultCopyBelow);
    const CCallArena::CScope heap(nullptr);  // each call is freed once listed

    CRecordStream records(header.firstRecordOffset);
    std::string out;
    CXQFTString scratch;
    int status = kDumpOk;
    uint64_t listed = 0, released = 0;
    try {
        for (;;) {
            if (mapping && records.Offset() - released >= kReleaseStep)
                released = ReleaseWalked(*mapping, released, records.Offset());
            SRecordHeader record;
            const ERecordStep step = records.Next(record);
            if (step == kRecordsEnd)
                break;
            if (step != kRecordRead) {
                fprintf(stderr, "ERROR: %s\n", records.Message());
                status = step == kRecordsMalformed ? kDumpMalformed : kDumpTruncated;
                break;
            }
            // A file cut while it is read shows as zeros from the cut on (stream/FileMapping.h).
            if (mapping && mapping->Damaged()) {
                fputs("ERROR: the trace file was cut or changed while it was read\n", stderr);
                status = kDumpMalformed;
                break;
            }
            trace.SetRecordSize(record.size);
            const std::unique_ptr<CApiCall> call(CreateCallById(record.id, &trace));
            if (!call)
                continue;
            CGenCallInfo info;
            call->ListArguments(&info, 1);
            AppendCall(info, scratch, out);
            Flush(out, false);
            ++listed;
        }
    } catch (const CStreamError& e) {
        fprintf(stderr, "ERROR: %s: %s\n", path.c_str(), e.what());
        status = kDumpUsage;
    } catch (const std::exception& e) {
        // The record's values do not hold together (a size past its record, a bad type code).
        fprintf(stderr, "ERROR: call %llu: %s\n", static_cast<unsigned long long>(listed + 1), e.what());
        status = kDumpBadHeader;
    }
    Flush(out, true);
    if (status == kDumpOk && mapping && !mapping->Check()) {
        fputs("ERROR: the trace file was cut or changed while it was read\n", stderr);
        status = kDumpMalformed;
    }
    io.Close();
    return status;
}

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long frame = 0;
    bool all = false, usage = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--all")
            all = true;
        else if (args[i] == "--frame" && i + 1 < args.size())
            usage |= !ParseNumber(args[++i], 1, UINT32_MAX, frame);
        else if (path.empty())
            path = args[i];
        else
            usage = true;
    }
    if (path.empty() || usage || all == (frame > 0)) {
        fputs("usage: xqft-dump calls FILE --frame N | --all\n", stderr);
        return kDumpUsage;
    }
    return all ? ListAll(path) : ListFrame(path, frame);
}

} // namespace

XQFT_DUMP_COMMAND("calls", "FILE --frame N | --all", Run);
