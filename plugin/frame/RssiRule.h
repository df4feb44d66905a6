#pragma once

#include <algorithm>

// What turns a chip's raw RSSI byte into dBm, and, for the chips that compute the LQI from
// the RSSI, the range of whole dBm that LQI 0..255 spans (an empty range for the others).
struct RssiRule {
    int offset;
    int lqiLow;
    int lqiHigh;

    constexpr bool HasLqiRange() const { return lqiHigh > lqiLow; }

    // Clamped on the whole dBm value: an RSSI below the range is LQI 0, however far below.
    constexpr int Lqi(int rssi) const
    {
        return (std::clamp(rssi, lqiLow, lqiHigh) - lqiLow) * 255 / (lqiHigh - lqiLow);
    }
};

// The chips with an RSSI offset of their own; every other chip subtracts 72.
constexpr RssiRule RssiRuleFor(int chipCode)
{
    switch (chipCode) {
    case 0x6E7A:
        return {45, -85, 10};
    case 0x6F48:
        return {76, -88, 6};
    case 0x6F86: case 0x6F87: case 0x6F89:
        return {73, -87, 10};
    case 0x3A5C: case 0x3A5D: case 0x3A5F: case 0x3B90: case 0x3B91:
        return {102, 0, 0};
    default:
        return {72, 0, 0};
    }
}
