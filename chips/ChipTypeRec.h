#pragma once

#include <array>
#include <cstdint>

// One row of the main program's chip table.
struct CHIP_TYPE_REC {
    char name[32];
    uint32_t code;
};

constexpr int kChipTableRows = 24;

// The chip table, in its fixed order. Two names carry a letter after three digits and take
// codes of their own; QZ6E7B shares QZ6E7A's code.
extern const std::array<CHIP_TYPE_REC, kChipTableRows> kChipTable;
