#include "platform/dravik/FirmwareRevision.h"

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikHexFile.h"

std::optional<FirmwareRevision> FirmwareRevision::Read(const DravikHexFile& image)
{
    if (image.Size() < kPointerAddress + 2)
        return std::nullopt;
    const uint32_t record = image.Word(kPointerAddress);
    if (record == 0xFFFF || record + 4 > image.Size())
        return std::nullopt;
    return FirmwareRevision{image.Word(record), image.Word(record + 2)};
}

std::optional<FirmwareRevision> FirmwareRevision::Shipped(uint16_t boardType)
{
    // Must match what firmware/make_images.py writes.
    switch (boardType) {
    case DravikEb::kBoardKestrix: return FirmwareRevision{0x0105, 0x0214};
    case DravikEb::kBoardTrennic: return FirmwareRevision{0x2105, 0x0108};
    case DravikEb::kBoardDalvor: return FirmwareRevision{0x1105, 0x0301};
    default: return std::nullopt;
    }
}
