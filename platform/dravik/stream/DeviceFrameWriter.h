// The device frames of a capture board's data pipe, byte-exact, in either layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Every call appends one or more frames to out: [kind][u16 length][payload], little-endian.
// Packet and start frames carry [u32 ticks] (old layout) or [u32 ticks][XOR of the four
// tick bytes] (new layout) before the packet bytes. A frame whose payload would not fit the
// 16-bit length throws std::length_error; bad arguments throw std::invalid_argument.
class DeviceFrameWriter {
public:
    static constexpr int kLayoutOld = 0;
    static constexpr int kLayoutNew = 1;

    explicit DeviceFrameWriter(int layout);

    int Layout() const { return layout_; }
    // 4 in the old layout, 5 in the new one.
    int TickPrefixSize() const { return layout_ == kLayoutNew ? 5 : 4; }

    // A whole packet: kind 0x00 or 0x10.
    void Packet(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> packet) const;
    // A start frame (kind 0x04 or 0x14): the first part of a fragmented packet, or any
    // further part before the last; every part carries the packet's ticks.
    void FragmentStart(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> part) const;
    // The last part (kind 0x00 or 0x10). Its length declares the whole packet of
    // packetLength bytes, of which only this part follows.
    void FragmentEnd(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> part,
                     size_t packetLength) const;
    // The packet cut into parts of these lengths: at least two, summing to its size.
    void Fragmented(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> packet,
                    std::span<const size_t> partLengths) const;
    // The high byte of the tick counter: kind 0x01 [high] or 0x11 [high][high].
    void Timer(std::vector<uint8_t>& out, uint8_t highByte) const;
    // The device lost bytes: kind 0x03 or 0x13, no payload.
    void Overflow(std::vector<uint8_t>& out) const;
    // A status frame of type 2 or 5 to 10; its kind has bit 4 clear in both layouts.
    void Status(std::vector<uint8_t>& out, uint8_t type, std::span<const uint8_t> payload = {}) const;

private:
    void Header(std::vector<uint8_t>& out, uint8_t type, size_t length) const;
    void Ticks(std::vector<uint8_t>& out, uint32_t ticks) const;
    uint8_t Kind(uint8_t type) const { return layout_ == kLayoutNew ? static_cast<uint8_t>(type | 0x10) : type; }

    int layout_;
};
