#pragma once

#include <cstdint>

// One node row of the time line.
struct NODE_NAME {
    char name[32];    // NUL-terminated, at most 31 characters
    uint32_t address; // the node id the plug-in reports
};
