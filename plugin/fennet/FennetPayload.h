#pragma once

#include <cstdint>

// The payload bytes of a frame. Application fields read bytes at fixed positions; a position
// beyond the payload reads as 0, and the field says it is missing (see Holds).
struct FennetPayload {
    const uint8_t* bytes;
    int size;

    bool Holds(int count) const { return count <= size; }

    uint8_t Byte(int i) const { return i >= 0 && i < size ? bytes[i] : 0; }

    // The little-endian 32-bit value of bytes i to i + 3.
    uint32_t Word(int i) const
    {
        return Byte(i) | uint32_t{Byte(i + 1)} << 8 | uint32_t{Byte(i + 2)} << 16 |
               uint32_t{Byte(i + 3)} << 24;
    }
};
