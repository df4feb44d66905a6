#include "core/store/RamBufferHandler.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t kBytesPerMegabyte = 1048576;
constexpr uint64_t kBytesPerBlock = 262144;
constexpr uint16_t kMaxMegabytes = 4000;

template <typename T>
void Release(std::vector<T>& v)
{
    std::vector<T>().swap(v);
}

template <typename Slots>
void ReleaseAll(Slots& slots)
{
    for (auto& slot : slots) {
        Release(slot.fields);
        Release(slot.records);
    }
}

// Slots below the block count are exactly those holding memory.
bool Serves(int slot, int blockCount)
{
    return slot >= 0 && slot < blockCount;
}

} // namespace

RamBufferHandler::RamBufferHandler() = default;

RamBufferHandler::~RamBufferHandler() = default;

void RamBufferHandler::SetParsedLength(uint16_t parsedLength)
{
    std::lock_guard lock(mutex_);
    if (parsedLength == parsedLength_) {
        return;
    }
    parsedLength_ = parsedLength;
    // The slots are laid out for the old length; serving them with the new one would read
    // or write past a position's fields. Nothing is served until the next sizing.
    ReleaseAll(slots_);
    blockCount_ = 0;
}

int RamBufferHandler::Allocate(uint16_t mb)
{
    std::lock_guard lock(mutex_);
    if (parsedLength_ == 0 || mb > kMaxMegabytes) {
        return 0;
    }

    // Whatever the caller did before, no slot of an earlier sizing may outlive this one.
    ReleaseAll(slots_);
    blockCount_ = 0;

    // 4000 MB does not fit a signed 32-bit byte count.
    const uint64_t bytes = uint64_t{mb} * kBytesPerMegabyte;
    uint64_t blocks = bytes / kBytesPerBlock;
    uint64_t blockBytes = 0;
    if (blocks == 0) {
        blockBytes = bytes;
    } else if (blocks > kMaxSlots) {
        blocks = kMaxSlots;
        blockBytes = bytes / kMaxSlots;
    } else {
        blockBytes = kBytesPerBlock;
    }

    const uint64_t perPacket = uint64_t{parsedLength_} + kPerPacketOverhead;
    const uint64_t packets = blockBytes / perPacket;
    // The store divides packet numbers by K: a cache without a single position is unusable.
    if (packets == 0) {
        packetsPerBlock_ = 0;
        blockBytes_ = 0;
        return 0;
    }
    // At most 4000 MB / 24 per block, so both fit 32 bits.
    packetsPerBlock_ = static_cast<int>(packets);
    blockBytes_ = static_cast<int32_t>(packets * parsedLength_);

    for (uint64_t i = 0; i < blocks; ++i) {
        Slot& slot = slots_[i];
        try {
            slot.fields.resize(static_cast<size_t>(blockBytes_));
            slot.records.resize(static_cast<size_t>(packetsPerBlock_), PARSED_DATA{});
        } catch (const std::bad_alloc&) {
            // The slots before this one stay usable and are counted; this one has none.
            Release(slot.fields);
            Release(slot.records);
            return 0;
        }
        ++blockCount_;
    }
    return 1;
}

int RamBufferHandler::StorePacket(int slot, int pos, const PARSED_DATA* parsed)
{
    if (parsed == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    if (!Serves(slot, blockCount_) || pos < 0 || pos >= packetsPerBlock_) {
        return 0;
    }
    const size_t length = parsedLength_;
    const size_t copied = std::min<size_t>(length, static_cast<size_t>(std::max(parsed->bytesUsed, 0)));
    if (copied > 0 && parsed->fieldBuffer == nullptr) {
        return 0;
    }

    Slot& s = slots_[static_cast<size_t>(slot)];
    char* fields = s.fields.data() + static_cast<size_t>(pos) * length;
    if (copied > 0) {
        std::memcpy(fields, parsed->fieldBuffer, copied);
    }
    // A reader always gets P bytes; the rest must not be left over from the slot's last block.
    std::memset(fields + copied, 0, length - copied);

    PARSED_DATA& record = s.records[static_cast<size_t>(pos)];
    record = *parsed;
    record.fieldBuffer = fields;
    return 1;
}

int RamBufferHandler::GetPacket(int slot, int pos, PARSED_DATA* out) const
{
    if (out == nullptr || out->fieldBuffer == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    if (!Serves(slot, blockCount_) || pos < 0 || pos >= packetsPerBlock_) {
        return 0;
    }
    const Slot& s = slots_[static_cast<size_t>(slot)];
    const PARSED_DATA& record = s.records[static_cast<size_t>(pos)];
    if (record.packetNumber == 0) {
        return 0;
    }
    const size_t length = parsedLength_;
    char* const callerFields = out->fieldBuffer;
    *out = record;
    out->fieldBuffer = callerFields;
    std::memcpy(callerFields, s.fields.data() + static_cast<size_t>(pos) * length, length);
    return 1;
}

int RamBufferHandler::ResetBlock(int slot)
{
    std::lock_guard lock(mutex_);
    if (Serves(slot, blockCount_)) {
        std::vector<PARSED_DATA>& records = slots_[static_cast<size_t>(slot)].records;
        std::fill(records.begin(), records.end(), PARSED_DATA{});
    }
    return 1;
}

int RamBufferHandler::ResetAll()
{
    std::lock_guard lock(mutex_);
    for (int i = 0; i < blockCount_; ++i) {
        std::vector<PARSED_DATA>& records = slots_[static_cast<size_t>(i)].records;
        std::fill(records.begin(), records.end(), PARSED_DATA{});
    }
    return 1;
}

int RamBufferHandler::FreeAll()
{
    std::lock_guard lock(mutex_);
    ReleaseAll(slots_);
    // K and the block size stay as sized; with no slot counted nothing is served.
    blockCount_ = 0;
    return 1;
}
