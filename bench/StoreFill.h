#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/store/PacketManager.h"

namespace benchsupport {

// Adds count packets to store, the records of traffic over and over; closes the open block.
inline bool FillStore(PacketManager& store, int32_t count, const std::vector<std::vector<uint8_t>>& traffic)
{
    std::vector<uint8_t> record(std::max<size_t>(store.RawLength(), 160));
    for (int32_t i = 0; i < count; ++i) {
        const auto& frame = traffic[static_cast<size_t>(i) % traffic.size()];
        std::copy(frame.begin(), frame.end(), record.begin());
        const int length = record[12] | record[13] << 8;
        if (store.AddPacket(record.data(), 1, length, 0) != 1) {
            std::fprintf(stderr, "the store took %d packets\n", i);
            return false;
        }
    }
    store.Stop(1);
    return true;
}

} // namespace benchsupport
