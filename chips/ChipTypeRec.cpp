#include "chips/ChipTypeRec.h"

const std::array<CHIP_TYPE_REC, kChipTableRows> kChipTable = {{
    {"QZ6F1C", 0x6F1C}, {"QZ3A1E", 0x3A1E}, {"QZ6E7A", 0x6E7A}, {"QZ6E7B", 0x6E7A},
    {"QZ6F48", 0x6F48}, {"QZ6F1D", 0x6F1D}, {"QZ3A1F", 0x3A1F}, {"QZ6F86", 0x6F86},
    {"QZ6F87", 0x6F87}, {"QZ6F89", 0x6F89}, {"QZ6FB2", 0x6FB2}, {"QZ6FB3", 0x6FB3},
    {"QZ6FB6", 0x6FB6}, {"QZE61", 0x0E61},  {"QZ3A02", 0x3A02}, {"QZ3A0V", 0x3A0B},
    {"QZ3A3V", 0x3A0C}, {"QZ3A5C", 0x3A5C}, {"QZ3A5D", 0x3A5D}, {"QZ3A5F", 0x3A5F},
    {"QZ3B90", 0x3B90}, {"QZ3B91", 0x3B91}, {"QZ3B92", 0x3B92}, {"QZ3B93", 0x3B93},
}};
