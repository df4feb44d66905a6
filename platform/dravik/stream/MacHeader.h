// The MAC header of an IEEE 802.15.4 frame, as the simulated nodes send it.
#pragma once

#include <cstdint>
#include <vector>

struct MacAddress {
    static constexpr int kNone = 0;
    static constexpr int kShort = 2;
    static constexpr int kExtended = 3;

    static MacAddress None() { return {}; }
    static MacAddress Short(uint16_t address) { return {kShort, address}; }
    static MacAddress Extended(uint64_t address) { return {kExtended, address}; }

    int mode = kNone;
    uint64_t value = 0;
};

struct MacHeader {
    static constexpr int kBeacon = 0;
    static constexpr int kData = 1;
    static constexpr int kAck = 2;
    static constexpr int kCommand = 3;

    int frameType = kData;
    bool framePending = false;
    bool ackRequest = false;
    int frameVersion = 0; // 0: 2003 format, 1: 2006
    uint8_t sequence = 0;
    uint16_t destinationPan = 0xFFFF;
    MacAddress destination;
    uint16_t sourcePan = 0xFFFF;
    MacAddress source;

    // PAN id compression when both addresses are there and share the PAN.
    bool PanCompression() const;
    uint16_t FrameControl() const;
    // Frame control, sequence number, PAN ids and addresses, little-endian.
    void AppendTo(std::vector<uint8_t>& out) const;
};
