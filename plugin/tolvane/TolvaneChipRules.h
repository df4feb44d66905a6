#pragma once

#include "plugin/frame/RssiRule.h"

// How the 802.15.4 decoder reads the time stamps and status bytes of a capture chip.
struct TolvaneChipRules {
    unsigned clockDivisor; // device clock ticks per microsecond
    RssiRule rssi;         // offset, and the RSSI range that LQI 0..255 spans
};

TolvaneChipRules TolvaneChipRulesFor(int chipCode);
