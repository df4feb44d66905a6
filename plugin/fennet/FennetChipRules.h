#pragma once

#include "plugin/frame/RssiRule.h"

// How the Fennet decoder reads a capture chip's frames and status bytes.
struct FennetChipRules {
    // An 802.15.4 frame control and sequence number precede the network header, and the
    // length byte counts the two status bytes.
    bool macHeader;
    bool correlation; // the status byte carries correlation rather than the LQI
    unsigned clockDivisor;
    int rssiDivisor;  // 2 where the RSSI byte counts half dB
    RssiRule rssi;    // a chip with an LQI range computes the LQI from the RSSI
};

FennetChipRules FennetChipRulesFor(int chipCode);
