#pragma once
// What a walk over the records of a mapped trace reads from disk. Captured blocks (frame images,
// textures, arrays) stay in the file and the walk steps over them, so the kernel's read-around,
// which would read them whole on the first touch of their pages, is switched off for the walk;
// in its place the runs of small records between the blocks are asked for ahead of the walk:
// - a run that begins is asked for as long as the run before it (recordings repeat themselves
//   frame after frame), and one that outgrows that gets as much again as it has so far;
// - while runs begin at regular distances (a frame image of one size per frame), the next few runs
//   are asked for before the walk gets there, so that their reads overlap the walk.
// A wrong guess reads at most about as much again as the run it was made for.
#include <array>
#include <cstdint>

class CFileMapping;

class CRecordReadAhead
{
public:
    // Records of this many payload bytes and more are taken for blocks the walk steps over.
    static constexpr uint32_t kBlockRecordBytes = 64 * 1024;
    // The smallest and largest window asked for at once.
    static constexpr uint64_t kLeastWindow = 4 * 1024;
    static constexpr uint64_t kMostWindow = 4 * 1024 * 1024;
    // Runs asked for ahead of the walk while they begin at regular distances.
    static constexpr int kRunsAhead = 2;

    // Null mapping: does nothing (a trace read through a window, or copied whole).
    explicit CRecordReadAhead(CFileMapping* mapping);
    // Gives the mapping back its read-around (views read frame images and textures in full later).
    ~CRecordReadAhead();
    CRecordReadAhead(const CRecordReadAhead&) = delete;
    CRecordReadAhead& operator=(const CRecordReadAhead&) = delete;

    // The walk is about to frame the record at offset.
    void Before(uint64_t offset);
    // The record framed at offset declares size payload bytes (its header is headerBytes).
    void Framed(uint64_t offset, uint32_t headerBytes, uint32_t size);

    // Bytes asked for so far (for the benchmark and tests).
    uint64_t Requested() const { return m_requested; }

private:
    void Request(uint64_t offset, uint64_t length);
    uint64_t RunWindow() const;
    // A run begins at start, after a block: asks for the runs ahead when the distances are regular.
    void RunBegins(uint64_t start);

    CFileMapping* m_mapping;
    uint64_t m_end = 0;        // asked for up to here
    uint64_t m_runStart = 0;   // where the current run of small records began
    uint64_t m_lastRun = 0;    // length of the run before it (0: none seen yet)
    // The distances between the last run starts, and how far ahead runs were asked for.
    std::array<uint64_t, 4> m_distances{};
    int m_distanceCount = 0;
    uint64_t m_aheadUntil = 0;
    uint64_t m_requested = 0;
};
