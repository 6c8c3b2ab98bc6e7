#pragma once
// The process-wide trace loader: opens a trace file, checks its header, walks its records into
// a fresh CTraceData and reports progress to listeners of event 0 (argument: the reader).
// Every failure ends as a result code; nothing leaves LoadTrace as an exception.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "XQFTString.h"
#include "data/Events.h"
#include "data/TraceData.h"

class CTrace;
class CFileMapping;

enum ELoadResult : int
{
    kLoadOk = 0,           // loaded, at least one call
    kLoadOutOfMemory = 1,  // ran out of memory; the last tenth of the frames was dropped
    kLoadBadFormat = 2,    // header rejected, a malformed value or an unknown type code
    kLoadStoppedEarly = 3, // truncated last record, malformed framing, or the memory limit
    kLoadNoTrace = 4,      // the file did not open, or it holds no call
    kLoadFailed = 5,       // any other failure (I/O error)
};

// What the application tells the user about a result.
const char* LoadResultMessage(int result);

class CTraceReader
{
public:
    static constexpr uint32_t kProgressEvent = 0;
    // Below this many bytes a captured block is copied: see bench_captured's copy threshold figures.
    static constexpr uint32_t kDefaultCopyBelow = 64;

    static CTraceReader& Instance();

    bool AddListener(uint32_t id, CBasicEvent* listener);
    void RemoveListener(uint32_t id);

    // loadAll is accepted for the callers' sake; every load reads the whole file, unless it is
    // limited (LimitNextLoad).
    int LoadTrace(const CXQFTString& path, uint8_t loadAll = 1);
    // The next load stops once it holds `calls` calls, or once frame `frames` has ended (0: no such
    // limit); the limit holds for that one load. The trace then holds the calls up to there with the
    // frames and states they make, and still says whether the whole file holds ES 1.1 and ES 2.0
    // calls: the records past the limit are looked at for that (until both are found), not kept.
    // For the command-line tools, which look at one call or frame of a trace.
    void LimitNextLoad(uint32_t calls, uint32_t frames)
    {
        m_callLimit = calls;
        m_frameLimit = frames;
    }
    // The loaded trace rewound to its first frame; null when none is held.
    CTraceData* GetTraceData();
    void Close();

    // Reads and checks the header of the open stream and keeps its fields.
    bool ReadHeader();
    // ReadHeader, then the offset of the first record; 0 when the header is rejected.
    uint64_t GetFirstRecordOffset();

    // The walk over the open stream: 0 all read (or the load's limit reached), 1 memory limit,
    // 3 stopped early. maxCalls 0 reads to the end; n stops after n calls.
    int ProcessRecords(uint32_t maxCalls);

    // The progress record listeners read.
    uint64_t GetProgress() const { return m_progress; }
    uint64_t GetTotal() const { return m_total; }
    const CXQFTString& GetStatusText() const { return m_statusText; }

    // Whether the loads that follow track the API states (on by default). Off only to measure
    // what tracking costs a load: the frames then carry the initial states.
    void SetStateTracking(bool on) { m_stateTracking = on; }
    // Captured bytes of at least this many bytes stay in the trace file (a view of its mapping);
    // smaller ones are copied. kCopyAllCaptured copies every block, as loads did before the
    // mapping (the benchmark compares both).
    static constexpr uint32_t kCopyAllCaptured = UINT32_MAX;
    void SetCopyBelow(uint32_t bytes) { m_copyBelow = bytes; }

    // Header fields of the last load.
    uint32_t GetVersion() const { return m_version; }
    uint8_t IsDataIncluded() const { return m_dataIncluded; }
    uint8_t GetFrameImageFlag() const { return m_frameImage; }
    // Why the last load did not end with result 0 ("" when it did, or when it found no call).
    const CXQFTString& GetLastError() const { return m_lastError; }
    // Whether the last load stopped at a record framed wrongly (a marker with payload, a 64-bit
    // record of another size) rather than one running past the end of the file.
    bool StoppedAtMalformedRecord() const { return m_malformedRecord; }
    // Whether the last load stopped because the file was cut or changed while it was read.
    bool StoppedAtChangedFile() const { return m_changedFile; }
    // Whether the last load stopped at the memory limit (kMemoryLimitKiB committed).
    bool StoppedAtMemoryLimit() const { return m_memoryLimit; }

    // Where the loader's diagnostic lines go (standard output and error by default).
    void SetLog(FILE* out, FILE* err);
    // Replaces the committed-memory query of the guard (tests); null restores the default.
    void SetMemoryProbe(std::function<int64_t()> probeKiB);

private:
    CTraceReader();
    ~CTraceReader();
    CTraceReader(const CTraceReader&) = delete;
    CTraceReader& operator=(const CTraceReader&) = delete;

    void SendProgress(const char* text);
    // After a limited load: notes the APIs of the calls past the limit until both are seen.
    void NoteApisPast(class CRecordStream& records, class CRecordReadAhead& readAhead);

    uint64_t m_progress = 0;
    uint64_t m_total = 0;
    CXQFTString m_statusText;
    CXQFTString m_workingText;
    CXQFTString m_lastError;
    bool m_malformedRecord = false;
    bool m_memoryLimit = false;
    bool m_changedFile = false;
    std::unique_ptr<CTrace> m_trace;
    std::unique_ptr<CTraceData> m_data;
    uint8_t m_littleEndian = 0;
    uint32_t m_version = 0;
    uint8_t m_dataIncluded = 0;
    uint8_t m_frameImage = 0;
    uint32_t m_tableSelector = 0;
    std::vector<int8_t> m_typeSizes;
    uint64_t m_firstRecord = 0;
    bool m_progressEvents = false;
    bool m_stateTracking = true;
    uint32_t m_copyBelow = kDefaultCopyBelow;
    uint32_t m_callLimit = 0;
    uint32_t m_frameLimit = 0;
    std::shared_ptr<CFileMapping> m_mapping;
    FILE* m_out = stdout;
    FILE* m_err = stderr;
    std::function<int64_t()> m_memoryProbe;
};
