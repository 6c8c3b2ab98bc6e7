// The windowed reader with a window far smaller than the file, so that reads straddle its edges.
#include "TempFile.h"
#include "stream/IOManager.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

constexpr uint64_t kWindow = 64;

unsigned char Pattern(uint64_t i)
{
    return static_cast<unsigned char>((i * 7 + 3) ^ (i >> 8));
}

std::vector<unsigned char> PatternBytes(size_t n)
{
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = Pattern(i);
    return v;
}

class StreamWindow : public ::testing::Test
{
protected:
    void SetUp() override { MemoryManager::Instance().SetCapacity(kWindow); }
    void TearDown() override
    {
        IOManager::Instance().Close();
        MemoryManager::Instance().SetCapacity(MemoryManager::kDefaultCapacity);
    }
    IOManager& io = IOManager::Instance();
};

} // namespace

// Every start offset against reads below, at and above the window size, and past the end.
TEST_F(StreamWindow, EveryOffsetAndSize)
{
    const size_t size = 1000;
    CTempFile file(PatternBytes(size));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    EXPECT_EQ(io.GetSize(), size);
    const uint64_t sizes[] = {0, 1, 2, 4, 6, 63, 64, 65, 200, 999, 1000};
    std::vector<unsigned char> buf(size + 8);
    for (uint64_t at = 0; at <= size; ++at) {
        for (uint64_t n : sizes) {
            ASSERT_EQ(io.Seek(static_cast<int64_t>(at), 0), at);
            buf.assign(buf.size(), 0xEE);
            bool fits = at + n <= size;
            ASSERT_EQ(io.Read(buf.data(), n), fits) << "at " << at << " n " << n;
            if (!fits) {
                EXPECT_EQ(io.Tell(), at) << "a refused read must not move";
                EXPECT_EQ(buf[0], 0xEE) << "a refused read must not write";
                continue;
            }
            EXPECT_EQ(io.Tell(), at + n);
            for (uint64_t i = 0; i < n; ++i)
                ASSERT_EQ(buf[i], Pattern(at + i)) << "at " << at << " n " << n << " i " << i;
        }
    }
}

TEST_F(StreamWindow, SequentialReadsAcrossEdges)
{
    const size_t size = 777;
    CTempFile file(PatternBytes(size));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    uint64_t at = 0;
    unsigned char buf[300];
    const uint64_t steps[] = {4, 2, 6, 63, 1, 130, 5, 64, 3};
    for (size_t k = 0; at < size; ++k) {
        uint64_t n = std::min<uint64_t>(steps[k % 9], size - at);
        ASSERT_TRUE(io.Read(buf, n));
        for (uint64_t i = 0; i < n; ++i)
            ASSERT_EQ(buf[i], Pattern(at + i));
        at += n;
        ASSERT_EQ(io.Tell(), at);
    }
    unsigned char b;
    EXPECT_FALSE(io.Read(&b, 1)); // at the end: refused, not stale window bytes
}

TEST_F(StreamWindow, LoadsAndSeeks)
{
    MemoryManager& mm = MemoryManager::Instance();
    {
        // Smaller than the window: one load, the fill is the file size.
        CTempFile small(PatternBytes(40));
        ASSERT_TRUE(io.Open(small.Path().c_str()));
        uint64_t loads = mm.WindowLoads();
        unsigned char buf[40];
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(io.Read(buf, 4));
        EXPECT_EQ(mm.WindowFill(), 40u);
        EXPECT_EQ(mm.WindowLoads(), loads);
        EXPECT_FALSE(io.Read(buf, 1)); // past the end but inside the window's capacity
    }
    CTempFile file(PatternBytes(300));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    uint64_t loads = mm.WindowLoads();
    // Exactly window start + capacity: only the position moves; the next read reloads there.
    EXPECT_EQ(io.Seek(static_cast<int64_t>(kWindow), 0), kWindow);
    EXPECT_EQ(mm.WindowLoads(), loads);
    unsigned char b = 0;
    ASSERT_TRUE(io.Read(&b, 1));
    EXPECT_EQ(b, Pattern(kWindow));
    EXPECT_EQ(mm.WindowLoads(), loads + 1);
    EXPECT_EQ(mm.WindowStart(), kWindow);
    // A seek back inside the window needs no load.
    io.Seek(kWindow + 10, 0);
    ASSERT_TRUE(io.Read(&b, 1));
    EXPECT_EQ(mm.WindowLoads(), loads + 1);

    // Origins: 2 counts back from the end (0 is the end itself), 1 is relative, may be negative.
    EXPECT_EQ(io.Seek(0, 2), 300u);
    EXPECT_EQ(io.Seek(-100, 1), 200u);
    EXPECT_EQ(io.Seek(0, 1), 200u);
    EXPECT_EQ(io.Seek(10, 2), 290u);
    EXPECT_EQ(io.Tell(), 290u);
    // A read larger than the window goes straight to the file and leaves the window alone.
    std::vector<unsigned char> big(250);
    io.Seek(20, 0);
    uint64_t start = mm.WindowStart();
    ASSERT_TRUE(io.Read(big.data(), big.size()));
    EXPECT_EQ(big[249], Pattern(269));
    EXPECT_EQ(mm.WindowStart(), start);
    EXPECT_EQ(io.Tell(), 270u);
}

TEST_F(StreamWindow, DefaultWindowServesLargeReads)
{
    MemoryManager::Instance().SetCapacity(MemoryManager::kDefaultCapacity);
    // A 4096x4096 RGBA texture is 64 MiB, three times the window.
    const size_t size = 3 * MemoryManager::kDefaultCapacity + 1234;
    CTempFile file(PatternBytes(size));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    std::vector<unsigned char> buf(size - 10);
    io.Seek(5, 0);
    ASSERT_TRUE(io.Read(buf.data(), buf.size()));
    EXPECT_EQ(buf.front(), Pattern(5));
    EXPECT_EQ(buf.back(), Pattern(size - 6));
    EXPECT_EQ(io.Tell(), size - 5);
}

TEST_F(StreamWindow, SeekOutsideTheFileThrows)
{
    CTempFile file(PatternBytes(100));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    struct Case { int64_t offset; int origin; } cases[] = {
        {101, 0}, {-1, 0}, {101, 2}, {-1, 2}, {-101, 1}, {INT64_MAX, 1}, {INT64_MIN, 2},
    };
    for (const auto& c : cases) {
        io.Seek(0, 0);
        try {
            io.Seek(c.offset, c.origin);
            ADD_FAILURE() << "no throw for " << c.offset << "/" << c.origin;
        } catch (const MemoryManagerException& e) {
            EXPECT_EQ(e.Code(), kStreamSeekRange);
        }
        EXPECT_EQ(io.Tell(), 0u);
    }
}

// Files that cannot be read as traces: Open says false, nothing crashes.
TEST_F(StreamWindow, OpenRefusals)
{
    CTempFile empty;
    EXPECT_FALSE(io.Open(empty.Path().c_str()));
    EXPECT_STREQ(io.LastError(), "empty file");
    EXPECT_FALSE(io.Open("/nonexistent/dir/file.xqft"));
    EXPECT_FALSE(io.Open("/tmp"));
    EXPECT_STREQ(io.LastError(), "is a directory");
    unsigned char b;
    EXPECT_FALSE(io.Read(&b, 1)); // nothing open
    EXPECT_FALSE(io.Read(&b, 0));
    try {
        MemoryManager::Instance().Open(empty.Path().c_str());
        ADD_FAILURE() << "an empty file must not open";
    } catch (const MemoryManagerException& e) {
        EXPECT_EQ(e.Code(), kStreamEmptyFile);
    }
}

TEST_F(StreamWindow, UnreadableFile)
{
    CTempFile file(PatternBytes(10));
    ASSERT_EQ(chmod(file.Path().c_str(), 0), 0);
    // Root reads anything: check as an unprivileged user in a child process.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(2);
        _exit(IOManager::Instance().Open(file.Path().c_str()) ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "an unreadable file must not open";
}

// A file that shrinks under the reader: the reload comes up short, an I/O error that the
// record stream throws on instead of serving garbage.
TEST_F(StreamWindow, FileShrinksWhileOpen)
{
    CTempFile file(PatternBytes(1000));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    ASSERT_EQ(truncate(file.Path().c_str(), 100), 0);
    io.Seek(500, 0);
    unsigned char b[4];
    try {
        io.Read(b, 4);
        ADD_FAILURE() << "no throw";
    } catch (const IOManagerException& e) {
        EXPECT_EQ(e.Code(), kStreamIoError);
    }
}

// Both stream exceptions are trace-model errors: a catcher of CXqftError (or std::exception) gets
// them, with the code's text.
TEST_F(StreamWindow, StreamFailuresAreTraceErrors)
{
    CTempFile file(PatternBytes(1000));
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    unsigned char b[4];
    const std::function<void()> failures[] = {
        [&] { io.Seek(2000, 0); },  // MemoryManagerException
        [&] {                       // IOManagerException: the file shrinks under the reader
            ASSERT_EQ(truncate(file.Path().c_str(), 100), 0);
            io.Seek(500, 0);
            io.Read(b, 4);
        },
    };
    const uint32_t codes[] = {kStreamSeekRange, kStreamIoError};
    for (size_t i = 0; i < std::size(failures); ++i) {
        try {
            failures[i]();
            ADD_FAILURE() << "no throw in case " << i;
        } catch (const CXqftError& e) {
            EXPECT_STREQ(e.what(), StreamErrorText(codes[i])) << i;
            const auto* stream = dynamic_cast<const CStreamError*>(&e);
            ASSERT_NE(stream, nullptr) << i;
            EXPECT_EQ(stream->Code(), codes[i]) << i;
        }
    }
}

// Offsets beyond 4 GiB in a sparse file (no disk used).
TEST_F(StreamWindow, OffsetsBeyondFourGiB)
{
    CTempFile file;
    const uint64_t at = (5ull << 30) + 3;
    FILE* f = fopen(file.Path().c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fseeko(f, static_cast<off_t>(at), SEEK_SET), 0);
    fputs("tail", f);
    fclose(f);
    ASSERT_TRUE(io.Open(file.Path().c_str()));
    EXPECT_EQ(io.GetSize(), at + 4);
    EXPECT_EQ(io.Seek(static_cast<int64_t>(at), 0), at);
    char text[4];
    ASSERT_TRUE(io.Read(text, 4));
    EXPECT_EQ(std::string(text, 4), "tail");
    EXPECT_EQ(io.Tell(), at + 4);
    EXPECT_EQ(io.Seek(4, 2), at);
}
