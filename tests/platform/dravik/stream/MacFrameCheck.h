#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace streamtest {

// The few facts about an 802.15.4 frame that the checks across frames need.
struct MacFacts {
    int frameType = -1;
    bool ackRequest = false;
    uint8_t sequence = 0;
    int destinationMode = 0;
    uint16_t destinationPan = 0xFFFF;
    int sourceMode = 0;
    uint64_t sourceAddress = 0;
    int networkDesignator = -1; // channel designator of a TOLVANE frame, -1 when none
    std::string error;          // empty when the frame is well formed
};

// Checks that packet bytes as captured ([length][frame][RSSI][status]) hold a consistent
// 802.15.4 frame: length byte, frame control, addressing, command lengths, and for data
// frames a TOLVANE network header. Not a decoder: it only measures.
MacFacts CheckMacFrame(const std::vector<uint8_t>& bytes);

} // namespace streamtest
