#include "LoadFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include "TestPaths.h"

namespace {
class CCollect : public CBasicEvent
{
public:
    explicit CCollect(std::vector<std::string>& out) : m_out(out) {}
    void OnEvent(uint32_t, void* reader) override
    {
        m_out.push_back(static_cast<CTraceReader*>(reader)->GetStatusText().CStr());
    }

private:
    std::vector<std::string>& m_out;
};

std::filesystem::path RunFolder()
{
    return std::filesystem::temp_directory_path() / ("xqft-load-" + std::to_string(::getpid()));
}

// Removes this run's traces when the tests end.
class CCleanup : public ::testing::Environment
{
public:
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(RunFolder(), ignored);
    }
};
const auto* const kCleanup = ::testing::AddGlobalTestEnvironment(new CCleanup);

FILE* NullSink()
{
    static FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}
}  // namespace

std::string TempPath(const std::string& name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir =
        RunFolder() / (info ? std::string(info->test_suite_name()) + "." + info->name() : "none");
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

std::string GenerateTrace(const std::string& name, const std::string& args)
{
    const std::string out = TempPath(name);
    const std::string cmd = "python3 " + SourceDir() + "/tools/xqftgen.py " + args.substr(0, args.find(' ')) +
                            " '" + out + "'" + (args.find(' ') == std::string::npos ? "" : args.substr(args.find(' ')));
    return std::system(cmd.c_str()) == 0 ? out : std::string();
}

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

SLoad QuietLoad(const std::string& path)
{
    SLoad load;
    CCollect collect(load.progress);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(NullSink(), NullSink());
    reader.AddListener(CTraceReader::kProgressEvent, &collect);
    load.result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    reader.RemoveListener(CTraceReader::kProgressEvent);
    return load;
}
