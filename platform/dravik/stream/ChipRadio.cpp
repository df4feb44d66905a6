#include "platform/dravik/stream/ChipRadio.h"

#include <algorithm>

#include "chips/ChipCodes.h"

namespace {

bool IsIeee802154Chip(uint16_t code)
{
    switch (code) {
    case 0x6E7A: case 0x6E7B: case 0x6F48: case 0x6F86: case 0x6F87: case 0x6F89:
        return true;
    default:
        return false;
    }
}

uint32_t TicksPerMicrosecond(uint16_t code)
{
    switch (code) {
    case 0x6F1C: case 0x3A1E: case 0x0E61:
        return 26;
    case 0x6F1D: case 0x3A1F:
        return 24;
    default:
        // Radios without a processor of their own run on the board's clock.
        return IsTransceiverChip(code) ? 24 : 32;
    }
}

void SetRssiRule(uint16_t code, ChipRadio& radio)
{
    switch (code) {
    case 0x6E7A: case 0x6E7B:
        radio.rssiOffset = 45;
        return;
    case 0x6F48:
        radio.rssiOffset = 76;
        return;
    case 0x6F86: case 0x6F87: case 0x6F89:
        radio.rssiOffset = 73;
        return;
    case 0x3A5C: case 0x3A5D: case 0x3A5F: case 0x3B90: case 0x3B91:
        radio.rssiOffset = 102;
        return;
    case 0x3B92: case 0x3B93: case 0x3BC6:
        radio.rssiOffset = 72;
        return;
    case 0x0E61: case 0x3A02: case 0x3A0B: case 0x3A0C: case 0x3A1E: case 0x3A1F:
    case 0x6F1C: case 0x6F1D: case 0x6FB6:
        radio.rssiOffset = 72;
        radio.halfDbRssi = true;
        return;
    default:
        radio.rssiOffset = 72;
        return;
    }
}

} // namespace

TrafficFamily TrafficFamilyOf(uint16_t chipCode)
{
    if (IsIeee802154Chip(chipCode))
        return TrafficFamily::Ieee802154;
    // The sub-GHz radios and the 2.4 GHz proprietary ones that run Fennet.
    const uint16_t series = chipCode & 0xFF00;
    if (series == 0x3A00 || series == 0x3B00 || chipCode == 0x0E61 || chipCode == 0x6F1C ||
        chipCode == 0x6F1D)
        return TrafficFamily::FennetWithGeneric;
    return TrafficFamily::Generic;
}

ChipRadio ChipRadioFor(uint16_t chipCode)
{
    ChipRadio radio;
    radio.family = TrafficFamilyOf(chipCode);
    radio.ticksPerMicrosecond = TicksPerMicrosecond(chipCode);
    radio.splitTimestamp = chipCode == 0x6FB2;
    if (radio.family == TrafficFamily::Ieee802154) {
        // 250 kbit/s O-QPSK: 4 preamble bytes and the frame delimiter; 12 symbols turnaround,
        // the long interframe spacing of 40 symbols.
        radio.syncBytes = 5;
        radio.turnaroundMicroseconds = 192;
        radio.minimumGapMicroseconds = 640;
    }
    switch (chipCode) {
    case 0x6E7A: case 0x6F48: case 0x6F86: case 0x6F87:
        radio.fennetIeeeHeader = true;
        break;
    default:
        break;
    }
    SetRssiRule(chipCode, radio);
    return radio;
}

uint8_t ChipRadio::RawRssi(int dBm) const
{
    int raw = dBm + rssiOffset;
    if (halfDbRssi)
        raw *= 2;
    // -128 (0x80) would read as a transmitted frame.
    return static_cast<uint8_t>(static_cast<int8_t>(std::clamp(raw, -127, 127)));
}
