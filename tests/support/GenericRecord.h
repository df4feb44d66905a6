#pragma once

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "plugin/frame/RawPacketRec.h"

namespace testsupport {

// A raw record of the generic layout: payload, then the RSSI byte and the status byte,
// zero-filled up to recordSize (at least what the frame needs).
inline std::vector<uint8_t> MakeGenericRecord(uint32_t number, uint64_t timeStamp,
                                              const std::vector<uint8_t>& payload,
                                              uint8_t rssiByte, uint8_t statusByte,
                                              size_t recordSize = 0)
{
    const size_t n = payload.size() + 2;
    std::vector<uint8_t> record(std::max(recordSize, kRawPacketHeaderSize + n), 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{number, timeStamp, static_cast<uint16_t>(n)});
    if (!payload.empty())
        std::memcpy(record.data() + kRawPacketHeaderSize, payload.data(), payload.size());
    record[kRawPacketHeaderSize + payload.size()] = rssiByte;
    record[kRawPacketHeaderSize + payload.size() + 1] = statusByte;
    return record;
}

// A record whose length field says n, whatever bytes stand behind it.
inline std::vector<uint8_t> MakeRecordWithLength(uint32_t number, uint64_t timeStamp, uint16_t n,
                                                 size_t frameBytes)
{
    std::vector<uint8_t> record(kRawPacketHeaderSize + frameBytes, 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{number, timeStamp, n});
    for (size_t i = 0; i < frameBytes; ++i)
        record[kRawPacketHeaderSize + i] = static_cast<uint8_t>(0x30 + i % 10);
    return record;
}

} // namespace testsupport
