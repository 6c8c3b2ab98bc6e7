#include "Es2TestSupport.h"
#include "CallQueries.h"

#include "Es2Factory.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include "TestPaths.h"

namespace es2test {

namespace {

std::string TempPrefix() { return "xqft_es2_" + std::to_string(getpid()) + "_"; }

// Removes this process's temporary files and folders once every test has run.
class CTempFiles : public testing::Environment
{
public:
    void TearDown() override
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir(), error))
            if (entry.path().filename().string().rfind(TempPrefix(), 0) == 0)
                std::filesystem::remove_all(entry.path(), error);
    }
};
[[maybe_unused]] testing::Environment* const s_tempFiles = testing::AddGlobalTestEnvironment(new CTempFiles);

} // namespace

// Per process and test: the ES 2.0 test programs run side by side under ctest -j (and the plain
// and sanitizer builds may run at once).
std::string TempPath(const std::string& name)
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string tag = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    std::replace(tag.begin(), tag.end(), '/', '_');
    return testing::TempDir() + TempPrefix() + tag + "_" + name;
}

void Generate(const std::string& arguments)
{
    const std::string command = "python3 " + SourceDir() + "/tools/xqftgen.py " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<SReadCall> ReadEs2Trace(const std::string& path)
{
    std::vector<SReadCall> out;
    IOManager& io = IOManager::Instance();
    EXPECT_TRUE(io.Open(CXQFTString(path.c_str()))) << path;
    STraceHeader header;
    EXPECT_EQ(ReadTraceHeader(io, header), kHeaderOk);
    auto context = std::make_shared<CTrace>(header.version, header.dataIncluded, header.typeSizes.data(),
                                            header.tableCount);
    CRecordStream records(header.firstRecordOffset);
    SRecordHeader r;
    while (records.NextRaw(r) == kRecordRead) {
        context->SetRecordSize(r.size);
        SReadCall c;
        c.context = context;
        c.id = r.id;
        c.size = r.size;
        c.call.reset(CreateCallById(r.id, context.get()));
        c.consumed = context->GetRecordConsumed();
        out.push_back(std::move(c));
    }
    io.Close();
    return out;
}

std::vector<SRawRecord> RawRecords(const std::string& path, STraceHeader& header)
{
    std::vector<SRawRecord> out;
    IOManager& io = IOManager::Instance();
    EXPECT_TRUE(io.Open(CXQFTString(path.c_str()))) << path;
    EXPECT_EQ(ReadTraceHeader(io, header), kHeaderOk);
    CRecordStream records(header.firstRecordOffset);
    SRecordHeader r;
    while (records.NextRaw(r) == kRecordRead)
        out.push_back({r.id, r.offset + CRecordStream::kHeaderBytes, r.size});
    io.Close();
    return out;
}

CTraceCutter::CTraceCutter(const std::string& path)
{
    STraceHeader header;
    m_records = RawRecords(path, header);
    std::ifstream in(path, std::ios::binary);
    m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CTraceCutter::WriteBefore(uint32_t n, const std::string& out) const
{
    ASSERT_GE(n, 1u);
    ASSERT_LE(n, m_records.size());
    const size_t end = m_records[n - 1].payloadOffset - CRecordStream::kHeaderBytes;
    std::ofstream(out, std::ios::binary | std::ios::trunc).write(m_bytes.data(), std::streamsize(end));
}

SPayload& SPayload::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(v >> (8 * i)));
    return *this;
}

SPayload& SPayload::F(float v)
{
    uint32_t w;
    memcpy(&w, &v, 4);
    return U32(w);
}

SPayload& SPayload::Raw(const std::vector<uint8_t>& data)
{
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
}

SPayload& SPayload::Words(std::initializer_list<uint32_t> words)
{
    for (uint32_t w : words)
        U32(w);
    return *this;
}

SPayload& SPayload::Array(uint64_t pointer, std::initializer_list<uint32_t> words)
{
    return Ptr(pointer).U32(uint32_t(words.size())).Words(words);
}

SPayload& SPayload::String(uint64_t pointer, const std::string& text)
{
    Ptr(pointer).U32(uint32_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

SApplied Apply(const std::vector<SCall>& sequence, void* state, bool dataIncluded)
{
    SApplied out;
    for (const SCall& c : sequence) {
        SPayload p;
        p.U32(0);
        p.bytes.insert(p.bytes.end(), c.payload.bytes.begin(), c.payload.bytes.end());
        SReadCall r = BuildCall(c.id, p.bytes, dataIncluded);
        EXPECT_NE(r.call, nullptr) << c.id;
        out.results.push_back(r.call && r.call->ApplyEffect(state, 1));
        out.calls.push_back(std::move(r));
    }
    return out;
}

SPayload& SPayload::Ptr(uint64_t v)
{
    for (int i = 0; i < pointerWidth; ++i)
        bytes.push_back(uint8_t(v >> (8 * i)));
    return *this;
}

SPayload& SPayload::Block(uint64_t pointer, uint32_t size)
{
    Ptr(pointer).U32(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes.push_back(uint8_t(i));
    return *this;
}

namespace {

std::vector<uint8_t> Header(bool dataIncluded, int pointerWidth, bool frameImages = false)
{
    std::vector<uint8_t> h = {'X', 'Q', 'F', 'T', 'r', 'a', 'c', 'e'};
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.push_back(uint8_t(v >> (8 * i)));
    };
    u32(0x0001FEFF);
    u32(11);
    h.push_back(dataIncluded ? 1 : 0);
    h.push_back(frameImages ? 1 : 0);
    u32(1);         // table selector
    h.push_back(30);
    for (int code = 0; code < 30; ++code)
        h.push_back(code == 0 ? uint8_t(-pointerWidth) : 4);
    return h;
}

} // namespace

void WriteTrace(const std::string& path, const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& records,
                bool dataIncluded, int pointerWidth, bool frameImages)
{
    std::vector<uint8_t> file = Header(dataIncluded, pointerWidth, frameImages);
    for (const auto& [id, payload] : records) {
        for (int i = 0; i < 4; ++i)
            file.push_back(uint8_t(payload.size() >> (8 * i)));
        file.push_back(uint8_t(id));
        file.push_back(uint8_t(id >> 8));
        file.insert(file.end(), payload.begin(), payload.end());
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

SCall SwapBuffers(uint32_t frame, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba)
{
    SPayload p;
    p.Words({0x3000, 1, 1, 2, frame, width, height}).Ptr(rgba.empty() ? 0 : 0x1000).U32(uint32_t(rgba.size()));
    p.bytes.insert(p.bytes.end(), rgba.begin(), rgba.end());
    return {CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), p};
}

void WriteCalls(const std::string& path, const std::vector<SCall>& calls, bool dataIncluded, bool frameImages)
{
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> records;
    for (const SCall& c : calls) {
        SPayload p;
        if (c.id != CallIdOf(ECallFamily::Egl, "eglSwapBuffers"))
            p.U32(0);  // the recorded GL error
        p.bytes.insert(p.bytes.end(), c.payload.bytes.begin(), c.payload.bytes.end());
        records.emplace_back(c.id, std::move(p.bytes));
    }
    WriteTrace(path, records, dataIncluded, 4, frameImages);
}

SReadCall BuildCall(uint16_t id, const std::vector<uint8_t>& payload, bool dataIncluded, int pointerWidth,
                    uint32_t version, uint32_t declaredSize)
{
    std::vector<uint8_t> file = Header(dataIncluded, pointerWidth);
    const uint32_t size = declaredSize == UINT32_MAX ? uint32_t(payload.size()) : declaredSize;
    for (int i = 0; i < 4; ++i)
        file.push_back(uint8_t(size >> (8 * i)));
    file.push_back(uint8_t(id));
    file.push_back(uint8_t(id >> 8));
    file.insert(file.end(), payload.begin(), payload.end());
    const std::string path = TempPath("one.xqft");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());

    IOManager& io = IOManager::Instance();
    EXPECT_TRUE(io.Open(CXQFTString(path.c_str())));
    STraceHeader header;
    EXPECT_EQ(ReadTraceHeader(io, header), kHeaderOk);
    CRecordStream records(header.firstRecordOffset);
    SRecordHeader r;
    EXPECT_EQ(records.NextRaw(r), kRecordRead); // the stream stands at the payload
    SReadCall c;
    c.context = std::make_shared<CTrace>(version, header.dataIncluded, header.typeSizes.data(), header.tableCount);
    CTrace* context = c.context.get();
    context->SetRecordSize(size);
    c.id = id;
    c.size = size;
    try {
        c.call.reset(CreateCallById(id, context));
    } catch (...) {
        io.Close();
        throw;
    }
    c.consumed = context->GetRecordConsumed();
    io.Close();
    return c;
}

std::string Text(const SApiTypeBase* value)
{
    if (value == nullptr)
        return "-";
    CXQFTString text;
    value->ToString(text, nullptr);
    return text.CStr();
}

std::string Describe(CApiCall& call, uint8_t verbose)
{
    CGenCallInfo info;
    call.ListArguments(&info, verbose);
    std::string out = std::string(info.GetFunctionName()) + "(";
    const auto* args = info.GetArguments();
    for (size_t i = 0; args && i < args->size(); ++i) {
        if (i)
            out += ", ";
        if (i >= info.GetVisibleArgumentCount())
            out += "!";
        out += std::string(info.GetArgumentNames()[i].CStr()) + "=" + Text((*args)[i]);
    }
    return out + ") ==> " + Text(info.GetReturnValue());
}

std::string CaseName(const char* what)
{
    std::string name;
    for (const char* c = what; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

std::string WriteRaw(const std::string& name, const std::string& options)
{
    const std::string path = TempPath(name);
    Generate("raw " + path + " " + options);
    return path;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

SLoadedTrace LoadDescribed(const std::string& path)
{
    SLoadedTrace out;
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    out.result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    if (CTraceData* data = reader.GetTraceData())
        for (uint32_t i = 1; i <= data->GetCallCount(); ++i)
            out.calls.push_back(Describe(*data->GetCall(i)->call, 1));
    reader.Close();
    return out;
}

std::vector<std::vector<std::string>> ReadExpectations(const std::string& path)
{
    std::vector<std::vector<std::string>> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream s(line);
        for (std::string f; std::getline(s, f, '\t');)
            fields.push_back(f);
        out.push_back(fields);
    }
    return out;
}

std::string CommandOutput(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

std::string CaseName(const std::string& what)
{
    std::string name = what;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace es2test
