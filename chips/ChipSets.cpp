#include "chips/ChipSets.h"

bool HasWideRegisters(int chipCode)
{
    switch (chipCode) {
    case 0x3A5C: case 0x3A5D: case 0x3A5F: case 0x3B90: case 0x3B91: case 0x3B92: case 0x3B93:
        return true;
    default:
        return false;
    }
}

bool TakesNoChannel(int chipCode)
{
    return HasWideRegisters(chipCode) || chipCode == 0x3BC6;
}
