// The device stream framing on arbitrary byte streams, delivered in arbitrary chunks.
// Input: [capacity, u16][chunk pattern][pipe flags][stream...]
// The record buffer is exactly the capacity, so a write beyond it is caught by
// AddressSanitizer; every handed-out record must be well formed.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/device/PacketBufferDravik.h"
#include "tests/support/ScriptedPipe.h"

#include "fuzz/FuzzCheck.h"

namespace {

int RecordN(const std::vector<uint8_t>& record)
{
    return record[8] | record[9] << 8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int capacity = 16 + (data[0] | data[1] << 8) % 585;
    const uint8_t pattern = data[2];
    const uint8_t flags = data[3];
    data += 4;
    size -= 4;

    // Two chunk sizes taken in turn; 0 means the whole stream at once.
    const size_t small = 1 + (pattern & 0x0F);
    const size_t large = pattern == 0 ? size + 1 : 1 + static_cast<size_t>(pattern >> 4) * 37;
    testsupport::ScriptedPipe pipe;
    size_t at = 0;
    for (int i = 0; at < size; ++i) {
        if ((flags & 1) != 0 && i % 3 == 1)
            pipe.Add({-1, {}});
        if ((flags & 2) != 0 && i % 2 == 0)
            pipe.Add({0, {}});
        const size_t n = std::min(size - at, pattern == 0 ? size : (i % 2 == 0 ? small : large));
        pipe.Add({0, std::vector<uint8_t>(data + at, data + at + n)});
        at += n;
    }

    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(capacity);
    std::vector<uint8_t> record(static_cast<size_t>(capacity));
    const long bound = 6 * static_cast<long>(size) + 100;
    long calls = 0;
    for (; calls < bound; ++calls) {
        const int starvedBefore = pipe.starved;
        uint8_t kind = 0xEE;
        int length = -1;
        const int status = framing.ReadPacket(&kind, &length, record.data(), 0);
        Check(kind != 0xEE && (kind & 0x10) == 0);
        Check(length <= capacity);
        const bool written = length >= PacketBuffer::kRecordHeaderSize;
        if (written)
            Check(RecordN(record) == length - PacketBuffer::kRecordHeaderSize);
        switch (status) {
        case kPacketComplete:
            Check(written);
            break;
        case kPacketIncomplete:
            Check(written || length == 0);
            break;
        case kPacketResync:
            Check(length == 0);
            break;
        case kPacketOverflow:
            Check(length == -1 || length == 0 || length > PacketBuffer::kRecordHeaderSize);
            break;
        case kPacketRepeated:
            Check(written || length == -1 || length == 0);
            break;
        case kPacketNothingRead:
        case kPacketStatusFrame:
        case kPacketPending:
            Check(length == -1);
            break;
        default:
            Check(false);
        }
        Check(framing.Layout() >= kLayoutUndetected && framing.Layout() <= kLayoutNew);
        Check(framing.ResyncCount() <= 10);
        // Reads stay inside the ring and the pipe's chunk size.
        Check(!pipe.requests.empty() && pipe.requests.back() > 0 && pipe.requests.back() <= PacketBuffer::kMaxReadSize);
        if (status == kPacketPending && pipe.starved > starvedBefore)
            break;
    }
    // The stream always runs out: the layer never stalls without asking for more.
    Check(calls < bound);
    return 0;
}
