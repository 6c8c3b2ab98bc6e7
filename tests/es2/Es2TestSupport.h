#pragma once
// Fixtures of the ES 2.0 record tests: traces written by tools/xqftgen.py or built byte by byte,
// read record by record through the ES 2.0 factory without the loader.
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "record/Trace.h"
#include "stream/TraceHeader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace es2test {

// Runs tools/xqftgen.py with the arguments; fails the test when it does not exit with 0.
void Generate(const std::string& arguments);
std::string TempPath(const std::string& name);

struct SReadCall
{
    std::shared_ptr<CTrace> context; // the calls read through it keep using it
    uint16_t id = 0;
    uint32_t size = 0;         // payload size in the record header
    uint64_t consumed = 0;     // payload bytes the call object read
    std::unique_ptr<CApiCall> call;
};

// Every record of a trace, each built by CreateCallById with the record size set; the returned
// context must outlive the calls.
std::vector<SReadCall> ReadEs2Trace(const std::string& path);

// Every record of a trace as {id, file offset of its payload, payload size}.
struct SRawRecord
{
    uint16_t id;
    uint64_t payloadOffset;
    uint32_t size;
};
std::vector<SRawRecord> RawRecords(const std::string& path, STraceHeader& header);

// A trace on disk, to write copies of it cut before a call: the loader of a copy ends at the cut as
// at the end of a trace still being recorded.
class CTraceCutter
{
public:
    explicit CTraceCutter(const std::string& path);
    const std::vector<SRawRecord>& Records() const { return m_records; }
    // Writes to `out` the trace up to call n (1-based), n itself left out.
    void WriteBefore(uint32_t n, const std::string& out) const;

private:
    std::vector<SRawRecord> m_records;
    std::vector<char> m_bytes;
};

// Builds one call from raw payload bytes: writes a trace of that one record and reads it.
// version may be below 7 (the header is written with 7, the context gets version).
SReadCall BuildCall(uint16_t id, const std::vector<uint8_t>& payload, bool dataIncluded, int pointerWidth = 4,
                    uint32_t version = 11, uint32_t declaredSize = UINT32_MAX);

// Payload bytes in the widths of a table whose entries are 4 bytes except the pointer's.
struct SPayload
{
    explicit SPayload(int pointerWidth_ = 4) : pointerWidth(pointerWidth_) {}
    int pointerWidth;
    std::vector<uint8_t> bytes;
    SPayload& U32(uint32_t v);
    SPayload& F(float v);
    SPayload& Raw(const std::vector<uint8_t>& data);
    SPayload& Words(std::initializer_list<uint32_t> words);
    // A counted array of 32-bit words: pointer, u32 count, the words.
    SPayload& Array(uint64_t pointer, std::initializer_list<uint32_t> words);
    // A string block: pointer, u32 length, the characters.
    SPayload& String(uint64_t pointer, const std::string& text);
    SPayload& Ptr(uint64_t v);
    // A block: pointer, u32 size, size bytes.
    SPayload& Block(uint64_t pointer, uint32_t size);
};

std::string Text(const SApiTypeBase* value);

// Writes a trace of the given records {id, payload} (a format version 11 header).
void WriteTrace(const std::string& path, const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& records,
                bool dataIncluded, int pointerWidth = 4, bool frameImages = false);

// A call of a state sequence: id and payload after the recorded error (which is 0).
struct SCall
{
    uint16_t id;
    SPayload payload;
};
// Builds each call and applies it to `state`, in order; returns the calls (the state may point
// into their captured bytes) and each UpdateState result.
struct SApplied
{
    std::vector<SReadCall> calls;
    std::vector<bool> results;
};
SApplied Apply(const std::vector<SCall>& sequence, void* state, bool dataIncluded = true);

// eglSwapBuffers as recorded from format version 10 (its payload is whole), with a frame image of
// width x height RGBA pixels, bottom row first, or none.
SCall SwapBuffers(uint32_t frame = 1, uint32_t width = 0, uint32_t height = 0, const std::vector<uint8_t>& rgba = {});
// Writes a trace of the calls, each ES 2.0 call recorded without error (a version 11 header, with
// the frame-image flag when frameImages is set).
void WriteCalls(const std::string& path, const std::vector<SCall>& calls, bool dataIncluded = true,
                bool frameImages = false);

// The description of a call as one line: "name(arg=text, ...) ==> ret", hidden ones as !name.
std::string Describe(CApiCall& call, uint8_t verbose);

// Writes tools/xqftgen.py's `raw` trace (a header and hand-given records) with the options.
std::string WriteRaw(const std::string& name, const std::string& options);
// Payload bytes as the hexadecimal text of a `raw` record.
std::string Hex(const std::vector<uint8_t>& bytes);

// A trace loaded as the viewer loads it: the result code and each call's verbose description.
struct SLoadedTrace
{
    int result = -1;
    std::vector<std::string> calls;
};
SLoadedTrace LoadDescribed(const std::string& path);

// The tab-separated fields of each line of a listing the generator wrote with --expect.
std::vector<std::vector<std::string>> ReadExpectations(const std::string& path);

// What a shell command writes on its standard output.
std::string CommandOutput(const std::string& command);

// A case's description as a gtest name: characters gtest does not take become '_'.
std::string CaseName(const std::string& what);

// A test case's description as a test name (letters and digits, words joined by '_'), so a failing
// case of a table names what it checks.
std::string CaseName(const char* what);

} // namespace es2test
