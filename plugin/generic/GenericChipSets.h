#pragma once

#include "plugin/frame/RssiRule.h"

// The chip rules of the generic decoder, by 16-bit chip code.

// Time stamp split: high part in units of 5000 ticks, low 16 bits in ticks.
bool IsSplitTimestampChip(int chipCode);
// LQI computed from the RSSI; the status byte carries correlation.
bool IsLqiFromRssiChip(int chipCode);
// The RSSI byte counts half dB, unless the chip is also in the whole-dB set.
bool IsHalfDbRssiChip(int chipCode);
bool IsFullDbRssiChip(int chipCode);

// Device clock ticks per microsecond.
unsigned GenericClockDivisor(int chipCode);

// What turns the raw RSSI byte into dBm, and the RSSI range that LQI 0..255 spans.
using GenericRssiRule = RssiRule;
GenericRssiRule GenericRssiRuleFor(int chipCode);
