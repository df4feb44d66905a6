#include "plugin/fennet/FennetChipRules.h"

#include "plugin/frame/OwnClockDivisor.h"

namespace {

bool Is802154Chip(int chipCode)
{
    switch (chipCode) {
    case 0x6E7A: case 0x6F48: case 0x6F86: case 0x6F87:
        return true;
    default:
        return false;
    }
}

bool CountsWholeDb(int chipCode)
{
    switch (chipCode) {
    case 0x6E7A: case 0x6F48: case 0x6F86: case 0x6F87: case 0x6F89:
    case 0x3A5C: case 0x3A5D: case 0x3A5F: case 0x3B90: case 0x3B91:
        return true;
    default:
        return false;
    }
}

unsigned ClockDivisor(int chipCode)
{
    if (unsigned divisor = OwnClockDivisor(chipCode))
        return divisor;
    return chipCode == 0x6F48 ? 24 : 32;
}

} // namespace

FennetChipRules FennetChipRulesFor(int chipCode)
{
    const bool mac = Is802154Chip(chipCode);
    return {mac, mac, ClockDivisor(chipCode), CountsWholeDb(chipCode) ? 1 : 2, RssiRuleFor(chipCode)};
}
