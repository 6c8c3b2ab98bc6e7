#pragma once
// A read-only mapping of a trace file, whose captured bytes (data blocks, images, frame images,
// draw-call blocks) the loaded calls point into instead of copying them: the kernel pages them in
// when they are shown and drops them again under memory pressure.
//
// The file may change while it is open (a capture still writing it, a user overwriting it):
// - A read of a page the file no longer has would raise SIGBUS. A process-wide guard catches it,
//   maps zeros over the rest of the mapping and marks the mapping damaged, so the read returns
//   and nothing crashes.
// - Check() notices a file cut below the mapped size, or rewritten in place (its size or time
//   changed and bytes sampled at load differ), and marks the mapping damaged too.
// A damaged mapping stays damaged: its bytes show as unavailable until the trace is read again.
// Callers holding a pointer ask CapturedBytesIntact(pointer) before and after using the bytes.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "XQFTString.h"

class CFileMapping
{
public:
    // Maps the first size bytes of the open file fd (which it duplicates, so the caller may close
    // its own); null with the reason in error when the system refuses.
    static std::shared_ptr<CFileMapping> Map(int fd, uint64_t size, CXQFTString& error);
    ~CFileMapping();
    CFileMapping(const CFileMapping&) = delete;
    CFileMapping& operator=(const CFileMapping&) = delete;

    const uint8_t* Data() const { return m_data; }
    uint64_t Size() const { return m_size; }
    bool Contains(const void* p) const
    {
        const auto* b = static_cast<const uint8_t*>(p);
        return b >= m_data && b < m_data + m_size;
    }

    // How page faults read the file in: only the page touched (sparse), or the kernel's read-around
    // of it (the default). The walk of a trace made mostly of captured bytes steps over them and
    // touches one page per record: read-around would read them all from disk.
    void SetSparseReads(bool sparse);
    // A new descriptor of the mapped file, open for reading with a file position and read-around
    // of its own (a reader on another thread); -1 when the system refuses. The caller closes it.
    int OpenReader() const;

    // Offers the n (at most 8) bytes at offset, to compare with the file when it changes; the
    // loader offers every record header it walks, and a few hundred spread over the file are kept.
    void AddSample(uint64_t offset, const uint8_t* bytes, uint32_t n);

    // Whether the bytes are still those the load read; checks the file when its size or time
    // changed since the last check. Marks the mapping damaged when not.
    bool Check();
    // Without looking at the file: false once a fault or a check found it changed.
    bool Damaged() const;

private:
    CFileMapping() = default;

    struct SSample
    {
        uint64_t offset;
        uint8_t bytes[8];
        uint32_t n;
    };

    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    int m_fd = -1;
    int m_slot = -1;  // in the fault guard's table
    // What the file looked like at the last check.
    uint64_t m_fileSize = 0;
    int64_t m_modifiedSeconds = 0;
    int64_t m_modifiedNanoseconds = 0;
    std::vector<SSample> m_samples;
    uint64_t m_offers = 0;
    uint64_t m_stride = 1;
};

// Whether the bytes at p are still those the load read: false when p lies in a mapping whose file
// was cut or rewritten since. Bytes outside every mapping (heap copies) are always intact.
bool CapturedBytesIntact(const void* p);
