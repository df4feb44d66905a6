// What a capture chip's radio is like, as far as the simulated traffic needs it.
#pragma once

#include <cstdint>

// Which traffic a chip's radio hears.
enum class TrafficFamily {
    Ieee802154,        // 802.15.4 MAC frames carrying TOLVANE network frames
    FennetWithGeneric, // Fennet networks, with some foreign frames of a generic protocol
    Generic,           // frames of a generic protocol only
};

struct ChipRadio {
    TrafficFamily family = TrafficFamily::Generic;
    uint32_t ticksPerMicrosecond = 32;
    // The counter holds (ticks / 5000) in its upper 16 bits and the rest in the lower 16.
    bool splitTimestamp = false;
    uint32_t bitsPerSecond = 250000;
    uint32_t syncBytes = 8;                // preamble and sync word before each frame
    uint32_t turnaroundMicroseconds = 250; // from the end of a frame to its acknowledgement
    uint32_t minimumGapMicroseconds = 500; // the shortest pause between unrelated frames
    // Fennet frames start with an 802.15.4 frame control and sequence number, and their
    // length byte counts the two status bytes.
    bool fennetIeeeHeader = false;
    // Raw RSSI byte = (dBm + offset), in half dB when halfDbRssi.
    int rssiOffset = 72;
    bool halfDbRssi = false;

    uint8_t RawRssi(int dBm) const;
};

TrafficFamily TrafficFamilyOf(uint16_t chipCode);
// Unknown codes get the values of a plain 2.4 GHz proprietary radio.
ChipRadio ChipRadioFor(uint16_t chipCode);
