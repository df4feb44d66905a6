#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class DiskBufferHandler;
class PacketFilter;

// The filter scan over packets already in the disk buffer, split over the cores: worker
// threads evaluate chunks of packets, each with a reader of its own, and the calling thread
// hands their matches on in packet order. What is ahead of the calling thread is bounded by a
// few chunks per worker.
class ParallelFilterScan {
public:
    static constexpr int32_t kChunk = 8192;

    ParallelFilterScan(DiskBufferHandler& disk, const PacketFilter& filter, uint16_t parsedLength);

    // Scans the whole chunks of packets 1 to last. onMatch gets each passing packet number in
    // order on this thread; when it returns false the scan ends with -1. The scan also ends at
    // stop() or at a packet that cannot be read (no message: the caller reads it again).
    // Returns the first packet not scanned.
    int32_t Run(int32_t last, const std::function<bool()>& stop, const std::function<bool(int32_t)>& onMatch);

private:
    struct Chunk {
        std::vector<int32_t> matches;
        int32_t next = 0; // first packet not scanned: the chunk's end + 1 unless cut short
        bool done = false;
    };

    // The first packet after chunk k: where a scan of the whole chunk ends.
    static int32_t AfterChunk(int32_t k) { return (k + 1) * kChunk + 1; }
    void Worker(const std::function<bool()>& stop);
    // Scans chunk k into slot; slot.next tells where it stopped.
    void ScanChunk(int32_t k, Chunk& slot, const std::function<bool()>& stop, std::vector<char>& fields);

    DiskBufferHandler& disk_;
    const PacketFilter& filter_;
    const uint16_t parsedLength_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Chunk> ring_;
    int32_t chunks_ = 0;
    int32_t nextChunk_ = 0; // the next chunk a worker takes
    int32_t applied_ = 0;   // chunks handed on by the calling thread
    bool quit_ = false;
};
