#pragma once

#include <cstdint>

// What board enumeration tells of one attached capture device. Filled by DravikEb::EnumEbs
// and handed back to DravikEb::CreateEb and DravikEb::UpdateEb to name the device.
struct DravikEbInfo {
    uint16_t boardType = 0;        // see DravikEb::kBoard*; 0x6137 = device on a serial port
    uint16_t chipCode = 0;         // radio chip on the device
    uint16_t usbDeviceId = 0;      // 0 and 0xFFFF: not a usable USB device
    uint16_t firmwareId = 0;       // id of the board's own firmware
    uint16_t firmwareRevision = 0; // 0xBAAD: the board holds no valid firmware
    uint32_t serialNumber = 0;     // tells boards of the same kind apart
    char deviceText[128] = {};     // description of the device, e.g. "Kestrix board"
    char chipName[32] = {};        // e.g. "QZ6F1C"
    char portName[64] = {};        // serial port of a serial-port device
};
