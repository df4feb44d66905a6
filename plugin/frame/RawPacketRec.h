#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "packet records are little-endian and shared in place");

// Head of a captured-packet record; the N frame bytes follow it at offset 14.
// The record has a fixed size per protocol, zero-filled after the used bytes.
#pragma pack(push, 1)
struct RAW_PACKET_REC {
    uint32_t packetNumber; // counted from 1
    uint64_t timeStamp;    // capture-device clock ticks
    uint16_t length;       // N, bytes that follow
};
#pragma pack(pop)

static_assert(offsetof(RAW_PACKET_REC, packetNumber) == 0);
static_assert(offsetof(RAW_PACKET_REC, timeStamp) == 4);
static_assert(offsetof(RAW_PACKET_REC, length) == 12);
static_assert(sizeof(RAW_PACKET_REC) == 14);

constexpr int kRawPacketHeaderSize = sizeof(RAW_PACKET_REC);

// The head of the record at raw, which need not be aligned.
inline RAW_PACKET_REC ReadRawPacketHeader(const uint8_t* raw)
{
    RAW_PACKET_REC head;
    std::memcpy(&head, raw, sizeof head);
    return head;
}

inline void WriteRawPacketHeader(uint8_t* raw, const RAW_PACKET_REC& head)
{
    std::memcpy(raw, &head, sizeof head);
}
