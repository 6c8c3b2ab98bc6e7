// Record walk speed against a plain read() loop over the same file.
// 1) 10 million small records: records/s and MB/s of the walk that the loader does
//    (frame each record, read its payload values).
// 2) A 1 GiB trace of large records read sequentially through the record stream.
// Files are written to $TMPDIR (or /tmp) and removed afterwards.
#include "CallQueries.h"
#include "BenchSupport.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"
#include "stream/TraceHeader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace xqft::bench;

std::string TempPath(const char* name)
{
    return TempDir() + "/" + name + "-" + std::to_string(getpid()) + ".xqft";
}

std::vector<unsigned char> Header()
{
    std::vector<unsigned char> h = {'X', 'Q', 'F', 'T', 'r', 'a', 'c', 'e', 0xFF, 0xFE, 0x01, 0x00,
                                    11, 0, 0, 0, 1, 0, 1, 0, 0, 0, 30};
    h.insert(h.end(), 30, 4);
    return h;
}

// count records whose payloads cycle through the given sizes.
bool WriteTrace(const std::string& path, uint64_t count, const std::vector<uint32_t>& payloads)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<unsigned char> h = Header();
    fwrite(h.data(), 1, h.size(), f);
    std::vector<unsigned char> buf;
    buf.reserve(1 << 22);
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t size = payloads[i % payloads.size()];
        uint16_t id = static_cast<uint16_t>(CallFamilyRange(ECallFamily::Es2).first + i % 140);
        unsigned char rh[6] = {static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
                               static_cast<unsigned char>(size >> 16), static_cast<unsigned char>(size >> 24),
                               static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8)};
        buf.insert(buf.end(), rh, rh + 6);
        buf.resize(buf.size() + size, static_cast<unsigned char>(i));
        if (buf.size() >= (1 << 22)) {
            if (fwrite(buf.data(), 1, buf.size(), f) != buf.size()) {
                fclose(f);
                return false;
            }
            buf.clear();
        }
    }
    bool ok = fwrite(buf.data(), 1, buf.size(), f) == buf.size();
    return fclose(f) == 0 && ok;
}

// MB/s of reading the whole file with read() into a 1 MiB buffer.
double PlainReadMBs(const std::string& path, uint64_t& checksum)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    std::vector<unsigned char> buf(1 << 20);
    uint64_t total = 0;
    auto t0 = Clock::now();
    ssize_t n;
    while ((n = read(fd, buf.data(), buf.size())) > 0) {
        total += static_cast<uint64_t>(n);
        checksum += buf[0];
    }
    double s = Seconds(t0, Clock::now());
    close(fd);
    return total / 1e6 / s;
}

struct SWalk
{
    uint64_t records = 0;
    uint64_t bytes = 0;
    double seconds = 0;
    bool ok = false;
};

// The loader's walk: open, check the header, frame each record; small payloads are read as
// 4-byte values (as the value readers do), large ones as one block.
SWalk Walk(const std::string& path, uint64_t& checksum)
{
    SWalk w;
    IOManager& io = IOManager::Instance();
    std::vector<unsigned char> block(1 << 20);
    auto t0 = Clock::now();
    if (!io.Open(path.c_str()))
        return w;
    STraceHeader h;
    if (ReadTraceHeader(io, h) != kHeaderOk)
        return w;
    CRecordStream stream(h.firstRecordOffset);
    SRecordHeader r;
    ERecordStep step;
    while ((step = stream.Next(r)) == kRecordRead) {
        ++w.records;
        if (r.size <= 64) {
            uint32_t v = 0;
            for (uint32_t at = 0; at + 4 <= r.size; at += 4)
                io.Read(&v, 4);
            checksum += v;
        } else {
            if (block.size() < r.size)
                block.resize(r.size);
            io.Read(block.data(), r.size);
            checksum += block[0];
        }
    }
    w.seconds = Seconds(t0, Clock::now());
    w.bytes = io.GetSize();
    io.Close();
    w.ok = step == kRecordsEnd;
    return w;
}

// Goals: small records walked at >= 5 million records/s; large reads within 1.5x of read().
void Run(const char* title, const std::string& path, uint64_t count, const std::vector<uint32_t>& payloads,
         bool smallRecords)
{
    printf("== %s\n", title);
    auto t0 = Clock::now();
    if (!WriteTrace(path, count, payloads)) {
        printf("cannot write %s\n", path.c_str());
        unlink(path.c_str());
        return;
    }
    printf("generated %s in %.1f s\n", path.c_str(), Seconds(t0, Clock::now()));
    uint64_t sum = 0;
    PlainReadMBs(path, sum); // warm the page cache so both sides read from memory
    double plain = PlainReadMBs(path, sum);
    SWalk w = Walk(path, sum);
    double plainAfter = PlainReadMBs(path, sum);
    unlink(path.c_str());
    if (!w.ok) {
        printf("walk failed after %llu records\n", static_cast<unsigned long long>(w.records));
        return;
    }
    double walkMBs = w.bytes / 1e6 / w.seconds;
    double plainBest = plain > plainAfter ? plain : plainAfter;
    printf("records:        %llu in %.3f s\n", static_cast<unsigned long long>(w.records), w.seconds);
    printf("walk records/s: %.2f million\n", w.records / w.seconds / 1e6);
    printf("walk MB/s:      %.0f\n", walkMBs);
    printf("read() MB/s:    %.0f\n", plainBest);
    printf("read()/walk:    %.2fx (checksum %llu)\n", plainBest / walkMBs, static_cast<unsigned long long>(sum & 0xFF));
    if (smallRecords)
        printf("goal >= 5 million records/s: %s\n", w.records / w.seconds >= 5e6 ? "met" : "MISSED");
    else
        printf("goal walk within 1.5x of read(): %s\n", plainBest / walkMBs <= 1.5 ? "met" : "MISSED");
}

} // namespace

int main()
{
    Run("10 million small records", TempPath("bench-small"), 10'000'000, {4, 8, 12, 0, 16, 8, 20, 4}, true);
    // 1 GiB of 64 KiB-class records, sizes varied so that records straddle window edges.
    const std::vector<uint32_t> large = {65536, 60000, 70001, 4096, 131072};
    uint64_t perCycle = 0;
    for (uint32_t s : large)
        perCycle += s + 6;
    Run("1 GiB sequential", TempPath("bench-large"), (1ull << 30) / perCycle * large.size(), large, false);
    return 0;
}
