#include "platform/dravik/stream/DeviceFrameWriter.h"

#include <numeric>
#include <stdexcept>

DeviceFrameWriter::DeviceFrameWriter(int layout) : layout_(layout)
{
    if (layout != kLayoutOld && layout != kLayoutNew)
        throw std::invalid_argument("device frame layout must be 0 or 1");
}

void DeviceFrameWriter::Header(std::vector<uint8_t>& out, uint8_t kind, size_t length) const
{
    if (length > 0xFFFF)
        throw std::length_error("device frame payload longer than 65535 bytes");
    out.push_back(kind);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
}

void DeviceFrameWriter::Ticks(std::vector<uint8_t>& out, uint32_t ticks) const
{
    uint8_t check = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<uint8_t>(ticks >> (8 * i));
        out.push_back(byte);
        check ^= byte;
    }
    if (layout_ == kLayoutNew)
        out.push_back(check);
}

void DeviceFrameWriter::Packet(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> packet) const
{
    Header(out, Kind(0), TickPrefixSize() + packet.size());
    Ticks(out, ticks);
    out.insert(out.end(), packet.begin(), packet.end());
}

void DeviceFrameWriter::FragmentStart(std::vector<uint8_t>& out, uint32_t ticks,
                                      std::span<const uint8_t> part) const
{
    Header(out, Kind(4), TickPrefixSize() + part.size());
    Ticks(out, ticks);
    out.insert(out.end(), part.begin(), part.end());
}

void DeviceFrameWriter::FragmentEnd(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> part,
                                    size_t packetLength) const
{
    if (packetLength < part.size())
        throw std::invalid_argument("last fragment longer than its packet");
    Header(out, Kind(0), TickPrefixSize() + packetLength);
    Ticks(out, ticks);
    out.insert(out.end(), part.begin(), part.end());
}

void DeviceFrameWriter::Fragmented(std::vector<uint8_t>& out, uint32_t ticks, std::span<const uint8_t> packet,
                                   std::span<const size_t> partLengths) const
{
    if (partLengths.size() < 2 ||
        std::accumulate(partLengths.begin(), partLengths.end(), size_t{0}) != packet.size())
        throw std::invalid_argument("fragments must be two or more parts that make up the packet");
    size_t at = 0;
    for (size_t i = 0; i + 1 < partLengths.size(); ++i) {
        FragmentStart(out, ticks, packet.subspan(at, partLengths[i]));
        at += partLengths[i];
    }
    FragmentEnd(out, ticks, packet.subspan(at), packet.size());
}

void DeviceFrameWriter::Timer(std::vector<uint8_t>& out, uint8_t highByte) const
{
    if (layout_ == kLayoutNew) {
        Header(out, Kind(1), 2);
        out.push_back(highByte);
        out.push_back(highByte);
    } else {
        Header(out, Kind(1), 1);
        out.push_back(highByte);
    }
}

void DeviceFrameWriter::Overflow(std::vector<uint8_t>& out) const
{
    Header(out, Kind(3), 0);
}

void DeviceFrameWriter::Status(std::vector<uint8_t>& out, uint8_t type, std::span<const uint8_t> payload) const
{
    if (type != 2 && (type < 5 || type > 10))
        throw std::invalid_argument("status frame type must be 2 or 5 to 10");
    Header(out, type, payload.size());
    out.insert(out.end(), payload.begin(), payload.end());
}
