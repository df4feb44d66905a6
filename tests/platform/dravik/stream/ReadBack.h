#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "core/device/PacketBufferDravik.h"
#include "tests/support/ScriptedPipe.h"

namespace streamtest {

struct Record {
    uint32_t ticks = 0;
    uint32_t wraps = 0;
    std::vector<uint8_t> bytes;

    // Wrap count x 2^32 + ticks, the wrap count read as signed: a count below zero stamps
    // values from before the first wrap that the reader saw.
    int64_t Time() const { return static_cast<int64_t>(static_cast<int32_t>(wraps)) * (int64_t{1} << 32) + ticks; }
};

struct ReadBack {
    std::vector<Record> records;
    std::map<int, int> statuses; // status -> count
    int timerFramesUsed = 0; // "nothing yet" results whose last frame was a timer frame
    int layout = -1;
};

inline uint32_t U32At(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Feeds the bytes through the real framing until it has nothing more to hand out.
inline ReadBack ReadThrough(const std::vector<uint8_t>& stream, int capacity = 271)
{
    testsupport::ScriptedPipe pipe;
    // Arrives in uneven pieces, as over USB.
    for (size_t at = 0, piece = 0; at < stream.size(); ++piece) {
        const size_t size = std::min(stream.size() - at, size_t{700} + (piece * 389) % 3000);
        pipe.Add({0, std::vector<uint8_t>(stream.begin() + static_cast<long>(at),
                                          stream.begin() + static_cast<long>(at + size))});
        at += size;
    }
    PacketBufferDravik reader(&pipe);
    reader.SetCapacity(capacity);
    ReadBack result;
    std::vector<uint8_t> record(static_cast<size_t>(capacity));
    while (pipe.starved < 3) {
        uint8_t kind = 0xEE;
        int length = 0;
        const int status = reader.ReadPacket(&kind, &length, record.data(), 0);
        ++result.statuses[status];
        if (status == 9 && kind == 1)
            ++result.timerFramesUsed;
        if (status != 0)
            continue;
        Record r;
        r.ticks = U32At(record.data());
        r.wraps = U32At(record.data() + 4);
        const int n = record[8] | record[9] << 8;
        if (length == 10 + n)
            r.bytes.assign(record.begin() + 10, record.begin() + 10 + n);
        result.records.push_back(std::move(r));
    }
    result.layout = reader.Layout();
    return result;
}

} // namespace streamtest
