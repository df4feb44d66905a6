#pragma once

#include <cstdint>
#include <ostream>

namespace testsupport {

// What a plug-in makes of a frame's two status bytes on one chip.
struct RadioCase {
    const char* name;
    int chip;
    uint8_t rssiByte;
    uint8_t statusByte;
    int rssi;
    const char* lqi;
    uint16_t correlation;
    int infoFlags;
    const char* crc;
};

inline void PrintTo(const RadioCase& c, std::ostream* os)
{
    *os << c.name;
}

} // namespace testsupport
