#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

inline const std::string kHexEndRecord = ":00000001FF\n";

// One Intel HEX record line of the given type, with its checksum.
inline std::string HexRecordLine(uint8_t type, uint16_t offset, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(offset >> 8),
                                  static_cast<uint8_t>(offset), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint8_t>(sum + b);
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::string line = ":";
    char hex[3];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line + "\n";
}

// Data records (at most 16 bytes a line, each block at its address, below 64 KiB) and the end
// record.
inline std::string IntelHexText(const std::map<uint32_t, std::vector<uint8_t>>& blocks)
{
    std::string text;
    for (const auto& [address, bytes] : blocks) {
        for (size_t offset = 0; offset < bytes.size(); offset += 16) {
            const size_t count = std::min<size_t>(16, bytes.size() - offset);
            const auto first = bytes.begin() + static_cast<long>(offset);
            text += HexRecordLine(0, static_cast<uint16_t>(address + offset),
                                  std::vector<uint8_t>(first, first + static_cast<long>(count)));
        }
    }
    return text + kHexEndRecord;
}

} // namespace testsupport
