#pragma once

#include <array>

// The text of an 802.15.4 frame control field's first byte: the frame type name
// left-aligned in 4 characters, then bits 3, 4, 5 and 6 as digits under their column
// headings ("DATA  0   0     0        1    " for 0x41). Bit 7 does not show.
struct FrameControlText {
    char text[31];
};

extern const std::array<FrameControlText, 256> kFrameControlText;
