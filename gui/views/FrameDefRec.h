#pragma once

#include <cstdint>

// How the time line marks a frame class.
struct FRAME_DEF {
    uint32_t colour; // COLORREF
    int32_t format;  // 0 filled block, 1 outline, other values a triangle
};
