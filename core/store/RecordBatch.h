#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// Records in memory on their way to the disk buffer's file: room for a batch, allocated once,
// of which the first Size() bytes are records. A record is placed whole, but only its leading
// bytes that mean something are copied: the rest of its place keeps what an earlier record
// left there. A packet's field buffer is mostly unused, and copying it would cost most of the
// time of storing a packet.
class RecordBatch {
public:
    // Room for at least bytes; what the batch holds stays.
    void Reserve(size_t bytes)
    {
        if (room_.size() < bytes)
            room_.resize(bytes);
    }
    size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    const uint8_t* Data() const { return room_.data(); }
    void Clear() { size_ = 0; }
    // A record of length bytes, the first used of them (no more than length) from record; the
    // caller has made room for it.
    void Append(const uint8_t* record, size_t used, size_t length)
    {
        const size_t copied = used < length ? used : length;
        std::memcpy(room_.data() + size_, record, copied);
        size_ += length;
    }
    void Swap(RecordBatch& other) noexcept
    {
        room_.swap(other.room_);
        std::swap(size_, other.size_);
    }

private:
    std::vector<uint8_t> room_;
    size_t size_ = 0;
};
