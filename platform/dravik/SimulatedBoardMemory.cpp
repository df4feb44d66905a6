#include "platform/dravik/SimulatedBoardMemory.h"

uint32_t SimulatedBoardMemory::ChipFlashSize(uint16_t chipCode)
{
    switch (chipCode) {
    case 0x6E7A: case 0x6E7B: case 0x6F86: case 0x6F87: case 0x6FB2: case 0x6FB3:
        return 256u * 1024;
    default:
        return 32u * 1024;
    }
}

FirmwareRevision SimulatedBoardMemory::FirmwareOf(const SimulatedBoardConfig& config) const
{
    const FirmwareRevision configured{config.firmwareId, config.firmwareRevision};
    std::lock_guard lock(mutex_);
    auto it = entries_.find(config.serialNumber);
    if (it == entries_.end() || !it->second.updated)
        return configured;
    if (!(it->second.configured == configured)) {
        it->second.updated = false;
        return configured;
    }
    return it->second.installed;
}

void SimulatedBoardMemory::SetFirmware(const SimulatedBoardConfig& config, FirmwareRevision firmware)
{
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[config.serialNumber];
    entry.updated = true;
    entry.configured = FirmwareRevision{config.firmwareId, config.firmwareRevision};
    entry.installed = firmware;
}

void SimulatedBoardMemory::WithFlash(const SimulatedBoardConfig& config,
                                     const std::function<void(std::vector<uint8_t>&)>& use)
{
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[config.serialNumber];
    if (entry.flash.empty() || entry.flashChip != config.chipCode) {
        entry.flashChip = config.chipCode;
        entry.flash.assign(ChipFlashSize(config.chipCode), 0xFF);
        if (!config.blankFlash) {
            // Some older capture firmware: bootable, but not what is shipped now.
            for (size_t i = 0; i < 256; ++i)
                entry.flash[i] = static_cast<uint8_t>(i * 7 + 0x21);
        }
    }
    use(entry.flash);
}
