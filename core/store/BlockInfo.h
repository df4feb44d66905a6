#pragma once

#include <cstdint>

// One block of a block index: positions first..last (K of them).
struct BLOCK_INFO {
    int32_t first;       // first position of the block
    int32_t firstStored; // disk position of the first packet added to it; 0 while none
    int32_t filled;      // last position filled, from first - 1
    int32_t lastAdded;   // disk position of the last packet added
    int32_t loaded;      // last position copied into the RAM cache, from first - 1
    int32_t last;        // first + K - 1
    int32_t slot;        // RAM cache slot while cached
    int32_t state;       // BlockState
};

enum BlockState : int32_t {
    BLOCK_NEW = 0,
    BLOCK_FILLING = 1,
    BLOCK_COMPLETE = 2, // full, stopped, or no longer cached
    BLOCK_LOADING = 3,
    BLOCK_CACHED = 4,
};
