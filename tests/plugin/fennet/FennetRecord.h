#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "plugin/frame/RawPacketRec.h"

namespace testsupport {

// Bytes written as hex digit pairs; blanks and '|' only separate them.
inline std::vector<uint8_t> HexBytes(std::string_view text)
{
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '|')
            continue;
        int value = digit(c);
        if (value < 0)
            throw std::invalid_argument("not a hex digit in test bytes");
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0)
        throw std::invalid_argument("odd number of hex digits in test bytes");
    return bytes;
}

// A length-byte record: N, the length byte, then the frame bytes (status bytes included),
// zero-filled up to recordSize.
inline std::vector<uint8_t> MakeLengthByteRecord(uint32_t number, uint64_t timeStamp,
                                                 uint8_t lengthByte,
                                                 const std::vector<uint8_t>& frame,
                                                 size_t recordSize = 0)
{
    const size_t n = 1 + frame.size();
    std::vector<uint8_t> record(std::max(recordSize, kRawPacketHeaderSize + n), 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{number, timeStamp, static_cast<uint16_t>(n)});
    record[kRawPacketHeaderSize] = lengthByte;
    std::copy(frame.begin(), frame.end(), record.begin() + kRawPacketHeaderSize + 1);
    return record;
}

// The chips whose Fennet frames carry an 802.15.4 header; their length byte counts the
// status bytes.
inline bool HasMacHeader(int chip)
{
    return chip == 0x6E7A || chip == 0x6F48 || chip == 0x6F86 || chip == 0x6F87;
}

// A Fennet record whose length byte fits the frame on this chip.
inline std::vector<uint8_t> MakeFennetRecord(int chip, uint32_t number, uint64_t timeStamp,
                                             const std::vector<uint8_t>& frame,
                                             size_t recordSize = 0)
{
    const size_t b = HasMacHeader(chip) ? frame.size() : frame.size() - 2;
    return MakeLengthByteRecord(number, timeStamp, static_cast<uint8_t>(b), frame, recordSize);
}

// What a capture reports as having arrived for a record: the device record length.
inline int CapturedFromDevice(const std::vector<uint8_t>& record)
{
    return 10 + ReadRawPacketHeader(record.data()).length;
}

} // namespace testsupport
