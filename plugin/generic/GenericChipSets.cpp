#include "plugin/generic/GenericChipSets.h"

#include "chips/ChipCodes.h"
#include "plugin/frame/OwnClockDivisor.h"

bool IsSplitTimestampChip(int chipCode)
{
    return chipCode == 0x6FB2;
}

bool IsLqiFromRssiChip(int chipCode)
{
    switch (chipCode) {
    case 0x6E7A: case 0x6E7B: case 0x6F48: case 0x6F86: case 0x6F87: case 0x6F89:
        return true;
    default:
        return false;
    }
}

bool IsHalfDbRssiChip(int chipCode)
{
    switch (chipCode) {
    case 0x0E61: case 0x3A02: case 0x3A0B: case 0x3A0C: case 0x3A1E: case 0x3A1F:
    case 0x3A5C: case 0x3A5D: case 0x3A5F:
    case 0x3B90: case 0x3B91: case 0x3B92: case 0x3B93: case 0x3BC6:
    case 0x6F1C: case 0x6F1D: case 0x6FB6:
        return true;
    default:
        return false;
    }
}

bool IsFullDbRssiChip(int chipCode)
{
    switch (chipCode) {
    case 0x3A5C: case 0x3A5D: case 0x3A5F:
    case 0x3B90: case 0x3B91: case 0x3B92: case 0x3B93: case 0x3BC6:
        return true;
    default:
        return false;
    }
}

unsigned GenericClockDivisor(int chipCode)
{
    if (unsigned divisor = OwnClockDivisor(chipCode))
        return divisor;
    return IsTransceiverChip(chipCode) ? 24 : 32;
}

GenericRssiRule GenericRssiRuleFor(int chipCode)
{
    // Here QZ6E7B's own code reads its RSSI like QZ6E7A.
    return RssiRuleFor(chipCode == 0x6E7B ? 0x6E7A : chipCode);
}
