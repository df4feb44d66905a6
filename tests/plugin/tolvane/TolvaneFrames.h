#pragma once

// IEEE 802.15.4 frames that register nodes in the Tolvane address book.
#include <cstdint>
#include <vector>

#include "tests/plugin/tolvane/MacFrameBuilder.h"

namespace testsupport {

inline std::vector<uint8_t> ShortData(uint16_t pan, uint16_t destination, uint16_t source)
{
    return FrameBytes()
        .U16(FrameControl{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2}.Value())
        .U8(1).U16(pan).U16(destination).U16(source).U8(0x01).U32(1).U8(0xC0);
}

inline std::vector<uint8_t> ExtendedData(uint16_t pan, uint16_t destination, uint64_t source)
{
    return FrameBytes()
        .U16(FrameControl{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 3}.Value())
        .U8(1).U16(pan).U16(destination).U64(source);
}

inline std::vector<uint8_t> AssociationResponse(uint16_t pan, uint64_t device, uint64_t coordinator, uint16_t assigned)
{
    return FrameBytes()
        .U16(FrameControl{.type = 3, .panIdCompression = true, .destinationMode = 3, .sourceMode = 3}.Value())
        .U8(9).U16(pan).U64(device).U64(coordinator).U8(2).U16(assigned).U8(0);
}

} // namespace testsupport
