#pragma once

#include <cstdint>

// What a frame tells the address book about its two ends.
struct MacAddressing {
    static constexpr uint16_t kUnknown16 = 0xFFFF;
    static constexpr uint64_t kUnknown64 = ~uint64_t{0};

    struct Side {
        int mode = 0; // addressing mode; 0 also when the frame ends before the side's fields
        uint16_t panId = kUnknown16;
        uint16_t shortAddress = kUnknown16;
        uint64_t extendedAddress = kUnknown64;
    };

    Side destination;
    Side source;
    int frameType = 0;
    int commandId = -1;                  // MAC command frames only
    uint16_t assignedShort = kUnknown16; // what an association response assigns
    int crcOk = 0;
};
