#pragma once

#include <cstdint>

#include "plugin/tolvane/MacAddressing.h"

namespace tolvane {

// One node of this plug-in's book: an 802.15.4 node may be known by its PAN id and short
// address, by its extended address, or by both (MacAddressing's unknown markers otherwise).
struct NODE_INFO {
    char name[30]; // NUL-terminated
    uint16_t panId;
    uint16_t shortAddress;
    uint64_t extendedAddress;
    int32_t id; // from the next-id counter
};

constexpr int kNodeNameChars = sizeof(NODE_INFO::name) - 1;

} // namespace tolvane
