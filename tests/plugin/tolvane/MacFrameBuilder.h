#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "plugin/frame/RawPacketRec.h"

namespace testsupport {

// Bytes of a frame, written little-endian as on air.
class FrameBytes {
public:
    FrameBytes() = default;
    FrameBytes(std::initializer_list<uint8_t> bytes) : bytes_(bytes) {}

    FrameBytes& U8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    FrameBytes& U16(uint16_t v) { return Value(v, 2); }
    FrameBytes& U32(uint32_t v) { return Value(v, 4); }
    FrameBytes& U64(uint64_t v) { return Value(v, 8); }
    FrameBytes& Text(std::string_view text)
    {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    FrameBytes& Fill(size_t count, uint8_t v)
    {
        bytes_.insert(bytes_.end(), count, v);
        return *this;
    }
    FrameBytes& Append(const std::vector<uint8_t>& more)
    {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    operator const std::vector<uint8_t>&() const { return bytes_; }

private:
    FrameBytes& Value(uint64_t v, int width)
    {
        for (int i = 0; i < width; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }

    std::vector<uint8_t> bytes_;
};

// The 802.15.4 frame control field.
struct FrameControl {
    int type = 1;
    bool security = false;
    bool pending = false;
    bool ackRequest = false;
    bool panIdCompression = false;
    int destinationMode = 0;
    int version = 0;
    int sourceMode = 0;

    uint16_t Value() const
    {
        return static_cast<uint16_t>(type | security << 3 | pending << 4 | ackRequest << 5 |
                                     panIdCompression << 6 | destinationMode << 10 | version << 12 |
                                     sourceMode << 14);
    }
};

// A raw record of an 802.15.4 frame: the length byte B at offset 14 counts the MAC bytes and
// the two status bytes that follow them. Zero-filled up to recordSize.
inline std::vector<uint8_t> MakeMacRecord(uint32_t number, uint64_t timeStamp, const std::vector<uint8_t>& mac,
                                          uint8_t rssiByte, uint8_t statusByte, size_t recordSize = 0)
{
    const size_t b = mac.size() + 2;
    std::vector<uint8_t> record(std::max(recordSize, kRawPacketHeaderSize + 1 + b), 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{number, timeStamp, static_cast<uint16_t>(b + 1)});
    record[kRawPacketHeaderSize] = static_cast<uint8_t>(b);
    std::copy(mac.begin(), mac.end(), record.begin() + kRawPacketHeaderSize + 1);
    record[kRawPacketHeaderSize + 1 + mac.size()] = rssiByte;
    record[kRawPacketHeaderSize + 2 + mac.size()] = statusByte;
    return record;
}

// The length byte of a record.
inline int MacLength(const std::vector<uint8_t>& record)
{
    return record[kRawPacketHeaderSize] & 0x7F;
}

} // namespace testsupport
