#include "data/TraceReader.h"

#include <new>
#include <utility>
#include <stdexcept>

#include "apicall/ApiCall.h"
#include "apicall/CallArena.h"
#include "apicall/CallFactory.h"
#include "data/MemoryGuard.h"
#include "record/Trace.h"
#include "record/XqftError.h"
#include "stream/FileMapping.h"
#include "stream/IOManager.h"
#include "stream/RecordReadAhead.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

const char* LoadResultMessage(int result)
{
    switch (result) {
    case kLoadOk: return "";
    case kLoadOutOfMemory:
    case kLoadStoppedEarly: return "Unexpected end reading trace file.\n Try to open the processed calls.";
    case kLoadBadFormat:
    case kLoadNoTrace: return "Bad Formatted file.";
    default: return "An exception occurred";
    }
}

CTraceReader& CTraceReader::Instance()
{
    static CTraceReader instance;
    return instance;
}

CTraceReader::CTraceReader() = default;

CTraceReader::~CTraceReader()
{
    // Call objects refer to the record context and point into the mapping: the trace goes first.
    m_data.reset();
    m_trace.reset();
    m_mapping.reset();
}

bool CTraceReader::AddListener(uint32_t id, CBasicEvent* listener)
{
    CEventManager::Instance().AddListener(id, listener);
    return true;
}

void CTraceReader::RemoveListener(uint32_t id)
{
    CEventManager::Instance().RemoveListener(id);
}

void CTraceReader::SetLog(FILE* out, FILE* err)
{
    m_out = out ? out : stdout;
    m_err = err ? err : stderr;
}

void CTraceReader::SetMemoryProbe(std::function<int64_t()> probeKiB)
{
    m_memoryProbe = std::move(probeKiB);
}

CTraceData* CTraceReader::GetTraceData()
{
    if (m_data)
        m_data->Rewind();
    return m_data.get();
}

void CTraceReader::Close()
{
    IOManager::Instance().Close();
    m_data.reset();
    m_trace.reset();
    m_mapping.reset();
    m_typeSizes.clear();
}

void CTraceReader::SendProgress(const char* text)
{
    m_workingText = text;
    m_statusText = m_workingText;
    m_progress = m_total = 100;
    CEventManager::Instance().Dispatch(kProgressEvent, this);
}

bool CTraceReader::ReadHeader()
{
    STraceHeader header;
    const EHeaderStatus status = ReadTraceHeader(IOManager::Instance(), header);
    if (status != kHeaderOk) {
        m_lastError = HeaderStatusText(status);
        if (m_lastError.Length() && m_lastError.At(m_lastError.Length() - 1) == '\n')
            m_lastError.Erase(m_lastError.Length() - 1);
        std::fputs("ERROR: ", m_err);
        std::fputs(HeaderStatusText(status), m_err);
        std::fputs("\n", m_out);
        return false;
    }
    m_littleEndian = header.littleEndian;
    m_version = header.version;
    m_dataIncluded = header.dataIncluded;
    m_frameImage = header.frameImage;
    m_tableSelector = header.tableSelector;
    m_typeSizes = std::move(header.typeSizes);
    m_firstRecord = header.firstRecordOffset;
    return true;
}

uint64_t CTraceReader::GetFirstRecordOffset()
{
    return ReadHeader() ? m_firstRecord : 0;
}

int CTraceReader::LoadTrace(const CXQFTString& path, uint8_t /*loadAll*/)
{
    IOManager& io = IOManager::Instance();
    const auto dropAll = [&](const char* what) {
        m_lastError = what;
        std::fprintf(m_out, "Exception: %s\n", what);
        std::fprintf(m_err, "%s\n", what);
        io.Close();
        Close();
        return kLoadBadFormat;
    };
    const auto failed = [&] {
        m_lastError = "An exception occurred";
        io.Close();
        std::fputs("An exception occurred\n", m_err);
        return kLoadFailed;
    };
    try {
        if (m_data || m_trace)
            Close();
        m_littleEndian = 0;
        m_version = m_tableSelector = 0;
        m_dataIncluded = m_frameImage = 0;
        m_typeSizes.clear();
        m_lastError.Clear();
        m_malformedRecord = false;
        m_memoryLimit = false;
        m_changedFile = false;
        m_progressEvents = true;
        // A limit holds for one load, whatever becomes of it.
        struct SLimitOnce
        {
            CTraceReader& reader;
            ~SLimitOnce() { reader.m_callLimit = reader.m_frameLimit = 0; }
        } limitOnce{*this};
        m_workingText = "Reading File";
        m_statusText = m_workingText;
        m_total = 100;
        m_progress = 0;

        std::fprintf(m_out, "Opening Trace file: %s\n", path.CStr());
        if (!io.Open(path)) {
            m_lastError.Format("cannot open %s: %s", path.CStr(), io.LastError());
            return kLoadNoTrace;
        }
        // Not even the header's page may read the file around it (the walk asks for what it reads).
        if (m_copyBelow != kCopyAllCaptured && io.Mapping())
            io.Mapping()->SetSparseReads(true);
        std::fprintf(m_out, "Trace file open : %s\n", path.CStr());
        SendProgress("File Read");
        m_progress = 0;

        if (GetFirstRecordOffset() == 0) {
            io.Close();
            return kLoadBadFormat;
        }
        m_data = std::make_unique<CTraceData>();
        m_data->SetStateTracking(m_stateTracking);
        std::fputs("Processing File\n", m_out);
        const uint32_t callLimit = std::exchange(m_callLimit, 0);
        const int walk = ProcessRecords(callLimit);
        // At the memory limit the call table is not copied to its size: the copy would take as much
        // again as the table, past the limit.
        if (walk != 1)
            m_data->Compact();
        else
            m_data->Arena().Trim();
        std::fprintf(m_out, "Process File.. Finish: %d\n", walk);
        io.Close();
        if (walk != 0) {
            SendProgress("Trace Error");
            return kLoadStoppedEarly;
        }
        SendProgress("Trace Processed");
        return m_data->GetCallCount() == 0 ? kLoadNoTrace : kLoadOk;
    } catch (const CXqftSizeError& e) {
        // A size that does not fit its record: nothing of the trace stays loaded.
        return dropAll(e.what());
    } catch (const std::logic_error& e) {
        // A length the library itself refused (length_error and its kind) is a size fault too.
        return dropAll(e.what());
    } catch (const std::bad_alloc& e) {
        m_lastError = e.what();
        std::fprintf(m_out, "Exception: %s\n", e.what());
        std::fprintf(m_err, "%s\n", e.what());
        io.Close();
        if (m_data) {
            // Give back the last tenth of the frames, but never the first frame.
            const int32_t frames = m_data->GetFrameCount();
            const uint32_t from = static_cast<uint32_t>(frames * 0.9);
            m_data->DropFramesFrom(from < 2 ? 2 : from);
        }
        return kLoadOutOfMemory;
    } catch (const CStreamError&) {
        // The file failed beneath the reader: a failed load, as for any exception not of the data.
        return failed();
    } catch (const CXqftError& e) {
        // Any other fault of the recorded data: the calls read so far stay.
        m_lastError = e.what();
        io.Close();
        std::fprintf(m_out, "Exception: %s\n", e.what());
        std::fprintf(m_err, "%s\n", e.what());
        return kLoadBadFormat;
    } catch (...) {
        return failed();
    }
}

void CTraceReader::NoteApisPast(CRecordStream& records, CRecordReadAhead& readAhead)
{
    // Only the ids are read, but for extension calls, whose record names the API they were made on.
    const CCallArena::CScope heap(nullptr);  // the calls made here are not kept
    while (!(m_data->HasEs1() && m_data->HasEs2()) && records.Offset() < m_total) {
        SRecordHeader record;
        readAhead.Before(records.Offset());  // a trace of one API is looked at to its end
        if (records.Next(record) != kRecordRead)
            return;
        const ECallFamily family = CallFamilyOf(record.id, m_version);
        if (family == ECallFamily::Es1) {
            m_data->NoteStateKind(kApiEs1);
        } else if (family == ECallFamily::Es2) {
            m_data->NoteStateKind(kApiEs2);
        } else if (family == ECallFamily::Ext) {
            m_trace->SetRecordSize(record.size);
            const std::unique_ptr<CApiCall> call(CreateCallById(record.id, m_trace.get()));
            if (call)
                m_data->NoteStateKind(call->GetStateKind());
        }
    }
}

int CTraceReader::ProcessRecords(uint32_t maxCalls)
{
    IOManager& io = IOManager::Instance();
    const uint64_t fileSize = io.GetSize();
    m_total = fileSize;
    m_trace = std::make_unique<CTrace>(m_version, m_dataIncluded, m_typeSizes.data(),
                                       static_cast<uint8_t>(m_typeSizes.size()));
    // Captured bytes stay in the file: calls point into its mapping, which the trace keeps.
    m_mapping = io.Mapping();
    if (m_copyBelow != kCopyAllCaptured)
        m_trace->SetCapturedBytesSource(m_mapping, m_copyBelow);
    m_data->SetCapturedBytesSource(m_mapping);
    m_data->Init(fileSize, m_dataIncluded, m_frameImage);
    CRecordStream records(m_firstRecord);
    if (records.Offset() >= fileSize)
        return 0;

    uint32_t added = 0;
    uint32_t guardedAt = 0xFFFFFFFFu;  // the call count at the last memory query
    bool section = false;
    // The walk reads the records and steps over the captured blocks they carry: only the runs of
    // records are read from disk, not the blocks between them. Copying every block reads it all.
    CRecordReadAhead readAhead(m_copyBelow != kCopyAllCaptured ? m_mapping.get() : nullptr, records.Offset());
    // The record bytes come from copies of the runs it reads, not from the mapping's pages.
    struct SRunReads
    {
        IOManager& io;
        ~SRunReads() { io.ReadRunsFrom(nullptr); }
    } const runReads{io};
    if (readAhead.Active())
        io.ReadRunsFrom(&readAhead);
    // The call objects live as long as the trace: they are made in its arena.
    const CCallArena::CScope arena(&m_data->Arena());
    for (;;) {
        // Query the system once per thousand calls, not once per record.
        if (added % 1000 == 0 && added != guardedAt) {
            guardedAt = added;
            m_data->Arena().SetProgress(records.Offset() - m_firstRecord, fileSize - m_firstRecord);
            const int64_t kib = m_memoryProbe ? m_memoryProbe() : CommittedMemoryKiB();
            if (kib > kMemoryLimitKiB) {
                m_memoryLimit = true;
                m_lastError.Format("the memory limit (%lld MiB committed) was reached after %u calls, in frame %d",
                                   static_cast<long long>(kMemoryLimitKiB / 1024), added,
                                   m_data->GetCurrentFrameNumber());
                std::fprintf(m_err, "ERROR: %s\n", m_lastError.CStr());
                return 1;
            }
        }
        SRecordHeader record;
        readAhead.Before(records.Offset());
        const ERecordStep step = records.Next(record);
        if (step == kRecordsEnd)
            return 0;
        if (step != kRecordRead) {
            m_lastError = records.Message();
            m_malformedRecord = step == kRecordsMalformed;
            std::fprintf(m_err, "ERROR: %s\n", records.Message());
            return 3;
        }
        if (m_mapping) {
            // A file cut while it is read shows as zeros from the cut on (stream/FileMapping.h):
            // the walk stops at the first record after it.
            if (m_mapping->Damaged()) {
                m_changedFile = true;
                m_lastError = "the trace file was cut or changed while it was read";
                std::fprintf(m_err, "ERROR: %s\n", m_lastError.CStr());
                return 3;
            }
            // Record headers are what tells a file that grew from one that was rewritten. Their
            // bytes are put together from the header read, not taken from the mapping: the walk
            // reads copies of the runs and touching the mapping's pages would fault them in.
            const uint8_t header[CRecordStream::kHeaderBytes] = {
                uint8_t(record.size), uint8_t(record.size >> 8), uint8_t(record.size >> 16),
                uint8_t(record.size >> 24), uint8_t(record.id), uint8_t(record.id >> 8)};
            m_mapping->AddSample(record.offset, header, CRecordStream::kHeaderBytes);
        }
        section = records.SectionFlag();
        m_trace->SetRecordSize(record.size);
        CApiCall* call = CreateCallById(record.id, m_trace.get());
        if (call) {
            m_data->AddCall(call, 0, section ? 1 : 0);
            ++added;
            const uint64_t offset = records.Offset();
            if (m_progressEvents && m_total > 0 &&
                float(offset) / float(m_total) > float(m_progress) / float(m_total) + 0.01f) {
                m_workingText.Format("Frame: %d  @ ", m_data->GetCurrentFrameNumber());
                m_workingText.Append(call->GetName());
                m_workingText.Append(" ");
                m_statusText = m_workingText;
                m_progress = offset;
                CEventManager::Instance().Dispatch(kProgressEvent, this);
            }
            if ((maxCalls != 0 && added == maxCalls) ||
                (m_frameLimit != 0 && m_data->GetFrameRecordCount() > m_frameLimit)) {
                NoteApisPast(records, readAhead);
                return 0;
            }
        }
        if (records.Offset() >= fileSize)
            return 0;
    }
}
