// A trace larger than memory: frames of 4096x4096 RGBA texture uploads, 6 GiB of captured bytes in
// all. The captured bytes stay in the file, so the trace loads whole (every frame, result 0) with
// little private memory, and its last texture decodes to what was recorded. The file is sparse:
// one frame in six holds its pixels, the others read as zeros. Skipped with a message where the
// disk cannot hold it; a small variant of the same trace always runs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "CallQueries.h"
#include "LoadFixture.h"
#include "TextureImages.h"
#include "TraceStatistics.h"
#include "data/MemoryGuard.h"
#include "data/TraceData.h"

namespace {

constexpr uint64_t kGiB = uint64_t(1) << 30;

class CLargeTraceWriter
{
public:
    explicit CLargeTraceWriter(const std::string& path) : m_file(std::fopen(path.c_str(), "wb"))
    {
        const char magic[8] = {'X', 'Q', 'F', 'T', 'r', 'a', 'c', 'e'};
        Bytes(magic, 8);
        Words({0x0001FEFF, 11});
        const uint8_t flags[2] = {1, 0};  // data included, no frame images
        Bytes(flags, 2);
        Words({1});
        std::vector<uint8_t> sizes(31, 4);
        sizes[0] = 30;
        sizes[1 + 13] = 1;
        Bytes(sizes.data(), sizes.size());
    }
    ~CLargeTraceWriter()
    {
        if (m_file)
            std::fclose(m_file);
    }
    bool Ok() const { return m_file && !m_failed; }

    // glBindTexture, glTexImage2D of side x side RGBA whose pixels are all `value` (written) or a
    // hole (read as zeros), eglSwapBuffers without an image.
    void Frame(uint32_t frame, uint32_t side, bool written, uint8_t value)
    {
        const uint32_t pixels = side * side * 4;
        Record(CallIdOf(ECallFamily::Es2, "glBindTexture"), 12);
        Words({0, 0x0DE1, 1 + frame % 4});
        Record(CallIdOf(ECallFamily::Es2, "glTexImage2D"), 4 + 8 * 4 + 8 + pixels + 4);
        Words({0, 0x0DE1, 0, 0x1908, side, side, 0, 0x1908, 0x1401, 0x100000, pixels});
        if (written) {
            const std::vector<uint8_t> chunk(1 << 20, value);
            for (uint32_t done = 0; done < pixels; done += uint32_t(chunk.size()))
                Bytes(chunk.data(), std::min<size_t>(chunk.size(), pixels - done));
        } else if (fseeko(m_file, off_t(pixels), SEEK_CUR) != 0) {
            m_failed = true;
        }
        Words({4});  // unpack alignment
        Record(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), 36);
        Words({0x3000, 1, 1, 2, frame, 0, 0, 0, 0});
    }

    // n glBindTexture records: the small records of a frame's state changes.
    void SmallRecords(uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i) {
            Record(CallIdOf(ECallFamily::Es2, "glBindTexture"), 12);
            Words({0, 0x0DE1, 1 + i % 4});
        }
    }
    int Descriptor() { return m_file && std::fflush(m_file) == 0 ? fileno(m_file) : -1; }

private:
    void Record(uint16_t id, uint32_t size)
    {
        Words({size});
        const uint8_t b[2] = {uint8_t(id), uint8_t(id >> 8)};
        Bytes(b, 2);
    }
    void Words(std::initializer_list<uint32_t> words)
    {
        for (uint32_t v : words) {
            const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
            Bytes(b, 4);
        }
    }
    void Bytes(const void* p, size_t n)
    {
        if (!m_file || std::fwrite(p, 1, n, m_file) != n)
            m_failed = true;
    }

    FILE* m_file;
    bool m_failed = false;
};

struct SLargeCase
{
    uint32_t frames;
    uint32_t side;
    uint32_t writtenEvery;  // frames whose number is a multiple of this hold their pixels
};

// Writes, loads and checks the trace.
void LoadAndDecodeTheLastTexture(const SLargeCase& c)
{
    const std::string path = TempPath("large.xqft");
    {
        CLargeTraceWriter w(path);
        for (uint32_t frame = 1; frame <= c.frames; ++frame)
            w.Frame(frame, c.side, frame % c.writtenEvery == 0, uint8_t(frame));
        ASSERT_TRUE(w.Ok()) << "cannot write " << path;
    }

    CTraceReader& reader = CTraceReader::Instance();
    FILE* sink = std::fopen("/dev/null", "w");
    reader.SetLog(sink, sink);
    const int64_t before = CommittedMemoryKiB();
    int64_t peak = before;
    reader.SetMemoryProbe([&peak] {
        const int64_t now = CommittedMemoryKiB();
        peak = std::max(peak, now);
        return now;
    });
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    reader.SetMemoryProbe(nullptr);
    reader.SetLog(nullptr, nullptr);
    std::fclose(sink);
    CTraceData* trace = reader.GetTraceData();
    EXPECT_EQ(result, 0);
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->GetFrameCount(), int32_t(c.frames)) << "every frame kept";
    EXPECT_EQ(trace->GetCallCount(), 3 * c.frames);

    CTraceStatistics statistics(trace);
    statistics.Compute();
    ASSERT_EQ(statistics.GetTextureUploads()->size(), c.frames);
    STextureRecord record;
    STextureImage image;
    ASSERT_TRUE(ExtractTexture(*trace, statistics.GetTextureUploads()->back(), record, image));
    ASSERT_EQ(image.kind, STextureImage::kDecoded);
    ASSERT_EQ(image.width, c.side);
    ASSERT_EQ(image.rgb.size(), size_t(c.side) * c.side * 3);
    const uint8_t expected = c.frames % c.writtenEvery == 0 ? uint8_t(c.frames) : 0;
    EXPECT_EQ(size_t(std::count(image.rgb.begin(), image.rgb.end(), expected)), image.rgb.size());
    // A frame without written pixels (the first) reads the file's hole: zeros.
    ASSERT_TRUE(ExtractTexture(*trace, statistics.GetTextureUploads()->front(), record, image));
    ASSERT_EQ(image.kind, STextureImage::kDecoded);
    EXPECT_EQ(size_t(std::count(image.rgb.begin(), image.rgb.end(), 0)), image.rgb.size());
    peak = std::max(peak, CommittedMemoryKiB());
    EXPECT_LT(peak - before, int64_t(kGiB / 1024)) << "private memory grew by " << (peak - before) / 1024 << " MiB";
    reader.Close();
    std::remove(path.c_str());
}

TEST(LargeTrace, ASmallOneLoadsWholeAndDecodes)
{
    LoadAndDecodeTheLastTexture({6, 1024, 2});
}

TEST(LargeTrace, SixGiBOfTexturesLoadWholeWithLittlePrivateMemory)
{
    // The file is sparse where the filesystem allows: 1 GiB written, the rest holes.
    const std::string probe = TempPath("sparse-probe");
    bool sparse = false;
    if (FILE* f = std::fopen(probe.c_str(), "wb")) {
        struct stat st;
        sparse = ftruncate(fileno(f), off_t(64) << 20) == 0 && fstat(fileno(f), &st) == 0 && st.st_blocks == 0;
        std::fclose(f);
        std::remove(probe.c_str());
    }
    struct statvfs fs;
    const uint64_t free = statvfs(TempPath("").c_str(), &fs) == 0 ? uint64_t(fs.f_bavail) * fs.f_frsize : 0;
    const uint64_t needed = sparse ? 2 * kGiB : 7 * kGiB;
    if (free < needed)
        GTEST_SKIP() << "needs " << needed / kGiB << " GiB free beside the temporary folder ("
                     << (sparse ? "sparse files" : "no sparse files") << "), " << free / kGiB << " GiB are";
    // 96 frames of 64 MiB textures: 6 GiB; every sixth frame written, the last one among them.
    LoadAndDecodeTheLastTexture({96, 4096, 6});
}

// Bytes of the file in the page cache.
uint64_t CachedBytes(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat st{};
    uint64_t bytes = 0;
    if (fd >= 0 && fstat(fd, &st) == 0 && st.st_size > 0) {
        void* at = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        std::vector<unsigned char> resident((size_t(st.st_size) + page - 1) / page);
        if (at != MAP_FAILED && mincore(at, size_t(st.st_size), resident.data()) == 0)
            for (unsigned char r : resident)
                bytes += (r & 1) ? page : 0;
        if (at != MAP_FAILED)
            munmap(at, size_t(st.st_size));
    }
    if (fd >= 0)
        close(fd);
    return bytes;
}

// From a cold page cache a load reads the runs of small records, not the textures between them:
// the kernel's read-around would read every texture on the touch of its first page.
TEST(LargeTrace, AColdLoadReadsTheRecordsAndStepsOverTheTextures)
{
    const std::string path = TempPath("cold.xqft");
    constexpr uint32_t kFrames = 24, kSide = 512, kSmall = 200;
    {
        CLargeTraceWriter w(path);
        w.SmallRecords(300);
        for (uint32_t frame = 1; frame <= kFrames; ++frame) {
            w.SmallRecords(kSmall);
            w.Frame(frame, kSide, true, uint8_t(frame));
        }
        const int fd = w.Descriptor();
        ASSERT_TRUE(w.Ok() && fd >= 0 && fsync(fd) == 0) << "cannot write " << path;
    }
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
    if (CachedBytes(path) != 0)
        GTEST_SKIP() << "the page cache keeps the trace file: no cold load to measure";

    const SLoad load = QuietLoad(path);
    ASSERT_EQ(load.result, 0);
    ASSERT_EQ(CTraceReader::Instance().GetTraceData()->GetCallCount(), 300 + kFrames * (kSmall + 3));
    const uint64_t pixels = uint64_t(kFrames) * kSide * kSide * 4;
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const uint64_t records = uint64_t(st.st_size) - pixels;
    const uint64_t cached = CachedBytes(path);
    EXPECT_LE(cached, 2 * records + 64 * 1024)
        << cached << " bytes of the trace read for " << records << " bytes of records (" << pixels
        << " bytes of textures)";
    CTraceReader::Instance().Close();
    std::remove(path.c_str());
}

} // namespace
