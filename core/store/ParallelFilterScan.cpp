#include "core/store/ParallelFilterScan.h"

#include <algorithm>
#include <thread>

#include "core/host/PacketFilter.h"
#include "core/store/DiskBufferHandler.h"
#include "core/store/DiskBufferReader.h"

namespace {

constexpr unsigned kMostWorkers = 8;
constexpr int32_t kChunksPerWorker = 3;
constexpr int32_t kStopCheckEvery = 1024;

} // namespace

ParallelFilterScan::ParallelFilterScan(DiskBufferHandler& disk, const PacketFilter& filter, uint16_t parsedLength)
    : disk_(disk), filter_(filter), parsedLength_(parsedLength)
{
}

int32_t ParallelFilterScan::Run(int32_t last, const std::function<bool()>& stop,
                                const std::function<bool(int32_t)>& onMatch)
{
    const unsigned cores = std::thread::hardware_concurrency();
    chunks_ = std::max<int32_t>(0, last) / kChunk;
    if (cores < 2 || chunks_ < 2)
        return 1;
    const unsigned workers = std::min({cores, kMostWorkers, static_cast<unsigned>(chunks_)});
    ring_.assign(static_cast<size_t>(workers) * kChunksPerWorker, Chunk{});
    nextChunk_ = 0;
    applied_ = 0;
    quit_ = false;
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back(&ParallelFilterScan::Worker, this, std::cref(stop));

    int32_t next = 1;
    for (int32_t k = 0; k < chunks_; ++k) {
        Chunk& slot = ring_[static_cast<size_t>(k) % ring_.size()];
        std::vector<int32_t> matches;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return slot.done || quit_; });
            if (!slot.done)
                break;
            matches.swap(slot.matches);
            next = slot.next;
        }
        bool handedOn = true;
        for (const int32_t n : matches)
            if (!onMatch(n)) {
                handedOn = false;
                break;
            }
        if (!handedOn) {
            next = -1;
            break;
        }
        {
            std::lock_guard lock(mutex_);
            slot.done = false;
            ++applied_;
        }
        changed_.notify_all();
        if (next != AfterChunk(k))
            break; // cut short by a stop or a packet that cannot be read
    }
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    return next;
}

void ParallelFilterScan::Worker(const std::function<bool()>& stop)
{
    std::vector<char> fields(parsedLength_);
    for (;;) {
        int32_t k;
        Chunk* slot;
        {
            std::unique_lock lock(mutex_);
            if (quit_ || nextChunk_ >= chunks_)
                return;
            k = nextChunk_++;
            // The slot is free once the calling thread has handed on the chunk a ring before.
            changed_.wait(lock, [&] { return quit_ || k < applied_ + static_cast<int32_t>(ring_.size()); });
            if (quit_)
                return;
            slot = &ring_[static_cast<size_t>(k) % ring_.size()];
        }
        ScanChunk(k, *slot, stop, fields);
        {
            std::lock_guard lock(mutex_);
            slot->done = true;
            // A chunk cut short ends the scan: no worker takes another.
            if (slot->next != AfterChunk(k))
                nextChunk_ = chunks_;
        }
        changed_.notify_all();
    }
}

void ParallelFilterScan::ScanChunk(int32_t k, Chunk& slot, const std::function<bool()>& stop, std::vector<char>& fields)
{
    DiskBufferReader reader(disk_);
    PARSED_DATA packet{};
    packet.fieldBuffer = fields.data();
    const int32_t first = k * kChunk + 1;
    const int32_t end = AfterChunk(k);
    slot.matches.clear();
    int32_t n = first;
    for (; n < end; ++n) {
        if ((n - first) % kStopCheckEvery == 0 && stop())
            break;
        int error = 0;
        if (reader.TryReadPacket(n, &packet, &error) != 1)
            break;
        if (filter_.Indexes(packet))
            slot.matches.push_back(n);
    }
    slot.next = n;
}
