#include "chips/ChipCodes.h"

#include <cstdlib>

int ChipIdFromDeviceType(const char* modelText)
{
    if (modelText == nullptr)
        return 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(modelText, &end, 16);
    if (end == modelText)
        return 0;
    if (value == 0x3A0)
        return 0x3A0B;
    if (value == 0x3A3)
        return 0x3A0C;
    return static_cast<int>(value);
}

bool IsUsbDongleChip(int chipCode, int boardType)
{
    switch (chipCode) {
    case 0x6F1D: case 0x3A1F: case 0x6F87: case 0x6FB2: case 0x6FB6:
        return boardType != 5;
    default:
        return false;
    }
}

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
