#pragma once

#include <cstdint>

// One entry of the name memory: the last name given to an address.
struct COMB_ADDR_AND_NODE_NAME {
    uint32_t address;
    char name[32];
};
