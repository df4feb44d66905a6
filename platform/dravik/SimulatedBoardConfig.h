#pragma once

#include <cstdint>
#include <string>

#include "platform/dravik/DravikEbInfo.h"
#include "platform/dravik/SimulatedFault.h"

// One simulated capture device: what enumeration reports of it and how it behaves.
struct SimulatedBoardConfig {
    uint16_t boardType = 0;
    uint16_t chipCode = 0;
    uint16_t usbDeviceId = 0;
    uint16_t firmwareId = 0;
    uint16_t firmwareRevision = 0; // 0xBAAD: no valid board firmware
    uint32_t serialNumber = 0;     // unique: the board's firmware and flash are kept under it
    std::string deviceText;
    std::string chipName;          // empty: "QZ" + the chip code in upper-case hexadecimal
    std::string portName;

    int layout = 1;              // device frame layout: 0 old, 1 new
    int framesPerSecond = 200;   // mean rate of radio frames; 0: no pacing, as fast as read
    int updateResult = 0;        // what a firmware update ends with; 0 installs the image
    int updateMs = 1000;         // how long a firmware update takes
    bool blankFlash = false;     // the chip flash starts erased instead of holding old firmware
    uint32_t faults = 0;         // SimulatedFault bits
    int profileDelayMs = 0;      // a new profile reads back only after this time
    int deviceBufferBytes = 65536; // unread stream bytes the device holds before it drops frames

    // Stream faults, each every N radio frames (0: never); read errors every N pipe reads.
    int junkEvery = 0;
    int statusEvery = 0;
    int cutEvery = 0;
    int overflowEvery = 0;
    int readErrorEvery = 0;

    bool Has(SimulatedFault fault) const { return (faults & fault) != 0; }
    std::string ChipNameText() const;
    // The enumeration record (firmware fields as configured).
    DravikEbInfo Info() const;
};
