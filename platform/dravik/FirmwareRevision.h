#pragma once

#include <cstdint>
#include <optional>

class DravikHexFile;

// The revision record of a board firmware image: the 16-bit little-endian pointer at 0x1896
// names [u16 firmware id][u16 revision].
struct FirmwareRevision {
    static constexpr uint32_t kPointerAddress = 0x1896;

    uint16_t id = 0;
    uint16_t revision = 0;

    bool operator==(const FirmwareRevision&) const = default;

    // Nothing when the pointer is unset or leads outside the image.
    static std::optional<FirmwareRevision> Read(const DravikHexFile& image);
    // What the board firmware shipped for a board type carries; nothing for other types.
    static std::optional<FirmwareRevision> Shipped(uint16_t boardType);
};
