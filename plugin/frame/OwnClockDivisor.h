#pragma once

// Ticks per microsecond of the chips whose time stamps count a clock of their own (26 or
// 24 MHz); 0 for every other chip, whose divisor each decoder chooses.
constexpr unsigned OwnClockDivisor(int chipCode)
{
    switch (chipCode) {
    case 0x6F1C: case 0x3A1E: case 0x0E61:
        return 26;
    case 0x6F1D: case 0x3A1F:
        return 24;
    default:
        return 0;
    }
}
