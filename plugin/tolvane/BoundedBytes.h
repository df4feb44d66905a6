#pragma once

#include <cstdint>

// What a field shows when the frame ends before the bytes it stands on.
inline constexpr char kMissingBytesText[] = "<missing>";

// A view of the bytes of a frame that reads little-endian values at fixed positions and
// never past its end: a value whose bytes are not all inside reads as 0 (see Holds).
class BoundedBytes {
public:
    BoundedBytes(const uint8_t* bytes, int size) : bytes_(bytes), size_(size > 0 ? size : 0) {}

    int Size() const { return size_; }

    // True when the count bytes from pos all lie inside.
    bool Holds(int pos, int count) const { return pos >= 0 && count >= 0 && pos <= size_ - count; }

    // Needs Holds(pos, count).
    const uint8_t* At(int pos) const { return bytes_ + pos; }

    // The width-byte (at most 8) value at pos, or 0 when not all its bytes are inside.
    uint64_t Value(int pos, int width) const
    {
        if (!Holds(pos, width))
            return 0;
        uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = value << 8 | bytes_[pos + i];
        return value;
    }

    uint8_t U8(int pos) const { return static_cast<uint8_t>(Value(pos, 1)); }
    uint16_t U16(int pos) const { return static_cast<uint16_t>(Value(pos, 2)); }
    uint32_t U32(int pos) const { return static_cast<uint32_t>(Value(pos, 4)); }
    uint64_t U64(int pos) const { return Value(pos, 8); }

private:
    const uint8_t* bytes_;
    int size_;
};
