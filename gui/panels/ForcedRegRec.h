#pragma once

#include <cstdint>

// A register that capture needs set for a chip family, whatever the register file says.
struct FORCED_REG_REC {
    const char* name; // the row's name when the file has no register at the address
    uint32_t address;
    uint32_t value;   // set (or, without such a row, appended) unless mode is kOrMask
    uint32_t mask;    // ORed into the row's value in mode kOrMask
    uint32_t mode;

    static constexpr uint32_t kOrMask = 1;
    static constexpr uint32_t kEndOfTable = 2;
};
