#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/dravik/FirmwareRevision.h"
#include "platform/dravik/SimulatedBoardConfig.h"

// What a board keeps while it is unplugged from the program's view: its own firmware (after an
// update) and its chip's flash, by serial number. Safe from any thread.
class SimulatedBoardMemory {
public:
    // Flash bytes of the chip kind: 256 KiB for the large-flash chips, else 32 KiB.
    static uint32_t ChipFlashSize(uint16_t chipCode);

    // The board's firmware: the configured one unless an update installed another since
    // (editing the configured values afterwards makes them count again).
    FirmwareRevision FirmwareOf(const SimulatedBoardConfig& config) const;
    void SetFirmware(const SimulatedBoardConfig& config, FirmwareRevision firmware);

    // Runs use on the chip flash of the board, under the lock.
    void WithFlash(const SimulatedBoardConfig& config, const std::function<void(std::vector<uint8_t>&)>& use);

private:
    struct Entry {
        bool updated = false;
        FirmwareRevision configured; // the configured firmware when the update happened
        FirmwareRevision installed;
        uint16_t flashChip = 0;
        std::vector<uint8_t> flash;
    };

    mutable std::mutex mutex_;
    mutable std::map<uint32_t, Entry> entries_;
};
