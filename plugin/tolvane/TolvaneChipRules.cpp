#include "plugin/tolvane/TolvaneChipRules.h"

TolvaneChipRules TolvaneChipRulesFor(int chipCode)
{
    switch (chipCode) {
    case 0x6F48:
        return {24, RssiRuleFor(chipCode)};
    case 0x6F86: case 0x6F87: case 0x6F89:
        return {32, RssiRuleFor(chipCode)};
    default:
        // Every other chip reads its status bytes the way QZ6E7A does.
        return {32, RssiRuleFor(0x6E7A)};
    }
}
