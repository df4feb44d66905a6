#include "core/device/ChipCodes.h"

bool IsTransceiverChip(int chipCode)
{
    switch (chipCode) {
    case 0x3A02: case 0x3A0B: case 0x3A0C:
    case 0x3A5C: case 0x3A5D: case 0x3A5F:
    case 0x3B90: case 0x3B91: case 0x3B92: case 0x3B93:
    case 0x3BC6: case 0x6F48:
        return true;
    default:
        return false;
    }
}
