// One frame that a simulated radio heard.
#pragma once

#include <cstdint>
#include <vector>

struct SimulatedFrame {
    // The packet bytes as the chip reports them: for length-byte protocols the length byte,
    // the frame and the two status bytes (RSSI, CRC-ok bit 7 + correlation); for generic
    // frames the payload and the two status bytes.
    std::vector<uint8_t> bytes;
    // Bytes on the air after the preamble and sync word (length byte, frame, CRC).
    uint32_t airBytes = 0;
    // Sent the turnaround time after the frame before it (an acknowledgement), not after a
    // random pause.
    bool afterTurnaround = false;
};
