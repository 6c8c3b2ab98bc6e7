// Whole files for the effect parser: the standard loader, refused files, the in-memory table
// and replaced loaders.
#include "ShaderTestSupport.h"
#include "XQFTResourceFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Restores the loader and the table after each test.
class ResourceFile : public ::testing::Test
{
protected:
    void TearDown() override
    {
        CXQFTResourceFile::LoadFileFunc = &CXQFTResourceFile::StandardLoad;
        CXQFTResourceFile::ReleaseFileFunc = &CXQFTResourceFile::StandardRelease;
        CXQFTMemoryFileSystem::RemoveAll();
    }
    CTempFolder m_dir;
};

int g_releases = 0;
bool CountingRelease(void* handle)
{
    ++g_releases;
    return CXQFTResourceFile::StandardRelease(handle);
}

} // namespace

TEST_F(ResourceFile, RegularEmptyMissingAndRefusedFiles)
{
    const std::string bytes("ab\0c", 4);
    {
        CXQFTResourceFile file(m_dir.Write("a.bin", bytes).c_str());
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(std::string(static_cast<const char*>(file.DataPtr()), file.Size()), bytes);
        file.Close();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.DataPtr(), nullptr);
        EXPECT_EQ(file.Size(), 0u);
    }
    ASSERT_EQ(mkfifo(m_dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(truncate(m_dir.Write("big", "").c_str(), off_t(300) << 20), 0);
    for (const std::string& path : {m_dir.Write("empty", ""), m_dir.File("missing"), m_dir.Path(),
                                    m_dir.File("fifo"), m_dir.File("big")}) {
        CXQFTResourceFile file(path.c_str());   // a FIFO must not block here
        EXPECT_FALSE(file.IsOpen()) << path;
        EXPECT_EQ(file.DataPtr(), nullptr) << path;
    }
}

TEST_F(ResourceFile, MemoryTableIsTheFallbackAndReadPathIsPrefixed)
{
    CXQFTMemoryFileSystem::AddFile("shaders/in-memory.fsh", "void main(){}", 13, true);
    static const char kStatic[] = "static";
    CXQFTMemoryFileSystem::AddFile("static.txt", kStatic, 6, false);
    CXQFTResourceFile::ReadPath = (m_dir.Path() + "/").c_str();
    {
        CXQFTResourceFile file("shaders/in-memory.fsh");   // not on disk below the read path
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(std::string(static_cast<const char*>(file.DataPtr()), file.Size()), "void main(){}");
        CXQFTResourceFile second("static.txt");
        EXPECT_EQ(second.DataPtr(), kStatic);
        m_dir.Write("static.txt", "on disk");
        CXQFTResourceFile disk("static.txt");   // the disk file wins
        EXPECT_EQ(std::string(static_cast<const char*>(disk.DataPtr()), disk.Size()), "on disk");
        CXQFTResourceFile none("shaders/other.fsh");
        EXPECT_FALSE(none.IsOpen());
    }
    CXQFTResourceFile::ReadPath = "";
    const void* data = nullptr;
    size_t size = 0;
    EXPECT_TRUE(CXQFTMemoryFileSystem::GetFile("static.txt", &data, nullptr));
    EXPECT_TRUE(CXQFTMemoryFileSystem::GetFile("static.txt", nullptr, &size));
    EXPECT_EQ(size, 6u);
    EXPECT_FALSE(CXQFTMemoryFileSystem::GetFile("STATIC.TXT", &data, &size));
}

TEST_F(ResourceFile, ReplacedLoaderAndShortRead)
{
    g_releases = 0;
    CXQFTResourceFile::ReleaseFileFunc = &CountingRelease;
    CXQFTResourceFile::LoadFileFunc = [](const char* path, void** data, size_t* size) -> void* {
        char* buffer = static_cast<char*>(malloc(4));
        memcpy(buffer, "abcd", 4);
        *data = buffer;
        *size = strcmp(path, "short") == 0 ? 0 : 4;   // "short": as after a short read, nothing usable
        return buffer;
    };
    {
        CXQFTResourceFile file("any");
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(std::string(static_cast<const char*>(file.DataPtr()), file.Size()), "abcd");
    }
    EXPECT_EQ(g_releases, 1);
    {
        CXQFTResourceFile file("short");
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(g_releases, 2);   // the unusable buffer is released at once, not leaked
    }
    EXPECT_EQ(g_releases, 2);

    CXQFTResourceFile::LoadFileFunc = [](const char*, void**, size_t* size) -> void* {
        *size = 0;   // a loader that gives up leaves the data pointer alone
        return nullptr;
    };
    CXQFTResourceFile::ReleaseFileFunc = nullptr;
    CXQFTResourceFile file(m_dir.Write("x", "x").c_str());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(CXQFTResourceFile::StandardRelease(nullptr));
}
