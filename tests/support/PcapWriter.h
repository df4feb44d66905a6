#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

// A capture file of IEEE 802.15.4 frames in the classic pcap format, link type 195: every frame
// followed by its frame check sequence, as independent analysers read them. Frames are
// appended one at a time, so that a large capture never has to be held in memory.
class PcapWriter {
public:
    static constexpr uint32_t kLinkType = 195;

    explicit PcapWriter(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc)
    {
        Put(0xA1B2C3D4, 4);
        Put(2, 2);
        Put(4, 2);
        Put(0, 4);
        Put(0, 4);
        Put(65535, 4);
        Put(kLinkType, 4);
    }

    // The frame (MAC header and payload) and its FCS, stamped microseconds after the epoch.
    void Add(const std::vector<uint8_t>& frame, uint64_t microseconds)
    {
        const uint32_t length = static_cast<uint32_t>(frame.size() + 2);
        Put(static_cast<uint32_t>(microseconds / 1000000), 4);
        Put(static_cast<uint32_t>(microseconds % 1000000), 4);
        Put(length, 4);
        Put(length, 4);
        out_.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
        Put(Fcs(frame), 2);
    }

    // Flushes the file; false when any byte could not be written.
    bool Close()
    {
        out_.close();
        return !out_.fail();
    }

    // The 802.15.4 frame check sequence: CRC-16 of the ITU-T polynomial, least significant bit first.
    static uint16_t Fcs(const std::vector<uint8_t>& bytes)
    {
        uint16_t crc = 0;
        for (uint8_t b : bytes) {
            crc ^= b;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? static_cast<uint16_t>(crc >> 1 ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
        }
        return crc;
    }

private:
    void Put(uint32_t v, int width)
    {
        for (int i = 0; i < width; ++i)
            out_.put(static_cast<char>(v >> (8 * i)));
    }

    std::ofstream out_;
};

} // namespace testsupport
